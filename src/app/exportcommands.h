#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <memory>

class QMenu;
class QStatusBar;
class QWidget;

namespace tervan {

class Progress;
class Prompts;
struct Project;

// File > the contours and the surface out to CAD and GIS files, the format by the file's suffix.
class ExportCommands final : public QObject
{
    Q_OBJECT
public:
    // Adds the two items after the File menu's additions, before Exit.
    ExportCommands(QMenu* fileMenu, Project& project, Prompts& prompts, QStatusBar* status,
                   QWidget* parent);

    void exportContours();
    void exportSurface();
    bool exporting() const;
    // Turns the event loop until the file being written is done and its result shown.
    void waitForExport();

private:
    void run(int kind);
    void finished();

    Project& m_project;
    Prompts& m_prompts;
    QStatusBar* m_status;
    QString m_lastName;
    // The file being written off the window's thread, and the status bar's word of it.
    QFutureWatcher<QString> m_writing;
    std::shared_ptr<Progress> m_progress;
    QString m_shown;
    QWidget* m_busy = nullptr;
};

} // namespace tervan
