#pragma once

namespace tervan {

struct Project;
class Surface;

// The terrain as a wire frame in an oblique parallel projection: plan X stays horizontal,
// plan Y recedes at RotationAngle degrees, elevations rise vertically at full scale. Column
// and row lines in the line colour, then the base lines and the skirts of the two visible
// sides in blue and the front in black; later lines overdraw earlier ones.
void PlotSurfaceMesh(Surface& surface, const Project& p);

// One degree turns, kept within 0..180.
void rotatePlus(Project& p);
void rotateMinus(Project& p);

} // namespace tervan
