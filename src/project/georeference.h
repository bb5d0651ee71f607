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
// they always were.
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

// The file beside a project: its base name with ".geo".
QString georeferenceFileName(const QString& dataFileBase);

QByteArray writeGeoreference(const Georeference& g);

// Unknown keys are skipped so later versions can add some; a missing origin, a number that is
// not one, or a line without '=' makes the file damaged (the reason, in Thai, is returned).
std::variant<Georeference, QString> readGeoreference(QIODevice& in);

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
