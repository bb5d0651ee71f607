#include "grading/ui/padspanel.h"

#include "common/numbertext.h"
#include "grading/padgeometry.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace tervan {

namespace {

QString fallText(const PadShape& pad)
{
    if (pad.fall == 0)
        return QStringLiteral("ระดับ");
    const int edge = edgeOfFallBearing(pad, pad.fallBearing);
    const QString way = edge >= 0 ? QStringLiteral("ตามขอบ %1").arg(edge + 1)
                                  : QStringLiteral("ทิศ %1°").arg(formatPicture(pad.fallBearing, 1));
    return QStringLiteral("%1 % %2").arg(formatPicture(pad.fall, 2), way);
}

} // namespace

PadsPanel::PadsPanel(QWidget* parent) : QDockWidget(QStringLiteral("แท่นออกแบบ"), parent)
{
    setObjectName(QStringLiteral("dockPads"));
    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);

    m_table = new QTableWidget(0, 10, body);
    m_table->setObjectName(QStringLiteral("grdPads"));
    m_table->setHorizontalHeaderLabels(
        {QStringLiteral("ชื่อ"), QStringLiteral("ระดับ (ม.)"), QStringLiteral("ลาดตัด"),
         QStringLiteral("ลาดถม"), QStringLiteral("ลาดพื้น"), QStringLiteral("ดินตัด (ลบ.ม.)"),
         QStringLiteral("ดินถม (ลบ.ม.)"), QStringLiteral("พื้นที่ (ตร.ม.)"),
         QStringLiteral("ไร่-งาน-ตารางวา"), QStringLiteral("มุม")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(m_table, &QTableWidget::cellDoubleClicked, this,
            [this](int row) { emit editRequested(row); });
    column->addWidget(m_table, 1);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const char* name, const QString& text, auto signal) {
        auto* b = new QPushButton(text, body);
        b->setObjectName(QLatin1String(name));
        connect(b, &QPushButton::clicked, this, signal);
        buttons->addWidget(b);
        return b;
    };
    button("cmdPadAdd", QStringLiteral("เพิ่ม…"), [this] { emit addRequested(); });
    button("cmdPadDraw", QStringLiteral("วาดบนแผนที่"), [this] { emit drawRequested(); });
    button("cmdPadFile", QStringLiteral("จากไฟล์…"), [this] { emit fileRequested(); });
    button("cmdPadEdit", QStringLiteral("แก้ไข…"), [this] {
        if (currentPad() >= 0)
            emit editRequested(currentPad());
    });
    button("cmdPadDelete", QStringLiteral("ลบ"), [this] {
        if (currentPad() >= 0)
            emit deleteRequested(currentPad());
    });
    button("cmdSections", QStringLiteral("หน้าตัด…"), [this] { emit sectionsRequested(); });
    button("cmdPadPrint", QStringLiteral("พิมพ์แผนที่ตัดถม"), [this] { emit printRequested(); });
    button("cmdPadStakes", QStringLiteral("หมุดวางผัง…"), [this] { emit stakesRequested(); });
    buttons->addStretch(1);
    column->addLayout(buttons);

    auto* balance = new QHBoxLayout;
    balance->addWidget(new QLabel(QStringLiteral("การปรับระดับ"), body));
    m_balance = new QComboBox(body);
    m_balance->setObjectName(QStringLiteral("cboPadBalance"));
    m_balance->addItems({QStringLiteral("ตามระดับที่กำหนด"), QStringLiteral("สมดุลรวมกันทุกแท่น"),
                         QStringLiteral("สมดุลแยกแต่ละแท่น")});
    balance->addWidget(m_balance);
    balance->addWidget(new QLabel(QStringLiteral("K"), body));
    m_k = new QLineEdit(QStringLiteral("1.00"), body);
    m_k->setObjectName(QStringLiteral("txtPadK"));
    m_k->setMaximumWidth(80);
    balance->addWidget(m_k);
    balance->addStretch(1);
    column->addLayout(balance);
    connect(m_balance, &QComboBox::currentIndexChanged, this, &PadsPanel::askBalance);
    connect(m_k, &QLineEdit::editingFinished, this, &PadsPanel::askBalance);

    m_totals = new QLabel(body);
    m_totals->setObjectName(QStringLiteral("lblPadTotals"));
    m_totals->setWordWrap(true);
    column->addWidget(m_totals);
    m_conflicts = new QListWidget(body);
    m_conflicts->setObjectName(QStringLiteral("lstPadConflicts"));
    m_conflicts->setMaximumHeight(90);
    column->addWidget(m_conflicts);
    setWidget(body);
}

int PadsPanel::tableWidth() const
{
    int width = m_table->verticalHeader()->isVisible() ? m_table->verticalHeader()->width() : 0;
    // What the columns will take once laid out, before they are.
    const QAbstractItemView* view = m_table;
    for (int c = 0; c < m_table->columnCount(); ++c)
        width +=
            std::max(view->sizeHintForColumn(c), m_table->horizontalHeader()->sectionSizeHint(c));
    // The table's frame, the dock's margins and a scroll bar's room.
    return width + 2 * m_table->frameWidth() + m_table->verticalScrollBar()->sizeHint().width() +
           24;
}

int PadsPanel::currentPad() const
{
    const int row = m_table->currentRow();
    return row >= 0 && row < int(m_shown.pads.size()) ? row : -1;
}

void PadsPanel::askBalance()
{
    const PadBalance balance = PadBalance(m_balance->currentIndex());
    const auto read = readLocaleNumber(m_k->text().trimmed());
    const double k = read.value_or(0);
    if (!read || !isCompactionFactor(k)) {
        m_k->setText(formatPicture(m_shown.k, 2));
        return;
    }
    if (balance != m_shown.balance || k != m_shown.k)
        emit balanceRequested(balance, k);
}

void PadsPanel::showDesign(const PadsDesign& design, const PadsResult* result,
                           const QString& problem, const std::function<QString(int)>& nodeName)
{
    m_shown = design;
    const int keep = m_table->currentRow();
    m_table->setRowCount(int(design.pads.size()));
    for (int i = 0; i < int(design.pads.size()); ++i) {
        const PadShape& pad = design.pads[std::size_t(i)];
        const PadFigures* f = result ? &result->pads[std::size_t(i)] : nullptr;
        const QString level = pad.level ? formatPicture(*pad.level, 3) : QStringLiteral("สมดุล");
        const QStringList cells{
            pad.name,
            f && (!pad.level || design.balance == PadBalance::Together)
                ? QStringLiteral("%1 (%2)").arg(formatPicture(f->level, 3), level)
                : level,
            formatPicture(pad.cutSlope, 2),
            formatPicture(pad.fillSlope, 2),
            fallText(pad),
            f ? formatPicture(f->cutFill.cut, 2) : QString(),
            f ? formatPicture(-f->cutFill.fill, 2) : QString(),
            f ? formatPicture(f->area, 2) : QString(),
            f ? raiNganWa(f->area) : QString(),
            QString::number(pad.corners.size())};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(i, c, item);
        }
    }
    if (keep >= 0 && keep < m_table->rowCount())
        m_table->selectRow(keep);
    {
        const QSignalBlocker b1(m_balance), b2(m_k);
        m_balance->setCurrentIndex(int(design.balance));
        m_k->setText(formatPicture(design.k, 2));
    }
    m_conflicts->clear();
    if (!result) {
        m_totals->setText(design.pads.empty() ? QStringLiteral("ยังไม่มีแท่น") : problem);
        return;
    }
    const CutFill& g = result->earthwork.gross;
    QString totals =
        QStringLiteral("รวม %1 แท่น   ดินตัด %2 ลบ.ม.   ดินถม %3 ลบ.ม.   สุทธิ %4 ลบ.ม.")
            .arg(design.pads.size())
            .arg(formatPicture(g.cut, 2), formatPicture(-g.fill, 2), formatPicture(result->net, 2));
    if (design.balance != PadBalance::None)
        totals += result->balanced ? QStringLiteral("   สมดุลแล้ว")
                                   : QStringLiteral("   ไม่มีระดับที่ทำให้สมดุลได้");
    m_totals->setText(totals);
    for (int node : result->conflicts)
        m_conflicts->addItem(
            QStringLiteral("ดินถมสูงกว่าดินตัดของแท่นข้างเคียงที่จุด %1").arg(nodeName(node)));
}

} // namespace tervan
