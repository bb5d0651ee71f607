#include "app/undocommands.h"

#include <QAction>
#include <QMenu>
#include <QScopedValueRollback>

namespace tervan {

HeightsCommand::HeightsCommand(Project& project, const QString& text,
                               std::vector<HeightChange> changes, int typingRun)
    : QUndoCommand(text), m_project(project), m_changes(std::move(changes)),
      m_typingRun(m_changes.size() == 1 ? typingRun : 0)
{
}

void HeightsCommand::undo()
{
    applyHeightChanges(m_project, m_changes, false);
    m_applied = false;
}

void HeightsCommand::redo()
{
    // Pushed after the change was made: the first redo has nothing to do.
    if (!m_applied)
        applyHeightChanges(m_project, m_changes, true);
    m_applied = true;
}

bool HeightsCommand::mergeWith(const QUndoCommand* other)
{
    const auto* typed = static_cast<const HeightsCommand*>(other);
    if (typed->m_typingRun != m_typingRun || typed->m_changes.size() != 1 ||
        typed->m_changes.front().node != m_changes.front().node)
        return false;
    m_changes.front().after = typed->m_changes.front().after;
    // Typed back to where it was: no step at all.
    if (m_changes.front().after == m_changes.front().before)
        setObsolete(true);
    return true;
}

ReplaceProjectCommand::ReplaceProjectCommand(Project& project, const QString& text,
                                             ProjectContent before, ProjectContent after)
    : QUndoCommand(text), m_project(project), m_before(std::move(before)), m_after(std::move(after))
{
}

void ReplaceProjectCommand::undo()
{
    restoreContent(m_project, m_before);
    m_applied = false;
}

void ReplaceProjectCommand::redo()
{
    if (!m_applied)
        restoreContent(m_project, m_after);
    m_applied = true;
}

ProjectHistory::ProjectHistory(Project& project, QObject* parent)
    : QObject(parent), m_project(project), m_settled(contentOf(project))
{
    connect(&m_stack, &QUndoStack::cleanChanged, this,
            [this](bool clean) { emit modifiedChanged(!clean); });
    // Commands pushed by others move the "before" of the next step too.
    connect(&m_stack, &QUndoStack::indexChanged, this, [this] {
        m_settled = contentOf(m_project);
        // A step undone or redone changed the project; one just recorded or cleared did not.
        if (!m_recording) {
            endTyping();
            emit projectChanged();
        }
    });
    for (auto changed : {&QUndoStack::canUndoChanged, &QUndoStack::canRedoChanged})
        connect(&m_stack, changed, this, &ProjectHistory::updateMenuItems);
    for (auto changed : {&QUndoStack::undoTextChanged, &QUndoStack::redoTextChanged})
        connect(&m_stack, changed, this, &ProjectHistory::updateMenuItems);
}

ProjectHistory::~ProjectHistory()
{
    // The project may be gone already; the stack's last signals must not look at it.
    m_stack.disconnect(this);
}

void ProjectHistory::addMenuItems(QMenu* edit)
{
    edit->addSeparator()->setObjectName(QStringLiteral("mnuEditFreeUndo"));
    // The stack's own actions; their texts and enabled state are settled in updateMenuItems.
    m_undo = m_stack.createUndoAction(edit, QStringLiteral("เลิกทำ:"));
    m_undo->setObjectName(QStringLiteral("mnuEditUndo"));
    m_redo = m_stack.createRedoAction(edit, QStringLiteral("ทำซ้ำ:"));
    m_redo->setObjectName(QStringLiteral("mnuEditRedo"));
    const auto keys = [](QList<QKeySequence> own, QKeySequence::StandardKey standard) {
        for (const QKeySequence& key : QKeySequence::keyBindings(standard))
            if (!own.contains(key))
                own << key;
        return own;
    };
    m_undo->setShortcuts(keys({QKeySequence(Qt::CTRL | Qt::Key_Z)}, QKeySequence::Undo));
    m_redo->setShortcuts(
        keys({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
             QKeySequence::Redo));
    for (QAction* action : {m_undo.data(), m_redo.data()}) {
        action->setShortcutContext(Qt::ApplicationShortcut);
        edit->addAction(action);
    }
    updateMenuItems();
}

void ProjectHistory::setAvailable(bool available)
{
    m_available = available;
    updateMenuItems();
}

void ProjectHistory::updateMenuItems()
{
    // With no step to name, the verb alone; only while the project is open for editing.
    if (m_undo) {
        if (m_stack.undoText().isEmpty())
            m_undo->setText(QStringLiteral("เลิกทำ"));
        m_undo->setEnabled(m_available && m_stack.canUndo());
    }
    if (m_redo) {
        if (m_stack.redoText().isEmpty())
            m_redo->setText(QStringLiteral("ทำซ้ำ"));
        m_redo->setEnabled(m_available && m_stack.canRedo());
    }
}

void ProjectHistory::push(QUndoCommand* command)
{
    const QScopedValueRollback recording(m_recording, true);
    m_stack.push(command);
    m_settled = contentOf(m_project);
}

void ProjectHistory::commit(const QString& text)
{
    ProjectContent now = contentOf(m_project);
    if (auto heights = heightChanges(m_settled, now)) {
        if (!heights->empty())
            push(new HeightsCommand(m_project, text, std::move(*heights)));
        return;
    }
    push(new ReplaceProjectCommand(m_project, text, m_settled, std::move(now)));
}

void ProjectHistory::commitTyped(int node)
{
    const QString text = QStringLiteral("แก้ค่าระดับจุดที่ %1").arg(node);
    auto heights = heightChanges(m_settled, contentOf(m_project));
    if (!heights)
        commit(text);
    else if (!heights->empty())
        push(new HeightsCommand(m_project, text, std::move(*heights), m_typingRun));
}

void ProjectHistory::commitPasted(int count)
{
    endTyping();
    commit(QStringLiteral("วางค่าระดับ %1 จุด").arg(count));
}

void ProjectHistory::commitImported()
{
    const auto heights = heightChanges(m_settled, contentOf(m_project));
    commit(QStringLiteral("นำเข้าค่าระดับ %1 จุด").arg(heights ? heights->size() : 0));
}

void ProjectHistory::startOver()
{
    const QScopedValueRollback recording(m_recording, true);
    m_stack.clear();
    m_settled = contentOf(m_project);
    endTyping();
    updateMenuItems();
}

void ProjectHistory::setSaved()
{
    m_stack.setClean();
    m_settled = contentOf(m_project);
}

void ProjectHistory::undo()
{
    m_stack.undo();
}

void ProjectHistory::redo()
{
    m_stack.redo();
}

} // namespace tervan
