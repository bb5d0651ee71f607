#pragma once

#include "grading/cutfillmap.h"
#include "grading/earthworktexts.h"
#include "grading/ui/earthworkdialogs.h"

class QCheckBox;

namespace tervan {

// What the two design dialogs share: the cut/fill map beside the per-cell table, a box to
// draw the cut and fill contours, one to print every cell, and the figures last computed, for
// printing.
class DesignDialogBase : public EarthworkDialogFrame
{
    Q_OBJECT
public:
    const Earthwork& earthwork() const { return m_earthwork; }
    double compaction() const { return m_k; }
    const CutFillMap& map() const { return m_map; }
    const std::vector<SummaryLine>& summaryLines() const { return m_lines; }
    QString title() const { return windowTitle(); }
    // Whether the printed table lists every cell rather than those with cut or fill.
    bool printEveryCell() const;

protected:
    DesignDialogBase(const Project& project, Prompts& prompts, const QString& title,
                     QWidget* parent);
    // The table and map, below `above` when given.
    QWidget* body(QWidget* above = nullptr);
    void showFigures(const Earthwork& e, double k, std::vector<SummaryLine> lines, CutFillMap map);
    void drawMap();
    double contourInterval() const;

    Earthwork m_earthwork;
    double m_k = 1;
    CutFillMap m_map;
    std::vector<SummaryLine> m_lines;

private:
    TextTableModel* m_cells;
    QLabel* m_picMap;
    QCheckBox* m_chkContours;
    QCheckBox* m_chkAllCells;
};

// The open project's ground against a design surface on the same grid.
class CompareDialog final : public DesignDialogBase
{
    Q_OBJECT
public:
    CompareDialog(const Project& project, Prompts& prompts, EarthworkGrid design,
                  const QString& designName, QWidget* parent = nullptr);

protected:
    void recompute() override;

private:
    EarthworkGrid m_design;
    QString m_designName;
    QLineEdit* m_txtK;
};

// A level pad over a typed rectangle of nodes, its batters run out to the ground; a blank
// level box balances it.
class PadDialog final : public DesignDialogBase
{
    Q_OBJECT
public:
    PadDialog(const Project& project, Prompts& prompts, QWidget* parent = nullptr);
    const PadResult& pad() const { return m_pad; }

protected:
    void recompute() override;

private:
    QLineEdit* m_txtLevel;
    QLineEdit* m_txtCutSlope;
    QLineEdit* m_txtFillSlope;
    QLineEdit* m_txtK;
    QLineEdit* m_txtCorner[4];
    PadResult m_pad;
};

} // namespace tervan
