#include "app/mainwindow.h"
#include "app/picturedrawing.h"
#include "graphics/backgroundredraw.h"
#include "graphics/imagesurface.h"
#include "graphics/redraw.h"
#include "graphics/ui/plotwidget.h"
#include "graphics/viewwindow.h"
#include "project/controldata.h"
#include "support/fakeprompts.h"
#include "support/printto.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <string>

using namespace tervan;

namespace {

// A rows x cols grid at 10 m over a bumpy slope from 0 to about `relief` metres.
Project terrain(qint16 rows, qint16 cols, float relief, float interval)
{
    Project p = startupProject();
    applyControlData(p, {10, rows, cols, interval});
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = relief * float(n) / float(p.NodeCount) + float(n % 7) * 0.3f;
    p.ComputeElevationRange();
    p.ComputeNodeExtents();
    p.DisplayMode = PictureKind::GridWithContours;
    fitScreen(p);
    return p;
}

// Every cell spans every level: minutes of drawing at 20,000 levels unless it stops when told.
Project endless()
{
    Project p = terrain(181, 181, 0, 0.005f);
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = n % 2 ? 0.0f : 99.99f;
    p.ComputeElevationRange();
    return p;
}

QImage drawnAtOnce(Project p, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    ImageSurface surface(image);
    Redraw(surface, p, NodeLabels{});
    return image;
}

// A window on screen, done with the pictures of its own first resizes.
struct OnScreen
{
    MainWindow window{std::make_unique<FakePrompts>()};
    PlotWidget* plot = window.findChild<PlotWidget*>("picPlot");
    PictureDrawing* drawing = window.findChild<PictureDrawing*>();
    OnScreen()
    {
        window.resize(900, 700);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(50);
    }
};

} // namespace

TEST(BackgroundRedraw, OnlyTheNewestDrawingArrivesAndMatchesADirectOne)
{
    BackgroundRedraw worker;
    QSignalSpy finished(&worker, &BackgroundRedraw::finished);
    const auto slow = std::make_shared<const Project>(endless());
    const auto quick = std::make_shared<const Project>(terrain(6, 8, 10, 0.5f));
    worker.start(slow, NodeLabels{}, QSize(400, 300));
    worker.start(quick, NodeLabels{}, QSize(400, 300));
    EXPECT_TRUE(worker.running());
    ASSERT_TRUE(worker.wait());
    EXPECT_FALSE(worker.running());
    QTest::qWait(20); // the dropped drawing's queued delivery, if any, must stay dropped
    ASSERT_EQ(finished.size(), 1);
    const auto image = finished[0][0].value<QImage>();
    const auto drawn = finished[0][1].value<ProjectSnapshot>();
    const auto measured = finished[0][2].value<RedrawMeasures>();
    EXPECT_EQ(image, drawnAtOnce(*quick, QSize(400, 300)));
    EXPECT_EQ(drawn, quick); // the snapshot itself, not a copy
    EXPECT_GT(measured.contoursEnd, quick->ElevMax);
    EXPECT_EQ(measured.dots, gridDots(*quick));
}

// Which changes between two requests draw a new picture: the project's own snapshot is reused
// while the project stays as it was.
struct RequestRow
{
    const char* what;
    std::function<void(Project&, NodeLabels&)> change;
    bool redraws;
};

class PictureRequests : public ::testing::TestWithParam<RequestRow>
{
};

TEST_P(PictureRequests, DrawOnlyWhatChanged)
{
    const RequestRow& row = GetParam();
    OnScreen on;
    PictureDrawing* drawing = on.drawing;
    Project& p = on.window.project();
    p = terrain(6, 8, 10, 0.5f);
    NodeLabels labels;
    drawing->request(labels);
    drawing->waitForPicture();
    QSignalSpy shown(drawing, &PictureDrawing::shown);
    row.change(p, labels);
    drawing->request(labels);
    drawing->waitForPicture();
    EXPECT_EQ(shown.size(), row.redraws ? 1 : 0) << row.what;
    EXPECT_FALSE(drawing->drawing()) << row.what;
}

INSTANTIATE_TEST_SUITE_P(
    Changes, PictureRequests,
    ::testing::Values(
        RequestRow{"Nothing", [](Project&, NodeLabels&) {}, false},
        RequestRow{"AnEqualProjectPutBack", [](Project& p, NodeLabels&) { p = Project(p); }, false},
        RequestRow{"ZoomedIn", [](Project& p, NodeLabels&) { zoomIn(p); }, true},
        RequestRow{"OneHeight", [](Project& p, NodeLabels&) { p.Nodes[3].Z += 0.25f; }, true},
        RequestRow{
            "WholeLevelsOnly",
            [](Project& p, NodeLabels&) { p.BoldWholeContours = ContourEmphasis::EveryLevel; },
            true},
        RequestRow{"NodeLabels", [](Project&, NodeLabels& l) { l.numbers = !l.numbers; }, true},
        RequestRow{"ThePictureAlreadyShownChosen",
                   [](Project& p, NodeLabels&) { p.DisplayMode = PictureKind::GridWithContours; },
                   false}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(PictureDrawing, LongPictureKeepsThePreviousOneAndShowsProgress)
{
    OnScreen on;
    auto& [window, plot, drawing] = on;
    auto* progress = window.findChild<QProgressBar*>("stbMainProgress");
    ASSERT_TRUE(plot && drawing && progress);
    drawing->waitForPicture();
    const QImage before = plot->image();

    Project& p = window.project();
    p = endless();
    window.Form_Activate();
    ASSERT_TRUE(drawing->drawing());
    EXPECT_EQ(plot->image(), before);
    EXPECT_TRUE(QTest::qWaitFor([progress] { return progress->isVisible(); }, 2000));

    // A newer view gives way to the old drawing at once and is the one shown.
    p = terrain(6, 8, 10, 0.5f);
    window.Form_Activate();
    drawing->waitForPicture();
    EXPECT_FALSE(drawing->drawing());
    EXPECT_FALSE(progress->isVisible());
    EXPECT_EQ(plot->image(), drawnAtOnce(p, plot->pictureSize()));
}

// Going back to the state shown while a long drawing runs stops it and keeps the picture.
TEST(PictureDrawing, BackToThePictureShownStopsTheLongDrawing)
{
    OnScreen on;
    auto& [window, plot, drawing] = on;
    Project& p = window.project();
    p = terrain(6, 8, 10, 0.5f);
    const Project shownState = p;
    window.Form_Activate();
    drawing->waitForPicture();
    const QImage shownImage = plot->image();
    QSignalSpy shown(drawing, &PictureDrawing::shown);

    p = endless();
    window.Form_Activate();
    ASSERT_TRUE(drawing->drawing());
    p = shownState;
    window.Form_Activate();
    EXPECT_FALSE(drawing->drawing());
    QTest::qWait(20); // the stopped drawing's delivery, if any, must stay dropped
    EXPECT_EQ(shown.size(), 0);
    EXPECT_FALSE(drawing->drawing());
    EXPECT_EQ(plot->image(), shownImage);
}

TEST(PictureDrawing, ContourNoticeSaysWhyNoContoursAreDrawn)
{
    const QString tooFine = QStringLiteral("ช่วงชั้นความสูงเล็กเกินไปสำหรับค่าระดับนี้");
    const struct
    {
        float interval, highest;
        QString notice;
    } cases[] = {{0.5f, 6, {}},
                 {1e-30f, 6, tooFine},
                 {-1, 6, tooFine},
                 {1, 1e6f, QStringLiteral("จำนวนชั้นความสูง 1000000 ชั้น มากเกินไป กรุณาเพิ่มช่วงชั้นความสูง")}};
    for (const auto& c : cases) {
        MainWindow window{std::make_unique<FakePrompts>()};
        Project& p = window.project();
        p = terrain(3, 3, 5, c.interval);
        p.Nodes[9].Z = c.highest;
        p.ComputeElevationRange();
        window.Form_Activate();
        window.findChild<PictureDrawing*>()->waitForPicture();
        EXPECT_EQ(window.findChild<QLabel*>("stbMainNotice")->text(), c.notice) << c.interval;
    }
}

TEST(PictureDrawing, StatusBarKeepsItsHeight)
{
    OnScreen on;
    auto& [window, plot, drawing] = on;
    auto* bar = window.findChild<QStatusBar*>("stbMain");
    const int height = bar->height();
    const QSize plotSize = plot->size();
    // The first mouse move writes the Thai read-out.
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 30), plot->mapToGlobal(QPointF(40, 30)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(plot, &move);
    ASSERT_FALSE(window.findChild<QLabel*>("stbMainText")->text().isEmpty());
    window.findChild<QProgressBar*>("stbMainProgress")->show();
    window.findChild<QLabel*>("stbMainNotice")->setText(QStringLiteral("ช่วงชั้นความสูง"));
    QTest::qWait(50);
    EXPECT_EQ(bar->height(), height);
    EXPECT_EQ(plot->size(), plotSize);
}
