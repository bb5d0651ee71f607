#include "graphics/sitehatch.h"

#include "project/project.h"

#include <cmath>
#include <geos_c.h>

namespace tervan {

namespace {

void appendLines(GEOSContextHandle_t c, const GEOSGeometry* g, std::vector<QLineF>& out)
{
    const int type = GEOSGeomTypeId_r(c, g);
    if (type == GEOS_LINESTRING || type == GEOS_LINEARRING) {
        const GEOSCoordSequence* s = GEOSGeom_getCoordSeq_r(c, g);
        unsigned n = 0;
        GEOSCoordSeq_getSize_r(c, s, &n);
        for (unsigned i = 1; i < n; ++i) {
            double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
            GEOSCoordSeq_getXY_r(c, s, i - 1, &x0, &y0);
            GEOSCoordSeq_getXY_r(c, s, i, &x1, &y1);
            out.emplace_back(x0, y0, x1, y1);
        }
    } else if (type == GEOS_MULTILINESTRING || type == GEOS_GEOMETRYCOLLECTION) {
        for (int i = 0; i < GEOSGetNumGeometries_r(c, g); ++i)
            appendLines(c, GEOSGetGeometryN_r(c, g, i), out);
    }
}

GEOSGeometry* lineString(GEOSContextHandle_t c, const std::vector<QPointF>& points)
{
    GEOSCoordSequence* s = GEOSCoordSeq_create_r(c, unsigned(points.size()), 2);
    for (unsigned i = 0; i < points.size(); ++i)
        GEOSCoordSeq_setXY_r(c, s, i, points[i].x(), points[i].y());
    return GEOSGeom_createLineString_r(c, s);
}

} // namespace

SiteHatch siteHatch(const Project& p, double step)
{
    SiteHatch out;
    if (!p.Georef || p.Georef->outline.size() < 3 || p.GridRows < 2 || p.GridCols < 2 ||
        !(step > 0))
        return out;
    const double width = double(p.GridCols - 1) * p.GridSpacing,
                 height = double(p.GridRows - 1) * p.GridSpacing;
    if (!(width > 0 && height > 0) || (width + height) / step > 100000)
        return out;
    std::vector<QPointF> ring;
    for (const auto& [e, n] : p.Georef->outline)
        ring.emplace_back(e - p.Georef->easting, n - p.Georef->northing);
    ring.push_back(ring.front());
    for (std::size_t i = 1; i < ring.size(); ++i)
        out.outline.emplace_back(ring[i - 1], ring[i]);

    GEOSContextHandle_t c = GEOS_init_r();
    GEOSCoordSequence* s = GEOSCoordSeq_create_r(c, unsigned(ring.size()), 2);
    for (unsigned i = 0; i < ring.size(); ++i)
        GEOSCoordSeq_setXY_r(c, s, i, ring[i].x(), ring[i].y());
    GEOSGeometry* site = GEOSGeom_createPolygon_r(c, GEOSGeom_createLinearRing_r(c, s), nullptr, 0);
    // Lines at 45 degrees across the grid, x - y = k * step, cut where the site is.
    std::vector<GEOSGeometry*> lines;
    for (double k = std::floor(-height / step) * step; k <= width; k += step)
        lines.push_back(
            lineString(c, {{std::max(k, 0.0), std::max(k, 0.0) - k},
                           {std::min(k + height, width), std::min(k + height, width) - k}}));
    GEOSGeometry* all =
        GEOSGeom_createCollection_r(c, GEOS_MULTILINESTRING, lines.data(), unsigned(lines.size()));
    if (site && GEOSisValid_r(c, site) == 1) {
        if (GEOSGeometry* outside = GEOSDifference_r(c, all, site)) {
            appendLines(c, outside, out.hatch);
            GEOSGeom_destroy_r(c, outside);
        }
    }
    GEOSGeom_destroy_r(c, all);
    if (site)
        GEOSGeom_destroy_r(c, site);
    GEOS_finish_r(c);
    return out;
}

} // namespace tervan
