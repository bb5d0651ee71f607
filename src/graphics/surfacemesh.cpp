#include "graphics/surfacemesh.h"

#include "graphics/palette.h"
#include "graphics/surface.h"
#include "project/project.h"

#include <algorithm>
#include <cmath>

namespace tervan {

namespace {

// The oblique projection of the mesh: h across, v up.
struct MeshProjection
{
    explicit MeshProjection(const Project& p)
        : c(std::cos(p.RotationAngle * (4 * std::atan(1.0)) / 180)),
          sn(std::sin(p.RotationAngle * (4 * std::atan(1.0)) / 180)),
          // Heights above the base, stretched; base 0 and 1x give the plain picture.
          base(p.SurfaceBaseLowest ? double(p.ElevMin) : 0.0),
          stretch(std::max<int>(p.SurfaceExaggeration, 1))
    {
    }
    float h(float x, float y) const { return float(x + y * c); }
    float v(float y, float elev) const { return float((elev - base) * stretch + y * sn); }

    double c, sn, base, stretch;
};

// Elevations come straight from the node table; never past its end.
bool meshDrawable(const Project& p)
{
    return p.GridCols > 0 && p.GridRows > 0 &&
           qint64(p.GridCols) * p.GridRows < qint64(p.Nodes.size());
}

} // namespace

std::optional<QRectF> surfaceMeshExtent(const Project& p)
{
    if (!meshDrawable(p))
        return std::nullopt;
    const MeshProjection m(p);
    double left = 0, right = 0, bottom = 0, top = 0;
    for (int i = 0; i < p.GridRows; ++i)
        for (int j = 0; j < p.GridCols; ++j) {
            const float x = float(double(j) * p.GridSpacing), y = float(double(i) * p.GridSpacing);
            const double z = p.Nodes[std::size_t(i) * p.GridCols + j + 1].Z;
            const double h = m.h(x, y);
            // The skirts and base lines run down to the base.
            const double low = std::min(m.v(y, float(z)), m.v(y, float(m.base)));
            const double high = std::max(m.v(y, float(z)), m.v(y, float(m.base)));
            const bool first = i == 0 && j == 0;
            left = first ? h : std::min(left, h);
            right = first ? h : std::max(right, h);
            bottom = first ? low : std::min(bottom, low);
            top = first ? high : std::max(top, high);
        }
    return QRectF(left, bottom, right - left, top - bottom);
}

void PlotSurfaceMesh(Surface& s, const Project& p)
{
    if (!meshDrawable(p))
        return;
    const int cols = p.GridCols;
    const int rows = p.GridRows;
    const MeshProjection m(p);
    const double sn = m.sn, base = m.base;
    const float spacing = p.GridSpacing;
    const float xExt = float(double(cols - 1) * spacing);
    const float yExt = float(double(rows - 1) * spacing);
    auto z = [&p, cols](int j, int i) { return p.Nodes[std::size_t(i) * cols + j + 1].Z; };
    auto h = [&m](float x, float y) { return m.h(x, y); };
    auto v = [&m](float y, float elev) { return m.v(y, elev); };
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
