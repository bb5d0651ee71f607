#pragma once

#include <QObject>

class QSettings;

namespace tervan {

class MainWindow;
class RecentProjects;

// What the program remembers between runs: the folder of the last Open or Save, the recent
// projects, the window's geometry and state, and the View menu's label and surface choices. Values
// are written as they change (the window's shape when it closes) and read back only when they make
// sense, so a damaged or foreign settings file gives the first-start behaviour.
class AppSettings final : public QObject
{
    Q_OBJECT
public:
    // Restores the folder, the recent list and the label choices into the window at once.
    AppSettings(MainWindow& window, QSettings& settings, QObject* parent = nullptr);
    ~AppSettings() override;

    // Gives the window its remembered shape; false when there is none to give.
    bool restoreWindow();
    void saveWindow();
    RecentProjects& recentProjects() { return *m_recent; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void restoreLabels();
    void saveLabels();
    void restoreSurfaceScale();
    void fileUsed(const QString& gnd);

    MainWindow& m_window;
    QSettings& m_settings;
    RecentProjects* m_recent;
};

} // namespace tervan
