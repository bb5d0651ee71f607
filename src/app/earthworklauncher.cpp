#include "app/earthworklauncher.h"

#include "common/messages.h"
#include "grading/earthworktexts.h"
#include "grading/ui/earthworkdialogs.h"
#include "printing/earthworkreports.h"
#include "project/nodetablemodel.h"
#include "project/project.h"
#include "project/ui/prompts.h"

#include <QAction>
#include <QMenu>

namespace tervan {

EarthworkLauncher::EarthworkLauncher(Project& project, Prompts& prompts, PrintReport print,
                                     QWidget* parent)
    : QObject(parent), m_project(project), m_prompts(prompts), m_print(std::move(print)),
      m_parent(parent)
{
}

void EarthworkLauncher::addMenuItems(QMenu* grading, QMenu* edit)
{
    const auto add = [this](QMenu* menu, const char* name, const QString& text,
                            void (EarthworkLauncher::*command)()) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, command);
    };
    grading->addSeparator()->setObjectName(QStringLiteral("mnuEarthworkFree"));
    add(grading, "mnuEarthworkGross", earthworktitle::Gross, &EarthworkLauncher::showGross);
    add(grading, "mnuEarthworkBalance", earthworktitle::Balance, &EarthworkLauncher::showBalance);
    add(grading, "mnuEarthworkSloped", earthworktitle::Sloped, &EarthworkLauncher::showSloped);
    edit->addSeparator()->setObjectName(QStringLiteral("mnuEditFree2"));
    add(edit, "mnuEditSuspects", earthworktitle::Suspects, &EarthworkLauncher::showSuspects);
}

bool EarthworkLauncher::gradable()
{
    if (m_project.HasNodes() && earthworkGrid(m_project).cellCount() > 0)
        return true;
    m_prompts.notice(msg::DataIncomplete);
    return false;
}

void EarthworkLauncher::showGross()
{
    showEarthwork(false);
}

void EarthworkLauncher::showSloped()
{
    showEarthwork(true);
}

void EarthworkLauncher::showEarthwork(bool sloped)
{
    if (!gradable())
        return;
    EarthworkDialog dialog(m_project, m_prompts, sloped, m_parent);
    warnOfSuspects(dialog);
    connect(&dialog, &EarthworkDialogFrame::printRequested, this, [&] {
        m_print([p = m_project, e = dialog.earthwork(), sloped, k = dialog.compaction()](
                    PageSurface& page) { PrintEarthwork(page, p, e, sloped, k); });
    });
    m_prompts.runModal(dialog);
}

void EarthworkLauncher::showBalance()
{
    if (!gradable())
        return;
    BalanceDialog dialog(m_project, m_prompts, m_parent);
    warnOfSuspects(dialog);
    connect(&dialog, &EarthworkDialogFrame::printRequested, this, [&] {
        m_print([p = m_project, b = dialog.balance(), platform = dialog.fixedPlatform(),
                 net = dialog.fixedNet()](PageSurface& page) {
            PrintBalance(page, p, b, platform, net);
        });
    });
    m_prompts.runModal(dialog);
}

void EarthworkLauncher::showSuspects()
{
    if (!m_project.HasNodes()) {
        m_prompts.notice(msg::DataIncomplete);
        return;
    }
    SuspectDialog dialog(m_project, m_prompts, m_factor, m_floor, m_parent);
    connect(&dialog, &EarthworkDialogFrame::printRequested, this, [&] {
        m_print([p = m_project, c = dialog.check(), factor = dialog.factor(),
                 floor = dialog.floor()](PageSurface& page) {
            PrintSuspects(page, p, c, factor, floor);
        });
    });
    m_prompts.runModal(dialog);
    // The node list marks by the last figures the user computed with.
    m_factor = dialog.factor();
    m_floor = dialog.floor();
    markSuspects();
}

int EarthworkLauncher::suspectCount() const
{
    return int(findSuspectHeights(m_project, m_factor, m_floor).suspects.size());
}

void EarthworkLauncher::watchNodeList(NodeTableModel* model)
{
    m_nodeList = model;
    // Typed elevations change the marks; the marks' own change must not start this again.
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole))
                    markSuspects();
            });
    connect(model, &QAbstractItemModel::modelReset, this, &EarthworkLauncher::markSuspects);
    markSuspects();
}

void EarthworkLauncher::markSuspects()
{
    if (!m_nodeList)
        return;
    QHash<int, double> medians;
    for (const SuspectHeight& s : findSuspectHeights(m_project, m_factor, m_floor).suspects)
        medians.insert(s.node - 1, s.median);
    m_nodeList->setSuspects(medians);
}

} // namespace tervan
