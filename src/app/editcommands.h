#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace tervan {

struct Project;
class ControlDialog;
class EarthworkLauncher;
class NodeEntryDialog;
class ProjectHistory;
class Prompts;

// The Edit menu's commands: the heading and the control data in modal dialogs, the control
// data also in a modeless window of the toolbar's, the node list (one window, kept open beside
// the picture while the user types) and the georeference. Every change becomes one step of the
// history; the node list follows the project whenever it changes under it.
class EditCommands final : public QObject
{
    Q_OBJECT
public:
    EditCommands(Project& project, Prompts& prompts, ProjectHistory& history,
                 EarthworkLauncher& earthwork, QWidget* window);

    void editHeading();
    void editControl();
    void showControlModeless();
    // The node list, or the message that there is no grid to list yet.
    void editHeights();
    void editGeoreference();

    // The project changed under the node list: it shows the new grid, stays on its node when
    // asked to, or closes when there are no nodes.
    void followProject(bool sameNode);
    NodeEntryDialog* nodeList() const;

signals:
    // The control data gave the project another grid.
    void gridChanged();

private:
    void controlAccepted();

    Project& m_project;
    Prompts& m_prompts;
    ProjectHistory& m_history;
    EarthworkLauncher& m_earthwork;
    QWidget* m_window;
    QPointer<ControlDialog> m_controlModeless;
    QPointer<NodeEntryDialog> m_nodeList;
};

} // namespace tervan
