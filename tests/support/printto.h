#pragma once

#include <QString>
#include <ostream>

// Readable failure output for Qt strings, Thai included.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE
