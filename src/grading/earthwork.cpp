#include "grading/earthwork.h"

#include "grading/grading.h"
#include "project/project.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace tervan {

namespace {

// Volume above zero of a function linear over a triangle of plan area `a` with corner values
// d1, d2, d3: the prism where all are positive, otherwise the tetrahedron-like wedge cut off
// by the zero line.
double positivePart(double a, double d1, double d2, double d3)
{
    if (d1 < d2)
        std::swap(d1, d2);
    if (d2 < d3)
        std::swap(d2, d3);
    if (d1 < d2)
        std::swap(d1, d2);
    if (d3 >= 0)
        return a * (d1 + d2 + d3) / 3;
    if (d1 <= 0)
        return 0;
    if (d2 <= 0)
        return a * d1 * d1 * d1 / (3 * (d1 - d2) * (d1 - d3));
    // Two corners above: the whole prism less the negative wedge at the third.
    return a * (d1 + d2 + d3) / 3 - a * d3 * d3 * d3 / (3 * (d3 - d1) * (d3 - d2));
}

template <typename PerCell> void forEachCell(const EarthworkGrid& g, double platform, PerCell f)
{
    const double quarter = g.cellArea() / 4;
    for (int i = 0; i + 1 < g.rows; ++i)
        for (int j = 0; j + 1 < g.cols; ++j) {
            const int k = i * g.cols + j;
            const double ll = g.h[k] - platform, lr = g.h[k + 1] - platform;
            const double ur = g.h[k + g.cols + 1] - platform, ul = g.h[k + g.cols] - platform;
            if (g.mask && g.mask->cover(i * (g.cols - 1) + j) != OutlineMask::Cover::Inside) {
                // Only the pieces inside the outline, each linear over its own triangle.
                CutFill inside;
                const std::array<double, 4> d{ll, lr, ur, ul};
                for (const OutlineMask::Piece& piece : g.mask->pieces(i * (g.cols - 1) + j)) {
                    double v[3];
                    for (int c = 0; c < 3; ++c)
                        v[c] = piece.weights[c][0] * d[0] + piece.weights[c][1] * d[1] +
                               piece.weights[c][2] * d[2] + piece.weights[c][3] * d[3];
                    const double cut = positivePart(piece.area, v[0], v[1], v[2]);
                    inside.cut += cut;
                    inside.fill += piece.area * (v[0] + v[1] + v[2]) / 3 - cut;
                }
                f(inside);
                continue;
            }
            const double net = quarter * (ll + lr + ur + ul);
            double cut;
            if (ll >= 0 && lr >= 0 && ur >= 0 && ul >= 0)
                cut = net;
            else if (ll <= 0 && lr <= 0 && ur <= 0 && ul <= 0)
                cut = 0;
            else {
                const double c = (ll + lr + ur + ul) / 4;
                cut = positivePart(quarter, ll, lr, c) + positivePart(quarter, lr, ur, c) +
                      positivePart(quarter, ur, ul, c) + positivePart(quarter, ul, ll, c);
            }
            f(CutFill{cut, net - cut});
        }
}

} // namespace

std::shared_ptr<const OutlineMask> outlineMaskOf(const Project& p)
{
    if (!p.Georef || p.Georef->outline.size() < 3)
        return nullptr;
    std::vector<std::pair<double, double>> local;
    local.reserve(p.Georef->outline.size());
    for (const auto& [e, n] : p.Georef->outline)
        local.emplace_back(e - p.Georef->easting, n - p.Georef->northing);
    return OutlineMask::build(p.GridRows, p.GridCols, p.GridSpacing, local);
}

EarthworkGrid earthworkGrid(const Project& p, double slopeX, double slopeY)
{
    EarthworkGrid g;
    if (p.GridRows < 1 || p.GridCols < 1 || p.NodeCount != p.GridRows * p.GridCols ||
        p.Nodes.size() <= std::size_t(p.NodeCount))
        return g;
    g.rows = p.GridRows;
    g.cols = p.GridCols;
    g.spacing = p.GridSpacing;
    const double xc = (g.cols - 1) * g.spacing / 2, yc = (g.rows - 1) * g.spacing / 2;
    g.h.resize(std::size_t(p.NodeCount));
    for (int i = 0; i < g.rows; ++i)
        for (int j = 0; j < g.cols; ++j) {
            const int k = i * g.cols + j;
            const double rise =
                slopeX / 100 * (j * g.spacing - xc) + slopeY / 100 * (i * g.spacing - yc);
            g.h[k] = double(p.Nodes[k + 1].Z) - rise;
        }
    g.mask = outlineMaskOf(p);
    return g;
}

CutFill grossCutFill(const EarthworkGrid& g, double platform)
{
    CutFill total;
    forEachCell(g, platform, [&](const CutFill& c) {
        total.cut += c.cut;
        total.fill += c.fill;
    });
    return total;
}

std::vector<CutFill> grossCellCutFill(const EarthworkGrid& g, double platform)
{
    std::vector<CutFill> cells;
    cells.reserve(std::size_t(g.cellCount()));
    forEachCell(g, platform, [&](const CutFill& c) { cells.push_back(c); });
    return cells;
}

CutFill fourCornerCutFill(const EarthworkGrid& g, double platform)
{
    CutFill total;
    forEachCell(g, platform,
                [&](const CutFill& c) { (c.net() > 0 ? total.cut : total.fill) += c.net(); });
    return total;
}

double Earthwork::cutDifferencePercent() const
{
    return gross.cut != 0 ? (gross.cut - fourCorner.cut) / gross.cut * 100 : 0;
}

double Earthwork::fillDifferencePercent() const
{
    return gross.fill != 0 ? (gross.fill - fourCorner.fill) / gross.fill * 100 : 0;
}

Earthwork computeEarthwork(const Project& p, const GradePlane& plane)
{
    Earthwork e;
    e.plane = plane;
    const EarthworkGrid g = earthworkGrid(p, plane.slopeX, plane.slopeY);
    e.cells = grossCellCutFill(g, plane.zc);
    for (const CutFill& c : e.cells) {
        e.gross.cut += c.cut;
        e.gross.fill += c.fill;
    }
    e.area = g.area();
    GradingResults fixed;
    fixed.FixGradeElevation = float(plane.zc);
    // Where the fixed grade's floats overflow, its figures in double rather than its zeros.
    // Clipped at an outline, the prisms are the inside's; the grade's own figures cover every cell.
    if (!g.mask && plane.isLevel() && g.cellCount() > 0 && FixGradeElev(p, fixed))
        e.fourCorner = {fixed.FixCutVolume, fixed.FixFillVolume};
    else
        e.fourCorner = fourCornerCutFill(g, plane.zc);
    return e;
}

BalancePoint balancePoint(const EarthworkGrid& g, double z, double k)
{
    const CutFill c = grossCutFill(g, z);
    return {z, c.cut, c.fill, k * c.cut + c.fill};
}

namespace {

std::pair<double, double> groundRange(const EarthworkGrid& g)
{
    if (g.h.empty())
        return {0, 0};
    const auto [lo, hi] = std::minmax_element(g.h.begin(), g.h.end());
    return {*lo, *hi};
}

} // namespace

double balancedElevation(const EarthworkGrid& g, double k)
{
    auto [lo, hi] = groundRange(g);
    if (g.cellCount() == 0)
        return lo;
    // The net only falls as the platform rises: positive at the lowest ground, negative or
    // zero at the highest.
    for (int i = 0; i < 200 && hi - lo > 1e-12 * std::max(1.0, std::abs(lo)); ++i) {
        const double mid = lo + (hi - lo) / 2;
        if (balancePoint(g, mid, k).net > 0)
            lo = mid;
        else
            hi = mid;
    }
    return lo + (hi - lo) / 2;
}

Balance computeBalance(const EarthworkGrid& g, double k, int points)
{
    Balance b;
    b.k = k;
    b.area = g.area();
    std::tie(b.zMin, b.zMax) = groundRange(g);
    if (g.cellCount() == 0)
        return b;
    b.balanced = balancedElevation(g, k);
    b.perCentimetre =
        balancePoint(g, b.balanced - 0.005, k).net - balancePoint(g, b.balanced + 0.005, k).net;
    const int n = std::max(points, 2);
    b.curve.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i) {
        const double z = i + 1 == n ? b.zMax : b.zMin + (b.zMax - b.zMin) * i / (n - 1);
        b.curve.push_back(balancePoint(g, z, k));
    }
    return b;
}

} // namespace tervan
