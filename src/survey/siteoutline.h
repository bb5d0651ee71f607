#pragma once

#include "survey/surveypoints.h"

#include <QString>
#include <utility>
#include <variant>
#include <vector>

namespace tervan {

// The ground a survey covers, as a closed polygon in the shots' coordinates (corners in order,
// the first not repeated). Outside it heights are guesses: volumes leave that ground out.
using SiteOutline = std::vector<std::pair<double, double>>;

enum class OutlineKind {
    Concave, // follows the shots in, so the missing corner of an L-shaped site stays outside
    Hull,    // the shots' convex hull
    None,    // the whole grid
};

// The outline of the shots: their concave hull (GEOS) with edges at most five times the
// spacing of a uniform grid of as many shots over their hull, or their convex hull; empty for
// None or fewer than three shots not on one line.
SiteOutline outlineOfShots(const std::vector<SurveyPoint>& points, OutlineKind kind);

// A boundary the user drew: the one polygon, or closed polyline, of a DXF, Shapefile,
// GeoPackage, GeoJSON or KML file. An open line, a polygon crossing itself, several
// boundaries or none are refused, saying which and where (Thai).
// crs is what the file says of its coordinates (WKT), empty when it says nothing.
struct BoundaryFile
{
    SiteOutline outline;
    QString crs;
};
std::variant<BoundaryFile, QString> readBoundaryFile(const QString& fileName);

// A boundary file's outline in the project's system (EPSG code, 0 for none): projected when
// the file names another one. GeoJSON always names WGS 84, so metres there are taken as they are.
std::variant<SiteOutline, QString> boundaryInProject(const QString& fileName, int epsg);

// Area of the outline, m2 in its units.
double outlineArea(const SiteOutline& outline);

} // namespace tervan
