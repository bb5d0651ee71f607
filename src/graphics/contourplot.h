#pragma once

namespace tervan {

struct AlongLabelStyle;
struct NodeLabels;
struct Project;
class Progress;
class Surface;

// The contour lines over the grid picture: every level in the line colour, whole levels
// bold when only they are labelled, and red level labels just outside the grid border.
// Returns the level after the last one. With `progress`, reports the levels done and stops
// early once cancelled. On a surface made of pixels, levels closer together than a line is
// wide are drawn pixel by pixel instead (see DrawLevelPixels).
// With ContourLabelsAlong, whole levels are drawn from their joined lines, broken under labels
// laid along them, clear of the node labels the grid picture wrote with `nodes`.
float PlotContour(Surface& surface, const Project& p, Progress* progress = nullptr,
                  const NodeLabels* nodes = nullptr);

// How labels along the lines look on a screen surface over the project's grid.
AlongLabelStyle alongLabelStyle(Surface& surface, const Project& p,
                                const NodeLabels* nodes = nullptr);

} // namespace tervan
