#include "project/controldata.h"
#include "project/projectfile.h"
#include "support/printto.h"
#include "survey/siteoutline.h"
#include "survey/ui/surveydialog.h"
#include "surveysites.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

// The dialog with a points file typed into its box as a user types it.
struct Dialog
{
    QTemporaryDir dir;
    QString picked; // what the file buttons answer
    SurveyDialog dialog{[this](const QString&) { return picked; }};

    explicit Dialog(const QByteArray& points, bool wait = true)
    {
        surveysites::writeFile(dir.filePath("shots.csv"), points);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        type("txtPointsFile", dir.filePath("shots.csv"));
        if (wait)
            settle();
    }
    // Focus on the box, its text typed over, Tab out of it.
    void type(const char* box, const QString& text)
    {
        dialog.findChild<QWidget*>(box)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    void press(const char* control, Qt::Key key, int times = 1)
    {
        dialog.findChild<QWidget*>(control)->setFocus();
        for (int i = 0; i < times; ++i)
            QTest::keyClick(QApplication::focusWidget(), key);
    }
    void click(const char* button)
    {
        QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
    }
    // Until the work for the choices shown has ended.
    void settle()
    {
        while (dialog.isWorking()) {
            QSignalSpy ended(&dialog, &SurveyDialog::workEnded);
            if (!ended.wait(300000))
                break;
        }
    }
    QString status() const { return dialog.findChild<QLabel*>("lblSurveyStatus")->text(); }
    QString projectCrs() const
    {
        return dialog.findChild<QComboBox*>("cboCrs")->currentData().toString();
    }
    bool canMake() const { return dialog.findChild<QPushButton*>("cmdMake")->isEnabled(); }
    QListWidget* suspects() const { return dialog.findChild<QListWidget*>("lstSuspects"); }
};

// The dialog's workers held by a task of our own, so work it starts waits until released.
struct HeldWorkers
{
    QThreadPool* pool = SurveyDialog::workers();
    const int threads = pool->maxThreadCount();
    QSemaphore go;
    HeldWorkers()
    {
        pool->setMaxThreadCount(1);
        pool->start([this] { go.acquire(); });
    }
    void release() { go.release(); }
    ~HeldWorkers()
    {
        go.release();
        pool->waitForDone();
        pool->setMaxThreadCount(threads);
    }
};

// An L of shots every 5 m over 100 m: the north-east quarter was never surveyed.
QByteArray lShapedSite()
{
    QByteArray csv = "Point,Easting,Northing,Elevation\n";
    for (int i = 0; i <= 20; ++i)
        for (int j = 0; j <= 20; ++j)
            if (i <= 10 || j <= 10)
                csv += QStringLiteral("p%1-%2,%3,%4,%5\n")
                           .arg(i)
                           .arg(j)
                           .arg(surveysites::East + 5 * i)
                           .arg(surveysites::North + 5 * j)
                           .arg(100 + 0.1 * i + 0.05 * j)
                           .toUtf8();
    return csv;
}

// One feature in UTM 47N metres, as the site's drawings give them.
QByteArray geoJson(const char* geometry)
{
    return QByteArray(R"({"type":"FeatureCollection","crs":{"type":"name","properties":)"
                      R"({"name":"urn:ogc:def:crs:EPSG::32647"}},"features":[{"type":"Feature",)"
                      R"("properties":{"name":"a"},"geometry":)") +
           geometry + "}]}";
}

// Shots in degrees: under a header naming latitude first, else longitude first as x, y.
QByteArray latLon(bool header)
{
    QByteArray text = header ? "Latitude,Longitude,Height\n" : "";
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const QString lat = QString::number(13.75 + 0.0003 * j + 0.00001 * i, 'f', 7),
                          lon = QString::number(100.5 + 0.0003 * i, 'f', 7);
            text +=
                ((header ? lat + ',' + lon : lon + ',' + lat) + ',' + QString::number(2 + i) + '\n')
                    .toUtf8();
        }
    return text;
}

} // namespace

struct CoordinateCase
{
    const char* what;
    QByteArray points;
    const char* says; // in the status line
    const char* crs;  // the project's system the dialog shows
    bool canMake;
};

class SurveyCoordinates : public testing::TestWithParam<CoordinateCase>
{
};

// The dialog asks for the points' system where it cannot tell, and offers the one the
// points fit where it can.
TEST_P(SurveyCoordinates, AsksOrOffers)
{
    const Dialog d(GetParam().points);
    EXPECT_TRUE(d.status().contains(QString::fromUtf8(GetParam().says)))
        << d.status().toStdString();
    EXPECT_EQ(d.projectCrs(), QLatin1String(GetParam().crs)) << GetParam().what;
    EXPECT_EQ(d.canMake(), GetParam().canMake) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Survey, SurveyCoordinates,
    testing::Values(
        CoordinateCase{"latitude/longitude by the header", latLon(true), "ระบบพิกัดของจุด", "", false},
        CoordinateCase{"values that can only be degrees", latLon(false), "ระบบพิกัดของจุด", "", false},
        CoordinateCase{"UTM 47N coordinates in Thailand",
                       surveysites::pnezd(surveysites::scattered(20, 100, 100, surveysites::plane)),
                       "UTM 47N", "EPSG:32647", true},
        CoordinateCase{"local coordinates", "x,y,z\n0,0,1\n50,0,2\n0,50,3\n", "อ่านได้ 3 จุด", "",
                       true}));

// Asked for the points' system, the user picks WGS 84 latitude/longitude from the box the
// question put the focus on: the project lands in the UTM zone of the points, RTSD shift named.
TEST(SurveyDialog, LatitudeLongitudeAnsweredLandsInItsUtmZone)
{
    Dialog d(latLon(true));
    ASSERT_EQ(QApplication::focusWidget()->objectName(), "cboFromCrs");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    d.settle();
    EXPECT_EQ(d.projectCrs(), "EPSG:32647");
    ASSERT_TRUE(d.canMake());
    QTest::mouseClick(d.dialog.findChild<QPushButton*>("cmdMake"), Qt::LeftButton);
    ASSERT_EQ(d.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(d.dialog.project().Georef->epsg, 32647);
    EXPECT_TRUE(d.dialog.reportHeading().join('\n').contains("EPSG:32647"));
    EXPECT_TRUE(d.dialog.reportHeading().join('\n').contains("EPSG:4326"));
}

// A second survey of the site takes the first project's grid, node for node.
TEST(SurveyDialog, UsesTheGridOfAnEarlierProject)
{
    Dialog d("x,y,z\n652003,1524004,1\n652047,1524002,2\n652011,1524038,3\n");
    Project earlier = startupProject();
    applyControlData(earlier, {5, 12, 14, 1});
    earlier.Georef = Georeference{651990, 1523995, 32647, {}};
    ASSERT_FALSE(saveProjectFiles(earlier, projectFileNames(d.dir.filePath("before"))));
    d.picked = d.dir.filePath("before.gnd");
    QTest::mouseClick(d.dialog.findChild<QPushButton*>("cmdLikeProject"), Qt::LeftButton);
    d.settle();
    EXPECT_EQ(d.projectCrs(), "EPSG:32647");
    QTest::mouseClick(d.dialog.findChild<QPushButton*>("cmdMake"), Qt::LeftButton);
    ASSERT_EQ(d.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(d.dialog.frame(), (GridFrame{651990, 1523995, 5, 12, 14}));
    EXPECT_EQ(d.dialog.project().Georef->epsg, 32647);
}

struct BoundaryCase
{
    const char* what;
    int downs;        // key presses down the outline box from the concave outline
    int estimated;    // of the 11 x 11 nodes at 10 m
    bool outlineKept; // in the project's georeference
};

class SurveyBoundary : public testing::TestWithParam<BoundaryCase>
{
};

// The outline chosen is the made project's, and decides which nodes are estimated: the
// concave one leaves the L's missing quarter out (all but the node by its inner corner, which
// GEOS's outline cuts across), the hull only the corner beyond its diagonal, a drawn square
// everything outside it.
TEST_P(SurveyBoundary, ChoiceIsTheProjectsOutline)
{
    Dialog d(lShapedSite());
    surveysites::writeFile(d.dir.filePath("square.geojson"),
                           geoJson(R"({"type":"Polygon","coordinates":[[[652000,1524000],)"
                                   R"([652050,1524000],[652050,1524050],[652000,1524050],)"
                                   R"([652000,1524000]]]})"));
    d.picked = d.dir.filePath("square.geojson");
    d.press("cboBoundary", Qt::Key_Down, GetParam().downs);
    d.settle();
    ASSERT_TRUE(d.canMake()) << d.status().toStdString();
    d.click("cmdMake");
    ASSERT_EQ(d.dialog.result(), QDialog::Accepted) << GetParam().what;
    const Project& p = d.dialog.project();
    ASSERT_EQ(p.NodeCount, 121);
    EXPECT_EQ(int(p.Georef->estimated.size()), GetParam().estimated) << GetParam().what;
    EXPECT_EQ(!p.Georef->outline.empty(), GetParam().outlineKept) << GetParam().what;
    if (GetParam().downs == 3) {
        EXPECT_NEAR(outlineArea(p.Georef->outline), 2500, 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(Survey, SurveyBoundary,
                         testing::Values(BoundaryCase{"concave", 0, 24, true},
                                         BoundaryCase{"convex hull", 1, 15, true},
                                         BoundaryCase{"none", 2, 15, false},
                                         BoundaryCase{"from a file", 3, 85, true}));

struct BreaklinesCase
{
    const char* what;
    QByteArray file; // empty: no such file
    const char* says;
    bool canMake;
};

class SurveyBreaklines : public testing::TestWithParam<BreaklinesCase>
{
};

// Breaklines typed in are read as the batch front end reads them; a file it refuses says why
// and nothing can be made until it is put right.
TEST_P(SurveyBreaklines, ReadOrRefused)
{
    Dialog d(lShapedSite());
    if (!GetParam().file.isEmpty())
        surveysites::writeFile(d.dir.filePath("ditch.geojson"), GetParam().file);
    d.type("txtBreaklines", d.dir.filePath("ditch.geojson"));
    d.settle();
    EXPECT_TRUE(d.status().contains(QString::fromUtf8(GetParam().says)))
        << d.status().toStdString();
    EXPECT_EQ(d.canMake(), GetParam().canMake) << GetParam().what;
    if (GetParam().canMake) {
        d.click("cmdMake");
        EXPECT_EQ(d.dialog.quality().breaklines, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Survey, SurveyBreaklines,
    testing::Values(
        BreaklinesCase{"a ditch bottom in 3D",
                       geoJson(R"({"type":"LineString","coordinates":[[652010,1524002,99],)"
                               R"([652010,1524048,99.5]]})"),
                       "เส้นแนวหัก 1 เส้น", true},
        BreaklinesCase{"a line without heights",
                       geoJson(R"({"type":"LineString","coordinates":[[652010,1524002],)"
                               R"([652010,1524048]]})"),
                       "ไม่มีค่าระดับ", false},
        BreaklinesCase{"no such file", {}, "ditch.geojson", false}));

// A shot raised 10 m is listed first among the suspects; unticked, the grid is made again
// without it, equal to the grid of the clean shots, and the report names it.
TEST(SurveyDialog, SuspectUntickedIsLeftOutAndNamed)
{
    auto shots = surveysites::scattered(400, 150, 150, surveysites::curved);
    auto clean = shots;
    clean.erase(clean.begin() + 200);
    shots[200].z += 10;
    Dialog d(surveysites::pnezd(shots));
    ASSERT_GE(d.suspects()->count(), 1) << d.status().toStdString();
    EXPECT_TRUE(d.suspects()->item(0)->text().contains(shots[200].name));
    EXPECT_EQ(d.suspects()->item(0)->checkState(), Qt::Checked);

    d.press("lstSuspects", Qt::Key_Home);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(d.suspects()->item(0)->checkState(), Qt::Unchecked);
    d.settle();
    d.click("cmdMake");
    ASSERT_EQ(d.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(d.dialog.quality().excluded, QStringList{shots[200].name});
    EXPECT_TRUE(qualityLines(d.dialog.quality(), d.dialog.frame())
                    .contains(QStringLiteral("ไม่ใช้จุด %1 ตามที่สั่ง").arg(shots[200].name)));
    const auto made = makeGrid(mergeDuplicates(clean).points, d.dialog.frame(), GridMethod::Linear);
    const auto& z = std::get<GridResult>(made).z;
    // The dialog's shots are taken to the millimetre.
    for (std::size_t i = 0; i < z.size(); ++i)
        ASSERT_NEAR(d.dialog.project().Nodes[i + 1].Z, z[i], 1e-3) << "node " << i + 1;
}

// With the workers held, the points are still being read: the window answers, the event loop
// turns, a busy cursor and a stop button show, and "Make" waits; released, the project is
// made on a worker and the dialog closes.
TEST(SurveyDialog, WorksOffTheWindowsThread)
{
    HeldWorkers held;
    Dialog d(lShapedSite(), false);
    EXPECT_TRUE(d.dialog.isWorking());
    EXPECT_EQ(d.dialog.cursor().shape(), Qt::BusyCursor);
    EXPECT_TRUE(d.dialog.findChild<QPushButton*>("cmdCancelWork")->isVisible());
    d.click("cmdMake");
    EXPECT_NE(d.dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(d.canMake());
    bool turned = false;
    QTimer::singleShot(0, &d.dialog, [&] { turned = true; });
    QCoreApplication::processEvents();
    EXPECT_TRUE(turned);
    d.type("spnSpacing", "5");
    EXPECT_EQ(d.dialog.findChild<QSpinBox*>("spnSpacing")->value(), 5);
    EXPECT_TRUE(d.dialog.isWorking());

    held.release();
    d.settle();
    ASSERT_NE(d.dialog.gridMadeOn(), nullptr);
    EXPECT_NE(d.dialog.gridMadeOn(), QThread::currentThread());
    EXPECT_NE(d.dialog.cursor().shape(), Qt::BusyCursor);
    EXPECT_EQ(d.dialog.findChild<QSpinBox*>("spnRows")->value(), 21);
    EXPECT_EQ(d.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(d.dialog.project().NodeCount, 21 * 21);
}

// "Make" pressed, then the work stopped while the points are read or while the grid is made:
// nothing is made, and only points already read can still be made into a project.
TEST(SurveyDialog, StoppedWorkMakesNothing)
{
    for (const bool pointsRead : {false, true}) {
        std::optional<HeldWorkers> held;
        if (!pointsRead)
            held.emplace();
        Dialog d(lShapedSite(), pointsRead);
        if (pointsRead) {
            held.emplace();
            d.press("cboMethod", Qt::Key_Down);
        }
        d.click("cmdMake");
        EXPECT_FALSE(d.canMake());
        ASSERT_TRUE(d.dialog.isWorking());
        d.click("cmdCancelWork");
        EXPECT_FALSE(d.dialog.isWorking());
        held.reset();
        QCoreApplication::processEvents();
        EXPECT_NE(d.dialog.result(), QDialog::Accepted) << pointsRead;
        EXPECT_EQ(d.dialog.project().NodeCount, 0) << pointsRead;
        EXPECT_TRUE(d.status().contains(QStringLiteral("หยุด"))) << pointsRead;
        EXPECT_EQ(d.canMake(), pointsRead);
    }
}
