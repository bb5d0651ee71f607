#include "app/mainwindow.h"
#include "app/picturedrawing.h"
#include "common/messages.h"
#include "graphics/ui/plotwidget.h"
#include "project/controldata.h"
#include "project/ui/controldialog.h"
#include "project/ui/headingdialog.h"
#include "support/fakeprompts.h"
#include "support/printto.h"
#include "support/recordedprints.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolTip>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

// A main window with scripted prompts, as a user would meet it after starting the program.
struct Fixture
{
    FakePrompts* prompts = new FakePrompts;
    MainWindow window{std::unique_ptr<Prompts>(prompts)};
    RecordingPage printed;
    int printCommands = 0;

    Fixture()
    {
        window.setPrintOutput([this](Prompts&) {
            ++printCommands;
            return std::make_unique<ForwardingPage>(printed);
        });
    }

    QStringList trigger(QAction* action)
    {
        QSignalSpy started(&window, &MainWindow::commandStarted);
        action->setEnabled(true);
        action->trigger();
        QStringList names;
        for (const auto& args : started)
            names << args.at(0).toString();
        return names;
    }
    QAction* item(const char* name) { return window.menuItem(QLatin1String(name)); }
    void defineGrid(qint16 spacing = 10, qint16 rows = 4, qint16 cols = 5)
    {
        window.mnuFileNew_Click();
        applyControlData(window.project(), {spacing, rows, cols, 1});
    }
};

struct MenuRow
{
    const char* name;
    const char16_t* caption;
    QKeySequence shortcut;
    const char* command; // nullptr: a separator or a menu title
};

const MenuRow MenuRows[] = {
    {"mnuFile", u"แ&ฟ้ม", {}, nullptr},
    {"mnuFileNew", u"สร้างแฟ้ม", {}, "mnuFileNew_Click"},
    {"mnuFileFree1", u"", {}, nullptr},
    {"mnuFileOpen", u"เปิดแฟ้ม", QKeySequence(Qt::CTRL | Qt::Key_O), "mnuFileOpen_Click"},
    {"mnuFileSave", u"บันทึกแฟ้ม", QKeySequence(Qt::CTRL | Qt::Key_S), "mnuFileSave_Click"},
    {"mnuFileClose", u"ปิดแฟ้ม", QKeySequence(Qt::CTRL | Qt::Key_C), "mnuFileClose_Click"},
    {"mnuFileFree2", u"", {}, nullptr},
    {"mnuFileExit", u"ออกจากโปรแกรม", {}, "mnuFileExit_Click"},
    {"mnuEdit", u"&ป้อนข้อมูล", {}, nullptr},
    {"mnuEditChoice_1", u"ส่วนหัว", {}, "mnuEditChoice_Click(1)"},
    {"mnuEditChoice_2", u"ข้อมูลควบคุม", {}, "mnuEditChoice_Click(2)"},
    {"mnuEditChoice_3", u"", {}, nullptr},
    {"mnuEditChoice_4", u"ป้อนข้อมูลค่าระดับ", {}, "mnuEditChoice_Click(4)"},
    {"mnuEditFree2", u"", {}, nullptr},
    {"mnuEditSuspects", u"ตรวจค่าระดับผิดปกติ", {}, nullptr},
    {"mnuShowChoice", u"แ&สดงกราฟิก", {}, nullptr},
    {"GraphicShow_1", u"กริด", {}, "GraphicShow_Click(1)"},
    {"GraphicShow_2", u"เส้นชั้นความสูง", {}, "GraphicShow_Click(2)"},
    {"GraphicShow_3", u"พื้นผิว", {}, "GraphicShow_Click(3)"},
    {"munView", u"&มุมมอง", {}, nullptr},
    {"ViewChoice_0", u"ปกติ", QKeySequence(Qt::Key_F1), "Normal_View"},
    {"ViewChoice_1", u"พอดีหน้าจอ", QKeySequence(Qt::Key_F2), "Fit_Screen"},
    {"ViewChoice_2", u"ซูมเข้า", QKeySequence(Qt::Key_F3), "Zoom_In"},
    {"ViewChoice_3", u"ซูมออก", QKeySequence(Qt::Key_F4), "Zoom_Out"},
    {"ViewChoice_4", u"", {}, nullptr},
    {"ViewChoice_5", u"แสดงพิกัดจุดต่อ", {}, "ViewChoice_Click(5)"},
    {"ViewChoice_6", u"แสดงหมายเลขจุดต่อ", {}, "ViewChoice_Click(6)"},
    {"ViewChoice_7", u"แสดงค่าระดับจุดกริด", {}, "ViewChoice_Click(7)"},
    {"ViewChoice_8", u"", {}, nullptr},
    {"ViewChoice_9", u"แสดงค่าระดับเส้นชั้นความสูงทุกค่า", {}, "ViewChoice_Click(9)"},
    {"ViewChoice_10", u"แสดงค่าระดับเส้นชั้นความสูงเฉพาะช่วง", {}, "ViewChoice_Click(10)"},
    {"ViewChoice_11", u"", {}, nullptr},
    {"ViewChoice_12", u"เปลี่ยนสีเส้นกราฟิก", {}, "frmBasicColor.Show"},
    {"ViewChoice_13", u"หมุนกราฟิกพื้นผิวทวนเข็มนาฬิกา", QKeySequence(Qt::Key_F5), "Rotat_Plus"},
    {"ViewChoice_14", u"หมุนกราฟิกพื้นผิวตามเข็มนาฬิกา", QKeySequence(Qt::Key_F6), "Rotat_Minus"},
    {"mnuGradeElev", u"ป&รับระดับพื้นที่", {}, nullptr},
    {"GradeElevChoice_1", u"แบบพื้นที่เรียบเสมอกัน", {}, "GradeElevChoice_Click(1)"},
    {"GradeElevChoice_2", u"แบบพื้นที่เรียบเสมอกัน ผู้ใช้กำหนดค่าระดับ", {}, "GradeElevChoice_Click(2)"},
    {"mnuEarthworkFree", u"", {}, nullptr},
    {"mnuEarthworkGross", u"ปริมาตรดินตัด-ดินถมแบบแยก", {}, nullptr},
    {"mnuEarthworkBalance", u"กราฟสมดุลดินตัด-ดินถม", {}, nullptr},
    {"mnuEarthworkSloped", u"ปรับระดับแบบมีความลาดเอียง", {}, nullptr},
    {"mnuPrint", u"&พิมพ์", {}, nullptr},
    {"PrintChoice_1", u"ข้อมูลนำเข้า", {}, nullptr},
    {"DataPrint_1", u"ข้อมูลควบคุม", {}, "DataPrint_Click(1)"},
    {"DataPrint_2", u"พิกัดจุดต่อ และข้อมูลค่าระดับ", {}, "DataPrint_Click(2)"},
    {"DataPrint_3", u"", {}, nullptr},
    {"DataPrint_4", u"ทั้งหมด", {}, "DataPrint_Click(4)"},
    {"PrintChoice_2", u"กราฟิก", {}, nullptr},
    {"GraphicPrint_1", u"กริด", {}, "GraphicPrint_Click(1)"},
    {"GraphicPrint_2", u"เส้นชั้นความสูง", {}, "GraphicPrint_Click(2)"},
    {"GraphicPrint_3", u"", {}, nullptr},
    {"GraphicPrint_4", u"ทั้งหมด", {}, "GraphicPrint_Click(4)"},
    {"PrintChoice_3", u"ผลลัพธ์การปรับระดับพื้นที่", {}, nullptr},
    {"GradePrint_1", u"แบบพื้นที่เรียบเสมอกัน", {}, "GradePrint_Click(1)"},
    {"GradePrint_2", u"แบบพื้นที่เรียบเสมอกัน ผู้ใช้กำหนดค่าระดับเอง", {}, "GradePrint_Click(2)"},
    {"GradePrint_3", u"", {}, nullptr},
    {"GradePrint_4", u"ทั้งหมด", {}, "GradePrint_Click(4)"},
    {"mnuHelp", u"&ช่วยเหลือ", {}, nullptr},
    {"mnuHelpAbout", u"เ&กี่ยวกับ", {}, "mnuHelpAbout_Click"},
};

// Walks the menu bar in display order, submenus depth first.
void collect(const QList<QAction*>& actions, QList<QAction*>& out)
{
    for (QAction* a : actions) {
        out << a;
        if (a->menu())
            collect(a->menu()->actions(), out);
    }
}

struct ToolRow
{
    int position;
    const char* key; // nullptr: separator
    const char16_t* tip;
    const char* command;
};

const ToolRow ToolRows[] = {
    {1, "New", u"สร้างไฟล์ใหม่", "mnuFileNew_Click"},
    {2, "Open", u"เปิดไฟล์", "mnuFileOpen_Click"},
    {3, "Save", u"บันทึก", "mnuFileSave_Click"},
    {4, nullptr, nullptr, nullptr},
    {5, "Control", u"ข้อมูลควบคุม", "frmControl.Show"},
    {6, "InputEle", u"ป้อนข้อมูลค่าระดับ", "mnuEditChoice_Click(4)"},
    {7, nullptr, nullptr, nullptr},
    {8, "ViewGrid", u"กราฟิกกริด", "GraphicShow_Click(1)"},
    {9, "ViewContour", u"กราฟิกเส้นชั้นความสูง", "GraphicShow_Click(2)"},
    {10, "View3D", u"กราฟิกพื้นผิว", "GraphicShow_Click(3)"},
    {11, nullptr, nullptr, nullptr},
    {12, "NormalView", u"มุมมองปกติ", "Normal_View"},
    {13, "FitScreen", u"มุมมองขนาดพอดีหน้าจอ", "Fit_Screen"},
    {14, "ZoomIn", u"ซูมเข้า", "Zoom_In"},
    {15, "ZoomOut", u"ซูมออก", "Zoom_Out"},
    {16, "ChangeColor", u"เปลี่ยนสีเส้นกราฟิก", "frmBasicColor.Show"},
    {17, "RotatPlus", u"หมุนกราฟิกพื้นผิวทวนเข็มนาฬิกา", "Rotat_Plus"},
    {18, "RotatMinus", u"หมุนกราฟิกพื้นผิวทวนตามนาฬิกา", "Rotat_Minus"},
    {19, nullptr, nullptr, nullptr},
    {20, "AutoGrade", u"ปรับระดับพื้นที่แบบพื้นที่เรียบเสมอกัน", "GradeElevChoice_Click(1)"},
    {21, "FixGrade", u"ปรับระดับพื้นที่แบบผู้ใช้กำหนดค่าระดับ", "GradeElevChoice_Click(2)"},
    {22, nullptr, nullptr, nullptr},
    {23, "PrintData", u"พิมพ์ข้อมูลนำเข้าทั้งหมด", "DataPrint_Click(4)"},
    {24, "PrintGraphic", u"พิมพ์กราฟิกทั้งหมด", "GraphicPrint_Click(4)"},
    {25, "PrintGrade", u"พิมพ์ผลลัพธ์การปรับระดับพื้นที่ทั้งหมด", "GradePrint_Click(4)"},
};

} // namespace

TEST(MainWindow, MenuBarHoldsEveryItemInOrderAndDispatchesIt)
{
    Fixture f;
    QList<QAction*> all;
    collect(f.window.menuBar()->actions(), all);
    // Items beyond these have tests of their own.
    all.removeIf([](QAction* a) {
        return std::none_of(std::begin(MenuRows), std::end(MenuRows), [a](const MenuRow& row) {
            return a->objectName() == QLatin1String(row.name);
        });
    });
    ASSERT_EQ(all.size(), int(std::size(MenuRows)));
    for (int i = 0; i < all.size(); ++i) {
        const MenuRow& row = MenuRows[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(all[i]->objectName(), QLatin1String(row.name));
        EXPECT_EQ(all[i]->isSeparator(), QString::fromUtf16(row.caption).isEmpty());
        if (!all[i]->isSeparator()) {
            EXPECT_EQ(all[i]->text(), QString::fromUtf16(row.caption));
        }
        EXPECT_EQ(all[i]->shortcut(), row.shortcut);
    }
    for (const MenuRow& row : MenuRows) {
        if (!row.command)
            continue;
        SCOPED_TRACE(row.name);
        Fixture fresh;
        QAction* action = fresh.item(row.name);
        ASSERT_NE(action, nullptr);
        EXPECT_TRUE(fresh.trigger(action).contains(QLatin1String(row.command)));
    }
}

TEST(MainWindow, ToolbarHoldsTwentyFivePositionsAndDispatchesByKey)
{
    Fixture f;
    auto* toolbar = f.window.findChild<QToolBar*>(QStringLiteral("tbrmain"));
    ASSERT_NE(toolbar, nullptr);
    ASSERT_EQ(toolbar->actions().size(), 25);
    QList<QImage> icons;
    for (const ToolRow& row : ToolRows) {
        SCOPED_TRACE(row.position);
        QAction* button = f.window.toolbarButton(row.position);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->isSeparator(), row.key == nullptr);
        if (!row.key)
            continue;
        EXPECT_EQ(button->data().toString(), QLatin1String(row.key));
        EXPECT_EQ(button->toolTip(), QString::fromUtf16(row.tip));
        const QImage icon = button->icon().pixmap(24, 24).toImage();
        EXPECT_FALSE(icon.isNull());
        EXPECT_FALSE(icons.contains(icon)) << "icon repeats";
        icons << icon;

        Fixture fresh;
        QSignalSpy redraws(&fresh.window, &MainWindow::redrawn);
        const QStringList started = fresh.trigger(fresh.window.toolbarButton(row.position));
        EXPECT_EQ(started.value(0), QStringLiteral("tbrmain_ButtonClick"));
        EXPECT_TRUE(started.contains(QLatin1String(row.command)))
            << started.join(' ').toStdString();
        // Every click ends with a redraw, except a view button that refuses.
        const bool refusedView = QByteArray(row.key).startsWith("View");
        EXPECT_EQ(redraws.isEmpty(), refusedView);
    }
}

TEST(MainWindow, StartsWithCaptionMarksAndStartupWindow)
{
    Fixture f;
    const Project& p = f.window.project();
    EXPECT_EQ(f.window.windowTitle().remove(QStringLiteral("[*]")), QStringLiteral("TERVAN"));
    EXPECT_TRUE(f.window.windowState() & Qt::WindowMaximized);
    EXPECT_FALSE(f.item("mnuEdit")->isEnabled());
    EXPECT_FALSE(f.window.toolbarButton(5)->isEnabled());
    for (int i : {5, 6, 7, 9, 10}) {
        const bool marked = i == 6 || i == 7 || i == 10;
        EXPECT_EQ(f.window.menuItem(QStringLiteral("ViewChoice_%1").arg(i))->isChecked(), marked)
            << i;
    }
    for (int i : {12, 13, 14})
        EXPECT_FALSE(f.window.menuItem(QStringLiteral("ViewChoice_%1").arg(i))->isEnabled()) << i;
    for (int pos : {16, 17, 18})
        EXPECT_FALSE(f.window.toolbarButton(pos)->isEnabled()) << pos;
    // The window starts the project's defaults and draws the startup view once.
    Project expected = startupProject();
    expected.GridDotCols = 15;
    expected.GridDotRows = 11.5f;
    EXPECT_TRUE(p == expected);
    auto* hsb = f.window.findChild<QScrollBar*>(QStringLiteral("hsbMain"));
    auto* vsb = f.window.findChild<QScrollBar*>(QStringLiteral("vsbMain"));
    EXPECT_EQ(hsb->minimum(), -20);
    EXPECT_EQ(hsb->maximum(), 120);
    EXPECT_EQ(hsb->value(), 0);
    // Held negated: the top of the bar is world Y 85, the bottom -20.
    EXPECT_EQ(vsb->minimum(), -85);
    EXPECT_EQ(vsb->maximum(), 20);
    EXPECT_EQ(vsb->value(), 0);
}

// Each refused command shows its one message and changes nothing else.
struct RefusalRow
{
    const char* what;
    std::function<void(MainWindow&)> run;
    const QString* message;
    bool defineGridOnly; // a grid without nodes (rows but no columns)
};

class Preconditions : public ::testing::TestWithParam<RefusalRow>
{
};

TEST_P(Preconditions, ShowTheirMessageOnceAndNothingElse)
{
    const RefusalRow& row = GetParam();
    Fixture f;
    if (row.defineGridOnly) {
        f.window.mnuFileNew_Click();
        applyControlData(f.window.project(), {10, 3, 0, 1});
    }
    const Project before = f.window.project();
    QSignalSpy redraws(&f.window, &MainWindow::redrawn);
    row.run(f.window);
    EXPECT_EQ(f.prompts->messages, QStringList{*row.message});
    EXPECT_EQ(f.prompts->modalRuns, 0);
    Project after = f.window.project();
    after.FixGradeElevation = before.FixGradeElevation;
    EXPECT_TRUE(after == before);
    const bool toolbar = QByteArray(row.what).startsWith("tbr");
    const bool viewButton = QByteArray(row.what).startsWith("tbr View");
    EXPECT_EQ(redraws.size(), toolbar && !viewButton ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, Preconditions,
    ::testing::Values(
        RefusalRow{"GraphicShow 1", [](MainWindow& w) { w.GraphicShow_Click(1); },
                   &msg::EnterOrOpenFirst, false},
        RefusalRow{"GraphicShow 2", [](MainWindow& w) { w.GraphicShow_Click(2); },
                   &msg::EnterOrOpenFirst, false},
        RefusalRow{"GraphicShow 3", [](MainWindow& w) { w.GraphicShow_Click(3); },
                   &msg::EnterOrOpenFirst, false},
        RefusalRow{"tbr ViewGrid", [](MainWindow& w) { w.tbrmain_ButtonClick("ViewGrid"); },
                   &msg::EnterOrOpenFirst, false},
        RefusalRow{"tbr ViewContour", [](MainWindow& w) { w.tbrmain_ButtonClick("ViewContour"); },
                   &msg::EnterOrOpenFirst, false},
        RefusalRow{"tbr View3D", [](MainWindow& w) { w.tbrmain_ButtonClick("View3D"); },
                   &msg::EnterOrOpenFirst, false},
        RefusalRow{"mnuEditChoice 4", [](MainWindow& w) { w.mnuEditChoice_Click(4); },
                   &msg::EnterRowsColsFirst, true},
        RefusalRow{"tbr InputEle", [](MainWindow& w) { w.tbrmain_ButtonClick("InputEle"); },
                   &msg::EnterRowsColsFirst, false},
        RefusalRow{"GradeElevChoice 1", [](MainWindow& w) { w.GradeElevChoice_Click(1); },
                   &msg::DataIncomplete, true},
        RefusalRow{"GradeElevChoice 2", [](MainWindow& w) { w.GradeElevChoice_Click(2); },
                   &msg::DataIncomplete, true},
        RefusalRow{"tbr AutoGrade", [](MainWindow& w) { w.tbrmain_ButtonClick("AutoGrade"); },
                   &msg::DataIncomplete, false},
        RefusalRow{"tbr FixGrade", [](MainWindow& w) { w.tbrmain_ButtonClick("FixGrade"); },
                   &msg::DataIncomplete, false},
        RefusalRow{"DataPrint 1", [](MainWindow& w) { w.DataPrint_Click(1); }, &msg::DataIncomplete,
                   true},
        RefusalRow{"DataPrint 2", [](MainWindow& w) { w.DataPrint_Click(2); }, &msg::DataIncomplete,
                   false},
        RefusalRow{"DataPrint 4", [](MainWindow& w) { w.DataPrint_Click(4); }, &msg::DataIncomplete,
                   false},
        RefusalRow{"tbr PrintData", [](MainWindow& w) { w.tbrmain_ButtonClick("PrintData"); },
                   &msg::DataIncomplete, false},
        RefusalRow{"GraphicPrint 1", [](MainWindow& w) { w.GraphicPrint_Click(1); },
                   &msg::DataIncomplete, false},
        RefusalRow{"GraphicPrint 2", [](MainWindow& w) { w.GraphicPrint_Click(2); },
                   &msg::DataIncomplete, false},
        RefusalRow{"GraphicPrint 4", [](MainWindow& w) { w.GraphicPrint_Click(4); },
                   &msg::DataIncomplete, false},
        RefusalRow{"tbr PrintGraphic", [](MainWindow& w) { w.tbrmain_ButtonClick("PrintGraphic"); },
                   &msg::DataIncomplete, false},
        RefusalRow{"GradePrint 1", [](MainWindow& w) { w.GradePrint_Click(1); },
                   &msg::DataIncomplete, false},
        RefusalRow{"GradePrint 2", [](MainWindow& w) { w.GradePrint_Click(2); },
                   &msg::DataIncomplete, true},
        RefusalRow{"GradePrint 4", [](MainWindow& w) { w.GradePrint_Click(4); },
                   &msg::DataIncomplete, false},
        RefusalRow{"tbr PrintGrade", [](MainWindow& w) { w.tbrmain_ButtonClick("PrintGrade"); },
                   &msg::DataIncomplete, false}));

TEST(MainWindow, FixGradeKeepsThePlatformWhenRefused)
{
    Fixture f;
    f.window.project().FixGradeElevation = 12.5f;
    f.window.tbrmain_ButtonClick("FixGrade");
    EXPECT_EQ(f.window.project().FixGradeElevation, 12.5f);
    EXPECT_EQ(f.prompts->messages, QStringList{msg::DataIncomplete});
}

TEST(MainWindow, NewAndCloseSwitchEditingAndKeepTheData)
{
    Fixture f;
    f.defineGrid();
    f.window.project().Nodes[7].Z = 99;
    f.window.project().FileTitle = "site.gnd";
    f.window.setWindowTitle("TERVAN[/tmp/site]");

    f.window.mnuFileClose_Click();
    EXPECT_FALSE(f.item("mnuEdit")->isEnabled());
    EXPECT_FALSE(f.window.toolbarButton(5)->isEnabled());
    EXPECT_EQ(f.window.windowTitle().remove(QStringLiteral("[*]")), QStringLiteral("TERVAN"));
    EXPECT_EQ(f.window.project().NodeCount, 20);

    // A view command after Close still finds the data.
    QSignalSpy redraws(&f.window, &MainWindow::redrawn);
    EXPECT_TRUE(f.window.GraphicShow_Click(2));
    EXPECT_EQ(f.window.project().DisplayMode, 2);
    EXPECT_EQ(redraws.size(), 1);
    EXPECT_TRUE(f.prompts->messages.isEmpty());

    f.window.mnuFileNew_Click();
    const Project& p = f.window.project();
    EXPECT_TRUE(f.item("mnuEdit")->isEnabled());
    EXPECT_TRUE(f.window.toolbarButton(5)->isEnabled());
    EXPECT_FALSE(p.HasData());
    EXPECT_EQ(p.FileTitle, QStringLiteral("********"));
    EXPECT_EQ(p.DisplayMode, 1);
    // The same grid again starts without the old heights.
    applyControlData(f.window.project(), {10, 4, 5, 1});
    EXPECT_EQ(p.Nodes[7].Z, 0);
}

TEST(MainWindow, LabelMarksFollowTheirRules)
{
    Fixture f;
    auto marks = [&f] {
        QString s;
        for (int i : {5, 6, 7, 9, 10})
            s += f.window.menuItem(QStringLiteral("ViewChoice_%1").arg(i))->isChecked() ? '1' : '0';
        return s;
    };
    EXPECT_EQ(marks(), "01101");
    f.item("ViewChoice_5")->trigger();
    EXPECT_EQ(marks(), "10001");
    f.item("ViewChoice_6")->trigger();
    EXPECT_EQ(marks(), "01001");
    f.item("ViewChoice_7")->trigger();
    EXPECT_EQ(marks(), "01101");
    f.item("ViewChoice_7")->trigger();
    EXPECT_EQ(marks(), "01001");
    f.item("ViewChoice_9")->trigger();
    EXPECT_EQ(marks(), "01010");
    EXPECT_EQ(f.window.project().BoldWholeContours, 0);
    f.item("ViewChoice_9")->trigger(); // already marked: stays marked
    EXPECT_EQ(marks(), "01010");
    f.item("ViewChoice_10")->trigger();
    EXPECT_EQ(marks(), "01001");
    EXPECT_EQ(f.window.project().BoldWholeContours, -1);
}

TEST(MainWindow, PictureCommandsFollowTheDisplayMode)
{
    Fixture f;
    f.defineGrid();
    auto states = [&f] {
        QString s;
        for (int pos : {16, 17, 18})
            s += f.window.toolbarButton(pos)->isEnabled() ? '1' : '0';
        for (int i : {12, 13, 14})
            s += f.window.menuItem(QStringLiteral("ViewChoice_%1").arg(i))->isEnabled() ? '1' : '0';
        return s;
    };
    f.window.GraphicShow_Click(2);
    EXPECT_EQ(states(), "100100");
    f.window.GraphicShow_Click(3);
    EXPECT_EQ(states(), "111111");
    f.window.GraphicShow_Click(1);
    EXPECT_EQ(states(), "000000");
}

TEST(MainWindow, ControlDataFromTheMenuRedrawsAtOnce)
{
    Fixture f;
    f.window.mnuFileNew_Click();
    f.prompts->onModal = [](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("txtGrid")->setText("5");
        dialog.findChild<QLineEdit*>("txtRow")->setText("2");
        dialog.findChild<QLineEdit*>("txtCol")->setText("3");
        dialog.findChild<QLineEdit*>("txtInt")->setText("0.5");
        dialog.findChild<QPushButton*>("cmdOK")->click();
    };
    QSignalSpy redraws(&f.window, &MainWindow::redrawn);
    f.window.mnuEditChoice_Click(2);
    EXPECT_EQ(f.prompts->modalRuns, 1);
    EXPECT_EQ(redraws.size(), 1);
    EXPECT_EQ(f.window.project().NodeCount, 6);
    EXPECT_EQ(f.window.project().ViewYMax, 42);
}

TEST(MainWindow, ToolbarControlDialogIsModelessAndSingle)
{
    Fixture f;
    f.window.mnuFileNew_Click();
    f.window.tbrmain_ButtonClick("Control");
    f.window.tbrmain_ButtonClick("Control");
    const auto dialogs = f.window.findChildren<ControlDialog*>();
    ASSERT_EQ(dialogs.size(), 1);
    EXPECT_FALSE(dialogs[0]->isModal());
    EXPECT_TRUE(dialogs[0]->isVisible());
    EXPECT_EQ(f.prompts->modalRuns, 0);

    QSignalSpy redraws(&f.window, &MainWindow::redrawn);
    dialogs[0]->findChild<QLineEdit*>("txtRow")->setText("2");
    dialogs[0]->findChild<QLineEdit*>("txtCol")->setText("2");
    dialogs[0]->findChild<QLineEdit*>("txtGrid")->setText("10");
    dialogs[0]->findChild<QPushButton*>("cmdOK")->click();
    EXPECT_EQ(f.window.project().NodeCount, 4);
    EXPECT_GE(redraws.size(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(f.window.findChildren<ControlDialog*>().isEmpty());
}

TEST(MainWindow, HeadingFromTheMenuIsModal)
{
    Fixture f;
    f.window.mnuFileNew_Click();
    f.prompts->onModal = [](QDialog& dialog) {
        EXPECT_NE(qobject_cast<HeadingDialog*>(&dialog), nullptr);
        dialog.findChild<QLineEdit*>("txtProject")->setText("อาคาร 2");
        dialog.findChild<QPushButton*>("cmdOK")->click();
    };
    f.window.mnuEditChoice_Click(1);
    EXPECT_EQ(f.window.project().ProjectName.text().trimmed(), QStringLiteral("อาคาร 2"));
}

TEST(MainWindow, ScrollBarsPanOneStepTowardsTheirEnds)
{
    Fixture f;
    const Project& p = f.window.project();
    auto* hsb = f.window.findChild<QScrollBar*>(QStringLiteral("hsbMain"));
    hsb->setValue(30);
    EXPECT_EQ(p.ViewXMin, -10);
    EXPECT_EQ(p.HScrollPos, 30);
    // The top arrow of the vertical bar moves the view up by one step.
    auto* vsb = f.window.findChild<QScrollBar*>(QStringLiteral("vsbMain"));
    vsb->resize(16, 300);
    QTest::mouseClick(vsb, Qt::LeftButton, {}, QPoint(8, 3));
    EXPECT_EQ(p.ViewYMax, 95);
    EXPECT_EQ(p.VScrollPos, 1);
    // A click in the trough below the handle moves one step too, so the arrows keep working.
    const float yMax = p.ViewYMax;
    for (int click = 1; click <= 3; ++click) {
        QTest::mouseClick(vsb, Qt::LeftButton, {}, QPoint(8, 280));
        EXPECT_EQ(p.VScrollPos, 1 - click);
        EXPECT_LT(p.ViewYMax, yMax);
    }
}

TEST(MainWindow, ColourChoiceRedrawsAndReadoutFollowsTheMouse)
{
    Fixture f;
    f.defineGrid();
    f.window.GraphicShow_Click(2);
    f.prompts->onModal = [](QDialog& d) {
        d.findChild<QLabel*>("lblColor_4")->setFocus();
        d.findChild<QPushButton*>("cmdOk")->click();
    };
    QSignalSpy redraws(&f.window, &MainWindow::redrawn);
    f.window.ViewChoice_Click(12);
    EXPECT_EQ(f.window.project().UseChosenColor, -1);
    EXPECT_EQ(redraws.size(), 1);

    f.window.resize(1000, 700);
    f.window.show();
    QWidget* plot = f.window.findChild<QWidget*>("picPlot");
    ASSERT_NE(plot, nullptr);
    const Project& p = f.window.project();
    // The middle of the plotting area is the middle of the world window.
    QMouseEvent move(QEvent::MouseMove, QPointF(plot->width() / 2.0, plot->height() / 2.0),
                     plot->mapToGlobal(QPointF(plot->width() / 2.0, plot->height() / 2.0)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(plot, &move);
    const QString expected = QStringLiteral("พิกัดแกน X = %1, พิกัดแกน Y = %2")
                                 .arg(std::lround((p.ViewXMin + p.ViewXMax) / 2), 0)
                                 .arg(std::lround((p.ViewYMin + p.ViewYMax) / 2), 0);
    EXPECT_EQ(f.window.findChild<QLabel*>("stbMainText")->text(), expected);
}

TEST(MainWindow, RedrawKeepsAnUnchangedPictureAndRedrawsAChangedOne)
{
    Fixture f;
    // Pictures are drawn on a worker; a loaded machine may take longer than the window waits.
    auto settle = [&f] { f.window.findChild<PictureDrawing*>()->waitForPicture(); };
    f.defineGrid();
    f.window.Form_Activate();
    settle();
    QImage& image = f.window.findChild<PlotWidget*>("picPlot")->image();
    const QRgb marker = qRgb(1, 2, 3);
    image.setPixel(1, 1, marker);
    f.window.Form_Activate(); // reactivated, nothing changed
    EXPECT_EQ(image.pixel(1, 1), marker);
    f.window.project().Nodes[3].Z = 7; // typed into the node list
    f.window.Form_Activate();
    settle();
    EXPECT_NE(image.pixel(1, 1), marker);

    image.setPixel(1, 1, marker);
    f.item("ViewChoice_7")->trigger(); // label choice changes the picture
    settle();
    EXPECT_NE(image.pixel(1, 1), marker);

    image.setPixel(1, 1, marker);
    f.window.mnuFileClose_Click();
    f.window.Form_Activate(); // the closed window shows the data again
    settle();
    EXPECT_NE(image.pixel(1, 1), marker);
}

TEST(MainWindow, GradingCommandsRunTheirDialogsInOrder)
{
    Fixture f;
    f.defineGrid(10, 2, 3);
    const float z[] = {0, 0, 0, 4, 4, 8};
    for (int n = 1; n <= 6; ++n)
        f.window.project().Nodes[n].Z = z[n - 1];

    QStringList shown;
    f.prompts->onModal = [&shown](QDialog& d) {
        shown << d.objectName();
        if (auto* box = d.findChild<QLineEdit*>("txtElevUse")) {
            EXPECT_EQ(box->text(), "7"); // the level given last
            box->setText("5");
        }
        d.findChild<QPushButton*>("cmdOK")->click();
    };
    f.window.project().FixGradeElevation = 7;
    f.window.tbrmain_ButtonClick("FixGrade");
    f.window.tbrmain_ButtonClick("AutoGrade");
    EXPECT_EQ(shown, (QStringList{"frmInputGrade", "frmResGradeFix", "frmResGrade"}));
    const Project& p = f.window.project();
    EXPECT_EQ(p.FixGradeElevation, 5);
    EXPECT_EQ(p.FixFillVolume, -500);
    EXPECT_EQ(p.AutoGradeElevation, 2.5f);
    EXPECT_TRUE(f.prompts->messages.isEmpty());
}

TEST(MainWindow, BalancedGradeOfASingleRowIsRefused)
{
    Fixture f;
    f.defineGrid(10, 1, 5);
    f.window.GradeElevChoice_Click(1);
    EXPECT_EQ(f.prompts->messages, QStringList{msg::DataIncomplete});
    EXPECT_EQ(f.prompts->modalRuns, 0);
    // The fixed grade of the same row shows its (empty) table.
    f.prompts->onModal = [](QDialog& d) { d.findChild<QPushButton*>("cmdOK")->click(); };
    f.window.GradeElevChoice_Click(2);
    EXPECT_EQ(f.prompts->modalRuns, 2);
}

TEST(MainWindow, PrintCommandsSendTheirDocumentsToOneOutput)
{
    Fixture f;
    f.defineGrid(10, 5, 5); // 25 nodes, 16 cells
    f.window.tbrmain_ButtonClick("PrintData");
    f.window.waitForPrints();
    EXPECT_EQ(f.printCommands, 1);
    EXPECT_EQ(f.printed.documents(), 3); // control data, then 24 + 1 nodes
    f.window.GraphicPrint_Click(3);      // a separator prints nothing
    f.window.GraphicPrint_Click(4);
    f.window.waitForPrints();
    EXPECT_EQ(f.printed.documents(), 5);
    EXPECT_EQ(f.printed.a4Requests(), 2);
    f.window.project().FixGradeElevation = 3;
    f.window.tbrmain_ButtonClick("PrintGrade");
    f.window.waitForPrints();
    EXPECT_EQ(f.printed.documents(), 7);
    EXPECT_TRUE(f.printed.texts(6).contains("3.000")); // the platform entered last
    EXPECT_EQ(f.window.project().AutoCellVolume.size(), 17u);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(f.prompts->messages.isEmpty());
}

TEST(MainWindow, BalancedReportOfASingleRowIsRefused)
{
    Fixture f;
    f.defineGrid(10, 1, 5);
    f.window.GradePrint_Click(4); // the fixed report alone
    f.window.GradePrint_Click(1);
    EXPECT_EQ(f.prompts->messages, QStringList(2, msg::DataIncomplete));
    EXPECT_EQ(f.printCommands, 1);
    f.window.GradePrint_Click(2); // the fixed report prints its heading row
    EXPECT_EQ(f.printCommands, 2);
}

TEST(MainWindow, FailedPrintingIsReported)
{
    struct Broken final : PageBackend
    {
        QSizeF printableTwips() const override { return {1000, 1000}; }
        double textWidthTwips(const QFont&, const QString&) override { return 0; }
        double lineHeightTwips(const QFont&) override { return 10; }
        void text(QPointF, const QString&, const QFont&, int) override {}
        void line(QPointF, QPointF, int, int) override {}
        void setPaperA4() override {}
        void endDocument() override {}
        bool failed() const override { return true; }
    };
    Fixture f;
    f.defineGrid();
    f.window.setPrintOutput([](Prompts&) { return std::make_unique<Broken>(); });
    f.window.DataPrint_Click(1);
    f.window.waitForPrints();
    EXPECT_EQ(f.prompts->messages, QStringList{msg::CannotPrint});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// One row of nodes has no cells: the balanced platform is undefined, the fixed one is not.
TEST(MainWindow, GradingPrintOnOneRowPrintsTheFixedReport)
{
    const struct
    {
        const char* what;
        std::function<void(MainWindow&)> run;
        QStringList messages;
        int documents;
    } rows[] = {
        {"toolbar",
         [](MainWindow& w) { w.tbrmain_ButtonClick("PrintGrade"); },
         {msg::DataIncomplete},
         1},
        {"all", [](MainWindow& w) { w.GradePrint_Click(4); }, {msg::DataIncomplete}, 1},
        {"balanced", [](MainWindow& w) { w.GradePrint_Click(1); }, {msg::DataIncomplete}, 0},
        {"fixed", [](MainWindow& w) { w.GradePrint_Click(2); }, {}, 1},
    };
    for (const auto& row : rows) {
        Fixture f;
        f.defineGrid(10, 1, 4);
        f.window.project().FixGradeElevation = 1;
        row.run(f.window);
        f.window.waitForPrints();
        EXPECT_EQ(f.prompts->messages, row.messages) << row.what;
        EXPECT_EQ(f.printed.documents(), row.documents) << row.what;
        if (row.documents) {
            EXPECT_TRUE(f.printed.texts(0).join(' ').contains(QStringLiteral("ผู้ใช้กำหนดค่าระดับ")))
                << row.what;
        }
    }
}

// Menus open with Alt and the Latin letter their tooltips name, whatever the layout; F10 too.
TEST(MainWindow, MenusOpenWithAltAndALatinLetterOrF10)
{
    Fixture f;
    f.window.mnuFileNew_Click(); // data entry opens once there is a project
    f.window.show();
    QApplication::setActiveWindow(&f.window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.window));
    QMenuBar* bar = f.window.menuBar();
    const QString letters = QStringLiteral("FESVGPH"); // in the order of the menus
    for (int i = 0; i <= 7; ++i) {
        // Where a key press goes: the focus widget, else the window.
        QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : &f.window;
        QTest::sendKeyEvent(QTest::Click, focus,
                            i < 7 ? Qt::Key(letters[i].unicode()) : Qt::Key_F10, {},
                            i < 7 ? Qt::AltModifier : Qt::NoModifier);
        QMenu* menu = bar->actions().value(i % 7)->menu();
        ASSERT_EQ(QApplication::activePopupWidget(), menu) << i;
        menu->close();
        const QPoint at = bar->actionGeometry(menu->menuAction()).center();
        QHelpEvent hover(QEvent::ToolTip, at, bar->mapToGlobal(at));
        QApplication::sendEvent(bar, &hover);
        EXPECT_EQ(QToolTip::text(), QStringLiteral("Alt+") + letters[i % 7]);
    }
}
