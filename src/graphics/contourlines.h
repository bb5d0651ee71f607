#pragma once

#include "graphics/contourtracer.h"

#include <QPointF>
#include <functional>
#include <vector>

namespace tervan {

struct Project;

// One contour as it leaves the program: the tracer's segments of one level joined end to end.
struct ContourLine
{
    float level = 0;
    bool whole = false;
    bool closed = false; // the last point repeats the first
    std::vector<QPointF> points;
};

// A border label of the window's picture: where the level meets the grid's edge.
struct ContourLabel
{
    Border border = Border::Bottom;
    QPointF at;
    float level = 0;
};

struct ContourSet
{
    float interval = 0;
    std::vector<ContourLine> lines;
    std::vector<ContourLabel> labels; // whole levels only, as the window's bold picture
};

// Traces the project as the window draws it and joins the segments of each level into
// polylines, in grid coordinates.
ContourSet traceContourLines(const Project& p, float interval);

// The same lines a level at a time, lowest first: `take` gets each level that has lines as soon
// as they are joined, with the share of levels done, and may keep them (move them out). A
// writer that streams holds one level, never the set. False when `take` stopped the trace.
using TakeLevel = std::function<bool(std::vector<ContourLine>& lines, double done)>;
bool traceContourLevels(const Project& p, float interval, const TakeLevel& take);

// The border labels of the window's picture alone.
std::vector<ContourLabel> contourBorderLabels(const Project& p, float interval);

} // namespace tervan
