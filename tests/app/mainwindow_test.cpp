#include "app/mainwindow.h"
#include "app/picturedrawing.h"
#include "common/messages.h"
#include "graphics/ui/plotwidget.h"
#include "graphics/viewwindow.h"
#include "project/controldata.h"
#include "project/ui/controldialog.h"
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

    // What a user meets when the command runs: the dialogs shown, the messages, a file dialog,
    // and whether editing, the view window, the surface's angle or the window changed.
    QStringList observe(QAction* action)
    {
        QStringList seen;
        prompts->onModal = [&seen](QDialog& d) { seen << d.objectName(); };
        const Project before = window.project();
        const bool editing = item("mnuEdit")->isEnabled();
        const bool visible = window.isVisible();
        action->setEnabled(true);
        action->trigger();
        window.waitForPrints();
        seen << prompts->messages;
        const Project& after = window.project();
        if (!prompts->lastFilter.isEmpty())
            seen << "file dialog";
        if (item("mnuEdit")->isEnabled() != editing)
            seen << "editing";
        if (after.ViewXMin != before.ViewXMin || after.ViewYMax != before.ViewYMax ||
            after.ViewXMax != before.ViewXMax)
            seen << "view";
        if (after.RotationAngle != before.RotationAngle)
            seen << "angle";
        if (visible && !window.isVisible())
            seen << "closed";
        if (printed.documents() > 0)
            seen << QStringLiteral("printed %1").arg(printed.documents());
        return seen;
    }
    QAction* item(const char* name) { return window.menuItem(QLatin1String(name)); }
    void defineGrid(qint16 spacing = 10, qint16 rows = 4, qint16 cols = 5)
    {
        window.mnuFileNew_Click();
        applyControlData(window.project(), {spacing, rows, cols, 1});
    }
};

// Clicks the toolbar's button for the named command, as the user does.
void clickTool(MainWindow& window, const char* name)
{
    auto* toolbar = window.findChild<QToolBar*>(QStringLiteral("tbrmain"));
    for (QAction* action : toolbar->actions())
        if (action->objectName() == QLatin1String(name))
            return QTest::mouseClick(toolbar->widgetForAction(action), Qt::LeftButton);
    ADD_FAILURE() << name << " is not on the toolbar";
}

// Whether the button at a toolbar position (from 1, separators included) takes clicks.
bool buttonEnabled(MainWindow& window, int position)
{
    auto* toolbar = window.findChild<QToolBar*>(QStringLiteral("tbrmain"));
    return toolbar->widgetForAction(toolbar->actions().value(position - 1))->isEnabled();
}

struct MenuRow
{
    const char* name;
    const char16_t* caption;
    QKeySequence shortcut;
};

const MenuRow MenuRows[] = {
    {"mnuFile", u"แ&ฟ้ม", {}},
    {"mnuFileNew", u"สร้างแฟ้ม", {}},
    {"mnuFileFree1", u"", {}},
    {"mnuFileOpen", u"เปิดแฟ้ม", QKeySequence(Qt::CTRL | Qt::Key_O)},
    {"mnuFileSave", u"บันทึกแฟ้ม", QKeySequence(Qt::CTRL | Qt::Key_S)},
    {"mnuFileClose", u"ปิดแฟ้ม", QKeySequence(Qt::CTRL | Qt::Key_C)},
    {"mnuFileFree2", u"", {}},
    {"mnuFileExit", u"ออกจากโปรแกรม", {}},
    {"mnuEdit", u"&ป้อนข้อมูล", {}},
    {"mnuEditChoice_1", u"ส่วนหัว", {}},
    {"mnuEditChoice_2", u"ข้อมูลควบคุม", {}},
    {"mnuEditChoice_3", u"", {}},
    {"mnuEditChoice_4", u"ป้อนข้อมูลค่าระดับ", {}},
    {"mnuEditFree2", u"", {}},
    {"mnuEditSuspects", u"ตรวจค่าระดับผิดปกติ", {}},
    {"mnuShowChoice", u"แ&สดงกราฟิก", {}},
    {"GraphicShow_1", u"กริด", {}},
    {"GraphicShow_2", u"เส้นชั้นความสูง", {}},
    {"GraphicShow_3", u"พื้นผิว", {}},
    {"munView", u"&มุมมอง", {}},
    {"ViewChoice_0", u"ปกติ", QKeySequence(Qt::Key_F1)},
    {"ViewChoice_1", u"พอดีหน้าจอ", QKeySequence(Qt::Key_F2)},
    {"ViewChoice_2", u"ซูมเข้า", QKeySequence(Qt::Key_F3)},
    {"ViewChoice_3", u"ซูมออก", QKeySequence(Qt::Key_F4)},
    {"ViewChoice_4", u"", {}},
    {"ViewChoice_5", u"แสดงพิกัดจุดต่อ", {}},
    {"ViewChoice_6", u"แสดงหมายเลขจุดต่อ", {}},
    {"ViewChoice_7", u"แสดงค่าระดับจุดกริด", {}},
    {"ViewChoice_8", u"", {}},
    {"ViewChoice_9", u"แสดงค่าระดับเส้นชั้นความสูงทุกค่า", {}},
    {"ViewChoice_10", u"แสดงค่าระดับเส้นชั้นความสูงเฉพาะช่วง", {}},
    {"ViewChoice_11", u"", {}},
    {"ViewChoice_12", u"เปลี่ยนสีเส้นกราฟิก", {}},
    {"ViewChoice_13", u"หมุนกราฟิกพื้นผิวทวนเข็มนาฬิกา", QKeySequence(Qt::Key_F5)},
    {"ViewChoice_14", u"หมุนกราฟิกพื้นผิวตามเข็มนาฬิกา", QKeySequence(Qt::Key_F6)},
    {"mnuGradeElev", u"ป&รับระดับพื้นที่", {}},
    {"GradeElevChoice_1", u"แบบพื้นที่เรียบเสมอกัน", {}},
    {"GradeElevChoice_2", u"แบบพื้นที่เรียบเสมอกัน ผู้ใช้กำหนดค่าระดับ", {}},
    {"mnuEarthworkFree", u"", {}},
    {"mnuEarthworkGross", u"ปริมาตรดินตัด-ดินถมแบบแยก", {}},
    {"mnuEarthworkBalance", u"กราฟสมดุลดินตัด-ดินถม", {}},
    {"mnuEarthworkSloped", u"ปรับระดับแบบมีความลาดเอียง", {}},
    {"mnuPrint", u"&พิมพ์", {}},
    {"PrintChoice_1", u"ข้อมูลนำเข้า", {}},
    {"DataPrint_1", u"ข้อมูลควบคุม", {}},
    {"DataPrint_2", u"พิกัดจุดต่อ และข้อมูลค่าระดับ", {}},
    {"DataPrint_3", u"", {}},
    {"DataPrint_4", u"ทั้งหมด", {}},
    {"PrintChoice_2", u"กราฟิก", {}},
    {"GraphicPrint_1", u"กริด", {}},
    {"GraphicPrint_2", u"เส้นชั้นความสูง", {}},
    {"GraphicPrint_3", u"", {}},
    {"GraphicPrint_4", u"ทั้งหมด", {}},
    {"PrintChoice_3", u"ผลลัพธ์การปรับระดับพื้นที่", {}},
    {"GradePrint_1", u"แบบพื้นที่เรียบเสมอกัน", {}},
    {"GradePrint_2", u"แบบพื้นที่เรียบเสมอกัน ผู้ใช้กำหนดค่าระดับเอง", {}},
    {"GradePrint_3", u"", {}},
    {"GradePrint_4", u"ทั้งหมด", {}},
    {"mnuHelp", u"&ช่วยเหลือ", {}},
    {"mnuHelpAbout", u"เ&กี่ยวกับ", {}},
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

// Toolbar positions from 1, separators included, and the command each button shares with the
// menus (the control-data button alone is the toolbar's own).
struct ToolRow
{
    int position;
    const char* action; // nullptr: separator
    const char16_t* tip;
};

const ToolRow ToolRows[] = {
    {1, "mnuFileNew", u"สร้างไฟล์ใหม่"},
    {2, "mnuFileOpen", u"เปิดไฟล์"},
    {3, "mnuFileSave", u"บันทึก"},
    {4, nullptr, nullptr},
    {5, "tbrmain_Control", u"ข้อมูลควบคุม"},
    {6, "mnuEditChoice_4", u"ป้อนข้อมูลค่าระดับ"},
    {7, nullptr, nullptr},
    {8, "GraphicShow_1", u"กราฟิกกริด"},
    {9, "GraphicShow_2", u"กราฟิกเส้นชั้นความสูง"},
    {10, "GraphicShow_3", u"กราฟิกพื้นผิว"},
    {11, nullptr, nullptr},
    {12, "ViewChoice_0", u"มุมมองปกติ"},
    {13, "ViewChoice_1", u"มุมมองขนาดพอดีหน้าจอ"},
    {14, "ViewChoice_2", u"ซูมเข้า"},
    {15, "ViewChoice_3", u"ซูมออก"},
    {16, "ViewChoice_12", u"เปลี่ยนสีเส้นกราฟิก"},
    {17, "ViewChoice_13", u"หมุนกราฟิกพื้นผิวทวนเข็มนาฬิกา"},
    {18, "ViewChoice_14", u"หมุนกราฟิกพื้นผิวทวนตามนาฬิกา"},
    {19, nullptr, nullptr},
    {20, "GradeElevChoice_1", u"ปรับระดับพื้นที่แบบพื้นที่เรียบเสมอกัน"},
    {21, "GradeElevChoice_2", u"ปรับระดับพื้นที่แบบผู้ใช้กำหนดค่าระดับ"},
    {22, nullptr, nullptr},
    {23, "DataPrint_4", u"พิมพ์ข้อมูลนำเข้าทั้งหมด"},
    {24, "GraphicPrint_4", u"พิมพ์กราฟิกทั้งหมด"},
    {25, "GradePrint_4", u"พิมพ์ผลลัพธ์การปรับระดับพื้นที่ทั้งหมด"},
};

} // namespace

TEST(MainWindow, MenuBarHoldsEveryItemInOrder)
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
}

namespace {

using Setup = std::function<void(Fixture&)>;
const Setup Fresh = [](Fixture&) {};
const Setup Grid = [](Fixture& f) {
    f.defineGrid();
    zoomIn(f.window.project());
};
const Setup Contours = [](Fixture& f) {
    f.defineGrid();
    f.window.GraphicShow_Click(2);
};

// Each item reaches its own command: what the user meets when it runs.
struct DispatchRow
{
    const char* item;
    Setup setup;
    QStringList seen;
};

class Dispatch : public ::testing::TestWithParam<DispatchRow>
{
};

const DispatchRow DispatchRows[] = {
    {"mnuFileNew", Fresh, {"editing"}},
    {"mnuFileOpen", Fresh, {"file dialog"}},
    {"mnuFileSave", Fresh, {"file dialog"}},
    {"mnuFileSaveAs", Fresh, {"file dialog"}},
    {"mnuFileClose", [](Fixture& f) { f.window.mnuFileNew_Click(); }, {"editing"}},
    {"mnuFileExit", [](Fixture& f) { f.window.show(); }, {"closed"}},
    {"mnuEditChoice_1", Fresh, {"frmHeading"}},
    {"mnuEditChoice_2", Fresh, {"frmControl"}},
    {"mnuEditChoice_4", Fresh, {msg::EnterRowsColsFirst}},
    {"GraphicShow_1", Fresh, {msg::EnterOrOpenFirst}},
    {"GraphicShow_2", Fresh, {msg::EnterOrOpenFirst}},
    {"GraphicShow_3", Fresh, {msg::EnterOrOpenFirst}},
    {"ViewChoice_0", Grid, {"view"}},
    {"ViewChoice_1", Grid, {"view"}},
    {"ViewChoice_2", Grid, {"view"}},
    {"ViewChoice_3", Grid, {"view"}},
    {"ViewChoice_12", Contours, {"frmBasicColor"}},
    {"ViewChoice_13", Contours, {"angle"}},
    {"ViewChoice_14", Contours, {"angle"}},
    {"GradeElevChoice_1", Fresh, {msg::DataIncomplete}},
    {"GradeElevChoice_2", Grid, {"frmInputGrade"}},
    {"DataPrint_1", Grid, {"printed 1"}},
    {"DataPrint_2", Grid, {"printed 1"}},
    {"DataPrint_4", Grid, {"printed 2"}},
    {"GraphicPrint_1", Grid, {"printed 1"}},
    {"GraphicPrint_2", Grid, {"printed 1"}},
    {"GraphicPrint_4", Grid, {"printed 2"}},
    {"GradePrint_1", Grid, {"printed 1"}},
    {"GradePrint_2", Grid, {"printed 1"}},
    {"GradePrint_4", Grid, {"printed 2"}},
    {"mnuHelpAbout", Fresh, {"frmAbout"}},
    {"tbrmain_Control", [](Fixture& f) { f.window.mnuFileNew_Click(); }, {}},
};

} // namespace

TEST_P(Dispatch, EveryItemReachesItsCommand)
{
    const DispatchRow& row = GetParam();
    Fixture f;
    row.setup(f);
    QAction* action = f.item(row.item);
    ASSERT_NE(action, nullptr);
    QSignalSpy triggered(action, &QAction::triggered);
    EXPECT_EQ(f.observe(action), row.seen);
    EXPECT_EQ(triggered.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Items, Dispatch, ::testing::ValuesIn(DispatchRows),
                         [](const auto& info) { return std::string(info.param.item); });

// The function keys of the View menu work from the window, whatever has the focus there.
TEST(MainWindow, ViewKeysTriggerTheirItems)
{
    Fixture f;
    f.defineGrid();
    f.window.GraphicShow_Click(3);
    f.window.show();
    QApplication::setActiveWindow(&f.window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.window));
    const std::pair<Qt::Key, const char*> keys[] = {
        {Qt::Key_F1, "ViewChoice_0"}, {Qt::Key_F2, "ViewChoice_1"},  {Qt::Key_F3, "ViewChoice_2"},
        {Qt::Key_F4, "ViewChoice_3"}, {Qt::Key_F5, "ViewChoice_13"}, {Qt::Key_F6, "ViewChoice_14"}};
    for (const auto& [key, name] : keys) {
        QSignalSpy triggered(f.item(name), &QAction::triggered);
        QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : &f.window;
        QTest::keyClick(focus, key);
        EXPECT_EQ(triggered.size(), 1) << name;
    }
}

TEST(MainWindow, ToolbarShowsTheMenusCommandsInTwentyFivePositions)
{
    Fixture f;
    auto* toolbar = f.window.findChild<QToolBar*>(QStringLiteral("tbrmain"));
    ASSERT_NE(toolbar, nullptr);
    const QList<QAction*> buttons = toolbar->actions();
    ASSERT_EQ(buttons.size(), 25);
    QList<QImage> icons;
    for (const ToolRow& row : ToolRows) {
        SCOPED_TRACE(row.position);
        QAction* button = buttons[row.position - 1];
        EXPECT_EQ(button->isSeparator(), row.action == nullptr);
        if (!row.action)
            continue;
        EXPECT_EQ(button, f.item(row.action));
        EXPECT_EQ(button->toolTip(), QString::fromUtf16(row.tip));
        const QImage icon = button->icon().pixmap(24, 24).toImage();
        EXPECT_FALSE(icon.isNull());
        EXPECT_FALSE(icons.contains(icon)) << "icon repeats";
        icons << icon;
        // The menus show their items as text alone.
        EXPECT_FALSE(button->isIconVisibleInMenu());
    }
}

TEST(MainWindow, StartsWithCaptionMarksAndStartupWindow)
{
    Fixture f;
    const Project& p = f.window.project();
    EXPECT_EQ(f.window.windowTitle().remove(QStringLiteral("[*]")), QStringLiteral("TERVAN"));
    EXPECT_TRUE(f.window.windowState() & Qt::WindowMaximized);
    EXPECT_FALSE(f.item("mnuEdit")->isEnabled());
    EXPECT_FALSE(f.item("tbrmain_Control")->isEnabled());
    for (int i : {12, 13, 14})
        EXPECT_FALSE(f.window.menuItem(QStringLiteral("ViewChoice_%1").arg(i))->isEnabled()) << i;
    for (int pos : {5, 16, 17, 18})
        EXPECT_FALSE(buttonEnabled(f.window, pos)) << pos;
    // The window starts the project's defaults and draws the startup view once.
    EXPECT_TRUE(p == startupProject());
    EXPECT_EQ(gridDots(p), (GridDots{15, 11.5f}));
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

namespace {

using Run = std::function<void(MainWindow&)>;
Run tool(const char* name)
{
    return [name](MainWindow& w) { clickTool(w, name); };
}
template <class R> Run menu(R (MainWindow::*click)(int), int index)
{
    return [=](MainWindow& w) { (w.*click)(index); };
}

// Each refused command shows its one message and changes nothing else. A toolbar button is its
// menu item's own action, so each command is tried once, from the button where it has one.
struct RefusalRow
{
    Run run;
    const QString* message;
    bool defineGridOnly = false; // a grid without nodes (rows but no columns)
};

const RefusalRow RefusalRows[] = {
    {tool("GraphicShow_1"), &msg::EnterOrOpenFirst},
    {tool("GraphicShow_2"), &msg::EnterOrOpenFirst},
    {tool("GraphicShow_3"), &msg::EnterOrOpenFirst},
    {menu(&MainWindow::mnuEditChoice_Click, 4), &msg::EnterRowsColsFirst, true},
    {tool("mnuEditChoice_4"), &msg::EnterRowsColsFirst},
    {menu(&MainWindow::GradeElevChoice_Click, 1), &msg::DataIncomplete, true},
    {menu(&MainWindow::GradeElevChoice_Click, 2), &msg::DataIncomplete, true},
    {tool("GradeElevChoice_1"), &msg::DataIncomplete},
    {tool("GradeElevChoice_2"), &msg::DataIncomplete},
    {menu(&MainWindow::DataPrint_Click, 1), &msg::DataIncomplete, true},
    {menu(&MainWindow::DataPrint_Click, 2), &msg::DataIncomplete},
    {tool("DataPrint_4"), &msg::DataIncomplete},
    {menu(&MainWindow::GraphicPrint_Click, 1), &msg::DataIncomplete},
    {menu(&MainWindow::GraphicPrint_Click, 2), &msg::DataIncomplete},
    {tool("GraphicPrint_4"), &msg::DataIncomplete},
    {menu(&MainWindow::GradePrint_Click, 1), &msg::DataIncomplete},
    {menu(&MainWindow::GradePrint_Click, 2), &msg::DataIncomplete, true},
    {tool("GradePrint_4"), &msg::DataIncomplete},
};

using Preconditions = ::testing::TestWithParam<RefusalRow>;

} // namespace

TEST_P(Preconditions, ShowTheirMessageOnceAndNothingElse)
{
    const RefusalRow& row = GetParam();
    Fixture f;
    if (row.defineGridOnly) {
        f.window.mnuFileNew_Click();
        applyControlData(f.window.project(), {10, 3, 0, 1});
    }
    f.window.project().FixGradeElevation = 12.5f; // the platform given last survives a refusal
    const Project before = f.window.project();
    QSignalSpy redraws(&f.window, &MainWindow::redrawn);
    row.run(f.window);
    EXPECT_EQ(f.prompts->messages, QStringList{*row.message});
    EXPECT_EQ(f.prompts->modalRuns, 0);
    EXPECT_TRUE(f.window.project() == before);
    EXPECT_TRUE(redraws.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Commands, Preconditions, ::testing::ValuesIn(RefusalRows));

TEST(MainWindow, NewAndCloseSwitchEditingAndKeepTheData)
{
    Fixture f;
    f.defineGrid();
    f.window.project().Nodes[7].Z = 99;
    f.window.project().FileTitle = "site.gnd";
    f.window.setWindowTitle("TERVAN[/tmp/site]");

    f.window.mnuFileClose_Click();
    EXPECT_FALSE(f.item("mnuEdit")->isEnabled());
    EXPECT_FALSE(f.item("tbrmain_Control")->isEnabled());
    EXPECT_EQ(f.window.windowTitle().remove(QStringLiteral("[*]")), QStringLiteral("TERVAN"));
    EXPECT_EQ(f.window.project().NodeCount, 20);

    // A view command after Close still finds the data.
    QSignalSpy redraws(&f.window, &MainWindow::redrawn);
    EXPECT_TRUE(f.window.GraphicShow_Click(2));
    EXPECT_EQ(f.window.project().DisplayMode, PictureKind::GridWithContours);
    EXPECT_EQ(redraws.size(), 1);
    EXPECT_TRUE(f.prompts->messages.isEmpty());

    f.window.mnuFileNew_Click();
    const Project& p = f.window.project();
    EXPECT_TRUE(f.item("mnuEdit")->isEnabled());
    EXPECT_TRUE(f.item("tbrmain_Control")->isEnabled());
    EXPECT_FALSE(p.HasData());
    EXPECT_EQ(p.FileTitle, QStringLiteral("********"));
    EXPECT_EQ(p.DisplayMode, PictureKind::Grid);
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
    EXPECT_EQ(f.window.project().BoldWholeContours, ContourEmphasis::EveryLevel);
    f.item("ViewChoice_9")->trigger(); // already marked: stays marked
    EXPECT_EQ(marks(), "01010");
    f.item("ViewChoice_10")->trigger();
    EXPECT_EQ(marks(), "01001");
    EXPECT_EQ(f.window.project().BoldWholeContours, ContourEmphasis::WholeLevels);
}

TEST(MainWindow, PictureCommandsFollowTheDisplayMode)
{
    Fixture f;
    f.defineGrid();
    auto states = [&f] {
        QString s;
        for (int pos : {16, 17, 18})
            s += buttonEnabled(f.window, pos) ? '1' : '0';
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
    clickTool(f.window, "tbrmain_Control");
    clickTool(f.window, "tbrmain_Control");
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
    clickTool(f.window, "GradeElevChoice_2");
    clickTool(f.window, "GradeElevChoice_1");
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
    clickTool(f.window, "DataPrint_4");
    f.window.waitForPrints();
    EXPECT_EQ(f.printCommands, 1);
    EXPECT_EQ(f.printed.documents(), 3); // control data, then 24 + 1 nodes
    f.window.GraphicPrint_Click(3);      // a separator prints nothing
    f.window.GraphicPrint_Click(4);
    f.window.waitForPrints();
    EXPECT_EQ(f.printed.documents(), 5);
    EXPECT_EQ(f.printed.a4Requests(), 2);
    f.window.project().FixGradeElevation = 3;
    clickTool(f.window, "GradePrint_4");
    f.window.waitForPrints();
    EXPECT_EQ(f.printed.documents(), 7);
    EXPECT_TRUE(f.printed.texts(6).contains("3.000")); // the platform entered last
    EXPECT_EQ(f.window.project().AutoCellVolume.size(), 17u);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(f.prompts->messages.isEmpty());
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
