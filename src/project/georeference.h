#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <variant>
#include <vector>

class QIODevice;

namespace tervan {

// Where the grid lies on the ground: the world easting and northing of node 1 and the
// coordinate system (an EPSG code, 0 for none named), and which heights were estimated. Kept beside
// the .gnd/.nod pair in a small UTF-8 text file of "key = value" lines, so the pair's bytes stay as
// they always were; the file also names the grid it was saved with, so one that strayed from
// another save or another project is not taken for this grid's.
struct Georeference
{
    double easting = 0;
    double northing = 0;
    int epsg = 0;
    // Nodes whose heights were estimated beyond the surveyed outline, ascending.
    std::vector<int> estimated;
    // How the survey's datum was shifted to the coordinate system's, as the survey named it
    // ("rtsd", "EPSG:1812"); empty when there was no shift.
    QString datumShift{};
    bool operator==(const Georeference&) const = default;
};

// The grid a georeference belongs to, as the project's header gives it.
struct GeoGrid
{
    int rows = 0;
    int cols = 0;
    int spacing = 0;
};

// The file beside a project: its base name with ".geo".
QString georeferenceFileName(const QString& dataFileBase);

QByteArray writeGeoreference(const Georeference& g, const GeoGrid& grid);

// Reads the file of a project whose header has `grid`. Unknown keys are skipped so later versions
// can add some; a missing origin, a line without '=', a known key given twice, a value that is not
// one (an origin that is no number, a crs other than EPSG:N, estimated nodes that are not ascending
// node numbers), a grid line naming another grid or an estimated node beyond the grid's make the
// file damaged (the reason, in Thai, is returned). A file without a grid line, as older versions
// wrote, is taken for the grid it is read with.
std::variant<Georeference, QString> readGeoreference(QIODevice& in, const GeoGrid& grid);

// World coordinates of a grid position and back.
inline double worldX(const std::optional<Georeference>& g, double x)
{
    return g ? g->easting + x : x;
}
inline double worldY(const std::optional<Georeference>& g, double y)
{
    return g ? g->northing + y : y;
}

} // namespace tervan
