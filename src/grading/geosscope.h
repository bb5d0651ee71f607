#pragma once

// Private to grading's own sources: GEOS stays out of every public header.

#include <QPointF>
#include <geos_c.h>
#include <optional>
#include <utility>
#include <vector>

namespace tervan {

// One GEOS context for one computation; every geometry handed to own() dies with it, so the
// callers' early returns leak nothing.
class GeosScope final
{
public:
    GeosScope();
    ~GeosScope();
    GeosScope(const GeosScope&) = delete;
    GeosScope& operator=(const GeosScope&) = delete;

    GEOSContextHandle_t ctx() const { return m_ctx; }
    GEOSGeometry* own(GEOSGeometry* g);

    // A polygon from an outline of three or more corners, not closed; null where GEOS refuses
    // the ring.
    GEOSGeometry* polygon(const std::vector<QPointF>& ring);
    GEOSGeometry* polygon(const std::vector<std::pair<double, double>>& ring);

    // The area of a polygon that is valid and not empty; nothing otherwise.
    std::optional<double> validArea(const GEOSGeometry* g) const;

private:
    GEOSGeometry* closedPolygon(GEOSCoordSequence* ring);

    GEOSContextHandle_t m_ctx;
    std::vector<GEOSGeometry*> m_owned;
};

} // namespace tervan
