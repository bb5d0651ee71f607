#include "graphics/denselevels.h"

#include "graphics/contourtracer.h"
#include "project/project.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace tervan {

namespace {

// Heights between the nodes as the tracer sees them: each cell is two flat triangles split by
// its diagonal from lower left to upper right. Points off the grid take the nearest border's.
class TriangleSurface
{
public:
    explicit TriangleSurface(const Project& p)
        : m_p(p), m_spacing(p.GridSpacing), m_cols(p.GridCols), m_rows(p.GridRows),
          m_right(double(m_cols - 1) * m_spacing), m_top(double(m_rows - 1) * m_spacing)
    {
    }

    // Never past the node table, whatever the header says.
    bool usable() const
    {
        return m_rows >= 2 && m_cols >= 2 && m_spacing > 0 &&
               qint64(m_rows) * m_cols < qint64(m_p.Nodes.size());
    }
    double right() const { return m_right; }
    double top() const { return m_top; }
    int cols() const { return m_cols; }
    int rows() const { return m_rows; }
    double spacing() const { return m_spacing; }
    // Node number of the lower left corner of cell (column k, row i), both from 0.
    int lowerLeft(int k, int i) const { return i * m_cols + k + 1; }
    double z(int node) const { return m_p.Nodes[node].Z; }

    // Where a coordinate falls along one axis: the cell (from 0) and the way across it.
    struct Place
    {
        int cell;
        double t;
    };
    Place alongX(double x) const { return place(x, m_right, m_cols); }
    Place alongY(double y) const { return place(y, m_top, m_rows); }

    float at(Place x, Place y) const
    {
        const double u = x.t, v = y.t;
        const int ll = lowerLeft(x.cell, y.cell), ul = ll + m_cols;
        if (u >= v)
            return float(z(ll) + u * (z(ll + 1) - z(ll)) + v * (z(ul + 1) - z(ll + 1)));
        return float(z(ll) + v * (z(ul) - z(ll)) + u * (z(ul + 1) - z(ul)));
    }

private:
    Place place(double v, double end, int nodes) const
    {
        const double g = std::clamp(v, 0.0, end) / m_spacing;
        const int cell = std::min(int(g), nodes - 2);
        return {cell, g - cell};
    }

    const Project& m_p;
    double m_spacing;
    int m_cols, m_rows;
    double m_right, m_top;
};

// The device pixels from world a to world b along one axis, clipped to [0, size).
bool deviceSpan(double a, double b, double origin, double scale, int size, int& from, int& to)
{
    const double da = (a - origin) * scale, db = (b - origin) * scale;
    if (!std::isfinite(da) || !std::isfinite(db))
        return false;
    from = int(std::max(0.0, std::floor(std::min(da, db))));
    to = int(std::min(double(size - 1), std::floor(std::max(da, db))));
    return from <= to;
}

// An index level between a and b: a whole metre, or every `step` metres from zero.
bool wholeLevelBetween(const ContourLevels& levels, double step, float a, float b)
{
    const double lo = std::min(a, b), hi = std::max(a, b);
    // Index levels come at least every few steps; a cliff a pixel wide needs no more.
    const double first = std::ceil(lo / step);
    for (double n = first; n * step <= hi && n <= first + 16; ++n) {
        const double w = n * step;
        const qint64 k = std::llround((w - levels.base) / levels.interval) - levels.first;
        if (k >= 0 && k < levels.count && std::abs(double(levels.level(k)) - w) <= 1e-6 * step)
            return true;
    }
    return false;
}

} // namespace

double levelSpacing(const Project& p, const ContourLevels& levels, const PixelRaster& raster)
{
    const TriangleSurface surface(p);
    const double none = std::numeric_limits<double>::infinity();
    if (!surface.usable() || levels.problem != ContourLevels::None || levels.count == 0)
        return none;
    // Metres per line width across each triangle in view.
    std::vector<double> slopes;
    const double s = surface.spacing();
    const double perX = raster.lineWidth / std::fabs(raster.xScale);
    const double perY = raster.lineWidth / std::fabs(raster.yScale);
    for (int i = 0; i + 1 < surface.rows(); ++i) {
        int from = 0, to = 0;
        if (!deviceSpan(i * s, (i + 1) * s, raster.top, raster.yScale, raster.height, from, to))
            continue;
        for (int k = 0; k + 1 < surface.cols(); ++k) {
            if (!deviceSpan(k * s, (k + 1) * s, raster.left, raster.xScale, raster.width, from, to))
                continue;
            const int ll = surface.lowerLeft(k, i), ul = ll + surface.cols();
            const double zll = surface.z(ll), zlr = surface.z(ll + 1), zur = surface.z(ul + 1),
                         zul = surface.z(ul);
            for (const double slope : {std::hypot((zlr - zll) * perX, (zur - zlr) * perY) / s,
                                       std::hypot((zur - zul) * perX, (zul - zll) * perY) / s})
                if (std::isfinite(slope))
                    slopes.push_back(slope);
        }
    }
    if (slopes.empty())
        return none;
    const auto middle = slopes.begin() + std::ptrdiff_t(slopes.size() / 2);
    std::nth_element(slopes.begin(), middle, slopes.end());
    return *middle > 0 ? levels.interval / *middle : none;
}

bool levelsDenserThanLines(const Project& p, const ContourLevels& levels, const PixelRaster& raster)
{
    return levelSpacing(p, levels, raster) < DenseLevelSpacing;
}

void DrawLevelPixels(const Project& p, const ContourLevels& levels, bool boldWhole, QRgb rgb,
                     const PixelRaster& r)
{
    const TriangleSurface surface(p);
    const double indexStep = p.ContourLevelsFromZero ? 5.0 * levels.interval : 1.0;
    int c0 = 0, c1 = 0, r0 = 0, r1 = 0;
    if (!surface.usable() || levels.problem != ContourLevels::None || levels.count == 0 ||
        !deviceSpan(0, surface.right(), r.left, r.xScale, r.width, c0, c1) ||
        !deviceSpan(0, surface.top(), r.top, r.yScale, r.height, r0, r1))
        return;
    const double lowest = double(levels.first - 1),
                 highest = double(levels.first + levels.count - 1);
    // Heights at a row of points of the device lattice, with the levels below each.
    const int n = c1 - c0 + 1;
    struct Row
    {
        std::vector<float> z;
        std::vector<double> level;
    };
    using Place = TriangleSurface::Place;
    // Every row has its points at the same columns: at pixel edges and pixel middles.
    std::vector<Place> edges, middles;
    for (int i = 0; i <= n; ++i) {
        edges.push_back(surface.alongX(r.left + (c0 + i) / r.xScale));
        middles.push_back(surface.alongX(r.left + (c0 + i + 0.5) / r.xScale));
    }
    middles.pop_back();
    const auto sample = [&](Row& row, double deviceY, const std::vector<Place>& columns) {
        const std::size_t count = columns.size();
        row.z.resize(count);
        row.level.resize(count);
        const Place y = surface.alongY(r.top + deviceY / r.yScale);
        for (std::size_t i = 0; i < count; ++i) {
            const float z = surface.at(columns[i], y);
            row.z[i] = z;
            row.level[i] = std::clamp(std::floor((double(z) - levels.base) / levels.interval),
                                      lowest, highest);
        }
    };
    // Across each pixel row through the middle of its pixels, and down each column.
    Row across, upper, lower;
    sample(upper, r0, middles);
    for (int y = r0; y <= r1; ++y) {
        sample(across, y + 0.5, edges);
        sample(lower, y + 1, middles);
        for (int i = 0; i < n; ++i) {
            // A line running steeply is one pixel per row, otherwise one per column.
            const bool steep =
                std::fabs(across.z[i + 1] - across.z[i]) >= std::fabs(lower.z[i] - upper.z[i]);
            const Row& a = steep ? across : upper;
            const Row& b = steep ? across : lower;
            const int ai = i, bi = steep ? i + 1 : i;
            if (a.level[ai] == b.level[bi])
                continue;
            int width = r.lineWidth;
            if (boldWhole && wholeLevelBetween(levels, indexStep, a.z[ai], b.z[bi]))
                width *= 2;
            const int x = c0 + i;
            for (int o = 0; o < width; ++o) {
                const int px = steep ? x + o : x, py = steep ? y : y + o;
                if (px < r.width && py < r.height)
                    r.row(py)[px] = rgb;
            }
        }
        std::swap(upper, lower);
    }
}

} // namespace tervan
