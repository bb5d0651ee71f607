// Feeds arbitrary bytes to the heights CSV reader. The first byte chooses the grid (1 to 16 rows
// and columns at 1 to 4 m), the second the column order the user gave (or none); the rest is
// the file. Whatever the reader answers must fit the grid it was read for.

#include "fuzzcheck.h"
#include "project/controldata.h"
#include "project/heightscsv.h"

#include <cmath>
#include <set>

using namespace tervan;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    Project p = startupProject();
    const auto rows = qint16(1 + (data[0] & 0x0F)), cols = qint16(1 + (data[0] >> 4));
    applyControlData(p, {qint16(1 + data[1] % 4), rows, cols, 1});
    const QStringList& codes = csvColumnCodes();
    const int code = (data[1] >> 2) % (int(codes.size()) + 1);
    HeightsCsvOptions options;
    if (code < codes.size())
        options.columns = columnsFromCode(codes[code]);
    int lastPercent = -1;
    options.progress = [&](int percent) {
        FUZZ_CHECK(percent >= 0 && percent <= 100);
        lastPercent = percent;
    };

    fuzz::InputDevice in(data + 2, size - 2);
    const HeightsRead read = readHeightsCsv(in.buffer, p, options);
    if (const auto* taken = std::get_if<HeightsTaken>(&read)) {
        std::set<int> nodes;
        for (const NodeHeight& h : taken->heights) {
            FUZZ_CHECK(h.node >= 1 && h.node <= p.NodeCount);
            FUZZ_CHECK(std::isfinite(h.z));
            FUZZ_CHECK(nodes.insert(h.node).second);
        }
        for (const int n : nodesNotGiven(p, taken->heights))
            FUZZ_CHECK(n >= 1 && n <= p.NodeCount && !nodes.count(n));
    } else if (const auto* errors = std::get_if<std::vector<HeightLineError>>(&read)) {
        FUZZ_CHECK(!errors->empty() && errors->size() <= size_t(MaxListedErrors) + 1);
        for (const HeightLineError& e : *errors)
            FUZZ_CHECK(e.line >= 0 && !e.reason.isEmpty());
    } else {
        const auto& unknown = std::get<ColumnOrderUnknown>(read);
        FUZZ_CHECK(!options.columns);
        FUZZ_CHECK(unknown.fields >= 3 && unknown.sample.size() <= 5);
    }
    return 0;
}
