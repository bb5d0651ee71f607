#pragma once

#include "project/projectfile.h"
#include "project/projectpair.h"

#include <memory>

namespace tervan {

class Prompts;

// The window's hold on the pair it has open: the pair's lock for as long as the project is
// open, and the sizes and times of its files, so that a save over a pair someone else held or
// changed is asked about first. Also offers to put back the pair a stopped save left half done.
class ProjectGuard final
{
public:
    explicit ProjectGuard(Prompts& prompts);

    // Before the pair is read: takes its lock when free and, with it, puts back the old pair
    // of a half-done save when the user wants that. Who holds it when another window or
    // program does.
    std::optional<QString> opening(const ProjectFileNames& names);
    // Whether a save to names may go on, and whether the lock is then held for it.
    std::optional<bool> beforeSave(const ProjectFileNames& names);
    // After a successful open or save of names.
    void settled(const ProjectFileNames& names);
    // After an open that was refused: the pair it was for is not held.
    void refused() { m_pending.reset(); }
    void release();

private:
    Prompts& m_prompts;
    std::unique_ptr<ProjectLock> m_held, m_pending;
    PairStamp m_stamp;
};

} // namespace tervan
