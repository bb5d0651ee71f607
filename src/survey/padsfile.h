#pragma once

#include "grading/pads.h"

#include <QString>
#include <variant>
#include <vector>

namespace tervan {

struct Project;

// The pads of a design, kept beside the project as NAME.pads.geojson: one Polygon feature a pad
// in the project's world coordinates (grid metres without a georeference), with the properties
// name, level (at the centroid; null when balanced), cut_slope and fill_slope (run per rise),
// fall (% cross-fall, 0 for level) and fall_bearing (degrees clockwise from north, downhill).
// The reader takes that file or any polygon layer GDAL opens (GPKG, SHP, DXF) with those fields;
// a missing field takes its usual value (slopes 1.5 and 2, no fall, a null level).
inline QString padsFileName(const QString& projectBase)
{
    return projectBase + QStringLiteral(".pads.geojson");
}

// The pads in grid metres; the reason in Thai, naming the feature, when one cannot be used.
std::variant<std::vector<PadShape>, QString> readPadsFile(const QString& fileName,
                                                          const Project& p);
// Written through a temporary renamed over the old file; the reason in Thai when it fails.
QString writePadsFile(const std::vector<PadShape>& pads, const Project& p, const QString& fileName);

} // namespace tervan
