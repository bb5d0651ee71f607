#include "grading/pads.h"
#include "project/controldata.h"
#include "project/project.h"
#include "support/printto.h"
#include "survey/breaklines.h"
#include "survey/padsfile.h"
#include "survey/siteoutline.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

enum class Reader { Pads, Boundary, Breaklines };

struct GeometryCase
{
    const char* what;
    Reader reader;
    QByteArray geometries; // GeoJSON geometries, comma separated
    const char* says;      // in the refusal; empty when the file is taken
};

void PrintTo(const GeometryCase& c, std::ostream* os)
{
    *os << c.what;
}

// What the user hears of the file: the reader's refusal, or a pad's; for breaklines, the word
// "NaN" when noding them left a vertex that is no number.
QString outcome(const GeometryCase& c, const QString& fileName)
{
    Project p = startupProject();
    applyControlData(p, {10, 6, 6, 1});
    switch (c.reader) {
    case Reader::Pads: {
        const auto read = readPadsFile(fileName, p);
        if (const auto* reason = std::get_if<QString>(&read))
            return *reason;
        for (const PadShape& pad : std::get<std::vector<PadShape>>(read))
            if (QString why = padShapeProblem(pad, earthworkGrid(p)); !why.isEmpty())
                return why;
        return {};
    }
    case Reader::Boundary: {
        const auto read = readBoundaryFile(fileName);
        return std::holds_alternative<QString>(read) ? std::get<QString>(read) : QString();
    }
    case Reader::Breaklines: {
        const auto read = readBreaklines(fileName);
        if (const auto* reason = std::get_if<QString>(&read))
            return *reason;
        const auto lines = noded(std::get<BreaklinesFile>(read).lines);
        if (const auto* reason = std::get_if<QString>(&lines))
            return *reason;
        for (const Breakline& line : std::get<std::vector<Breakline>>(lines))
            for (const BreakVertex& v : line.vertices)
                if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
                    return QStringLiteral("NaN");
        return {};
    }
    }
    return {};
}

class VectorGeometry : public testing::TestWithParam<GeometryCase>
{
};

// Geometries with nothing in them, or a vertex given twice, are refused by name or taken
// whole; none stops the program.
TEST_P(VectorGeometry, IsRefusedSayingWhyOrTakenWhole)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("drawn.geojson"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArrayList features;
    for (const QByteArray& g : GetParam().geometries.split(';'))
        features << R"({"type":"Feature","properties":{"name":"P)" +
                        QByteArray::number(features.size() + 1) + R"("},"geometry":)" + g + "}";
    file.write(R"({"type":"FeatureCollection","features":[)" + features.join(',') + "]}");
    file.close();
    const QString said = outcome(GetParam(), file.fileName());
    if (*GetParam().says)
        EXPECT_TRUE(said.contains(QString::fromUtf8(GetParam().says))) << said.toStdString();
    else
        EXPECT_EQ(said, QString());
}

INSTANTIATE_TEST_SUITE_P(
    Survey, VectorGeometry,
    testing::Values(
        GeometryCase{"pad with an empty ring", Reader::Pads,
                     R"({"type":"Polygon","coordinates":[[]]})", "ต้องมีมุมอย่างน้อย 3 มุม"},
        GeometryCase{"pad as a line without points", Reader::Pads,
                     R"({"type":"LineString","coordinates":[]})", "เส้นขอบไม่ปิด"},
        GeometryCase{"boundary with an empty ring", Reader::Boundary,
                     R"({"type":"Polygon","coordinates":[[]]})", "มีมุมไม่ถึง 3 มุม"},
        GeometryCase{"boundary as a line without points", Reader::Boundary,
                     R"({"type":"LineString","coordinates":[]})", "ไม่มีจุด"},
        GeometryCase{"breakline with a vertex twice where another crosses it", Reader::Breaklines,
                     R"({"type":"LineString","coordinates":[[0,0,100],[10,10,101],[10,10,101],)"
                     R"([20,20,102]]};{"type":"LineString","coordinates":[[0,20,101],[20,0,101]]})",
                     ""}));

} // namespace
