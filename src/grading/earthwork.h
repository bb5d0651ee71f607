#pragma once

#include "grading/outlinemask.h"

#include <cmath>
#include <memory>
#include <vector>

namespace tervan {

struct Project;

// What the earthwork takes as inputs: a positive compaction factor, slopes within 100 %.
// Cut compacts or swells to K times its volume in the fill. Beyond 10 no ground behaves so,
// and no level can balance to the half cubic metre the figures show.
constexpr double MaxCompactionFactor = 10;
inline bool isCompactionFactor(double k)
{
    return std::isfinite(k) && k > 0 && k <= MaxCompactionFactor;
}
inline bool isSlopePercent(double s)
{
    return std::isfinite(s) && std::abs(s) <= 100;
}

// A plane to grade to: elevation zc at the grid's centre (half its width, half its height),
// rising slopeX percent towards +X and slopeY percent towards +Y. Zero slopes give a level
// platform at zc.
struct GradePlane
{
    double zc = 0;
    double slopeX = 0;
    double slopeY = 0;
    bool isLevel() const { return slopeX == 0 && slopeY == 0; }
};

// The grid's ground in double precision with the plane's tilt taken out: h = Z minus the
// plane's rise above its centre elevation at each node, so grading to a plane is levelling h
// to zc. Nodes row by row from the bottom, counted from 0. A project whose node table does not
// hold rows x cols nodes has no cells. With a mask, only the ground inside the site's outline
// counts: every volume is the exact integral over the part of each cell inside it.
struct EarthworkGrid
{
    int rows = 0;
    int cols = 0;
    double spacing = 0;
    std::vector<double> h;
    std::shared_ptr<const OutlineMask> mask{};

    int cellCount() const { return rows > 1 && cols > 1 ? (rows - 1) * (cols - 1) : 0; }
    double cellArea() const { return spacing * spacing; }
    // The plan area the volumes cover, m2.
    double area() const { return mask ? mask->insideArea() : cellArea() * cellCount(); }
};

// The cells' parts inside the project's outline (kept with its georeference); nothing when it
// has none, so the whole grid counts.
std::shared_ptr<const OutlineMask> outlineMaskOf(const Project& p);

EarthworkGrid earthworkGrid(const Project& p, double slopeX = 0, double slopeY = 0);

// Cut (>= 0) and fill (<= 0) of one cell or of the whole grid, in cubic metres.
struct CutFill
{
    double cut = 0;
    double fill = 0;
    double net() const { return cut + fill; }
};

// Gross cut and fill by the zero-line split. Each cell's ground is taken as linear over the
// four triangles joining each side to the cell's centre, where it stands at the mean of the
// four corners; the cut is the exact volume above the platform and the fill below it. A cell
// the platform does not cross therefore gives the four-corner volume exactly, and the
// difference from the four-corner figures is only what those net out inside crossed cells.
CutFill grossCutFill(const EarthworkGrid& g, double platform);
// The same per cell, in cell-number order (cell n at index n - 1).
std::vector<CutFill> grossCellCutFill(const EarthworkGrid& g, double platform);
// The four-corner prism figures in double precision (positive cells cut, the rest fill).
CutFill fourCornerCutFill(const EarthworkGrid& g, double platform);

// Everything the gross earthwork reports for one plane.
struct Earthwork
{
    GradePlane plane;
    CutFill gross;
    // For a level platform these are the figures of the fixed grade at that platform, exactly
    // as the grade dialog shows them; for a sloped plane the same prisms in double precision.
    CutFill fourCorner;
    std::vector<CutFill> cells;
    double area = 0;

    // The gross cut once compacted by k, and the net after it fills: left over when positive,
    // short when negative; zero at the balance for k.
    double compactedCut(double k) const { return k * gross.cut; }
    double compactedNet(double k) const { return k * gross.cut + gross.fill; }
    // How much the four-corner figures understate the gross ones, in percent of the gross.
    double cutDifferencePercent() const;
    double fillDifferencePercent() const;
};

Earthwork computeEarthwork(const Project& p, const GradePlane& plane);

// Cut and fill against platform elevation with a compaction factor k: the net is k x cut +
// fill, falling as the platform rises, and zero at the balance.
struct BalancePoint
{
    double z = 0;
    double cut = 0;
    double fill = 0;
    double net = 0;
};

struct Balance
{
    double k = 1;
    double zMin = 0;
    double zMax = 0;
    double balanced = 0;
    // Cubic metres the net changes by when the platform moves one centimetre at the balance.
    double perCentimetre = 0;
    double area = 0; // m2 the figures cover
    std::vector<BalancePoint> curve;
};

BalancePoint balancePoint(const EarthworkGrid& g, double z, double k);
// The balanced elevation by bisection on the net between the lowest and highest ground.
double balancedElevation(const EarthworkGrid& g, double k);
// The balance and `points` curve points evenly from the lowest to the highest ground (both
// ends included). A grid without cells gives an empty curve.
Balance computeBalance(const EarthworkGrid& g, double k, int points = 201);

} // namespace tervan
