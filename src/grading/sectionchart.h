#pragma once

#include "grading/sections.h"

namespace tervan {

class Surface;

// A profile picture: ground (brown) and design (red) against distance (a section's offset or
// the long profile's chainage), a level grid with its labels, the title above. It sets the
// surface's world itself and fills the surface, as the balance chart does. The level range is
// the caller's, so the sections of one sheet share a scale. Text in `points`.
void DrawProfileChart(Surface& s, const std::vector<SectionPoint>& profile, double lowest,
                      double highest, const QString& title, const QString& distanceTitle,
                      double points);

// The levels every section of a result spans, with a little room.
std::pair<double, double> levelRange(const std::vector<Section>& sections);

} // namespace tervan
