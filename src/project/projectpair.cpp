#include "project/projectpair.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace tervan {

namespace {

constexpr qsizetype NameMax = 255;

// The same file (one inode) where the system has hard links, else the same bytes.
bool sameFile(const QString& a, const QString& b)
{
#ifdef Q_OS_UNIX
    struct stat sa, sb;
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 ||
        ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#else
    QFile fa(a), fb(b);
    return fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly) &&
           fa.readAll() == fb.readAll();
#endif
}

bool exists(const QString& file)
{
    return QFileInfo::exists(file);
}

} // namespace

QString sideFileName(const QString& file, const char* suffix)
{
    const QFileInfo info(file);
    const QByteArray name = QFile::encodeName(info.fileName());
    const QByteArray tail(suffix);
    QByteArray side = '.' + name + tail;
    if (side.size() > NameMax) {
        // Cut on a character boundary so the name stays valid text.
        const QByteArray digest =
            QCryptographicHash::hash(name, QCryptographicHash::Sha1).toHex().left(16);
        QString kept = info.fileName();
        const qsizetype room = NameMax - 2 - digest.size() - tail.size();
        while (QFile::encodeName(kept).size() > room)
            kept.chop(1);
        side = '.' + QFile::encodeName(kept) + '~' + digest + tail;
    }
    return info.dir().filePath(QFile::decodeName(side));
}

bool renameOver(const QString& from, const QString& to)
{
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(from).toStdString()),
                            std::filesystem::path(QFile::encodeName(to).toStdString()), error);
    return !error;
}

void syncFolder(const QString& file)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(QFileInfo(file).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(file);
#endif
}

ProjectLock::ProjectLock(const QString& gndFileName)
    : m_gnd(gndFileName), m_file(sideFileName(gndFileName, ".lock"))
{
    m_file.setStaleLockTime(0);
}

ProjectLock::State ProjectLock::take()
{
    if (m_file.isLocked() || m_file.tryLock(0))
        return State::Held;
    switch (m_file.error()) {
    case QLockFile::LockFailedError:
        return State::HeldElsewhere;
    case QLockFile::PermissionError:
        return State::FolderRefuses;
    default:
        return State::Failed;
    }
}

bool ProjectLock::covers(const ProjectFileNames& names) const
{
    return m_file.isLocked() && QFileInfo(m_gnd) == QFileInfo(names.gnd);
}

QString ProjectLock::holder() const
{
    qint64 pid = 0;
    QString host, app;
    if (!m_file.getLockInfo(&pid, &host, &app))
        return {};
    return QStringLiteral("%1 (PID %2) บนเครื่อง %3")
        .arg(app.isEmpty() ? QStringLiteral("?") : app)
        .arg(pid)
        .arg(host);
}

namespace {

struct Backups
{
    QString gnd, geo, nod;
};

Backups backupsOf(const ProjectFileNames& names)
{
    return {sideFileName(names.gnd, ".bak"), sideFileName(georeferenceFileName(names.base), ".bak"),
            sideFileName(names.nod, ".bak")};
}

// An empty georeference backup stands for "there was none".
bool geoDiffers(const QString& geo, const QString& backup)
{
    if (!exists(backup))
        return false;
    return QFileInfo(backup).size() == 0 ? exists(geo) : !sameFile(geo, backup);
}

// Renaming over a hard link of the same file would keep both names.
bool putBack(const QString& backup, const QString& file)
{
    return sameFile(file, backup) ? QFile::remove(backup) : renameOver(backup, file);
}

} // namespace

PairLeftover inspectPair(const ProjectFileNames& names)
{
    const Backups bak = backupsOf(names);
    // The ".nod" is renamed last: while it is still the backed-up file the save never finished,
    // and only then can the files be from different saves.
    if (exists(bak.gnd) && exists(bak.nod) && sameFile(names.nod, bak.nod) &&
        (!sameFile(names.gnd, bak.gnd) || geoDiffers(georeferenceFileName(names.base), bak.geo)))
        return PairLeftover::Interrupted;
    return PairLeftover::None;
}

bool restorePair(const ProjectFileNames& names)
{
    const Backups bak = backupsOf(names);
    const QString geo = georeferenceFileName(names.base);
    // Backwards from the save's renames: stopped before the ".gnd" is back, Open still finds
    // half a save and puts it back again.
    bool restored = true;
    if (exists(bak.geo)) {
        restored = QFileInfo(bak.geo).size() == 0
                       ? (!exists(geo) || QFile::remove(geo)) && QFile::remove(bak.geo)
                       : putBack(bak.geo, geo);
    }
    restored = restored && putBack(bak.gnd, names.gnd) && putBack(bak.nod, names.nod);
    syncFolder(names.gnd);
    return restored;
}

void tidyPair(const ProjectFileNames& names)
{
    const QString geo = georeferenceFileName(names.base);
    for (const QString& file : {names.gnd, geo, names.nod})
        QFile::remove(sideFileName(file, ".new"));
    if (inspectPair(names) == PairLeftover::None) {
        const Backups bak = backupsOf(names);
        for (const QString& file : {bak.nod, bak.gnd, bak.geo})
            QFile::remove(file);
    }
}

PairStamp stampOf(const ProjectFileNames& names)
{
    const QFileInfo gnd(names.gnd), nod(names.nod);
    const auto time = [](const QFileInfo& f) {
        return f.exists() ? f.lastModified().toMSecsSinceEpoch() : 0;
    };
    return {gnd.exists() ? gnd.size() : -1, nod.exists() ? nod.size() : -1, time(gnd), time(nod)};
}

} // namespace tervan
