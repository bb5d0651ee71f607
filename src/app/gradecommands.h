#pragma once

#include "graphics/gridplot.h"
#include "printing/pagesurface.h"

#include <QObject>
#include <functional>
#include <memory>

class QStatusBar;
class QWidget;

namespace tervan {

struct Project;
class EarthworkLauncher;
class Prompts;
class PrintJobs;

// The grading menu's two grades and the Print menu's reports. A grade refuses data it cannot
// grade to numbers before it asks for anything; the fixed grade asks for its platform first.
// A report asks planReport what it may print (the batch front end asks the same), opens the
// print output, then prints on a worker from a copy of the project, while the project itself is
// graded as the grading report leaves it. The earthwork commands print through here too.
class GradeCommands final : public QObject
{
    Q_OBJECT
public:
    using Report = std::function<void(PageSurface&)>;
    using PrintOutput = std::function<std::unique_ptr<PageBackend>(Prompts&)>;

    GradeCommands(Project& project, Prompts& prompts, QStatusBar* status, QWidget* window);
    ~GradeCommands() override;

    void gradeBalanced();
    void gradeFixed();
    // Menu items by index: 1 and 2 print one report, 4 all of the family.
    void printData(int index);
    void printGraphics(int index, const NodeLabels& labels);
    void printGrades(int index);

    // Queues a report for one print output; false when no output was opened. `pages` as
    // PrintJobs::start takes it.
    bool printReport(const Report& report, int pages = 0);
    void setPrintOutput(PrintOutput output) { m_printOutput = std::move(output); }
    // Nothing printing, or the user agreed to cancel it; false leaves the window open.
    bool settlePrinting();
    PrintJobs& printJobs() { return *m_printJobs; }
    EarthworkLauncher& earthwork() { return *m_earthwork; }

private:
    Project& m_project;
    Prompts& m_prompts;
    QWidget* m_window;
    PrintOutput m_printOutput;
    PrintJobs* m_printJobs;
    EarthworkLauncher* m_earthwork;
};

} // namespace tervan
