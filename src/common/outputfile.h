#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QIODevice;

namespace tervan {

// One way to write any file the program makes besides the project pair: the writer writes a
// hidden temporary beside the target, and only a complete file, on the disk, is renamed over
// the target. A failure (a full disk included) or a kill leaves the old file byte for byte, and
// a failure leaves no temporary behind. A symbolic link is written through: the file it names
// is replaced and the link stays. Formats of several files (a Shapefile's .shx and .dbf, an
// ASCII grid's .prj) name their other suffixes at commit; a side file the new output lacks is
// removed with the old one it belonged to.
class OutputFile final
{
public:
    explicit OutputFile(const QString& target);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Where the writer writes; the same suffix as the target, so drivers that go by it agree.
    const QString& path() const { return m_temporary; }
    // Why nothing can be written there (Thai, with the system's reason); empty when it can.
    const QString& problem() const { return m_problem; }
    // Hands the temporary, opened afresh, to `writer` (its reason, empty when done), then flushes
    // and closes it; the Thai reason naming the target when any of that fails.
    using Writer = std::function<QString(QIODevice&)>;
    QString write(const Writer& writer);
    // Syncs the new files and renames them over the old ones; false, with problem() set and
    // the temporaries removed, when that fails.
    bool commit(const QStringList& sideSuffixes = {});
    // The writer's message about the temporary, naming the target instead.
    QString aboutTarget(QString message) const;

private:
    QString side(const QString& base, const QString& suffix) const;
    void discard();

    QString m_target;    // the file replaced (a link resolved)
    QString m_temporary; // .NAME.part-PID.SUFFIX beside it
    QString m_problem;
    bool m_committed = false;
};

// All of what `writer` writes or nothing, through an OutputFile; the Thai reason when it fails.
QString writeOutput(const QString& target, const OutputFile::Writer& writer);
QString writeOutputBytes(const QString& target, const QByteArray& bytes);

} // namespace tervan
