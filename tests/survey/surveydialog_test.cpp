#include "project/controldata.h"
#include "project/projectfile.h"
#include "support/printto.h"
#include "survey/siteoutline.h"
#include "survey/ui/surveydialog.h"
#include "surveysites.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <functional>
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
    // Focus on the control, then its text typed over and Tab, or keys pressed.
    void type(const char* box, const QString& text)
    {
        press(box, Qt::Key_A, 1, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    void press(const char* control, Qt::Key key, int times = 1, Qt::KeyboardModifiers m = {})
    {
        dialog.findChild<QWidget*>(control)->setFocus();
        for (int i = 0; i < times; ++i)
            QTest::keyClick(QApplication::focusWidget(), key, m);
    }
    void click(const char* button)
    {
        QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
    }
    void settle() // until the work for the choices shown has ended
    {
        for (QSignalSpy ended(&dialog, &SurveyDialog::workEnded); dialog.isWorking();)
            if (!ended.wait(300000))
                break;
    }
    QString status() const { return dialog.findChild<QLabel*>("lblSurveyStatus")->text(); }
    bool canMake() const { return dialog.findChild<QPushButton*>("cmdMake")->isEnabled(); }
};

// The dialog's one worker held by a task of ours, so work it starts waits until released.
struct HeldWorkers
{
    QThreadPool* pool = SurveyDialog::workers();
    const int threads = pool->maxThreadCount();
    QSemaphore go;
    HeldWorkers()
    {
        pool->setMaxThreadCount(1), pool->start([this] { go.acquire(); });
    }
    ~HeldWorkers() { go.release(), pool->waitForDone(), pool->setMaxThreadCount(threads); }
};

// One feature in UTM 47N metres, as the site's drawings give them.
QByteArray geoJson(const char* geometry)
{
    return QByteArray(R"({"type":"FeatureCollection","crs":{"type":"name","properties":)"
                      R"({"name":"urn:ogc:def:crs:EPSG::32647"}},"features":[{"type":"Feature",)"
                      R"("properties":{"name":"a"},"geometry":)") +
           geometry + "}]}";
}

// Three shots in degrees, latitude first under a header naming it, else longitude first.
const QByteArray Degrees = "Latitude,Longitude,Height\n13.7500000,100.5000000,2\n"
                           "13.7503000,100.5000000,3\n13.7500000,100.5003000,4\n";
const QByteArray BareDegrees = "100.5000000,13.7500000,2\n100.5000000,13.7503000,3\n"
                               "100.5003000,13.7500000,4\n";

// Asked for the points' system, the user answers WGS 84 from the box the question focused.
void answerDegrees(Dialog&)
{
    ASSERT_EQ(QApplication::focusWidget()->objectName(), "cboFromCrs");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
}

// The user lays the shots on the grid of an earlier project.
void likeEarlier(Dialog& d)
{
    Project earlier = startupProject();
    applyControlData(earlier, {5, 12, 14, 1});
    earlier.Georef = Georeference{651990, 1523995, 32647, {}};
    ASSERT_FALSE(saveProjectFiles(earlier, projectFileNames(d.dir.filePath("before"))));
    d.picked = d.dir.filePath("before.gnd");
    d.click("cmdLikeProject");
}

// The user picks the nth entry below the concave outline, the last being a file: this square.
std::function<void(Dialog&)> outline(int downs)
{
    return [downs](Dialog& d) {
        surveysites::writeFile(d.picked = d.dir.filePath("square.geojson"),
                               geoJson(R"({"type":"Polygon","coordinates":[[[652000,1524000],)"
                                       R"([652050,1524000],[652050,1524050],[652000,1524050],)"
                                       R"([652000,1524000]]]})"));
        d.press("cboBoundary", Qt::Key_Down, downs);
    };
}

// Breaklines typed in: a file of one line through `vertices`, or none at all.
std::function<void(Dialog&)> breaklines(const char* vertices)
{
    return [vertices](Dialog& d) {
        if (vertices)
            surveysites::writeFile(
                d.dir.filePath("ditch.geojson"),
                geoJson(R"({"type":"LineString","coordinates":)" + QByteArray(vertices) + '}'));
        d.type("txtBreaklines", d.dir.filePath("ditch.geojson"));
    };
}

} // namespace

struct MakeCase
{
    const char* what;
    QByteArray points;
    std::function<void(Dialog&)> choose; // what the user does before "Make"
    const char* says;                    // in the status line
    const char* crs;                     // the project's system shown, then the project's
    bool canMake;
    const char* heading = ""; // in the report
    std::optional<GridFrame> frame{};
    int estimated = -1; // nodes outside the outline; -1: not checked
    double area = -1;   // of the kept outline, to 5 %; 0: none kept; -1: not checked
    int breaklines = 0; // used
    // The heading and interval the project carries: no name or engineer (the heading then
    // takes the project file's name), and the interval chosen for the heights, unless the user
    // typed others.
    const char* name = "";
    const char* engineer = "";
    float interval = 0; // 0: not checked
};

class SurveyMake : public testing::TestWithParam<MakeCase>
{
};

// The dialog asks for the points' system where it cannot tell and offers the one they fit
// where it can; the outline, breaklines and grid chosen are the made project's.
TEST_P(SurveyMake, ChoicesShapeTheProject)
{
    const MakeCase& c = GetParam();
    Dialog d(c.points);
    if (c.choose)
        c.choose(d);
    d.settle();
    EXPECT_TRUE(d.status().contains(QString::fromUtf8(c.says))) << d.status().toStdString();
    EXPECT_EQ(d.dialog.findChild<QComboBox*>("cboCrs")->currentData().toString(),
              QLatin1String(c.crs));
    ASSERT_EQ(d.canMake(), c.canMake) << d.status().toStdString();
    if (!c.canMake)
        return;
    d.click("cmdMake");
    ASSERT_EQ(d.dialog.result(), QDialog::Accepted);
    const Project& p = d.dialog.project();
    ASSERT_TRUE(p.Georef);
    EXPECT_EQ(p.Georef->epsg ? QStringLiteral("EPSG:%1").arg(p.Georef->epsg) : QString(), c.crs);
    if (c.frame) {
        EXPECT_EQ(d.dialog.frame(), *c.frame);
    }
    if (c.estimated >= 0) {
        EXPECT_EQ(int(p.Georef->estimated.size()), c.estimated);
    }
    if (c.area >= 0) {
        EXPECT_NEAR(outlineArea(p.Georef->outline), c.area, 0.05 * c.area);
    }
    EXPECT_EQ(d.dialog.quality().breaklines, c.breaklines);
    EXPECT_TRUE(d.dialog.reportHeading().join('\n').contains(c.heading));
    EXPECT_EQ(p.ProjectName.text().trimmed(), QString::fromUtf8(c.name));
    EXPECT_EQ(p.EngineerName.text().trimmed(), QString::fromUtf8(c.engineer));
    if (c.interval > 0) {
        EXPECT_EQ(p.ContourInterval, c.interval);
    }
}

// Whose project it is, typed as the dialog is filled in.
void whose(Dialog& d)
{
    // Thai keys carry their text; QTest's key names cover Latin letters only.
    for (const auto& [box, text] : {std::pair{"txtProjectName", QStringLiteral("ไร่นายสมชาย")},
                                    {"txtEngineer", QStringLiteral("นายวิชัย รักดี")}}) {
        d.press(box, Qt::Key_A, 1, Qt::ControlModifier);
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown,
                                QString(c), Qt::NoModifier);
    }
    d.type("spnInterval", QStringLiteral("0.25"));
}

// The concave outline leaves the L's missing quarter out; the hull only the corner beyond its
// diagonal.
const GridFrame L{652000, 1524000, 10, 11, 11};

// A second survey of the site takes the first project's grid; latitude/longitude lands in
// its UTM zone through the RTSD shift.
INSTANTIATE_TEST_SUITE_P(
    Survey, SurveyMake,
    testing::Values(
        MakeCase{"values that can only be degrees", BareDegrees, nullptr, "ระบบพิกัดของจุด", "",
                 false},
        MakeCase{"degrees answered", Degrees, answerDegrees, "", "EPSG:32647", true, "EPSG:4326"},
        MakeCase{"UTM 47N coordinates in Thailand",
                 surveysites::pnezd(surveysites::scattered(20, 100, 100, surveysites::plane)),
                 nullptr, "UTM 47N", "EPSG:32647", true},
        MakeCase{"local coordinates", "x,y,z\n0,0,1\n50,0,2\n0,50,3\n", nullptr, "อ่านได้ 3 จุด", "",
                 true},
        MakeCase{"the grid of an earlier project",
                 "x,y,z\n652003,1524004,1\n652047,1524002,2\n652011,1524038,3\n", likeEarlier, "",
                 "EPSG:32647", true, "", GridFrame{651990, 1523995, 5, 12, 14}},
        MakeCase{"concave outline", surveysites::lShapedSite(), outline(0), "", "EPSG:32647", true,
                 "", L, 25, 7500},
        MakeCase{"convex hull", surveysites::lShapedSite(), outline(1), "", "EPSG:32647", true, "",
                 L, 15, 8750},
        MakeCase{"no outline", surveysites::lShapedSite(), outline(2), "", "EPSG:32647", true, "",
                 L, 15, 0},
        MakeCase{"outline from a file", surveysites::lShapedSite(), outline(3), "", "EPSG:32647",
                 true, "", L, 85, 2500},
        MakeCase{"a ditch bottom in 3D", surveysites::lShapedSite(),
                 breaklines(R"([[652010,1524002,99],[652010,1524048,99.5]])"), "เส้นแนวหัก 1 เส้น",
                 "EPSG:32647", true, "", L, -1, -1, 1},
        MakeCase{"breaklines without heights", surveysites::lShapedSite(),
                 breaklines(R"([[652010,1524002],[652010,1524048]])"), "ไม่มีค่าระดับ", "EPSG:32647",
                 false},
        MakeCase{"no breaklines file", surveysites::lShapedSite(), breaklines(nullptr),
                 "ditch.geojson", "EPSG:32647", false},
        MakeCase{"whose project", surveysites::lShapedSite(), whose, "", "EPSG:32647", true, "", L,
                 -1, -1, 0, "ไร่นายสมชาย", "นายวิชัย รักดี", 0.25f}));

// A shot raised 10 m is listed first among the suspects; unticked, the grid is made again
// without it, equal to the grid of the clean shots, and the report names it.
TEST(SurveyDialog, SuspectUntickedIsLeftOutAndNamed)
{
    auto shots = surveysites::scattered(400, 150, 150, surveysites::curved);
    auto clean = shots;
    clean.erase(clean.begin() + 200);
    shots[200].z += 10;
    Dialog d(surveysites::pnezd(shots));
    const QListWidget* suspects = d.dialog.findChild<QListWidget*>("lstSuspects");
    ASSERT_GE(suspects->count(), 1) << d.status().toStdString();
    EXPECT_TRUE(suspects->item(0)->text().contains(shots[200].name));
    EXPECT_EQ(suspects->item(0)->checkState(), Qt::Checked);
    d.press("lstSuspects", Qt::Key_Home);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(suspects->item(0)->checkState(), Qt::Unchecked);
    d.settle();
    d.click("cmdMake");
    ASSERT_EQ(d.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(d.dialog.quality().excluded, QStringList{shots[200].name});
    EXPECT_TRUE(qualityLines(d.dialog.quality(), d.dialog.frame())
                    .contains(QStringLiteral("ไม่ใช้จุด %1 ตามที่สั่ง").arg(shots[200].name)));
    const auto made = makeGrid(mergeDuplicates(clean).points, d.dialog.frame(), GridMethod::Linear);
    const auto& z = std::get<GridResult>(made).z;
    for (std::size_t i = 0; i < z.size(); ++i) // the dialog's shots are taken to the millimetre
        ASSERT_NEAR(d.dialog.project().Nodes[i + 1].Z, z[i], 1e-3) << "node " << i + 1;
}

// With the workers held, the points are still being read: the window answers, the event loop
// turns, a busy cursor and a stop button show, and "Make" waits; released, the project is
// made on a worker and the dialog closes.
TEST(SurveyDialog, WorksOffTheWindowsThread)
{
    std::optional<HeldWorkers> held(std::in_place);
    Dialog d(surveysites::lShapedSite(), false);
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
    held.reset();
    d.settle();
    ASSERT_NE(d.dialog.gridMadeOn(), nullptr);
    EXPECT_NE(d.dialog.gridMadeOn(), QThread::currentThread());
    EXPECT_NE(d.dialog.cursor().shape(), Qt::BusyCursor);
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
        Dialog d(surveysites::lShapedSite(), pointsRead);
        if (pointsRead) {
            held.emplace();
            d.press("cboMethod", Qt::Key_Down);
        }
        d.click("cmdMake");
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

// Closed while reading, the file box still holding the focus: the dialog's own hiding, in its
// destructor, must reach nothing of it (it once waited for ever on its work's lock).
TEST(SurveyDialog, DestroyedWhileWorkingWithTheFileBoxFocused)
{
    auto d = std::make_unique<Dialog>(
        surveysites::pnezd(surveysites::scattered(2000, 300, 300, surveysites::plane)), false);
    d->press("txtPointsFile", Qt::Key_End);
    d->dialog.loadPoints(d->dir.filePath("shots.csv"));
    ASSERT_EQ(QApplication::focusWidget()->objectName(), "txtPointsFile");
    d.reset();
    SUCCEED();
}

// On a screen shorter than its choices (the offscreen screen is 800 x 600), the dialog stays
// on the screen and the choices scroll, the last of them reachable.
TEST(SurveyDialog, FitsAShortScreen)
{
    SurveyDialog dialog{[](const QString&) { return QString(); }};
    dialog.show();
    const QRect screen = dialog.screen()->availableGeometry();
    EXPECT_LE(dialog.height(), screen.height());
    auto* choices = dialog.findChild<QScrollArea*>("scrChoices");
    ASSERT_NE(choices, nullptr);
    QWidget* last = dialog.findChild<QWidget*>("spnInterval");
    ASSERT_NE(last, nullptr);
    choices->ensureWidgetVisible(last);
    QCoreApplication::processEvents();
    EXPECT_TRUE(choices->viewport()->rect().contains(
        last->mapTo(choices->viewport(), last->rect().bottomLeft())));
}
