#pragma once

#include "project/ui/centreddialog.h"

class QLabel;
class QLineEdit;
class QTableView;

namespace tervan {

struct Project;
class NodeTableModel;

// frmNodeCoordi: the list of every node with one input box above it. Every change of the box
// goes into the current cell and, in the elevation column, straight into the node. Moving to a
// cell (click, keys) only shows its value in the box, never stores it. The keyboard works from
// the box alone: Return and Down go to the next node, Up back, Page Up/Down by a page,
// Ctrl+Home/End to the first and last node; keys typed into the list go to the box. A paste of
// several values fills consecutive nodes. It opens at the last node, or at the first when no
// node has a height yet; Return on the last node stays there and says so. Undo and redo keys
// are left to the program's history, not the box. Every way of leaving recomputes the
// elevation range. Modeless: the owner calls reloadFromProject whenever the grid changes and
// refresh when heights changed elsewhere.
class NodeEntryDialog final : public CentredDialog
{
    Q_OBJECT
public:
    NodeEntryDialog(Project& project, QWidget* parent = nullptr);

    NodeTableModel* model() const { return m_model; }
    QTableView* grid() const { return m_grdNodes; }
    void reloadFromProject();
    // Shows the heights as they are now, staying on the current node.
    void refresh();
    // Fills elevations from the current node down with the values of a pasted text (newlines,
    // tabs or semicolons between them). False when the text holds a single value.
    bool pasteValues(const QString& text);

    void done(int result) override;

signals:
    // The input box changed the elevation of node n (or left it as it was).
    void typed(int node);
    // A paste filled count nodes from node n on.
    void pasted(int node, int count);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void grdNodes_Click(const QModelIndex& index);
    void txtNodes_Change(const QString& text);
    void cmdExit_Click();
    void makeStartingElevationCurrent();
    void showCurrentInBox();
    void moveToRow(int row);
    bool boxKey(QKeyEvent* key);
    bool listKey(QKeyEvent* key);
    void showBoxMenu(const QPoint& at);
    void pasteFromClipboard();
    void showNote();

    Project& m_project;
    NodeTableModel* m_model;
    QTableView* m_grdNodes;
    QLineEdit* m_txtNodes;
    QLabel* m_lblStatus;
};

} // namespace tervan
