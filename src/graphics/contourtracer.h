#pragma once

#include <QtGlobal>

namespace tervan {

struct Project;

// The grid border a contour label belongs to.
enum class Border { Bottom, Right, Top, Left };

// Receives what the tracer finds, in drawing order.
class ContourSink
{
public:
    virtual ~ContourSink() = default;
    // A new level starts; its lines are `lineWidth` pixels wide.
    virtual void level(float level, int lineWidth) = 0;
    // A single crossing drawn as a point (a line of zero length).
    virtual void point(float x, float y) = 0;
    virtual void segment(float x1, float y1, float x2, float y2) = 0;
    // A labelled level meets the grid border at (x, y).
    virtual void label(Border border, float x, float y, float level) = 0;
};

// Traces every contour level from one interval above the whole metre below ElevMin up to
// ElevMax over the cells of the grid, each cell split into two triangles by its diagonal from
// lower left to upper right, and reports points, segments and border labels. Levels and
// crossings are 32-bit floats stored at each step. Labels are reported for every level when
// `boldWhole` is 0, and only for whole levels when it is -1 (whole levels are then 2 pixels
// wide). An interval that is not a positive finite number traces nothing; a level that no
// longer grows when the interval is added ends the walk. Returns the level after the last one.
//
// Only cells whose corner elevations span a level are visited for it, in cell order, so the
// cost follows the crossed cells rather than levels x cells.
//
// On a printed page Y points down: with `pageCoordinates` every node Y enters negated, so the
// crossings come out in page coordinates and the top border lies at minus the grid height.
float TraceContours(const Project& p, float interval, qint16 boldWhole, ContourSink& sink,
                    bool pageCoordinates = false);

} // namespace tervan
