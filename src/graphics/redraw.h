#pragma once

#include "graphics/gridplot.h"

namespace tervan {

struct Project;
class Surface;

// The whole picture of the current display mode: the world window as the surface's scale,
// the background dot counts, a cleared surface and the picture on it.
void Redraw(Surface& surface, Project& p, const NodeLabels& labels);

} // namespace tervan
