#pragma once

#include "graphics/surface.h"

namespace tervan {

struct Project;
struct ContourLevels;

// Contour levels much closer together than a line is wide are drawn pixel by pixel on screen:
// millions of lines a pixel long would each cost more than deciding the pixel they land on.
//
// How far apart the levels lie across the slope, in line widths: the median over the grid's
// triangles in view. Infinite when nothing of the grid is in view or nothing slopes.
double levelSpacing(const Project& p, const ContourLevels& levels, const PixelRaster& raster);

// Below this spacing the drawing turns to pixels. Where levels lie about a line apart, lines
// drawn between rounded ends and pixels decided one by one put the same level a pixel apart
// in places; a little closer, both fill most of the area and look alike.
constexpr double DenseLevelSpacing = 0.35;

bool levelsDenserThanLines(const Project& p, const ContourLevels& levels,
                           const PixelRaster& raster);

// Sets every pixel of the grid's area that a level crosses, on the surface the tracer walks
// (each cell split by its diagonal from lower left to upper right), thin as the line drawing
// draws it: one pixel per row where the levels run steeply, one per column elsewhere. With
// `boldWhole`, whole levels are two line widths wide, doubled to the right or downwards as a
// line is.
void DrawLevelPixels(const Project& p, const ContourLevels& levels, bool boldWhole, QRgb rgb,
                     const PixelRaster& raster);

} // namespace tervan
