#pragma once

#include "project/projectedit.h"

#include <QObject>
#include <QPointer>
#include <QUndoCommand>
#include <QUndoStack>

class QAction;
class QMenu;

namespace tervan {

// A step that changed some nodes' heights: typed, pasted or imported. Typed changes of one
// node in a row join into one step until ProjectHistory says the typing moved on.
class HeightsCommand final : public QUndoCommand
{
public:
    HeightsCommand(Project& project, const QString& text, std::vector<HeightChange> changes,
                   int typingRun = 0);
    void undo() override;
    void redo() override;
    int id() const override { return m_typingRun > 0 ? 1 : -1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    Project& m_project;
    std::vector<HeightChange> m_changes;
    // Non-zero for a typed change of a single node: the run of keystrokes it belongs to.
    int m_typingRun;
    bool m_applied = true;
};

// A step that replaced the heading, the grid or the whole content of the project (control
// data, heading, a grid made elsewhere): holds the content before and after.
class ReplaceProjectCommand final : public QUndoCommand
{
public:
    ReplaceProjectCommand(Project& project, const QString& text, ProjectContent before,
                          ProjectContent after);
    void undo() override;
    void redo() override;

private:
    Project& m_project;
    ProjectContent m_before;
    ProjectContent m_after;
    bool m_applied = true;
};

// The project's one history of changes. Changes happen first (dialogs and the node list write
// the project as they always did); commit then records what differs from the content after
// the last step as one step. Undoing back to the last save leaves the project unmodified.
class ProjectHistory final : public QObject
{
    Q_OBJECT
public:
    explicit ProjectHistory(Project& project, QObject* parent = nullptr);
    ~ProjectHistory() override;

    // Undo (Ctrl+Z) and redo (Ctrl+Y) at the end of the menu, behind a separator; their keys
    // work from every window of the program while the project is open for editing.
    void addMenuItems(QMenu* edit);
    void setAvailable(bool available);

    QUndoStack& stack() { return m_stack; }
    bool isModified() const { return !m_stack.isClean(); }

    // Records the change since the last step, named text ("แก้ส่วนหัว"); nothing when the
    // content is as it was. Heights alone become a heights step, anything else a whole-content
    // step.
    void commit(const QString& text);
    // The input box changed node n: joins the step of the keys typed into it since the last
    // move.
    void commitTyped(int node);
    void commitPasted(int count);
    void commitImported();
    // The next typed key starts a step of its own.
    void endTyping() { ++m_typingRun; }
    // After a save: this is the state the files hold.
    void setSaved();
    // After New or Open: another project, nothing to undo, nothing unsaved.
    void startOver();

    void undo();
    void redo();

signals:
    // Undo or redo changed the project.
    void projectChanged();
    void modifiedChanged(bool modified);

private:
    void push(QUndoCommand* command);
    void updateMenuItems();

    Project& m_project;
    QUndoStack m_stack;
    // The content as of the last step, the "before" of the next one.
    ProjectContent m_settled;
    int m_typingRun = 1;
    bool m_available = false;
    bool m_recording = false; // a step being recorded, not undone or redone
    QPointer<QAction> m_undo;
    QPointer<QAction> m_redo;
};

} // namespace tervan
