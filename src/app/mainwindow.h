#pragma once

#include "graphics/gridplot.h"
#include "project/project.h"
#include "project/ui/prompts.h"

#include "printing/pagesurface.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QScrollBar;
class QStatusBar;
class QToolBar;

namespace tervan {

class ControlDialog;
class EarthworkLauncher;
class NodeEntryDialog;
class PictureDrawing;
class PlotWidget;
class PrinterChoice;
class PrintJobs;
class UnsavedChanges;
class HeightsCommands;
class ProjectHistory;
class ProjectGuard;

// frmMain: the program's one top-level window. It owns the project, builds the menu bar and the
// toolbar from their tables, dispatches every item to its command, and redraws the picture of
// the current display mode from the project whenever it is activated or a command changes
// what is shown. Commands test their preconditions first and report a failed test through the
// prompts, doing nothing else.
class MainWindow final : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(std::unique_ptr<Prompts> prompts = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    Project& project() { return m_project; }
    Prompts& prompts() { return *m_prompts; }
    // Every change to the project goes through here as one undoable step.
    ProjectHistory& history() { return *m_history; }
    // Toolbar positions count from 1, separators included.
    QAction* toolbarButton(int position) const;
    QAction* menuItem(const QString& name) const;
    NodeEntryDialog* nodeEntryDialog() const;

    // Redraw: world window, scroll bars, dot counts, then the picture of DisplayMode.
    void Form_Activate();

    // Where print commands send their pages; the printer chosen in the File menu (at first the
    // system default) unless replaced.
    using PrintOutput = std::function<std::unique_ptr<PageBackend>(Prompts&)>;
    void setPrintOutput(PrintOutput output);
    // Print commands run on a worker; this blocks until they have all finished.
    void waitForPrints();
    PrintJobs& printJobs() { return *m_printJobs; }
    // Where the file dialogs start.
    void setFileDialogStart(const QString& start) { m_lastFileName = start; }

    void mnuFileNew_Click();
    // A new unsaved project gridded from survey points, then the quality report.
    void projectFromSurvey();
    // Shows and edits the easting, northing and coordinate system of node 1.
    void editGeoreference();
    // Opens the named project, or asks for one when no name is given.
    void mnuFileOpen_Click(const QString& fileName = QString());
    // Writes a named project to its files; asks for a name first when it has none.
    void mnuFileSave_Click();
    void mnuFileSaveAs_Click();
    void mnuFileClose_Click();
    void mnuFileExit_Click();
    void mnuEditChoice_Click(int index);
    bool GraphicShow_Click(int index);
    void ViewChoice_Click(int index);
    void GradeElevChoice_Click(int index);
    void DataPrint_Click(int index);
    void GraphicPrint_Click(int index);
    void GradePrint_Click(int index);
    void mnuHelpAbout_Click();
    void tbrmain_ButtonClick(const QString& key);

    void Normal_View();
    void Fit_Screen();
    void Zoom_In();
    void Zoom_Out();
    void Rotat_Plus();
    void Rotat_Minus();

signals:
    // A command procedure started; names follow the menu and procedure names.
    void commandStarted(const QString& name);
    void redrawn();
    // A project's ".gnd" file was opened or saved.
    void projectFileUsed(const QString& gnd);
    // Open refused the project after saying why.
    void projectRefused(const QString& gnd);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Writes the pair under the project's name, or asks for one when it has none or when asked
    // to; false when cancelled or failed.
    bool saveProject(bool askName = false);
    void buildMenus();
    void buildToolbar();
    void buildCentralArea();
    void startup();
    void showControlModeless();
    void showNodeEntry();
    void showColourDialog();
    // The surface picture's base and vertical scale, after the View menu's own items.
    void addSurfaceScaleItems(QMenu* view);
    // The grid or the whole project changed under the modeless dialogs; the node list stays on
    // its node when asked to.
    void projectReplaced(bool sameNode = false);
    void setEditingEnabled(bool enabled);
    void clearPicture();
    // Queues a report, working on its own copies, for one print output; the status bar says
    // where it went, or a notice that it failed. `pages` as PrintJobs::start takes it; `opened`
    // runs once the output is open.
    void printReport(const std::function<void(PageSurface&)>& report, int pages = 0,
                     const std::function<void()>& opened = {});
    // Nothing printing, or the user agreed to cancel it; false leaves the window open.
    bool settlePrinting();
    bool checked(int viewChoice) const;
    void setChecked(int viewChoice, bool on);
    void hsbMain_Change(int value);
    void vsbMain_Change(int value);
    void Form_MouseMove(float x, float y);

    Project m_project;
    std::unique_ptr<Prompts> m_prompts;
    PlotWidget* m_plot = nullptr;
    QScrollBar* m_hsbMain = nullptr;
    QScrollBar* m_vsbMain = nullptr;
    QToolBar* m_tbrmain = nullptr;
    QStatusBar* m_stbMain = nullptr;
    QLabel* m_readout = nullptr;
    QPointer<ControlDialog> m_controlModeless;
    QPointer<NodeEntryDialog> m_nodeEntry;
    EarthworkLauncher* m_earthwork = nullptr;
    // A redraw from the state shown, as on every window activation, keeps the picture.
    PictureDrawing* m_picture = nullptr;
    PrintOutput m_printOutput;
    PrinterChoice* m_printerChoice = nullptr;
    PrintJobs* m_printJobs = nullptr;
    ProjectHistory* m_history = nullptr;
    UnsavedChanges* m_unsaved = nullptr;
    // Exit has asked already; closing the window must not ask again.
    bool m_leaving = false;
    HeightsCommands* m_heights = nullptr;
    std::unique_ptr<ProjectGuard> m_guard;
    // The file dialogs start from the name picked last.
    QString m_lastFileName;
};

} // namespace tervan
