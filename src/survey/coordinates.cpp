#include "survey/coordinates.h"

#include <cpl_conv.h>
#include <memory>
#include <ogr_spatialref.h>

namespace tervan {

namespace {

struct TransformDelete
{
    void operator()(OGRCoordinateTransformation* t) const
    {
        OGRCoordinateTransformation::DestroyCT(t);
    }
};

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

std::optional<int> epsgOf(const QString& text)
{
    QString code = text.trimmed();
    if (code.startsWith(QLatin1String("EPSG:"), Qt::CaseInsensitive))
        code = code.mid(5);
    bool ok = false;
    const int n = code.toInt(&ok);
    if (!ok || n <= 0 || !srsOf(QString::number(n)))
        return std::nullopt;
    return n;
}

bool isGeographicCrs(const QString& crs)
{
    const auto srs = srsOf(crs);
    return srs && srs->IsGeographic();
}

QString crsName(int epsg)
{
    const auto srs = srsOf(QString::number(epsg));
    return srs ? QString::fromUtf8(srs->GetName()) : QString();
}

std::optional<QString> projectPoints(std::vector<SurveyPoint>& points, const QString& fromCrs,
                                     int toEpsg)
{
    const auto from = srsOf(fromCrs);
    const auto to = srsOf(QString::number(toEpsg));
    if (!from)
        return QStringLiteral("ไม่รู้จักระบบพิกัดของจุดสำรวจ");
    if (!to)
        return QStringLiteral("ไม่รู้จักระบบพิกัด EPSG:%1").arg(toEpsg);
    std::unique_ptr<OGRCoordinateTransformation, TransformDelete> transform(
        OGRCreateCoordinateTransformation(&*from, &*to));
    if (!transform)
        return QStringLiteral("แปลงพิกัดระหว่างสองระบบนี้ไม่ได้");
    std::vector<double> x, y;
    for (const SurveyPoint& p : points) {
        x.push_back(p.x);
        y.push_back(p.y);
    }
    std::vector<int> ok(points.size());
    if (!transform->Transform(points.size(), x.data(), y.data(), nullptr, ok.data()))
        return QStringLiteral("แปลงพิกัดจุดสำรวจไม่ได้");
    for (std::size_t i = 0; i < points.size(); ++i) {
        points[i].x = x[i];
        points[i].y = y[i];
    }
    return std::nullopt;
}

} // namespace tervan
