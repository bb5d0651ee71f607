#pragma once

#include <QByteArray>
#include <optional>

class QIODevice;

namespace tervan {

// The rest of a device, read as it comes, or nothing once it holds more than
// `limit` bytes. Memory grows with what the device holds, not with the limit, so a reader
// with a generous limit stays cheap on small inputs.
std::optional<QByteArray> readAtMost(QIODevice& in, qint64 limit);

} // namespace tervan
