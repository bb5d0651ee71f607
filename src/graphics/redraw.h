#pragma once

#include "graphics/gridplot.h"

namespace tervan {

class Progress;
struct Project;
class Surface;

// What a redraw measured on its way: the background dot counts of the world window, and the
// level after the last contour traced (0 when the picture has no contours).
struct RedrawMeasures
{
    GridDots dots;
    float contoursEnd = 0;
    bool operator==(const RedrawMeasures&) const = default;
};

// The whole picture of the current display mode: the world window as the surface's scale,
// a cleared surface and the picture on it. `progress` hears the share of the contour levels
// drawn and stops the drawing at the next level once cancelled.
RedrawMeasures Redraw(Surface& surface, const Project& p, const NodeLabels& labels,
                      Progress* progress = nullptr);

} // namespace tervan
