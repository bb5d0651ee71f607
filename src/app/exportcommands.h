#pragma once

#include <QObject>

class QMenu;
class QStatusBar;
class QWidget;

namespace tervan {

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

private:
    void run(int kind);

    Project& m_project;
    Prompts& m_prompts;
    QStatusBar* m_status;
    QString m_lastName;
};

} // namespace tervan
