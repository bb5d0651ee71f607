#include "grading/geosscope.h"

#include <geos_c.h>

namespace tervan {

GeosScope::GeosScope() : m_ctx(GEOS_init_r()) {}

GeosScope::~GeosScope()
{
    for (GEOSGeometry* g : m_owned)
        GEOSGeom_destroy_r(m_ctx, g);
    GEOS_finish_r(m_ctx);
}

GEOSGeometry* GeosScope::own(GEOSGeometry* g)
{
    if (g)
        m_owned.push_back(g);
    return g;
}

GEOSGeometry* GeosScope::polygon(const std::vector<QPointF>& ring)
{
    GEOSCoordSequence* s = GEOSCoordSeq_create_r(m_ctx, unsigned(ring.size() + 1), 2);
    for (std::size_t i = 0; i <= ring.size(); ++i) {
        const QPointF& p = ring[i % ring.size()];
        GEOSCoordSeq_setXY_r(m_ctx, s, unsigned(i), p.x(), p.y());
    }
    return closedPolygon(s);
}

GEOSGeometry* GeosScope::polygon(const std::vector<std::pair<double, double>>& ring)
{
    GEOSCoordSequence* s = GEOSCoordSeq_create_r(m_ctx, unsigned(ring.size() + 1), 2);
    for (std::size_t i = 0; i <= ring.size(); ++i) {
        const auto& [x, y] = ring[i % ring.size()];
        GEOSCoordSeq_setXY_r(m_ctx, s, unsigned(i), x, y);
    }
    return closedPolygon(s);
}

GEOSGeometry* GeosScope::closedPolygon(GEOSCoordSequence* ring)
{
    GEOSGeometry* shell = GEOSGeom_createLinearRing_r(m_ctx, ring);
    return shell ? own(GEOSGeom_createPolygon_r(m_ctx, shell, nullptr, 0)) : nullptr;
}

std::optional<double> GeosScope::validArea(const GEOSGeometry* g) const
{
    double area = 0;
    if (!g || GEOSisValid_r(m_ctx, g) != 1 || GEOSArea_r(m_ctx, g, &area) != 1 || !(area > 0))
        return std::nullopt;
    return area;
}

} // namespace tervan
