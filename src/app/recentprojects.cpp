#include "app/recentprojects.h"

#include "project/projectfile.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <algorithm>

namespace tervan {

RecentProjects::RecentProjects(QMenu* menu, QAction* before, Open open, QObject* parent)
    : QObject(parent), m_menu(menu), m_before(before), m_open(std::move(open))
{
}

void RecentProjects::setFiles(const QStringList& files)
{
    QStringList kept;
    for (const QString& file : files) {
        const QString clean = QDir::cleanPath(file);
        if (!file.isEmpty() && QDir::isAbsolutePath(file) && !kept.contains(clean))
            kept << clean;
        if (kept.size() == MaxCount)
            break;
    }
    if (kept == m_files)
        return;
    m_files = kept;
    rebuild();
    emit changed(m_files);
}

void RecentProjects::add(const QString& gnd)
{
    setFiles(QStringList{QFileInfo(gnd).absoluteFilePath()} + m_files);
}

void RecentProjects::remove(const QString& gnd)
{
    QStringList files = m_files;
    files.removeAll(QDir::cleanPath(gnd));
    setFiles(files);
}

void RecentProjects::rebuild()
{
    // The chosen entry may still be delivering its click: old entries go later.
    if (m_separator)
        m_entries << m_separator;
    for (QAction* old : std::as_const(m_entries)) {
        m_menu->removeAction(old);
        old->deleteLater();
    }
    m_entries.clear();
    m_separator = nullptr;
    if (m_files.isEmpty())
        return;
    for (int i = 0; i < m_files.size(); ++i) {
        const QString& file = m_files[i];
        const QString name = QFileInfo(file).fileName();
        // Two projects of one name in different folders are told apart by their folders.
        const bool twin = std::count_if(m_files.begin(), m_files.end(), [&name](const QString& f) {
                              return QFileInfo(f).fileName() == name;
                          }) > 1;
        auto* entry = new QAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(twin ? QDir::toNativeSeparators(file) : name),
            m_menu);
        entry->setObjectName(QStringLiteral("mnuFileRecent_%1").arg(i + 1));
        entry->setStatusTip(QDir::toNativeSeparators(file));
        entry->setToolTip(QDir::toNativeSeparators(file));
        connect(entry, &QAction::triggered, this, [this, file] { m_open(file); });
        m_menu->insertAction(m_before, entry);
        m_entries << entry;
    }
    m_separator = m_menu->insertSeparator(m_before);
    m_separator->setObjectName(QStringLiteral("mnuFileRecentFree"));
}

void RecentProjects::refused(const QString& gnd)
{
    // Open has said why; a project that is no longer there is no longer offered.
    const ProjectFileNames names = projectFileNames(gnd);
    if (!QFileInfo::exists(names.gnd) || !QFileInfo::exists(names.nod))
        remove(gnd);
}

} // namespace tervan
