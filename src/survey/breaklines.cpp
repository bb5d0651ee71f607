#include "survey/breaklines.h"
#include "survey/vectorfile.h"

#include "survey/coordinates.h"

#include "survey/surveyinput.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <cpl_error.h>
#include <gdal.h>
#include <geos/algorithm/LineIntersector.h>
#include <geos/geom/Coordinate.h>
#include <geos/geom/Envelope.h>
#include <geos/index/strtree/TemplateSTRtree.h>
#include <map>
#include <memory>
#include <ogrsf_frmts.h>

namespace tervan {

namespace {

// Heights at a crossing closer than this are one height given twice.
constexpr double CrossingTolerance = 0.005;

QString place(double x, double y)
{
    return QStringLiteral("E %1 N %2").arg(x, 0, 'f', 3).arg(y, 0, 'f', 3);
}

QString featureName(const OGRFeature& f)
{
    for (const char* field : {"name", "Name", "NAME", "Layer", "EntityHandle"}) {
        const int i = f.GetFieldIndex(field);
        if (i >= 0 && f.IsFieldSetAndNotNull(i) && *f.GetFieldAsString(i) != '\0')
            return QString::fromUtf8(f.GetFieldAsString(i)) +
                   QStringLiteral(" (#%1)").arg(f.GetFID());
    }
    return QStringLiteral("#%1").arg(f.GetFID());
}

} // namespace

std::variant<BreaklinesFile, QString> readBreaklines(const QString& fileName)
{
    const VectorFile data = openVectorFile(fileName);
    CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
    if (!data)
        return QStringLiteral("อ่านเส้นแนวหักจากแฟ้ม %1 ไม่ได้").arg(QDir::toNativeSeparators(fileName));
    BreaklinesFile file;
    for (OGRLayer* layer : data->GetLayers()) {
        takeLayerCrs(*layer, file.crs);
        for (const auto& feature : *layer) {
            const OGRGeometry* g = feature->GetGeometryRef();
            if (!g)
                continue;
            const auto flat = wkbFlatten(g->getGeometryType());
            std::vector<const OGRLineString*> parts;
            if (flat == wkbLineString)
                parts.push_back(g->toLineString());
            else if (flat == wkbMultiLineString)
                for (const OGRLineString* part : *g->toMultiLineString())
                    parts.push_back(part);
            else
                continue;
            const QString name = featureName(*feature);
            for (std::size_t k = 0; k < parts.size(); ++k) {
                const OGRLineString& line = *parts[k];
                const QString partName =
                    parts.size() > 1 ? QStringLiteral("%1.%2").arg(name).arg(k + 1) : name;
                const QString at = line.getNumPoints() > 0 ? place(line.getX(0), line.getY(0))
                                                           : QStringLiteral("(ไม่มีจุดยอด)");
                if (line.getNumPoints() < 2)
                    return QStringLiteral("เส้นแนวหัก %1 ที่ %2 มีจุดยอดน้อยกว่า 2 จุด").arg(partName, at);
                if (!g->Is3D())
                    return QStringLiteral("เส้นแนวหัก %1 ที่ %2 ไม่มีค่าระดับ (ต้องเป็นเส้น 3 มิติ)")
                        .arg(partName, at);
                Breakline b{partName, {}};
                for (const OGRPoint& p : line) {
                    // A number too large for a double reads as infinite; no surface holds it.
                    if (!std::isfinite(p.getX()) || !std::isfinite(p.getY()) ||
                        !std::isfinite(p.getZ()))
                        return QStringLiteral("เส้นแนวหัก %1 ที่ %2: จุดยอดที่ %3 มีพิกัดหรือค่าระดับที่ไม่ใช่ตัวเลข")
                            .arg(partName, at)
                            .arg(b.vertices.size() + 1);
                    b.vertices.push_back({p.getX(), p.getY(), p.getZ()});
                }
                file.lines.push_back(std::move(b));
            }
        }
    }
    return file;
}

std::variant<std::vector<Breakline>, QString> breaklinesInProject(BreaklinesFile file, int epsg,
                                                                  const QString& datumShift)
{
    // The vertices go the shots' way, so both land on the same grid to the millimetre.
    PointsFile vertices;
    vertices.crs = file.crs;
    for (const Breakline& b : file.lines)
        for (const BreakVertex& v : b.vertices)
            vertices.points.push_back({b.name, v.x, v.y, v.z});
    // GeoJSON always names WGS 84; lines drawn in the project's metres are no degrees.
    if (isGeographicCrs(vertices.crs) && !looksLikeDegrees(vertices.points))
        vertices.crs.clear();
    const auto prepared =
        preparePoints(std::move(vertices),
                      {QString(), epsg > 0 ? std::optional(epsg) : std::nullopt, datumShift});
    if (const auto* problem = std::get_if<PrepareProblem>(&prepared))
        return QStringLiteral("เส้นแนวหัก: %1").arg(problem->text);
    const auto& points = std::get<PreparedPoints>(prepared).points;
    std::size_t i = 0;
    for (Breakline& b : file.lines)
        for (BreakVertex& v : b.vertices) {
            v = {points[i].x, points[i].y, points[i].z};
            ++i;
        }
    return std::move(file.lines);
}

std::variant<std::vector<Breakline>, QString> noded(const std::vector<Breakline>& lines)
{
    using geos::geom::Coordinate;
    struct Segment
    {
        std::size_t line, index;
    };
    std::vector<Segment> segments;
    geos::index::strtree::TemplateSTRtree<std::size_t> tree;
    const auto ends = [&](const Segment& s) {
        const auto& v = lines[s.line].vertices;
        return std::pair{Coordinate(v[s.index].x, v[s.index].y),
                         Coordinate(v[s.index + 1].x, v[s.index + 1].y)};
    };
    for (std::size_t l = 0; l < lines.size(); ++l)
        for (std::size_t i = 0; i + 1 < lines[l].vertices.size(); ++i) {
            const auto [a, b] = ends({l, i});
            // A vertex given twice makes a segment of no length: it meets nothing that its
            // neighbours do not, and no place along it can be told.
            if (a.equals2D(b))
                continue;
            segments.push_back({l, i});
            tree.insert(geos::geom::Envelope(a, b), segments.size() - 1);
        }
    // Where along each segment another one meets it, and the height agreed there.
    std::map<std::pair<std::size_t, std::size_t>, std::vector<std::pair<double, double>>> cuts;
    const auto along = [&](const Segment& s, const Coordinate& p) {
        const auto [a, b] = ends(s);
        const double t = std::abs(b.x - a.x) > std::abs(b.y - a.y) ? (p.x - a.x) / (b.x - a.x)
                                                                   : (p.y - a.y) / (b.y - a.y);
        const auto& v = lines[s.line].vertices;
        return std::pair{t, v[s.index].z + t * (v[s.index + 1].z - v[s.index].z)};
    };
    geos::algorithm::LineIntersector meet;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const Segment& s = segments[i];
        const auto ab = ends(s); // not a binding: clang before 16 cannot capture one
        const Coordinate &a = ab.first, &b = ab.second;
        std::optional<QString> refused;
        tree.query(geos::geom::Envelope(a, b), [&](std::size_t j) {
            const Segment& o = segments[j];
            // Neighbours along one line share their vertex by construction.
            if (j <= i || (o.line == s.line && o.index == s.index + 1))
                return true;
            const auto [c, d] = ends(o);
            meet.computeIntersection(a, b, c, d);
            for (std::size_t k = 0; k < meet.getIntersectionNum(); ++k) {
                const Coordinate& p = meet.getIntersection(k);
                const auto [t1, z1] = along(s, p);
                const auto [t2, z2] = along(o, p);
                if (std::abs(z1 - z2) > CrossingTolerance) {
                    refused =
                        QStringLiteral("เส้นแนวหัก %1 และ %2 ตัดกันที่ %3 แต่ค่าระดับไม่เท่ากัน (%4 / %5 ม.)")
                            .arg(lines[s.line].name, lines[o.line].name, place(p.x, p.y),
                                 QString::number(z1, 'f', 3), QString::number(z2, 'f', 3));
                    return false;
                }
                const double z = (z1 + z2) / 2;
                cuts[{s.line, s.index}].push_back({t1, z});
                cuts[{o.line, o.index}].push_back({t2, z});
            }
            return true;
        });
        if (refused)
            return *refused;
    }
    std::vector<Breakline> out;
    for (std::size_t l = 0; l < lines.size(); ++l) {
        const auto& v = lines[l].vertices;
        Breakline b{lines[l].name, {v.front()}};
        for (std::size_t i = 0; i + 1 < v.size(); ++i) {
            auto found = cuts.find({l, i});
            if (found != cuts.end()) {
                std::sort(found->second.begin(), found->second.end());
                for (const auto& [t, z] : found->second)
                    if (t > 1e-9 && t < 1 - 1e-9)
                        b.vertices.push_back({v[i].x + t * (v[i + 1].x - v[i].x),
                                              v[i].y + t * (v[i + 1].y - v[i].y), z});
            }
            b.vertices.push_back(v[i + 1]);
        }
        out.push_back(std::move(b));
    }
    return out;
}

} // namespace tervan
