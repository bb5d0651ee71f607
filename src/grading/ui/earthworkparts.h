#pragma once

#include "grading/earthworktexts.h"

#include <QAbstractTableModel>
#include <QWidget>
#include <functional>
#include <optional>

class QGridLayout;
class QLabel;
class QLineEdit;
class QTableView;

namespace tervan {

class Prompts;

// Pieces shared by the earthwork dialogs, in the look of the grade result dialogs: labelled
// input boxes, a summary of captions with white value boxes and units, a read-only table over
// row texts, and the compute / print / OK buttons.

// Rows of a table given as texts, read when shown.
class TextTableModel final : public QAbstractTableModel
{
public:
    explicit TextTableModel(QObject* parent) : QAbstractTableModel(parent) {}
    void setTexts(TableTexts texts);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    TableTexts m_texts;
};

// Caption, value box, unit, one line each; the lines can be replaced after a new computation.
class SummaryPanel final : public QWidget
{
    Q_OBJECT
public:
    explicit SummaryPanel(QWidget* parent = nullptr);
    void setLines(const std::vector<SummaryLine>& lines);
    // The value box of line `index` (from 0); object names are lblValue0, lblValue1, ...
    QLabel* value(int index) const;

private:
    QGridLayout* m_grid;
    QList<QLabel*> m_values;
};

// Input boxes in a row of caption / box / unit triples.
class InputRow final : public QWidget
{
    Q_OBJECT
public:
    explicit InputRow(QWidget* parent = nullptr);
    QLineEdit* add(const char* name, const QString& caption, const QString& text,
                   const QString& unit = {});
    // The plane's two slope boxes, txtSlopeX and txtSlopeY, starting at 0 %.
    std::pair<QLineEdit*, QLineEdit*> addSlopes();

private:
    QGridLayout* m_grid;
    int m_column = 0;
};

// A red line "มีค่าระดับผิดปกติ N จุด" with a button that opens the list of those heights
// (lblSuspects, cmdSuspects). Figures computed from mistyped heights must not pass unnoticed.
class SuspectWarning final : public QWidget
{
    Q_OBJECT
public:
    SuspectWarning(int count, std::function<void()> showList, QWidget* parent = nullptr);
};

// A read-only table of fixed row heights with centred cells.
QTableView* textTable(QWidget* parent, TextTableModel* model, const char* name);

// The number in a box, or nullopt after the input-error message with the box selected.
std::optional<double> readBox(QLineEdit* box, Prompts& prompts, bool (*valid)(double));

} // namespace tervan
