#pragma once

// Private to grading's own sources: GEOS stays out of every public header.

#include <QPointF>
#include <optional>
#include <utility>
#include <vector>

// GEOS's opaque handles, declared as geos_c.h declares them, so this header needs none of it.
struct GEOSContextHandle_HS;
struct GEOSGeom_t;
struct GEOSCoordSeq_t;

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

    GEOSContextHandle_HS* ctx() const { return m_ctx; }
    GEOSGeom_t* own(GEOSGeom_t* g);

    // A polygon from an outline of three or more corners, not closed; null where GEOS refuses
    // the ring.
    GEOSGeom_t* polygon(const std::vector<QPointF>& ring);
    GEOSGeom_t* polygon(const std::vector<std::pair<double, double>>& ring);

    // The area of a polygon that is valid and not empty; nothing otherwise.
    std::optional<double> validArea(const GEOSGeom_t* g) const;

private:
    GEOSGeom_t* closedPolygon(GEOSCoordSeq_t* ring);

    GEOSContextHandle_HS* m_ctx;
    std::vector<GEOSGeom_t*> m_owned;
};

} // namespace tervan
