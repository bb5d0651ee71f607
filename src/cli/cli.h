#pragma once

#include <QStringList>

class QTextStream;

namespace tervan {

// tervan-cli: batch commands over project files, through the same code as the window.
// Returns the process exit status: 0 done, 1 the project could not be used, 2 bad usage.
int runCli(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace tervan
