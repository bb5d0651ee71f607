#pragma once

#include <QString>

namespace tervan {

struct Project;

// Rules that move the world window over the terrain. Each changes only the six window values;
// the caller redraws.
void fitScreen(Project& p);
void zoomIn(Project& p);
void zoomOut(Project& p);
// One step per scroll event, whatever distance the bar moved; returns whether the window moved.
bool panHorizontal(Project& p, int barValue);
bool panVertical(Project& p, int barValue);

// Status bar text for the mouse at world (x, y).
QString coordinateReadout(double x, double y);

} // namespace tervan
