#pragma once

#include "grading/earthwork.h"
#include "grading/pad.h"

#include <QRgb>
#include <QString>
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
};

CutFillRamp cutFillRamp(const EarthworkGrid& depth);

// The plan of the grid in world metres (X to the right, Y up) with every cell's four
// triangles filled by the ramp at their mean depth, the cut/fill contours, the zero line in
// bold, the pad's outline, daylight line and open-edge nodes, and a legend to the right. The
// world window keeps one scale for both axes on a target `aspect` (width / height) wide.
void DrawCutFillMap(Surface& s, const CutFillMap& m, double aspect, double fontPoints);

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
