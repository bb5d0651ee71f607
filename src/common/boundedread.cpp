#include "common/boundedread.h"

#include <QIODevice>
#include <algorithm>

namespace tervan {

std::optional<QByteArray> readAtMost(QIODevice& in, qint64 limit)
{
    constexpr qint64 Piece = 1024 * 1024;
    QByteArray bytes;
    if (!in.isSequential())
        bytes.reserve(qsizetype(std::clamp<qint64>(in.size() - in.pos(), 0, limit)));
    for (;;) {
        // One byte past the limit tells a full device from one that is too long.
        const qint64 wanted = std::min(Piece, limit + 1 - qint64(bytes.size()));
        const QByteArray piece = in.read(wanted);
        if (piece.isEmpty())
            return bytes;
        bytes += piece;
        if (bytes.size() > limit)
            return std::nullopt;
    }
}

} // namespace tervan
