#include "grading/sections.h"

#include "grading/outlinemask.h"

#include <algorithm>
#include <cmath>
#include <geos_c.h>

namespace tervan {

namespace {

// The two-triangle surface at (x, y), inside the grid.
double heightAt(const EarthworkGrid& g, double x, double y)
{
    const double u = std::clamp(x / g.spacing, 0.0, double(g.cols - 1));
    const double v = std::clamp(y / g.spacing, 0.0, double(g.rows - 1));
    const int c = std::min(int(u), g.cols - 2), r = std::min(int(v), g.rows - 2);
    const double fu = u - c, fv = v - r;
    const auto at = [&](int rr, int cc) { return g.h[std::size_t(rr) * g.cols + cc]; };
    const double ll = at(r, c), lr = at(r, c + 1), ur = at(r + 1, c + 1), ul = at(r + 1, c);
    return fu >= fv ? ll + fu * (lr - ll) + fv * (ur - lr) : ll + fv * (ul - ll) + fu * (ur - ul);
}

// The parameters t in [0, 1] where the segment a-b crosses a grid line or a cell's diagonal,
// with its ends; the surfaces are linear between two of them.
std::vector<double> crossings(const EarthworkGrid& g, QPointF a, QPointF b)
{
    std::vector<double> t{0, 1};
    const auto across = [&](double p0, double p1) {
        // Where p(t) = p0 + t (p1 - p0) takes whole multiples of the spacing.
        if (p0 == p1)
            return;
        const double lo = std::min(p0, p1) / g.spacing, hi = std::max(p0, p1) / g.spacing;
        for (double k = std::ceil(lo); k <= hi; ++k)
            t.push_back((k * g.spacing - p0) / (p1 - p0));
    };
    across(a.x(), b.x());
    across(a.y(), b.y());
    across(a.y() - a.x(), b.y() - b.x()); // the diagonals y - x = k s
    std::sort(t.begin(), t.end());
    t.erase(std::remove_if(t.begin(), t.end(), [](double v) { return v < 0 || v > 1; }), t.end());
    t.erase(std::unique(t.begin(), t.end(), [](double p, double q) { return q - p < 1e-12; }),
            t.end());
    return t;
}

// The integral of max(f, 0) and of max(-f, 0) over a piece where f runs linearly from f0 to f1
// over length l.
void integrate(double f0, double f1, double l, double& positive, double& negative)
{
    if ((f0 >= 0) == (f1 >= 0)) {
        (f0 >= 0 ? positive : negative) += std::abs(f0 + f1) / 2 * l;
        return;
    }
    const double z = f0 / (f0 - f1) * l; // where f is zero
    (f0 >= 0 ? positive : negative) += std::abs(f0) / 2 * z;
    (f1 >= 0 ? positive : negative) += std::abs(f1) / 2 * (l - z);
}

bool inGrid(const EarthworkGrid& g, QPointF p)
{
    const double eps = 1e-9;
    return p.x() >= -eps && p.y() >= -eps && p.x() <= (g.cols - 1) * g.spacing + eps &&
           p.y() <= (g.rows - 1) * g.spacing + eps;
}

// The section across `direction` (a unit vector along the line) at `at`, clipped to the grid.
Section sectionAt(const EarthworkGrid& ground, const EarthworkGrid& design, double chainage,
                  QPointF at, QPointF direction, double width)
{
    Section s;
    s.chainage = chainage;
    s.at = at;
    const QPointF right(direction.y(), -direction.x());
    // The part of the section inside the grid: clip the offset range to each side of the grid.
    double lo = -width / 2, hi = width / 2;
    const double w = (ground.cols - 1) * ground.spacing, h = (ground.rows - 1) * ground.spacing;
    const auto clip = [&](double p, double d, double max) {
        if (std::abs(d) < 1e-15) {
            if (p < -1e-9 || p > max + 1e-9)
                lo = 1, hi = 0;
            return;
        }
        double t0 = (0 - p) / d, t1 = (max - p) / d;
        if (t0 > t1)
            std::swap(t0, t1);
        lo = std::max(lo, t0), hi = std::min(hi, t1);
    };
    clip(at.x(), right.x(), w);
    clip(at.y(), right.y(), h);
    if (!(hi > lo))
        return s;
    const QPointF a = at + lo * right, b = at + hi * right;
    for (const double t : crossings(ground, a, b)) {
        const QPointF p = a + t * (b - a);
        s.profile.push_back(
            {lo + t * (hi - lo), heightAt(ground, p.x(), p.y()), heightAt(design, p.x(), p.y())});
    }
    for (std::size_t i = 1; i < s.profile.size(); ++i) {
        const SectionPoint &p = s.profile[i - 1], &q = s.profile[i];
        integrate(p.ground - p.design, q.ground - q.design, q.offset - p.offset, s.cutArea,
                  s.fillArea);
    }
    return s;
}

QPointF unit(QPointF v)
{
    const double l = std::hypot(v.x(), v.y());
    return l > 0 ? v / l : QPointF(1, 0);
}

// The strip the sections sweep: the union, by GEOS, of the quadrilaterals between each
// station's section and the next one's (full width, before the grid clips them).
std::vector<std::pair<double, double>> stripOf(const std::vector<std::pair<QPointF, QPointF>>& ends)
{
    std::vector<std::pair<double, double>> out;
    GEOSContextHandle_t c = GEOS_init_r();
    std::vector<GEOSGeometry*> quads;
    for (std::size_t i = 1; i < ends.size(); ++i) {
        const QPointF corners[] = {ends[i - 1].first, ends[i - 1].second, ends[i].second,
                                   ends[i].first, ends[i - 1].first};
        GEOSCoordSequence* s = GEOSCoordSeq_create_r(c, 5, 2);
        for (unsigned k = 0; k < 5; ++k)
            GEOSCoordSeq_setXY_r(c, s, k, corners[k].x(), corners[k].y());
        if (GEOSGeometry* ring = GEOSGeom_createLinearRing_r(c, s))
            if (GEOSGeometry* quad = GEOSGeom_createPolygon_r(c, ring, nullptr, 0))
                quads.push_back(GEOSMakeValid_r(c, quad)), GEOSGeom_destroy_r(c, quad);
    }
    GEOSGeometry* all = GEOSGeom_createCollection_r(c, GEOS_GEOMETRYCOLLECTION, quads.data(),
                                                    unsigned(quads.size()));
    if (GEOSGeometry* joined = all ? GEOSUnaryUnion_r(c, all) : nullptr) {
        if (GEOSGeomTypeId_r(c, joined) == GEOS_POLYGON) {
            const GEOSCoordSequence* ring =
                GEOSGeom_getCoordSeq_r(c, GEOSGetExteriorRing_r(c, joined));
            unsigned n = 0;
            GEOSCoordSeq_getSize_r(c, ring, &n);
            for (unsigned i = 0; i + 1 < n; ++i) {
                double x = 0, y = 0;
                GEOSCoordSeq_getXY_r(c, ring, i, &x, &y);
                out.emplace_back(x, y);
            }
        }
        GEOSGeom_destroy_r(c, joined);
    }
    if (all)
        GEOSGeom_destroy_r(c, all);
    GEOS_finish_r(c);
    return out;
}

} // namespace

QString sectionLineProblem(const std::vector<QPointF>& line, double every, double width,
                           const EarthworkGrid& ground)
{
    if (line.size() < 2)
        return QStringLiteral("แนวตัดขวางต้องมีอย่างน้อย 2 จุด");
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (!inGrid(ground, line[i]))
            return QStringLiteral("จุดที่ %1 ของแนวอยู่นอกกริด").arg(i + 1);
        if (i > 0 &&
            std::hypot(line[i].x() - line[i - 1].x(), line[i].y() - line[i - 1].y()) < 1e-6)
            return QStringLiteral("จุดที่ %1 ของแนวซ้ำกับจุดก่อนหน้า").arg(i + 1);
    }
    if (!(every > 0) || !std::isfinite(every))
        return QStringLiteral("ระยะระหว่างหน้าตัดต้องมากกว่า 0");
    if (!(width > 0) || !std::isfinite(width))
        return QStringLiteral("ความกว้างของหน้าตัดต้องมากกว่า 0");
    return {};
}

SectionsResult crossSections(const EarthworkGrid& ground, const EarthworkGrid& design,
                             const std::vector<QPointF>& line, double every, double width)
{
    SectionsResult r;
    // Chainage of each vertex, and the direction a section faces there: across the piece, or
    // across the bisector at a break.
    std::vector<double> chain{0};
    std::vector<QPointF> along;
    for (std::size_t i = 1; i < line.size(); ++i) {
        const QPointF d = line[i] - line[i - 1];
        chain.push_back(chain.back() + std::hypot(d.x(), d.y()));
        along.push_back(unit(d));
    }
    const auto place = [&](double ch) {
        std::size_t i = 1;
        while (i + 1 < line.size() && chain[i] < ch)
            ++i;
        const double t = (ch - chain[i - 1]) / (chain[i] - chain[i - 1]);
        QPointF direction = along[i - 1];
        if (std::abs(ch - chain[i]) < 1e-9 && i < along.size())
            direction = unit(along[i - 1] + along[i]);
        else if (std::abs(ch - chain[i - 1]) < 1e-9 && i >= 2)
            direction = unit(along[i - 2] + along[i - 1]);
        return std::pair{line[i - 1] + t * (line[i] - line[i - 1]), direction};
    };
    std::vector<double> stations;
    for (double ch = 0; ch < chain.back() - 1e-9; ch += every)
        stations.push_back(ch);
    stations.insert(stations.end(), chain.begin() + 1, chain.end());
    std::sort(stations.begin(), stations.end());
    stations.erase(std::unique(stations.begin(), stations.end(),
                               [](double a, double b) { return b - a < 1e-6; }),
                   stations.end());
    const auto section = [&](double ch) {
        const auto [at, direction] = place(ch);
        return sectionAt(ground, design, ch, at, direction, width);
    };
    std::vector<std::pair<QPointF, QPointF>> ends;
    for (const double ch : stations) {
        r.stations.push_back(section(ch));
        const auto [at, d] = place(ch);
        const QPointF right(d.y(), -d.x());
        ends.emplace_back(at - width / 2 * right, at + width / 2 * right);
    }
    for (std::size_t i = 1; i < r.stations.size(); ++i) {
        const Section &a = r.stations[i - 1], &b = r.stations[i];
        const Section m = section((a.chainage + b.chainage) / 2);
        const double l = b.chainage - a.chainage;
        SectionVolume v{a.chainage,
                        b.chainage,
                        l * (a.cutArea + b.cutArea) / 2,
                        l * (a.fillArea + b.fillArea) / 2,
                        l / 6 * (a.cutArea + 4 * m.cutArea + b.cutArea),
                        l / 6 * (a.fillArea + 4 * m.fillArea + b.fillArea)};
        r.total.cutEndAreas += v.cutEndAreas, r.total.fillEndAreas += v.fillEndAreas;
        r.total.cutPrismoidal += v.cutPrismoidal, r.total.fillPrismoidal += v.fillPrismoidal;
        r.volumes.push_back(v);
    }
    r.total.from = 0, r.total.to = chain.back();
    // The long profile: the line itself, at every crossing of the grid's lines and diagonals.
    for (std::size_t i = 1; i < line.size(); ++i)
        for (const double t : crossings(ground, line[i - 1], line[i])) {
            if (i > 1 && t == 0)
                continue;
            const QPointF p = line[i - 1] + t * (line[i] - line[i - 1]);
            Section s;
            s.chainage = chain[i - 1] + t * (chain[i] - chain[i - 1]);
            s.at = p;
            s.profile.push_back(
                {0, heightAt(ground, p.x(), p.y()), heightAt(design, p.x(), p.y())});
            r.longProfile.push_back(std::move(s));
        }
    r.strip = stripOf(ends);
    return r;
}

CutFill stripGross(const EarthworkGrid& ground, const EarthworkGrid& design,
                   const std::vector<std::pair<double, double>>& strip)
{
    EarthworkGrid depth = ground;
    for (std::size_t n = 0; n < depth.h.size(); ++n)
        depth.h[n] -= design.h[n];
    depth.mask = OutlineMask::build(ground.rows, ground.cols, ground.spacing, strip);
    return depth.mask ? grossCutFill(depth, 0) : CutFill{};
}

} // namespace tervan
