#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QSet>

namespace tervan {

struct Project;

// The node list as a table over the project's node table, without a copy: row r shows node
// r + 1 with its number, X, Y and elevation, and its E and N to the millimetre when the project
// is georeferenced. Texts typed into a cell are shown as typed; only
// the elevation column writes through to the node, read the lenient way. A typed elevation
// whose stored value is not what the text plainly says ("100,878" stores 100), or one too
// large for the node's float (the old value stays), is shown in red with a note saying what
// is stored, until the text is a plain number again.
class NodeTableModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    // E and N follow the other columns when the project is georeferenced.
    enum Column {
        Number,
        X,
        Y,
        Elevation,
        ColumnCount,
        East = ColumnCount,
        North,
        WorldColumnCount
    };

    explicit NodeTableModel(Project& project, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    QString cellText(int row, int column) const;
    // What the input box shows for the cell: the text typed there, else the elevation with all
    // its digits (the list shows it rounded), else the cell's text.
    QString boxText(int row, int column) const;
    // One change of the input box while the cell (row, column) is current.
    void typeInto(int row, int column, const QString& text);
    bool isRejected(int row) const { return m_rejected.contains(row); }
    bool isMarked(int row) const { return m_rejected.contains(row) || m_misread.contains(row); }
    // The node's height was estimated beyond the surveyed outline: its own background and a
    // tooltip saying so.
    bool isEstimated(int row) const;
    // Why the row's elevation is marked and what is stored; empty when it is not marked.
    QString note(int row) const;
    // Shows the project as it is now; typed texts are forgotten.
    void reload();
    // Marks the elevations of suspect heights (row -> the median of the node's neighbours):
    // a background of their own and the median in the tooltip.
    void setSuspects(const QHash<int, double>& medians);

signals:
    // A typed text changed node n's stored elevation.
    void elevationStored(int node);

private:
    static quint64 key(int row, int column) { return quint64(row) << 2 | quint64(column); }

    Project& m_project;
    int m_rows = 0;
    QHash<quint64, QString> m_typed;
    QSet<int> m_rejected;
    QSet<int> m_misread;
    QHash<int, double> m_suspects;
};

} // namespace tervan
