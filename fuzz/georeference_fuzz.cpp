// Feeds arbitrary bytes to the georeference reader. The first three bytes give the project's
// grid (rows, columns, spacing); the rest is the ".geo" file. What the reader accepts, written
// and read again, must come back as the same file.

#include "fuzzcheck.h"
#include "project/georeference.h"

#include <cmath>

using namespace tervan;

namespace {

std::variant<Georeference, QString> readBytes(const QByteArray& bytes, const GeoGrid& grid)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return readGeoreference(buffer, grid);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    const GeoGrid grid{data[0], data[1], data[2]};
    fuzz::InputDevice in(data + 3, size - 3);
    const auto read = readGeoreference(in.buffer, grid);
    if (const auto* reason = std::get_if<QString>(&read)) {
        FUZZ_CHECK(!reason->isEmpty());
        return 0;
    }
    const Georeference& g = std::get<Georeference>(read);
    FUZZ_CHECK(std::isfinite(g.easting) && std::isfinite(g.northing) && g.epsg >= 0);
    for (size_t i = 0; i < g.estimated.size(); ++i)
        FUZZ_CHECK(g.estimated[i] >= 1 && g.estimated[i] <= grid.rows * grid.cols &&
                   (i == 0 || g.estimated[i] > g.estimated[i - 1]));
    for (const auto& [e, n] : g.outline)
        FUZZ_CHECK(std::isfinite(e) && std::isfinite(n));

    const QByteArray written = writeGeoreference(g, grid);
    const auto again = readBytes(written, grid);
    FUZZ_CHECK(std::holds_alternative<Georeference>(again));
    FUZZ_CHECK(writeGeoreference(std::get<Georeference>(again), grid) == written);
    return 0;
}
