#pragma once

#include <QStringList>

class QTextStream;

namespace tervan {

// The design-surface commands of tervan-cli: compare, pad, render cutfill and print cutfill.
// Returns the exit status, or -1 when `args` is none of them.
int runDesignCommand(const QStringList& args, QTextStream& out, QTextStream& err,
                     const char* usage);

} // namespace tervan
