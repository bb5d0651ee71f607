#pragma once

#include "project/project.h"

#include <QByteArray>
#include <QString>
#include <variant>
#include <vector>

class QIODevice;

namespace tervan {

// Node elevations as a spreadsheet or a total station writes them: UTF-8 or Thai single-byte
// text, comma, semicolon or tab separated, an optional header line. The columns tell the
// layout: one elevation per line in node order; node number and elevation; X, Y, Z; or a
// point name, X, Y, Z (world coordinates when the grid has a georeference). Points are matched to the grid node within 1 % of the spacing.
// Reading is all or nothing: any bad line and no height is taken.

struct NodeHeight
{
    int node = 0;
    float z = 0;
    bool operator==(const NodeHeight&) const = default;
};

// Line 0 speaks of the file as a whole.
struct HeightLineError
{
    int line = 0;
    QString reason;
    bool operator==(const HeightLineError&) const = default;
};

using HeightsRead = std::variant<std::vector<NodeHeight>, std::vector<HeightLineError>>;

// Reads the whole device for the grid of p (which needs nodes).
HeightsRead readHeightsCsv(QIODevice& in, const Project& p);

// Stores the heights and recomputes the elevation range.
void applyHeights(Project& p, const std::vector<NodeHeight>& heights);

// "node,x,y,elevation" and one line per node, every float in its shortest exact text (world
// coordinates to the millimetre when georeferenced), so the file imports back unchanged.
QByteArray writeHeightsCsv(const Project& p);

} // namespace tervan
