#pragma once

#include <QString>
#include <variant>
#include <vector>

namespace tervan {

// A 3D line the ground breaks along (a ditch's edge or bottom, a kerb, the top or toe of a
// bank): the surface must hold it as triangle edges. The name says which feature of the file
// it came from.
struct BreakVertex
{
    double x = 0;
    double y = 0;
    double z = 0;
    bool operator==(const BreakVertex&) const = default;
};

struct Breakline
{
    QString name;
    std::vector<BreakVertex> vertices;
};

struct BreaklinesFile
{
    std::vector<Breakline> lines;
    QString crs; // as the file states it; empty when it says nothing
};

// Lines of any vector file GDAL reads (DXF 3D polylines and LWPOLYLINEs with an elevation,
// Shapefile, GeoPackage, GeoJSON LineString Z); points and texts are passed over. A line
// without heights or with fewer than two vertices is refused, naming it and where it starts.
std::variant<BreaklinesFile, QString> readBreaklines(const QString& fileName);

// The lines in the project's system, to the millimetre like the shots: converted when the file
// names its system, else taken as already in it.
std::variant<std::vector<Breakline>, QString> breaklinesInProject(BreaklinesFile file, int epsg,
                                                                  const QString& datumShift);

// The lines with a vertex at every place two of them cross or touch, so both pass through it;
// lines crossing at different heights are refused, naming them and the place.
std::variant<std::vector<Breakline>, QString> noded(const std::vector<Breakline>& lines);

} // namespace tervan
