#pragma once

#include <QString>
#include <optional>

namespace tervan {

struct Project;

// Rules that move the world window over the terrain. Each changes only the six window values;
// the caller redraws.
void fitScreen(Project& p);

// What a fitted picture must hold beside its drawing, in the picture's pixels: the grid
// views' captions (see gridCaptions) and the height of one of their lines.
struct CaptionPixels
{
    double width = 0;
    double lineHeight = 0;
};
// The window that shows the picture of p's display mode whole in a picture `wide` x `high`
// pixels at one scale on both axes: for the grid views the grid with a margin and the captions
// right of it; for the surface view the mesh as it is drawn.
void fitPicture(Project& p, double wide, double high, CaptionPixels captions);
void zoomIn(Project& p);
void zoomOut(Project& p);
// One step per scroll event, whatever distance the bar moved; returns whether the window moved.
bool panHorizontal(Project& p, int barValue);
bool panVertical(Project& p, int barValue);

// Status bar text for the mouse at world (x, y).
QString coordinateReadout(double x, double y);
// The same where the project is georeferenced, E and N to the centimetre; and either with the
// height of the surface under the mouse, when there is one.
QString worldReadout(double e, double n);
QString withHeight(const QString& readout, std::optional<double> height);

// The two-triangle surface of the grid (cells split from south-west to north-east, as the
// contours are drawn) at grid metres (x, y); nothing off the grid.
std::optional<double> heightUnder(const Project& p, double x, double y);

} // namespace tervan
