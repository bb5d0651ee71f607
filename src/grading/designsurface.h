#pragma once

#include "grading/earthwork.h"

#include <QString>
#include <variant>

namespace tervan {

// Cut and fill between the existing ground and a design surface on the same grid. Both are
// EarthworkGrids (heights in double, nodes row by row from the bottom); the depth grid holds
// existing minus design at each node, so the gross cut/fill of the depth against zero is the
// volume between the two surfaces, split where they cross exactly as the platform grades are.

// Why a design cannot be set against the ground: which of rows, columns or spacing differs,
// in the user's words; empty when the grids match.
QString gridMismatch(const EarthworkGrid& existing, const EarthworkGrid& design);

// Existing minus design at each node; the grids must match.
EarthworkGrid depthGrid(const EarthworkGrid& existing, const EarthworkGrid& design);

// Gross (zero-line split) and four-corner figures of a depth grid, with cells in number order.
// The plane is left level at zero.
Earthwork depthEarthwork(const EarthworkGrid& depth);

// The net the dialogs and the batch front end show: cut x K against the fill.
inline double compactedNet(const CutFill& c, double k)
{
    return k * c.cut + c.fill;
}

// A design surface from a file beside the project: a project pair (".gnd") or a heights CSV
// in any of its layouts, read onto the existing project's grid. A CSV that leaves nodes out is
// refused, naming how many and the first, unless `missingTakeGround`: then they keep the
// existing ground. On failure the reasons the user reads, one a line; `missing`, when given,
// says how many nodes the refused file left out (0 for any other reason).
std::variant<EarthworkGrid, QStringList> loadDesignSurface(const Project& existing,
                                                           const QString& fileName,
                                                           bool missingTakeGround = false,
                                                           int* missing = nullptr);

} // namespace tervan
