#include "grading/ui/padeditdialog.h"

#include "common/numbertext.h"
#include "grading/padgeometry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace tervan {

namespace {

QLineEdit* box(const char* name, const QString& text, QWidget* parent)
{
    auto* b = new QLineEdit(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

std::optional<double> number(const QLineEdit* b)
{
    return readLocaleNumber(b->text().trimmed());
}

} // namespace

PadEditDialog::PadEditDialog(const PadShape& pad, const EarthworkGrid& ground, QPointF origin,
                             QWidget* parent)
    : QDialog(parent), m_ground(ground), m_origin(origin), m_pad(pad)
{
    setObjectName(QStringLiteral("frmPad"));
    setWindowTitle(QStringLiteral("แท่นออกแบบ"));
    auto* form = new QFormLayout;
    m_name = box("txtPadName", pad.name, this);
    form->addRow(QStringLiteral("ชื่อแท่น"), m_name);
    m_balanced = new QCheckBox(QStringLiteral("ให้ระดับสมดุลดินตัด-ดินถม"), this);
    m_balanced->setObjectName(QStringLiteral("chkPadBalanced"));
    m_balanced->setChecked(!pad.level);
    form->addRow(QString(), m_balanced);
    m_level = box("txtPadLevel", pad.level ? formatPicture(*pad.level, 3) : QString(), this);
    m_level->setEnabled(pad.level.has_value());
    connect(m_balanced, &QCheckBox::toggled, m_level, &QWidget::setDisabled);
    form->addRow(QStringLiteral("ระดับที่จุดศูนย์ถ่วง (ม.)"), m_level);
    m_cut = box("txtPadCutSlope", formatPicture(pad.cutSlope, 2), this);
    form->addRow(QStringLiteral("ลาดดินตัด (ระยะราบต่อ 1 ดิ่ง)"), m_cut);
    m_fill = box("txtPadFillSlope", formatPicture(pad.fillSlope, 2), this);
    form->addRow(QStringLiteral("ลาดดินถม (ระยะราบต่อ 1 ดิ่ง)"), m_fill);
    m_fall = box("txtPadFall", formatPicture(pad.fall, 2), this);
    form->addRow(QStringLiteral("ความลาดของพื้นแท่น (%)"), m_fall);
    m_direction = new QComboBox(this);
    m_direction->setObjectName(QStringLiteral("cboPadFallAlong"));
    form->addRow(QStringLiteral("ทิศทางลาดลง"), m_direction);
    m_bearing = box("txtPadBearing", formatPicture(pad.fallBearing, 2), this);
    form->addRow(QStringLiteral("มุมทิศ (องศาจากทิศเหนือตามเข็มนาฬิกา)"), m_bearing);
    connect(m_direction, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_bearing->setEnabled(index == 0); });
    m_gridCoords = new QCheckBox(QStringLiteral("พิกัดกริด (เมตรจากจุดที่ 1)"), this);
    m_gridCoords->setObjectName(QStringLiteral("chkPadGridCoords"));
    m_gridCoords->setChecked(origin.isNull());
    m_gridCoords->setEnabled(!origin.isNull());
    form->addRow(QString(), m_gridCoords);
    m_corners = new QPlainTextEdit(this);
    m_corners->setObjectName(QStringLiteral("txtPadCorners"));
    m_corners->setTabChangesFocus(true);
    m_corners->setMinimumHeight(120);
    form->addRow(QStringLiteral("มุมแท่น (ตะวันออก, เหนือ ทีละบรรทัด)"), m_corners);

    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("lblPadProblem"));
    m_problem->setStyleSheet(QStringLiteral("color: #b00000"));
    m_problem->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("ตกลง"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ยกเลิก"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(m_problem);
    column->addWidget(buttons);

    showCorners(pad.corners);
    connect(m_gridCoords, &QCheckBox::toggled, this, [this](bool grid) {
        // The same corners in the other coordinates.
        if (const auto r = read(); std::holds_alternative<PadShape>(r)) {
            const QSignalBlocker b(m_gridCoords);
            m_gridCoords->setChecked(!grid);
            const auto corners = std::get<PadShape>(r).corners;
            m_gridCoords->setChecked(grid);
            showCorners(corners);
        }
    });
    connect(m_corners, &QPlainTextEdit::textChanged, this, &PadEditDialog::cornersChanged);
    cornersChanged();
    const int edge = pad.fall != 0 ? edgeOfFallBearing(pad, pad.fallBearing) : -1;
    m_direction->setCurrentIndex(edge + 1);
    m_bearing->setEnabled(edge < 0);
}

void PadEditDialog::showCorners(const std::vector<QPointF>& corners)
{
    const QPointF shift = m_gridCoords->isChecked() ? QPointF() : m_origin;
    QStringList lines;
    for (const QPointF& c : corners)
        lines << QStringLiteral("%1, %2").arg(formatPicture(c.x() + shift.x(), 3),
                                              formatPicture(c.y() + shift.y(), 3));
    m_corners->setPlainText(lines.join(QLatin1Char('\n')));
}

void PadEditDialog::cornersChanged()
{
    // One edge a corner; the list follows the corners typed.
    const int count =
        int(m_corners->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts).size());
    const int keep = m_direction->currentIndex();
    const QSignalBlocker b(m_direction);
    m_direction->clear();
    m_direction->addItem(QStringLiteral("ตามมุมทิศ"));
    for (int i = 0; i < count; ++i)
        m_direction->addItem(QStringLiteral("ตามขอบ %1 (มุม %2 ไป %3)")
                                 .arg(i + 1)
                                 .arg(i + 1)
                                 .arg((i + 1) % count + 1));
    m_direction->setCurrentIndex(std::min(keep, m_direction->count() - 1));
    m_bearing->setEnabled(m_direction->currentIndex() <= 0);
}

std::variant<PadShape, QString> PadEditDialog::read() const
{
    PadShape pad = m_pad;
    pad.name = m_name->text().trimmed();
    if (pad.name.isEmpty())
        return QStringLiteral("ต้องตั้งชื่อแท่น");
    pad.level.reset();
    if (!m_balanced->isChecked()) {
        pad.level = number(m_level);
        if (!pad.level || !std::isfinite(*pad.level))
            return QStringLiteral("ค่าระดับของแท่นต้องเป็นตัวเลข");
    }
    const auto cut = number(m_cut), fill = number(m_fill), fall = number(m_fall);
    if (!cut || !fill || !fall)
        return QStringLiteral("ลาดดินตัด ลาดดินถม และความลาดของพื้นต้องเป็นตัวเลข");
    pad.cutSlope = *cut, pad.fillSlope = *fill, pad.fall = *fall;
    const QPointF shift = m_gridCoords->isChecked() ? QPointF() : m_origin;
    pad.corners.clear();
    const QStringList lines = m_corners->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    static const QRegularExpression apart(QStringLiteral("[,\\s]+"));
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList xy = lines[i].trimmed().split(apart, Qt::SkipEmptyParts);
        const auto x = xy.size() == 2 ? readLocaleNumber(xy[0]) : std::nullopt;
        const auto y = xy.size() == 2 ? readLocaleNumber(xy[1]) : std::nullopt;
        if (!x || !y)
            return QStringLiteral("มุมที่ %1 ต้องเป็นค่าตะวันออกและเหนือสองค่า").arg(i + 1);
        pad.corners.emplace_back(*x - shift.x(), *y - shift.y());
    }
    const int edge = m_direction->currentIndex() - 1;
    if (edge >= 0) {
        const auto b = edgeFallBearing(pad, edge);
        if (!b)
            return QStringLiteral("ขอบที่ %1 ไม่มีความยาว").arg(edge + 1);
        pad.fallBearing = *b;
    } else {
        const auto b = number(m_bearing);
        if (!b)
            return QStringLiteral("มุมทิศของความลาดต้องเป็นตัวเลข");
        pad.fallBearing = *b;
    }
    if (QString why = padShapeProblem(pad, m_ground); !why.isEmpty())
        return why;
    return pad;
}

void PadEditDialog::accept()
{
    const auto r = read();
    if (const auto* why = std::get_if<QString>(&r)) {
        m_problem->setText(*why);
        return;
    }
    m_pad = std::get<PadShape>(r);
    QDialog::accept();
}

} // namespace tervan
