#include "survey/coordinates.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <cmath>
#include <cpl_conv.h>
#include <memory>
#include <ogr_spatialref.h>
#include <proj.h>

namespace tervan {

namespace {

struct TransformDelete
{
    void operator()(OGRCoordinateTransformation* t) const
    {
        OGRCoordinateTransformation::DestroyCT(t);
    }
};
using Transform = std::unique_ptr<OGRCoordinateTransformation, TransformDelete>;

constexpr int Wgs84 = 4326, Indian1975 = 4240;
constexpr double RtsdTranslation[3] = {206, 837, 295};

// GIS order (easting or longitude first), whatever the authority says.
std::optional<OGRSpatialReference> srsOf(const QString& text)
{
    OGRSpatialReference srs;
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const QByteArray bytes = (t.front().isDigit() ? QStringLiteral("EPSG:") + t : t).toUtf8();
    CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
    if (srs.SetFromUserInput(bytes.constData()) != OGRERR_NONE)
        return std::nullopt;
    return srs;
}

// The EPSG code of the system's geographic base (4326 for WGS 84 and its UTM zones).
int geographicCode(const OGRSpatialReference& srs)
{
    CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
    std::unique_ptr<OGRSpatialReference> geog(srs.CloneGeogCS());
    if (!geog)
        return 0;
    if (!geog->GetAuthorityCode(nullptr))
        geog->AutoIdentifyEPSG();
    const char* code = geog->GetAuthorityCode(nullptr);
    return code ? std::atoi(code) : 0;
}

struct ProjContext
{
    PJ_CONTEXT* ctx = proj_context_create();
    ~ProjContext() { proj_context_destroy(ctx); }
};
struct ProjObject
{
    PJ* pj;
    ~ProjObject() { proj_destroy(pj); }
    explicit operator bool() const { return pj != nullptr; }
};

QString metres(double v)
{
    return QString::number(v, 'g', 3);
}

// An EPSG transformation between Indian 1975 and WGS 84, as the seven Bursa-Wolf parameters
// GDAL's TOWGS84 takes; or why it cannot serve.
std::variant<std::pair<std::array<double, 7>, DatumShiftUsed>, QString> epsgShift(int code)
{
    ProjContext p;
    proj_log_level(p.ctx, PJ_LOG_NONE);
    const QByteArray id = QByteArray::number(code);
    const ProjObject op{proj_create_from_database(p.ctx, "EPSG", id.constData(),
                                                  PJ_CATEGORY_COORDINATE_OPERATION, 0, nullptr)};
    const QString unknown = QStringLiteral("ไม่รู้จักการแปลงพื้นหลักฐาน EPSG:%1").arg(code);
    if (!op)
        return unknown;
    const ProjObject source{proj_get_source_crs(p.ctx, op.pj)},
        target{proj_get_target_crs(p.ctx, op.pj)};
    const auto codeOf = [](const ProjObject& crs) {
        const char* c = crs ? proj_get_id_code(crs.pj, 0) : nullptr;
        return c ? std::atoi(c) : 0;
    };
    if (codeOf(source) != Indian1975 || codeOf(target) != Wgs84)
        return QStringLiteral("EPSG:%1 ไม่ใช่การแปลงจาก Indian 1975 เป็น WGS 84").arg(code);
    std::array<double, 7> v{};
    if (!proj_coordoperation_get_towgs84_values(p.ctx, op.pj, v.data(), 7, 0))
        return QStringLiteral("EPSG:%1 ไม่ใช่การแปลงแบบพารามิเตอร์ (Helmert) ใช้ไม่ได้").arg(code);
    DatumShiftUsed used;
    used.key = QStringLiteral("EPSG:%1").arg(code);
    used.accuracy = proj_coordoperation_get_accuracy(p.ctx, op.pj);
    used.name = QStringLiteral("%1 (%2)").arg(QString::fromUtf8(proj_get_name(op.pj)), used.key);
    return std::pair{v, used};
}

// The system rebuilt from its PROJ definition with the shift as its TOWGS84: a system PROJ
// recognises by its EPSG code gets EPSG's preferred transformation whatever TOWGS84 says.
bool withTowgs84(OGRSpatialReference& srs, const std::array<double, 7>& v)
{
    char* text = nullptr;
    CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
    if (srs.exportToProj4(&text) != OGRERR_NONE) {
        CPLFree(text);
        return false;
    }
    QString definition = QString::fromUtf8(text);
    CPLFree(text);
    definition.remove(QRegularExpression(QStringLiteral("\\+(towgs84|datum|nadgrids)=\\S*")));
    definition += QStringLiteral(" +towgs84=%1,%2,%3,%4,%5,%6,%7")
                      .arg(v[0], 0, 'g', 17)
                      .arg(v[1], 0, 'g', 17)
                      .arg(v[2], 0, 'g', 17)
                      .arg(v[3], 0, 'g', 17)
                      .arg(v[4], 0, 'g', 17)
                      .arg(v[5], 0, 'g', 17)
                      .arg(v[6], 0, 'g', 17);
    OGRSpatialReference shifted;
    shifted.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    if (shifted.importFromProj4(definition.simplified().toUtf8().constData()) != OGRERR_NONE)
        return false;
    srs = shifted;
    return true;
}

DatumShiftUsed rtsdShift()
{
    return {QString::fromLatin1(RtsdShift),
            QStringLiteral("กรมแผนที่ทหาร 3 พารามิเตอร์ (dX %1, dY %2, dZ %3 ม.)")
                .arg(RtsdTranslation[0])
                .arg(RtsdTranslation[1])
                .arg(RtsdTranslation[2]),
            -1,
            {}};
}

// PROJ's own pick between two datums other than WGS 84 and Indian 1975.
DatumShiftUsed defaultShift(const OGRSpatialReference& from, const OGRSpatialReference& to)
{
    ProjContext p;
    proj_log_level(p.ctx, PJ_LOG_NONE);
    const auto pjOf = [&](const OGRSpatialReference& srs) {
        char* wkt = nullptr;
        srs.exportToWkt(&wkt, nullptr);
        ProjObject o{proj_create(p.ctx, wkt)};
        CPLFree(wkt);
        return o;
    };
    const ProjObject a = pjOf(from), b = pjOf(to);
    DatumShiftUsed used;
    PJ_OPERATION_FACTORY_CONTEXT* factory = proj_create_operation_factory_context(p.ctx, nullptr);
    proj_operation_factory_context_set_spatial_criterion(
        p.ctx, factory, PROJ_SPATIAL_CRITERION_PARTIAL_INTERSECTION);
    PJ_OBJ_LIST* ops = a && b ? proj_create_operations(p.ctx, a.pj, b.pj, factory) : nullptr;
    if (ops && proj_list_get_count(ops) > 0) {
        const ProjObject op{proj_list_get(p.ctx, ops, 0)};
        used.name = QString::fromUtf8(proj_get_name(op.pj));
        used.accuracy = proj_coordoperation_get_accuracy(p.ctx, op.pj);
        used.key = used.name;
        if (proj_coordoperation_has_ballpark_transformation(p.ctx, op.pj))
            used.accuracy = -2;
    }
    proj_list_destroy(ops);
    proj_operation_factory_context_destroy(factory);
    if (used.accuracy == -2 || used.name.isEmpty())
        used.warning = QStringLiteral(
            "คำเตือน: ไม่มีการแปลงพื้นหลักฐานระหว่างสองระบบนี้ ตำแหน่งอาจคลาดเคลื่อนหลายร้อยเมตร");
    return used;
}

} // namespace

const std::vector<NamedCrs>& thaiCrsList()
{
    static const std::vector<NamedCrs> list = {
        {32647, QStringLiteral("WGS 84 / UTM 47N")},
        {32648, QStringLiteral("WGS 84 / UTM 48N")},
        {24047, QStringLiteral("Indian 1975 / UTM 47N")},
        {24048, QStringLiteral("Indian 1975 / UTM 48N")},
    };
    return list;
}

namespace {

// The number of "EPSG:N" or N; nothing for other text.
std::optional<int> codeIn(const QString& text)
{
    QString code = text.trimmed();
    if (code.startsWith(QLatin1String("EPSG:"), Qt::CaseInsensitive))
        code = code.mid(5);
    bool ok = false;
    const int n = code.toInt(&ok);
    return ok && n > 0 ? std::optional(n) : std::nullopt;
}

// A system the program names itself: known without opening PROJ's database, which is most of
// the time of gridding a small survey.
std::optional<int> namedCode(const QString& text)
{
    const auto n = codeIn(text);
    const auto& named = thaiCrsList();
    if (n &&
        (*n == Wgs84 || *n == Indian1975 ||
         std::any_of(named.begin(), named.end(), [n](const NamedCrs& c) { return c.epsg == *n; })))
        return n;
    return std::nullopt;
}

} // namespace

std::optional<int> epsgOf(const QString& text)
{
    const auto n = codeIn(text);
    if (!n || (!namedCode(text) && !srsOf(QString::number(*n))))
        return std::nullopt;
    return n;
}

bool isGeographicCrs(const QString& crs)
{
    if (const auto named = namedCode(crs))
        return *named == Wgs84 || *named == Indian1975;
    const auto srs = srsOf(crs);
    return srs && srs->IsGeographic();
}

QString crsName(int epsg)
{
    const auto srs = srsOf(QString::number(epsg));
    return srs ? QString::fromUtf8(srs->GetName()) : QString();
}

int epsgCodeOf(const QString& crs)
{
    if (const auto named = namedCode(crs))
        return *named;
    auto srs = srsOf(crs);
    if (!srs)
        return 0;
    CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
    if (!srs->GetAuthorityCode(nullptr))
        srs->AutoIdentifyEPSG();
    const char* authority = srs->GetAuthorityName(nullptr);
    const char* code = srs->GetAuthorityCode(nullptr);
    return authority && code && QLatin1String(authority) == QLatin1String("EPSG") ? std::atoi(code)
                                                                                  : 0;
}

bool isDatumShiftText(const QString& text)
{
    static const QRegularExpression epsg(QStringLiteral("^EPSG:[1-9][0-9]{0,8}$"),
                                         QRegularExpression::CaseInsensitiveOption);
    return text == QLatin1String(RtsdShift) || epsg.match(text).hasMatch();
}

QString datumShiftName(const QString& key)
{
    if (key == QLatin1String(RtsdShift))
        return rtsdShift().name;
    if (isDatumShiftText(key)) {
        const auto shift = epsgShift(key.mid(5).toInt());
        if (shift.index() == 0)
            return std::get<0>(shift).second.name;
    }
    return key;
}

std::variant<DatumShiftUsed, QString> projectPoints(std::vector<SurveyPoint>& points,
                                                    const QString& fromCrs, int toEpsg,
                                                    const QString& shift)
{
    const QString choice = shift.isEmpty() ? QString::fromLatin1(RtsdShift) : shift;
    if (!isDatumShiftText(choice))
        return QStringLiteral("\"%1\" ไม่ใช่การแปลงพื้นหลักฐาน (rtsd หรือ EPSG:N)").arg(choice);
    // Points already in the project's own system stay as they are.
    if (const auto named = namedCode(fromCrs); named && *named == toEpsg)
        return DatumShiftUsed{};
    auto from = srsOf(fromCrs);
    auto to = srsOf(QString::number(toEpsg));
    if (!from)
        return QStringLiteral("ไม่รู้จักระบบพิกัดของจุดสำรวจ");
    if (!to)
        return QStringLiteral("ไม่รู้จักระบบพิกัด EPSG:%1").arg(toEpsg);

    const int a = geographicCode(*from), b = geographicCode(*to);
    DatumShiftUsed used;
    if ((a == Indian1975 && b == Wgs84) || (a == Wgs84 && b == Indian1975)) {
        // The shift is set on the Indian 1975 side, so PROJ goes through it and nothing else.
        OGRSpatialReference& indian = a == Indian1975 ? *from : *to;
        std::array<double, 7> v{RtsdTranslation[0], RtsdTranslation[1], RtsdTranslation[2]};
        if (choice == QLatin1String(RtsdShift)) {
            used = rtsdShift();
        } else {
            const auto epsg = epsgShift(choice.mid(5).toInt());
            if (const auto* reason = std::get_if<QString>(&epsg))
                return *reason;
            std::tie(v, used) = std::get<0>(epsg);
        }
        if (!withTowgs84(indian, v))
            return QStringLiteral("ใช้การแปลงพื้นหลักฐานกับระบบพิกัดนี้ไม่ได้");
    } else if (a != b) {
        used = defaultShift(*from, *to);
    }
    if (used.warning.isEmpty() && used.accuracy > 1)
        used.warning = QStringLiteral("คำเตือน: การแปลงพื้นหลักฐาน %1 คลาดเคลื่อนได้ถึง %2 ม.")
                           .arg(used.name, metres(used.accuracy));

    CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
    const Transform transform(OGRCreateCoordinateTransformation(&*from, &*to));
    if (!transform)
        return QStringLiteral("แปลงพิกัดระหว่างสองระบบนี้ไม่ได้");
    std::vector<double> x, y;
    for (const SurveyPoint& p : points) {
        x.push_back(p.x);
        y.push_back(p.y);
    }
    std::vector<int> ok(points.size());
    if (!transform->Transform(points.size(), x.data(), y.data(), nullptr, ok.data()))
        return QStringLiteral("แปลงพิกัดจุดสำรวจไม่ได้ (จุดแรกที่แปลงไม่ได้: %1)")
            .arg(points[std::find(ok.begin(), ok.end(), 0) - ok.begin()].name);
    for (std::size_t i = 0; i < points.size(); ++i) {
        points[i].x = x[i];
        points[i].y = y[i];
    }
    return used;
}

int utmZoneOf(const std::vector<SurveyPoint>& points, const QString& geographic)
{
    double lon = 0, lat = 0;
    for (const SurveyPoint& p : points)
        lon += p.x, lat += p.y;
    lon /= std::max<std::size_t>(points.size(), 1);
    lat /= std::max<std::size_t>(points.size(), 1);
    const int zone = std::clamp(int(std::floor((lon + 180) / 6)) + 1, 1, 60);
    const auto srs = srsOf(geographic);
    if (srs && geographicCode(*srs) == Indian1975 && (zone == 47 || zone == 48) && lat >= 0)
        return 24000 + zone;
    return (lat >= 0 ? 32600 : 32700) + zone;
}

bool looksLikeDegrees(const std::vector<SurveyPoint>& points)
{
    if (points.empty())
        return false;
    bool finer = false;
    for (const SurveyPoint& p : points) {
        if (std::abs(p.x) > 180 || std::abs(p.y) > 90)
            return false;
        for (const double v : {p.x, p.y})
            finer = finer || std::abs(v * 1000 - std::round(v * 1000)) > 1e-6;
    }
    const PointsExtent e = extentOf(points);
    return finer && e.east - e.west < 1 && e.north - e.south < 1;
}

std::vector<int> thaiUtmZonesFitting(const std::vector<SurveyPoint>& points)
{
    std::vector<int> zones;
    if (points.empty())
        return zones;
    const PointsExtent e = extentOf(points);
    const double corners[4][2] = {
        {e.west, e.south}, {e.east, e.south}, {e.west, e.north}, {e.east, e.north}};
    // Thailand's extent, and each zone's own six degrees with half a degree either side, where
    // surveys near the boundary may still use it.
    constexpr double LatMin = 5.5, LatMax = 20.6, LonMin = 97.3, LonMax = 105.7;
    for (const int zone : {47, 48}) {
        const auto to = srsOf(QStringLiteral("EPSG:4326"));
        const auto from = srsOf(QString::number(32600 + zone));
        CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
        const Transform back(OGRCreateCoordinateTransformation(&*from, &*to));
        if (!back)
            continue;
        const double lonLow = (zone - 31) * 6.0 - 0.5, lonHigh = lonLow + 7;
        bool fits = true;
        for (const auto& [cx, cy] : corners) {
            double x = cx, y = cy;
            if (x < 100000 || x > 900000 || y < 0 || y > 10000000 || !back->Transform(1, &x, &y) ||
                y < LatMin || y > LatMax || x < std::max(LonMin, lonLow) ||
                x > std::min(LonMax, lonHigh)) {
                fits = false;
                break;
            }
        }
        if (fits)
            zones.push_back(32600 + zone);
    }
    return zones;
}

void checkGeoreferenceSystem(ProjectFileData& data)
{
    if (data.Georef && data.Georef->epsg > 0 && crsName(data.Georef->epsg).isEmpty()) {
        data.GeorefProblem = QStringLiteral("ไม่รู้จักระบบพิกัด EPSG:%1").arg(data.Georef->epsg);
        data.Georef.reset();
    }
}

} // namespace tervan
