#include "survey/surveyinput.h"

#include <cmath>

namespace tervan {

std::variant<PreparedPoints, PrepareProblem> preparePoints(PointsFile file,
                                                           const CoordinateChoice& choice)
{
    using Kind = PrepareProblem::Kind;
    for (const SurveyPoint& p : file.points)
        if (!(std::abs(p.z) <= HighestHeight))
            return PrepareProblem{
                Kind::Other, QStringLiteral("จุด %1 มีค่าระดับ %2 ม. เกิน ±100,000 ม. ไม่ใช่ค่าระดับพื้นดิน")
                                 .arg(p.name, QString::number(p.z, 'g', 6))};
    PreparedPoints out;
    out.fromCrs = choice.fromCrs.isEmpty() ? file.crs : choice.fromCrs;
    if (out.fromCrs.isEmpty() && file.geographic)
        return PrepareProblem{Kind::NeedsFromCrs,
                              QStringLiteral("จุดสำรวจเป็นละติจูด/ลองจิจูด ต้องระบุระบบพิกัดของจุด "
                                             "(เช่น WGS 84 คือ EPSG:4326)")};
    const bool degrees = !out.fromCrs.isEmpty() && isGeographicCrs(out.fromCrs);
    if (degrees)
        for (const SurveyPoint& p : file.points)
            if (!(std::abs(p.x) <= 180 && std::abs(p.y) <= 90))
                return PrepareProblem{
                    Kind::Other,
                    QStringLiteral("จุด %1 ไม่ใช่ละติจูด/ลองจิจูด (ลองจิจูด %2 ละติจูด %3)")
                        .arg(p.name, QString::number(p.x, 'g', 10), QString::number(p.y, 'g', 10))};
    out.epsg = choice.toEpsg.value_or(degrees ? utmZoneOf(file.points, out.fromCrs)
                                              : epsgCodeOf(out.fromCrs));
    if (out.epsg != 0 && !out.fromCrs.isEmpty()) {
        const auto projected = projectPoints(file.points, out.fromCrs, out.epsg, choice.datumShift);
        if (const auto* reason = std::get_if<QString>(&projected))
            return PrepareProblem{Kind::Other, *reason};
        out.shift = std::get<DatumShiftUsed>(projected);
    }
    if (out.epsg == 0 && out.fromCrs.isEmpty())
        out.offers = thaiUtmZonesFitting(file.points);
    // To the millimetre, so the last digits of a projection cannot move the grid's origin.
    for (SurveyPoint& p : file.points) {
        p.x = std::round(p.x * 1000) / 1000;
        p.y = std::round(p.y * 1000) / 1000;
    }
    out.points = std::move(file.points);
    return out;
}

QStringList coordinateLines(int epsg, const QString& fromCrs, const QString& shiftKey)
{
    QStringList lines;
    lines << (epsg > 0
                  ? QStringLiteral("ระบบพิกัดของโครงการ %1 (EPSG:%2)").arg(crsName(epsg)).arg(epsg)
                  : QStringLiteral("ระบบพิกัดของโครงการ ไม่ระบุ"));
    if (const int from = epsgCodeOf(fromCrs); from > 0 && from != epsg)
        lines << QStringLiteral("แปลงพิกัดจาก %1 (EPSG:%2)").arg(crsName(from)).arg(from);
    if (!shiftKey.isEmpty())
        lines << QStringLiteral("การแปลงพื้นหลักฐาน %1").arg(datumShiftName(shiftKey));
    else if (!fromCrs.isEmpty() && epsg > 0)
        lines << QStringLiteral("ไม่ต้องแปลงพื้นหลักฐาน (พื้นหลักฐานเดียวกัน)");
    return lines;
}

} // namespace tervan
