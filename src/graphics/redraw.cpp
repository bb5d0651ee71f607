#include "graphics/redraw.h"

#include "common/vectorstate.h"

#include "graphics/contourplot.h"
#include "graphics/surface.h"
#include "graphics/surfacemesh.h"
#include "project/project.h"

namespace tervan {

RedrawMeasures Redraw(Surface& s, const Project& p, const NodeLabels& labels,
                      Progress* progress)
{
    clearUpperVectorState();
    s.setWorld(p.ViewXMin, p.ViewYMax, p.ViewXMax, p.ViewYMin);
    RedrawMeasures measured{gridDots(p)};
    s.clear();
    switch (p.DisplayMode) {
    case PictureKind::Grid:
        PlotGrid(s, p, labels, measured.dots);
        break;
    case PictureKind::GridWithContours:
        PlotGrid(s, p, labels, measured.dots);
        measured.contoursEnd = PlotContour(s, p, progress, &labels);
        break;
    case PictureKind::Surface:
        PlotSurfaceMesh(s, p);
        break;
    case PictureKind::None:
        break;
    }
    return measured;
}

} // namespace tervan
