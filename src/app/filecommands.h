#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace tervan {

struct Project;
class PageSurface;
class Prompts;
class ProjectGuard;
class ProjectHistory;
class UnsavedChanges;

// Carries the picture choices of the project shown (display mode, colour, angle, contour
// labels and levels) over to a project made elsewhere, whose nodes, names and view window are
// its own. A mode of 0 (nothing shown yet) becomes the contours.
void carryPictureChoices(const Project& shown, Project& made);

// The File menu's project commands: New, Open, Save, Save As, Close and a project made from
// survey points. Each asks first about changes not yet saved; Open reads everything before it
// changes anything and names the file it refuses; a save asks before it replaces either file of
// the pair, holds the pair's lock and reports a failed write without taking the project as
// saved. The window's caption names the pair open, from the start. The file dialogs start where
// the last one picked.
class FileCommands final : public QObject
{
    Q_OBJECT
public:
    // Queues a report for the print output the other reports use.
    using PrintReport = std::function<void(const std::function<void(PageSurface&)>&)>;

    FileCommands(Project& project, Prompts& prompts, ProjectHistory& history, PrintReport print,
                 QWidget* window);
    ~FileCommands() override;

    void newProject();
    // Opens the named project, or asks for one when no name is given.
    void open(const QString& fileName = QString());
    // Writes the pair under the project's name, or asks for one when it has none or when asked
    // to; false when cancelled or failed.
    bool save(bool askName = false);
    void close();
    // A new unsaved project gridded from survey points, then the quality report, which may be
    // printed.
    void projectFromSurvey();

    // True when the project may be replaced or the program left (see UnsavedChanges).
    bool settle();
    void setDialogStart(const QString& start) { m_lastFileName = start; }
    // The engineer a project made from points is offered.
    void setEngineer(const QString& name) { m_engineer = name; }
    // Opened while another window or program held it: Save asks for another name.
    bool readOnly() const { return m_readOnly; }
    const QString& dialogStart() const { return m_lastFileName; }

signals:
    // The project is another one (New, Open, from survey): editing opens and everything shown
    // follows it.
    void replaced();
    // Close: editing stops, the picture goes; the data stay.
    void closed();
    // A project's ".gnd" file was opened or saved.
    void fileUsed(const QString& gnd);
    // The project was saved as `gnd`: what is kept beside it follows.
    void saved(const QString& gnd);
    // Open refused the project after saying why.
    void refused(const QString& gnd);
    // The engineer named for a project made from points, to offer next time.
    void engineerNamed(const QString& name);

private:
    void setCaption(const QString& gnd = QString());

    Project& m_project;
    Prompts& m_prompts;
    ProjectHistory& m_history;
    PrintReport m_print;
    QWidget* m_window;
    UnsavedChanges* m_unsaved;
    std::unique_ptr<ProjectGuard> m_guard;
    QString m_lastFileName;
    QString m_engineer;
    bool m_readOnly = false;
};

} // namespace tervan
