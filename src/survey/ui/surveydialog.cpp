#include "survey/ui/surveydialog.h"

#include "common/numbertext.h"
#include "project/fixedtext.h"

#include "project/projectfile.h"
#include "survey/coordinates.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableWidget>
#include <QThreadPool>
#include <QVBoxLayout>
#include <QtConcurrent>

namespace tervan {

namespace {

template <typename T> T* named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QComboBox* crsBox(const char* name, const QString& first, const QString& firstData)
{
    auto* box = named(new QComboBox, name);
    box->setEditable(true);
    box->addItem(first, firstData);
    for (const NamedCrs& c : thaiCrsList())
        box->addItem(QStringLiteral("%1 (EPSG:%2)").arg(c.name).arg(c.epsg),
                     QStringLiteral("EPSG:%1").arg(c.epsg));
    return box;
}

// The box's CRS: an item's own, else the typed text.
QString crsText(const QComboBox* box)
{
    const int i = box->findText(box->currentText());
    return i >= 0 ? box->itemData(i).toString() : box->currentText().trimmed();
}

} // namespace

SurveyDialog::SurveyDialog(Picker pickFile, QWidget* parent)
    : QDialog(parent), m_pickFile(std::move(pickFile))
{
    setObjectName(QStringLiteral("frmSurvey"));
    setWindowTitle(QStringLiteral("สร้างโครงการจากจุดสำรวจ"));

    m_file = named(new QLineEdit, "txtPointsFile");
    auto* browse = named(new QPushButton(QStringLiteral("เลือกแฟ้ม…")), "cmdPointsFile");
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file);
    fileRow->addWidget(browse);

    m_columns = named(new QComboBox, "cboColumns");
    m_columns->addItem(QStringLiteral("ตามหัวตาราง หรืออัตโนมัติ"), QString());
    for (const auto& [code, text] : {std::pair{"pnezd", "จุด, N, E, Z, คำอธิบาย"},
                                     {"penzd", "จุด, E, N, Z, คำอธิบาย"},
                                     {"nez", "N, E, Z"},
                                     {"enz", "E, N, Z"},
                                     {"xyz", "X, Y, Z"}})
        m_columns->addItem(QString::fromUtf8(text), QString::fromLatin1(code));
    m_preview = named(new QTableWidget, "tblPreview");
    m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_preview->setMaximumHeight(130);
    m_preview->verticalHeader()->hide();

    m_fromCrs = crsBox("cboFromCrs", QStringLiteral("ตามแฟ้ม (หรือพิกัดเดียวกับโครงการ)"), QString());
    m_fromCrs->insertItem(1, QStringLiteral("ละติจูด/ลองจิจูด WGS 84 (EPSG:4326)"),
                          QStringLiteral("EPSG:4326"));
    m_crs = crsBox("cboCrs", QStringLiteral("ไม่ระบุ"), QString());
    m_shift = named(new QComboBox, "cboDatumShift");
    m_shift->setEditable(true);
    m_shift->addItem(QStringLiteral("กรมแผนที่ทหาร 3 พารามิเตอร์ (206, 837, 295)"),
                     QString::fromLatin1(RtsdShift));
    for (const auto& [code, name] : {std::pair{1812, "Indian 1975 to WGS 84 (4), 3 ม."},
                                     {1304, "Indian 1975 to WGS 84 (2), 5 ม."}})
        m_shift->addItem(QStringLiteral("EPSG:%1 %2").arg(code).arg(QString::fromUtf8(name)),
                         QStringLiteral("EPSG:%1").arg(code));
    m_shift->setToolTip(QStringLiteral("ใช้เมื่อแปลงระหว่าง WGS 84 กับ Indian 1975 "
                                       "พิมพ์ EPSG:N ของการแปลงอื่นได้"));
    auto* like = named(new QPushButton(QStringLiteral("ใช้ตารางเดียวกับโครงการ…")), "cmdLikeProject");
    m_like = named(new QLabel, "lblLikeProject");

    m_boundary = named(new QComboBox, "cboBoundary");
    m_boundary->addItems({QStringLiteral("ตามแนวจุดสำรวจ (เว้าเข้าตามมุมที่ไม่ได้สำรวจ)"),
                          QStringLiteral("รูปหลายเหลี่ยมนูนล้อมจุดสำรวจ"), QStringLiteral("ไม่มี (ทั้งกริด)"),
                          QStringLiteral("จากแฟ้ม…")});
    m_boundary->setToolTip(QStringLiteral("พื้นที่นอกขอบเขตไม่นับในปริมาตรดินตัดดินถม "
                                          "และจุดกริดที่นั่นเป็นค่าประมาณ"));
    m_breaklines = named(new QLineEdit, "txtBreaklines");
    m_breaklines->setPlaceholderText(QStringLiteral("ไม่มี"));
    m_breaklines->setToolTip(QStringLiteral("เส้นสามมิติที่ผิวดินหักตาม เช่น ขอบคู ท้องคู ขอบถนน "
                                            "สันและตีนลาด"));
    auto* breaklinesBrowse = named(new QPushButton(QStringLiteral("เลือกแฟ้ม…")), "cmdBreaklines");
    auto* breaklinesRow = new QHBoxLayout;
    breaklinesRow->addWidget(m_breaklines);
    breaklinesRow->addWidget(breaklinesBrowse);

    m_spacing = named(new QSpinBox, "spnSpacing");
    m_spacing->setRange(1, 32767);
    m_spacing->setValue(10);
    m_spacing->setSuffix(QStringLiteral(" ม."));
    const auto coordinate = [](const char* name) {
        auto* box = named(new QDoubleSpinBox, name);
        box->setRange(-1e8, 1e8);
        box->setDecimals(3);
        return box;
    };
    m_originX = coordinate("spnOriginX");
    m_originY = coordinate("spnOriginY");
    auto* originRow = new QHBoxLayout;
    originRow->addWidget(new QLabel(QStringLiteral("E")));
    originRow->addWidget(m_originX, 1);
    originRow->addWidget(new QLabel(QStringLiteral("N")));
    originRow->addWidget(m_originY, 1);
    m_rows = named(new QSpinBox, "spnRows");
    m_cols = named(new QSpinBox, "spnCols");
    auto* sizeRow = new QHBoxLayout;
    for (auto [box, label] : {std::pair{m_rows, "แถว"}, {m_cols, "คอลัมน์"}}) {
        box->setRange(2, 32767);
        sizeRow->addWidget(box, 1);
        sizeRow->addWidget(new QLabel(QString::fromUtf8(label)));
    }
    m_method = named(new QComboBox, "cboMethod");
    m_method->addItems({QStringLiteral("เชิงเส้นบนโครงข่ายสามเหลี่ยม (TIN)"),
                        QStringLiteral("ระยะผกผัน 12 จุดที่ใกล้ที่สุด"), QStringLiteral("จุดที่ใกล้ที่สุด")});

    // Whose project: the headings of every printed page.
    m_projectName = named(new QLineEdit, "txtProjectName");
    m_projectName->setMaxLength(FixedText40::length);
    m_projectName->setPlaceholderText(QStringLiteral("ตามชื่อแฟ้มโครงการ"));
    m_engineer = named(new QLineEdit, "txtEngineer");
    m_engineer->setMaxLength(FixedText40::length);
    m_interval = named(new QDoubleSpinBox, "spnInterval");
    m_interval->setRange(0, 10000);
    m_interval->setDecimals(3);
    m_interval->setSuffix(QStringLiteral(" ม."));
    m_interval->setSpecialValueText(QStringLiteral("อัตโนมัติ"));
    m_interval->setToolTip(QStringLiteral("ช่วงชั้นความสูงของเส้นชั้นความสูง "
                                          "อัตโนมัติ: ค่ากลม ๆ ที่ให้เส้นไม่เกิน 60 ระดับ"));

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    form->addRow(QStringLiteral("แฟ้มจุดสำรวจ"), fileRow);
    form->addRow(QStringLiteral("ลำดับคอลัมน์"), m_columns);
    form->addRow(m_preview);
    form->addRow(QStringLiteral("ระบบพิกัดของจุด"), m_fromCrs);
    form->addRow(QStringLiteral("ระบบพิกัดของโครงการ"), m_crs);
    form->addRow(QStringLiteral("การแปลงพื้นหลักฐาน"), m_shift);
    auto* likeRow = new QHBoxLayout;
    likeRow->addWidget(like);
    likeRow->addWidget(m_like, 1);
    form->addRow(likeRow);
    form->addRow(QStringLiteral("ขอบเขตพื้นที่"), m_boundary);
    form->addRow(QStringLiteral("เส้นแนวหัก"), breaklinesRow);
    form->addRow(QStringLiteral("ระยะกริด"), m_spacing);
    form->addRow(QStringLiteral("จุดกริดแรก"), originRow);
    form->addRow(QStringLiteral("ขนาดกริด"), sizeRow);
    form->addRow(QStringLiteral("วิธีประมาณค่า"), m_method);
    form->addRow(QStringLiteral("ชื่อโครงการ"), m_projectName);
    form->addRow(QStringLiteral("วิศวกร"), m_engineer);
    form->addRow(QStringLiteral("ช่วงชั้นความสูง"), m_interval);

    m_picture = named(new QLabel, "picSurvey");
    m_picture->setFixedSize(420, 340);
    auto* suspectsLabel =
        named(new QLabel(QStringLiteral("จุดที่น่าสงสัย (เอาเครื่องหมายออกเพื่อไม่ใช้จุดนั้น)")), "lblSuspects");
    m_suspects = named(new QListWidget, "lstSuspects");
    m_suspects->setFixedWidth(420);
    m_suspects->setMaximumHeight(110);
    m_status = named(new QLabel, "lblSurveyStatus");
    m_status->setWordWrap(true);
    m_status->setFixedWidth(420);
    // Room for the usual lines, so the dialog does not jump as the messages change.
    m_status->setMinimumHeight(6 * m_status->fontMetrics().lineSpacing());
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_progress = named(new QProgressBar, "prgWork");
    m_cancelWork = named(new QPushButton(QStringLiteral("หยุด")), "cmdCancelWork");
    for (QWidget* w : std::initializer_list<QWidget*>{m_progress, m_cancelWork}) {
        QSizePolicy keep = w->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        w->setSizePolicy(keep);
    }
    auto* workRow = new QHBoxLayout;
    workRow->addWidget(m_progress, 1);
    workRow->addWidget(m_cancelWork);
    auto* buttons = new QDialogButtonBox;
    m_make = named(buttons->addButton(QStringLiteral("สร้างโครงการ"), QDialogButtonBox::AcceptRole),
                   "cmdMake");
    named(buttons->addButton(QStringLiteral("ยกเลิก"), QDialogButtonBox::RejectRole), "cmdCancel");

    auto* legend =
        named(new QLabel(QStringLiteral("<span style='color:darkgreen'>━ ขอบเขต</span>&nbsp;&nbsp; "
                                        "<span style='color:#1050e0'>━ เส้นแนวหัก</span>&nbsp;&nbsp; "
                                        "<span style='color:red'>○ จุดที่น่าสงสัย</span>&nbsp;&nbsp; "
                                        "<span style='color:gray'>⊘ จุดที่ไม่ใช้</span>")),
              "lblLegend");
    auto* right = new QVBoxLayout;
    right->addWidget(m_picture);
    right->addWidget(legend);
    right->addSpacing(6);
    right->addWidget(suspectsLabel);
    right->addWidget(m_suspects);
    right->addWidget(m_status);
    right->addStretch();
    right->addLayout(workRow);
    // The choices scroll where the screen is short (a 768-pixel laptop), so the dialog's buttons
    // and picture always stay on it.
    auto* choices = new QWidget;
    auto* packed = new QVBoxLayout(choices); // rows at their own height, the room below them
    packed->setContentsMargins(0, 0, 0, 0);
    packed->addLayout(form);
    packed->addStretch(1);
    auto* choicesArea = named(new QScrollArea, "scrChoices");
    choicesArea->setFrameShape(QFrame::NoFrame);
    choicesArea->setWidgetResizable(true);
    choicesArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    choicesArea->setWidget(choices);
    choicesArea->setMinimumWidth(choices->minimumSizeHint().width() +
                                 choicesArea->verticalScrollBar()->sizeHint().width());
    auto* top = new QHBoxLayout;
    top->setSpacing(18);
    top->addWidget(choicesArea, 1);
    top->addLayout(right);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(buttons);
    // Every choice in view where the screen has room for them, else as tall as the screen.
    QSize wanted = sizeHint().expandedTo(
        QSize(width(), choices->sizeHint().height() + buttons->sizeHint().height() + 40));
    if (const QScreen* screen = this->screen())
        wanted = wanted.boundedTo(screen->availableGeometry().size() - QSize(0, 60));
    resize(wanted);

    const auto pick = [this](const char* filter) {
        return m_pickFile ? m_pickFile(QString::fromUtf8(filter)) : QString();
    };
    connect(browse, &QPushButton::clicked, this, [this, pick] {
        const QString name = pick("จุดสำรวจ (*.csv *.txt *.dxf *.shp *.gpkg *.geojson *.json *.gpx "
                                  "*.kml);;ทุกแฟ้ม (*)");
        if (!name.isEmpty())
            loadPoints(name);
    });
    connect(like, &QPushButton::clicked, this, [this, pick] {
        const QString name = pick("โครงการ (*.gnd);;ทุกแฟ้ม (*)");
        if (!name.isEmpty())
            useGridOf(name);
    });
    connect(m_boundary, &QComboBox::activated, this, [this, pick](int i) {
        if (i == int(BoundaryChoice::File)) {
            const QString name =
                pick("ขอบเขต (*.dxf *.shp *.gpkg *.geojson *.json *.kml);;ทุกแฟ้ม (*)");
            if (!name.isEmpty()) {
                m_boundaryFile = name;
                m_boundary->setItemText(
                    i, QStringLiteral("จากแฟ้ม %1").arg(QFileInfo(name).fileName()));
            } else if (m_boundaryFile.isEmpty()) {
                // Nothing picked: the outline stays as it was.
                m_boundary->setCurrentIndex(m_boundaryIndex);
                return;
            }
        }
        m_boundaryIndex = i;
        surfaceChanged();
    });
    connect(breaklinesBrowse, &QPushButton::clicked, this, [this, pick] {
        const QString name = pick("เส้นแนวหัก (*.dxf *.shp *.gpkg *.geojson *.json);;ทุกแฟ้ม (*)");
        if (name.isEmpty())
            return;
        m_breaklines->setText(name);
        surfaceChanged();
    });
    connect(m_breaklines, &QLineEdit::editingFinished, this, &SurveyDialog::surfaceChanged);
    connect(m_file, &QLineEdit::editingFinished, this, &SurveyDialog::reload);
    for (QComboBox* box : {m_columns, m_fromCrs, m_crs, m_shift})
        connect(box, &QComboBox::currentTextChanged, this, &SurveyDialog::reload);
    connect(m_spacing, &QSpinBox::valueChanged, this, [this] {
        // A spacing of one's own lays the grid out anew, no longer the earlier project's.
        m_likeFrame.reset();
        m_like->clear();
        m_frame = frameAround(m_read.points ? *m_read.points : std::vector<SurveyPoint>{},
                              m_spacing->value());
        frameChanged();
    });
    for (QDoubleSpinBox* box : {m_originX, m_originY})
        connect(box, &QDoubleSpinBox::valueChanged, this, &SurveyDialog::surfaceChanged);
    for (QSpinBox* box : {m_rows, m_cols})
        connect(box, &QSpinBox::valueChanged, this, &SurveyDialog::surfaceChanged);
    connect(m_method, &QComboBox::currentIndexChanged, this, &SurveyDialog::surfaceChanged);
    connect(m_suspects, &QListWidget::itemChanged, this, &SurveyDialog::suspectsTicked);
    connect(buttons, &QDialogButtonBox::accepted, this, &SurveyDialog::make);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_cancelWork, &QPushButton::clicked, this, &SurveyDialog::stopWork);
    connect(&m_reading, &QFutureWatcherBase::finished, this, &SurveyDialog::pointsRead);
    connect(&m_gridding, &QFutureWatcherBase::finished, this, &SurveyDialog::surfaceMade);
    for (const QFutureWatcherBase* watcher :
         std::initializer_list<const QFutureWatcherBase*>{&m_reading, &m_gridding}) {
        connect(watcher, &QFutureWatcherBase::progressRangeChanged, m_progress,
                &QProgressBar::setRange);
        connect(watcher, &QFutureWatcherBase::progressValueChanged, m_progress,
                &QProgressBar::setValue);
        connect(watcher, &QFutureWatcherBase::progressTextChanged, m_progress,
                &QProgressBar::setFormat);
    }
    m_settle.setSingleShot(true);
    m_settle.setInterval(300);
    connect(&m_settle, &QTimer::timeout, this, &SurveyDialog::startSurface);
    workState();
    drawPicture();
}

void SurveyDialog::loadPoints(const QString& fileName)
{
    m_file->setText(fileName);
    reload();
}

std::optional<int> SurveyDialog::projectEpsg() const
{
    const QString text = crsText(m_crs);
    if (text.isEmpty())
        return 0;
    return epsgOf(text);
}

bool SurveyDialog::useGridOf(const QString& projectFile)
{
    const ProjectFileNames names = projectFileNames(projectFile);
    auto loaded = loadProjectFiles(names);
    QString problem;
    if (auto* data = std::get_if<ProjectFileData>(&loaded)) {
        checkGeoreferenceSystem(*data);
        Project p = startupProject();
        applyOpenedProject(p, std::move(*data), names);
        if (const auto frame = frameOf(p)) {
            m_likeFrame = frame;
            m_like->setText(QFileInfo(names.gnd).fileName());
            if (p.Georef->epsg > 0) {
                const QSignalBlocker quiet(m_crs);
                m_crs->setCurrentText(QStringLiteral("EPSG:%1").arg(p.Georef->epsg));
                if (const int i = m_crs->findData(m_crs->currentText()); i >= 0)
                    m_crs->setCurrentIndex(i);
            }
            {
                const QSignalBlocker quiet(m_spacing);
                m_spacing->setValue(frame->spacing);
            }
            reload();
            return true;
        }
        problem = QStringLiteral("โครงการนี้ไม่มีพิกัดอ้างอิง จึงใช้ตารางเดียวกันไม่ได้");
    } else {
        problem = QStringLiteral("เปิดโครงการนี้ไม่ได้");
    }
    m_status->setText(QStringLiteral("%1: %2").arg(QFileInfo(names.gnd).fileName(), problem));
    return false;
}

QThreadPool* SurveyDialog::workers()
{
    // Not Qt's global pool: the raster painter draws through that one, and must never wait
    // behind a survey being gridded. It ends with the application, after its last job.
    static QThreadPool* pool = new QThreadPool(QCoreApplication::instance());
    return pool;
}

bool SurveyDialog::isWorking() const
{
    return m_work != Work::None || m_settle.isActive();
}

void SurveyDialog::setEngineer(const QString& name)
{
    m_engineer->setText(name.trimmed());
}

QString SurveyDialog::engineer() const
{
    return m_engineer->text().trimmed();
}

void SurveyDialog::reload()
{
    m_reading.future().cancel();
    m_gridding.future().cancel();
    m_settle.stop();
    m_read = {};
    m_readNote.clear();
    m_made.reset();
    m_shown.reset();
    m_workProblem.clear();
    m_stopped.clear();
    m_makeWhenDone = false;
    m_suspects->clear();
    const QString name = m_file->text().trimmed();
    m_preview->clear();
    m_preview->setRowCount(0);
    if (QFile file(name); isTextPointsFile(name) && file.open(QIODevice::ReadOnly)) {
        const auto lines = previewFields(file, 5);
        m_preview->setRowCount(int(lines.size()));
        for (int r = 0; r < int(lines.size()); ++r) {
            m_preview->setColumnCount(std::max(m_preview->columnCount(), int(lines[r].size())));
            for (int c = 0; c < lines[r].size(); ++c)
                m_preview->setItem(r, c, new QTableWidgetItem(lines[r][c]));
        }
    }
    const auto to = projectEpsg();
    if (!to) {
        PointsMade refused;
        refused.problem = QStringLiteral("ไม่รู้จักระบบพิกัดของโครงการ");
        m_work = Work::None;
        takePoints(std::move(refused));
        return;
    }
    const PointsWork work{
        name,
        m_columns->currentData().toString(),
        {crsText(m_fromCrs), *to == 0 ? std::nullopt : std::optional<int>(*to), crsText(m_shift)}};
    m_work = Work::Reading;
    m_reading.setFuture(QtConcurrent::run(
        workers(), [work](QPromise<PointsMade>& promise) { readSurveyPoints(promise, work); }));
    showStatus();
    workState();
    drawPicture();
}

void SurveyDialog::pointsRead()
{
    const QFuture<PointsMade> future = m_reading.future();
    if (m_work != Work::Reading || future.isCanceled() || future.resultCount() == 0)
        return;
    m_work = Work::None;
    takePoints(future.result());
}

void SurveyDialog::takePoints(PointsMade read)
{
    m_read = std::move(read);
    const int to = projectEpsg().value_or(0);
    if (m_read.needsFromCrs) {
        m_read.problem += QStringLiteral(" เลือก \"ระบบพิกัดของจุด\"");
        m_fromCrs->setFocus();
    } else if (m_read.problem.isEmpty()) {
        PreparedPoints& prepared = m_read.prepared;
        // The system worked out from the points shows in the box, for the user to see and
        // change.
        const int shown = prepared.epsg > 0          ? prepared.epsg
                          : !prepared.offers.empty() ? prepared.offers.front()
                                                     : 0;
        if (to == 0 && shown > 0) {
            const QSignalBlocker quiet(m_crs);
            const int i = m_crs->findData(QStringLiteral("EPSG:%1").arg(shown));
            if (i >= 0)
                m_crs->setCurrentIndex(i);
            else
                m_crs->setCurrentText(QStringLiteral("EPSG:%1").arg(shown));
            prepared.epsg = shown;
        }
        if (!prepared.offers.empty())
            m_readNote =
                QStringLiteral("พิกัดอยู่ในช่วง UTM %1 ในประเทศไทย จึงเลือกระบบพิกัดนี้ไว้ให้ โปรดตรวจสอบ")
                    .arg(prepared.offers.size() > 1 ? QStringLiteral("47N หรือ 48N")
                                                    : crsName(shown).section(' ', -1));
        if (!prepared.shift.warning.isEmpty())
            m_readNote +=
                (m_readNote.isEmpty() ? QString() : QStringLiteral("\n")) + prepared.shift.warning;
    }
    m_frame = m_likeFrame.value_or(frameAround(
        m_read.points ? *m_read.points : std::vector<SurveyPoint>{}, m_spacing->value()));
    frameChanged();
}

void SurveyDialog::frameChanged()
{
    for (auto [box, value] : {std::pair{m_originX, m_frame.x0}, {m_originY, m_frame.y0}}) {
        const QSignalBlocker quiet(box);
        box->setValue(value);
    }
    for (auto [box, value] : {std::pair{m_rows, m_frame.rows}, {m_cols, m_frame.cols}}) {
        const QSignalBlocker quiet(box);
        box->setValue(value);
    }
    startSurface();
}

GridFrame SurveyDialog::frameInBoxes() const
{
    return {m_originX->value(), m_originY->value(), m_spacing->value(), m_rows->value(),
            m_cols->value()};
}

void SurveyDialog::surfaceChanged()
{
    // While reading, the grid follows the points' arrival with every choice then shown.
    if (m_work == Work::Reading)
        return drawPicture();
    m_gridding.future().cancel();
    if (m_work == Work::Gridding)
        m_work = Work::None;
    m_made.reset();
    m_stopped.clear();
    m_settle.start();
    showStatus();
    workState();
    drawPicture();
}

void SurveyDialog::startSurface()
{
    m_settle.stop();
    if (m_work == Work::Reading)
        return;
    m_gridding.future().cancel();
    m_made.reset();
    m_workProblem.clear();
    m_stopped.clear();
    const GridFrame frame = frameInBoxes();
    if (!m_read.points || m_read.points->size() < 3 || spacingNeeded(frame)) {
        m_work = Work::None;
        m_makeWhenDone = false;
        showStatus();
        workState();
        drawPicture();
        emit workEnded();
        return;
    }
    SurfaceWork work;
    work.points = m_read.points;
    work.pointsRead = m_read.pointsRead;
    work.epsg = m_read.prepared.epsg;
    work.datumShift = crsText(m_shift);
    work.boundary = BoundaryChoice(m_boundaryIndex);
    work.boundaryFile = m_boundaryFile;
    work.breaklinesFile = m_breaklines->text().trimmed();
    for (int i = 0; i < m_suspects->count(); ++i)
        if (m_suspects->item(i)->checkState() == Qt::Unchecked)
            work.excluded << m_suspects->item(i)->data(Qt::UserRole).toString();
    work.frame = frame;
    work.method = GridMethod(m_method->currentIndex());
    m_work = Work::Gridding;
    m_gridding.setFuture(QtConcurrent::run(
        workers(), [work](QPromise<SurfaceMade>& promise) { makeSurveySurface(promise, work); }));
    showStatus();
    workState();
    drawPicture();
}

void SurveyDialog::surfaceMade()
{
    const QFuture<SurfaceMade> future = m_gridding.future();
    if (m_work != Work::Gridding || future.isCanceled() || future.resultCount() == 0)
        return;
    m_work = Work::None;
    SurfaceMade made = future.result();
    if (!made.problem.isEmpty()) {
        m_workProblem = made.problem;
        m_makeWhenDone = false;
        m_shown.reset();
    } else {
        // The list is the shots the user left out, still unticked so they can be taken back,
        // then the suspects of this grid, ticked; shots no longer suspect leave it.
        const QSignalBlocker quiet(m_suspects);
        QSet<QString> left;
        for (int i = m_suspects->count() - 1; i >= 0; --i) {
            if (m_suspects->item(i)->checkState() == Qt::Unchecked)
                left.insert(m_suspects->item(i)->data(Qt::UserRole).toString());
            else
                delete m_suspects->takeItem(i);
        }
        for (const ShotPlace& s : made.suspects) {
            if (left.contains(s.name))
                continue;
            auto* item = new QListWidgetItem(
                QStringLiteral("จุด %1   %2 ม.").arg(s.name, QString::number(s.residual, 'f', 3)),
                m_suspects);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Checked);
            item->setData(Qt::UserRole, s.name);
            item->setData(Qt::UserRole + 1, QPointF(s.x, s.y));
        }
        m_shown = std::make_shared<const SurfaceMade>(made);
        m_made = std::move(made);
    }
    showStatus();
    workState();
    drawPicture();
    if (m_makeWhenDone && m_made)
        finish();
    emit workEnded();
}

void SurveyDialog::suspectsTicked()
{
    surfaceChanged();
}

SurveyDialog::~SurveyDialog()
{
    // QDialog's destructor hides the dialog and so takes the focus out of the file box; by then
    // nothing of this dialog may answer, and the work in hand is nobody's.
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
    m_settle.stop();
    m_reading.disconnect();
    m_gridding.disconnect();
    m_reading.future().cancel();
    m_gridding.future().cancel();
}

void SurveyDialog::stopWork()
{
    const bool reading = m_work == Work::Reading;
    m_reading.future().cancel();
    m_gridding.future().cancel();
    m_settle.stop();
    m_work = Work::None;
    m_makeWhenDone = false;
    m_made.reset();
    if (reading) {
        m_read = {};
        m_shown.reset();
        m_stopped = QStringLiteral("หยุดอ่านจุดสำรวจแล้ว");
    } else {
        m_stopped = QStringLiteral("หยุดสร้างกริดแล้ว กด \"สร้างโครงการ\" เพื่อสร้างต่อ");
    }
    showStatus();
    workState();
    drawPicture();
    emit workEnded();
}

void SurveyDialog::workState()
{
    const bool busy = isWorking();
    m_progress->setVisible(busy);
    m_cancelWork->setVisible(busy);
    m_cancelWork->setEnabled(busy);
    if (!busy) {
        m_progress->setRange(0, 0);
        m_progress->setFormat(QString());
    }
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
    // Pressed while the points are read, "Make" closes once their grid is made.
    m_make->setEnabled(
        !m_makeWhenDone &&
        (m_work == Work::Reading || (m_read.points && m_read.points->size() >= 3 &&
                                     m_workProblem.isEmpty() && !spacingNeeded(frameInBoxes()))));
}

void SurveyDialog::showStatus()
{
    QStringList lines;
    if (!m_read.problem.isEmpty())
        lines << m_read.problem.trimmed().left(600);
    else if (m_read.points)
        lines << QStringLiteral("อ่านได้ %1 จุด").arg(m_read.points->size());
    if (!m_readNote.isEmpty())
        lines << m_readNote;
    if (const auto tooMany = spacingNeeded(frameInBoxes()); tooMany && m_read.points)
        lines << QStringLiteral("กริดมีจุดเกิน 32767 จุด ระยะกริดที่เล็กที่สุดที่ใช้ได้คือ %1 เมตร").arg(*tooMany);
    if (!m_workProblem.isEmpty())
        lines << m_workProblem;
    if (!m_stopped.isEmpty())
        lines << m_stopped;
    if (m_made) {
        const GridQuality& q = m_made->quality;
        QString made = QStringLiteral("จุดกริดที่ประมาณค่า %1 จุด").arg(q.nodesEstimated);
        if (!m_made->outline.empty())
            made += QStringLiteral(" พื้นที่ในขอบเขต %L1 ตร.ม. (%2 ไร่-งาน-ตารางวา)")
                        .arg(outlineArea(m_made->outline), 0, 'f', 0)
                        .arg(raiNganWa(outlineArea(m_made->outline)));
        if (q.breaklines > 0)
            made += QStringLiteral(" เส้นแนวหัก %1 เส้น").arg(q.breaklines);
        lines << made;
        if (!q.excluded.isEmpty())
            lines << QStringLiteral("ไม่ใช้จุด %1").arg(q.excluded.join(QStringLiteral(", ")));
    }
    m_status->setText(lines.join(QLatin1Char('\n')));
}

void SurveyDialog::drawPicture()
{
    const GridFrame f = frameInBoxes();
    QPixmap pixmap(m_picture->size());
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    double xMin = f.x0, xMax = f.x0 + (f.cols - 1) * f.spacing, yMin = f.y0,
           yMax = f.y0 + (f.rows - 1) * f.spacing;
    if (m_read.points && !m_read.points->empty()) {
        const QRectF& e = m_read.extent;
        xMin = std::min(xMin, e.left()), xMax = std::max(xMax, e.right());
        yMin = std::min(yMin, e.top()), yMax = std::max(yMax, e.bottom());
    }
    const double scale = std::min((pixmap.width() - 20) / std::max(xMax - xMin, 1e-9),
                                  (pixmap.height() - 20) / std::max(yMax - yMin, 1e-9));
    const auto at = [&](double x, double y) {
        return QPointF(10 + (x - xMin) * scale, pixmap.height() - 10 - (y - yMin) * scale);
    };
    painter.setPen(QPen(QColor(0xb0, 0xb0, 0xb0), 0));
    if (!spacingNeeded(f) && f.rows * f.cols <= 40000) {
        for (int r = 0; r < f.rows; ++r)
            painter.drawLine(at(f.x0, f.y0 + r * f.spacing),
                             at(f.x0 + (f.cols - 1) * f.spacing, f.y0 + r * f.spacing));
        for (int c = 0; c < f.cols; ++c)
            painter.drawLine(at(f.x0 + c * f.spacing, f.y0),
                             at(f.x0 + c * f.spacing, f.y0 + (f.rows - 1) * f.spacing));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x30, 0x30, 0x30));
    const double dot = m_read.drawn.size() > 2000 ? 1 : 2;
    for (const QPointF& p : m_read.drawn)
        painter.drawEllipse(at(p.x(), p.y()), dot, dot);
    if (m_shown) {
        QPolygonF outline;
        for (const auto& [x, y] : m_shown->outline)
            outline << at(x, y);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::darkGreen, 2));
        painter.drawPolygon(outline);
        painter.setPen(QPen(QColor(0x10, 0x50, 0xe0), 2));
        for (const Breakline& line : m_shown->breaklines) {
            QPolygonF drawn;
            for (const BreakVertex& v : line.vertices)
                drawn << at(v.x, v.y);
            painter.drawPolyline(drawn);
        }
    }
    // Suspects ringed in red; those left out greyed and struck through.
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < m_suspects->count(); ++i) {
        const QListWidgetItem* item = m_suspects->item(i);
        const QPointF p = item->data(Qt::UserRole + 1).toPointF();
        const QPointF c = at(p.x(), p.y());
        const bool used = item->checkState() == Qt::Checked;
        painter.setPen(QPen(used ? Qt::red : Qt::gray, 2));
        painter.drawEllipse(c, 6, 6);
        if (!used)
            painter.drawLine(c + QPointF(-5, -5), c + QPointF(5, 5));
    }
    painter.end();
    m_picture->setPixmap(pixmap);
}

void SurveyDialog::make()
{
    if (m_made)
        return finish();
    if (!m_read.points && m_work != Work::Reading)
        return;
    m_makeWhenDone = true;
    if (m_work == Work::None)
        startSurface();
    workState();
}

void SurveyDialog::finish()
{
    m_makeWhenDone = false;
    m_frame = m_made->frame;
    m_quality = m_made->quality;
    const int epsg = projectEpsg().value_or(0);
    // Left empty, the name and engineer stay so: the printed heading then names the project
    // by the file it is saved to, never by the survey file.
    m_project = projectFromGrid(m_frame, m_made->grid,
                                clusterPrefix(m_projectName->text().trimmed(), FixedText40::length),
                                epsg, float(m_interval->value()));
    m_project.EngineerName = clusterPrefix(engineer(), FixedText40::length);
    const PreparedPoints& prepared = m_read.prepared;
    m_project.Georef->datumShift = prepared.shift.key;
    m_project.Georef->outline = m_made->outline;
    m_heading = coordinateLines(epsg, prepared.fromCrs, prepared.shift.key);
    if (!prepared.shift.warning.isEmpty())
        m_heading << prepared.shift.warning;
    accept();
}

void SurveyDialog::done(int result)
{
    // Work still running ends at its next step; its answer is dropped.
    m_reading.future().cancel();
    m_gridding.future().cancel();
    m_settle.stop();
    m_work = Work::None;
    unsetCursor();
    QDialog::done(result);
}

} // namespace tervan
