#include "project/nodetablemodel.h"

#include "common/numbertext.h"
#include "project/project.h"

#include <QBrush>
#include <QColor>
#include <algorithm>
#include <bit>
#include <cmath>

namespace tervan {

NodeTableModel::NodeTableModel(Project& project, QObject* parent)
    : QAbstractTableModel(parent), m_project(project), m_rows(project.NodeCount)
{
}

int NodeTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int NodeTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_project.Georef ? WorldColumnCount : ColumnCount;
}

QString NodeTableModel::cellText(int row, int column) const
{
    if (const auto it = column < ColumnCount ? m_typed.constFind(key(row, column)) : m_typed.cend();
        it != m_typed.cend())
        return *it;
    const int n = row + 1;
    if (n > m_project.NodeCount || std::size_t(n) >= m_project.Nodes.size())
        return {};
    const NodePoint& node = m_project.Nodes[n];
    switch (column) {
    case Number:
        return QString::number(n);
    case X:
        return formatPicture(node.X, 0);
    case Y:
        return formatPicture(node.Y, 0);
    case Elevation:
        return formatPicture(node.Z, 2);
    case East:
        return m_project.Georef ? formatPicture(worldX(m_project.Georef, node.X), 3) : QString();
    case North:
        return m_project.Georef ? formatPicture(worldY(m_project.Georef, node.Y), 3) : QString();
    default:
        return {};
    }
}

QString NodeTableModel::boxText(int row, int column) const
{
    if (column == Elevation && !m_typed.contains(key(row, column))) {
        const int n = row + 1;
        if (n <= m_project.NodeCount && std::size_t(n) < m_project.Nodes.size())
            return shortestText(m_project.Nodes[n].Z);
    }
    return cellText(row, column);
}

QString NodeTableModel::note(int row) const
{
    const int n = row + 1;
    if (!isMarked(row) || n > m_project.NodeCount || std::size_t(n) >= m_project.Nodes.size())
        return {};
    const QString stored = QStringLiteral("เก็บค่า %1").arg(elevationText(m_project.Nodes[n].Z));
    if (m_rejected.contains(row))
        return QStringLiteral("ตัวเลขใหญ่เกินไป ไม่ได้เก็บ: %1").arg(stored);
    return QStringLiteral("อ่านได้ไม่ตรงกับที่พิมพ์: %1").arg(stored);
}

QVariant NodeTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::ForegroundRole:
        if (index.column() == Elevation && isMarked(index.row()))
            return QBrush(Qt::red);
        return {};
    case Qt::BackgroundRole:
        // The number column is the list's fixed column.
        if (index.column() == Number)
            return QBrush(QColor(0xe4, 0xe4, 0xe4));
        if (index.column() == Elevation && m_suspects.contains(index.row()))
            return QBrush(QColor(0xff, 0xd0, 0x80));
        if (index.column() == Elevation && isEstimated(index.row()))
            return QBrush(QColor(0xd0, 0xe0, 0xff));
        return {};
    case Qt::ToolTipRole: {
        if (index.column() != Elevation)
            return {};
        QStringList notes;
        if (isMarked(index.row()))
            notes << note(index.row());
        if (m_suspects.contains(index.row()))
            notes << QStringLiteral("ค่าระดับผิดปกติ: ค่ากลางของจุดข้างเคียง %1 ม.")
                         .arg(formatPicture(m_suspects.value(index.row()), 3));
        if (isEstimated(index.row()))
            notes << QStringLiteral("ค่าระดับประมาณ: จุดกริดอยู่นอกขอบเขตของจุดสำรวจ");
        return notes.join(QLatin1Char('\n'));
    }
    default:
        return {};
    }
}

bool NodeTableModel::isEstimated(int row) const
{
    const auto& g = m_project.Georef;
    return g && std::binary_search(g->estimated.begin(), g->estimated.end(), row + 1);
}

QVariant NodeTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Number:
        return QStringLiteral("จุดที่");
    case X:
        return QStringLiteral("พิกัด X (ม.)");
    case Y:
        return QStringLiteral("พิกัด Y (ม.)");
    case Elevation:
        return QStringLiteral("ค่าระดับ (ม.)");
    case East:
        return QStringLiteral("E (ม.)");
    case North:
        return QStringLiteral("N (ม.)");
    default:
        return {};
    }
}

void NodeTableModel::typeInto(int row, int column, const QString& text)
{
    // The grid may have shrunk since the list was filled: never write past the node table.
    const int n = row + 1;
    if (row < 0 || row >= m_rows || column < 0 || column >= ColumnCount ||
        n > m_project.NodeCount || std::size_t(n) >= m_project.Nodes.size())
        return;
    m_typed.insert(key(row, column), text);
    if (column == Elevation) {
        const LenientRead read = readLenientChecked(text);
        const auto z = static_cast<float>(read.value);
        if (std::isfinite(z)) {
            m_rejected.remove(row);
            // An empty box is the user clearing it to type anew, not a misreading.
            if (read.plain || text.trimmed().isEmpty())
                m_misread.remove(row);
            else
                m_misread.insert(row);
            float& stored = m_project.Nodes[n].Z;
            if (std::bit_cast<quint32>(stored) != std::bit_cast<quint32>(z)) {
                stored = z;
                emit elevationStored(n);
            }
        } else {
            m_rejected.insert(row);
            m_misread.remove(row);
        }
    }
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell);
}

void NodeTableModel::reload()
{
    beginResetModel();
    m_rows = m_project.NodeCount;
    m_typed.clear();
    m_rejected.clear();
    m_misread.clear();
    endResetModel();
}

void NodeTableModel::setSuspects(const QHash<int, double>& medians)
{
    if (medians == m_suspects)
        return;
    m_suspects = medians;
    if (m_rows > 0)
        emit dataChanged(index(0, Elevation), index(m_rows - 1, Elevation),
                         {Qt::BackgroundRole, Qt::ToolTipRole});
}

} // namespace tervan
