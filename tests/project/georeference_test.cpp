#include "project/controldata.h"
#include "project/heightscsv.h"
#include "project/projectfile.h"
#include "support/printto.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

// 16 rows by 21 columns at 10 m: nodes 1 to 336.
constexpr GeoGrid Site{16, 21, 10};

std::variant<Georeference, QString> readGeo(const QByteArray& bytes, const GeoGrid& grid = Site)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readGeoreference(buffer, grid);
}

} // namespace

struct GeoCase
{
    QByteArray text;
    std::optional<Georeference> read; // nothing: damaged, and the reason says `says`
    const char* says = "";
};

class GeoreferenceFile : public testing::TestWithParam<GeoCase>
{
};

TEST_P(GeoreferenceFile, ReadsWhatItWritesAndRefusesDamage)
{
    const auto read = readGeo("easting = 1\nnorthing = 2\n" + GetParam().text);
    ASSERT_EQ(std::holds_alternative<Georeference>(read), GetParam().read.has_value());
    if (GetParam().read) {
        EXPECT_EQ(std::get<Georeference>(read), *GetParam().read);
        const QByteArray written = writeGeoreference(*GetParam().read, Site);
        EXPECT_TRUE(written.contains("\ngrid = 16 x 21 x 10\n")) << written.constData();
        EXPECT_EQ(std::get<Georeference>(readGeo(written)), *GetParam().read);
    } else {
        EXPECT_TRUE(std::get<QString>(read).contains(QString::fromUtf8(GetParam().says)))
            << std::get<QString>(read).toStdString();
    }
}

// Each text follows "easting = 1" and "northing = 2" on lines 1 and 2.
INSTANTIATE_TEST_SUITE_P(
    Survey, GeoreferenceFile,
    testing::Values(GeoCase{"grid = 16 x 21 x 10\ncrs = EPSG:32647\nestimated = 1,5,336\n",
                            Georeference{1, 2, 32647, {1, 5, 336}}},
                    GeoCase{"crs = epsg:4240\ndatum-shift = EPSG:1812\nestimated = 7\n",
                            Georeference{1, 2, 4240, {7}, "EPSG:1812"}},
                    // Older files name no grid; later ones may add keys, even twice.
                    GeoCase{"# site\r\nlater = kept out\r\nlater = again\r\n",
                            Georeference{1, 2, 0, {}}},
                    GeoCase{"northing = 3\n", std::nullopt, "บรรทัดที่ 3"},
                    GeoCase{"crs = EPSG:32647\nCRS = EPSG:32648\n", std::nullopt, "บรรทัดที่ 4"},
                    GeoCase{"easting = x\n", std::nullopt, "บรรทัดที่ 3"},
                    GeoCase{"no sign\n", std::nullopt, "บรรทัดที่ 3"},
                    GeoCase{"estimated = 5,2\n", std::nullopt, "บรรทัดที่ 3"},
                    GeoCase{"estimated = 0,5,9,14\n", std::nullopt, "บรรทัดที่ 3"},
                    GeoCase{"estimated = 5,5\n", std::nullopt, "บรรทัดที่ 3"},
                    GeoCase{"estimated = 1,x\n", std::nullopt, "บรรทัดที่ 3"},
                    GeoCase{"estimated = 1,,5\n", std::nullopt, "บรรทัดที่ 3"},
                    GeoCase{"estimated =\n", std::nullopt, "บรรทัดที่ 3"},
                    GeoCase{"\nestimated = 1,337\n", std::nullopt, "บรรทัดที่ 4"},
                    GeoCase{"crs = 32647\n", std::nullopt, "บรรทัดที่ 3"},
                    GeoCase{"crs = EPSG:0\n", std::nullopt, "บรรทัดที่ 3"},
                    GeoCase{"crs = EPSG:32647x\n", std::nullopt, "บรรทัดที่ 3"},
                    GeoCase{"crs =\n", std::nullopt, "บรรทัดที่ 3"},
                    GeoCase{"grid = 16 x 21\n", std::nullopt, "บรรทัดที่ 3"},
                    GeoCase{"grid = 16 x 21 x -10\n", std::nullopt, "บรรทัดที่ 3"},
                    GeoCase{"grid = 21 x 16 x 10\n", std::nullopt, "21 × 16 ระยะ 10 ม."},
                    GeoCase{"grid = 16 x 21 x 5\n", std::nullopt, "16 × 21 ระยะ 5 ม."}));

TEST(Georeference, TravelsWithTheProjectAndNeverStopsItOpening)
{
    QTemporaryDir dir;
    Project p = startupProject();
    applyControlData(p, {10, 2, 2, 1});
    p.Georef = Georeference{652000, 1524000, 32647, {4}};
    const ProjectFileNames names = projectFileNames(dir.filePath("site.gnd"));
    const QByteArray header = encodeHeader(p);
    ASSERT_FALSE(saveProjectFiles(p, names));
    auto opened = std::get<ProjectFileData>(loadProjectFiles(names));
    EXPECT_EQ(opened.Georef, p.Georef);

    // World coordinates out and back in; the pair's bytes are those of a plain grid.
    const QByteArray csv = writeHeightsCsv(p);
    EXPECT_TRUE(csv.contains("\n4,652010.000,1524010.000,0\n"));
    QFile gnd(names.gnd);
    ASSERT_TRUE(gnd.open(QIODevice::ReadOnly));
    EXPECT_EQ(gnd.readAll(), header);

    // One written for this grid or by an older version opens; a damaged one, or one that
    // belongs to another grid, is reported and the grid opens in its own coordinates.
    const Georeference placed{652000, 1524000, 32647, {4}};
    for (const auto& [text, opens] :
         {std::pair{writeGeoreference(placed, {2, 2, 10}), true},
          {"easting = 652000\nnorthing = 1524000\ncrs = EPSG:32647\nestimated = 4\n", true},
          {writeGeoreference(placed, {2, 2, 5}), false},
          {writeGeoreference(Georeference{652000, 1524000, 32647, {5}}, {2, 2, 10}), false},
          {"easting = nowhere\n", false}}) {
        QFile geo(dir.filePath("site.geo"));
        ASSERT_TRUE(geo.open(QIODevice::WriteOnly | QIODevice::Truncate));
        geo.write(text);
        geo.close();
        opened = std::get<ProjectFileData>(loadProjectFiles(names));
        EXPECT_EQ(opened.Georef, opens ? std::optional(placed) : std::nullopt) << text.constData();
        EXPECT_EQ(opened.GeorefProblem.isEmpty(), opens) << text.constData();
    }

    // Saved without one, the stale file goes so it cannot place another grid.
    p.Georef.reset();
    ASSERT_FALSE(saveProjectFiles(p, names));
    EXPECT_FALSE(QFile::exists(dir.filePath("site.geo")));
}
