#pragma once

#include <QRectF>
#include <optional>

namespace tervan {

struct Project;
class Surface;

// The terrain as a wire frame in an oblique parallel projection: plan X stays horizontal,
// plan Y recedes at RotationAngle degrees, elevations rise vertically. Column
// and row lines in the line colour, then the base lines and the skirts of the two visible
// sides in blue and the front in black; later lines overdraw earlier ones. The base lies at
// 0 m or, with SurfaceBaseLowest, at the lowest node; heights above it are multiplied by
// SurfaceExaggeration.
void PlotSurfaceMesh(Surface& surface, const Project& p);

// Where PlotSurfaceMesh draws, in world units (left, bottom, width, height, Y up); none
// without nodes.
std::optional<QRectF> surfaceMeshExtent(const Project& p);

// The vertical scales the window offers.
inline constexpr int SurfaceExaggerations[] = {1, 2, 5, 10};

// One degree turns, kept within 0..180.
void rotatePlus(Project& p);
void rotateMinus(Project& p);

} // namespace tervan
