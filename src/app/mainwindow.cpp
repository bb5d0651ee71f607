#include "app/mainwindow.h"

#include "app/aboutdialog.h"
#include "app/designlauncher.h"
#include "app/earthworklauncher.h"
#include "app/editcommands.h"
#include "app/exportcommands.h"
#include "app/filecommands.h"
#include "app/heightscommands.h"
#include "app/menukeys.h"
#include "app/padscommands.h"
#include "app/picturedrawing.h"
#include "app/printerchoice.h"
#include "app/recentprojects.h"
#include "app/undocommands.h"
#include "app/viewoptions.h"
#include "app/windowmenus.h"
#include "common/messages.h"
#include "graphics/surfacemesh.h"
#include "graphics/ui/colourdialog.h"
#include "graphics/ui/plotwidget.h"
#include "graphics/viewwindow.h"
#include "printing/ui/printjobs.h"
#include "project/ui/centreddialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <cmath>

namespace tervan {

MainWindow::MainWindow(std::unique_ptr<Prompts> prompts, QWidget* parent)
    : QMainWindow(parent), m_prompts(std::move(prompts))
{
    setObjectName(QStringLiteral("frmMain"));
    if (!m_prompts)
        m_prompts = std::make_unique<WidgetPrompts>(this);
    m_history = new ProjectHistory(m_project, this);
    // Undo and redo leave the node list on its node.
    connect(m_history, &ProjectHistory::projectChanged, this, [this] { projectReplaced(true); });
    buildCentralArea();
    m_grades = new GradeCommands(m_project, *m_prompts, m_stbMain, this);
    m_files = new FileCommands(
        m_project, *m_prompts, *m_history,
        [this](const GradeCommands::Report& report) { m_grades->printReport(report); }, this);
    m_heights = new HeightsCommands(m_project, *m_prompts, m_stbMain, this);
    m_edit = new EditCommands(m_project, *m_prompts, *m_history, m_grades->earthwork(), this);

    buildMenuBar(menuBar());
    addMenuKeys(*this);
    m_view = new ViewOptions(this, m_project);
    connect(m_view, &ViewOptions::changed, this, &MainWindow::Form_Activate);
    QMenu* file = findChild<QMenu*>(QStringLiteral("mnuFile"));
    QMenu* edit = findChild<QMenu*>(QStringLiteral("mnuEdit"));
    QMenu* grading = findChild<QMenu*>(QStringLiteral("mnuGradeElev"));
    auto* printer = new PrinterChoice(file, *m_prompts, this);
    m_grades->setPrintOutput([printer](Prompts& prompts) { return printer->open(prompts); });
    new ExportCommands(file, m_project, *m_prompts, m_stbMain, this);
    m_grades->earthwork().addMenuItems(grading, edit);
    (new DesignLauncher(
         m_project, *m_prompts,
         [this](const GradeCommands::Report& report) { m_grades->printReport(report); }, this))
        ->addMenuItems(grading);
    m_pads = new PadsCommands(
        m_project, *m_prompts, *m_history, m_plot,
        [this](const GradeCommands::Report& report) { m_grades->printReport(report); }, this);
    m_pads->addMenuItems(grading);
    connect(m_pads, &PadsCommands::redrawNeeded, this, &MainWindow::Form_Activate);
    // Where the grid lies on the ground, after the Edit menu's other items.
    addMenuItem(edit, QLatin1String(cmd::EditGeoreference), QStringLiteral("พิกัดอ้างอิง…"));
    m_history->addMenuItems(edit);
    buildToolBar(this);
    connectCommands();
    startup();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectCommands()
{
    const auto on = [this](const QString& name, auto&& run) {
        connect(menuItem(name), &QAction::triggered, this, std::forward<decltype(run)>(run));
    };
    FileCommands* files = m_files;
    on(cmd::FileNew, [files] { files->newProject(); });
    on(cmd::FileOpen, [files] { files->open(); });
    on(cmd::FileSave, [files] { files->save(); });
    on(cmd::FileSaveAs, [files] { files->save(true); });
    on(cmd::FileClose, [files] { files->close(); });
    on(cmd::FileFromSurvey, [files] { files->projectFromSurvey(); });
    on(cmd::FileImportHeights, [this] { m_heights->importHeights(); });
    on(cmd::FileExportHeights, [this] { m_heights->exportHeights(); });
    on(cmd::FileExit, [this] { mnuFileExit_Click(); });
    connect(m_files, &FileCommands::replaced, this, [this] {
        m_pads->projectOpened(m_project.GndFileName);
        setEditingEnabled(true);
        projectReplaced();
    });
    connect(m_files, &FileCommands::saved, this,
            [this](const QString& gnd) { m_pads->projectSaved(gnd); });
    connect(m_files, &FileCommands::closed, this, [this] {
        setEditingEnabled(false);
        m_picture->clear();
    });
    connect(m_heights, &HeightsCommands::imported, this, [this] {
        m_history->commitImported();
        projectReplaced();
    });

    EditCommands* edit = m_edit;
    on(cmd::EditHeading, [edit] { edit->editHeading(); });
    on(cmd::EditControl, [edit] { edit->editControl(); });
    on(cmd::ControlModeless, [edit] { edit->showControlModeless(); });
    on(cmd::EditHeights, [edit] { edit->editHeights(); });
    on(cmd::EditGeoreference, [edit] { edit->editGeoreference(); });
    connect(m_edit, &EditCommands::gridChanged, this, [this] { projectReplaced(); });

    on(cmd::ShowGrid, [this] { GraphicShow_Click(1); });
    on(cmd::ShowContours, [this] { GraphicShow_Click(2); });
    on(cmd::ShowSurface, [this] { GraphicShow_Click(3); });
    on(cmd::NormalView, [this] { changeView(&applyNormalView); });
    on(cmd::FitScreen, [this] {
        m_picture->fitView();
        Form_Activate();
    });
    on(cmd::ZoomIn, [this] { changeView(&zoomIn); });
    on(cmd::ZoomOut, [this] { changeView(&zoomOut); });
    on(cmd::RotatePlus, [this] { changeView(&rotatePlus); });
    on(cmd::RotateMinus, [this] { changeView(&rotateMinus); });
    on(cmd::LineColour, [this] { showColourDialog(); });

    on(cmd::GradeBalanced, [this] { m_grades->gradeBalanced(); });
    on(cmd::GradeFixed, [this] { m_grades->gradeFixed(); });
    for (int index : {1, 2, 4}) {
        on(cmd::print("DataPrint", index), [this, index] { m_grades->printData(index); });
        on(cmd::print("GraphicPrint", index),
           [this, index] { m_grades->printGraphics(index, m_view->nodeLabels()); });
        on(cmd::print("GradePrint", index), [this, index] { m_grades->printGrades(index); });
    }
    on(cmd::HelpAbout, [this] {
        AboutDialog dialog(this);
        m_prompts->runModal(dialog);
    });
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

    connect(m_plot, &PlotWidget::mouseMovedTo, this, &MainWindow::Form_MouseMove);
    connect(m_plot, &PlotWidget::resized, this, &MainWindow::Form_Activate);
    connect(m_plot, &PlotWidget::wheelZoom, this,
            [this](int direction) { changeView(direction > 0 ? &zoomIn : &zoomOut); });
    connect(m_hsbMain, &QScrollBar::valueChanged, this, &MainWindow::hsbMain_Change);
    connect(m_vsbMain, &QScrollBar::valueChanged, this, &MainWindow::vsbMain_Change);
}

void MainWindow::startup()
{
    m_project = startupProject();
    setEditingEnabled(false);
    m_view->setChoices(ViewChoices{});
    for (const char* name : {cmd::LineColour, cmd::RotatePlus, cmd::RotateMinus})
        menuItem(name)->setEnabled(false);
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

    m_picture->clear();
    Form_Activate();
}

QAction* MainWindow::menuItem(const QString& name) const
{
    return findChild<QAction*>(name);
}

NodeEntryDialog* MainWindow::nodeEntryDialog() const
{
    return m_edit->nodeList();
}

void MainWindow::rememberIn(QSettings& settings)
{
    m_settings = std::make_unique<AppSettings>(settings);
    const RememberedValues v = m_settings->read();
    m_recent = new RecentProjects(
        findChild<QMenu*>(QStringLiteral("mnuFile")), menuItem(cmd::FileExit),
        [this](const QString& gnd) { m_files->open(gnd); }, this);
    m_recent->setFiles(v.recent);
    connect(m_recent, &RecentProjects::changed, this,
            [this](const QStringList& files) { m_settings->writeRecent(files); });
    if (!v.lastFolder.isEmpty())
        m_files->setDialogStart(v.lastFolder);
    m_files->setEngineer(v.engineer);
    connect(m_files, &FileCommands::engineerNamed, this,
            [this](const QString& name) { m_settings->writeEngineer(name); });
    connect(m_files, &FileCommands::fileUsed, this, [this](const QString& gnd) {
        m_settings->writeLastFolder(QFileInfo(gnd).absolutePath());
        m_recent->add(gnd);
    });
    connect(m_files, &FileCommands::refused, m_recent, &RecentProjects::refused);

    m_view->setChoices(v.viewOver(m_view->choices()));
    Form_Activate();
    connect(m_view, &ViewOptions::changed, this,
            [this] { m_settings->writeView(m_view->choices()); });
}

bool MainWindow::restoreShape()
{
    if (!m_settings)
        return false;
    const RememberedValues v = m_settings->read();
    if (v.geometry.isEmpty() || !restoreGeometry(v.geometry))
        return false;
    if (!v.state.isEmpty())
        restoreState(v.state);
    return true;
}

void MainWindow::setEditingEnabled(bool enabled)
{
    menuItem(cmd::EditMenu)->setEnabled(enabled);
    menuItem(cmd::ControlModeless)->setEnabled(enabled);
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
    if (m_settings)
        m_settings->writeWindow(saveGeometry(), saveState());
    // The window's close button asks as Exit does.
    if (m_leaving || (m_grades->settlePrinting() && m_files->settle()))
        event->accept();
    else
        event->ignore();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    centreOnScreen(this);
}

void MainWindow::Form_Activate()
{
    Project& p = m_project;
    m_plot->setWorldWindow(p.ViewXMin, p.ViewYMax, p.ViewXMax, p.ViewYMin);
    m_picture->request(m_view->nodeLabels());

    // The colour command suits contours and the surface; rotation only the surface.
    menuItem(cmd::LineColour)
        ->setEnabled(p.DisplayMode == PictureKind::GridWithContours ||
                     p.DisplayMode == PictureKind::Surface);
    for (const char* name : {cmd::RotatePlus, cmd::RotateMinus})
        menuItem(name)->setEnabled(p.DisplayMode == PictureKind::Surface);
    emit redrawn();
}

void MainWindow::showColourDialog()
{
    ColourDialog dialog(m_project, this);
    m_prompts->runModal(dialog);
    Form_Activate();
}

void MainWindow::projectReplaced(bool sameNode)
{
    m_edit->followProject(sameNode);
    Form_Activate();
}

void MainWindow::changeView(void (*rule)(Project&))
{
    rule(m_project);
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
    // The plan views' own coordinates; the surface view's are no place on the ground.
    const bool plan = m_project.DisplayMode != PictureKind::Surface;
    const double e = worldX(m_project.Georef, x), n = worldY(m_project.Georef, y);
    m_readout->setText(
        withHeight(m_project.Georef && plan ? worldReadout(e, n) : coordinateReadout(e, n),
                   plan ? heightUnder(m_project, x, y) : std::nullopt));
}

// The design's procedure names, for the callers that run a command by them.

void MainWindow::mnuFileNew_Click()
{
    m_files->newProject();
}

void MainWindow::mnuFileOpen_Click(const QString& fileName)
{
    m_files->open(fileName);
}

void MainWindow::mnuFileSave_Click()
{
    m_files->save();
}

void MainWindow::mnuFileSaveAs_Click()
{
    m_files->save(true);
}

void MainWindow::mnuFileClose_Click()
{
    m_files->close();
}

void MainWindow::mnuFileExit_Click()
{
    if (!m_grades->settlePrinting() || !m_files->settle())
        return;
    m_leaving = true;
    QApplication::closeAllWindows();
    m_leaving = false;
}

void MainWindow::mnuEditChoice_Click(int index)
{
    if (index == 1)
        m_edit->editHeading();
    else if (index == 2)
        m_edit->editControl();
    else if (index == 4)
        m_edit->editHeights();
}

bool MainWindow::GraphicShow_Click(int index)
{
    if (!m_project.HasData()) {
        m_prompts->notice(msg::EnterOrOpenFirst);
        return false;
    }
    if (index >= 1 && index <= 3)
        m_project.DisplayMode = PictureKind(index);
    Form_Activate();
    return true;
}

void MainWindow::ViewChoice_Click(int index)
{
    if (QAction* item = menuItem(QStringLiteral("ViewChoice_%1").arg(index)))
        item->trigger();
}

void MainWindow::GradeElevChoice_Click(int index)
{
    if (index == 1)
        m_grades->gradeBalanced();
    else if (index == 2)
        m_grades->gradeFixed();
}

void MainWindow::DataPrint_Click(int index)
{
    m_grades->printData(index);
}

void MainWindow::GraphicPrint_Click(int index)
{
    m_grades->printGraphics(index, m_view->nodeLabels());
}

void MainWindow::GradePrint_Click(int index)
{
    m_grades->printGrades(index);
}

void MainWindow::setPrintOutput(GradeCommands::PrintOutput output)
{
    m_grades->setPrintOutput(std::move(output));
}

void MainWindow::waitForPrints()
{
    m_grades->printJobs().wait();
}

void MainWindow::setFileDialogStart(const QString& start)
{
    m_files->setDialogStart(start);
}

} // namespace tervan
