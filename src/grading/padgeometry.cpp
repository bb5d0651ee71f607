#include "grading/padgeometry.h"

#include <algorithm>
#include <cmath>

namespace tervan {

namespace {

constexpr double Pi = 3.14159265358979323846;

} // namespace

std::optional<double> edgeFallBearing(const PadShape& pad, int edge)
{
    const int n = int(pad.corners.size());
    if (edge < 0 || edge >= n || n < 2)
        return std::nullopt;
    const QPointF d = pad.corners[std::size_t((edge + 1) % n)] - pad.corners[std::size_t(edge)];
    if (d.x() == 0 && d.y() == 0)
        return std::nullopt;
    // Bearings run clockwise from north: east is 90, so x leads.
    const double b = std::atan2(d.x(), d.y()) * 180 / Pi;
    return b < 0 ? b + 360 : b;
}

int edgeOfFallBearing(const PadShape& pad, double bearing)
{
    for (int i = 0; i < int(pad.corners.size()); ++i)
        if (const auto b = edgeFallBearing(pad, i)) {
            const double off = std::fmod(std::fabs(*b - bearing), 360.0);
            if (std::min(off, 360 - off) < 1e-3)
                return i;
        }
    return -1;
}

QPointF nearestNode(QPointF at, int cols, int rows, double spacing)
{
    if (spacing <= 0 || cols < 1 || rows < 1)
        return at;
    const double col = std::clamp(std::round(at.x() / spacing), 0.0, double(cols - 1));
    const double row = std::clamp(std::round(at.y() / spacing), 0.0, double(rows - 1));
    return {col * spacing, row * spacing};
}

} // namespace tervan
