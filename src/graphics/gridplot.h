#pragma once

#include <QString>
#include <QStringList>

namespace tervan {

struct Project;
class Surface;

// Which labels the grid picture writes at every node.
struct NodeLabels
{
    bool coordinates = false;
    bool numbers = true;
    bool elevations = true;
    bool operator==(const NodeLabels&) const = default;
};

// The label node j carries under `labels`; null without one.
QString nodeLabelText(const Project& p, const NodeLabels& labels, int j);
// The label with the most characters, null without labels.
QString longestNodeLabel(const Project& p, const NodeLabels& labels);
// Node labels are written only while the longest fits in a cell's width: on a large grid seen
// whole they would bury the picture. Both widths in one unit.
bool nodeLabelsFit(double labelWidth, double cellWidth);

// How many background dots the world window holds across and up, one every view step.
struct GridDots
{
    float GridDotCols = 0;
    float GridDotRows = 0;
    bool operator==(const GridDots&) const = default;
};
GridDots gridDots(const Project& p);

// The two caption lines the grid views write right of the grid: its spacing and the contour
// interval; none without a grid.
QStringList gridCaptions(const Project& p);

// Background dots every view step, red axis marks at the origin, the grid lines, the node
// labels where they fit (see nodeLabelsFit) and the captions right of the grid, a line apart
// however small the view step is on screen. The caller has
// cleared the surface and set the world window; `dots` are gridDots(p). Widths and heights are
// computed in 32 bits, so grids wider than 32767 m draw where they are.
void PlotGrid(Surface& surface, const Project& p, const NodeLabels& labels, const GridDots& dots);

} // namespace tervan
