#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QAction;
class QMenu;

namespace tervan {

// The File menu's list of the last projects opened or saved, newest first, shown as numbered
// entries just above the given item (Exit) and closed off from it by a separator. An empty
// list shows nothing, so the menu is then as it always was. Choosing an entry opens it through
// the given open command; a project that Open refuses because its files are gone leaves the
// list.
class RecentProjects final : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxCount = 8;
    using Open = std::function<void(const QString& gnd)>;

    RecentProjects(QMenu* menu, QAction* before, Open open, QObject* parent = nullptr);

    const QStringList& files() const { return m_files; }
    // Replaces the list, keeping absolute names only, each once, at most MaxCount.
    void setFiles(const QStringList& files);
    // Puts the project at the top.
    void add(const QString& gnd);
    void remove(const QString& gnd);
    // Open refused the project: it leaves the list when its files are gone.
    void refused(const QString& gnd);
    QList<QAction*> entries() const { return m_entries; }

signals:
    void changed(const QStringList& files);

private:
    void rebuild();

    QMenu* m_menu;
    QAction* m_before;
    Open m_open;
    QStringList m_files;
    QList<QAction*> m_entries;
    QAction* m_separator = nullptr;
};

} // namespace tervan
