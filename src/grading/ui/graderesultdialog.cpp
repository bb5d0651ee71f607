#include "grading/ui/graderesultdialog.h"

#include "grading/earthworktexts.h"

#include "common/numbertext.h"
#include "grading/ui/earthworkparts.h"
#include "project/project.h"

#include <QAbstractTableModel>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
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
        return header(section);
    }
    static QString header(int section)
    {
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

QLabel* valueBox(QWidget* parent, const char* name, const QString& text)
{
    auto* box = new QLabel(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setAutoFillBackground(true);
    box->setStyleSheet(
        QStringLiteral("background: white; border: 1px solid black; padding: 0 3px;"));
    return box;
}

QLabel* label(QWidget* parent, const char* name, const QString& text,
              const QColor& colour = Qt::black)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    QPalette palette = l->palette();
    palette.setColor(QPalette::WindowText, colour);
    l->setPalette(palette);
    l->adjustSize();
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

    // The summary: caption, value box, unit, one line each. Columns keep their places unless
    // the font needs more room; then everything to the right moves along.
    const struct
    {
        const char* caption;
        const char16_t* captionText;
        const char* box;
        QString value;
        const char* unit;
        const char16_t* unitText;
    } summary[] = {
        {"Label12", u"พื้นที่ทั้งหมด", "lblSumArea", generalForm(p.TotalArea), "Label10", u"ตารางเมตร"},
        {"Label1", u"ค่าระดับในการปรับระดับพื้นที่", "lblGradeElev", formatPicture(platform, 3), "Label5",
         u"เมตร"},
        {"Label2", u"ปริมาตรดินตัด", "lblCutVol", formatPicture(cut, 2), "Label6", u"ลูกบาศก์เมตร"},
        {"Label3", u"ปริมาตรดินถม", "lblFillVol", formatPicture(fill, 2), "Label7", u"ลูกบาศก์เมตร"},
    };
    QList<QLabel*> captions, boxes, units;
    int captionRight = 0, boxWidth = px(975), unitWidth = 0;
    const int numberWidth = fontMetrics().horizontalAdvance(QStringLiteral("-000000000.00")) + 10;
    for (const auto& line : summary) {
        captions << label(this, line.caption, QString::fromUtf16(line.captionText));
        boxes << valueBox(this, line.box, line.value);
        units << label(this, line.unit, QString::fromUtf16(line.unitText));
        captionRight = std::max(captionRight, px(360) + captions.last()->width());
        boxWidth = std::max({boxWidth, numberWidth,
                             boxes.last()->fontMetrics().horizontalAdvance(line.value) + 10});
        unitWidth = std::max(unitWidth, units.last()->width());
    }
    const int boxLeft = std::max(px(3000), captionRight + 12);
    const int unitLeft = std::max(px(4320), boxLeft + boxWidth + 12);
    const int frameLeft = std::max(px(5760), unitLeft + unitWidth + 16);
    const int tops[] = {240, 720, 1200, 1680};
    for (int i = 0; i < 4; ++i) {
        const int top = px(tops[i]);
        boxes[i]->setGeometry(boxLeft, top, boxWidth, px(345));
        captions[i]->move(px(360), top + (px(345) - captions[i]->height()) / 2);
        units[i]->move(unitLeft, top + (px(345) - units[i]->height()) / 2);
    }

    auto* frame = new QGroupBox(QStringLiteral(" การนับช่องกริด"), this);
    frame->setObjectName(QStringLiteral("Frame3"));
    frame->setStyleSheet(QStringLiteral("QGroupBox { color: blue; }"));
    frame->setGeometry(frameLeft, px(240), px(1455), px(1575));
    auto* picture = new QLabel(frame);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(cellNumberingPicture());
    picture->setGeometry(px(362), px(480), 50, 50);

    // Wide enough for the summary and for the whole table without sideways scrolling.
    const int columnTwips[] = {1100, 2300, 3600};
    int columnWidths[3];
    int tableWidth = 0;
    for (int c = 0; c < 3; ++c) {
        const QString header = CellTableModel::header(c);
        columnWidths[c] =
            std::max(px(columnTwips[c]), fontMetrics().horizontalAdvance(header) + 20);
        tableWidth += columnWidths[c];
    }
    tableWidth += style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    const int width = std::max({px(7575), frameLeft + px(1455) + px(360), tableWidth + px(240)});
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
    table->setGeometry(px(120), px(2520), width - px(240), px(4215));
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    for (int c = 0; c < 3; ++c)
        table->horizontalHeader()->resizeSection(c, columnWidths[c]);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);

    const QColor red(Qt::red);
    label(this, "Label4", QStringLiteral("หมายเหตุ"), red)->move(px(360), px(7320));
    label(this, "Label8", QStringLiteral("+  ปริมาตรดินตัด"), red)->move(px(1560), px(7080));
    label(this, "Label9", QStringLiteral("-  ปริมาตรดินถม"), red)->move(px(1560), px(7560));

    auto* ok = new QPushButton(QStringLiteral("ตกลง"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setGeometry(width - px(7575 - 6240), px(7200), px(1095), px(375));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(width, px(7935));
    // Below everything else: these figures include ground outside the surveyed site.
    if (const QString note = outsideAreaNote(p); !note.isEmpty()) {
        auto* outside = label(this, "lblOutsideArea", note, red);
        outside->setWordWrap(true);
        outside->setGeometry(px(360), height(), width - px(720),
                             outside->heightForWidth(width - px(720)));
        setFixedSize(width, height() + outside->height() + px(120));
    }
}

void GradeResultDialog::warnOfSuspects(int count, std::function<void()> showList)
{
    if (count <= 0)
        return;
    // Below everything else, so the rows above keep their places.
    auto* warning = new SuspectWarning(count, std::move(showList), this);
    const int top = height();
    warning->setGeometry(px(360), top, width() - px(720), warning->sizeHint().height());
    setFixedSize(width(), top + warning->height() + px(240));
}

} // namespace tervan
