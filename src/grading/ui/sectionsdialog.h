#pragma once

#include "grading/sections.h"

#include <QDialog>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableView;

namespace tervan {

class Prompts;
class TextTableModel;

// Cross-sections along a line over the ground and the pads' design: the line's points (one
// "E, N" a line, world coordinates; a line drawn on the plan arrives filled in), the station
// interval and the width across. Computing shows every section and the long profile, one
// level scale for the sections, and the volume table; the results print, save as CSV, or as
// DXF through `saveDxf` (which returns why it failed).
class SectionsDialog final : public QDialog
{
    Q_OBJECT
public:
    using Print = std::function<void(const SectionsResult&, double every, double width)>;
    using SaveDxf = std::function<QString(const SectionsResult&, const QString& fileName)>;

    SectionsDialog(const EarthworkGrid& ground, const EarthworkGrid& design, QPointF origin,
                   const std::vector<QPointF>& line, Prompts& prompts, Print print, SaveDxf saveDxf,
                   QWidget* parent = nullptr);

    // The sections last computed; none before or after a refused line.
    const std::optional<SectionsResult>& result() const { return m_result; }
    // Computes from the boxes; false (with the reason shown) when the line is refused.
    bool compute();

private:
    void drawPreview();
    void saveCsv();
    void saveDxfFile();

    const EarthworkGrid& m_ground;
    const EarthworkGrid& m_design;
    QPointF m_origin;
    Prompts& m_prompts;
    Print m_print;
    SaveDxf m_saveDxf;
    QPlainTextEdit* m_line;
    QLineEdit* m_every;
    QLineEdit* m_width;
    QLabel* m_problem;
    QLabel* m_preview;
    QLabel* m_totals;
    TextTableModel* m_table;
    std::optional<SectionsResult> m_result;
    double m_everyUsed = 10, m_widthUsed = 20;
};

} // namespace tervan
