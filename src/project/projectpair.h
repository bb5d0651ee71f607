#pragma once

#include "project/projectfile.h"

#include <QLockFile>
#include <QString>
#include <memory>

namespace tervan {

// The hidden files a save keeps beside a pair and its georeference: the new contents before
// they take their names (".new"), the previous files while the renames happen (".bak"), and the
// lock (".lock").
// Names stay within 255 bytes: a long file name is cut and a digest of it keeps it unique.
QString sideFileName(const QString& file, const char* suffix);

// Gives `from` the name `to` in one step, replacing what is there.
bool renameOver(const QString& from, const QString& to);
// Makes the names in a folder (created, renamed, removed) reach the disk.
void syncFolder(const QString& file);

// The lock of one pair, beside it. Stale locks of dead processes are taken over; a live
// holder keeps its lock however long it holds it.
class ProjectLock final
{
public:
    enum class State { Held, HeldElsewhere, FolderRefuses, Failed };

    explicit ProjectLock(const QString& gndFileName);
    State take();
    bool covers(const ProjectFileNames& names) const;
    // Who holds it, when take() found it held elsewhere.
    QString holder() const;

private:
    QString m_gnd;
    QLockFile m_file;
};

// What a save that stopped half-way left behind, as Open finds it: only a ".nod" still the
// backed-up one beside a new ".gnd" or georeference is half a save; the other leftovers are
// stale.
enum class PairLeftover { None, Interrupted };
PairLeftover inspectPair(const ProjectFileNames& names);
// Puts the backed-up files back in place (an empty georeference backup: there was none).
bool restorePair(const ProjectFileNames& names);
// Removes what an interrupted save left that no longer matters (call with the lock held).
void tidyPair(const ProjectFileNames& names);

// File sizes and change times of a pair, to notice a change made by someone else.
struct PairStamp
{
    qint64 gndSize = -1, nodSize = -1;
    qint64 gndTime = 0, nodTime = 0;
    bool operator==(const PairStamp&) const = default;
};
PairStamp stampOf(const ProjectFileNames& names);

} // namespace tervan
