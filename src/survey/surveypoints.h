#pragma once

#include "project/heightscsv.h"

#include <QString>
#include <QStringList>
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

// Which field holds what; -1 for a column the file does not have.
struct PointColumns
{
    int name = -1;
    int x = 0;
    int y = 1;
    int z = 2;
    bool operator==(const PointColumns&) const = default;
};

// The orders total stations and spreadsheets write, by their batch names: pnezd, penzd, nez,
// enz, xyz (a trailing description column is allowed in every order).
std::optional<PointColumns> columnsNamed(const QString& word);
inline const QStringList ColumnOrderWords = {QStringLiteral("pnezd"), QStringLiteral("penzd"),
                                             QStringLiteral("nez"), QStringLiteral("enz"),
                                             QStringLiteral("xyz")};

// Points as read; crs is what the file says of its coordinates ("EPSG:4326" or WKT), empty when
// it says nothing.
struct PointsFile
{
    std::vector<SurveyPoint> points;
    QString crs;
};

using PointsRead = std::variant<PointsFile, std::vector<HeightLineError>>;

// Text points: UTF-8 or the Thai code page, any usual separator. A header naming the columns
// decides their order; otherwise `columns`, and without that P,N,E,Z,D for four or more fields
// and X,Y,Z for three. All or nothing: every bad line is listed.
PointsRead readPointsText(QIODevice& in, std::optional<PointColumns> columns = std::nullopt);

// The first lines split into fields, for the user to see which column is which.
std::vector<QStringList> previewFields(QIODevice& in, int lines);

// By file name: .csv and .txt as text, anything else through GDAL's vector drivers (points, and
// the vertices of 3D lines; 2D points take an elevation field).
PointsRead readPointsFile(const QString& fileName,
                          std::optional<PointColumns> columns = std::nullopt);

bool isTextPointsFile(const QString& fileName);

} // namespace tervan
