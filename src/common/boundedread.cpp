#include "common/boundedread.h"

#include <QIODevice>
#include <algorithm>

namespace tervan {

std::optional<QByteArray> readAtMost(QIODevice& in, qint64 limit)
{
    constexpr qint64 Piece = 64 * 1024;
    // A file says how much is left, and one byte more shows whether it holds more than that;
    // a pipe is read in growing pieces.
    qint64 want = in.isSequential() ? Piece : std::max<qint64>(in.size() - in.pos(), 0) + 1;
    QByteArray bytes;
    for (;;) {
        want = std::min(want, limit + 1 - qint64(bytes.size()));
        const qsizetype at = bytes.size();
        bytes.resize(at + qsizetype(want));
        const qint64 got = in.read(bytes.data() + at, want);
        bytes.resize(at + qsizetype(std::max<qint64>(got, 0)));
        if (got <= 0)
            return bytes;
        if (bytes.size() > limit)
            return std::nullopt;
        want = std::max(Piece, qint64(bytes.size()));
    }
}

} // namespace tervan
