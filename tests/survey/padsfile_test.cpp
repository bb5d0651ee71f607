#include "project/controldata.h"
#include "project/project.h"
#include "support/printto.h"
#include "survey/padsfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

struct NameCase
{
    const char* what;
    QByteArray properties; // of the second of two pads, as JSON
    QString name;
};

void PrintTo(const NameCase& c, std::ostream* os)
{
    *os << c.what;
}

class PadNames : public testing::TestWithParam<NameCase>
{
};

// Every pad read has a name that messages can give: its own, or its number in the file when
// it has none, an empty one or one of blanks and control characters only.
TEST_P(PadNames, EveryPadReadCanBeNamed)
{
    Project p = startupProject();
    applyControlData(p, {10, 6, 6, 1});
    const QByteArray ring =
        R"({"type":"Polygon","coordinates":[[[10,10],[30,10],[30,30],[10,10]]]})";
    QTemporaryDir dir;
    QFile file(dir.filePath("site.pads.geojson"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"type":"FeatureCollection","features":[)"
               R"({"type":"Feature","properties":{"name":"A","level":100},"geometry":)" +
               ring + R"(},{"type":"Feature","properties":)" + GetParam().properties +
               R"(,"geometry":)" + ring + "}]}");
    file.close();
    const auto read = readPadsFile(file.fileName(), p);
    ASSERT_TRUE(std::holds_alternative<std::vector<PadShape>>(read)) << GetParam().what;
    const auto& pads = std::get<std::vector<PadShape>>(read);
    ASSERT_EQ(pads.size(), 2u);
    EXPECT_EQ(pads[0].name, QStringLiteral("A"));
    EXPECT_EQ(pads[1].name, GetParam().name) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Survey, PadNames,
    testing::Values(NameCase{"Thai", R"({"name":"ลาน"})", QStringLiteral("ลาน")},
                    NameCase{"padded", R"({"name":" B "})", QStringLiteral(" B ")},
                    NameCase{"no name field", R"({"level":99})", QStringLiteral("2")},
                    NameCase{"null", R"({"name":null})", QStringLiteral("2")},
                    NameCase{"empty", R"({"name":""})", QStringLiteral("2")},
                    NameCase{"blanks", R"({"name":"   "})", QStringLiteral("2")},
                    NameCase{"nothing but a NUL", R"({"name":"\u0000"})", QStringLiteral("2")}));

} // namespace
