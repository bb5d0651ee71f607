#pragma once

#include "project/csvfields.h"
#include "project/heightscsv.h"

#include <QString>
#include <QStringList>
#include <algorithm>
#include <optional>
#include <variant>
#include <vector>

class QIODevice;

namespace tervan {

// One survey shot: its name (the point number of a total station, or the line it came from),
// easting X, northing Y and elevation Z, in the coordinates of the file.
struct SurveyPoint
{
    QString name;
    double x = 0;
    double y = 0;
    double z = 0;
    bool operator==(const SurveyPoint&) const = default;
};

// The rectangle the points cover (nothing inside when there are none).
struct PointsExtent
{
    double west = 0, east = 0, south = 0, north = 0;
};
inline PointsExtent extentOf(const std::vector<SurveyPoint>& points)
{
    if (points.empty())
        return {};
    PointsExtent e{points[0].x, points[0].x, points[0].y, points[0].y};
    for (const SurveyPoint& p : points) {
        e.west = std::min(e.west, p.x), e.east = std::max(e.east, p.x);
        e.south = std::min(e.south, p.y), e.north = std::max(e.north, p.y);
    }
    return e;
}

// Points as read; crs is what the file says of its coordinates ("EPSG:4326" or WKT), empty when
// it says nothing. geographic: the file names no system, but its header names latitude and
// longitude or its values can only be degrees.
struct PointsFile
{
    std::vector<SurveyPoint> points;
    QString crs;
    bool geographic = false;
    int flatLinesSkipped = 0; // lines wholly at elevation 0: drawing, not ground
};

using PointsRead = std::variant<PointsFile, std::vector<HeightLineError>>;

// Text points: UTF-8 or the Thai code page, any usual separator. A header naming the columns
// decides their order; otherwise `columns`, and without that P,N,E,Z,D for four or more fields
// and X,Y,Z for three. Fields past the elevation (a description) are not read. All or nothing:
// every bad line is listed.
PointsRead readPointsText(QIODevice& in, std::optional<CsvColumns> columns = std::nullopt);

// The first lines split into fields, for the user to see which column is which.
std::vector<QStringList> previewFields(QIODevice& in, int lines);

// By file name: .csv and .txt as text, anything else through GDAL's vector drivers: points, and
// the vertices of 3D lines; 2D points take an elevation field; texts and lines lying wholly at
// elevation 0 (a drawing's frame and grid) are not ground.
PointsRead readPointsFile(const QString& fileName,
                          std::optional<CsvColumns> columns = std::nullopt);

bool isTextPointsFile(const QString& fileName);

} // namespace tervan
