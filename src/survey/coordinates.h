#pragma once

#include "project/projectfile.h"
#include "survey/surveypoints.h"

#include <QString>
#include <optional>
#include <variant>
#include <vector>

namespace tervan {

// Coordinate systems by the names a Thai site uses, and projection of survey points between
// them through PROJ (via GDAL's OSR). Easting is X, northing Y, always; latitude/longitude
// points give longitude as X.

struct NamedCrs
{
    int epsg;
    QString name;
};

// WGS 84 and Indian 1975, UTM zones 47N and 48N.
const std::vector<NamedCrs>& thaiCrsList();

// "EPSG:N" or a bare N; nothing when it is not a code PROJ knows.
std::optional<int> epsgOf(const QString& text);

// True when the CRS text (as PointsFile::crs, or "EPSG:N") is latitude/longitude.
bool isGeographicCrs(const QString& crs);

// The system's own name, for the dialog and the report; empty for an unknown code.
QString crsName(int epsg);

// The EPSG code of a system given as text (WKT from a file, "EPSG:N"); 0 when it has none.
int epsgCodeOf(const QString& crs);

// The shift between WGS 84 and Indian 1975 most Thai surveys use: the Royal Thai Survey
// Department's three parameters.
inline constexpr char RtsdShift[] = "rtsd";

// How a datum was changed on the way to the project's system: `key` is what the project keeps
// ("rtsd", "EPSG:1812", empty when the two systems share a datum), `name` says it in Thai,
// `warning` is set when PROJ rates it worse than a metre or knows no transformation at all.
struct DatumShiftUsed
{
    QString key;
    QString name;
    double accuracy = -1; // metres; -1 unknown
    QString warning;
};

// "rtsd" or "EPSG:N" of a transformation; nothing for anything else.
bool isDatumShiftText(const QString& text);

// The Thai description of a kept key, for reports of a saved project.
QString datumShiftName(const QString& key);

// Reprojects in place, through `shift` where the two systems lie on WGS 84 and Indian 1975
// (empty: the RTSD shift); on failure returns the reason and leaves the points as they were.
std::variant<DatumShiftUsed, QString> projectPoints(std::vector<SurveyPoint>& points,
                                                    const QString& fromCrs, int toEpsg,
                                                    const QString& shift = {});

// The UTM zone of the points' mean longitude (points in degrees), on the datum of `geographic`:
// Indian 1975 zones for Indian 1975, WGS 84 zones otherwise.
int utmZoneOf(const std::vector<SurveyPoint>& points, const QString& geographic);

// Coordinates that can only be degrees: longitude and latitude in range, the site under a
// degree across, and written finer than a millimetre would be.
bool looksLikeDegrees(const std::vector<SurveyPoint>& points);

// UTM 47N then 48N, the zones whose Thai eastings and northings every point fits; empty when
// the points are no UTM coordinates in Thailand.
std::vector<int> thaiUtmZonesFitting(const std::vector<SurveyPoint>& points);

// A georeference naming a system PROJ does not know is as damaged as an unreadable one: it is
// dropped and GeorefProblem says why, so no export writes coordinates it cannot place.
void checkGeoreferenceSystem(ProjectFileData& data);

} // namespace tervan
