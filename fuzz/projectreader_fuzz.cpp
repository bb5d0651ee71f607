// Feeds arbitrary bytes to the project reader. The first two bytes (little-endian) say how many
// of the rest belong to the ".gnd" file; the remainder is the ".nod" file. Whatever the reader
// accepts must survive the way back through a Project and the writers.

#include "fuzzcheck.h"
#include "project/projectfile.h"

#include <QBuffer>
#include <QStringDecoder>
#include <QStringEncoder>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

using namespace tervan;

namespace {

// Bytes the code page maps to a character that maps back to the same byte. Only these are
// bound to come back unchanged in the heading texts.
const std::array<bool, 256>& roundTripBytes()
{
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        for (int b = 0; b < 256; ++b) {
            QStringDecoder decoder("windows-874");
            QStringEncoder encoder("windows-874");
            const char byte = char(b);
            const QString s = decoder.decode(QByteArrayView(&byte, 1));
            const QByteArray back = encoder.encode(s);
            t[b] = s.size() == 1 && back.size() == 1 && back.at(0) == byte;
        }
        return t;
    }();
    return table;
}

std::variant<ProjectFileData, FileError> readBytes(QByteArray gnd, QByteArray nod)
{
    QBuffer g(&gnd), n(&nod);
    g.open(QIODevice::ReadOnly);
    n.open(QIODevice::ReadOnly);
    return readProject(g, n);
}

bool sameBits(const NodePoint& a, const NodePoint& b)
{
    return std::bit_cast<quint32>(a.X) == std::bit_cast<quint32>(b.X) &&
           std::bit_cast<quint32>(a.Y) == std::bit_cast<quint32>(b.Y) &&
           std::bit_cast<quint32>(a.Z) == std::bit_cast<quint32>(b.Z);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t rest = size - 2;
    const size_t split = std::min<size_t>(size_t(data[0]) | size_t(data[1]) << 8, rest);
    const char* bytes = reinterpret_cast<const char*>(data + 2);
    // Raw views, so ASan catches any read past the input.
    const QByteArray gnd = QByteArray::fromRawData(bytes, qsizetype(split));
    const QByteArray nod = QByteArray::fromRawData(bytes + split, qsizetype(rest - split));

    const auto read = readBytes(gnd, nod);
    if (const auto* error = std::get_if<FileError>(&read)) {
        // A buffer never fails to read; only the contents can be refused.
        FUZZ_CHECK(error->problem == FileProblem::Malformed);
        if (gnd.size() < HeaderBytes)
            FUZZ_CHECK(error->file == ProjectFile::Gnd);
        return 0;
    }

    const ProjectFileData& d = std::get<ProjectFileData>(read);
    FUZZ_CHECK(gnd.size() >= HeaderBytes);
    FUZZ_CHECK(d.GridRows >= 0 && d.GridCols >= 0 && d.GridSpacing >= 0);
    FUZZ_CHECK(int(d.NodeCount) == int(d.GridRows) * int(d.GridCols));
    FUZZ_CHECK(std::isfinite(d.ContourInterval));
    FUZZ_CHECK(d.Nodes.size() == size_t(d.NodeCount) + 1);
    FUZZ_CHECK(nod.size() >= qsizetype(d.NodeCount) * NodeRecordBytes);
    FUZZ_CHECK(sameBits(d.Nodes[0], NodePoint{}));
    FUZZ_CHECK(d.ProjectName.text().size() == 40 && d.EngineerName.text().size() == 40);

    Project p;
    applyOpenedProject(p, ProjectFileData(d), projectFileNames(QStringLiteral("/fuzz/in.gnd")));
    FUZZ_CHECK(p.ViewStepX == (d.GridSpacing != 0 ? d.GridSpacing : 10));
    if (p.NodeCount > 0)
        FUZZ_CHECK(p.ElevMin <= p.ElevMax && p.NodeXMin <= p.NodeXMax && p.NodeYMin <= p.NodeYMax);

    const QByteArray header = encodeHeader(p);
    FUZZ_CHECK(header.size() == HeaderBytes);
    FUZZ_CHECK(header.mid(80) == gnd.mid(80, HeaderBytes - 80));
    const auto& roundTrips = roundTripBytes();
    for (int i = 0; i < 80; ++i) {
        if (roundTrips[static_cast<unsigned char>(gnd.at(i))])
            FUZZ_CHECK(header.at(i) == gnd.at(i));
    }
    const QByteArray records = encodeNodes(p);
    FUZZ_CHECK(records == nod.left(qsizetype(d.NodeCount) * NodeRecordBytes));

    // What the writers produce from an accepted pair is itself accepted, with the same values.
    const auto again = readBytes(header, records);
    FUZZ_CHECK(std::holds_alternative<ProjectFileData>(again));
    const ProjectFileData& d2 = std::get<ProjectFileData>(again);
    FUZZ_CHECK(d2.GridRows == d.GridRows && d2.GridCols == d.GridCols &&
               d2.GridSpacing == d.GridSpacing && d2.NodeCount == d.NodeCount);
    FUZZ_CHECK(std::bit_cast<quint32>(d2.ContourInterval) ==
               std::bit_cast<quint32>(d.ContourInterval));
    for (size_t n = 0; n < d.Nodes.size(); ++n)
        FUZZ_CHECK(sameBits(d2.Nodes[n], d.Nodes[n]));
    return 0;
}
