#include "grading/pads.h"

#include "grading/geosscope.h"

#include <algorithm>
#include <cmath>
#include <geos_c.h>
#include <limits>
#include <numeric>

namespace tervan {

namespace {

constexpr double Pi = 3.14159265358979323846;

// How a pad reaches one node: the plan distance to its outline (0 inside or on it) and its
// surface there relative to its level, at the nearest point of the outline.
struct Reach
{
    double d = 0;
    double rise = 0;
};

struct PadReach
{
    std::vector<Reach> nodes;
    double hc = 1, hf = 1;
    double area = 0;
};

std::vector<PadReach> reachOf(const EarthworkGrid& g, const std::vector<PadShape>& pads)
{
    GeosScope geos;
    GEOSContextHandle_t c = geos.ctx();
    std::vector<PadReach> out;
    for (const PadShape& pad : pads) {
        PadReach r;
        r.hc = pad.cutSlope, r.hf = pad.fillSlope;
        GEOSGeometry* shape = geos.polygon(pad.corners);
        GEOSArea_r(c, shape, &r.area);
        double cx = 0, cy = 0;
        if (GEOSGeometry* centre = geos.own(GEOSGetCentroid_r(c, shape))) {
            GEOSGeomGetX_r(c, centre, &cx);
            GEOSGeomGetY_r(c, centre, &cy);
        }
        // Downhill along the bearing: the surface falls `fall` percent that way.
        const double b = pad.fallBearing * Pi / 180;
        const double ux = std::sin(b), uy = std::cos(b), fall = pad.fall / 100;
        const auto rise = [&](double x, double y) {
            return -fall * ((x - cx) * ux + (y - cy) * uy);
        };
        const GEOSPreparedGeometry* prepared = GEOSPrepare_r(c, shape);
        r.nodes.resize(g.h.size());
        for (int row = 0; row < g.rows; ++row)
            for (int col = 0; col < g.cols; ++col) {
                const double x = col * g.spacing, y = row * g.spacing;
                Reach& at = r.nodes[std::size_t(row) * g.cols + col];
                GEOSGeometry* node = GEOSGeom_createPointFromXY_r(c, x, y);
                if (GEOSPreparedIntersects_r(c, prepared, node) == 1) {
                    at = {0, rise(x, y)};
                } else if (GEOSCoordSequence* near = GEOSNearestPoints_r(c, shape, node)) {
                    double nx = x, ny = y;
                    GEOSCoordSeq_getXY_r(c, near, 0, &nx, &ny);
                    GEOSCoordSeq_destroy_r(c, near);
                    at = {std::hypot(x - nx, y - ny), rise(nx, ny)};
                }
                GEOSGeom_destroy_r(c, node);
            }
        GEOSPreparedGeom_destroy_r(c, prepared);
        out.push_back(std::move(r));
    }
    return out;
}

// The design at the given levels, and which pad sets each node (-1: the ground stays).
struct Evaluated
{
    EarthworkGrid design;
    std::vector<int> owner;
    std::vector<int> conflicts;
};

Evaluated evaluate(const EarthworkGrid& g, const std::vector<PadReach>& reach,
                   const std::vector<double>& levels, const std::vector<bool>& used)
{
    Evaluated e{g, std::vector<int>(g.h.size(), -1), {}};
    for (std::size_t n = 0; n < g.h.size(); ++n) {
        double floor = -std::numeric_limits<double>::infinity();
        double ceiling = std::numeric_limits<double>::infinity();
        int floorPad = -1, ceilingPad = -1;
        for (std::size_t i = 0; i < reach.size(); ++i) {
            if (!used[i])
                continue;
            const Reach& r = reach[i].nodes[n];
            const double z = levels[i] + r.rise;
            if (const double f = z - r.d / reach[i].hf; f > floor)
                floor = f, floorPad = int(i);
            if (const double c = z + r.d / reach[i].hc; c < ceiling)
                ceiling = c, ceilingPad = int(i);
        }
        if (floorPad < 0)
            continue;
        if (floor > ceiling + 1e-9)
            e.conflicts.push_back(int(n));
        const double z = std::max(floor, std::min(g.h[n], ceiling));
        e.design.h[n] = z;
        e.owner[n] = z == floor ? floorPad : z == ceiling ? ceilingPad : -1;
    }
    return e;
}

double netOf(const EarthworkGrid& g, const EarthworkGrid& design, double k)
{
    EarthworkGrid depth = g;
    for (std::size_t n = 0; n < depth.h.size(); ++n)
        depth.h[n] -= design.h[n];
    const CutFill c = grossCutFill(depth, 0);
    return k * c.cut + c.fill;
}

// The shift of the used pads' levels at which the net is zero: the net only falls as the
// pads rise, so halve the bracket until it no longer shrinks.
double balancingShift(const EarthworkGrid& g, const std::vector<PadReach>& reach,
                      const std::vector<double>& levels, const std::vector<bool>& used, double k,
                      const ProgressStep& step)
{
    const auto [low, high] = std::minmax_element(g.h.begin(), g.h.end());
    double lowest = std::numeric_limits<double>::infinity(), highest = -lowest, rises = 0;
    for (std::size_t i = 0; i < reach.size(); ++i)
        if (used[i]) {
            lowest = std::min(lowest, levels[i]), highest = std::max(highest, levels[i]);
            for (const Reach& r : reach[i].nodes)
                rises = std::max(rises, std::abs(r.rise));
        }
    // Every pad below all the ground (only cut), then above it (only fill).
    double a = *low - highest - rises - 1, b = *high - lowest + rises + 1;
    const auto net = [&](double shift) {
        std::vector<double> moved = levels;
        for (double& l : moved)
            l += shift;
        return netOf(g, evaluate(g, reach, moved, used).design, k);
    };
    // Halving a span of under a kilometre to a double's last bit takes about 60 steps.
    for (int i = 0; i < 200 && !step.cancelled(); ++i) {
        step.report(std::min(1.0, i / 60.0));
        const double mid = a + (b - a) / 2;
        if (mid <= a || mid >= b)
            break;
        (net(mid) > 0 ? a : b) = mid;
    }
    return std::abs(net(a)) <= std::abs(net(b)) ? a : b;
}

} // namespace

QString padShapeProblem(const PadShape& pad, const EarthworkGrid& ground)
{
    const QString name = QStringLiteral("แท่น %1: ").arg(pad.name);
    if (pad.corners.size() < 3)
        return name + QStringLiteral("ต้องมีมุมอย่างน้อย 3 มุม");
    const double w = (ground.cols - 1) * ground.spacing, h = (ground.rows - 1) * ground.spacing;
    for (std::size_t i = 0; i < pad.corners.size(); ++i) {
        const QPointF& p = pad.corners[i];
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || p.x() < -1e-9 || p.y() < -1e-9 ||
            p.x() > w + 1e-9 || p.y() > h + 1e-9)
            return name + QStringLiteral("มุมที่ %1 อยู่นอกกริด").arg(i + 1);
    }
    GeosScope geos;
    if (!geos.validArea(geos.polygon(pad.corners)))
        return name + QStringLiteral("เส้นขอบตัดกันเองหรือไม่มีพื้นที่");
    if (!isBatterRun(pad.cutSlope))
        return name + QStringLiteral("ลาดดินตัดต้องมากกว่า 0");
    if (!isBatterRun(pad.fillSlope))
        return name + QStringLiteral("ลาดดินถมต้องมากกว่า 0");
    if (!std::isfinite(pad.fall) || std::abs(pad.fall) >= 100 || !std::isfinite(pad.fallBearing))
        return name + QStringLiteral("ความลาดเอียงของแท่นต้องน้อยกว่า 100%");
    if (pad.level && !std::isfinite(*pad.level))
        return name + QStringLiteral("ค่าระดับไม่ใช่ตัวเลข");
    return {};
}

PadsResult designPads(const EarthworkGrid& ground, const std::vector<PadShape>& pads,
                      PadBalance balance, double k, Progress* progress)
{
    PadsResult r;
    r.k = k;
    if (pads.empty() || ground.h.empty())
        return r;
    const auto reach = reachOf(ground, pads);
    std::vector<double> levels;
    double given = 0;
    int count = 0;
    for (const PadShape& p : pads)
        if (p.level)
            given += *p.level, ++count;
    for (const PadShape& p : pads)
        levels.push_back(p.level.value_or(count ? given / count : 0));
    const std::vector<bool> all(pads.size(), true);
    if (balance == PadBalance::Together) {
        const double shift = balancingShift(ground, reach, levels, all, k, {progress, 0, 0.95});
        for (double& l : levels)
            l += shift;
    } else if (balance == PadBalance::Each) {
        const double share = 0.95 / double(pads.size());
        for (std::size_t i = 0; i < pads.size(); ++i)
            if (!pads[i].level) {
                std::vector<bool> alone(pads.size(), false);
                alone[i] = true;
                levels[i] += balancingShift(ground, reach, levels, alone, k,
                                            {progress, i * share, (i + 1) * share});
            }
    }
    if (cancelled(progress))
        return PadsResult{};
    Evaluated e = evaluate(ground, reach, levels, all);
    EarthworkGrid depth = ground;
    for (std::size_t n = 0; n < depth.h.size(); ++n)
        depth.h[n] -= e.design.h[n];
    r.earthwork.cells = grossCellCutFill(depth, 0);
    for (const CutFill& c : r.earthwork.cells) {
        r.earthwork.gross.cut += c.cut;
        r.earthwork.gross.fill += c.fill;
        (c.net() > 0 ? r.earthwork.fourCorner.cut : r.earthwork.fourCorner.fill) += c.net();
    }
    r.earthwork.area = ground.area();
    r.net = k * r.earthwork.gross.cut + r.earthwork.gross.fill;
    r.balanced = balance != PadBalance::None && std::abs(r.net) <= 0.5;
    const auto shifted = [&](double by) {
        std::vector<double> moved = levels;
        for (double& l : moved)
            l += by;
        return netOf(ground, evaluate(ground, reach, moved, all).design, k);
    };
    r.perCentimetre = shifted(-0.005) - shifted(0.005);
    for (std::size_t i = 0; i < pads.size(); ++i) {
        EarthworkGrid own = depth;
        for (std::size_t n = 0; n < own.h.size(); ++n)
            if (e.owner[n] != int(i))
                own.h[n] = 0;
        r.pads.push_back({pads[i].name, levels[i], grossCutFill(own, 0), reach[i].area});
    }
    for (std::size_t n = 0; n < e.owner.size(); ++n) {
        const int row = int(n) / ground.cols, col = int(n) % ground.cols;
        const bool border =
            row == 0 || col == 0 || row + 1 == ground.rows || col + 1 == ground.cols;
        if (border && e.owner[n] >= 0 && reach[std::size_t(e.owner[n])].nodes[n].d > 0 &&
            e.design.h[n] != ground.h[n])
            r.openEdge.push_back(int(n));
    }
    r.design = std::move(e.design);
    r.conflicts = std::move(e.conflicts);
    report(progress, 1);
    return r;
}

} // namespace tervan
