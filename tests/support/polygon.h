#pragma once

#include <utility>
#include <vector>

// Crossing-number test: whether (x, y) lies inside the closed polygon; never for none.
inline bool insidePolygon(const std::vector<std::pair<double, double>>& polygon, double x, double y)
{
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const auto [xi, yi] = polygon[i];
        const auto [xj, yj] = polygon[j];
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
            inside = !inside;
    }
    return inside;
}
