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

// The whole picture of the current display mode: the world window as the surface's scale,
// the background dot counts, a cleared surface and the picture on it.
void Redraw(Surface& surface, Project& p, const NodeLabels& labels,
            RedrawProgress* progress = nullptr);

} // namespace tervan
