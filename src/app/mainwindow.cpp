#include "app/mainwindow.h"

#include "app/exportcommands.h"
#include "app/heightscommands.h"
#include "app/undocommands.h"
#include "app/unsavedchanges.h"

#include "app/aboutdialog.h"
#include "app/designlauncher.h"
#include "app/earthworklauncher.h"
#include "app/menukeys.h"
#include "app/picturedrawing.h"
#include "app/printerchoice.h"
#include "app/projectguard.h"

#include "app/toolbaricons.h"
#include "common/messages.h"
#include "common/numbertext.h"
#include "grading/earthwork.h"
#include "grading/grading.h"
#include "grading/ui/graderesultdialog.h"
#include "grading/ui/inputgradedialog.h"
#include "graphics/surfacemesh.h"
#include "graphics/ui/colourdialog.h"
#include "graphics/ui/plotwidget.h"
#include "graphics/viewwindow.h"
#include "printing/earthworkreports.h"
#include "printing/reports.h"
#include "printing/ui/printjobs.h"
#include "project/nodetablemodel.h"
#include "project/projectfile.h"
#include "project/ui/centreddialog.h"
#include "project/ui/controldialog.h"
#include "project/ui/headingdialog.h"
#include "project/ui/nodeentrydialog.h"
#include "project/ui/prompts.h"
#include "survey/coordinates.h"
#include "survey/ui/georeferencedialog.h"
#include "survey/ui/surveydialog.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <cmath>

namespace tervan {

namespace {

const QString Caption = QStringLiteral("TERVAN");
const QString FileFilter = QStringLiteral("Data File (*.gnd)");
const QString ControlStep = QStringLiteral("แก้ข้อมูลควบคุม");

// Where the caption shows unsaved changes.
const QString ModifiedMark = QStringLiteral("[*]");

QString captionFor(const ProjectFileNames& names)
{
    return Caption + QLatin1Char('[') + QDir::toNativeSeparators(names.gnd) + QLatin1Char(']') +
           ModifiedMark;
}

// One entry of a menu array; "-" makes a separator that still holds its index.
struct ArrayItem
{
    int index;
    const char16_t* caption;
    QKeySequence shortcut = {};
};

QString arrayName(const char* family, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(family)).arg(index);
}

QMenu* addMenu(QMenuBar* bar, const char* name, const char16_t* caption)
{
    QMenu* menu = bar->addMenu(QString::fromUtf16(caption));
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name));
    return menu;
}

QAction* addItem(QMenu* menu, const QString& name, const char16_t* caption,
                 const QKeySequence& shortcut = {})
{
    const QString text = QString::fromUtf16(caption);
    QAction* action = text == QLatin1String("-") ? menu->addSeparator() : menu->addAction(text);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    return action;
}

// Toolbar buttons in order; a null key is a separator.
struct ToolButton
{
    const char* key;
    const char16_t* tip;
};

const ToolButton ToolButtons[] = {
    {"New", u"สร้างไฟล์ใหม่"},
    {"Open", u"เปิดไฟล์"},
    {"Save", u"บันทึก"},
    {nullptr, nullptr},
    {"Control", u"ข้อมูลควบคุม"},
    {"InputEle", u"ป้อนข้อมูลค่าระดับ"},
    {nullptr, nullptr},
    {"ViewGrid", u"กราฟิกกริด"},
    {"ViewContour", u"กราฟิกเส้นชั้นความสูง"},
    {"View3D", u"กราฟิกพื้นผิว"},
    {nullptr, nullptr},
    {"NormalView", u"มุมมองปกติ"},
    {"FitScreen", u"มุมมองขนาดพอดีหน้าจอ"},
    {"ZoomIn", u"ซูมเข้า"},
    {"ZoomOut", u"ซูมออก"},
    {"ChangeColor", u"เปลี่ยนสีเส้นกราฟิก"},
    {"RotatPlus", u"หมุนกราฟิกพื้นผิวทวนเข็มนาฬิกา"},
    {"RotatMinus", u"หมุนกราฟิกพื้นผิวทวนตามนาฬิกา"},
    {nullptr, nullptr},
    {"AutoGrade", u"ปรับระดับพื้นที่แบบพื้นที่เรียบเสมอกัน"},
    {"FixGrade", u"ปรับระดับพื้นที่แบบผู้ใช้กำหนดค่าระดับ"},
    {nullptr, nullptr},
    {"PrintData", u"พิมพ์ข้อมูลนำเข้าทั้งหมด"},
    {"PrintGraphic", u"พิมพ์กราฟิกทั้งหมด"},
    {"PrintGrade", u"พิมพ์ผลลัพธ์การปรับระดับพื้นที่ทั้งหมด"},
};

// Toolbar positions whose commands only make sense for some pictures.
constexpr int ButtonControl = 5;
constexpr int ButtonChangeColor = 16;
constexpr int ButtonRotatPlus = 17;
constexpr int ButtonRotatMinus = 18;

} // namespace

MainWindow::MainWindow(std::unique_ptr<Prompts> prompts, QWidget* parent)
    : QMainWindow(parent), m_prompts(std::move(prompts))
{
    setObjectName(QStringLiteral("frmMain"));
    if (!m_prompts)
        m_prompts = std::make_unique<WidgetPrompts>(this);
    m_history = new ProjectHistory(m_project, this);
    m_unsaved = new UnsavedChanges(this, *m_prompts, *m_history, [this] { return saveProject(); });
    m_guard = std::make_unique<ProjectGuard>(*m_prompts);
    // Undo and redo leave the node list on its node.
    connect(m_history, &ProjectHistory::projectChanged, this, [this] { projectReplaced(true); });
    buildCentralArea();
    m_heights = new HeightsCommands(m_project, *m_prompts, m_stbMain, this);
    connect(m_heights, &HeightsCommands::imported, this, [this] {
        m_history->commitImported();
        projectReplaced();
    });
    buildMenus();
    addMenuKeys(*this);
    m_printOutput = [this](Prompts& prompts) { return m_printerChoice->open(prompts); };
    m_earthwork = new EarthworkLauncher(
        m_project, *m_prompts, [this](const auto& report) { printReport(report); }, this);
    m_earthwork->addMenuItems(findChild<QMenu*>(QStringLiteral("mnuGradeElev")),
                              findChild<QMenu*>(QStringLiteral("mnuEdit")));
    (new DesignLauncher(
         m_project, *m_prompts, [this](const auto& report) { printReport(report); }, this))
        ->addMenuItems(findChild<QMenu*>(QStringLiteral("mnuGradeElev")));
    // Where the grid lies on the ground, after the Edit menu's other items.
    QMenu* edit = findChild<QMenu*>(QStringLiteral("mnuEdit"));
    connect(addItem(edit, "mnuEditGeoreference", u"พิกัดอ้างอิง…"), &QAction::triggered, this,
            &MainWindow::editGeoreference);
    m_history->addMenuItems(findChild<QMenu*>(QStringLiteral("mnuEdit")));
    buildToolbar();
    startup();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus()
{
    QMenuBar* bar = menuBar();

    QMenu* file = addMenu(bar, "mnuFile", u"แ&ฟ้ม");
    connect(addItem(file, "mnuFileNew", u"สร้างแฟ้ม"), &QAction::triggered, this,
            &MainWindow::mnuFileNew_Click);
    addItem(file, "mnuFileFree1", u"-");
    connect(addItem(file, "mnuFileOpen", u"เปิดแฟ้ม", QKeySequence(Qt::CTRL | Qt::Key_O)),
            &QAction::triggered, this, [this] { mnuFileOpen_Click(); });
    connect(addItem(file, "mnuFileSave", u"บันทึกแฟ้ม", QKeySequence(Qt::CTRL | Qt::Key_S)),
            &QAction::triggered, this, &MainWindow::mnuFileSave_Click);
    // Save As sits with Save, where it is looked for.
    connect(
        addItem(file, "mnuFileSaveAs", u"บันทึกเป็น…", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)),
        &QAction::triggered, this, &MainWindow::mnuFileSaveAs_Click);
    connect(addItem(file, "mnuFileClose", u"ปิดแฟ้ม", QKeySequence(Qt::CTRL | Qt::Key_C)),
            &QAction::triggered, this, &MainWindow::mnuFileClose_Click);
    addItem(file, "mnuFileFree2", u"-");
    // Heights in and out of other programs, before Exit.
    connect(addItem(file, "mnuFileImportHeights", u"นำเข้าค่าระดับ (CSV)…"), &QAction::triggered, this,
            [this] {
                emit commandStarted(QStringLiteral("importHeights"));
                m_heights->importHeights();
            });
    connect(addItem(file, "mnuFileExportHeights", u"ส่งออกค่าระดับ (CSV)…"), &QAction::triggered, this,
            [this] {
                emit commandStarted(QStringLiteral("exportHeights"));
                m_heights->exportHeights();
            });
    connect(addItem(file, "mnuFileFromSurvey", u"สร้างโครงการจากจุดสำรวจ…"), &QAction::triggered,
            this, &MainWindow::projectFromSurvey);
    addItem(file, "mnuFileFree3", u"-");
    connect(addItem(file, "mnuFileExit", u"ออกจากโปรแกรม"), &QAction::triggered, this,
            &MainWindow::mnuFileExit_Click);
    m_printerChoice = new PrinterChoice(file, *m_prompts, this);
    new ExportCommands(file, m_project, *m_prompts, m_stbMain, this);

    // A menu array: every entry reaches the family's handler with its index.
    auto addArray = [this](QMenu* menu, const char* family, std::initializer_list<ArrayItem> items,
                           void (MainWindow::*handler)(int)) {
        for (const ArrayItem& item : items) {
            QAction* action =
                addItem(menu, arrayName(family, item.index), item.caption, item.shortcut);
            const int index = item.index;
            connect(action, &QAction::triggered, this, [this, action, index, handler] {
                // Check marks belong to the handler, not to the click.
                if (action->isCheckable())
                    action->setChecked(!action->isChecked());
                (this->*handler)(index);
            });
        }
    };

    addArray(addMenu(bar, "mnuEdit", u"&ป้อนข้อมูล"), "mnuEditChoice",
             {{1, u"ส่วนหัว"}, {2, u"ข้อมูลควบคุม"}, {3, u"-"}, {4, u"ป้อนข้อมูลค่าระดับ"}},
             &MainWindow::mnuEditChoice_Click);

    QMenu* show = addMenu(bar, "mnuShowChoice", u"แ&สดงกราฟิก");
    for (const ArrayItem& item :
         {ArrayItem{1, u"กริด"}, ArrayItem{2, u"เส้นชั้นความสูง"}, ArrayItem{3, u"พื้นผิว"}}) {
        const int index = item.index;
        connect(addItem(show, arrayName("GraphicShow", index), item.caption), &QAction::triggered,
                this, [this, index] { GraphicShow_Click(index); });
    }

    QMenu* view = addMenu(bar, "munView", u"&มุมมอง");
    addArray(view, "ViewChoice",
             {{0, u"ปกติ", QKeySequence(Qt::Key_F1)},
              {1, u"พอดีหน้าจอ", QKeySequence(Qt::Key_F2)},
              {2, u"ซูมเข้า", QKeySequence(Qt::Key_F3)},
              {3, u"ซูมออก", QKeySequence(Qt::Key_F4)},
              {4, u"-"},
              {5, u"แสดงพิกัดจุดต่อ"},
              {6, u"แสดงหมายเลขจุดต่อ"},
              {7, u"แสดงค่าระดับจุดกริด"},
              {8, u"-"},
              {9, u"แสดงค่าระดับเส้นชั้นความสูงทุกค่า"},
              {10, u"แสดงค่าระดับเส้นชั้นความสูงเฉพาะช่วง"},
              {11, u"-"},
              {12, u"เปลี่ยนสีเส้นกราฟิก"},
              {13, u"หมุนกราฟิกพื้นผิวทวนเข็มนาฬิกา", QKeySequence(Qt::Key_F5)},
              {14, u"หมุนกราฟิกพื้นผิวตามเข็มนาฬิกา", QKeySequence(Qt::Key_F6)}},
             &MainWindow::ViewChoice_Click);
    for (int index : {5, 6, 7, 9, 10})
        menuItem(arrayName("ViewChoice", index))->setCheckable(true);
    addSurfaceScaleItems(view);
    QAction* along =
        addItem(view, QStringLiteral("mnuViewLabelsAlong"), u"แสดงค่าระดับตามแนวเส้นชั้นความสูง");
    along->setCheckable(true);
    connect(along, &QAction::toggled, this, [this](bool on) {
        m_project.ContourLabelsAlong = on;
        Form_Activate();
    });
    QAction* fromZero =
        addItem(view, QStringLiteral("mnuViewLevelsFromZero"), u"ระดับเส้นชั้นความสูงเป็นพหุคูณของช่วง");
    fromZero->setCheckable(true);
    connect(fromZero, &QAction::toggled, this, [this](bool on) {
        m_project.ContourLevelsFromZero = on;
        Form_Activate();
    });

    addArray(addMenu(bar, "mnuGradeElev", u"ป&รับระดับพื้นที่"), "GradeElevChoice",
             {{1, u"แบบพื้นที่เรียบเสมอกัน"}, {2, u"แบบพื้นที่เรียบเสมอกัน ผู้ใช้กำหนดค่าระดับ"}},
             &MainWindow::GradeElevChoice_Click);

    QMenu* print = addMenu(bar, "mnuPrint", u"&พิมพ์");
    auto addSubmenu = [print](int index, const char16_t* caption) {
        QMenu* sub = print->addMenu(QString::fromUtf16(caption));
        sub->setObjectName(arrayName("PrintChoice", index));
        sub->menuAction()->setObjectName(sub->objectName());
        return sub;
    };
    addArray(addSubmenu(1, u"ข้อมูลนำเข้า"), "DataPrint",
             {{1, u"ข้อมูลควบคุม"}, {2, u"พิกัดจุดต่อ และข้อมูลค่าระดับ"}, {3, u"-"}, {4, u"ทั้งหมด"}},
             &MainWindow::DataPrint_Click);
    addArray(addSubmenu(2, u"กราฟิก"), "GraphicPrint",
             {{1, u"กริด"}, {2, u"เส้นชั้นความสูง"}, {3, u"-"}, {4, u"ทั้งหมด"}},
             &MainWindow::GraphicPrint_Click);
    addArray(addSubmenu(3, u"ผลลัพธ์การปรับระดับพื้นที่"), "GradePrint",
             {{1, u"แบบพื้นที่เรียบเสมอกัน"},
              {2, u"แบบพื้นที่เรียบเสมอกัน ผู้ใช้กำหนดค่าระดับเอง"},
              {3, u"-"},
              {4, u"ทั้งหมด"}},
             &MainWindow::GradePrint_Click);

    QMenu* help = addMenu(bar, "mnuHelp", u"&ช่วยเหลือ");
    connect(addItem(help, "mnuHelpAbout", u"เ&กี่ยวกับ"), &QAction::triggered, this,
            &MainWindow::mnuHelpAbout_Click);
}

void MainWindow::buildToolbar()
{
    m_tbrmain = addToolBar(QStringLiteral("tbrmain"));
    m_tbrmain->setObjectName(QStringLiteral("tbrmain"));
    m_tbrmain->setMovable(false);
    m_tbrmain->setIconSize(QSize(24, 24));
    for (const ToolButton& button : ToolButtons) {
        if (!button.key) {
            m_tbrmain->addSeparator();
            continue;
        }
        const QString key = QLatin1String(button.key);
        QAction* action = m_tbrmain->addAction(toolbarIcon(key), QString::fromUtf16(button.tip));
        action->setObjectName(QStringLiteral("tbrmain_") + key);
        action->setData(key);
        action->setToolTip(QString::fromUtf16(button.tip));
        connect(action, &QAction::triggered, this, [this, key] { tbrmain_ButtonClick(key); });
    }
}

void MainWindow::buildCentralArea()
{
    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    m_plot = new PlotWidget(central);
    m_hsbMain = new QScrollBar(Qt::Horizontal, central);
    m_hsbMain->setObjectName(QStringLiteral("hsbMain"));
    m_vsbMain = new QScrollBar(Qt::Vertical, central);
    m_vsbMain->setObjectName(QStringLiteral("vsbMain"));
    // The vertical bar's values grow towards its top end, like world Y; Qt's grow downwards,
    // so the bar holds them negated.
    grid->addWidget(m_plot, 0, 0);
    grid->addWidget(m_vsbMain, 0, 1);
    grid->addWidget(m_hsbMain, 1, 0);
    setCentralWidget(central);

    m_stbMain = new QStatusBar(this);
    m_stbMain->setObjectName(QStringLiteral("stbMain"));
    m_readout = new QLabel(m_stbMain);
    m_readout->setObjectName(QStringLiteral("stbMainText"));
    m_stbMain->addWidget(m_readout, 1);
    setStatusBar(m_stbMain);
    m_picture = new PictureDrawing(m_project, m_plot, m_stbMain, this);
    m_printJobs = new PrintJobs(m_stbMain, this);
    connect(m_printJobs, &PrintJobs::finished, this,
            [this](const PageBackend& output, bool printed, bool cancelled) {
                if (cancelled)
                    m_stbMain->showMessage(QStringLiteral("ยกเลิกการพิมพ์แล้ว"), 20000);
                else if (printed)
                    m_stbMain->showMessage(PrinterChoice::printedMessage(output), 20000);
                else
                    m_prompts->notice(msg::CannotPrint);
            });

    connect(m_plot, &PlotWidget::mouseMovedTo, this, &MainWindow::Form_MouseMove);
    connect(m_plot, &PlotWidget::resized, this, &MainWindow::Form_Activate);
    connect(m_plot, &PlotWidget::wheelZoom, this,
            [this](int direction) { direction > 0 ? Zoom_In() : Zoom_Out(); });
    connect(m_hsbMain, &QScrollBar::valueChanged, this, &MainWindow::hsbMain_Change);
    connect(m_vsbMain, &QScrollBar::valueChanged, this, &MainWindow::vsbMain_Change);
}

void MainWindow::startup()
{
    m_project = startupProject();
    menuItem(QStringLiteral("mnuEdit"))->setEnabled(false);
    toolbarButton(ButtonControl)->setEnabled(false);
    for (int index : {6, 7, 10})
        setChecked(index, true);
    for (int index : {12, 13, 14})
        menuItem(arrayName("ViewChoice", index))->setEnabled(false);
    setWindowTitle(Caption + ModifiedMark);
    setWindowState(Qt::WindowMaximized);
    m_history->startOver();

    // The bars keep these ranges for good; each event pans by one step.
    const QSignalBlocker hBlock(m_hsbMain), vBlock(m_vsbMain);
    m_hsbMain->setRange(int(std::nearbyint(m_project.ViewXMin)),
                        int(std::nearbyint(m_project.ViewXMax)));
    m_hsbMain->setValue(0);
    m_vsbMain->setRange(-int(std::nearbyint(m_project.ViewYMax)),
                        -int(std::nearbyint(m_project.ViewYMin)));
    m_vsbMain->setValue(0);
    // A click in the trough pans one step too, as far as an arrow click would reach.
    for (QScrollBar* bar : {m_hsbMain, m_vsbMain})
        bar->setPageStep(bar->singleStep());
    m_project.HScrollPos = qint16(m_hsbMain->value());
    m_project.VScrollPos = qint16(-m_vsbMain->value());

    clearPicture();
    Form_Activate();
}

QAction* MainWindow::toolbarButton(int position) const
{
    const auto actions = m_tbrmain->actions();
    return position >= 1 && position <= actions.size() ? actions[position - 1] : nullptr;
}

NodeEntryDialog* MainWindow::nodeEntryDialog() const
{
    return m_nodeEntry;
}

QAction* MainWindow::menuItem(const QString& name) const
{
    return findChild<QAction*>(name);
}

bool MainWindow::checked(int viewChoice) const
{
    return menuItem(arrayName("ViewChoice", viewChoice))->isChecked();
}

void MainWindow::setChecked(int viewChoice, bool on)
{
    menuItem(arrayName("ViewChoice", viewChoice))->setChecked(on);
}

void MainWindow::setEditingEnabled(bool enabled)
{
    menuItem(QStringLiteral("mnuEdit"))->setEnabled(enabled);
    toolbarButton(ButtonControl)->setEnabled(enabled);
    m_history->setAvailable(enabled);
}

bool MainWindow::event(QEvent* event)
{
    const bool result = QMainWindow::event(event);
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return result;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The window's close button asks as Exit does.
    if (m_leaving || (settlePrinting() && m_unsaved->settle()))
        event->accept();
    else
        event->ignore();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    centreOnScreen(this);
}

void MainWindow::clearPicture()
{
    m_picture->clear();
}

void MainWindow::Form_Activate()
{
    Project& p = m_project;
    m_plot->setWorldWindow(p.ViewXMin, p.ViewYMax, p.ViewXMax, p.ViewYMin);
    const NodeLabels labels{checked(5), checked(6), checked(7)};
    m_picture->request(labels);

    // The colour command suits contours and the surface; rotation only the surface.
    const bool colour = p.DisplayMode == 2 || p.DisplayMode == 3;
    const bool rotation = p.DisplayMode == 3;
    toolbarButton(ButtonChangeColor)->setEnabled(colour);
    menuItem(arrayName("ViewChoice", 12))->setEnabled(colour);
    for (int position : {ButtonRotatPlus, ButtonRotatMinus})
        toolbarButton(position)->setEnabled(rotation);
    for (int index : {13, 14})
        menuItem(arrayName("ViewChoice", index))->setEnabled(rotation);
    emit redrawn();
}

void MainWindow::mnuFileNew_Click()
{
    emit commandStarted(QStringLiteral("mnuFileNew_Click"));
    if (!m_unsaved->settle())
        return;
    setEditingEnabled(true);
    resetForNew(m_project);
    m_history->startOver();
    // The save dialog starts in the last folder, never on the last project's name.
    if (!m_lastFileName.isEmpty())
        m_lastFileName = QFileInfo(m_lastFileName).absolutePath();
    m_guard->release();
    setWindowTitle(Caption + ModifiedMark);
    projectReplaced();
}

void MainWindow::projectFromSurvey()
{
    emit commandStarted(QStringLiteral("projectFromSurvey"));
    if (!m_unsaved->settle())
        return;
    SurveyDialog dialog(
        [this](const QString& filter) { return m_prompts->pickOpenName(filter, m_lastFileName); },
        this);
    if (m_prompts->runModal(dialog) != QDialog::Accepted)
        return;
    // Nodes, names and view settings all come new; the picture choice and colour stay.
    Project made = dialog.project();
    made.DisplayMode = m_project.DisplayMode != 0 ? m_project.DisplayMode : 2;
    made.UseChosenColor = m_project.UseChosenColor;
    made.ChosenColorIndex = m_project.ChosenColorIndex;
    made.RotationAngle = m_project.RotationAngle;
    made.BoldWholeContours = m_project.BoldWholeContours;
    made.ContourLabelsAlong = m_project.ContourLabelsAlong;
    made.ContourLevelsFromZero = m_project.ContourLevelsFromZero;
    m_project = std::move(made);
    m_guard->release();
    setEditingEnabled(true);
    setWindowTitle(Caption + ModifiedMark);
    m_history->commit(QStringLiteral("สร้างโครงการจากจุดสำรวจ"));
    projectReplaced();
    QStringList lines = qualityLines(dialog.quality(), dialog.frame(), dialog.reportHeading());
    // The ground every volume of the project will count: inside the outline, else the grid.
    const EarthworkGrid ground = earthworkGrid(m_project);
    lines << QStringLiteral("พื้นที่ที่คำนวณปริมาตร%1 %2 ตร.ม. (%3 ไร่-งาน-ตารางวา)")
                 .arg(ground.mask ? QStringLiteral("ในขอบเขต") : QStringLiteral("ทั้งกริด"),
                      formatPicture(ground.area(), 2), raiNganWa(ground.area()));
    SurveyReportDialog report(lines, this);
    connect(&report, &SurveyReportDialog::printRequested, this, [this, lines] {
        printReport([p = m_project, lines](PageSurface& page) {
            PrintLinesReport(page, p, SurveyReportDialog::Title, lines);
        });
    });
    m_prompts->runModal(report);
}

void MainWindow::editGeoreference()
{
    emit commandStarted(QStringLiteral("editGeoreference"));
    GeoreferenceDialog dialog(m_project.Georef, this);
    if (m_prompts->runModal(dialog) != QDialog::Accepted)
        return;
    if (const auto g = dialog.georeference(); g != m_project.Georef) {
        m_project.Georef = g;
        m_history->commit(QStringLiteral("แก้พิกัดอ้างอิง"));
    }
}

void MainWindow::mnuFileOpen_Click(const QString& fileName)
{
    emit commandStarted(QStringLiteral("mnuFileOpen_Click"));
    if (!m_unsaved->settle())
        return;
    const QString picked =
        fileName.isEmpty() ? m_prompts->pickOpenName(FileFilter, m_lastFileName) : fileName;
    if (picked.isEmpty())
        return;
    m_lastFileName = picked;
    const ProjectFileNames names = projectFileNames(picked);
    m_guard->opening(names);
    // Everything is read before anything changes, so a bad file leaves the project as it was.
    auto loaded = loadProjectFiles(names);
    if (const auto* error = std::get_if<FileError>(&loaded)) {
        const QString name =
            QDir::toNativeSeparators(error->file == ProjectFile::Gnd ? names.gnd : names.nod);
        m_prompts->notice(error->problem == FileProblem::CannotOpen ? msg::cannotOpenFile(name)
                                                                    : msg::fileMalformed(name));
        m_guard->refused();
        emit projectRefused(names.gnd);
        return;
    }
    auto& data = std::get<ProjectFileData>(loaded);
    if (data.MisplacedNode != 0)
        m_prompts->notice(misplacedNodeText(data, names));
    checkGeoreferenceSystem(data);
    if (!data.GeorefProblem.isEmpty())
        m_prompts->notice(msg::georeferenceDamaged(
            QDir::toNativeSeparators(georeferenceFileName(names.base)), data.GeorefProblem));
    applyOpenedProject(m_project, std::move(data), names);
    m_guard->settled(names);
    setEditingEnabled(true);
    setWindowTitle(captionFor(names));
    m_history->startOver();
    projectReplaced();
    emit projectFileUsed(names.gnd);
}

void MainWindow::mnuFileSave_Click()
{
    emit commandStarted(QStringLiteral("mnuFileSave_Click"));
    saveProject();
}

void MainWindow::mnuFileSaveAs_Click()
{
    emit commandStarted(QStringLiteral("mnuFileSaveAs_Click"));
    saveProject(true);
}

bool MainWindow::saveProject(bool askName)
{
    ProjectFileNames names{m_project.DataFileBase, m_project.GndFileName, m_project.NodFileName};
    if (askName || names.gnd.isEmpty()) {
        const QString picked = m_prompts->pickSaveName(FileFilter, m_lastFileName);
        if (picked.isEmpty())
            return false;
        m_lastFileName = picked;
        names = projectFileNames(picked);
        // The pair is replaced together: ask when either file is there, whichever name was
        // typed.
        for (const QString& file : {names.gnd, names.nod}) {
            if (QFileInfo::exists(file) || QFileInfo(file).isSymLink()) {
                if (!m_prompts->ask(msg::replaceFile(QDir::toNativeSeparators(file))))
                    return false;
                break;
            }
        }
    }
    const auto lockHeld = m_guard->beforeSave(names);
    if (!lockHeld)
        return false;
    if (const auto failed = saveProjectPair(m_project, names, *lockHeld)) {
        m_prompts->notice(saveFailureText(*failed, names));
        return false;
    }
    m_guard->settled(names);
    m_project.DataFileBase = names.base;
    m_project.GndFileName = names.gnd;
    m_project.NodFileName = names.nod;
    setWindowTitle(captionFor(names));
    m_history->setSaved();
    emit projectFileUsed(names.gnd);
    return true;
}

void MainWindow::mnuFileClose_Click()
{
    emit commandStarted(QStringLiteral("mnuFileClose_Click"));
    if (!m_unsaved->settle())
        return;
    // The data stay, unsaved changes included: the next redraw shows them again.
    setEditingEnabled(false);
    setWindowTitle(Caption + ModifiedMark);
    clearPicture();
}

void MainWindow::mnuFileExit_Click()
{
    emit commandStarted(QStringLiteral("mnuFileExit_Click"));
    if (!settlePrinting() || !m_unsaved->settle())
        return;
    m_leaving = true;
    QApplication::closeAllWindows();
    m_leaving = false;
}

void MainWindow::mnuEditChoice_Click(int index)
{
    emit commandStarted(QStringLiteral("mnuEditChoice_Click(%1)").arg(index));
    switch (index) {
    case 1: {
        HeadingDialog dialog(m_project, this);
        m_prompts->runModal(dialog);
        m_history->commit(QStringLiteral("แก้ส่วนหัว"));
        break;
    }
    case 2: {
        ControlDialog dialog(m_project, *m_prompts, this);
        if (m_prompts->runModal(dialog) == QDialog::Accepted) {
            m_history->commit(ControlStep);
            projectReplaced();
        }
        break;
    }
    case 4:
        if (!m_project.HasNodes())
            m_prompts->notice(msg::EnterRowsColsFirst);
        else
            showNodeEntry();
        break;
    default:
        break;
    }
}

void MainWindow::showControlModeless()
{
    emit commandStarted(QStringLiteral("frmControl.Show"));
    if (m_controlModeless) {
        m_controlModeless->raise();
        m_controlModeless->activateWindow();
        return;
    }
    m_controlModeless = new ControlDialog(m_project, *m_prompts, this);
    m_controlModeless->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_controlModeless, &QDialog::accepted, this, [this] {
        m_history->commit(ControlStep);
        projectReplaced();
    });
    m_controlModeless->show();
}

void MainWindow::showColourDialog()
{
    emit commandStarted(QStringLiteral("frmBasicColor.Show"));
    ColourDialog dialog(m_project, this);
    m_prompts->runModal(dialog);
}

void MainWindow::showNodeEntry()
{
    emit commandStarted(QStringLiteral("frmNodeCoordi.Show"));
    if (m_nodeEntry) {
        m_nodeEntry->raise();
        m_nodeEntry->activateWindow();
        return;
    }
    m_nodeEntry = new NodeEntryDialog(m_project, this);
    m_nodeEntry->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_nodeEntry, &NodeEntryDialog::typed, m_history, &ProjectHistory::commitTyped);
    connect(m_nodeEntry, &NodeEntryDialog::pasted, m_history,
            [this](int, int count) { m_history->commitPasted(count); });
    connect(m_nodeEntry->grid()->selectionModel(), &QItemSelectionModel::currentChanged, m_history,
            &ProjectHistory::endTyping);
    m_earthwork->watchNodeList(m_nodeEntry->model());
    m_nodeEntry->show();
}

void MainWindow::projectReplaced(bool sameNode)
{
    if (m_nodeEntry) {
        if (m_project.HasNodes() && sameNode)
            m_nodeEntry->refresh();
        else if (m_project.HasNodes())
            m_nodeEntry->reloadFromProject();
        else
            m_nodeEntry->close();
    }
    Form_Activate();
}

bool MainWindow::GraphicShow_Click(int index)
{
    emit commandStarted(QStringLiteral("GraphicShow_Click(%1)").arg(index));
    if (!m_project.HasData()) {
        m_prompts->notice(msg::EnterOrOpenFirst);
        return false;
    }
    if (index >= 1 && index <= 3)
        m_project.DisplayMode = qint16(index);
    Form_Activate();
    return true;
}

void MainWindow::ViewChoice_Click(int index)
{
    emit commandStarted(QStringLiteral("ViewChoice_Click(%1)").arg(index));
    switch (index) {
    case 0:
        Normal_View();
        return;
    case 1:
        Fit_Screen();
        return;
    case 2:
        Zoom_In();
        return;
    case 3:
        Zoom_Out();
        return;
    case 5:
        // Coordinates leave no room for numbers or elevations beside a node.
        setChecked(5, !checked(5));
        setChecked(6, false);
        setChecked(7, false);
        break;
    case 6:
    case 7:
        setChecked(index, !checked(index));
        setChecked(5, false);
        break;
    case 9:
        setChecked(9, true);
        setChecked(10, false);
        m_project.BoldWholeContours = 0;
        break;
    case 10:
        setChecked(9, false);
        setChecked(10, true);
        m_project.BoldWholeContours = -1;
        break;
    case 12:
        showColourDialog();
        break;
    case 13:
        Rotat_Plus();
        return;
    case 14:
        Rotat_Minus();
        return;
    default:
        return;
    }
    Form_Activate();
}

void MainWindow::addSurfaceScaleItems(QMenu* view)
{
    view->addSeparator();
    QAction* base = addItem(view, QStringLiteral("mnuViewBaseLowest"), u"ฐานที่ระดับต่ำสุด");
    base->setCheckable(true);
    connect(base, &QAction::toggled, this, [this](bool on) {
        m_project.SurfaceBaseLowest = on;
        Form_Activate();
    });
    QMenu* stretch = view->addMenu(QStringLiteral("ขยายทางดิ่ง"));
    stretch->setObjectName(QStringLiteral("mnuViewExaggeration"));
    auto* group = new QActionGroup(stretch);
    for (int times : SurfaceExaggerations) {
        QAction* item = stretch->addAction(QStringLiteral("%1 เท่า").arg(times));
        item->setObjectName(QStringLiteral("mnuViewExaggeration_%1").arg(times));
        item->setCheckable(true);
        item->setChecked(times == m_project.SurfaceExaggeration);
        group->addAction(item);
        connect(item, &QAction::toggled, this, [this, times](bool on) {
            if (!on)
                return;
            m_project.SurfaceExaggeration = qint16(times);
            Form_Activate();
        });
    }
}

void MainWindow::GradeElevChoice_Click(int index)
{
    emit commandStarted(QStringLiteral("GradeElevChoice_Click(%1)").arg(index));
    if (index != 1 && index != 2)
        return;
    // Cells without area, or elevations whose sums overflow, grade to no numbers.
    if (!m_project.HasNodes() || !ElevationsGradeable(m_project)) {
        m_prompts->notice(msg::DataIncomplete);
        return;
    }
    if (index == 1) {
        // A single row or column of nodes has no cells and so no balanced platform.
        if (!AutoGradeElev(m_project)) {
            m_prompts->notice(msg::DataIncomplete);
            return;
        }
        GradeResultDialog result(m_project, GradeResultDialog::Grade::Balanced, this);
        m_earthwork->warnOfSuspects(result);
        m_prompts->runModal(result);
        return;
    }
    {
        // Escape cancels: no computation at a platform nobody gave.
        InputGradeDialog input(m_project, *m_prompts, this);
        if (m_prompts->runModal(input) != QDialog::Accepted)
            return;
    }
    if (!FixGradeElev(m_project)) {
        m_prompts->notice(msg::DataIncomplete);
        return;
    }
    GradeResultDialog result(m_project, GradeResultDialog::Grade::Fixed, this);
    m_earthwork->warnOfSuspects(result);
    m_prompts->runModal(result);
}

namespace {

bool printsSomething(int index)
{
    return index == 1 || index == 2 || index == 4;
}

} // namespace

void MainWindow::DataPrint_Click(int index)
{
    emit commandStarted(QStringLiteral("DataPrint_Click(%1)").arg(index));
    if (!printsSomething(index))
        return;
    if (!m_project.HasNodes()) {
        m_prompts->notice(msg::DataIncomplete);
        return;
    }
    printReport([p = m_project, index](PageSurface& page) { DataPrint(page, p, index); });
}

void MainWindow::GraphicPrint_Click(int index)
{
    emit commandStarted(QStringLiteral("GraphicPrint_Click(%1)").arg(index));
    if (!printsSomething(index))
        return;
    if (!m_project.HasGrid()) {
        m_prompts->notice(msg::DataIncomplete);
        return;
    }
    const NodeLabels labels{checked(5), checked(6), checked(7)};
    printReport([p = m_project, index,
                 labels](PageSurface& page) mutable { GraphicPrint(page, p, index, labels); },
                index == 4 ? 2 : 1);
}

void MainWindow::GradePrint_Click(int index)
{
    emit commandStarted(QStringLiteral("GradePrint_Click(%1)").arg(index));
    if (!printsSomething(index))
        return;
    // Without cells the balanced platform is undefined: nothing to report for it, while the
    // fixed one still is, so "all" prints that one alone.
    const bool cells = m_project.GridRows >= 2 && m_project.GridCols >= 2;
    const bool fixed = index == 2 || index == 4;
    if (!m_project.HasNodes() || (index == 1 && !cells) || !ElevationsGradeable(m_project) ||
        (fixed && !PlatformGradeable(m_project, m_project.FixGradeElevation))) {
        m_prompts->notice(msg::DataIncomplete);
        return;
    }
    if (index == 4 && !cells) {
        m_prompts->notice(msg::DataIncomplete);
        index = 2;
    }
    // Once the output is open the project is graded, as the grading commands leave it; the
    // pages come from a copy graded the same way.
    printReport([p = m_project, index](PageSurface& page) mutable { GradePrint(page, p, index); },
                0,
                [this, index] {
                    if (index == 2 || AutoGradeElev(m_project)) {
                        if (index != 1)
                            FixGradeElev(m_project);
                    }
                });
}

void MainWindow::printReport(const std::function<void(PageSurface&)>& report, int pages,
                             const std::function<void()>& opened)
{
    std::unique_ptr<PageBackend> output = m_printOutput(*m_prompts);
    if (!output)
        return;
    if (opened)
        opened();
    m_printJobs->start(std::move(output), report, pages);
}

bool MainWindow::settlePrinting()
{
    if (!m_printJobs->busy())
        return true;
    if (!m_prompts->ask(QStringLiteral("ยังพิมพ์ไม่เสร็จ ต้องการยกเลิกการพิมพ์หรือไม่")))
        return false;
    m_printJobs->cancel();
    m_printJobs->wait();
    return true;
}

void MainWindow::waitForPrints()
{
    m_printJobs->wait();
}

void MainWindow::setPrintOutput(PrintOutput output)
{
    m_printOutput = std::move(output);
}

void MainWindow::mnuHelpAbout_Click()
{
    emit commandStarted(QStringLiteral("mnuHelpAbout_Click"));
    AboutDialog dialog(this);
    m_prompts->runModal(dialog);
}

void MainWindow::tbrmain_ButtonClick(const QString& key)
{
    emit commandStarted(QStringLiteral("tbrmain_ButtonClick"));
    if (key == QLatin1String("New")) {
        mnuFileNew_Click();
    } else if (key == QLatin1String("Open")) {
        mnuFileOpen_Click();
    } else if (key == QLatin1String("Save")) {
        mnuFileSave_Click();
    } else if (key == QLatin1String("Control")) {
        showControlModeless();
    } else if (key == QLatin1String("InputEle")) {
        mnuEditChoice_Click(4);
    } else if (key == QLatin1String("ViewGrid") || key == QLatin1String("ViewContour") ||
               key == QLatin1String("View3D")) {
        // A show command that succeeds has redrawn already; one that refuses leaves the
        // picture alone.
        GraphicShow_Click(key == QLatin1String("ViewGrid")      ? 1
                          : key == QLatin1String("ViewContour") ? 2
                                                                : 3);
        return;
    } else if (key == QLatin1String("NormalView")) {
        Normal_View();
    } else if (key == QLatin1String("FitScreen")) {
        Fit_Screen();
    } else if (key == QLatin1String("ZoomIn")) {
        Zoom_In();
    } else if (key == QLatin1String("ZoomOut")) {
        Zoom_Out();
    } else if (key == QLatin1String("ChangeColor")) {
        showColourDialog();
    } else if (key == QLatin1String("RotatPlus")) {
        Rotat_Plus();
    } else if (key == QLatin1String("RotatMinus")) {
        Rotat_Minus();
    } else if (key == QLatin1String("AutoGrade")) {
        GradeElevChoice_Click(1);
    } else if (key == QLatin1String("FixGrade")) {
        GradeElevChoice_Click(2);
    } else if (key == QLatin1String("PrintData")) {
        DataPrint_Click(4);
    } else if (key == QLatin1String("PrintGraphic")) {
        GraphicPrint_Click(4);
    } else if (key == QLatin1String("PrintGrade")) {
        GradePrint_Click(4);
    }
    Form_Activate();
}

void MainWindow::Normal_View()
{
    emit commandStarted(QStringLiteral("Normal_View"));
    applyNormalView(m_project);
    Form_Activate();
}

void MainWindow::Fit_Screen()
{
    emit commandStarted(QStringLiteral("Fit_Screen"));
    fitScreen(m_project);
    Form_Activate();
}

void MainWindow::Zoom_In()
{
    emit commandStarted(QStringLiteral("Zoom_In"));
    zoomIn(m_project);
    Form_Activate();
}

void MainWindow::Zoom_Out()
{
    emit commandStarted(QStringLiteral("Zoom_Out"));
    zoomOut(m_project);
    Form_Activate();
}

void MainWindow::Rotat_Plus()
{
    emit commandStarted(QStringLiteral("Rotat_Plus"));
    rotatePlus(m_project);
    Form_Activate();
}

void MainWindow::Rotat_Minus()
{
    emit commandStarted(QStringLiteral("Rotat_Minus"));
    rotateMinus(m_project);
    Form_Activate();
}

void MainWindow::hsbMain_Change(int value)
{
    panHorizontal(m_project, value);
    Form_Activate();
}

void MainWindow::vsbMain_Change(int value)
{
    panVertical(m_project, -value);
    Form_Activate();
}

void MainWindow::Form_MouseMove(float x, float y)
{
    m_readout->setText(coordinateReadout(worldX(m_project.Georef, x), worldY(m_project.Georef, y)));
}

} // namespace tervan
