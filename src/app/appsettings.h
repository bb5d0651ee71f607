#pragma once

#include <QObject>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>

namespace tervan {

class MainWindow;
class RecentProjects;

// The settings store of one run. The file is used when it is missing or a regular file of at
// most MaxBytes; anything else is left alone, since a FIFO would block the start for ever and
// a huge file slows every exit and would be written back each time. The run then keeps its
// settings in a scratch file of its own, and refused() says why, for stderr.
class SettingsFile final
{
public:
    static constexpr qint64 MaxBytes = 1024 * 1024;

    explicit SettingsFile(const QString& fileName);
    // Where the program keeps its settings: tervan/tervan.ini in the user's configuration folder.
    static QString defaultFileName();

    QSettings& settings() { return *m_settings; }
    const QString& refused() const { return m_refused; }

private:
    QTemporaryDir m_scratch;
    std::unique_ptr<QSettings> m_settings;
    QString m_refused;
};

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
