#pragma once

#include "grading/earthwork.h"

#include <vector>

namespace tervan {

// A level building pad over a rectangle of nodes whose edges run out to the ground on side
// slopes. Columns and rows count from 0, column 0 at the left edge and row 0 at the bottom.
struct PadRect
{
    int c0 = 0, r0 = 0, c1 = 0, r1 = 0;
    // At least one whole cell, inside the grid, first before last.
    bool fits(const EarthworkGrid& g) const
    {
        return c0 >= 0 && r0 >= 0 && c0 < c1 && r0 < r1 && c1 < g.cols && r1 < g.rows;
    }
};

// Horizontal metres per metre of height of the batters: hc in cut, hf in fill (1.5 for 1.5:1).
struct PadSlopes
{
    double hc = 1.5;
    double hf = 2.0;
};

inline bool isBatterRun(double h)
{
    return std::isfinite(h) && h > 0;
}

// The design surface of a pad at elevation zp: zp on the rectangle; outside it, at horizontal
// distance d from the rectangle, min(ground, zp + d / hc) where the ground stands above zp and
// max(ground, zp - d / hf) where below. `daylight` is positive where the batter has reached the
// ground and negative where it has not, so its zero line is the daylight line. `openEdge` lists
// the border nodes outside the pad where it has not (node indexes from 0): there the slope runs
// on past the grid.
struct PadDesign
{
    EarthworkGrid design;
    std::vector<double> daylight;
    std::vector<int> openEdge;
};

PadDesign padDesign(const EarthworkGrid& ground, const PadRect& rect, double zp, PadSlopes s);

// One pad's figures: the design, its earthwork against the ground, the net with the
// compaction factor and the cubic metres one centimetre of zp moves.
struct PadResult
{
    PadRect rect;
    PadSlopes slopes;
    double zp = 0;
    double k = 1;
    bool balanced = false;
    PadDesign pad;
    Earthwork earthwork;
    double net = 0;
    double perCentimetre = 0;
    // Pad evaluations the balance took (0 for a given level).
    int evaluations = 0;
};

// The net k x cut + fill of the pad at zp; falls as zp rises.
double padNet(const EarthworkGrid& ground, const PadRect& rect, double zp, PadSlopes s, double k);
PadResult padAt(const EarthworkGrid& ground, const PadRect& rect, double zp, PadSlopes s, double k);
// The pad whose net is zero, by bisection between the lowest and highest ground, to a micrometre.
PadResult balancedPad(const EarthworkGrid& ground, const PadRect& rect, PadSlopes s, double k);

} // namespace tervan
