#include "project/ui/nodeentrydialog.h"

#include "project/nodetablemodel.h"
#include "project/project.h"
#include "project/projectedit.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

namespace tervan {

namespace {

// Column widths as laid out in twips, at 15 twips a pixel, widened for the header text.
constexpr int ColumnTwips[NodeTableModel::WorldColumnCount] = {600, 1000, 1000, 1000, 1600, 1600};

// The values of a pasted text; blank trailing fields (a final line end) are not values.
QStringList pastedValues(const QString& text)
{
    static const QRegularExpression separator(QStringLiteral("\\r\\n|[\\r\\n\\t;]"));
    QStringList values = text.split(separator);
    while (!values.isEmpty() && values.last().trimmed().isEmpty())
        values.removeLast();
    for (QString& v : values)
        v = v.trimmed();
    return values;
}

} // namespace

NodeEntryDialog::NodeEntryDialog(Project& project, QWidget* parent)
    : CentredDialog(parent), m_project(project), m_model(new NodeTableModel(project, this)),
      m_grdNodes(new QTableView(this)), m_txtNodes(new QLineEdit(this)),
      m_lblStatus(new QLabel(this))
{
    setObjectName(QStringLiteral("frmNodeCoordi"));
    setWindowTitle(QStringLiteral("ป้อนค่าระดับ"));
    setModal(false);
    m_grdNodes->setObjectName(QStringLiteral("grdNodes"));
    m_txtNodes->setObjectName(QStringLiteral("txtNodes"));
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));

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
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const QString header = m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        // The number column also fits the largest node number, E and N a UTM coordinate.
        const QString widest = c == NodeTableModel::Number ? QStringLiteral("32767")
                               : c >= NodeTableModel::East ? QStringLiteral("1520000.000")
                                                           : QString();
        const int text = std::max(columns->fontMetrics().horizontalAdvance(header),
                                  m_grdNodes->fontMetrics().horizontalAdvance(widest));
        const int width = std::max(ColumnTwips[c] / 15, text + 16);
        columns->resizeSection(c, width);
        tableWidth += width;
    }
    m_grdNodes->setMinimumWidth(tableWidth + m_grdNodes->verticalScrollBar()->sizeHint().width() +
                                2 * m_grdNodes->frameWidth());
    m_grdNodes->setMinimumHeight(rows->defaultSectionSize() * 20);

    auto* cmdExit = new QPushButton(QStringLiteral("&ออก"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    // Return belongs to the input box: it moves to the next node, never closes the list.
    cmdExit->setAutoDefault(false);
    cmdExit->setDefault(false);

    // Ctrl+G or the box: straight to a node by its number.
    auto* goTo = new QSpinBox(this);
    goTo->setObjectName(QStringLiteral("spnGoToNode"));
    goTo->setRange(1, std::max<int>(1, m_project.NodeCount));
    goTo->setToolTip(QStringLiteral("ไปที่จุดหมายเลข (Ctrl+G)"));
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_G), this);
    connect(shortcut, &QShortcut::activated, this, [goTo, this] {
        goTo->setRange(1, std::max<int>(1, m_model->rowCount()));
        goTo->setFocus();
        goTo->selectAll();
    });
    connect(goTo, &QSpinBox::editingFinished, this, [goTo, this] {
        if (!goTo->hasFocus())
            return;
        moveToRow(goTo->value() - 1);
        m_txtNodes->setFocus();
    });

    auto* input = new QHBoxLayout;
    input->addWidget(new QLabel(QStringLiteral("ป้อนข้อมูล"), this));
    input->addWidget(m_txtNodes, 1);
    input->addWidget(new QLabel(QStringLiteral("ไปที่จุด"), this));
    input->addWidget(goTo);
    input->addWidget(cmdExit);
    auto* hint = new QLabel(QStringLiteral("คลิ๊กที่ช่องตัวเลข ใส่ค่าที่ช่องป้อนข้อมูล"), this);
    hint->setObjectName(QStringLiteral("lblHint"));
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(input);
    outer->addWidget(hint);
    outer->addWidget(m_grdNodes, 1);
    outer->addWidget(m_lblStatus);

    connect(m_grdNodes, &QTableView::clicked, this, &NodeEntryDialog::grdNodes_Click);
    connect(m_grdNodes->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &NodeEntryDialog::showCurrentInBox);
    connect(m_txtNodes, &QLineEdit::textChanged, this, &NodeEntryDialog::txtNodes_Change);
    connect(cmdExit, &QPushButton::clicked, this, &NodeEntryDialog::cmdExit_Click);
    m_txtNodes->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_txtNodes, &QWidget::customContextMenuRequested, this, &NodeEntryDialog::showBoxMenu);
    m_txtNodes->installEventFilter(this);
    m_grdNodes->installEventFilter(this);
    setTabOrder(m_txtNodes, m_grdNodes);
    setTabOrder(m_grdNodes, cmdExit);

    makeStartingElevationCurrent();
    // The box starts empty: typing right away edits the current node.
    {
        const QSignalBlocker block(m_txtNodes);
        m_txtNodes->clear();
    }
    m_txtNodes->setFocus();
}

void NodeEntryDialog::makeStartingElevationCurrent()
{
    // A grid without heights is typed from its first node on.
    const int row = allHeightsUnset(m_project) ? 0 : m_model->rowCount() - 1;
    const QModelIndex start = m_model->index(row, NodeTableModel::Elevation);
    m_grdNodes->setCurrentIndex(start);
    if (start.isValid())
        m_grdNodes->scrollTo(start);
}

void NodeEntryDialog::reloadFromProject()
{
    m_model->reload();
    makeStartingElevationCurrent();
    const QSignalBlocker block(m_txtNodes);
    m_txtNodes->clear();
    m_lblStatus->clear();
}

void NodeEntryDialog::refresh()
{
    const QModelIndex current = m_grdNodes->currentIndex();
    if (m_model->rowCount() != m_project.NodeCount || !current.isValid()) {
        reloadFromProject();
        return;
    }
    m_model->reload();
    m_grdNodes->setCurrentIndex(m_model->index(current.row(), current.column()));
    showCurrentInBox();
}

void NodeEntryDialog::showCurrentInBox()
{
    const QModelIndex current = m_grdNodes->currentIndex();
    const QSignalBlocker block(m_txtNodes);
    m_txtNodes->setText(current.isValid() ? m_model->boxText(current.row(), current.column())
                                          : QString());
    m_txtNodes->selectAll();
    showNote();
}

void NodeEntryDialog::showNote()
{
    const QModelIndex current = m_grdNodes->currentIndex();
    m_lblStatus->setText(current.isValid() && current.column() == NodeTableModel::Elevation
                             ? m_model->note(current.row())
                             : QString());
}

void NodeEntryDialog::moveToRow(int row)
{
    if (m_model->rowCount() == 0)
        return;
    row = std::clamp(row, 0, m_model->rowCount() - 1);
    const QModelIndex target = m_model->index(row, NodeTableModel::Elevation);
    if (target != m_grdNodes->currentIndex())
        m_grdNodes->setCurrentIndex(target);
    else
        showCurrentInBox();
    m_grdNodes->scrollTo(target);
    m_txtNodes->setFocus();
    m_txtNodes->selectAll();
}

void NodeEntryDialog::grdNodes_Click(const QModelIndex& index)
{
    if (index != m_grdNodes->currentIndex())
        m_grdNodes->setCurrentIndex(index);
    showCurrentInBox();
    m_txtNodes->setFocus();
    m_txtNodes->selectAll();
}

void NodeEntryDialog::txtNodes_Change(const QString& text)
{
    const QModelIndex current = m_grdNodes->currentIndex();
    if (!current.isValid())
        return;
    m_model->typeInto(current.row(), current.column(), text);
    showNote();
    if (current.column() == NodeTableModel::Elevation)
        emit typed(current.row() + 1);
}

void NodeEntryDialog::cmdExit_Click()
{
    accept();
}

void NodeEntryDialog::done(int result)
{
    // The exit button, Escape and the window's close button all end here.
    if (m_project.NodeCount > 0)
        m_project.ComputeElevationRange();
    CentredDialog::done(result);
}

namespace {

bool isHistoryKey(const QKeyEvent* key)
{
    return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
           key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y);
}

} // namespace

bool NodeEntryDialog::eventFilter(QObject* watched, QEvent* event)
{
    // The box would undo its own text, which is already in the node; the program's history
    // undoes the node instead.
    if (watched == m_txtNodes &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        isHistoryKey(static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == m_txtNodes)
            return boxKey(key);
        if (watched == m_grdNodes)
            return listKey(key);
    }
    return CentredDialog::eventFilter(watched, event);
}

bool NodeEntryDialog::boxKey(QKeyEvent* key)
{
    const int row = m_grdNodes->currentIndex().row();
    const int page =
        std::max(1, m_grdNodes->viewport()->height() /
                            std::max(1, m_grdNodes->verticalHeader()->defaultSectionSize()) -
                        1);
    const bool ctrl = key->modifiers() & Qt::ControlModifier;
    if (key->matches(QKeySequence::Paste)) {
        pasteFromClipboard();
        return true;
    }
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        moveToRow(row + 1);
        // Another value typed here would replace this one, so the end is said.
        if (row + 1 >= m_model->rowCount())
            m_lblStatus->setText(QStringLiteral("ถึงจุดสุดท้ายแล้ว"));
        return true;
    case Qt::Key_Down:
        moveToRow(row + 1);
        return true;
    case Qt::Key_Up:
        moveToRow(row - 1);
        return true;
    case Qt::Key_PageDown:
        moveToRow(row + page);
        return true;
    case Qt::Key_PageUp:
        moveToRow(row - page);
        return true;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (!ctrl)
            return false;
        moveToRow(key->key() == Qt::Key_Home ? 0 : m_model->rowCount() - 1);
        return true;
    default:
        return false;
    }
}

bool NodeEntryDialog::listKey(QKeyEvent* key)
{
    if (key->matches(QKeySequence::Paste)) {
        pasteFromClipboard();
        return true;
    }
    const bool command = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    const bool typed = !key->text().isEmpty() && key->text().at(0).isPrint();
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        m_txtNodes->setFocus();
        m_txtNodes->selectAll();
        return true;
    }
    if (command || !typed)
        return false; // arrows and the like move the current cell as usual
    // Typing into the list edits the current cell through the box, replacing its value,
    // rather than searching the list.
    showCurrentInBox();
    m_txtNodes->setFocus();
    QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(),
                   ushort(key->count()));
    QApplication::sendEvent(m_txtNodes, &copy);
    return true;
}

void NodeEntryDialog::showBoxMenu(const QPoint& at)
{
    QMenu* menu = m_txtNodes->createStandardContextMenu();
    if (QAction* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
        paste->disconnect();
        connect(paste, &QAction::triggered, this, &NodeEntryDialog::pasteFromClipboard);
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(m_txtNodes->mapToGlobal(at));
}

void NodeEntryDialog::pasteFromClipboard()
{
    const QString text = QApplication::clipboard()->text();
    if (!pasteValues(text)) {
        m_txtNodes->setFocus();
        m_txtNodes->insert(pastedValues(text).value(0));
    }
}

bool NodeEntryDialog::pasteValues(const QString& text)
{
    const QStringList values = pastedValues(text);
    const QModelIndex current = m_grdNodes->currentIndex();
    if (values.size() < 2 || !current.isValid())
        return false;
    const int first = current.row();
    const int fitting = std::min<int>(values.size(), m_model->rowCount() - first);
    int misread = 0;
    for (int i = 0; i < fitting; ++i) {
        m_model->typeInto(first + i, NodeTableModel::Elevation, values[i]);
        misread += m_model->isMarked(first + i) ? 1 : 0;
    }
    moveToRow(first + fitting - 1);
    QString status = QStringLiteral("วางค่าระดับ %1 ค่า").arg(fitting);
    if (misread > 0)
        status += QStringLiteral(" อ่านได้ไม่ตรงกับที่วาง %1 ค่า (ตัวสีแดง)").arg(misread);
    if (values.size() > fitting)
        status += QStringLiteral(" เกินจุดสุดท้าย %1 ค่า ไม่ได้ใช้").arg(values.size() - fitting);
    m_lblStatus->setText(status);
    emit pasted(first + 1, fitting);
    return true;
}

} // namespace tervan
