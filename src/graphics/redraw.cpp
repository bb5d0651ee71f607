#include "graphics/redraw.h"

#include "common/vectorstate.h"

#include "graphics/contourplot.h"
#include "graphics/surface.h"
#include "graphics/surfacemesh.h"
#include "project/project.h"

#include <cmath>

namespace tervan {

void Redraw(Surface& s, Project& p, const NodeLabels& labels, RedrawProgress* progress)
{
    clearUpperVectorState();
    s.setWorld(p.ViewXMin, p.ViewYMax, p.ViewXMax, p.ViewYMin);
    p.GridDotCols = std::fabs(double(p.ViewXMax) - p.ViewXMin) / p.ViewStepX + 1;
    p.GridDotRows = std::fabs(double(p.ViewYMax) - p.ViewYMin) / p.ViewStepY + 1;
    s.clear();
    switch (p.DisplayMode) {
    case 1:
        PlotGrid(s, p, labels);
        break;
    case 2:
        PlotGrid(s, p, labels);
        PlotContour(s, p, progress, &labels);
        break;
    case 3:
        PlotSurfaceMesh(s, p);
        break;
    default:
        break;
    }
}

} // namespace tervan
