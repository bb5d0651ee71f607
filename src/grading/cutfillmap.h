#pragma once

#include "grading/earthwork.h"
#include "grading/pad.h"

#include <QPointF>
#include <QRgb>
#include <QString>
#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <vector>

namespace tervan {

class Surface;

// What the cut/fill map shows: the depth (existing minus design) at each node, and for a pad
// its rectangle, how far its batters have passed the ground (the daylight line is where that
// is zero) and the border nodes where they run on past the grid.
struct CutFillMap
{
    EarthworkGrid depth;
    std::optional<PadRect> pad;
    std::vector<double> daylight;
    std::vector<int> openEdge;
    // Cut and fill contours every this many metres of depth; 0 for none.
    double contourInterval = 0;
};

CutFillMap padMap(const EarthworkGrid& ground, const PadResult& pad, double contourInterval);

// Five classes of cut and five of fill, each `step` metres deep, darker the deeper; a round
// step that covers the deepest node.
struct CutFillRamp
{
    double step = 1;
    static constexpr int Classes = 5;
    // 0 for no depth, 1..Classes for cuts, -1..-Classes for fills.
    int classOf(double depth) const;
    static QRgb colour(int cls);
    // The depths between classes, ascending: band b of triangleBands over them is class
    // bandClass(b).
    std::vector<double> boundaries() const;
    static int bandClass(int band) { return band < Classes ? band - Classes : band - Classes + 1; }
};

CutFillRamp cutFillRamp(const EarthworkGrid& depth);

// The map's pieces in the ramp's classes: each cell's four triangles (as in forEachTriangle)
// cut at the class boundaries, so that colours change on depth contours, and at a pad's
// daylight line, beyond which the ground is untouched whatever the depths between nodes say.
// A cell wholly in one class comes as part of a rectangle with its neighbours along the row
// that are too. Cells outside the site give nothing.
void cutFillPieces(const CutFillMap& m, const CutFillRamp& ramp,
                   const std::function<void(int cls, std::vector<QPointF>&& corners)>& piece);

// The plan areas the map colours as cut and as fill, and leaves untouched, in m2.
struct CutFillAreas
{
    double cut = 0, fill = 0, untouched = 0;
};
CutFillAreas cutFillAreas(const CutFillMap& m);

// The plan of the grid in world metres (X to the right, Y up) with the pieces of
// cutFillPieces filled in their classes' colours, the cut/fill contours, the zero line in
// bold, the pad's outline, daylight line and open-edge nodes, and a legend to the right. The
// world window keeps one scale for both axes on a target `aspect` (width / height) wide.
void DrawCutFillMap(Surface& s, const CutFillMap& m, double aspect, double fontPoints);

// A corner of a piece of a triangle with the values there of two functions linear over it.
struct BandCorner
{
    double x, y, v, w;
};

// A convex polygon of at most eight corners (a triangle cut by a few lines has no more).
struct BandPolygon
{
    int count = 0;
    BandCorner c[8];
    double area() const;
};

// The part of a convex polygon where `sign * (field - level)` is at least 0, field being `v` or
// `w` of its corners; the new corners lie on the polygon's edges where that is 0.
BandPolygon keepAtLeast(const BandPolygon& p, double BandCorner::*field, double level, double sign);

// The pieces of a triangle between consecutive `levels` (ascending) of v, and where w is at
// least 0: piece(band, polygon) with band b between levels[b - 1] and levels[b], the first and
// last bands open. Pieces of no area are left out, so a triangle of one value yields nothing.
template <typename Piece>
void triangleBands(const BandCorner (&t)[3], const std::vector<double>& levels, Piece piece)
{
    const double lo = std::min({t[0].v, t[1].v, t[2].v}), hi = std::max({t[0].v, t[1].v, t[2].v});
    const double size =
        std::abs((t[1].x - t[0].x) * (t[2].y - t[0].y) - (t[2].x - t[0].x) * (t[1].y - t[0].y)) / 2;
    BandPolygon whole;
    whole.count = 3;
    std::copy(t, t + 3, whole.c);
    whole = keepAtLeast(whole, &BandCorner::w, 0, 1);
    const int bands = int(levels.size()) + 1;
    for (int b = 0; b < bands && whole.count >= 3; ++b) {
        const bool hasBelow = b > 0, hasAbove = b < bands - 1;
        if ((hasBelow && levels[std::size_t(b - 1)] >= hi) ||
            (hasAbove && levels[std::size_t(b)] <= lo))
            continue;
        BandPolygon p = whole;
        if (hasBelow)
            p = keepAtLeast(p, &BandCorner::v, levels[std::size_t(b - 1)], 1);
        if (hasAbove)
            p = keepAtLeast(p, &BandCorner::v, levels[std::size_t(b)], -1);
        if (p.count >= 3 && p.area() > 1e-9 * size)
            piece(b, p);
    }
}

// The one zero line of a linear function over a triangle: where the value changes sign, on
// the triangle's edges. Calls `segment(x1, y1, x2, y2)` once where it crosses. A triangle
// that only touches zero (an untouched area beside a cut) has no line.
template <typename Segment>
void triangleZeroLine(const double (&x)[3], const double (&y)[3], const double (&v)[3],
                      Segment segment)
{
    if (!((v[0] > 0 || v[1] > 0 || v[2] > 0) && (v[0] < 0 || v[1] < 0 || v[2] < 0)))
        return;
    double px[2], py[2];
    int found = 0;
    for (int a = 0; a < 3; ++a) {
        const int b = (a + 1) % 3;
        if ((v[a] > 0) == (v[b] > 0))
            continue;
        const double t = v[a] / (v[a] - v[b]);
        px[found] = x[a] + t * (x[b] - x[a]);
        py[found] = y[a] + t * (y[b] - y[a]);
        ++found;
    }
    if (found == 2)
        segment(px[0], py[0], px[1], py[1]);
}

// Each cell's four triangles meeting at its centre, with the corner values of `v` (minus
// `level`) and their mean at the centre: f(x[3], y[3], v[3]).
template <typename Triangle>
void forEachTriangle(const EarthworkGrid& g, const std::vector<double>& v, double level, Triangle f)
{
    const double s = g.spacing;
    for (int i = 0; i + 1 < g.rows; ++i)
        for (int j = 0; j + 1 < g.cols; ++j) {
            const std::size_t k = std::size_t(i) * std::size_t(g.cols) + std::size_t(j);
            const std::size_t up = k + std::size_t(g.cols);
            const double cx[4] = {j * s, (j + 1) * s, (j + 1) * s, j * s};
            const double cy[4] = {i * s, i * s, (i + 1) * s, (i + 1) * s};
            const double cv[4] = {v[k] - level, v[k + 1] - level, v[up + 1] - level, v[up] - level};
            const double mx = (j + 0.5) * s, my = (i + 0.5) * s;
            const double mv = (cv[0] + cv[1] + cv[2] + cv[3]) / 4;
            for (int t = 0; t < 4; ++t) {
                const int u = (t + 1) % 4;
                const double x[3] = {cx[t], cx[u], mx}, y[3] = {cy[t], cy[u], my};
                const double val[3] = {cv[t], cv[u], mv};
                f(x, y, val);
            }
        }
}

} // namespace tervan
