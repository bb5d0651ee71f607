#include "common/outputfile.h"

#include "common/messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tervan {

namespace {

// Pushes a file's (or a folder's) contents and names to the disk.
bool syncPath(const QString& path, bool folder)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(),
                          (folder ? O_RDONLY | O_DIRECTORY : O_RDONLY) | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
#else
    Q_UNUSED(path);
    Q_UNUSED(folder);
    return true;
#endif
}

bool renameOver(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

OutputFile::OutputFile(const QString& target)
{
    const QFileInfo given(target);
    // Through a link to the file it names; the link itself stays.
    m_target = given.isSymLink() ? given.symLinkTarget() : given.absoluteFilePath();
    const QFileInfo info(m_target);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    m_temporary = info.dir().filePath(QStringLiteral(".%1.part-%2%3")
                                          .arg(info.completeBaseName())
                                          .arg(QCoreApplication::applicationPid())
                                          .arg(suffix));
    // Made now, so a folder that takes no file says so before any work is done.
    QFile probe(m_temporary);
    if (info.exists() && !info.isFile())
        m_problem = msg::cannotSaveFile(QDir::toNativeSeparators(target)) +
                    QStringLiteral(": ไม่ใช่แฟ้มธรรมดา");
    else if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate))
        m_problem = msg::cannotSaveFile(QDir::toNativeSeparators(target)) + QStringLiteral(": ") +
                    probe.errorString();
    else
        probe.remove(); // writers that create their own file want the name free
}

OutputFile::~OutputFile()
{
    if (!m_committed)
        discard();
}

QString OutputFile::side(const QString& base, const QString& suffix) const
{
    const QFileInfo info(base);
    return info.dir().filePath(info.completeBaseName() + QLatin1Char('.') + suffix);
}

// The temporary and every side file a writer made beside it, whatever their suffixes.
void OutputFile::discard()
{
    const QFileInfo temporary(m_temporary);
    QDir folder = temporary.dir();
    for (const QString& name :
         folder.entryList({temporary.completeBaseName() + QStringLiteral(".*")},
                          QDir::Files | QDir::Hidden | QDir::System))
        folder.remove(name);
}

bool OutputFile::commit(const QStringList& sideSuffixes)
{
    const QString target = QDir::toNativeSeparators(m_target);
    if (!m_problem.isEmpty())
        return discard(), false;
    if (!QFileInfo(m_temporary).isFile() || !syncPath(m_temporary, false)) {
        m_problem = msg::cannotSaveFile(target);
        return discard(), false;
    }
    for (const QString& s : sideSuffixes)
        if (QFileInfo::exists(side(m_temporary, s)) && !syncPath(side(m_temporary, s), false)) {
            m_problem = msg::cannotSaveFile(target);
            return discard(), false;
        }
    // The side files first, the file the user named last: it is the one that says it is done.
    for (const QString& s : sideSuffixes) {
        const QString from = side(m_temporary, s), to = side(m_target, s);
        if (QFileInfo::exists(from) ? !renameOver(from, to)
                                    : QFileInfo::exists(to) && !QFile::remove(to)) {
            m_problem = msg::cannotSaveFile(QDir::toNativeSeparators(to));
            return discard(), false;
        }
    }
    if (!renameOver(m_temporary, m_target)) {
        m_problem = msg::cannotSaveFile(target);
        return discard(), false;
    }
    syncPath(QFileInfo(m_target).absolutePath(), true);
    m_committed = true;
    return true;
}

QString OutputFile::aboutTarget(QString message) const
{
    return message.replace(QDir::toNativeSeparators(m_temporary),
                           QDir::toNativeSeparators(m_target));
}

QString OutputFile::write(const Writer& writer)
{
    if (!m_problem.isEmpty())
        return m_problem;
    QFile file(m_temporary);
    QString reason;
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        reason = file.errorString();
    else if (reason = writer(file); reason.isEmpty() && !file.flush())
        reason = file.errorString();
    file.close();
    if (reason.isEmpty() && file.error() != QFileDevice::NoError)
        reason = file.errorString();
    if (reason.isEmpty())
        return {};
    return msg::cannotSaveFile(QDir::toNativeSeparators(m_target)) + QStringLiteral(": ") + reason;
}

QString writeOutput(const QString& target, const OutputFile::Writer& writer)
{
    OutputFile out(target);
    if (const QString failed = out.write(writer); !failed.isEmpty())
        return failed;
    if (!out.commit())
        return out.problem();
    return {};
}

QString writeOutputBytes(const QString& target, const QByteArray& bytes)
{
    return writeOutput(target, [&bytes](QIODevice& file) {
        return file.write(bytes) == bytes.size() ? QString() : file.errorString();
    });
}

} // namespace tervan
