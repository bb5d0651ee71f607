#include "survey/ui/surveydialog.h"

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

SurveyDialog::SurveyDialog(std::function<QString()> pickFile, QWidget* parent)
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
        if (const QString name = m_pickFile ? m_pickFile() : QString(); !name.isEmpty())
            loadPoints(name);
    });
    connect(m_file, &QLineEdit::editingFinished, this, &SurveyDialog::reload);
    for (QComboBox* box : {m_columns, m_fromCrs, m_crs})
        connect(box, &QComboBox::currentTextChanged, this, &SurveyDialog::reload);
    connect(m_spacing, &QSpinBox::valueChanged, this, [this] {
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

void SurveyDialog::reload()
{
    const QString name = m_file->text().trimmed();
    m_points.clear();
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
    QString problem;
    if (const auto* errors = std::get_if<std::vector<HeightLineError>>(&read)) {
        for (const HeightLineError& e : *errors)
            problem += (e.line > 0 ? QStringLiteral("บรรทัดที่ %1: ").arg(e.line) : QString()) +
                       e.reason + QLatin1Char('\n');
    } else {
        PointsFile& file = std::get<PointsFile>(read);
        const QString from = crsText(m_fromCrs).isEmpty() ? file.crs : crsText(m_fromCrs);
        const auto to = projectEpsg();
        if (!to)
            problem = QStringLiteral("ไม่รู้จักระบบพิกัดของโครงการ");
        else if (isGeographicCrs(from) && *to == 0)
            problem = QStringLiteral("จุดเป็นละติจูด/ลองจิจูด เลือกระบบพิกัดของโครงการ");
        else if (*to != 0 && !from.isEmpty())
            if (const auto failed = projectPoints(file.points, from, *to))
                problem = *failed;
        if (problem.isEmpty())
            m_points = std::move(file.points);
    }
    m_pointsRead = int(m_points.size());
    m_outline = outlineOf(m_points);
    m_status->setText(problem.isEmpty() ? QStringLiteral("อ่านได้ %1 จุด").arg(m_points.size())
                                        : problem.left(600));
    m_frame = frameAround(m_points, m_spacing->value());
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
    m_project = projectFromGrid(m_frame, grid, QFileInfo(m_file->text()).completeBaseName(),
                                projectEpsg().value_or(0));
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
