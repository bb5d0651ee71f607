// Feeds arbitrary bytes to the survey points text reader and its preview. The first byte
// chooses the column order the user gave (or none); the rest is the file.

#include "fuzzcheck.h"
#include "survey/surveypoints.h"

#include <cmath>

using namespace tervan;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const QStringList& codes = csvColumnCodes();
    std::optional<CsvColumns> columns;
    if (data[0] < codes.size())
        columns = columnsFromCode(codes[data[0]]);

    fuzz::InputDevice in(data + 1, size - 1);
    const PointsRead read = readPointsText(in.buffer, columns);
    if (const auto* file = std::get_if<PointsFile>(&read)) {
        for (const SurveyPoint& p : file->points)
            FUZZ_CHECK(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
        FUZZ_CHECK(file->flatLinesSkipped >= 0);
    } else {
        const auto& errors = std::get<std::vector<HeightLineError>>(read);
        FUZZ_CHECK(!errors.empty());
        for (const HeightLineError& e : errors)
            FUZZ_CHECK(e.line >= 0 && !e.reason.isEmpty());
    }

    fuzz::InputDevice again(data + 1, size - 1);
    const int lines = 1 + data[0] % 8;
    FUZZ_CHECK(previewFields(again.buffer, lines).size() <= size_t(lines));
    return 0;
}
