#include "app/gradecommands.h"

#include "app/earthworklauncher.h"
#include "app/printerchoice.h"
#include "common/messages.h"
#include "grading/grading.h"
#include "grading/reportplan.h"
#include "grading/ui/graderesultdialog.h"
#include "grading/ui/inputgradedialog.h"
#include "printing/reports.h"
#include "printing/ui/printjobs.h"
#include "project/project.h"
#include "project/ui/prompts.h"

#include <QStatusBar>

namespace tervan {

GradeCommands::GradeCommands(Project& project, Prompts& prompts, QStatusBar* status,
                             QWidget* window)
    : QObject(window), m_project(project), m_prompts(prompts), m_window(window)
{
    m_printJobs = new PrintJobs(status, this);
    connect(m_printJobs, &PrintJobs::finished, this,
            [this, status](const PageBackend& output, bool printed, bool cancelled) {
                if (cancelled)
                    status->showMessage(QStringLiteral("ยกเลิกการพิมพ์แล้ว"), 20000);
                else if (printed)
                    status->showMessage(PrinterChoice::printedMessage(output), 20000);
                else
                    m_prompts.notice(msg::CannotPrint);
            });
    m_earthwork = new EarthworkLauncher(
        project, prompts, [this](const Report& report) { printReport(report); }, window);
}

GradeCommands::~GradeCommands() = default;

void GradeCommands::gradeBalanced()
{
    // Cells without area, elevations whose sums overflow, or a single row or column of nodes
    // (no cells, so no balanced platform) grade to no numbers.
    if (!m_project.HasNodes() || !ElevationsGradeable(m_project) || !AutoGradeElev(m_project)) {
        m_prompts.notice(msg::DataIncomplete);
        return;
    }
    GradeResultDialog result(m_project, GradeResultDialog::Grade::Balanced, m_window);
    m_earthwork->warnOfSuspects(result);
    m_prompts.runModal(result);
}

void GradeCommands::gradeFixed()
{
    if (!m_project.HasNodes() || !ElevationsGradeable(m_project)) {
        m_prompts.notice(msg::DataIncomplete);
        return;
    }
    {
        // Escape cancels: no computation at a platform nobody gave.
        InputGradeDialog input(m_project, m_prompts, m_window);
        if (m_prompts.runModal(input) != QDialog::Accepted)
            return;
    }
    if (!FixGradeElev(m_project)) {
        m_prompts.notice(msg::DataIncomplete);
        return;
    }
    GradeResultDialog result(m_project, GradeResultDialog::Grade::Fixed, m_window);
    m_earthwork->warnOfSuspects(result);
    m_prompts.runModal(result);
}

namespace {

bool printsSomething(int index)
{
    return index == 1 || index == 2 || index == 4;
}

} // namespace

void GradeCommands::printData(int index)
{
    if (!printsSomething(index))
        return;
    if (planReport(m_project, ReportFamily::Data, index).refused) {
        m_prompts.notice(msg::DataIncomplete);
        return;
    }
    printReport([p = m_project, index](PageSurface& page) { DataPrint(page, p, index); });
}

void GradeCommands::printGraphics(int index, const NodeLabels& labels)
{
    if (!printsSomething(index))
        return;
    if (planReport(m_project, ReportFamily::Graphics, index).refused) {
        m_prompts.notice(msg::DataIncomplete);
        return;
    }
    printReport([p = m_project, index,
                 labels](PageSurface& page) mutable { GraphicPrint(page, p, index, labels); },
                index == 4 ? 2 : 1);
}

void GradeCommands::printGrades(int index)
{
    if (!printsSomething(index))
        return;
    const ReportPlan plan = planReport(m_project, ReportFamily::Grades, index);
    if (plan.refused || plan.leftOut)
        m_prompts.notice(msg::DataIncomplete);
    if (plan.refused)
        return;
    const int printed = plan.index;
    if (!printReport(
            [p = m_project, printed](PageSurface& page) mutable { GradePrint(page, p, printed); }))
        return;
    // The project is left graded as the grading commands leave it, as the pages grade their
    // copy.
    if (printed == 2 || AutoGradeElev(m_project)) {
        if (printed != 1)
            FixGradeElev(m_project);
    }
}

bool GradeCommands::printReport(const Report& report, int pages)
{
    std::unique_ptr<PageBackend> output = m_printOutput(m_prompts);
    if (!output)
        return false;
    m_printJobs->start(std::move(output), report, pages);
    return true;
}

bool GradeCommands::settlePrinting()
{
    if (!m_printJobs->busy())
        return true;
    if (!m_prompts.ask(QStringLiteral("ยังพิมพ์ไม่เสร็จ ต้องการยกเลิกการพิมพ์หรือไม่")))
        return false;
    m_printJobs->cancel();
    m_printJobs->wait();
    return true;
}

} // namespace tervan
