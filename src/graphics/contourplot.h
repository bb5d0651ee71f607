#pragma once

namespace tervan {

struct Project;
struct RedrawProgress;
class Surface;

// The contour lines over the grid picture: every level in the line colour, whole levels
// bold when only they are labelled, and red level labels just outside the grid border.
// Leaves the level after the last one in ContourLevel. With `progress`, reports the levels
// done and stops early once cancelled.
void PlotContour(Surface& surface, Project& p, RedrawProgress* progress = nullptr);

} // namespace tervan
