#pragma once

#include "app/appsettings.h"
#include "app/gradecommands.h"
#include "graphics/gridplot.h"
#include "project/project.h"
#include "project/ui/prompts.h"

#include <QMainWindow>
#include <memory>

class QAction;
class QLabel;
class QScrollBar;
class QSettings;
class QStatusBar;

namespace tervan {

class EditCommands;
class FileCommands;
class HeightsCommands;
class NodeEntryDialog;
class PadsCommands;
class PictureDrawing;
class PlotWidget;
class PrintJobs;
class ProjectHistory;
class RecentProjects;
class ViewOptions;

// frmMain: the program's one top-level window and the place where its parts meet. It owns the
// project and its history, builds the menu bar and toolbar (one action per command), hands
// each action to the command object that runs it (files, editing, grading and reports, heights,
// export, earthwork, design) and redraws the picture of the current display mode whenever it is
// activated or a command changes what is shown. Commands test their preconditions first and
// report a failed test through the prompts, doing nothing else.
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
    // A command's action, a menu's title action, by object name (see cmd::).
    QAction* menuItem(const QString& name) const;
    NodeEntryDialog* nodeEntryDialog() const;
    PadsCommands& pads() { return *m_pads; }

    // Redraw: world window, scroll bars, then the picture of DisplayMode.
    void Form_Activate();

    // Where print commands send their pages; the printer chosen in the File menu (at first the
    // system default) unless replaced.
    void setPrintOutput(GradeCommands::PrintOutput output);
    // Print commands run on a worker; this blocks until they have all finished.
    void waitForPrints();
    PrintJobs& printJobs() { return m_grades->printJobs(); }
    // Where the file dialogs start.
    void setFileDialogStart(const QString& start);

    // Takes the remembered folder, recent projects and view choices from the settings and
    // keeps them up to date there; the window's shape is written as it closes.
    void rememberIn(QSettings& settings);
    // Gives the window its remembered shape; false when there is none to give.
    bool restoreShape();
    RecentProjects* recentProjects() const { return m_recent; }

    void mnuFileNew_Click();
    // Opens the named project, or asks for one when no name is given.
    void mnuFileOpen_Click(const QString& fileName = QString());
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

signals:
    void redrawn();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void connectCommands();
    void buildCentralArea();
    void startup();
    void showColourDialog();
    // The grid or the whole project changed under the modeless dialogs; the node list stays on
    // its node when asked to.
    void projectReplaced(bool sameNode = false);
    void setEditingEnabled(bool enabled);
    // Changes the view window by one of the view rules, then redraws.
    void changeView(void (*rule)(Project&));
    void hsbMain_Change(int value);
    void vsbMain_Change(int value);
    void Form_MouseMove(float x, float y);

    Project m_project;
    std::unique_ptr<Prompts> m_prompts;
    PlotWidget* m_plot = nullptr;
    QScrollBar* m_hsbMain = nullptr;
    QScrollBar* m_vsbMain = nullptr;
    QStatusBar* m_stbMain = nullptr;
    QLabel* m_readout = nullptr;
    // A redraw from the state shown, as on every window activation, keeps the picture.
    PictureDrawing* m_picture = nullptr;
    ProjectHistory* m_history = nullptr;
    FileCommands* m_files = nullptr;
    GradeCommands* m_grades = nullptr;
    HeightsCommands* m_heights = nullptr;
    PadsCommands* m_pads = nullptr;
    EditCommands* m_edit = nullptr;
    ViewOptions* m_view = nullptr;
    std::unique_ptr<AppSettings> m_settings;
    RecentProjects* m_recent = nullptr;
    // Exit has asked already; closing the window must not ask again.
    bool m_leaving = false;
};

} // namespace tervan
