#pragma once

#include "grading/pads.h"

#include <QPointF>
#include <optional>

namespace tervan {

// The plan geometry a pad is drawn and edited with, in grid metres.

// The downhill bearing (degrees clockwise from north, 0 to below 360) of a fall along one of
// the pad's edges, from corner `edge` towards the next; none for an edge that is no edge or
// has no length.
std::optional<double> edgeFallBearing(const PadShape& pad, int edge);

// The edge whose downhill bearing is `bearing` within a thousandth of a degree; -1 when none,
// so a pad read back from its file shows the edge it was given by.
int edgeOfFallBearing(const PadShape& pad, double bearing);

// The node nearest to `at` on a grid of `cols` x `rows` nodes `spacing` metres apart.
QPointF nearestNode(QPointF at, int cols, int rows, double spacing);

} // namespace tervan
