#pragma once

#include "grading/pads.h"

#include <QDockWidget>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTableWidget;

namespace tervan {

// What the pads panel edits: the pads and how they are balanced. One value, so a change of any
// part is one step of the history.
struct PadsDesign
{
    std::vector<PadShape> pads;
    PadBalance balance = PadBalance::None;
    double k = 1;
};

// The design's pads beside the plan: one row a pad (name, level or "สมดุล", slopes, cross-fall
// and its direction, cut, fill and area), the totals and the balance under them, and the
// places where two pads are too close for their level difference. It shows what it is given
// and asks for changes through its signals; the window decides what becomes of them.
class PadsPanel final : public QDockWidget
{
    Q_OBJECT
public:
    explicit PadsPanel(QWidget* parent = nullptr);

    // `result` is none when the pads cannot be designed, `problem` then says why. `nodeName`
    // names a node (index from 0) as the window shows nodes.
    void showDesign(const PadsDesign& design, const PadsResult* result, const QString& problem,
                    const std::function<QString(int)>& nodeName);
    int currentPad() const;
    // Wide enough for every column of the table without scrolling.
    int tableWidth() const;

signals:
    void addRequested();
    void drawRequested();
    void fileRequested();
    void editRequested(int pad);
    void deleteRequested(int pad);
    void sectionsRequested();
    void printRequested();
    void stakesRequested();
    void balanceRequested(PadBalance balance, double k);

private:
    void askBalance();

    QTableWidget* m_table;
    QComboBox* m_balance;
    QLineEdit* m_k;
    QLabel* m_totals;
    QListWidget* m_conflicts;
    PadsDesign m_shown;
};

} // namespace tervan
