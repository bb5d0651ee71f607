#pragma once

#include <QObject>

class QStatusBar;
class QWidget;

namespace tervan {

class Prompts;
struct Project;

// File > import and export of node heights as CSV. Import takes all heights or none: a file
// with bad lines is listed line by line and changes nothing.
class HeightsCommands final : public QObject
{
    Q_OBJECT
public:
    HeightsCommands(Project& project, Prompts& prompts, QStatusBar* status, QWidget* parent);

    void importHeights();
    void exportHeights();

signals:
    // Heights were taken into the project.
    void imported();

private:
    Project& m_project;
    Prompts& m_prompts;
    QStatusBar* m_status;
    QWidget* m_parent;
    QString m_lastName;
};

} // namespace tervan
