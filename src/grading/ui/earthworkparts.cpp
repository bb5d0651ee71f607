#include "grading/ui/earthworkparts.h"

#include "common/messages.h"
#include "common/numbertext.h"
#include "project/ui/prompts.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace tervan {

void TextTableModel::setTexts(TableTexts texts)
{
    beginResetModel();
    m_texts = std::move(texts);
    endResetModel();
}

int TextTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_texts.rows;
}

int TextTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_texts.headings.size());
}

QVariant TextTableModel::data(const QModelIndex& index, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_texts.rows)
        return {};
    return m_texts.row(index.row()).value(index.column());
}

QVariant TextTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return m_texts.headings.value(section);
}

SummaryPanel::SummaryPanel(QWidget* parent) : QWidget(parent), m_grid(new QGridLayout(this))
{
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setColumnMinimumWidth(
        1, fontMetrics().horizontalAdvance(QStringLiteral("-0000000000.00")) + 10);
}

void SummaryPanel::setLines(const std::vector<SummaryLine>& lines)
{
    while (QLayoutItem* item = m_grid->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_values.clear();
    for (int i = 0; i < int(lines.size()); ++i) {
        auto* box = new QLabel(lines[std::size_t(i)].value, this);
        box->setObjectName(QStringLiteral("lblValue%1").arg(i));
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        box->setStyleSheet(
            QStringLiteral("background: white; border: 1px solid black; padding: 1px 3px;"));
        m_grid->addWidget(new QLabel(lines[std::size_t(i)].label, this), i, 0);
        m_grid->addWidget(box, i, 1);
        m_grid->addWidget(new QLabel(lines[std::size_t(i)].unit, this), i, 2);
        m_values << box;
    }
}

QLabel* SummaryPanel::value(int index) const
{
    return m_values.value(index);
}

InputRow::InputRow(QWidget* parent) : QWidget(parent), m_grid(new QGridLayout(this))
{
    m_grid->setContentsMargins(0, 0, 0, 0);
}

QLineEdit* InputRow::add(const char* name, const QString& caption, const QString& text,
                         const QString& unit)
{
    auto* box = new QLineEdit(text, this);
    box->setObjectName(QLatin1String(name));
    box->setAlignment(Qt::AlignRight);
    box->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000.000")) + 16);
    m_grid->addWidget(new QLabel(caption, this), 0, m_column++);
    m_grid->addWidget(box, 0, m_column++);
    m_grid->addWidget(new QLabel(unit, this), 0, m_column++);
    m_grid->setColumnMinimumWidth(m_column++, 12);
    return box;
}

std::pair<QLineEdit*, QLineEdit*> InputRow::addSlopes()
{
    const QString percent = QStringLiteral("%");
    QLineEdit* x = add("txtSlopeX", QStringLiteral("ลาดแกน X"), QStringLiteral("0"), percent);
    return {x, add("txtSlopeY", QStringLiteral("ลาดแกน Y"), QStringLiteral("0"), percent)};
}

SuspectWarning::SuspectWarning(int count, std::function<void()> showList, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("fraSuspects"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* text = new QLabel(QStringLiteral("มีค่าระดับผิดปกติ %1 จุด").arg(count), this);
    text->setObjectName(QStringLiteral("lblSuspects"));
    text->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    auto* list = new QPushButton(QStringLiteral("ดูรายการ…"), this);
    list->setObjectName(QStringLiteral("cmdSuspects"));
    list->setAutoDefault(false);
    connect(list, &QPushButton::clicked, this, std::move(showList));
    layout->addWidget(text);
    layout->addWidget(list);
    layout->addStretch();
}

QTableView* textTable(QWidget* parent, TextTableModel* model, const char* name)
{
    auto* table = new QTableView(parent);
    table->setObjectName(QLatin1String(name));
    table->setMinimumSize(560, 260);
    table->setModel(model);
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return table;
}

std::optional<double> readBox(QLineEdit* box, Prompts& prompts, bool (*valid)(double))
{
    const auto value = readLocaleNumber(box->text());
    if (value && std::isfinite(*value) && valid(*value))
        return value;
    prompts.notice(msg::InputError);
    box->setFocus();
    box->selectAll();
    return std::nullopt;
}

} // namespace tervan
