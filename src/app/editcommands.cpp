#include "app/editcommands.h"

#include "app/earthworklauncher.h"
#include "app/undocommands.h"
#include "common/messages.h"
#include "gis/gis.h"
#include "project/project.h"
#include "project/ui/controldialog.h"
#include "project/ui/headingdialog.h"
#include "project/ui/nodeentrydialog.h"
#include "project/ui/prompts.h"

#include <QItemSelectionModel>
#include <QTableView>

namespace tervan {

EditCommands::EditCommands(Project& project, Prompts& prompts, ProjectHistory& history,
                           EarthworkLauncher& earthwork, QWidget* window)
    : QObject(window), m_project(project), m_prompts(prompts), m_history(history),
      m_earthwork(earthwork), m_window(window)
{
}

void EditCommands::editHeading()
{
    HeadingDialog dialog(m_project, m_window);
    m_prompts.runModal(dialog);
    m_history.commit(QStringLiteral("แก้ส่วนหัว"));
}

void EditCommands::controlAccepted()
{
    m_history.commit(QStringLiteral("แก้ข้อมูลควบคุม"));
    emit gridChanged();
}

void EditCommands::editControl()
{
    ControlDialog dialog(m_project, m_prompts, m_window);
    if (m_prompts.runModal(dialog) == QDialog::Accepted)
        controlAccepted();
}

void EditCommands::showControlModeless()
{
    if (m_controlModeless) {
        m_controlModeless->raise();
        m_controlModeless->activateWindow();
        return;
    }
    m_controlModeless = new ControlDialog(m_project, m_prompts, m_window);
    m_controlModeless->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_controlModeless, &QDialog::accepted, this, &EditCommands::controlAccepted);
    m_controlModeless->show();
}

void EditCommands::editHeights()
{
    if (!m_project.HasNodes()) {
        m_prompts.notice(msg::EnterRowsColsFirst);
        return;
    }
    if (m_nodeList) {
        m_nodeList->raise();
        m_nodeList->activateWindow();
        return;
    }
    m_nodeList = new NodeEntryDialog(m_project, m_window);
    m_nodeList->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_nodeList, &NodeEntryDialog::typed, &m_history, &ProjectHistory::commitTyped);
    connect(m_nodeList, &NodeEntryDialog::pasted, &m_history,
            [this](int, int count) { m_history.commitPasted(count); });
    connect(m_nodeList->grid()->selectionModel(), &QItemSelectionModel::currentChanged, &m_history,
            &ProjectHistory::endTyping);
    m_earthwork.watchNodeList(m_nodeList->model());
    m_nodeList->show();
}

void EditCommands::editGeoreference()
{
    const auto g = gis().editGeoreference(m_project.Georef, m_prompts, m_window);
    if (g && *g != m_project.Georef) {
        m_project.Georef = *g;
        m_history.commit(QStringLiteral("แก้พิกัดอ้างอิง"));
    }
}

NodeEntryDialog* EditCommands::nodeList() const
{
    return m_nodeList;
}

void EditCommands::followProject(bool sameNode)
{
    if (!m_nodeList)
        return;
    if (m_project.HasNodes() && sameNode)
        m_nodeList->refresh();
    else if (m_project.HasNodes())
        m_nodeList->reloadFromProject();
    else
        m_nodeList->close();
}

} // namespace tervan
