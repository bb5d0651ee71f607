#include "grading/pads.h"
#include "project/controldata.h"
#include "project/project.h"
#include "support/files.h"
#include "support/printto.h"
#include "survey/breaklines.h"
#include "survey/padsfile.h"
#include "survey/siteoutline.h"

#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

enum class Reader { Pads, PadNames, Boundary, Breaklines };

struct GeometryCase
{
    const char* what;
    Reader reader;
    QByteArray geometries;          // GeoJSON geometries, semicolon separated
    const char* says;               // in the refusal; empty when the file is taken; the names read
    QByteArray lastProperties = {}; // of the last feature, when not a name of its own
};

void PrintTo(const GeometryCase& c, std::ostream* os)
{
    *os << c.what;
}

// What the user hears of the file: the reader's refusal, or a pad's; for breaklines, the word
// "NaN" when noding them left a vertex that is no number; for pad names, the names read.
QString outcome(const GeometryCase& c, const QString& fileName)
{
    Project p = startupProject();
    applyControlData(p, {10, 6, 6, 1});
    switch (c.reader) {
    case Reader::Pads:
    case Reader::PadNames: {
        const auto read = readPadsFile(fileName, p);
        if (const auto* reason = std::get_if<QString>(&read))
            return *reason;
        QStringList names;
        for (const PadShape& pad : std::get<std::vector<PadShape>>(read)) {
            if (QString why = padShapeProblem(pad, earthworkGrid(p));
                c.reader == Reader::Pads && !why.isEmpty())
                return why;
            names << pad.name;
        }
        return c.reader == Reader::Pads ? QString() : names.join('|');
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

using VectorGeometry = testing::TestWithParam<GeometryCase>;

// Geometries with nothing in them, or a vertex given twice, are refused by name or taken
// whole; none stops the program. Every pad read has a name that messages can give: its own, or
// its number in the file when it has none, an empty one or one of blanks and control characters.
TEST_P(VectorGeometry, IsRefusedSayingWhyOrTakenWhole)
{
    const GeometryCase& c = GetParam();
    QTemporaryDir dir;
    const QString file = dir.filePath("drawn.geojson");
    QList<std::pair<QByteArray, QByteArray>> features;
    for (const QByteArray& g : c.geometries.split(';'))
        features.append({R"({"name":"P)" + QByteArray::number(features.size() + 1) + "\"}", g});
    if (!c.lastProperties.isEmpty())
        features.back().first = c.lastProperties;
    ASSERT_TRUE(writeBytes(file, featureCollection(features)));
    const QString said = outcome(c, file);
    if (c.reader == Reader::PadNames || !*c.says)
        EXPECT_EQ(said, QString::fromUtf8(c.says));
    else
        EXPECT_TRUE(said.contains(QString::fromUtf8(c.says))) << said.toStdString();
}

constexpr char Ring[] = R"({"type":"Polygon","coordinates":[[[10,10],[30,10],[30,30],[10,10]]]})";
const QByteArray TwoRings = Ring + QByteArray(";") + Ring;

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
                     ""},
        GeometryCase{"Thai name", Reader::PadNames, TwoRings, "P1|ลาน", R"({"name":"ลาน"})"},
        GeometryCase{"padded name", Reader::PadNames, TwoRings, "P1| B ", R"({"name":" B "})"},
        GeometryCase{"no name field", Reader::PadNames, TwoRings, "P1|2", R"({"level":99})"},
        GeometryCase{"null name", Reader::PadNames, TwoRings, "P1|2", R"({"name":null})"},
        GeometryCase{"empty name", Reader::PadNames, TwoRings, "P1|2", R"({"name":""})"},
        GeometryCase{"blank name", Reader::PadNames, TwoRings, "P1|2", R"({"name":"   "})"},
        GeometryCase{"name of a NUL", Reader::PadNames, TwoRings, "P1|2", R"({"name":"\u0000"})"}));

} // namespace
