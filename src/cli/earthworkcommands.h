#pragma once

#include <QStringList>

class QTextStream;

namespace tervan {

// The earthwork commands of tervan-cli: earthwork, balance, check and render balance. Returns
// the exit status, or -1 when `args` is none of them.
int runEarthworkCommand(const QStringList& args, QTextStream& out, QTextStream& err,
                        const char* usage);

} // namespace tervan
