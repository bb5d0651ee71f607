#pragma once

namespace tervan {

struct Project;
class Surface;

// The contour lines over the grid picture: every level in the line colour, whole levels
// bold when only they are labelled, and red level labels just outside the grid border.
// Leaves the level after the last one in ContourLevel.
void PlotContour(Surface& surface, Project& p);

} // namespace tervan
