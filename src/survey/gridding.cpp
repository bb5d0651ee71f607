#include "survey/gridding.h"

#include "project/controldata.h"
#include "survey/pointindex.h"
#include "survey/surface.h"

#include <QSet>
#include <algorithm>
#include <cmath>
#include <geos/algorithm/locate/IndexedPointInAreaLocator.h>
#include <geos/geom/CoordinateArraySequence.h>
#include <geos/geom/GeometryFactory.h>
#include <geos/geom/LinearRing.h>
#include <geos/geom/Polygon.h>
#include <memory>
#include <numeric>
#include <ogr_geometry.h>

namespace tervan {

namespace {

constexpr double NoValue = -1.0e30;
constexpr int MaxNodes = 32767;

// Inverse distance squared to the 12 nearest shots at any distance; a node on a shot takes
// its height, as GDAL's invdistnn does.
double inverseDistanceAt(const PointIndex& index, const std::vector<SurveyPoint>& points, double x,
                         double y)
{
    constexpr std::size_t Nearest = 12;
    std::uint32_t found[Nearest] = {};
    double squared[Nearest] = {};
    const std::size_t n = index.nearest(x, y, Nearest, found, squared);
    if (squared[0] < 1e-10)
        return points[found[0]].z;
    double sum = 0, weights = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sum += points[found[i]].z / squared[i];
        weights += 1 / squared[i];
    }
    return sum / weights;
}

template <typename PerNode> void forEachNode(const GridFrame& f, PerNode node)
{
    for (int r = 0; r < f.rows; ++r)
        for (int c = 0; c < f.cols; ++c)
            node(std::size_t(r) * f.cols + c, f.x0 + double(c) * f.spacing,
                 f.y0 + double(r) * f.spacing);
}

// Which nodes lie outside the site; its edge counts as inside.
std::vector<bool> outsideOutline(std::vector<std::pair<double, double>> outline, const GridFrame& f)
{
    std::vector<bool> outside(std::size_t(f.rows) * f.cols, false);
    if (outline.size() < 3)
        return outside;
    if (outline.front() != outline.back())
        outline.push_back(outline.front());
    if (outline.size() < 4)
        return outside;
    const auto factory = geos::geom::GeometryFactory::create();
    auto ring = std::make_unique<geos::geom::CoordinateArraySequence>();
    for (const auto& [x, y] : outline)
        ring->add(geos::geom::Coordinate(x, y));
    const auto polygon = factory->createPolygon(factory->createLinearRing(std::move(ring)));
    geos::algorithm::locate::IndexedPointInAreaLocator site(*polygon);
    forEachNode(f, [&](std::size_t i, double x, double y) {
        const geos::geom::Coordinate at(x, y);
        outside[i] = site.locate(&at) == geos::geom::Location::EXTERIOR;
    });
    return outside;
}

} // namespace

MergedPoints mergeDuplicates(const std::vector<SurveyPoint>& points)
{
    constexpr double Tolerance = 0.001;
    std::vector<std::size_t> order(points.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return points[a].x < points[b].x; });
    std::vector<std::size_t> rank(points.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        rank[order[i]] = i;
    // Millimetre cells, sorted, so a shot's neighbours are a few binary searches away even
    // where thousands share one easting.
    using Cell = std::pair<std::int64_t, std::int64_t>;
    const auto cellOf = [&](const SurveyPoint& p) {
        return Cell{std::int64_t(std::floor(p.x / Tolerance)),
                    std::int64_t(std::floor(p.y / Tolerance))};
    };
    std::vector<std::pair<Cell, std::size_t>> cells;
    cells.reserve(points.size());
    for (std::size_t j = 0; j < points.size(); ++j)
        cells.emplace_back(cellOf(points[j]), j);
    std::sort(cells.begin(), cells.end());
    std::vector<bool> taken(points.size(), false);
    MergedPoints out;
    std::vector<std::size_t> group;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (taken[order[i]])
            continue;
        const SurveyPoint& first = points[order[i]];
        // Within a millimetre east and north of the westernmost of the group.
        group.clear();
        const Cell at = cellOf(first);
        for (std::int64_t cx = at.first; cx <= at.first + 1; ++cx) {
            auto j = std::lower_bound(cells.begin(), cells.end(),
                                      std::pair{Cell{cx, at.second - 1}, std::size_t(0)});
            for (; j != cells.end() && j->first.first == cx && j->first.second <= at.second + 1;
                 ++j) {
                const std::size_t k = j->second;
                if (rank[k] > i && !taken[k] && points[k].x - first.x <= Tolerance &&
                    std::abs(points[k].y - first.y) <= Tolerance)
                    group.push_back(rank[k]);
            }
        }
        if (group.empty()) {
            out.points.push_back(first);
            continue;
        }
        std::sort(group.begin(), group.end());
        SurveyPoint mean = first;
        QStringList names{first.name}, heights{QString::number(first.z, 'f', 3)};
        bool differ = false;
        for (const std::size_t g : group) {
            const SurveyPoint& other = points[order[g]];
            taken[order[g]] = true;
            mean.z += other.z;
            differ = differ || other.z != first.z;
            names << other.name;
            heights << QString::number(other.z, 'f', 3);
        }
        const int count = int(group.size()) + 1;
        mean.z /= count;
        out.merged += count - 1;
        if (differ)
            out.differing << names.join(QStringLiteral(", ")) + QStringLiteral(": ") +
                                 heights.join(QStringLiteral(" / "));
        out.points.push_back(mean);
    }
    return out;
}

ExcludedShots excludeShots(const std::vector<SurveyPoint>& points, const QStringList& names)
{
    ExcludedShots out;
    QSet<QString> wanted(names.begin(), names.end()), seen;
    for (const SurveyPoint& p : points) {
        if (wanted.contains(p.name))
            seen.insert(p.name);
        else
            out.kept.push_back(p);
    }
    for (const QString& name : names)
        (seen.contains(name) ? out.left : out.unknown) << name;
    out.left.removeDuplicates();
    out.unknown.removeDuplicates();
    return out;
}

std::vector<std::pair<double, double>> outlineOf(const std::vector<SurveyPoint>& points)
{
    OGRMultiPoint all;
    for (const SurveyPoint& p : points)
        all.addGeometryDirectly(new OGRPoint(p.x, p.y));
    std::unique_ptr<OGRGeometry> hull(all.ConvexHull());
    std::vector<std::pair<double, double>> corners;
    if (!hull || wkbFlatten(hull->getGeometryType()) != wkbPolygon)
        return corners;
    for (const OGRPoint& p : *hull->toPolygon()->getExteriorRing())
        corners.emplace_back(p.getX(), p.getY());
    return corners;
}

GridFrame frameAround(const std::vector<SurveyPoint>& points, int spacing)
{
    GridFrame f;
    f.spacing = std::max(1, spacing);
    if (points.empty())
        return f;
    const PointsExtent e = extentOf(points);
    f.x0 = std::floor(e.west / f.spacing) * f.spacing;
    f.y0 = std::floor(e.south / f.spacing) * f.spacing;
    f.cols = int(std::ceil((e.east - f.x0) / f.spacing)) + 1;
    f.rows = int(std::ceil((e.north - f.y0) / f.spacing)) + 1;
    return f;
}

std::optional<GridFrame> frameOf(const Project& p)
{
    if (!p.Georef || p.GridRows < 2 || p.GridCols < 2 || p.GridSpacing < 1)
        return std::nullopt;
    return GridFrame{p.Georef->easting, p.Georef->northing, p.GridSpacing, p.GridRows, p.GridCols};
}

int pointsOutside(const std::vector<SurveyPoint>& points, const GridFrame& f)
{
    const double x1 = f.x0 + double(f.cols - 1) * f.spacing,
                 y1 = f.y0 + double(f.rows - 1) * f.spacing;
    return int(std::count_if(points.begin(), points.end(), [&](const SurveyPoint& p) {
        return p.x < f.x0 || p.x > x1 || p.y < f.y0 || p.y > y1;
    }));
}

std::optional<int> spacingNeeded(const GridFrame& frame)
{
    if (qint64(frame.rows) * frame.cols <= MaxNodes)
        return std::nullopt;
    const double width = double(frame.cols - 1) * frame.spacing;
    const double height = double(frame.rows - 1) * frame.spacing;
    for (int s = frame.spacing + 1;; ++s)
        if ((std::ceil(width / s) + 1) * (std::ceil(height / s) + 1) <= MaxNodes)
            return s;
}

std::variant<GridResult, QString> makeGrid(const std::vector<SurveyPoint>& points,
                                           const GridFrame& frame, GridMethod method,
                                           const GridOptions& options)
{
    if (points.size() < 3)
        return QStringLiteral("มีจุดสำรวจที่ใช้ได้ %1 จุด ต้องมีอย่างน้อย 3 จุด").arg(points.size());
    if (frame.rows < 2 || frame.cols < 2)
        return QStringLiteral("กริดต้องมีอย่างน้อย 2 แถว 2 คอลัมน์");
    if (const auto s = spacingNeeded(frame))
        return QStringLiteral("กริดมีจุดเกิน %1 จุด ระยะกริดที่เล็กที่สุดที่ใช้ได้คือ %2 เมตร")
            .arg(MaxNodes)
            .arg(*s);
    if (pointsOutside(points, frame) == int(points.size()))
        return QStringLiteral("ไม่มีจุดสำรวจอยู่ในกริดเลย ตรวจสอบจุดกริดแรกและขนาดกริด");
    // Shots on one line make no triangles: the spread across the shots' main direction, against the
    // spread along it, says whether they lie on one.
    double mx = 0, my = 0;
    for (const SurveyPoint& p : points)
        mx += p.x, my += p.y;
    mx /= double(points.size()), my /= double(points.size());
    double sxx = 0, syy = 0, sxy = 0;
    for (const SurveyPoint& p : points) {
        sxx += (p.x - mx) * (p.x - mx), syy += (p.y - my) * (p.y - my);
        sxy += (p.x - mx) * (p.y - my);
    }
    const double half = (sxx + syy) / 2, root = std::hypot((sxx - syy) / 2, sxy);
    if (!(half - root > 1e-12 * (half + root)))
        return QStringLiteral("จุดสำรวจทุกจุดอยู่ในแนวเส้นตรงเดียวกัน สร้างพื้นผิวจากจุดเหล่านี้ไม่ได้");
    // Without an outline given, the shots' own convex hull says which nodes are estimates.
    const auto hull =
        options.outline.empty() ? outlineOf(points) : std::vector<std::pair<double, double>>{};
    GridResult result;
    result.index = std::make_shared<const PointIndex>(points);
    const PointIndex& index = *result.index;
    std::vector<double> heights(std::size_t(frame.rows) * frame.cols, NoValue);
    if (method == GridMethod::Linear) {
        // One triangulation serves the nodes and, later, the leave-one-out residuals.
        const auto lines = noded(options.breaklines);
        if (const auto* reason = std::get_if<QString>(&lines))
            return *reason;
        auto made = SurveyTin::make(points, std::get<std::vector<Breakline>>(lines));
        if (const auto* reason = std::get_if<QString>(&made))
            return *reason;
        result.surface = std::move(std::get<std::unique_ptr<SurveyTin>>(made));
        // Outside the shots' hull the surface has no height: those nodes are filled below.
        result.surface->heightsOnGrid(frame.x0, frame.y0, frame.spacing, frame.rows, frame.cols,
                                      heights);
    } else if (method == GridMethod::Nearest) {
        forEachNode(frame, [&](std::size_t i, double x, double y) {
            std::uint32_t nearest = 0;
            double squared = 0;
            index.nearest(x, y, 1, &nearest, &squared);
            heights[i] = points[nearest].z;
        });
    } else {
        forEachNode(frame, [&](std::size_t i, double x, double y) {
            heights[i] = inverseDistanceAt(index, points, x, y);
        });
    }
    result.estimated = outsideOutline(options.outline.empty() ? hull : options.outline, frame);
    if (!options.outline.empty())
        result.outsideOutline =
            int(std::count(result.estimated.begin(), result.estimated.end(), true));
    forEachNode(frame, [&](std::size_t i, double x, double y) {
        if (heights[i] == NoValue) {
            heights[i] = inverseDistanceAt(index, points, x, y);
            result.estimated[i] = true;
        }
        result.estimatedCount += result.estimated[i];
    });
    // The project keeps single floats; a height they cannot hold would make a file Open refuses.
    for (std::size_t i = 0; i < heights.size(); ++i)
        if (!std::isfinite(float(heights[i])) || std::abs(heights[i]) > 1e6)
            return QStringLiteral("ค่าระดับที่จุดกริด %1 (%2) เก็บในโครงการไม่ได้")
                .arg(i + 1)
                .arg(heights[i], 0, 'g', 6);
    result.z = std::move(heights);
    return result;
}

std::vector<Residual> suspectShots(const std::vector<SurveyPoint>& shots,
                                   const std::vector<std::optional<double>>& leaveOneOut)
{
    std::vector<double> sizes;
    for (const auto& r : leaveOneOut)
        if (r)
            sizes.push_back(std::abs(*r));
    if (sizes.empty())
        return {};
    std::nth_element(sizes.begin(), sizes.begin() + sizes.size() / 2, sizes.end());
    const double threshold = std::max(5 * sizes[sizes.size() / 2], 0.05);
    std::vector<Residual> out;
    for (std::size_t i = 0; i < shots.size(); ++i)
        if (leaveOneOut[i] && std::abs(*leaveOneOut[i]) > threshold)
            out.push_back({shots[i].name, *leaveOneOut[i]});
    std::stable_sort(out.begin(), out.end(), [](const Residual& a, const Residual& b) {
        return std::abs(a.value) > std::abs(b.value);
    });
    return out;
}

GridQuality gridQuality(const std::vector<SurveyPoint>& used, const GridFrame& frame,
                        const GridResult& grid, int pointsRead, const MergedPoints& merged,
                        const GridOptions& options)
{
    GridQuality q;
    q.pointsRead = pointsRead;
    q.pointsUsed = int(used.size());
    q.duplicates = merged.merged;
    q.differing = merged.differing;
    q.nodesEstimated = grid.estimatedCount;
    q.outsideGrid = pointsOutside(used, frame);
    q.breaklines = int(options.breaklines.size());

    std::vector<Residual> residuals;
    double sum = 0;
    for (const SurveyPoint& p : used) {
        const double u = (p.x - frame.x0) / frame.spacing, v = (p.y - frame.y0) / frame.spacing;
        if (u < 0 || v < 0 || u > frame.cols - 1 || v > frame.rows - 1)
            continue;
        const int c = std::min(int(u), frame.cols - 2), r = std::min(int(v), frame.rows - 2);
        const double fu = u - c, fv = v - r;
        const auto at = [&](int rr, int cc) { return grid.z[std::size_t(rr) * frame.cols + cc]; };
        const double ll = at(r, c), lr = at(r, c + 1), ur = at(r + 1, c + 1), ul = at(r + 1, c);
        const double surface =
            fu >= fv ? ll + fu * (lr - ll) + fv * (ur - lr) : ll + fv * (ul - ll) + fu * (ur - ul);
        residuals.push_back({p.name, p.z - surface});
        sum += (p.z - surface) * (p.z - surface);
    }
    q.rms = residuals.empty() ? 0 : std::sqrt(sum / residuals.size());
    const std::size_t keep = std::min<std::size_t>(10, residuals.size());
    std::partial_sort(
        residuals.begin(), residuals.begin() + keep, residuals.end(),
        [](const Residual& a, const Residual& b) { return std::abs(a.value) > std::abs(b.value); });
    q.largest.assign(residuals.begin(), residuals.begin() + keep);

    if (used.empty())
        return q;
    const auto index = grid.index ? grid.index : std::make_shared<const PointIndex>(used);
    double farthest = 0;
    forEachNode(frame, [&](std::size_t, double x, double y) {
        std::uint32_t nearest = 0;
        double squared = 0;
        index->nearest(x, y, 1, &nearest, &squared);
        farthest = std::max(farthest, squared);
    });
    q.farthestNode = std::sqrt(farthest);

    std::shared_ptr<const SurveyTin> surface = grid.surface;
    if (!surface) {
        const auto lines = noded(options.breaklines);
        auto made = SurveyTin::make(used, std::holds_alternative<QString>(lines)
                                              ? std::vector<Breakline>{}
                                              : std::get<std::vector<Breakline>>(lines));
        if (auto* tin = std::get_if<std::unique_ptr<SurveyTin>>(&made))
            surface = std::move(*tin);
    }
    if (surface)
        q.suspects = suspectShots(used, surface->leaveOneOut(options.progress));
    return q;
}

QStringList qualityLines(const GridQuality& q, const GridFrame& frame, const QStringList& heading)
{
    const auto metres = [](double v) { return QString::number(v, 'f', 3); };
    QStringList lines = heading;
    lines << QStringLiteral("จุดสำรวจที่อ่านได้ %1 จุด ใช้ %2 จุด").arg(q.pointsRead).arg(q.pointsUsed);
    if (!q.excluded.isEmpty())
        lines << QStringLiteral("ไม่ใช้จุด %1 ตามที่สั่ง").arg(q.excluded.join(QStringLiteral(", ")));
    lines << QStringLiteral("จุดซ้ำตำแหน่งที่รวมเป็นค่าเฉลี่ย %1 จุด").arg(q.duplicates);
    if (q.breaklines > 0)
        lines << QStringLiteral("เส้นแนวหัก %1 เส้น เป็นขอบของสามเหลี่ยมพื้นผิว").arg(q.breaklines);
    if (q.outsideGrid > 0)
        lines << QStringLiteral("คำเตือน: จุดสำรวจ %1 จุดอยู่นอกกริด กริดไม่ครอบคลุมจุดเหล่านี้")
                     .arg(q.outsideGrid);
    for (const QString& d : q.differing)
        lines << QStringLiteral("    ค่าระดับต่างกัน %1").arg(d);
    lines << QStringLiteral("กริด %1 แถว × %2 คอลัมน์ ระยะ %3 เมตร จุดกริดแรกที่ E %4 N %5")
                 .arg(frame.rows)
                 .arg(frame.cols)
                 .arg(frame.spacing)
                 .arg(metres(frame.x0), metres(frame.y0))
          << QStringLiteral("จุดกริดที่ประมาณค่านอกขอบเขตจุดสำรวจ %1 จุด").arg(q.nodesEstimated)
          << QStringLiteral("ระยะไกลที่สุดจากจุดกริดถึงจุดสำรวจที่ใกล้ที่สุด %1 ม.").arg(metres(q.farthestNode))
          << QStringLiteral("ผลต่างค่าระดับจุดสำรวจกับพื้นผิวกริด: RMS %1 ม. มากที่สุด %2 ม.")
                 .arg(metres(q.rms), metres(q.largest.empty() ? 0 : std::abs(q.largest[0].value)))
          << QStringLiteral("ผลต่างมากที่สุด %1 จุด:").arg(q.largest.size());
    for (const Residual& r : q.largest)
        lines << QStringLiteral("    จุด %1   %2 ม.").arg(r.name, metres(r.value));
    lines << QStringLiteral("จุดที่น่าสงสัย (ผลต่างเมื่อไม่ใช้จุดนั้น) %1 จุด%2")
                 .arg(q.suspects.size())
                 .arg(q.suspects.empty() ? QString() : QStringLiteral(":"));
    for (const Residual& r : q.suspects)
        lines << QStringLiteral("    จุด %1   %2 ม.").arg(r.name, metres(r.value));
    return lines;
}

float roundInterval(double range)
{
    for (double power = 0.001;; power *= 10)
        for (const double step : {1.0, 2.0, 5.0})
            if (range / (step * power) <= 60 || power > 1e6)
                return float(step * power);
}

Project projectFromGrid(const GridFrame& frame, const GridResult& grid, const QString& heading,
                        int epsg, float interval)
{
    Project p = startupProject();
    resetForNew(p);
    p.ProjectName = heading;
    const auto [low, high] = std::minmax_element(grid.z.begin(), grid.z.end());
    applyControlData(p, {qint16(frame.spacing), qint16(frame.rows), qint16(frame.cols),
                         interval > 0 ? interval : roundInterval(*high - *low)});
    for (std::size_t i = 0; i < grid.z.size(); ++i)
        p.Nodes[i + 1].Z = float(grid.z[i]);
    p.Georef = Georeference{frame.x0, frame.y0, epsg, {}};
    for (std::size_t i = 0; i < grid.estimated.size(); ++i)
        if (grid.estimated[i])
            p.Georef->estimated.push_back(int(i) + 1);
    p.ComputeElevationRange();
    p.ComputeNodeExtents();
    return p;
}

} // namespace tervan
