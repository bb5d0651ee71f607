#include "app/windowmenus.h"

#include "app/toolbaricons.h"
#include "graphics/surfacemesh.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace tervan {

QString cmd::exaggeration(int times)
{
    return QStringLiteral("mnuViewExaggeration_%1").arg(times);
}

QString cmd::print(const char* family, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(family)).arg(index);
}

namespace {

// One menu item. The keys given come first, so they stay the item's shortcut; the standard
// key's bindings on this platform are added behind them.
struct Item
{
    const char* name;
    const char16_t* caption;
    QKeySequence keys = {};
    QKeySequence::StandardKey standard = QKeySequence::UnknownKey;
};

QMenu* addMenu(QMenuBar* bar, const char* name, const char16_t* caption)
{
    QMenu* menu = bar->addMenu(QString::fromUtf16(caption));
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name));
    return menu;
}

QMenu* addSubmenu(QMenu* parent, const QString& name, const QString& caption)
{
    QMenu* sub = parent->addMenu(caption);
    sub->setObjectName(name);
    sub->menuAction()->setObjectName(name);
    return sub;
}

void addItems(QMenu* menu, std::initializer_list<Item> items)
{
    for (const Item& item : items) {
        QAction* action =
            addMenuItem(menu, QLatin1String(item.name), QString::fromUtf16(item.caption));
        QList<QKeySequence> keys;
        if (!item.keys.isEmpty())
            keys << item.keys;
        if (item.standard != QKeySequence::UnknownKey)
            for (const QKeySequence& key : QKeySequence::keyBindings(item.standard))
                if (!keys.contains(key))
                    keys << key;
        action->setShortcuts(keys);
    }
}

QAction* addOption(QMenu* menu, const char* name, const char16_t* caption)
{
    QAction* action = addMenuItem(menu, QLatin1String(name), QString::fromUtf16(caption));
    action->setCheckable(true);
    return action;
}

// A Print submenu: its two reports, a separator and "all".
void addPrintItems(QMenu* print, int index, const char16_t* caption, const char* family,
                   const char16_t* first, const char16_t* second)
{
    QMenu* sub =
        addSubmenu(print, QStringLiteral("PrintChoice_%1").arg(index), QString::fromUtf16(caption));
    addMenuItem(sub, cmd::print(family, 1), QString::fromUtf16(first));
    addMenuItem(sub, cmd::print(family, 2), QString::fromUtf16(second));
    addMenuItem(sub, cmd::print(family, 3), QStringLiteral("-"));
    addMenuItem(sub, cmd::print(family, 4), QStringLiteral("ทั้งหมด"));
}

// Toolbar buttons in order: the action shown (a null name is a separator), its picture and tip.
struct ToolButton
{
    const char* action;
    const char* icon;
    const char16_t* tip;
};

const ToolButton ToolButtons[] = {
    {cmd::FileNew, "New", u"สร้างไฟล์ใหม่"},
    {cmd::FileOpen, "Open", u"เปิดไฟล์"},
    {cmd::FileSave, "Save", u"บันทึก"},
    {nullptr, nullptr, nullptr},
    {cmd::ControlModeless, "Control", u"ข้อมูลควบคุม"},
    {cmd::EditHeights, "InputEle", u"ป้อนข้อมูลค่าระดับ"},
    {nullptr, nullptr, nullptr},
    {cmd::ShowGrid, "ViewGrid", u"กราฟิกกริด"},
    {cmd::ShowContours, "ViewContour", u"กราฟิกเส้นชั้นความสูง"},
    {cmd::ShowSurface, "View3D", u"กราฟิกพื้นผิว"},
    {nullptr, nullptr, nullptr},
    {cmd::NormalView, "NormalView", u"มุมมองปกติ"},
    {cmd::FitScreen, "FitScreen", u"มุมมองขนาดพอดีหน้าจอ"},
    {cmd::ZoomIn, "ZoomIn", u"ซูมเข้า"},
    {cmd::ZoomOut, "ZoomOut", u"ซูมออก"},
    {cmd::LineColour, "ChangeColor", u"เปลี่ยนสีเส้นกราฟิก"},
    {cmd::RotatePlus, "RotatPlus", u"หมุนกราฟิกพื้นผิวทวนเข็มนาฬิกา"},
    {cmd::RotateMinus, "RotatMinus", u"หมุนกราฟิกพื้นผิวทวนตามนาฬิกา"},
    {nullptr, nullptr, nullptr},
    {cmd::GradeBalanced, "AutoGrade", u"ปรับระดับพื้นที่แบบพื้นที่เรียบเสมอกัน"},
    {cmd::GradeFixed, "FixGrade", u"ปรับระดับพื้นที่แบบผู้ใช้กำหนดค่าระดับ"},
    {nullptr, nullptr, nullptr},
    {"DataPrint_4", "PrintData", u"พิมพ์ข้อมูลนำเข้าทั้งหมด"},
    {"GraphicPrint_4", "PrintGraphic", u"พิมพ์กราฟิกทั้งหมด"},
    {"GradePrint_4", "PrintGrade", u"พิมพ์ผลลัพธ์การปรับระดับพื้นที่ทั้งหมด"},
};

} // namespace

QAction* addMenuItem(QMenu* menu, const QString& name, const QString& caption)
{
    QAction* action =
        caption == QLatin1String("-") ? menu->addSeparator() : menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

void buildMenuBar(QMenuBar* bar)
{
    QMenu* file = addMenu(bar, "mnuFile", u"แ&ฟ้ม");
    addItems(file, {
                       {cmd::FileNew, u"สร้างแฟ้ม"},
                       {"mnuFileFree1", u"-"},
                       {cmd::FileOpen, u"เปิดแฟ้ม", {}, QKeySequence::Open},
                       {cmd::FileSave, u"บันทึกแฟ้ม", {}, QKeySequence::Save},
                       // Save As sits with Save, where it is looked for.
                       {cmd::FileSaveAs, u"บันทึกเป็น…",
                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), QKeySequence::SaveAs},
                       {cmd::FileClose, u"ปิดแฟ้ม", QKeySequence(Qt::CTRL | Qt::Key_C),
                        QKeySequence::Close},
                       {"mnuFileFree2", u"-"},
                       // Heights in and out of other programs, before Exit.
                       {cmd::FileImportHeights, u"นำเข้าค่าระดับ (CSV)…"},
                       {cmd::FileExportHeights, u"ส่งออกค่าระดับ (CSV)…"},
                       {cmd::FileFromSurvey, u"สร้างโครงการจากจุดสำรวจ…"},
                       {"mnuFileFree3", u"-"},
                       {cmd::FileExit, u"ออกจากโปรแกรม"},
                   });

    addItems(addMenu(bar, cmd::EditMenu, u"&ป้อนข้อมูล"), {{cmd::EditHeading, u"ส่วนหัว"},
                                                        {cmd::EditControl, u"ข้อมูลควบคุม"},
                                                        {"mnuEditChoice_3", u"-"},
                                                        {cmd::EditHeights, u"ป้อนข้อมูลค่าระดับ"}});

    addItems(addMenu(bar, "mnuShowChoice", u"แ&สดงกราฟิก"), {{cmd::ShowGrid, u"กริด"},
                                                            {cmd::ShowContours, u"เส้นชั้นความสูง"},
                                                            {cmd::ShowSurface, u"พื้นผิว"}});

    QMenu* view = addMenu(bar, "munView", u"&มุมมอง");
    addItems(view, {{cmd::NormalView, u"ปกติ", QKeySequence(Qt::Key_F1)},
                    {cmd::FitScreen, u"พอดีหน้าจอ", QKeySequence(Qt::Key_F2)},
                    {cmd::ZoomIn, u"ซูมเข้า", QKeySequence(Qt::Key_F3), QKeySequence::ZoomIn},
                    {cmd::ZoomOut, u"ซูมออก", QKeySequence(Qt::Key_F4), QKeySequence::ZoomOut},
                    {"ViewChoice_4", u"-"}});
    addOption(view, cmd::LabelCoordinates, u"แสดงพิกัดจุดต่อ");
    addOption(view, cmd::LabelNumbers, u"แสดงหมายเลขจุดต่อ");
    addOption(view, cmd::LabelElevations, u"แสดงค่าระดับจุดกริด");
    addMenuItem(view, QStringLiteral("ViewChoice_8"), QStringLiteral("-"));
    // Every contour labelled, or only the whole levels: always one of the two.
    auto* contourLabels = new QActionGroup(view);
    contourLabels->addAction(
        addOption(view, cmd::ContourLabelsEvery, u"แสดงค่าระดับเส้นชั้นความสูงทุกค่า"));
    contourLabels->addAction(
        addOption(view, cmd::ContourLabelsSome, u"แสดงค่าระดับเส้นชั้นความสูงเฉพาะช่วง"));
    addItems(view, {{"ViewChoice_11", u"-"},
                    {cmd::LineColour, u"เปลี่ยนสีเส้นกราฟิก"},
                    {cmd::RotatePlus, u"หมุนกราฟิกพื้นผิวทวนเข็มนาฬิกา", QKeySequence(Qt::Key_F5)},
                    {cmd::RotateMinus, u"หมุนกราฟิกพื้นผิวตามเข็มนาฬิกา", QKeySequence(Qt::Key_F6)}});
    // The surface picture's base and vertical scale, then the contour options.
    view->addSeparator();
    addOption(view, cmd::SurfaceBaseLowest, u"ฐานที่ระดับต่ำสุด");
    QMenu* stretch = view->addMenu(QStringLiteral("ขยายทางดิ่ง"));
    stretch->setObjectName(QStringLiteral("mnuViewExaggeration"));
    auto* factors = new QActionGroup(stretch);
    for (int times : SurfaceExaggerations) {
        QAction* item =
            addMenuItem(stretch, cmd::exaggeration(times), QStringLiteral("%1 เท่า").arg(times));
        item->setCheckable(true);
        factors->addAction(item);
    }
    addOption(view, cmd::ContourLabelsAlong, u"แสดงค่าระดับตามแนวเส้นชั้นความสูง");
    addOption(view, cmd::ContourLevelsFromZero, u"ระดับเส้นชั้นความสูงเป็นพหุคูณของช่วง");

    addItems(addMenu(bar, "mnuGradeElev", u"ป&รับระดับพื้นที่"),
             {{cmd::GradeBalanced, u"แบบพื้นที่เรียบเสมอกัน"},
              {cmd::GradeFixed, u"แบบพื้นที่เรียบเสมอกัน ผู้ใช้กำหนดค่าระดับ"}});

    QMenu* print = addMenu(bar, "mnuPrint", u"&พิมพ์");
    addPrintItems(print, 1, u"ข้อมูลนำเข้า", "DataPrint", u"ข้อมูลควบคุม", u"พิกัดจุดต่อ และข้อมูลค่าระดับ");
    addPrintItems(print, 2, u"กราฟิก", "GraphicPrint", u"กริด", u"เส้นชั้นความสูง");
    addPrintItems(print, 3, u"ผลลัพธ์การปรับระดับพื้นที่", "GradePrint", u"แบบพื้นที่เรียบเสมอกัน",
                  u"แบบพื้นที่เรียบเสมอกัน ผู้ใช้กำหนดค่าระดับเอง");

    addItems(addMenu(bar, "mnuHelp", u"&ช่วยเหลือ"), {{cmd::HelpAbout, u"เ&กี่ยวกับ"}});
}

QToolBar* buildToolBar(QMainWindow* window)
{
    QToolBar* toolbar = window->addToolBar(QStringLiteral("tbrmain"));
    toolbar->setObjectName(QStringLiteral("tbrmain"));
    toolbar->setMovable(false);
    toolbar->setIconSize(QSize(24, 24));
    for (const ToolButton& button : ToolButtons) {
        if (!button.action) {
            toolbar->addSeparator();
            continue;
        }
        const QString name = QLatin1String(button.action);
        QAction* action = window->menuBar()->findChild<QAction*>(name);
        if (!action) {
            action = new QAction(window);
            action->setObjectName(name);
        }
        action->setIcon(toolbarIcon(QLatin1String(button.icon)));
        // The menus keep showing their items as text alone.
        action->setIconVisibleInMenu(false);
        action->setToolTip(QString::fromUtf16(button.tip));
        if (action->text().isEmpty())
            action->setText(action->toolTip());
        toolbar->addAction(action);
    }
    return toolbar;
}

} // namespace tervan
