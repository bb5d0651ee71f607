#include "app/exportcommands.h"

#include "app/jobstatus.h"
#include "common/messages.h"
#include "common/progress.h"
#include "gis/gis.h"
#include "project/project.h"
#include "project/projectfile.h"
#include "project/ui/prompts.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QStatusBar>
#include <QtConcurrent/QtConcurrentRun>

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
    connect(&m_writing, &QFutureWatcher<QString>::finished, this, &ExportCommands::finished);
}

bool ExportCommands::exporting() const
{
    return m_writing.isRunning();
}

void ExportCommands::waitForExport()
{
    // The status bar's word goes once the result has been taken.
    while (m_busy)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
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
    if (exporting()) {
        m_prompts.notice(QStringLiteral("กำลังส่งออกแฟ้ม %1 อยู่ กรุณารอให้เสร็จก่อน").arg(m_shown));
        return;
    }
    if (!m_project.HasNodes()) {
        m_prompts.notice(msg::EnterRowsColsFirst);
        return;
    }
    QString picked = m_prompts.pickSaveName(gis().exportFilters(kind), m_lastName);
    if (picked.isEmpty())
        return;
    const ExportFormat* format = gis().exportFormatOf(kind, picked);
    if (!format) {
        m_prompts.notice(QStringLiteral("ไม่รู้จักชนิดของแฟ้ม %1 กรุณาตั้งชื่อแฟ้มให้ลงท้ายด้วย %2")
                             .arg(QDir::toNativeSeparators(picked), gis().exportSuffixes(kind)));
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
    // Written off the window's thread from a copy, so a large file never freezes the window
    // and later edits cannot reach a half-written one.
    m_shown = shown;
    m_progress = std::make_shared<Progress>();
    const auto snapshot = std::make_shared<const Project>(m_project);
    m_writing.setFuture(QtConcurrent::run([snapshot, format, picked, progress = m_progress] {
        return gis().exportProject(*snapshot, *format, picked, snapshot->ContourInterval,
                                   QDate::currentDate(), progress.get());
    }));
    // A format that traces as it writes says how far it is; the bar is busy until it does.
    m_busy = new JobStatus(m_status, QStringLiteral("Export"),
                           QStringLiteral("กำลังส่งออก %1").arg(QFileInfo(picked).fileName()),
                           QStringLiteral("หยุดส่งออก"), m_progress);
}

void ExportCommands::finished()
{
    delete m_busy;
    m_busy = nullptr;
    const QString failed = m_writing.result();
    if (failed == ExportCancelled)
        m_status->showMessage(failed, 10000);
    else if (!failed.isEmpty())
        m_prompts.notice(failed);
    else
        m_status->showMessage(QStringLiteral("ส่งออกไปที่แฟ้ม %1 แล้ว").arg(m_shown), 10000);
}

} // namespace tervan
