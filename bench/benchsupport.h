#pragma once

#include "project/controldata.h"
#include "project/project.h"

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

// A grid of rows x cols nodes at 10 m with gently varying elevations.
inline Project benchGrid(qint16 rows, qint16 cols)
{
    Project p = startupProject();
    applyControlData(p, {10, rows, cols, 1});
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = 100.0f + float(n % 977) * 0.01f;
    return p;
}

} // namespace tervan
