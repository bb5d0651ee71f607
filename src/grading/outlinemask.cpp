#include "grading/outlinemask.h"

#include "grading/geosscope.h"

#include <cmath>
#include <geos_c.h>

namespace tervan {

namespace {

// Corners of a triangle in order, with their weights on the cell's four corners.
struct Corner
{
    double x, y;
    std::array<double, 4> w;
};

// The weights of point (x, y) inside triangle t, carried over to the cell's four corners.
std::array<double, 4> weightsAt(const std::array<Corner, 3>& t, double x, double y)
{
    const double det =
        (t[1].y - t[2].y) * (t[0].x - t[2].x) + (t[2].x - t[1].x) * (t[0].y - t[2].y);
    const double l0 = ((t[1].y - t[2].y) * (x - t[2].x) + (t[2].x - t[1].x) * (y - t[2].y)) / det;
    const double l1 = ((t[2].y - t[0].y) * (x - t[2].x) + (t[0].x - t[2].x) * (y - t[2].y)) / det;
    const double l2 = 1 - l0 - l1;
    std::array<double, 4> w{};
    for (int k = 0; k < 4; ++k)
        w[k] = l0 * t[0].w[k] + l1 * t[1].w[k] + l2 * t[2].w[k];
    return w;
}

} // namespace

std::shared_ptr<const OutlineMask>
OutlineMask::build(int rows, int cols, double spacing,
                   const std::vector<std::pair<double, double>>& outline)
{
    if (rows < 2 || cols < 2 || !(spacing > 0) || outline.size() < 3)
        return nullptr;
    GeosScope geos;
    GEOSContextHandle_t c = geos.ctx();
    GEOSGeometry* area = geos.polygon(outline);
    if (!geos.validArea(area))
        return nullptr;
    const GEOSPreparedGeometry* prepared = GEOSPrepare_r(c, area);
    std::shared_ptr<OutlineMask> mask(new OutlineMask);
    mask->m_outline = outline;
    const int cells = (rows - 1) * (cols - 1);
    mask->m_cover.assign(std::size_t(cells), Cover::Outside);
    mask->m_first.assign(std::size_t(cells) + 1, 0);
    const double cellArea = spacing * spacing;
    for (int i = 0; i + 1 < rows; ++i)
        for (int j = 0; j + 1 < cols; ++j) {
            const int cell = i * (cols - 1) + j;
            mask->m_first[std::size_t(cell)] = int(mask->m_pieces.size());
            const double x0 = j * spacing, y0 = i * spacing, x1 = x0 + spacing, y1 = y0 + spacing;
            GEOSGeometry* box =
                geos.polygon(std::vector<QPointF>{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
            if (GEOSPreparedContains_r(c, prepared, box) == 1) {
                mask->m_cover[std::size_t(cell)] = Cover::Inside;
                mask->m_inside += cellArea;
                continue;
            }
            if (GEOSPreparedIntersects_r(c, prepared, box) != 1)
                continue;
            const Corner ll{x0, y0, {1, 0, 0, 0}}, lr{x1, y0, {0, 1, 0, 0}},
                ur{x1, y1, {0, 0, 1, 0}}, ul{x0, y1, {0, 0, 0, 1}},
                centre{(x0 + x1) / 2, (y0 + y1) / 2, {0.25, 0.25, 0.25, 0.25}};
            for (const auto& t : {std::array{ll, lr, centre}, std::array{lr, ur, centre},
                                  std::array{ur, ul, centre}, std::array{ul, ll, centre}}) {
                GEOSGeometry* tri = geos.polygon(
                    std::vector<QPointF>{{t[0].x, t[0].y}, {t[1].x, t[1].y}, {t[2].x, t[2].y}});
                const GEOSGeometry* piece = geos.own(GEOSIntersection_r(c, tri, area));
                if (!piece || GEOSisEmpty_r(c, piece) == 1)
                    continue;
                // Where the outline only touches, the intersection also holds lines and points.
                const GEOSGeometry* polygons = piece;
                if (GEOSGeomTypeId_r(c, piece) == GEOS_GEOMETRYCOLLECTION) {
                    std::vector<GEOSGeometry*> kept;
                    for (int k = 0; k < GEOSGetNumGeometries_r(c, piece); ++k) {
                        const GEOSGeometry* member = GEOSGetGeometryN_r(c, piece, k);
                        if (GEOSGeomTypeId_r(c, member) == GEOS_POLYGON)
                            kept.push_back(GEOSGeom_clone_r(c, member));
                    }
                    polygons = geos.own(GEOSGeom_createCollection_r(
                        c, GEOS_MULTIPOLYGON, kept.data(), unsigned(kept.size())));
                }
                // The clipped piece may be any polygon: GEOS breaks it into triangles.
                GEOSGeometry* parts =
                    polygons ? geos.own(GEOSConstrainedDelaunayTriangulation_r(c, polygons))
                             : nullptr;
                const int n = parts ? GEOSGetNumGeometries_r(c, parts) : 0;
                for (int k = 0; k < n; ++k) {
                    const GEOSGeometry* part = GEOSGetGeometryN_r(c, parts, k);
                    const GEOSCoordSequence* s =
                        GEOSGeom_getCoordSeq_r(c, GEOSGetExteriorRing_r(c, part));
                    Piece p;
                    GEOSArea_r(c, part, &p.area);
                    if (!(p.area > 0))
                        continue;
                    for (unsigned v = 0; v < 3; ++v) {
                        double x = 0, y = 0;
                        GEOSCoordSeq_getXY_r(c, s, v, &x, &y);
                        p.weights[v] = weightsAt(t, x, y);
                    }
                    mask->m_inside += p.area;
                    mask->m_pieces.push_back(p);
                }
            }
            // Touching the outline along an edge or at a corner leaves nothing inside.
            if (int(mask->m_pieces.size()) > mask->m_first[std::size_t(cell)])
                mask->m_cover[std::size_t(cell)] = Cover::Partial;
        }
    mask->m_first.back() = int(mask->m_pieces.size());
    mask->m_nodeInside.assign(std::size_t(rows) * cols, false);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) {
            GEOSGeometry* node =
                geos.own(GEOSGeom_createPointFromXY_r(c, j * spacing, i * spacing));
            mask->m_nodeInside[std::size_t(i) * cols + j] =
                GEOSPreparedIntersects_r(c, prepared, node) == 1;
        }
    GEOSPreparedGeom_destroy_r(c, prepared);
    mask->m_outside = cellArea * cells - mask->m_inside;
    return mask;
}

std::optional<OutlineMask::Measure>
OutlineMask::measure(int rows, int cols, double spacing,
                     const std::vector<std::pair<double, double>>& outline, bool countNodes)
{
    if (rows < 2 || cols < 2 || !(spacing > 0) || outline.size() < 3)
        return std::nullopt;
    GeosScope geos;
    GEOSContextHandle_t c = geos.ctx();
    GEOSGeometry* area = geos.polygon(outline);
    if (!geos.validArea(area))
        return std::nullopt;
    const double w = (cols - 1) * spacing, h = (rows - 1) * spacing;
    GEOSGeometry* grid = geos.polygon(std::vector<QPointF>{{0, 0}, {w, 0}, {w, h}, {0, h}});
    Measure m;
    if (GEOSGeometry* inside = geos.own(GEOSIntersection_r(c, area, grid)))
        GEOSArea_r(c, inside, &m.insideArea);
    if (!countNodes)
        return m;
    const GEOSPreparedGeometry* prepared = GEOSPrepare_r(c, area);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) {
            GEOSGeometry* node =
                geos.own(GEOSGeom_createPointFromXY_r(c, j * spacing, i * spacing));
            m.nodesOutside += GEOSPreparedIntersects_r(c, prepared, node) != 1;
        }
    GEOSPreparedGeom_destroy_r(c, prepared);
    return m;
}

std::span<const OutlineMask::Piece> OutlineMask::pieces(int cell) const
{
    const auto from = std::size_t(m_first[std::size_t(cell)]);
    const auto to = std::size_t(m_first[std::size_t(cell) + 1]);
    return {m_pieces.data() + from, to - from};
}

} // namespace tervan
