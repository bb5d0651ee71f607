// Feeds arbitrary bytes to the survey's vector readers as a file GDAL opens: the breaklines
// (then noded, as the surface takes them), the site boundary or the shots of a drawing. The
// first byte chooses the reader (its value mod 3) and the file's suffix, GeoJSON, DXF or KML
// (its third mod 3); the rest is the file.

#include "fuzzcheck.h"
#include "survey/breaklines.h"
#include "survey/siteoutline.h"
#include "survey/surveypoints.h"

#include <array>
#include <cmath>
#include <cpl_vsi.h>

using namespace tervan;

// GDAL tries every vector driver on the bytes, and some of them (the XML ones, through expat)
// keep memory on bad input; leaks are looked for in the program's own code only.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libgdal.so\nleak:libexpat.so\n";
}

namespace {

bool finite(const BreakVertex& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

void checkLines(const std::vector<Breakline>& lines)
{
    for (const Breakline& line : lines) {
        FUZZ_CHECK(!line.name.isEmpty());
        FUZZ_CHECK(line.vertices.size() >= 2);
        for (const BreakVertex& v : line.vertices)
            FUZZ_CHECK(finite(v));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int reader = data[0] % 3;
    const char* name =
        std::array{"/vsimem/fuzz.geojson", "/vsimem/fuzz.dxf", "/vsimem/fuzz.kml"}[data[0] / 3 % 3];
    // GDAL reads the file from memory; the buffer stays the fuzzer's.
    VSIFCloseL(
        VSIFileFromMemBuffer(name, const_cast<GByte*>(data + 1), vsi_l_offset(size - 1), FALSE));
    const QString file = QString::fromLatin1(name);
    if (reader == 2) {
        const auto read = readPointsFile(file);
        if (const auto* shots = std::get_if<PointsFile>(&read)) {
            for (const SurveyPoint& p : shots->points)
                FUZZ_CHECK(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
        } else {
            FUZZ_CHECK(!std::get<std::vector<HeightLineError>>(read).empty());
        }
    } else if (reader == 1) {
        const auto read = readBoundaryFile(file);
        if (const auto* b = std::get_if<BoundaryFile>(&read)) {
            FUZZ_CHECK(b->outline.size() >= 3);
            for (const auto& [x, y] : b->outline)
                FUZZ_CHECK(std::isfinite(x) && std::isfinite(y));
        } else {
            FUZZ_CHECK(!std::get<QString>(read).isEmpty());
        }
    } else {
        const auto read = readBreaklines(file);
        if (const auto* b = std::get_if<BreaklinesFile>(&read)) {
            checkLines(b->lines);
            const auto done = noded(b->lines);
            if (const auto* lines = std::get_if<std::vector<Breakline>>(&done))
                checkLines(*lines);
            else
                FUZZ_CHECK(!std::get<QString>(done).isEmpty());
        } else {
            FUZZ_CHECK(!std::get<QString>(read).isEmpty());
        }
    }
    VSIUnlink(name);
    return 0;
}
