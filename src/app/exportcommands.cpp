#include "app/exportcommands.h"

#include "common/messages.h"
#include "exchange/exchange.h"
#include "project/project.h"
#include "project/projectfile.h"
#include "project/ui/prompts.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QStatusBar>

namespace tervan {

ExportCommands::ExportCommands(QMenu* fileMenu, Project& project, Prompts& prompts,
                               QStatusBar* status, QWidget* parent)
    : QObject(parent), m_project(project), m_prompts(prompts), m_status(status)
{
    QAction* before = fileMenu->findChild<QAction*>(QStringLiteral("mnuFileFree3"));
    auto add = [&](const char* name, const QString& text, void (ExportCommands::*slot)()) {
        auto* action = new QAction(text, fileMenu);
        action->setObjectName(QLatin1String(name));
        fileMenu->insertAction(before, action);
        connect(action, &QAction::triggered, this, slot);
    };
    add("mnuFileExportContours", QStringLiteral("ส่งออกเส้นชั้นความสูง…"),
        &ExportCommands::exportContours);
    add("mnuFileExportSurface", QStringLiteral("ส่งออกพื้นผิว…"), &ExportCommands::exportSurface);
}

void ExportCommands::exportContours()
{
    run(int(ExportKind::Contours));
}

void ExportCommands::exportSurface()
{
    run(int(ExportKind::Surface));
}

void ExportCommands::run(int kindIndex)
{
    const auto kind = ExportKind(kindIndex);
    if (!m_project.HasNodes()) {
        m_prompts.notice(msg::EnterRowsColsFirst);
        return;
    }
    QString picked = m_prompts.pickSaveName(exportFilters(kind), m_lastName);
    if (picked.isEmpty())
        return;
    const ExportFormat* format = exportFormatOf(kind, picked);
    if (!format) {
        m_prompts.notice(QStringLiteral("ไม่รู้จักชนิดของแฟ้ม %1 กรุณาตั้งชื่อแฟ้มให้ลงท้ายด้วย %2")
                             .arg(QDir::toNativeSeparators(picked), exportSuffixes(kind)));
        return;
    }
    m_lastName = picked;
    const QString shown = QDir::toNativeSeparators(picked);
    if (!isRegularFileTarget(picked)) {
        m_prompts.notice(msg::cannotSaveFile(shown));
        return;
    }
    if (QFileInfo::exists(picked) && !m_prompts.ask(msg::replaceFile(shown)))
        return;
    const QString failed =
        exportProject(m_project, *format, picked, m_project.ContourInterval, QDate::currentDate());
    if (!failed.isEmpty()) {
        m_prompts.notice(failed);
        return;
    }
    m_status->showMessage(QStringLiteral("ส่งออกไปที่แฟ้ม %1 แล้ว").arg(shown), 10000);
}

} // namespace tervan
