#include "graphics/surfacemesh.h"

#include "graphics/palette.h"
#include "graphics/surface.h"
#include "project/project.h"

#include <algorithm>
#include <cmath>

namespace tervan {

void PlotSurfaceMesh(Surface& s, const Project& p)
{
    const int cols = p.GridCols;
    const int rows = p.GridRows;
    // Elevations come straight from the node table; never past its end.
    if (cols <= 0 || rows <= 0 || qint64(cols) * rows >= qint64(p.Nodes.size()))
        return;
    const double theta = p.RotationAngle * (4 * std::atan(1.0)) / 180;
    const double c = std::cos(theta), sn = std::sin(theta);
    const float spacing = p.GridSpacing;
    const float xExt = float(double(cols - 1) * spacing);
    const float yExt = float(double(rows - 1) * spacing);
    auto z = [&p, cols](int j, int i) { return p.Nodes[std::size_t(i) * cols + j + 1].Z; };
    auto h = [c](float x, float y) { return float(x + y * c); };
    // Heights above the base, stretched; base 0 and 1x give the plain picture.
    const double base = p.SurfaceBaseLowest ? double(p.ElevMin) : 0.0;
    const double stretch = std::max<int>(p.SurfaceExaggeration, 1);
    auto v = [sn, base, stretch](float y, float elev) {
        return float((elev - base) * stretch + y * sn);
    };
    const int mesh = lineColourIndex(p);
    s.setLineWidth(1);

    for (int j = 0; j < cols; ++j) {
        const float x = float(double(j) * spacing);
        float penX = h(x, 0), penY = v(0, z(j, 0));
        s.line(penX, penY, penX, penY, mesh);
        for (int i = 0; i < rows; ++i) {
            const float y = float(double(i) * spacing);
            const float nx = h(x, y), ny = v(y, z(j, i));
            s.line(penX, penY, nx, ny, mesh);
            penX = nx;
            penY = ny;
        }
    }
    for (int i = 0; i < rows; ++i) {
        const float y = float(double(i) * spacing);
        float penX = h(0, y), penY = v(y, z(0, i));
        s.line(penX, penY, penX, penY, mesh);
        for (int j = 0; j < cols; ++j) {
            const float nx = h(float(double(j) * spacing), y), ny = v(y, z(j, i));
            s.line(penX, penY, nx, ny, mesh);
            penX = nx;
            penY = ny;
        }
    }

    const int angle = p.RotationAngle;
    // The receding side that faces the viewer: right below 90 degrees, left above.
    if (angle < 90)
        s.line(xExt, 0, h(xExt, yExt), float(yExt * sn), colour::Blue);
    else if (angle > 90)
        s.line(0, 0, h(0, yExt), float(yExt * sn), colour::Blue);
    s.line(0, 0, xExt, 0, colour::Black);

    auto skirt = [&](float x, float y, float elev, int colour) {
        s.line(h(x, y), v(y, float(base)), h(x, y), v(y, elev), colour);
    };
    if (angle != 90) {
        const bool right = angle < 90;
        for (int i = 0; i < rows; ++i)
            skirt(right ? xExt : 0, float(double(i) * spacing), z(right ? cols - 1 : 0, i),
                  colour::Blue);
    }
    for (int j = 0; j < cols; ++j)
        skirt(float(double(j) * spacing), 0, z(j, 0), colour::Black);
}

void rotatePlus(Project& p)
{
    p.RotationAngle = qint16(std::min(180, p.RotationAngle + 1));
}

void rotateMinus(Project& p)
{
    p.RotationAngle = qint16(std::max(0, p.RotationAngle - 1));
}

} // namespace tervan
