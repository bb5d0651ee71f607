#pragma once

#include <QStringList>

class QTextStream;

namespace tervan {

// tervan-cli grid: survey points to a new project; exit status as runCli.
int gridFromPoints(const QStringList& args, QTextStream& out, QTextStream& err, const char* usage);

} // namespace tervan
