#include "app/projectguard.h"

#include "common/messages.h"
#include "project/ui/prompts.h"

#include <QDir>

namespace tervan {

ProjectGuard::ProjectGuard(Prompts& prompts) : m_prompts(prompts) {}

std::optional<QString> ProjectGuard::opening(const ProjectFileNames& names)
{
    // This window's own hold is no other's.
    if (m_held && m_held->covers(names))
        return std::nullopt;
    m_pending = std::make_unique<ProjectLock>(names.gnd);
    const ProjectLock::State state = m_pending->take();
    if (state == ProjectLock::State::HeldElsewhere)
        return m_pending->holder(); // a save may be under way there
    if (inspectPair(names) == PairLeftover::Interrupted &&
        m_prompts.ask(
            msg::restorePrevious(msg::saveWasInterrupted(QDir::toNativeSeparators(names.gnd)))))
        restorePair(names);
    if (state == ProjectLock::State::Held)
        tidyPair(names);
    return std::nullopt;
}

std::optional<bool> ProjectGuard::beforeSave(const ProjectFileNames& names)
{
    if (m_held && m_held->covers(names)) {
        if (stampOf(names) != m_stamp &&
            !m_prompts.ask(msg::pairChangedOnDisk(QDir::toNativeSeparators(names.gnd))))
            return std::nullopt;
        return true;
    }
    m_pending = std::make_unique<ProjectLock>(names.gnd);
    switch (m_pending->take()) {
    case ProjectLock::State::Held:
        return true;
    case ProjectLock::State::HeldElsewhere:
        break;
    default:
        return false; // the save says why it cannot lock
    }
    if (!m_prompts.ask(msg::saveWhileLocked(
            msg::projectLocked(QDir::toNativeSeparators(names.gnd), m_pending->holder()))))
        return std::nullopt;
    return true; // saving without the lock, as the user chose
}

void ProjectGuard::settled(const ProjectFileNames& names)
{
    if (m_pending && m_pending->covers(names))
        m_held = std::move(m_pending);
    else if (!(m_held && m_held->covers(names)))
        m_held.reset();
    m_pending.reset();
    m_stamp = stampOf(names);
}

void ProjectGuard::release()
{
    m_held.reset();
    m_pending.reset();
}

} // namespace tervan
