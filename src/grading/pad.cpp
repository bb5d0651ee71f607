#include "grading/pad.h"

#include "grading/designsurface.h"

#include <algorithm>
#include <cmath>

namespace tervan {

namespace {

// Visits every node with its ground height and its batter: how far the batter has passed the
// ground, in metres of height (>= 0 where the design is the ground), and the design there.
template <typename Node>
void forEachPadNode(const EarthworkGrid& ground, const PadRect& rect, double zp, PadSlopes s,
                    Node f)
{
    const double sp = ground.spacing;
    for (int i = 0; i < ground.rows; ++i) {
        const double dy = sp * std::max({0, rect.r0 - i, i - rect.r1});
        for (int j = 0; j < ground.cols; ++j) {
            const double dx = sp * std::max({0, rect.c0 - j, j - rect.c1});
            const double d = std::sqrt(dx * dx + dy * dy);
            const std::size_t n = std::size_t(i) * std::size_t(ground.cols) + std::size_t(j);
            const double z = ground.h[n];
            const double batter = z > zp ? zp + d / s.hc : zp - d / s.hf;
            const double past = z > zp ? batter - z : z - batter;
            f(i, j, n, d, past, past >= 0 ? z : batter);
        }
    }
}

} // namespace

PadDesign padDesign(const EarthworkGrid& ground, const PadRect& rect, double zp, PadSlopes s)
{
    PadDesign out;
    out.design = ground;
    out.daylight.assign(ground.h.size(), 0);
    forEachPadNode(ground, rect, zp, s,
                   [&](int i, int j, std::size_t n, double d, double past, double design) {
                       out.daylight[n] = past;
                       out.design.h[n] = design;
                       const bool border =
                           i == 0 || j == 0 || i + 1 == ground.rows || j + 1 == ground.cols;
                       if (border && d > 0 && past < 0)
                           out.openEdge.push_back(int(n));
                   });
    return out;
}

double padNet(const EarthworkGrid& ground, const PadRect& rect, double zp, PadSlopes s, double k)
{
    // Only the depth: the balance asks for this one figure many times.
    EarthworkGrid depth = ground;
    forEachPadNode(
        ground, rect, zp, s,
        [&](int, int, std::size_t n, double, double, double design) { depth.h[n] -= design; });
    return compactedNet(grossCutFill(depth, 0), k);
}

namespace {

double perCentimetre(const EarthworkGrid& ground, const PadRect& rect, double zp, PadSlopes s,
                     double k)
{
    return padNet(ground, rect, zp - 0.005, s, k) - padNet(ground, rect, zp + 0.005, s, k);
}

} // namespace

PadResult padAt(const EarthworkGrid& ground, const PadRect& rect, double zp, PadSlopes s, double k)
{
    PadResult r;
    r.rect = rect;
    r.slopes = s;
    r.zp = zp;
    r.k = k;
    r.pad = padDesign(ground, rect, zp, s);
    r.earthwork = depthEarthwork(depthGrid(ground, r.pad.design));
    r.earthwork.plane.zc = zp;
    r.net = compactedNet(r.earthwork.gross, k);
    r.perCentimetre = perCentimetre(ground, rect, zp, s, k);
    return r;
}

PadResult balancedPad(const EarthworkGrid& ground, const PadRect& rect, PadSlopes s, double k)
{
    if (ground.h.empty())
        return {};
    auto [lo, hi] = std::minmax_element(ground.h.begin(), ground.h.end());
    double a = *lo, b = *hi;
    int evaluations = 0;
    // The design only rises with zp, so the net falls: positive at the lowest ground (all
    // cut), negative or zero at the highest. A micrometre is far below what the figures show.
    // Halved until the bracket stops shrinking: a micrometre of level is still cubic metres
    // on a large site with a large K.
    while (evaluations < 200) {
        const double mid = a + (b - a) / 2;
        if (mid <= a || mid >= b)
            break;
        ++evaluations;
        (padNet(ground, rect, mid, s, k) > 0 ? a : b) = mid;
    }
    PadResult r = padAt(ground, rect, a + (b - a) / 2, s, k);
    // Said balanced only when the figures show it so.
    r.balanced = std::abs(r.net) <= 0.5;
    r.evaluations = evaluations;
    return r;
}

} // namespace tervan
