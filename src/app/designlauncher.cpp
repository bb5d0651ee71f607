#include "app/designlauncher.h"

#include "common/messages.h"
#include "grading/designsurface.h"
#include "grading/designtexts.h"
#include "grading/ui/designdialogs.h"
#include "printing/cutfillreport.h"
#include "project/project.h"
#include "project/ui/prompts.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace tervan {

DesignLauncher::DesignLauncher(Project& project, Prompts& prompts, PrintReport print,
                               QWidget* parent)
    : QObject(parent), m_project(project), m_prompts(prompts), m_print(std::move(print)),
      m_parent(parent)
{
}

void DesignLauncher::addMenuItems(QMenu* grading)
{
    grading->addSeparator()->setObjectName(QStringLiteral("mnuDesignFree"));
    QAction* compare = grading->addAction(designtitle::Compare + QStringLiteral("…"));
    compare->setObjectName(QStringLiteral("mnuDesignCompare"));
    connect(compare, &QAction::triggered, this, &DesignLauncher::showCompare);
    QAction* pad = grading->addAction(designtitle::Pad + QStringLiteral("…"));
    pad->setObjectName(QStringLiteral("mnuDesignPad"));
    connect(pad, &QAction::triggered, this, &DesignLauncher::showPad);
}

bool DesignLauncher::gradable()
{
    if (m_project.HasNodes() && earthworkGrid(m_project).cellCount() > 0)
        return true;
    m_prompts.notice(msg::DataIncomplete);
    return false;
}

namespace {

void runWithPrint(DesignDialogBase& dialog, const Project& project, Prompts& prompts,
                  const DesignLauncher::PrintReport& print)
{
    // The pages are drawn on a worker that may outlive the dialog: it gets copies.
    QObject::connect(&dialog, &EarthworkDialogFrame::printRequested, &dialog, [&] {
        print([p = project, title = dialog.title(), lines = dialog.summaryLines(),
               map = dialog.map(), e = dialog.earthwork(), k = dialog.compaction(),
               every = dialog.printEveryCell()](PageSurface& page) {
            PrintCutFill(page, p, title, lines, map, printedDesignCells(e, k, every));
        });
    });
    prompts.runModal(dialog);
}

} // namespace

void DesignLauncher::showCompare()
{
    if (!gradable())
        return;
    const QString name = m_prompts.pickOpenName(
        QStringLiteral("พื้นผิวออกแบบ (*.gnd *.csv);;โครงการ (*.gnd);;ค่าระดับ (*.csv)"),
        m_project.GndFileName.isEmpty() ? QString()
                                        : QFileInfo(m_project.GndFileName).absolutePath());
    if (name.isEmpty())
        return;
    int missing = 0;
    auto loaded = loadDesignSurface(m_project, name, false, &missing);
    // A file that leaves nodes out is used only when the user says those keep the ground.
    if (missing > 0 && m_prompts.ask(std::get<QStringList>(loaded).join(QLatin1Char('\n')) +
                                     QStringLiteral("\nใช้ค่าระดับดินเดิมที่จุดเหล่านี้หรือไม่")))
        loaded = loadDesignSurface(m_project, name, true);
    else if (missing > 0)
        return;
    if (const auto* reasons = std::get_if<QStringList>(&loaded)) {
        m_prompts.notice(reasons->join(QLatin1Char('\n')));
        return;
    }
    const auto& design = std::get<EarthworkGrid>(loaded);
    if (const QString why = gridMismatch(earthworkGrid(m_project), design); !why.isEmpty()) {
        m_prompts.notice(why);
        return;
    }
    CompareDialog dialog(m_project, m_prompts, design, QFileInfo(name).fileName(), m_parent);
    runWithPrint(dialog, m_project, m_prompts, m_print);
}

void DesignLauncher::showPad()
{
    if (!gradable())
        return;
    PadDialog dialog(m_project, m_prompts, m_parent);
    runWithPrint(dialog, m_project, m_prompts, m_print);
}

} // namespace tervan
