#include "grading/ui/graderesultdialog.h"

#include "common/numbertext.h"
#include "project/project.h"

#include <QAbstractTableModel>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableView>

namespace tervan {

namespace {

constexpr int px(int twips)
{
    return twips / 15;
}

// The per-cell results as a table over the project's arrays, without copies.
class CellTableModel final : public QAbstractTableModel
{
public:
    CellTableModel(const std::vector<float>& means, const std::vector<float>& volumes, int count,
                   QObject* parent)
        : QAbstractTableModel(parent), m_means(means), m_volumes(volumes),
          m_count(std::min<int>(count, int(std::min(means.size(), volumes.size())) - 1))
    {
    }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : std::max(m_count, 0);
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : 3;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignCenter);
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const int n = index.row() + 1;
        switch (index.column()) {
        case 0:
            return QString::number(n);
        case 1:
            return formatPicture(m_means[n], 3);
        default:
            return formatPicture(m_volumes[n], 2);
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        static const char16_t* const headers[] = {u"หมายเลขกริด", u"ค่าระดับเฉลี่ยของแต่ละกริด (ม.)",
                                                  u"ปริมาตรดินตัด - ดินถมของแต่ละกริด (ลบ.ม.)"};
        return QString::fromUtf16(headers[section]);
    }

private:
    const std::vector<float>& m_means;
    const std::vector<float>& m_volumes;
    int m_count;
};

// Three by three orange cells numbered from the lower left, as the cells are counted.
QPixmap cellNumberingPicture()
{
    QPixmap picture(50, 50);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    QFont font = painter.font();
    font.setPixelSize(10);
    font.setBold(true);
    painter.setFont(font);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            const QRect cell(1 + col * 16, 1 + (2 - row) * 16, 16, 16);
            painter.fillRect(cell, QColor(255, 165, 0));
            painter.setPen(QColor(64, 32, 0));
            painter.drawRect(cell.adjusted(0, 0, -1, -1));
            painter.setPen(QColor(128, 0, 0));
            painter.drawText(cell, Qt::AlignCenter, QString::number(row * 3 + col + 1));
        }
    return picture;
}

QLabel* valueBox(QWidget* parent, const char* name, const QString& text, int left, int top)
{
    auto* box = new QLabel(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(px(left), px(top), px(975), px(345));
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setAutoFillBackground(true);
    box->setStyleSheet(
        QStringLiteral("background: white; border: 1px solid black; padding: 0 3px;"));
    return box;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int left, int top,
              const QColor& colour = Qt::black)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    QPalette palette = l->palette();
    palette.setColor(QPalette::WindowText, colour);
    l->setPalette(palette);
    l->adjustSize();
    l->move(px(left), px(top));
    return l;
}

} // namespace

GradeResultDialog::GradeResultDialog(const Project& p, Grade grade, QWidget* parent)
    : CentredDialog(parent)
{
    const bool fixed = grade == Grade::Fixed;
    setObjectName(fixed ? QStringLiteral("frmResGradeFix") : QStringLiteral("frmResGrade"));
    setWindowTitle(fixed ? QStringLiteral("ผลลัพธ์การปรับระดับพื้นที่ แบบพื้นที่เรียบเสมอกัน ผู้ใช้กำหนดค่าระดับ")
                         : QStringLiteral("ผลลัพธ์การปรับระดับพื้นที่ แบบพื้นที่เรียบเสมอกัน"));

    const float platform = fixed ? p.FixGradeElevation : p.AutoGradeElevation;
    const float cut = fixed ? p.FixCutVolume : p.AutoCutVolume;
    const float fill = fixed ? p.FixFillVolume : p.AutoFillVolume;

    const int rows[] = {240, 720, 1200, 1680};
    label(this, "Label12", QStringLiteral("พื้นที่ทั้งหมด"), 360, rows[0] + 45);
    valueBox(this, "lblSumArea", generalForm(p.TotalArea), 3000, rows[0]);
    label(this, "Label10", QStringLiteral("ตารางเมตร"), 4320, rows[0] + 45);
    label(this, "Label1", QStringLiteral("ค่าระดับในการปรับระดับพื้นที่"), 360, rows[1] + 45);
    valueBox(this, "lblGradeElev", formatPicture(platform, 3), 3000, rows[1]);
    label(this, "Label5", QStringLiteral("เมตร"), 4320, rows[1] + 45);
    label(this, "Label2", QStringLiteral("ปริมาตรดินตัด"), 360, rows[2] + 45);
    valueBox(this, "lblCutVol", formatPicture(cut, 2), 3000, rows[2]);
    label(this, "Label6", QStringLiteral("ลูกบาศก์เมตร"), 4320, rows[2] + 45);
    label(this, "Label3", QStringLiteral("ปริมาตรดินถม"), 360, rows[3] + 45);
    valueBox(this, "lblFillVol", formatPicture(fill, 2), 3000, rows[3]);
    label(this, "Label7", QStringLiteral("ลูกบาศก์เมตร"), 4320, rows[3] + 45);

    auto* frame = new QGroupBox(QStringLiteral(" การนับช่องกริด"), this);
    frame->setObjectName(QStringLiteral("Frame3"));
    frame->setStyleSheet(QStringLiteral("QGroupBox { color: blue; }"));
    frame->setGeometry(px(5760), px(240), px(1455), px(1575));
    auto* picture = new QLabel(frame);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(cellNumberingPicture());
    picture->setGeometry(px(362), px(480), 50, 50);

    const int width = px(7575);
    for (const auto& [name, top] : {std::pair{"Frame1", 2160}, std::pair{"Frame2", 6840}}) {
        auto* rule = new QFrame(this);
        rule->setObjectName(QLatin1String(name));
        rule->setFrameShape(QFrame::HLine);
        rule->setFrameShadow(QFrame::Sunken);
        rule->setGeometry(0, px(top), width, px(135));
    }

    auto* table = new QTableView(this);
    table->setObjectName(QStringLiteral("grdNodes"));
    table->setModel(new CellTableModel(fixed ? p.FixCellMeanElev : p.AutoCellMeanElev,
                                       fixed ? p.FixCellVolume : p.AutoCellVolume, p.CellCount,
                                       table));
    table->setGeometry(px(120), px(2520), px(7335), px(4215));
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    const int columnTwips[] = {1100, 2300, 3600};
    for (int c = 0; c < 3; ++c)
        table->horizontalHeader()->resizeSection(c, px(columnTwips[c]));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);

    const QColor red(Qt::red);
    label(this, "Label4", QStringLiteral("หมายเหตุ"), 360, 7320, red);
    label(this, "Label8", QStringLiteral("+  ปริมาตรดินตัด"), 1560, 7080, red);
    label(this, "Label9", QStringLiteral("-  ปริมาตรดินถม"), 1560, 7560, red);

    auto* ok = new QPushButton(QStringLiteral("ตกลง"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setGeometry(px(6240), px(7200), px(1095), px(375));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(width, px(7935));
}

} // namespace tervan
