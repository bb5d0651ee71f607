#pragma once

#include "survey/surveypoints.h"

#include <QString>
#include <optional>
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

// Reprojects in place; on failure returns the reason and leaves the points as they were.
std::optional<QString> projectPoints(std::vector<SurveyPoint>& points, const QString& fromCrs,
                                     int toEpsg);

} // namespace tervan
