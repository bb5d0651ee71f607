#include "cli/cli.h"
#include "support/printto.h"
#include "surveysites.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

using namespace surveysites;

namespace {

struct CliRun
{
    int status;
    QString out, err;
};

CliRun grid(const QString& points, const QString& made, const QStringList& more = {})
{
    CliRun r{0, {}, {}};
    QTextStream out(&r.out), err(&r.err);
    r.status =
        tervan::runCli(QStringList{"grid", points, "-o", made, "--spacing", "5"} + more, out, err);
    out.flush();
    err.flush();
    return r;
}

QByteArray bytes(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// The survey with one shot 10 m high, and again with that shot left out by name: the second
// project is the one the clean shots make, byte for byte.
TEST(GridCommand, ABlunderIsSuspectedAndLeftOutByName)
{
    QTemporaryDir dir, clean;
    auto shots = scattered(400, 200, 150, curved);
    const tervan::SurveyPoint blunder = shots[200];
    writeFile(clean.filePath("site.csv"), pnezd([&] {
                  auto rest = shots;
                  rest.erase(rest.begin() + 200);
                  return rest;
              }()));
    shots[200].z += 10;
    writeFile(dir.filePath("site.csv"), pnezd(shots));

    const CliRun all = grid(dir.filePath("site.csv"), dir.filePath("all"));
    ASSERT_EQ(all.status, 0) << all.err.toStdString();
    const auto first =
        QRegularExpression("^suspect (\\S+) (\\S+)$", QRegularExpression::MultilineOption)
            .match(all.out);
    ASSERT_TRUE(first.hasMatch()) << all.out.toStdString();
    EXPECT_EQ(first.captured(1), blunder.name);
    EXPECT_GT(first.captured(2).toDouble(), 9.5);

    const CliRun left =
        grid(dir.filePath("site.csv"), dir.filePath("left"), {"--exclude", blunder.name});
    const CliRun want = grid(clean.filePath("site.csv"), clean.filePath("want"));
    ASSERT_EQ(left.status, 0) << left.err.toStdString();
    EXPECT_FALSE(left.out.contains("suspect " + blunder.name + ' '));
    for (const char* suffix : {".gnd", ".nod"})
        EXPECT_EQ(bytes(dir.filePath("left") + suffix), bytes(clean.filePath("want") + suffix))
            << suffix;

    const CliRun unknown =
        grid(dir.filePath("site.csv"), dir.filePath("none"), {"--exclude", "x9"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_TRUE(unknown.err.contains("x9"));
    EXPECT_FALSE(QFile::exists(dir.filePath("none.gnd")));
}

TEST(GridCommand, BreaklinesWithoutHeightsWriteNothing)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("site.csv"), pnezd(scattered(50, 200, 150, plane)));
    writeFile(dir.filePath("lines.geojson"),
              R"({"type":"FeatureCollection","features":[{"type":"Feature",)"
              R"("properties":{"name":"toe"},"geometry":{"type":"LineString",)"
              R"("coordinates":[[652010,1524020],[652090,1524020]]}}]})");
    const CliRun r = grid(dir.filePath("site.csv"), dir.filePath("made"),
                          {"--breaklines", dir.filePath("lines.geojson")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("toe (#0) ที่ E 652010.000 N 1524020.000 ไม่มีค่าระดับ")))
        << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("made.gnd")));
}
