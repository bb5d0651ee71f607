#pragma once

#include <QApplication>
#include <cstdlib>

namespace tervan {

// The one application object of the benchmark run, made on first use. A widget application
// also serves the benchmarks that only draw on images, so whichever runs first makes the one
// the others can use; everything is drawn offscreen.
inline QApplication& benchApplication()
{
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication app(argc, argv);
    return app;
}

} // namespace tervan
