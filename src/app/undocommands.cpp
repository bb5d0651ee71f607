#include "app/undocommands.h"

#include <QAction>
#include <QMenu>

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
        updateMenuItems();
    });
}

ProjectHistory::~ProjectHistory()
{
    // The project may be gone already; the stack's last signals must not look at it.
    m_stack.disconnect(this);
}

void ProjectHistory::addMenuItems(QMenu* edit)
{
    edit->addSeparator()->setObjectName(QStringLiteral("mnuEditFreeUndo"));
    m_undo = edit->addAction(QString());
    m_undo->setObjectName(QStringLiteral("mnuEditUndo"));
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redo = edit->addAction(QString());
    m_redo->setObjectName(QStringLiteral("mnuEditRedo"));
    m_redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    for (QAction* action : {m_undo.data(), m_redo.data()})
        action->setShortcutContext(Qt::ApplicationShortcut);
    connect(m_undo, &QAction::triggered, this, &ProjectHistory::undo);
    connect(m_redo, &QAction::triggered, this, &ProjectHistory::redo);
    updateMenuItems();
}

void ProjectHistory::setAvailable(bool available)
{
    m_available = available;
    updateMenuItems();
}

void ProjectHistory::updateMenuItems()
{
    const auto name = [](const QString& verb, const QString& step) {
        return step.isEmpty() ? verb : verb + QStringLiteral(": ") + step;
    };
    if (m_undo) {
        m_undo->setText(name(QStringLiteral("เลิกทำ"), m_stack.undoText()));
        m_undo->setEnabled(m_available && m_stack.canUndo());
    }
    if (m_redo) {
        m_redo->setText(name(QStringLiteral("ทำซ้ำ"), m_stack.redoText()));
        m_redo->setEnabled(m_available && m_stack.canRedo());
    }
}

void ProjectHistory::push(QUndoCommand* command)
{
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
    endTyping();
    m_stack.undo();
    emit projectChanged();
}

void ProjectHistory::redo()
{
    endTyping();
    m_stack.redo();
    emit projectChanged();
}

} // namespace tervan
