#include "graphics/contourtracer.h"

#include "common/messages.h"
#include "common/vectorstate.h"
#include "project/project.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>
#include <vector>

namespace tervan {

namespace {

struct Point
{
    float x = 0;
    float y = 0;
};

// One grid cell's corners in node numbers.
struct Cell
{
    int ll, lr, ur, ul;
};

// The border node at `index` along `border`: columns from the left on the bottom and top,
// rows from the bottom on the sides.
int borderNode(const Project& p, Border border, int index)
{
    const int cols = p.GridCols;
    switch (border) {
    case Border::Bottom:
        return index + 1;
    case Border::Top:
        return (p.GridRows - 1) * cols + index + 1;
    case Border::Left:
        return index * cols + 1;
    case Border::Right:
        break;
    }
    return index * cols + cols;
}

int borderIndex(const Project& p, Border border, int node)
{
    return border == Border::Bottom || border == Border::Top ? (node - 1) % p.GridCols
                                                             : (node - 1) / p.GridCols;
}

class CellTracer
{
public:
    CellTracer(const Project& p, ContourSink& sink, bool pageCoordinates)
        : m_p(p), m_sink(sink), m_ySign(pageCoordinates ? -1.0f : 1.0f)
    {
        // Border positions in 32 bits, so wide grids compare where they are.
        m_right = float((qint32(p.GridCols) - 1) * qint32(p.GridSpacing));
        m_top = m_ySign * float((qint32(p.GridRows) - 1) * qint32(p.GridSpacing));
    }

    // A new level: no border has a label yet.
    void startLevel()
    {
        for (int& b : m_lastLabel)
            b = -1;
    }

    void trace(const Cell& c, float level, bool labelled)
    {
        m_level = level;
        m_hasPrev = false;
        m_crossing = {};
        const auto& n = m_p.Nodes;
        // A triangle lying wholly at the level has no line inside it; its edges still find
        // their crossings, so that the border labels stay where they were.
        const bool flatOne = onLevel(c.ll) && onLevel(c.lr) && onLevel(c.ur);
        const bool flatTwo = onLevel(c.ll) && onLevel(c.ur) && onLevel(c.ul);

        edge(c.ll, c.lr, Edge::Bottom, !flatOne);
        if (labelled && m_crossing.y == 0 && m_crossing.x != 0)
            label(Border::Bottom, c.ll, c.lr);

        edge(c.lr, c.ur, Edge::Side, !flatOne);
        if (labelled && m_crossing.x == m_right)
            label(Border::Right, c.lr, c.ur);

        // Opposite corners equal in pairs: the diagonal gives no point.
        const bool saddle = n[c.ll].Z == n[c.ur].Z && n[c.lr].Z == n[c.ul].Z;
        edge(c.ll, c.ur, saddle ? Edge::SaddleDiagonal : Edge::Diagonal, !flatOne && !flatTwo);

        edge(c.ur, c.ul, Edge::Side, !flatTwo);
        if (labelled && m_crossing.y == m_top)
            label(Border::Top, c.ur, c.ul);

        if (edge(c.ul, c.ll, Edge::Side, !flatTwo) && labelled && m_crossing.x == 0)
            label(Border::Left, c.ul, c.ll);
    }

private:
    enum class Edge { Bottom, Side, Diagonal, SaddleDiagonal };

    bool onLevel(int node) const { return m_p.Nodes[node].Z == m_level; }

    bool edge(int from, int to, Edge kind, bool draw)
    {
        const NodePoint& p = m_p.Nodes[from];
        const NodePoint& q = m_p.Nodes[to];
        const float L = m_level;
        if (!((p.Z <= L && L <= q.Z) || (p.Z >= L && L >= q.Z))) {
            // The first triangle's segment must not run on into the second.
            if (kind == Edge::Diagonal || kind == Edge::SaddleDiagonal) {
                m_hasPrev = false;
                m_crossing = {};
            }
            return false;
        }
        const float py = m_ySign * p.Y, qy = m_ySign * q.Y;
        if (float(double(p.Z) - q.Z) == 0) {
            m_crossing = {p.X, py};
        } else {
            const double t = (double(L) - p.Z) / (double(q.Z) - p.Z);
            m_crossing = {float(p.X + t * (double(q.X) - p.X)), float(py + t * (double(qy) - py))};
        }
        if (kind == Edge::SaddleDiagonal || !draw) {
            m_hasPrev = false;
            return true;
        }
        if (kind == Edge::Bottom || !m_hasPrev)
            m_sink.point(m_crossing.x, m_crossing.y);
        else
            m_sink.segment(m_prev.x, m_prev.y, m_crossing.x, m_crossing.y);
        m_prev = m_crossing;
        m_hasPrev = true;
        return true;
    }

    // A stretch of border lying along the level gets one label, from the first cell that
    // reaches it; each border is walked in one direction, so the last label tells.
    void label(Border border, int from, int to)
    {
        const NodePoint& p = m_p.Nodes[from];
        const NodePoint& q = m_p.Nodes[to];
        int node = 0;
        if (m_crossing.x == p.X && m_crossing.y == m_ySign * p.Y)
            node = from;
        else if (m_crossing.x == q.X && m_crossing.y == m_ySign * q.Y)
            node = to;
        const int at = node != 0 && borderNode(m_p, border, borderIndex(m_p, border, node)) == node
                           ? borderIndex(m_p, border, node)
                           : -1;
        const int before = std::exchange(m_lastLabel[int(border)], at);
        if (!continuesLevelStretch(m_p, border, before, at, m_level))
            m_sink.label(border, m_crossing.x, m_crossing.y, m_level);
    }

    const Project& m_p;
    ContourSink& m_sink;
    float m_ySign;
    float m_right = 0;
    float m_top = 0;
    float m_level = 0;
    Point m_crossing;
    Point m_prev;
    bool m_hasPrev = false;
    // Per border, the index of the node last labelled at this level, or -1.
    int m_lastLabel[4] = {-1, -1, -1, -1};
};

bool isWhole(float v)
{
    return float(std::floor(v)) == v;
}

// Level k counts intervals from the whole metre below ElevMin: summing in 32 bits would drift
// off whole levels (100.999985 instead of 101 at 0.1).
float levelAt(double base, double interval, qint64 k)
{
    return float(base + double(k) * interval);
}

} // namespace

bool continuesLevelStretch(const Project& p, Border border, int before, int at, float level)
{
    const int length = border == Border::Bottom || border == Border::Top ? p.GridCols : p.GridRows;
    // Every border node from index a to b lies at the level.
    const auto atLevel = [&](int a, int b) {
        if (a < 0 || b >= length)
            return false;
        for (int i = a; i <= b; ++i)
            if (p.Nodes[borderNode(p, border, i)].Z != level)
                return false;
        return true;
    };
    if (before < 0 || at < 0 || !atLevel(std::min(before, at), std::max(before, at)))
        return false;
    // A contour through a single border node keeps its label from either side.
    return before != at || atLevel(at - 1, at) || atLevel(at, at + 1);
}

bool isIndexLevel(const Project& p, float interval, float level)
{
    if (!p.ContourLevelsFromZero)
        return isWhole(level);
    const double steps = double(level) / (5.0 * double(interval));
    return std::abs(steps - std::round(steps)) <= 1e-6 * std::max(1.0, std::abs(steps));
}

ContourLevels contourLevels(const Project& p, float interval)
{
    ContourLevels out;
    out.base = p.ContourLevelsFromZero ? 0.0 : std::floor(double(p.ElevMin));
    out.interval = interval;
    if (!(interval > 0) || !std::isfinite(interval) || !std::isfinite(out.base) ||
        !std::isfinite(p.ElevMax)) {
        out.problem = ContourLevels::BadInterval;
        return out;
    }
    out.first = 1;
    if (p.ContourLevelsFromZero) {
        const double lowest = std::ceil(double(p.ElevMin) / interval);
        if (!(std::abs(lowest) < 1e15)) {
            out.problem = ContourLevels::TooMany;
            return out;
        }
        out.first = qint64(lowest);
        while (levelAt(out.base, interval, out.first) < p.ElevMin)
            ++out.first;
        while (levelAt(out.base, interval, out.first - 1) >= p.ElevMin)
            --out.first;
    } else if (levelAt(out.base, interval, 1) < p.ElevMin) {
        out.first = 2;
    }
    // Where 32-bit levels are coarsest, one interval must still move a level.
    for (const float at : {float(out.base), p.ElevMin, p.ElevMax}) {
        if (!(float(double(at) + interval) > at)) {
            out.problem = ContourLevels::IntervalTooSmall;
            return out;
        }
    }
    // The walk always draws its first level, and then every one up to ElevMax.
    const double steps = std::floor((double(p.ElevMax) - out.base) / interval);
    const double last = std::max(double(out.first), std::min(steps + 1, 1e15));
    qint64 k = qint64(last);
    while (k > out.first && levelAt(out.base, interval, k) > p.ElevMax)
        --k;
    while (levelAt(out.base, interval, k + 1) <= p.ElevMax)
        ++k;
    out.count = k - out.first + 1;
    if (out.count > ContourLevels::Budget)
        out.problem = ContourLevels::TooMany;
    return out;
}

float ContourLevels::level(qint64 index) const
{
    return levelAt(base, interval, first + index);
}

QString contourNotice(const ContourLevels& levels)
{
    switch (levels.problem) {
    case ContourLevels::BadInterval:
    case ContourLevels::IntervalTooSmall:
        return msg::ContourIntervalTooSmall;
    case ContourLevels::TooMany:
        return msg::tooManyContourLevels(levels.count);
    case ContourLevels::None:
        break;
    }
    return {};
}

float TraceContours(const Project& p, float interval, ContourEmphasis emphasis, ContourSink& sink,
                    bool pageCoordinates)
{
    const ContourLevels levels = contourLevels(p, interval);
    if (levels.problem != ContourLevels::None)
        return levels.count ? levels.level(levels.count) : float(levels.base);

    // Cells in number order with the range of their corner elevations; never past the node
    // table, whatever the header says.
    std::vector<Cell> cells;
    std::vector<float> cellMin, cellMax;
    const int cols = p.GridCols;
    const qint64 needed = qint64(p.GridRows) * p.GridCols;
    if (p.GridRows >= 2 && p.GridCols >= 2 && needed < qint64(p.Nodes.size())) {
        cells.reserve(std::size_t(p.GridRows - 1) * std::size_t(cols - 1));
        for (int i = 1; i < p.GridRows; ++i) {
            for (int k = 1; k < cols; ++k) {
                if (sink.bordersOnly() && i > 1 && i < p.GridRows - 1 && k > 1 && k < cols - 1)
                    continue;
                const int j = (i - 1) * cols + k;
                const Cell c{j, j + 1, j + cols + 1, j + cols};
                const float zs[] = {p.Nodes[c.ll].Z, p.Nodes[c.lr].Z, p.Nodes[c.ur].Z,
                                    p.Nodes[c.ul].Z};
                cells.push_back(c);
                cellMin.push_back(*std::min_element(std::begin(zs), std::end(zs)));
                cellMax.push_back(*std::max_element(std::begin(zs), std::end(zs)));
            }
        }
    }
    // Cells enter the walk in order of their lowest corner and leave it once the level has
    // passed their highest; the active ones stay in cell order.
    std::vector<int> byMin(cells.size());
    std::iota(byMin.begin(), byMin.end(), 0);
    std::stable_sort(byMin.begin(), byMin.end(),
                     [&cellMin](int a, int b) { return cellMin[a] < cellMin[b]; });
    std::size_t entering = 0;
    std::vector<int> active, added, merged;

    CellTracer tracer(p, sink, pageCoordinates);
    const bool wholeOnly = emphasis == ContourEmphasis::WholeLevels;
    for (qint64 index = 0; index < levels.count; ++index) {
        // The sink may have drawn text through Qt since the last level.
        clearUpperVectorState();
        const float level = levels.level(index);
        const bool whole = isIndexLevel(p, interval, level);
        sink.level(level, wholeOnly && whole ? 2 : 1);
        const bool labelled = !wholeOnly || whole;
        tracer.startLevel();

        added.clear();
        while (entering < byMin.size() && cellMin[byMin[entering]] <= level)
            added.push_back(byMin[entering++]);
        if (!added.empty()) {
            std::sort(added.begin(), added.end());
            merged.clear();
            std::merge(active.begin(), active.end(), added.begin(), added.end(),
                       std::back_inserter(merged));
            active.swap(merged);
        }
        std::size_t kept = 0;
        for (int c : active) {
            if (cellMax[c] < level)
                continue;
            active[kept++] = c;
            tracer.trace(cells[c], level, labelled);
        }
        active.resize(kept);
        if (sink.cancelled())
            break;
    }
    return levels.level(levels.count);
}

} // namespace tervan
