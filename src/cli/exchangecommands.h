#pragma once

#include <QStringList>

class QTextStream;

namespace tervan {

// tervan-cli contours and export with -o: the contours or the surface into a file whose
// suffix names the format. Returns -1 for a line that is not one of these; else the exit status.
int runExchangeCommand(const QStringList& args, QTextStream& out, QTextStream& err,
                       const char* usage);

} // namespace tervan
