#include "project/ui/nodeentrydialog.h"

#include "project/nodetablemodel.h"
#include "project/project.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

namespace tervan {

namespace {

// Column widths as laid out in twips, at 15 twips a pixel, widened for the header text.
constexpr int ColumnTwips[NodeTableModel::ColumnCount] = {600, 1000, 1000, 1000};

} // namespace

NodeEntryDialog::NodeEntryDialog(Project& project, QWidget* parent)
    : CentredDialog(parent), m_project(project), m_model(new NodeTableModel(project, this)),
      m_grdNodes(new QTableView(this)), m_txtNodes(new QLineEdit(this))
{
    setObjectName(QStringLiteral("frmNodeCoordi"));
    setWindowTitle(QStringLiteral("ป้อนค่าระดับ"));
    setModal(false);
    m_grdNodes->setObjectName(QStringLiteral("grdNodes"));
    m_txtNodes->setObjectName(QStringLiteral("txtNodes"));

    m_grdNodes->setModel(m_model);
    m_grdNodes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grdNodes->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grdNodes->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grdNodes->verticalHeader()->hide();
    // Fixed row heights keep a list of 32767 nodes as quick as a short one.
    QHeaderView* rows = m_grdNodes->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(m_grdNodes->fontMetrics().height() + 6);
    QHeaderView* columns = m_grdNodes->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Fixed);
    columns->setDefaultAlignment(Qt::AlignCenter);
    int tableWidth = 0;
    for (int c = 0; c < NodeTableModel::ColumnCount; ++c) {
        const QString header = m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        const int width =
            std::max(ColumnTwips[c] / 15, columns->fontMetrics().horizontalAdvance(header) + 16);
        columns->resizeSection(c, width);
        tableWidth += width;
    }
    m_grdNodes->setMinimumWidth(tableWidth + m_grdNodes->verticalScrollBar()->sizeHint().width() +
                                2 * m_grdNodes->frameWidth());
    m_grdNodes->setMinimumHeight(rows->defaultSectionSize() * 20);

    auto* cmdExit = new QPushButton(QStringLiteral("&ออก"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));

    auto* input = new QHBoxLayout;
    input->addWidget(new QLabel(QStringLiteral("ป้อนข้อมูล"), this));
    input->addWidget(m_txtNodes, 1);
    input->addWidget(cmdExit);
    auto* hint = new QLabel(QStringLiteral("คลิ๊กที่ช่องตัวเลข ใส่ค่าที่ช่องป้อนข้อมูล"), this);
    hint->setObjectName(QStringLiteral("lblHint"));
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(input);
    outer->addWidget(hint);
    outer->addWidget(m_grdNodes, 1);

    connect(m_grdNodes, &QTableView::clicked, this, &NodeEntryDialog::grdNodes_Click);
    connect(m_txtNodes, &QLineEdit::textChanged, this, &NodeEntryDialog::txtNodes_Change);
    connect(cmdExit, &QPushButton::clicked, this, &NodeEntryDialog::cmdExit_Click);
    makeLastElevationCurrent();
}

void NodeEntryDialog::makeLastElevationCurrent()
{
    const QModelIndex last = m_model->index(m_model->rowCount() - 1, NodeTableModel::Elevation);
    m_grdNodes->setCurrentIndex(last);
    if (last.isValid())
        m_grdNodes->scrollTo(last);
}

void NodeEntryDialog::reloadFromProject()
{
    m_model->reload();
    const QSignalBlocker block(m_txtNodes);
    m_txtNodes->clear();
    makeLastElevationCurrent();
}

void NodeEntryDialog::grdNodes_Click(const QModelIndex& index)
{
    m_txtNodes->setText(m_model->cellText(index.row(), index.column()));
    m_txtNodes->setFocus();
    m_txtNodes->selectAll();
}

void NodeEntryDialog::txtNodes_Change(const QString& text)
{
    const QModelIndex current = m_grdNodes->currentIndex();
    if (current.isValid())
        m_model->typeInto(current.row(), current.column(), text);
}

void NodeEntryDialog::cmdExit_Click()
{
    if (m_project.NodeCount > 0)
        m_project.ComputeElevationRange();
    accept();
}

} // namespace tervan
