#include "app/mainwindow.h"
#include "app/padscommands.h"
#include "common/numbertext.h"
#include "grading/sections.h"
#include "grading/sectiontexts.h"
#include "graphics/ui/plotpicker.h"
#include "graphics/ui/plotwidget.h"
#include "graphics/viewwindow.h"
#include "support/fakeprompts.h"
#include "support/files.h"
#include "support/printto.h"
#include "support/recordedprints.h"
#include "support/terrain.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

// The window over an 11 x 11 grid 10 m apart on a rising, swelling terrain, shown as a plan
// with the whole grid in view, printing to a recorder.
const std::vector<QPointF> Rectangle{{20, 20}, {60, 20}, {60, 50}, {20, 50}};

// Where a key goes: the focused widget, or the one given focus when no window is active.
QWidget* focused(QWidget* given)
{
    return QApplication::focusWidget() ? QApplication::focusWidget() : given;
}

struct PadsWindow
{
    QTemporaryDir dir; // outlives the window's lock on the project in it
    FakePrompts* prompts = new FakePrompts;
    MainWindow window{std::unique_ptr<Prompts>(prompts)};
    RecordingPage printed;

    PadsWindow()
    {
        window.setPrintOutput(
            [this](Prompts&) { return std::make_unique<ForwardingPage>(printed); });
        window.mnuFileNew_Click();
        window.project() = terrain(11, 11, 10);
        window.GraphicShow_Click(1);
        fitScreen(window.project());
        window.resize(1200, 900);
        window.show();
        window.activateWindow();
        window.Form_Activate();
    }
    // The rectangle at 104 m, given to the panel as the design.
    PadShape levelPad()
    {
        const PadShape pad{QStringLiteral("ลาน"), Rectangle, 104};
        pads().change({{pad}, PadBalance::None, 1}, QStringLiteral("ทดสอบ"));
        return pad;
    }
    // The figures as they stand once the design being computed is done.
    PadsCommands& pads()
    {
        window.pads().waitForDesign();
        return window.pads();
    }
    template <class T> T* inPanel(const char* name) { return pads().panel()->findChild<T*>(name); }
    PlotWidget* plot() { return window.findChild<PlotWidget*>("picPlot"); }
    void trigger(const char* item) { window.menuItem(QLatin1String(item))->trigger(); }
    void key(Qt::Key key) { QTest::keyClick(focused(plot()), key); }
    void clickOnPlan(QPointF at, Qt::KeyboardModifiers held = Qt::NoModifier, bool twice = false)
    {
        const QPoint pixel = plot()->toPixel(at).toPoint();
        if (twice)
            QTest::mouseDClick(plot(), Qt::LeftButton, held, pixel);
        else
            QTest::mouseClick(plot(), Qt::LeftButton, held, pixel);
    }

    // Clicks the corners in grid metres, a little off each, Shift held so that they snap to
    // the nodes; a double click on the last ends the outline.
    void drawOnPlan(const char* item, const std::vector<QPointF>& corners)
    {
        trigger(item);
        for (const QPointF& corner : corners)
            clickOnPlan(corner + QPointF(1.3, -1.1), Qt::ShiftModifier);
        clickOnPlan(corners.back() + QPointF(1.3, -1.1), Qt::ShiftModifier, true);
    }
};

void typeInto(QDialog& d, const char* box, const QString& text)
{
    QWidget* edit = d.findChild<QWidget*>(QLatin1String(box));
    edit->setFocus();
    if (auto* line = qobject_cast<QLineEdit*>(edit))
        line->selectAll();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(edit))
        plain->selectAll();
    // One line at a time, Return between, as typed.
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(focused(edit), Qt::Key_Return);
        QTest::keyClicks(focused(edit), lines[i]);
    }
}

void ok(QDialog& d)
{
    d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

// A cell of the pads' table as shown.
QString padCell(PadsWindow& w, int row, int column)
{
    return w.inPanel<QTableWidget>("grdPads")->item(row, column)->text();
}

} // namespace

TEST(PadsWindow, PadDrawnOnThePlanIsUndoableSavedBesideTheProjectAndReadBack)
{
    PadsWindow w;
    w.prompts->onModal = [](QDialog& d) {
        typeInto(d, "txtPadLevel", QStringLiteral("104.5"));
        typeInto(d, "txtPadFall", QStringLiteral("2"));
        // Downhill along the second edge, from the second corner to the third.
        auto* along = d.findChild<QComboBox*>("cboPadFallAlong");
        along->setFocus();
        for (int i = 0; i < 2; ++i)
            QTest::keyClick(focused(along), Qt::Key_Down);
        ok(d);
    };
    w.drawOnPlan("mnuPadDraw", Rectangle);
    ASSERT_EQ(w.prompts->modalRuns, 1);
    ASSERT_EQ(w.pads().design().pads.size(), 1u);
    const PadShape drawn = w.pads().design().pads[0];
    EXPECT_EQ(drawn.corners, Rectangle);
    EXPECT_DOUBLE_EQ(drawn.fallBearing, 0); // the second edge runs north
    EXPECT_DOUBLE_EQ(*drawn.level, 104.5);
    EXPECT_EQ(padCell(w, 0, 7), formatPicture(1200, 2)); // 40 x 30 m
    EXPECT_EQ(padCell(w, 0, 8), raiNganWa(1200));

    w.trigger("mnuEditUndo");
    EXPECT_TRUE(w.pads().design().pads.empty());
    w.trigger("mnuEditRedo");
    ASSERT_EQ(w.pads().design().pads.size(), 1u);

    const QString gnd = w.dir.filePath("site.gnd");
    w.prompts->saveAnswers << gnd;
    w.window.mnuFileSaveAs_Click();
    const QString padsFile = w.dir.filePath("site.pads.geojson");
    ASSERT_TRUE(QFile::exists(padsFile)) << w.prompts->messages.join('\n').toStdString();
    PadsWindow again;
    again.prompts->answers << true; // the first window holds the pair: open to read
    again.window.mnuFileOpen_Click(gnd);
    ASSERT_EQ(again.pads().design().pads.size(), 1u);
    const PadShape& read = again.pads().design().pads[0];
    EXPECT_TRUE(read.name == drawn.name && read.corners == Rectangle);
    EXPECT_NEAR(read.fall, 2, 1e-9);

    // All pads deleted and saved: the file goes, so they do not come back.
    w.inPanel<QTableWidget>("grdPads")->selectRow(0);
    w.inPanel<QPushButton>("cmdPadDelete")->click();
    w.window.mnuFileSave_Click();
    EXPECT_FALSE(QFile::exists(padsFile));
}

TEST(PadsWindow, EscapeAndBackspaceWhileDrawing)
{
    PadsWindow w;
    w.trigger("mnuPadDraw");
    ASSERT_TRUE(w.pads().picker()->active());
    w.clickOnPlan({20, 20});
    w.clickOnPlan({60, 20});
    w.key(Qt::Key_Escape);
    EXPECT_FALSE(w.pads().picker()->active());
    EXPECT_EQ(w.prompts->modalRuns, 0);

    // Two corners and one taken back: a double click there cannot close an outline yet.
    w.trigger("mnuPadDraw");
    for (const QPointF& c : {QPointF(20, 20), QPointF(60, 20), QPointF(90, 90)})
        w.clickOnPlan(c);
    w.key(Qt::Key_Backspace);
    w.clickOnPlan({60, 20}, Qt::NoModifier, true);
    EXPECT_TRUE(w.pads().picker()->active());
    EXPECT_EQ(w.prompts->modalRuns, 0);
    w.key(Qt::Key_Escape);
    EXPECT_TRUE(w.pads().design().pads.empty());
}

// Every balance the panel offers shows the figures the batch front end computes.
TEST(PadsWindow, PanelFiguresFollowTheBalance)
{
    PadsWindow w;
    const PadShape low{QStringLiteral("ลาน"), {{10, 10}, {40, 10}, {40, 40}, {10, 40}}, 103};
    PadShape high{
        QStringLiteral("อาคาร"), {{60, 60}, {90, 60}, {90, 90}, {60, 90}}, {}, 1.5, 2, 1.5, 200};
    auto* balance = w.inPanel<QComboBox>("cboPadBalance");
    const std::tuple<PadBalance, double, std::optional<double>> rows[] = {
        {PadBalance::None, 1, 108}, {PadBalance::Together, 1.2, 108}, {PadBalance::Each, 0.9, {}}};
    for (const auto& [how, k, highLevel] : rows) {
        high.level = highLevel;
        w.pads().change({{low, high}, how, k}, QStringLiteral("ทดสอบ"));
        const PadsResult expected =
            designPads(earthworkGrid(w.window.project()), {low, high}, how, k);
        for (int i = 0; i < 2; ++i) {
            const CutFill& pad = expected.pads[std::size_t(i)].cutFill;
            EXPECT_EQ(padCell(w, i, 5), formatPicture(pad.cut, 2)) << i;
            EXPECT_EQ(padCell(w, i, 6), formatPicture(-pad.fill, 2)) << i;
        }
        const QString totals = w.inPanel<QLabel>("lblPadTotals")->text();
        EXPECT_TRUE(totals.contains(formatPicture(expected.earthwork.gross.cut, 2)) &&
                    totals.contains(formatPicture(expected.net, 2)))
            << totals.toStdString();
        EXPECT_EQ(balance->currentIndex(), int(how));
    }
    // The balance picked in the panel is a step of its own.
    balance->setFocus();
    QTest::keyClick(focused(balance), Qt::Key_Up);
    EXPECT_EQ(w.pads().design().balance, PadBalance::Together);
    w.trigger("mnuEditUndo");
    EXPECT_EQ(w.pads().design().balance, PadBalance::Each);
}

TEST(PadsWindow, TypedPadRefusedUntilItCanBeUsed)
{
    PadsWindow w;
    QStringList problems;
    w.prompts->onModal = [&](QDialog& d) {
        typeInto(d, "txtPadLevel", QStringLiteral("103"));
        const auto* problem = d.findChild<QLabel*>("lblPadProblem");
        for (const char* corners :
             {"10,10\n40,40\n40,10\n10,40", "10,10\n400,10\n40,40", "10,10\n40"}) {
            typeInto(d, "txtPadCorners", QString::fromLatin1(corners));
            ok(d);
            problems << problem->text();
        }
        typeInto(d, "txtPadCorners", QStringLiteral("10,10\n40,10\n40,40"));
        ok(d);
    };
    w.inPanel<QPushButton>("cmdPadAdd")->click();
    ASSERT_EQ(problems.size(), 3);
    EXPECT_FALSE(problems.contains(QString()));
    EXPECT_EQ(problems.removeDuplicates(), 0) << problems.join(QLatin1Char(10)).toStdString();
    ASSERT_EQ(w.pads().design().pads.size(), 1u);
    EXPECT_EQ(w.pads().design().pads[0].corners.size(), 3u);
}

TEST(PadsWindow, SectionsAlongALineDrawnOnThePlan)
{
    PadsWindow w;
    w.levelPad();
    const QString csv = w.dir.filePath("sections.csv"), dxf = w.dir.filePath("sections.dxf");
    w.prompts->saveAnswers << csv << dxf;
    int stations = 0;
    w.prompts->onModal = [&](QDialog& d) {
        stations = d.findChild<QTableView*>("grdSections")->model()->rowCount();
        typeInto(d, "txtSectionEvery", QStringLiteral("10"));
        typeInto(d, "txtSectionWidth", QStringLiteral("30"));
        for (const char* button :
             {"cmdSectionsCompute", "cmdSectionsCsv", "cmdSectionsDxf", "cmdSectionsPrint"})
            d.findChild<QPushButton*>(button)->click();
    };
    w.drawOnPlan("mnuSectionLineDraw", {{10, 30}, {80, 30}});
    ASSERT_EQ(w.prompts->modalRuns, 1);
    // Stations every 10 m over 70 m, with the dialog's first width of 20 m.
    EXPECT_EQ(stations, 8);
    const EarthworkGrid ground = earthworkGrid(w.window.project());
    const SectionsResult r =
        crossSections(ground, w.pads().result()->design, {{10, 30}, {80, 30}}, 10, 30);
    EXPECT_EQ(readBytes(csv), sectionsCsv(r)) << w.prompts->messages.join('\n').toStdString();
    EXPECT_GT(QFileInfo(dxf).size(), 0);
    w.window.waitForPrints();
    EXPECT_GT(w.printed.documents(), 1);
}

// From the panel: the cut/fill map printed in colour, and the stakes of the design written as
// CSV and for total stations, each stake's ground the node's own height and its cut the ground
// less the design the batch front end's design gives there.
TEST(PadsWindow, PanelPrintsTheMapAndWritesTheStakes)
{
    PadsWindow w;
    const PadShape pad = w.levelPad();
    w.inPanel<QPushButton>("cmdPadPrint")->click();
    w.window.waitForPrints();
    EXPECT_GT(w.printed.fills().size(), 10);

    const Project& p = w.window.project();
    const EarthworkGrid ground = earthworkGrid(p);
    const PadsResult design = designPads(ground, {pad}, PadBalance::None, 1);
    for (const char* name : {"stakes.csv", "stakes.txt"}) {
        const QString file = w.dir.filePath(name);
        w.prompts->saveAnswers << file;
        w.inPanel<QPushButton>("cmdPadStakes")->click();
        QStringList rows = readLines(file);
        const bool csv = file.endsWith("csv");
        if (csv) {
            EXPECT_EQ(rows.value(0), "name,e,n,ground,design,cutfill");
            rows = rows.mid(1);
        }
        int worked = 0;
        for (std::size_t n = 0; n < ground.h.size(); ++n)
            worked += std::abs(ground.h[n] - design.design.h[n]) >= 0.0005;
        EXPECT_EQ(rows.size(), worked) << name;
        for (const QString& row : rows) {
            SCOPED_TRACE(row.toStdString());
            const QStringList f = row.split(',');
            const std::size_t n = f[0].mid(1).toULong() - 1; // "N" and the node's number
            ASSERT_LT(n, ground.h.size());
            const double node = p.Nodes[n + 1].Z, designed = design.design.h[n];
            EXPECT_NEAR(f[csv ? 4 : 3].toDouble(), designed, 0.0006);
            if (csv) {
                EXPECT_NEAR(f[3].toDouble(), node, 0.0006);
                EXPECT_NEAR(f[5].toDouble(), node - designed, 0.0011);
            } else {
                EXPECT_EQ(f[4].section(' ', 2, 2), node > designed ? "CUT" : "FILL");
            }
        }
    }
}
