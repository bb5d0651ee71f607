#include "app/heightscommands.h"

#include "common/messages.h"
#include "project/heightscsv.h"
#include "project/project.h"
#include "project/ui/centreddialog.h"
#include "project/ui/prompts.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QSaveFile>
#include <QStatusBar>
#include <QVBoxLayout>

namespace tervan {

namespace {

const QString CsvFilter = QStringLiteral("CSV (*.csv *.txt)");
constexpr int StatusMillis = 10000;

// Every refused line with its number and reason, in a list that scrolls.
void showLineErrors(Prompts& prompts, QWidget* parent, const QString& file,
                    const std::vector<HeightLineError>& errors)
{
    CentredDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("frmImportErrors"));
    dialog.setWindowTitle(QStringLiteral("นำเข้าค่าระดับ"));
    auto* lead = new QLabel(QStringLiteral("ไม่ได้นำเข้าค่าระดับจากแฟ้ม %1 เพราะมีข้อผิดพลาด %2 รายการ "
                                           "ค่าระดับในโครงการไม่เปลี่ยน")
                                .arg(file)
                                .arg(errors.size()),
                            &dialog);
    lead->setWordWrap(true);
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("lstErrors"));
    for (const HeightLineError& e : errors)
        list->addItem(e.line > 0 ? QStringLiteral("บรรทัดที่ %1: %2").arg(e.line).arg(e.reason)
                                 : e.reason);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("&ตกลง"), QDialogButtonBox::AcceptRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(lead);
    layout->addWidget(list, 1);
    layout->addWidget(buttons);
    dialog.resize(560, 360);
    prompts.runModal(dialog);
}

} // namespace

HeightsCommands::HeightsCommands(Project& project, Prompts& prompts, QStatusBar* status,
                                 QWidget* parent)
    : QObject(parent), m_project(project), m_prompts(prompts), m_status(status), m_parent(parent)
{
}

void HeightsCommands::importHeights()
{
    if (!m_project.HasNodes()) {
        m_prompts.notice(msg::EnterRowsColsFirst);
        return;
    }
    const QString picked = m_prompts.pickOpenName(CsvFilter, m_lastName);
    if (picked.isEmpty())
        return;
    m_lastName = picked;
    const QString shown = QDir::toNativeSeparators(picked);
    QFile file(picked);
    if (!QFileInfo(picked).isFile() || !file.open(QIODevice::ReadOnly)) {
        m_prompts.notice(msg::cannotOpenFile(shown));
        return;
    }
    const HeightsRead read = readHeightsCsv(file, m_project);
    if (const auto* errors = std::get_if<std::vector<HeightLineError>>(&read)) {
        showLineErrors(m_prompts, m_parent, shown, *errors);
        return;
    }
    const auto& heights = std::get<std::vector<NodeHeight>>(read);
    applyHeights(m_project, heights);
    m_status->showMessage(
        QStringLiteral("นำเข้าค่าระดับ %1 จุด จากแฟ้ม %2").arg(heights.size()).arg(shown), StatusMillis);
    emit imported();
}

void HeightsCommands::exportHeights()
{
    if (!m_project.HasNodes()) {
        m_prompts.notice(msg::EnterRowsColsFirst);
        return;
    }
    QString picked = m_prompts.pickSaveName(QStringLiteral("CSV (*.csv)"), m_lastName);
    if (picked.isEmpty())
        return;
    m_lastName = picked;
    const QString shown = QDir::toNativeSeparators(picked);
    if (QFileInfo::exists(picked) && !m_prompts.ask(msg::replaceFile(shown)))
        return;
    const QByteArray bytes = writeHeightsCsv(m_project);
    QSaveFile out(picked);
    out.setDirectWriteFallback(true);
    const bool written = (!QFileInfo::exists(picked) || QFileInfo(picked).isFile()) &&
                         out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() &&
                         out.flush() && out.error() == QFileDevice::NoError && out.commit();
    if (!written) {
        m_prompts.notice(msg::cannotSaveFile(shown));
        return;
    }
    m_status->showMessage(
        QStringLiteral("ส่งออกค่าระดับ %1 จุด ไปที่แฟ้ม %2").arg(m_project.NodeCount).arg(shown),
        StatusMillis);
}

} // namespace tervan
