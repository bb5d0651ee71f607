#include "app/heightscommands.h"

#include "common/messages.h"
#include "project/heightscsv.h"
#include "project/project.h"
#include "project/projectfile.h"
#include "project/ui/centreddialog.h"
#include "project/ui/dialogparts.h"
#include "project/ui/prompts.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QSaveFile>
#include <QStatusBar>
#include <QThread>
#include <QVBoxLayout>

namespace tervan {

// A finished read and what it was read for.
struct ImportRead
{
    HeightsRead read;
    QString path;
    Project grid;
};

namespace {

const QString CsvFilter = QStringLiteral("CSV (*.csv *.txt)");
constexpr int StatusMillis = 10000;
// Smaller files read in a blink; larger ones go to a thread of their own.
constexpr qint64 InlineBytes = 256 * 1024;

// A lead line over a list that scrolls, and OK.
void showList(Prompts& prompts, QWidget* parent, const char* name, const char* listName,
              const QString& lead, const QStringList& rows)
{
    CentredDialog dialog(parent);
    dialog.setObjectName(QLatin1String(name));
    dialog.setWindowTitle(QStringLiteral("นำเข้าค่าระดับ"));
    auto* label = new QLabel(lead, &dialog);
    label->setWordWrap(true);
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QLatin1String(listName));
    list->addItems(rows);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("&ตกลง"), QDialogButtonBox::AcceptRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(list, 1);
    layout->addWidget(buttons);
    dialog.resize(560, 360);
    prompts.runModal(dialog);
}

// Which of the two coordinate columns is east, shown with the file's first lines.
std::optional<CsvColumns> askColumnOrder(Prompts& prompts, QWidget* parent,
                                         const ColumnOrderUnknown& unknown)
{
    CentredDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("frmColumnOrder"));
    dialog.setWindowTitle(QStringLiteral("ลำดับคอลัมน์"));
    auto* fields = new QVBoxLayout;
    auto* question = new QLabel(columnOrderQuestion(), &dialog);
    question->setWordWrap(true);
    fields->addWidget(question);
    auto* sample = new QLabel(unknown.sample.join(u'\n'), &dialog);
    sample->setObjectName(QStringLiteral("lblSample"));
    sample->setTextFormat(Qt::PlainText);
    sample->setFrameShape(QFrame::StyledPanel);
    fields->addWidget(sample);
    const bool named = unknown.fields >= 4;
    auto* eastFirst =
        new QRadioButton(named ? QStringLiteral("ชื่อจุด, ตะวันออก (E, X), เหนือ (N, Y), ค่าระดับ")
                               : QStringLiteral("ตะวันออก (E, X), เหนือ (N, Y), ค่าระดับ"),
                         &dialog);
    eastFirst->setObjectName(QStringLiteral("optEastFirst"));
    auto* northFirst =
        new QRadioButton(named ? QStringLiteral("ชื่อจุด, เหนือ (N, Y), ตะวันออก (E, X), ค่าระดับ")
                               : QStringLiteral("เหนือ (N, Y), ตะวันออก (E, X), ค่าระดับ"),
                         &dialog);
    northFirst->setObjectName(QStringLiteral("optNorthFirst"));
    fields->addWidget(eastFirst);
    fields->addWidget(northFirst);
    eastFirst->setChecked(true);
    eastFirst->setFocus();
    layOutWithButtons(&dialog, fields, [&dialog] { dialog.accept(); });
    if (prompts.runModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    static const char* const codes[][2] = {{"xyz", "nez"}, {"pxyz", "pnez"}, {"penzd", "pnezd"}};
    return columnsFromCode(
        QString::fromLatin1(codes[std::clamp(unknown.fields, 3, 5) - 3][northFirst->isChecked()]));
}

bool sameGrid(const Project& a, const Project& b)
{
    return a.GridRows == b.GridRows && a.GridCols == b.GridCols && a.GridSpacing == b.GridSpacing &&
           a.NodeCount == b.NodeCount && a.GndFileName == b.GndFileName;
}

HeightsRead readFile(const QString& path, const Project& grid, const HeightsCsvOptions& options)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::vector<HeightLineError>{
            {0, msg::cannotOpenFile(QDir::toNativeSeparators(path))}};
    return readHeightsCsv(file, grid, options);
}

} // namespace

HeightsCommands::HeightsCommands(Project& project, Prompts& prompts, QStatusBar* status,
                                 QWidget* parent)
    : QObject(parent), m_project(project), m_prompts(prompts), m_status(status), m_parent(parent),
      m_progress(new QProgressBar(status))
{
    m_progress->setObjectName(QStringLiteral("prgImport"));
    m_progress->setRange(0, 100);
    m_progress->setMaximumWidth(200);
    m_status->addPermanentWidget(m_progress);
    m_progress->hide();
}

HeightsCommands::~HeightsCommands()
{
    if (m_worker) {
        m_worker->wait();
        delete m_worker;
    }
}

void HeightsCommands::importHeights()
{
    if (m_worker) {
        m_status->showMessage(QStringLiteral("กำลังอ่านแฟ้มค่าระดับอยู่ โปรดรอ"), StatusMillis);
        return;
    }
    if (!m_project.HasNodes()) {
        m_prompts.notice(msg::EnterRowsColsFirst);
        return;
    }
    const QString picked = m_prompts.pickOpenName(CsvFilter, m_lastName);
    if (picked.isEmpty())
        return;
    m_lastName = picked;
    if (!QFileInfo(picked).isFile() || !QFile(picked).open(QIODevice::ReadOnly)) {
        m_prompts.notice(msg::cannotOpenFile(QDir::toNativeSeparators(picked)));
        return;
    }
    startReading(picked, std::nullopt);
}

void HeightsCommands::startReading(const QString& path, std::optional<CsvColumns> columns)
{
    if (QFileInfo(path).size() <= InlineBytes) {
        finishReading({readFile(path, m_project, {columns, {}}), path, m_project});
        return;
    }
    m_progress->setValue(0);
    m_progress->show();
    m_status->showMessage(QStringLiteral("กำลังอ่านแฟ้ม %1").arg(QDir::toNativeSeparators(path)));
    // The worker reads a copy of the grid; the window may go on changing its own.
    m_worker = QThread::create([this, path, columns, grid = m_project] {
        const auto progress = [this](int percent) {
            QMetaObject::invokeMethod(
                this,
                [this, percent] {
                    if (m_progress)
                        m_progress->setValue(percent);
                },
                Qt::QueuedConnection);
        };
        ImportRead done{readFile(path, grid, {columns, progress}), path, grid};
        QMetaObject::invokeMethod(
            this, [this, done = std::move(done)] { finishReading(done); }, Qt::QueuedConnection);
    });
    m_worker->start();
}

void HeightsCommands::finishReading(const ImportRead& done)
{
    if (m_worker) {
        m_worker->wait();
        delete m_worker;
        m_worker = nullptr;
    }
    if (m_progress)
        m_progress->hide();
    m_status->clearMessage();
    const QString shown = QDir::toNativeSeparators(done.path);
    if (!sameGrid(done.grid, m_project)) {
        m_prompts.notice(
            QStringLiteral("โครงการเปลี่ยนไประหว่างอ่านแฟ้ม %1 จึงไม่ได้นำเข้าค่าระดับ").arg(shown));
    } else if (const auto* errors = std::get_if<std::vector<HeightLineError>>(&done.read)) {
        QStringList rows;
        for (const HeightLineError& e : *errors)
            rows << (e.line > 0 ? QStringLiteral("บรรทัดที่ %1: %2").arg(e.line).arg(e.reason)
                                : e.reason);
        showList(m_prompts, m_parent, "frmImportErrors", "lstErrors",
                 QStringLiteral("ไม่ได้นำเข้าค่าระดับจากแฟ้ม %1 เพราะมีข้อผิดพลาดตามรายการนี้ "
                                "ค่าระดับในโครงการไม่เปลี่ยน")
                     .arg(shown),
                 rows);
    } else if (const auto* unknown = std::get_if<ColumnOrderUnknown>(&done.read)) {
        if (const auto columns = askColumnOrder(m_prompts, m_parent, *unknown)) {
            startReading(done.path, columns);
            return;
        }
    } else {
        const auto& taken = std::get<HeightsTaken>(done.read);
        applyHeights(m_project, taken.heights);
        const QString said =
            QStringLiteral("นำเข้าค่าระดับ %1 จุด จากแฟ้ม %2").arg(taken.heights.size()).arg(shown);
        const std::vector<int> missing = nodesNotGiven(m_project, taken.heights);
        if (!missing.empty() || !taken.notes.isEmpty()) {
            QStringList rows = taken.notes;
            if (!missing.empty())
                rows << QStringLiteral("ไม่มีค่าระดับในแฟ้มสำหรับ %1 จุด ค่าระดับของจุดเหล่านี้ไม่เปลี่ยน:")
                            .arg(missing.size())
                     << nodeRuns(missing);
            showList(m_prompts, m_parent, "frmImportResult", "lstResult", said, rows);
        }
        m_status->showMessage(said, StatusMillis);
        emit imported();
    }
    emit importFinished();
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
    const bool written = isRegularFileTarget(picked) && out.open(QIODevice::WriteOnly) &&
                         out.write(bytes) == bytes.size() && out.flush() &&
                         out.error() == QFileDevice::NoError && out.commit();
    if (!written) {
        m_prompts.notice(msg::cannotSaveFile(shown));
        return;
    }
    m_status->showMessage(
        QStringLiteral("ส่งออกค่าระดับ %1 จุด ไปที่แฟ้ม %2").arg(m_project.NodeCount).arg(shown),
        StatusMillis);
}

} // namespace tervan
