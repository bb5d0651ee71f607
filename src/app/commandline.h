#pragma once

#include <QString>
#include <QStringList>

namespace tervan {

// What the window program's command line asks for: start (opening a project when one is
// named), print help or the version, or refuse a bad line. The help text comes from the
// translations installed when it is read.
struct AppCommandLine
{
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    // The project to open at start, as an absolute name; empty for none.
    QString project;
    // The help, version or error text to print.
    QString text;
};

// `arguments` start with the program's name, as QCoreApplication::arguments() does.
AppCommandLine parseAppCommandLine(const QStringList& arguments);

} // namespace tervan
