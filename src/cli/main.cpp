#include "cli/cli.h"

#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    // Pictures are drawn on images; no display is needed.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = QGuiApplication::arguments();
    args.removeFirst();
    const int status = tervan::runCli(args, out, err);
    out.flush();
    err.flush();
    return status;
}
