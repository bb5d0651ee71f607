// Feeds arbitrary bytes to the pads file reader as a GeoJSON file, then every pad it gives to
// the shape check and, when all pass, to the design of the pads on a 6 x 6 grid at 10 m. The
// first byte chooses how the pads are balanced; the rest is the file.

#include "fuzzcheck.h"
#include "grading/pads.h"
#include "project/controldata.h"
#include "project/project.h"
#include "survey/padsfile.h"

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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const Project p = [] {
        Project q = startupProject();
        applyControlData(q, {10, 6, 6, 1});
        for (int n = 1; n <= q.NodeCount; ++n)
            q.Nodes[n].Z = float(100 + (n * 37 % 11));
        return q;
    }();
    static const EarthworkGrid ground = earthworkGrid(p);
    const PadBalance balance =
        std::array{PadBalance::None, PadBalance::Together, PadBalance::Each}[data[0] % 3];

    // GDAL reads the file from memory; the buffer stays the fuzzer's.
    const char* name = "/vsimem/fuzz.pads.geojson";
    VSIFCloseL(
        VSIFileFromMemBuffer(name, const_cast<GByte*>(data + 1), vsi_l_offset(size - 1), FALSE));
    const auto read = readPadsFile(QString::fromLatin1(name), p);
    VSIUnlink(name);
    if (const auto* reason = std::get_if<QString>(&read)) {
        FUZZ_CHECK(!reason->isEmpty());
        return 0;
    }
    const auto& pads = std::get<std::vector<PadShape>>(read);
    FUZZ_CHECK(!pads.empty());
    for (const PadShape& pad : pads) {
        FUZZ_CHECK(!pad.name.isEmpty());
        if (!padShapeProblem(pad, ground).isEmpty())
            return 0;
        if (!pad.level && balance == PadBalance::None)
            return 0;
    }
    const PadsResult result = designPads(ground, pads, balance, 1);
    FUZZ_CHECK(result.pads.size() == pads.size());
    FUZZ_CHECK(result.design.h.size() == ground.h.size());
    FUZZ_CHECK(std::isfinite(result.net) || !result.balanced);
    return 0;
}
