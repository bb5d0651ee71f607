#pragma once

#include "grading/pads.h"
#include "grading/sections.h"

#include <QString>
#include <variant>
#include <vector>

namespace tervan {

struct Project;

// The window's calls into the GDAL-backed readers and writers of the design, the pads file and
// the sections' DXF, through the module loaded on first use.
namespace padsfiles {

// NAME.pads.geojson beside the project's ".gnd" file.
QString besideProject(const QString& gndFileName);
std::variant<std::vector<PadShape>, QString> read(const QString& fileName, const Project& p);
QString write(const std::vector<PadShape>& pads, const Project& p, const QString& fileName);
QString writeSectionsDxf(const Project& p, const SectionsResult& r, const QString& fileName);

} // namespace padsfiles

} // namespace tervan
