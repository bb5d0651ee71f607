#pragma once

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

// Background dots every view step, red axis marks at the origin, the grid lines, the node
// labels and two caption lines right of the grid. The caller has cleared the surface, set the
// world window and the dot counts. Widths and heights are computed in 32 bits, so grids wider
// than 32767 m draw where they are.
void PlotGrid(Surface& surface, const Project& p, const NodeLabels& labels);

} // namespace tervan
