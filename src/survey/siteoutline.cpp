#include "survey/siteoutline.h"
#include "survey/vectorfile.h"

#include "survey/coordinates.h"

#include <QFile>
#include <cmath>
#include <gdal.h>
#include <geos/algorithm/hull/ConcaveHull.h>
#include <geos/geom/Coordinate.h>
#include <geos/geom/CoordinateSequence.h>
#include <geos/geom/Geometry.h>
#include <geos/geom/GeometryFactory.h>
#include <geos/geom/LinearRing.h>
#include <geos/geom/MultiPoint.h>
#include <geos/geom/Polygon.h>
#include <memory>
#include <ogrsf_frmts.h>

namespace tervan {

namespace {

SiteOutline ringOf(const geos::geom::Geometry& g)
{
    SiteOutline ring;
    const auto* polygon = dynamic_cast<const geos::geom::Polygon*>(&g);
    if (!polygon)
        return ring;
    const auto coordinates = polygon->getExteriorRing()->getCoordinates();
    for (std::size_t i = 0; i + 1 < coordinates->size(); ++i)
        ring.emplace_back(coordinates->getAt(i).x, coordinates->getAt(i).y);
    return ring;
}

QString where(const OGRFeature& f)
{
    return QStringLiteral("รายการที่ %1").arg(f.GetFID());
}

} // namespace

SiteOutline outlineOfShots(const std::vector<SurveyPoint>& points, OutlineKind kind)
{
    if (kind == OutlineKind::None || points.size() < 3)
        return {};
    const auto factory = geos::geom::GeometryFactory::create();
    std::vector<geos::geom::Coordinate> coordinates;
    coordinates.reserve(points.size());
    for (const SurveyPoint& p : points)
        coordinates.emplace_back(p.x, p.y);
    const std::unique_ptr<geos::geom::MultiPoint> shots(factory->createMultiPoint(coordinates));
    try {
        const auto hull =
            kind == OutlineKind::Hull
                ? shots->convexHull()
                : geos::algorithm::hull::ConcaveHull::concaveHullByLength(
                      shots.get(),
                      5 * geos::algorithm::hull::ConcaveHull::uniformEdgeLength(shots.get()));
        return hull ? ringOf(*hull) : SiteOutline{};
    } catch (const std::exception&) {
        return {};
    }
}

std::variant<BoundaryFile, QString> readBoundaryFile(const QString& fileName)
{
    const VectorFile data = openVectorFile(fileName);
    CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
    if (!data)
        return QStringLiteral("อ่านแฟ้มขอบเขตไม่ได้");
    std::vector<std::pair<SiteOutline, QString>> found;
    QString crs;
    for (OGRLayer* layer : data->GetLayers())
        for (const auto& feature : *layer) {
            takeLayerCrs(*layer, crs);
            const OGRGeometry* g = feature->GetGeometryRef();
            if (!g)
                continue;
            const auto flat = wkbFlatten(g->getGeometryType());
            const OGRLineString* ring = nullptr;
            if (flat == wkbPolygon) {
                ring = g->toPolygon()->getExteriorRing();
            } else if (flat == wkbLineString) {
                ring = g->toLineString();
                if (ring->IsEmpty())
                    return QStringLiteral("ขอบเขต%1 ไม่มีจุด").arg(where(*feature));
                if (!ring->get_IsClosed())
                    return QStringLiteral("เส้นขอบเขต%1 ไม่ปิด: ปลายอยู่ที่ E %2 N %3 ต้นอยู่ที่ E %4 N %5")
                        .arg(where(*feature))
                        .arg(ring->getX(ring->getNumPoints() - 1), 0, 'f', 3)
                        .arg(ring->getY(ring->getNumPoints() - 1), 0, 'f', 3)
                        .arg(ring->getX(0), 0, 'f', 3)
                        .arg(ring->getY(0), 0, 'f', 3);
            } else {
                continue; // points and texts are no boundary
            }
            if (!ring || ring->getNumPoints() < 4)
                return QStringLiteral("ขอบเขต%1 ตัดกันเอง หรือมีมุมไม่ถึง 3 มุม").arg(where(*feature));
            OGRPolygon polygon;
            auto* closed = new OGRLinearRing;
            closed->addSubLineString(ring);
            polygon.addRingDirectly(closed);
            if (!polygon.IsValid())
                return QStringLiteral("ขอบเขต%1 ตัดกันเอง หรือมีมุมไม่ถึง 3 มุม").arg(where(*feature));
            SiteOutline outline;
            for (int i = 0; i + 1 < ring->getNumPoints(); ++i)
                outline.emplace_back(ring->getX(i), ring->getY(i));
            found.emplace_back(std::move(outline), where(*feature));
        }
    if (found.empty())
        return QStringLiteral("ไม่พบรูปปิดที่เป็นขอบเขตในแฟ้มนี้");
    if (found.size() > 1)
        return QStringLiteral("แฟ้มมีขอบเขต %1 รูป ต้องมีรูปเดียว").arg(found.size());
    return BoundaryFile{found.front().first, crs};
}

double outlineArea(const SiteOutline& outline)
{
    double twice = 0;
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const auto [x0, y0] = outline[i];
        const auto [x1, y1] = outline[(i + 1) % outline.size()];
        twice += x0 * y1 - x1 * y0;
    }
    return std::abs(twice) / 2;
}

std::variant<SiteOutline, QString> boundaryInProject(const QString& fileName, int epsg)
{
    auto read = readBoundaryFile(fileName);
    if (const auto* reason = std::get_if<QString>(&read))
        return *reason;
    BoundaryFile& file = std::get<BoundaryFile>(read);
    std::vector<SurveyPoint> corners;
    for (const auto& [x, y] : file.outline)
        corners.push_back({QString(), x, y, 0});
    // GeoJSON always names WGS 84; a boundary drawn in the project's metres is no degrees.
    const bool degreesNamedOnly = isGeographicCrs(file.crs) && !looksLikeDegrees(corners);
    if (file.crs.isEmpty() || degreesNamedOnly || epsg == 0 || epsgCodeOf(file.crs) == epsg)
        return file.outline;
    const auto projected = projectPoints(corners, file.crs, epsg);
    if (const auto* reason = std::get_if<QString>(&projected))
        return *reason;
    SiteOutline outline;
    for (const SurveyPoint& c : corners)
        outline.emplace_back(c.x, c.y);
    return outline;
}

} // namespace tervan
