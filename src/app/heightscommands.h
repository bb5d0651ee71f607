#pragma once

#include "project/csvfields.h"

#include <QObject>
#include <QPointer>
#include <optional>

class QProgressBar;
class QStatusBar;
class QThread;
class QWidget;

namespace tervan {

class Prompts;
struct Project;
struct ImportRead;

// File > import and export of node heights as CSV. Import takes all heights or none: a file
// with bad lines is listed line by line and changes nothing. A large file is read on a thread
// of its own, with its progress in the status bar, so the window stays live; the heights are
// taken only if the grid is still the one the file was read for.
class HeightsCommands final : public QObject
{
    Q_OBJECT
public:
    HeightsCommands(Project& project, Prompts& prompts, QStatusBar* status, QWidget* parent);
    ~HeightsCommands() override;

    void importHeights();
    void exportHeights();

signals:
    // Heights were taken into the project.
    void imported();
    // An import ended, with heights taken or not.
    void importFinished();

private:
    void startReading(const QString& path, std::optional<CsvColumns> columns);
    void finishReading(const ImportRead& done);

    Project& m_project;
    Prompts& m_prompts;
    QStatusBar* m_status;
    QWidget* m_parent;
    QPointer<QProgressBar> m_progress;
    QThread* m_worker = nullptr;
    QString m_lastName;
};

} // namespace tervan
