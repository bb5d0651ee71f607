#include "exchange/exportoutline.h"

#include "project/project.h"

#include <algorithm>
#include <cpl_error.h>
#include <ogr_api.h>
#include <ogr_geometry.h>

namespace tervan {

struct ExportOutline::Geometry
{
    OGRPolygon polygon;
    OGRPreparedGeometryUniquePtr prepared;
};

ExportOutline::ExportOutline() : m_geometry(std::make_unique<Geometry>()) {}
ExportOutline::~ExportOutline() = default;

std::shared_ptr<const ExportOutline> ExportOutline::of(const Project& p)
{
    if (!p.Georef || p.Georef->outline.size() < 3)
        return nullptr;
    std::shared_ptr<ExportOutline> s(new ExportOutline);
    auto ring = std::make_unique<OGRLinearRing>();
    for (const auto& [e, n] : p.Georef->outline) {
        s->m_corners.emplace_back(e - p.Georef->easting, n - p.Georef->northing);
        ring->addPoint(s->m_corners.back().x(), s->m_corners.back().y());
    }
    ring->closeRings();
    OGRPolygon& polygon = s->m_geometry->polygon;
    polygon.addRingDirectly(ring.release());
    // GEOS says why a polygon is invalid as a warning; here it only means "no outline".
    const bool valid = [&] {
        CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
        return polygon.IsValid() && polygon.get_Area() > 0;
    }();
    if (!valid)
        return nullptr;
    s->m_geometry->prepared.reset(OGRCreatePreparedGeometry(OGRGeometry::ToHandle(&polygon)));
    if (!s->m_geometry->prepared)
        return nullptr;
    const int count = p.GridRows * p.GridCols;
    s->m_nodeInside.resize(std::size_t(count));
    for (int n = 1; n <= count; ++n) {
        OGRPoint at(p.Nodes[n].X, p.Nodes[n].Y);
        s->m_nodeInside[std::size_t(n - 1)] = OGRPreparedGeometryIntersects(
            s->m_geometry->prepared.get(), OGRGeometry::ToHandle(&at));
    }
    return s;
}

bool ExportOutline::covers(const QPointF& at) const
{
    const OGRPoint point(at.x(), at.y());
    return m_geometry->polygon.Distance(&point) <= 1e-4;
}

namespace {

// The lines of an overlay's result; where the line only touches the outline it also holds
// points, which draw nothing.
void collectLines(const OGRGeometry& g, const ContourLine& from, std::vector<ContourLine>& out)
{
    const OGRwkbGeometryType type = wkbFlatten(g.getGeometryType());
    if (type == wkbLineString) {
        const OGRLineString& line = *g.toLineString();
        if (line.getNumPoints() < 2 || !(line.get_Length() > 0))
            return;
        ContourLine piece{from.level, from.whole, false, {}};
        piece.points.reserve(std::size_t(line.getNumPoints()));
        for (int i = 0; i < line.getNumPoints(); ++i)
            piece.points.emplace_back(line.getX(i), line.getY(i));
        out.push_back(std::move(piece));
    } else if (OGR_GT_IsSubClassOf(type, wkbGeometryCollection)) {
        for (const OGRGeometry* part : *g.toGeometryCollection())
            collectLines(*part, from, out);
    }
}

} // namespace

void ExportOutline::clip(const ContourLine& line, std::vector<ContourLine>& out) const
{
    if (line.points.size() < 2)
        return;
    OGRLineString path;
    path.setNumPoints(int(line.points.size()), false);
    for (std::size_t i = 0; i < line.points.size(); ++i)
        path.setPoint(int(i), line.points[i].x(), line.points[i].y());
    OGRPreparedGeometry* prepared = m_geometry->prepared.get();
    if (OGRPreparedGeometryContains(prepared, OGRGeometry::ToHandle(&path))) {
        out.push_back(line);
        return;
    }
    if (!OGRPreparedGeometryIntersects(prepared, OGRGeometry::ToHandle(&path)))
        return;
    const std::unique_ptr<OGRGeometry> inside(m_geometry->polygon.Intersection(&path));
    if (!inside)
        return;
    std::vector<ContourLine> pieces;
    collectLines(*inside, line, pieces);
    // The overlay also cuts a closed line where it starts; one piece, not two, crosses there.
    if (line.closed && pieces.size() > 1) {
        const QPointF start = line.points.front();
        auto into = std::find_if(pieces.begin(), pieces.end(),
                                 [&](const ContourLine& c) { return c.points.back() == start; });
        auto from = std::find_if(pieces.begin(), pieces.end(),
                                 [&](const ContourLine& c) { return c.points.front() == start; });
        if (into != pieces.end() && from != pieces.end() && into != from) {
            into->points.insert(into->points.end(), from->points.begin() + 1, from->points.end());
            pieces.erase(from);
        }
    }
    for (ContourLine& piece : pieces) {
        piece.closed = piece.points.size() > 2 && piece.points.front() == piece.points.back();
        out.push_back(std::move(piece));
    }
}

ContourSet clippedToOutline(const ContourSet& set, const ExportOutline& outline)
{
    ContourSet out;
    out.interval = set.interval;
    for (const ContourLine& line : set.lines)
        outline.clip(line, out.lines);
    for (const ContourLabel& label : set.labels)
        if (outline.covers(label.at))
            out.labels.push_back(label);
    return out;
}

} // namespace tervan
