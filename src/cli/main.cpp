#include "cli/cli.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdlib>
#include <memory>

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    // The application sees only the program name: options such as --platform are ours, not
    // Qt's. Only pictures need fonts, and they are drawn on images, without a display.
    int appArgc = 1;
    std::unique_ptr<QCoreApplication> app;
    if (!args.isEmpty() &&
        (args[0] == QLatin1String("render") || args[0] == QLatin1String("print") ||
         args[0] == QLatin1String("stakeout") || args[0] == QLatin1String("sections"))) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        app = std::make_unique<QGuiApplication>(appArgc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(appArgc, argv);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = tervan::runCli(args, out, err);
    out.flush();
    err.flush();
    return status;
}
