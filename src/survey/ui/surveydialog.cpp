#include "survey/ui/surveydialog.h"

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
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextDocument>
#include <QVBoxLayout>

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
    originRow->addWidget(m_originX);
    originRow->addWidget(new QLabel(QStringLiteral("N")));
    originRow->addWidget(m_originY);
    m_rows = named(new QSpinBox, "spnRows");
    m_cols = named(new QSpinBox, "spnCols");
    auto* sizeRow = new QHBoxLayout;
    for (auto [box, label] : {std::pair{m_rows, "แถว"}, {m_cols, "คอลัมน์"}}) {
        box->setRange(2, 32767);
        sizeRow->addWidget(box);
        sizeRow->addWidget(new QLabel(QString::fromUtf8(label)));
    }
    m_method = named(new QComboBox, "cboMethod");
    m_method->addItems({QStringLiteral("เชิงเส้นบนโครงข่ายสามเหลี่ยม (TIN)"),
                        QStringLiteral("ระยะผกผัน 12 จุดที่ใกล้ที่สุด"), QStringLiteral("จุดที่ใกล้ที่สุด")});

    auto* form = new QFormLayout;
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
    form->addRow(QStringLiteral("ระยะกริด"), m_spacing);
    form->addRow(QStringLiteral("จุดกริดแรก"), originRow);
    form->addRow(QStringLiteral("ขนาดกริด"), sizeRow);
    form->addRow(QStringLiteral("วิธีประมาณค่า"), m_method);

    m_picture = named(new QLabel, "picSurvey");
    m_picture->setFixedSize(420, 360);
    m_status = named(new QLabel, "lblSurveyStatus");
    m_status->setWordWrap(true);
    auto* buttons = new QDialogButtonBox;
    m_make = named(buttons->addButton(QStringLiteral("สร้างโครงการ"), QDialogButtonBox::AcceptRole),
                   "cmdMake");
    named(buttons->addButton(QStringLiteral("ยกเลิก"), QDialogButtonBox::RejectRole), "cmdCancel");

    auto* right = new QVBoxLayout;
    right->addWidget(m_picture);
    right->addWidget(m_status);
    right->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(form, 1);
    top->addLayout(right);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(buttons);

    connect(browse, &QPushButton::clicked, this, [this] {
        const QString name =
            m_pickFile
                ? m_pickFile(QStringLiteral("จุดสำรวจ (*.csv *.txt *.dxf *.shp *.gpkg *.geojson "
                                            "*.json *.gpx *.kml);;ทุกแฟ้ม (*)"))
                : QString();
        if (!name.isEmpty())
            loadPoints(name);
    });
    connect(like, &QPushButton::clicked, this, [this] {
        const QString name =
            m_pickFile ? m_pickFile(QStringLiteral("โครงการ (*.gnd);;ทุกแฟ้ม (*)")) : QString();
        if (!name.isEmpty())
            useGridOf(name);
    });
    connect(m_file, &QLineEdit::editingFinished, this, &SurveyDialog::reload);
    for (QComboBox* box : {m_columns, m_fromCrs, m_crs, m_shift})
        connect(box, &QComboBox::currentTextChanged, this, &SurveyDialog::reload);
    connect(m_spacing, &QSpinBox::valueChanged, this, [this] {
        // A spacing of one's own lays the grid out anew, no longer the earlier project's.
        m_likeFrame.reset();
        m_like->clear();
        m_frame = frameAround(m_points, m_spacing->value());
        frameChanged();
    });
    for (QDoubleSpinBox* box : {m_originX, m_originY})
        connect(box, &QDoubleSpinBox::valueChanged, this, &SurveyDialog::drawPicture);
    for (QSpinBox* box : {m_rows, m_cols})
        connect(box, &QSpinBox::valueChanged, this, &SurveyDialog::drawPicture);
    connect(buttons, &QDialogButtonBox::accepted, this, &SurveyDialog::make);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_make->setEnabled(false);
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

void SurveyDialog::reload()
{
    const QString name = m_file->text().trimmed();
    m_points.clear();
    m_pointsRead = 0;
    m_outline.clear();
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
    const QString code = m_columns->currentData().toString();
    PointsRead read = readPointsFile(name, code.isEmpty() ? std::nullopt : columnsFromCode(code));
    QString problem, note;
    m_prepared = {};
    if (const auto* errors = std::get_if<std::vector<HeightLineError>>(&read)) {
        for (const HeightLineError& e : *errors)
            problem += (e.line > 0 ? QStringLiteral("บรรทัดที่ %1: ").arg(e.line) : QString()) +
                       e.reason + QLatin1Char('\n');
    } else if (const auto to = projectEpsg(); !to) {
        problem = QStringLiteral("ไม่รู้จักระบบพิกัดของโครงการ");
    } else {
        PointsFile& file = std::get<PointsFile>(read);
        m_pointsRead = int(file.points.size());
        const QString shift = crsText(m_shift);
        auto prepared = preparePoints(
            std::move(file),
            {crsText(m_fromCrs), *to == 0 ? std::nullopt : std::optional<int>(*to), shift});
        if (const auto* refused = std::get_if<PrepareProblem>(&prepared)) {
            problem = refused->text;
            if (refused->kind == PrepareProblem::Kind::NeedsFromCrs) {
                problem += QStringLiteral(" เลือก \"ระบบพิกัดของจุด\"");
                m_fromCrs->setFocus();
            }
        } else {
            m_prepared = std::get<PreparedPoints>(std::move(prepared));
            m_points = std::move(m_prepared.points);
            // The system worked out from the points shows in the box, for the user to see
            // and change.
            const int shown = m_prepared.epsg > 0          ? m_prepared.epsg
                              : !m_prepared.offers.empty() ? m_prepared.offers.front()
                                                           : 0;
            if (*to == 0 && shown > 0) {
                const QSignalBlocker quiet(m_crs);
                const int i = m_crs->findData(QStringLiteral("EPSG:%1").arg(shown));
                if (i >= 0)
                    m_crs->setCurrentIndex(i);
                else
                    m_crs->setCurrentText(QStringLiteral("EPSG:%1").arg(shown));
                m_prepared.epsg = shown;
            }
            if (!m_prepared.offers.empty())
                note =
                    QStringLiteral("พิกัดอยู่ในช่วง UTM %1 ในประเทศไทย จึงเลือกระบบพิกัดนี้ไว้ให้ โปรดตรวจสอบ")
                        .arg(m_prepared.offers.size() > 1 ? QStringLiteral("47N หรือ 48N")
                                                          : crsName(shown).section(' ', -1));
            if (!m_prepared.shift.warning.isEmpty())
                note +=
                    (note.isEmpty() ? QString() : QStringLiteral("\n")) + m_prepared.shift.warning;
        }
    }
    m_outline = outlineOf(m_points);
    m_status->setText(problem.isEmpty()
                          ? QStringLiteral("อ่านได้ %1 จุด").arg(m_points.size()) +
                                (note.isEmpty() ? QString() : QStringLiteral("\n") + note)
                          : problem.left(600));
    m_frame = m_likeFrame.value_or(frameAround(m_points, m_spacing->value()));
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
    drawPicture();
}

GridFrame SurveyDialog::frameInBoxes() const
{
    return {m_originX->value(), m_originY->value(), m_spacing->value(), m_rows->value(),
            m_cols->value()};
}

void SurveyDialog::drawPicture()
{
    const GridFrame f = frameInBoxes();
    QPixmap pixmap(m_picture->size());
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    double xMin = f.x0, xMax = f.x0 + (f.cols - 1) * f.spacing, yMin = f.y0,
           yMax = f.y0 + (f.rows - 1) * f.spacing;
    for (const SurveyPoint& p : m_points) {
        xMin = std::min(xMin, p.x), xMax = std::max(xMax, p.x);
        yMin = std::min(yMin, p.y), yMax = std::max(yMax, p.y);
    }
    const double scale = std::min((pixmap.width() - 20) / std::max(xMax - xMin, 1e-9),
                                  (pixmap.height() - 20) / std::max(yMax - yMin, 1e-9));
    const auto at = [&](double x, double y) {
        return QPointF(10 + (x - xMin) * scale, pixmap.height() - 10 - (y - yMin) * scale);
    };
    const auto tooMany = spacingNeeded(f);
    painter.setPen(QPen(QColor(0xb0, 0xb0, 0xb0), 0));
    if (!tooMany && f.rows * f.cols <= 40000) {
        for (int r = 0; r < f.rows; ++r)
            painter.drawLine(at(f.x0, f.y0 + r * f.spacing),
                             at(f.x0 + (f.cols - 1) * f.spacing, f.y0 + r * f.spacing));
        for (int c = 0; c < f.cols; ++c)
            painter.drawLine(at(f.x0 + c * f.spacing, f.y0),
                             at(f.x0 + c * f.spacing, f.y0 + (f.rows - 1) * f.spacing));
    }
    QPolygonF outline;
    for (const auto& [x, y] : m_outline)
        outline << at(x, y);
    painter.setPen(QPen(Qt::darkGreen, 2));
    painter.drawPolygon(outline);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::red);
    for (const SurveyPoint& p : m_points)
        painter.drawEllipse(at(p.x, p.y), 2, 2);
    painter.end();
    m_picture->setPixmap(pixmap);
    m_make->setEnabled(m_points.size() >= 3 && !tooMany);
    if (tooMany)
        m_status->setText(
            QStringLiteral("กริดมีจุดเกิน 32767 จุด ระยะกริดที่เล็กที่สุดที่ใช้ได้คือ %1 เมตร").arg(*tooMany));
}

void SurveyDialog::make()
{
    const MergedPoints merged = mergeDuplicates(m_points);
    m_frame = frameInBoxes();
    const auto made = makeGrid(merged.points, m_frame, GridMethod(m_method->currentIndex()));
    if (const auto* reason = std::get_if<QString>(&made)) {
        m_status->setText(*reason);
        return;
    }
    const GridResult& grid = std::get<GridResult>(made);
    m_quality = gridQuality(merged.points, m_frame, grid, m_pointsRead, merged);
    const int epsg = projectEpsg().value_or(0);
    m_project = projectFromGrid(m_frame, grid, QFileInfo(m_file->text()).completeBaseName(), epsg);
    m_project.Georef->datumShift = m_prepared.shift.key;
    m_heading = coordinateLines(epsg, m_prepared.fromCrs, m_prepared.shift.key);
    if (!m_prepared.shift.warning.isEmpty())
        m_heading << m_prepared.shift.warning;
    accept();
}

SurveyReportDialog::SurveyReportDialog(const QStringList& lines, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSurveyReport"));
    setWindowTitle(QStringLiteral("รายงานคุณภาพกริดจากจุดสำรวจ"));
    auto* list = named(new QListWidget, "lstSurveyReport");
    list->addItems(lines);
    auto* buttons = new QDialogButtonBox;
    auto* print = named(buttons->addButton(QStringLiteral("พิมพ์"), QDialogButtonBox::ActionRole),
                        "cmdPrintReport");
    named(buttons->addButton(QStringLiteral("ปิด"), QDialogButtonBox::AcceptRole), "cmdClose");
    auto* all = new QVBoxLayout(this);
    all->addWidget(list);
    all->addWidget(buttons);
    resize(720, 460);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(print, &QPushButton::clicked, this, [this, lines] {
        QPrinter printer;
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        QTextDocument text;
        text.setPlainText(windowTitle() + QStringLiteral("\n\n") + lines.join(QLatin1Char('\n')));
        text.print(&printer);
    });
}

} // namespace tervan
