#pragma once

#include "graphics/gridplot.h"

#include <atomic>

namespace tervan {

struct Project;
class Surface;

// Shared with a drawing on another thread: how far it got (per mille of the contour levels)
// and whether it should stop at the next level because nobody waits for it any more.
struct RedrawProgress
{
    std::atomic<bool> cancelled{false};
    std::atomic<int> permille{0};
};

// What a redraw measured on its way: the background dot counts of the world window, and the
// level after the last contour traced (0 when the picture has no contours).
struct RedrawMeasures
{
    GridDots dots;
    float contoursEnd = 0;
    bool operator==(const RedrawMeasures&) const = default;
};

// The whole picture of the current display mode: the world window as the surface's scale,
// a cleared surface and the picture on it.
RedrawMeasures Redraw(Surface& surface, const Project& p, const NodeLabels& labels,
                      RedrawProgress* progress = nullptr);

} // namespace tervan
