#pragma once

#include "project/ui/centreddialog.h"

class QLineEdit;
class QTableView;

namespace tervan {

struct Project;
class NodeTableModel;

// frmNodeCoordi: the list of every node with one input box above it. A click copies the
// cell's text into the box; every change of the box goes into the current cell and, in the
// elevation column, straight into the node. Leaving by the exit button recomputes the
// elevation range. Modeless: the owner calls reloadFromProject whenever the grid changes.
class NodeEntryDialog final : public CentredDialog
{
    Q_OBJECT
public:
    NodeEntryDialog(Project& project, QWidget* parent = nullptr);

    NodeTableModel* model() const { return m_model; }
    QTableView* grid() const { return m_grdNodes; }
    void reloadFromProject();

private:
    void grdNodes_Click(const QModelIndex& index);
    void txtNodes_Change(const QString& text);
    void cmdExit_Click();
    void makeLastElevationCurrent();

    Project& m_project;
    NodeTableModel* m_model;
    QTableView* m_grdNodes;
    QLineEdit* m_txtNodes;
};

} // namespace tervan
