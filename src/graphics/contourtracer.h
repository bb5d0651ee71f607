#pragma once

#include <QString>
#include <QtGlobal>

namespace tervan {

struct Project;
enum class ContourEmphasis : qint16;

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
    // Asked after each level: a drawing nobody waits for any more stops there.
    virtual bool cancelled() const { return false; }
    // A sink that wants the border labels alone: the walk then visits the border cells only.
    virtual bool bordersOnly() const { return false; }
};

// The levels of a contour picture: level k (from 0) is the whole metre below ElevMin plus
// (first + k) intervals, summed in double and stored as a 32-bit float once, so whole levels
// come out exactly whole. The first level is the lowest one from ElevMin up; the walk draws
// it and every following level up to ElevMax. A picture with a problem draws no contours.
struct ContourLevels
{
    // More levels than a picture can show; one mistyped height would otherwise cost minutes.
    static constexpr qint64 Budget = 20000;
    enum Problem { None, BadInterval, IntervalTooSmall, TooMany };

    double base = 0;
    double interval = 0;
    qint64 first = 1;
    qint64 count = 0;
    Problem problem = None;

    float level(qint64 index) const;
};

// With the project's levels from zero, level k is k intervals from 0 instead, the first the
// lowest at or above ElevMin.
ContourLevels contourLevels(const Project& p, float interval);

// The levels drawn bold, labelled and exported as index contours: whole metres, or with levels
// from zero the multiples of five intervals.
bool isIndexLevel(const Project& p, float interval, float level);
// What the user is told when the levels cannot be drawn; empty when they can.
QString contourNotice(const ContourLevels& levels);

// A stretch of border lying along a level gets one label, from the first cell that reaches
// it: a label at border node `at` (its index along the border, columns on the bottom and top,
// rows on the sides; -1 between nodes) is left out when the label before it on that border,
// at `before`, lies on the same stretch.
bool continuesLevelStretch(const Project& p, Border border, int before, int at, float level);

// Traces every contour level from one interval above the whole metre below ElevMin up to
// ElevMax over the cells of the grid, each cell split into two triangles by its diagonal from
// lower left to upper right, and reports points, segments and border labels. Levels and
// crossings are 32-bit floats stored at each step. Labels are reported for every level when
// `emphasis` is EveryLevel, and only for whole levels when it is WholeLevels (whole levels are
// then 2 pixels wide). A triangle whose corners all lie at a level draws nothing for it, and a
// border stretch along a level is labelled once (continuesLevelStretch). Levels with a problem (see
// ContourLevels) trace nothing. Returns the level after the last one.
//
// Only cells whose corner elevations span a level are visited for it, in cell order, so the
// cost follows the crossed cells rather than levels x cells.
//
// On a printed page Y points down: with `pageCoordinates` every node Y enters negated, so the
// crossings come out in page coordinates and the top border lies at minus the grid height.
float TraceContours(const Project& p, float interval, ContourEmphasis emphasis, ContourSink& sink,
                    bool pageCoordinates = false);

} // namespace tervan
