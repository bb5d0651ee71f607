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

std::variant<Georeference, QString> readGeo(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readGeoreference(buffer);
}

} // namespace

struct GeoCase
{
    QByteArray text;
    std::optional<Georeference> read; // nothing: damaged
};

class GeoreferenceFile : public testing::TestWithParam<GeoCase>
{
};

TEST_P(GeoreferenceFile, ReadsWhatItWritesAndRefusesDamage)
{
    const auto read = readGeo(GetParam().text);
    ASSERT_EQ(std::holds_alternative<Georeference>(read), GetParam().read.has_value());
    if (GetParam().read) {
        EXPECT_EQ(std::get<Georeference>(read), *GetParam().read);
        EXPECT_EQ(std::get<Georeference>(readGeo(writeGeoreference(*GetParam().read))),
                  *GetParam().read);
    } else {
        EXPECT_FALSE(std::get<QString>(read).isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Survey, GeoreferenceFile,
    testing::Values(
        GeoCase{"easting = 652000.125\nnorthing = 1524000\ncrs = EPSG:32647\nestimated = 1,5\n",
                Georeference{652000.125, 1524000, 32647, {1, 5}}},
        GeoCase{"# site\r\nnorthing=10\r\neasting=-5.5\r\nlater = kept out\r\n",
                Georeference{-5.5, 10, 0, {}}},
        GeoCase{"easting = x\nnorthing = 1\n", std::nullopt},
        GeoCase{"easting = 1\nnorthing = 1\nestimated = 5,2\n", std::nullopt}));

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

    QFile geo(dir.filePath("site.geo"));
    ASSERT_TRUE(geo.open(QIODevice::WriteOnly | QIODevice::Truncate));
    geo.write("easting = nowhere\n");
    geo.close();
    opened = std::get<ProjectFileData>(loadProjectFiles(names));
    EXPECT_FALSE(opened.Georef);
    EXPECT_FALSE(opened.GeorefProblem.isEmpty());

    // Saved without one, the stale file goes so it cannot place another grid.
    p.Georef.reset();
    ASSERT_FALSE(saveProjectFiles(p, names));
    EXPECT_FALSE(QFile::exists(dir.filePath("site.geo")));
}
