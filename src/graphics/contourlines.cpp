#include "graphics/contourlines.h"

#include "project/project.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <span>
#include <tuple>
#include <unordered_map>

namespace tervan {

namespace {

// Border labels only: the lines come from the level set below.
class LabelSink final : public ContourSink
{
public:
    explicit LabelSink(ContourSet& out) : m_out(out) {}
    void level(float, int) override {}
    void point(float, float) override {}
    void segment(float, float, float, float) override {}
    void label(Border border, float x, float y, float level) override
    {
        m_out.labels.push_back({border, QPointF(x, y), level});
    }
    bool bordersOnly() const override { return true; }

private:
    ContourSet& m_out;
};

// Where the level set of the two-triangle surface passes: through a node, or across an edge
// between two nodes. Keys name these places exactly, so pieces from neighbouring triangles
// join without comparing coordinates.
enum EdgeKind : quint64 { AtNode = 0, Across = 1, Up = 2, Diagonal = 3 };
constexpr quint64 placeKey(quint64 index, EdgeKind kind)
{
    return index << 2 | kind;
}

class LevelSet
{
public:
    explicit LevelSet(const Project& p)
        : m_rows(p.GridRows), m_cols(p.GridCols), m_x(std::size_t(p.NodeCount)), m_y(m_x.size()),
          m_z(m_x.size())
    {
        for (std::size_t n = 0; n < m_z.size(); ++n) {
            m_x[n] = p.Nodes[n + 1].X;
            m_y[n] = p.Nodes[n + 1].Y;
            m_z[n] = p.Nodes[n + 1].Z;
        }
    }

    // The level's lines: each piece of the level set once, joined end to end.
    void trace(double level, bool index, std::span<const int> cells, std::vector<ContourLine>& out)
    {
        m_level = level;
        m_pieces.clear();
        m_at.clear();
        for (const int cell : cells) {
            const int r = cell / (m_cols - 1), c = cell % (m_cols - 1);
            const int ll = r * m_cols + c, lr = ll + 1, ul = ll + m_cols, ur = ul + 1;
            // The triangles either side of the diagonal from lower left to upper right, each
            // with its edges opposite its corners.
            triangle({ll, lr, ur}, {edge(Up, r, c + 1), edge(Diagonal, r, c), edge(Across, r, c)});
            triangle({ll, ur, ul}, {edge(Across, r + 1, c), edge(Up, r, c), edge(Diagonal, r, c)});
            // Edges lying at the level: the cell's own bottom, left and diagonal, and the top
            // and right ones on the grid's border.
            levelEdge(ll, lr, edge(Across, r, c));
            levelEdge(ll, ul, edge(Up, r, c));
            levelEdge(ll, ur, edge(Diagonal, r, c));
            if (r + 2 == m_rows)
                levelEdge(ul, ur, edge(Across, r + 1, c));
            if (c + 2 == m_cols)
                levelEdge(lr, ur, edge(Up, r, c + 1));
        }
        join(float(level), index, out);
    }

private:
    struct Edge
    {
        quint64 key;
        int from, to;
    };

    Edge edge(EdgeKind kind, int r, int c) const
    {
        const int n = r * m_cols + c;
        const int to = kind == Across ? n + 1 : kind == Up ? n + m_cols : n + m_cols + 1;
        return {placeKey(quint64(n), kind), n, to};
    }
    int side(int node) const { return m_z[node] > m_level ? 1 : m_z[node] < m_level ? -1 : 0; }

    quint64 nodePlace(int node)
    {
        const quint64 key = placeKey(quint64(node), AtNode);
        m_at.try_emplace(key, QPointF(m_x[node], m_y[node]));
        return key;
    }
    quint64 crossing(const Edge& e)
    {
        if (auto found = m_at.find(e.key); found != m_at.end())
            return e.key;
        const double t = (m_level - m_z[e.from]) / (m_z[e.to] - m_z[e.from]);
        m_at.emplace(e.key, QPointF(m_x[e.from] + t * (m_x[e.to] - m_x[e.from]),
                                    m_y[e.from] + t * (m_y[e.to] - m_y[e.from])));
        return e.key;
    }

    // A triangle's piece inside it: from edge to edge where the level crosses two, or from a
    // corner at the level across the opposite edge. Edges at the level are levelEdge's.
    void triangle(std::array<int, 3> corner, std::array<Edge, 3> opposite)
    {
        int s[3], zeros = 0;
        for (int i = 0; i < 3; ++i)
            zeros += (s[i] = side(corner[i])) == 0;
        if (zeros == 1) {
            const int i = s[0] == 0 ? 0 : s[1] == 0 ? 1 : 2;
            if (s[(i + 1) % 3] == -s[(i + 2) % 3])
                m_pieces.emplace_back(nodePlace(corner[i]), crossing(opposite[i]));
        } else if (zeros == 0 && !(s[0] == s[1] && s[1] == s[2])) {
            // The corner alone on its side; the level crosses the two edges meeting there.
            const int i = s[0] != s[1] && s[0] != s[2] ? 0 : s[1] != s[0] ? 1 : 2;
            m_pieces.emplace_back(crossing(opposite[(i + 1) % 3]), crossing(opposite[(i + 2) % 3]));
        }
    }

    // An edge whose two nodes lie at the level is part of the level set once, unless flat
    // ground at the level lies on every side of it (inside a flat area, or on the grid's border
    // of one).
    void levelEdge(int a, int b, const Edge& e)
    {
        if (side(a) != 0 || side(b) != 0)
            return;
        const auto [third1, third2] = thirdCorners(e);
        const bool flat1 = third1 < 0 || side(third1) == 0;
        const bool flat2 = third2 < 0 || side(third2) == 0;
        if (!(flat1 && flat2))
            m_pieces.emplace_back(nodePlace(a), nodePlace(b));
    }

    // The corners facing an edge in the triangles on either side (-1 beyond the border).
    std::pair<int, int> thirdCorners(const Edge& e) const
    {
        const int n = e.from, r = n / m_cols, c = n % m_cols;
        switch (EdgeKind(e.key & 3)) {
        case Across: // the cell above's lower triangle, the cell below's upper one
            return {r + 1 < m_rows ? n + m_cols + 1 : -1, r > 0 ? n - m_cols : -1};
        case Up: // the cell to the right's upper triangle, the cell to the left's lower one
            return {c + 1 < m_cols ? n + m_cols + 1 : -1, c > 0 ? n - 1 : -1};
        default:
            return {n + 1, n + m_cols};
        }
    }

    void join(float level, bool index, std::vector<ContourLine>& out)
    {
        // Ends sorted by place: the pieces meeting at a place are neighbours in the list.
        std::vector<std::pair<quint64, int>> ends;
        ends.reserve(2 * m_pieces.size());
        for (int i = 0; i < int(m_pieces.size()); ++i) {
            ends.emplace_back(m_pieces[std::size_t(i)].first, 2 * i);
            ends.emplace_back(m_pieces[std::size_t(i)].second, 2 * i + 1);
        }
        std::sort(ends.begin(), ends.end());
        std::vector<bool> used(m_pieces.size(), false);
        const auto placeOf = [&](int end) {
            const auto& piece = m_pieces[std::size_t(end / 2)];
            return end % 2 ? piece.second : piece.first;
        };
        // An unused piece at the place, other than the one arrived by; -1 for none.
        const auto nextAt = [&](quint64 place) {
            auto k = std::lower_bound(ends.begin(), ends.end(), std::pair{place, -1});
            for (; k != ends.end() && k->first == place; ++k)
                if (!used[std::size_t(k->second / 2)])
                    return k->second;
            return -1;
        };
        const auto degree = [&](quint64 place) {
            auto k = std::lower_bound(ends.begin(), ends.end(), std::pair{place, -1});
            int d = 0;
            for (; k != ends.end() && k->first == place; ++k)
                ++d;
            return d;
        };
        const auto walk = [&](int startEnd) {
            ContourLine line;
            line.level = level;
            line.whole = index;
            const quint64 start = placeOf(startEnd);
            line.points.push_back(m_at[start]);
            for (int end = startEnd; end >= 0;) {
                used[std::size_t(end / 2)] = true;
                const quint64 there = placeOf(end ^ 1);
                line.points.push_back(m_at[there]);
                if (there == start) {
                    line.closed = line.points.size() > 3;
                    break;
                }
                end = nextAt(there);
            }
            out.push_back(std::move(line));
        };
        // Open lines from their ends (places where an odd number of pieces meet), then loops.
        for (const auto& [place, end] : ends)
            if (!used[std::size_t(end / 2)] && degree(place) % 2 == 1)
                walk(end);
        for (const auto& [place, end] : ends)
            if (!used[std::size_t(end / 2)])
                walk(end);
    }

    int m_rows, m_cols;
    std::vector<double> m_x, m_y, m_z;
    double m_level = 0;
    std::vector<std::pair<quint64, quint64>> m_pieces;
    std::unordered_map<quint64, QPointF> m_at;
};

} // namespace

std::vector<ContourLabel> contourBorderLabels(const Project& p, float interval)
{
    ContourSet out;
    LabelSink labels(out);
    TraceContours(p, interval, ContourEmphasis::WholeLevels, labels);
    return std::move(out.labels);
}

bool traceContourLevels(const Project& p, float interval, const TakeLevel& take)
{
    const ContourLevels levels = contourLevels(p, interval);
    if (levels.problem != ContourLevels::None || p.GridRows < 2 || p.GridCols < 2 ||
        p.NodeCount != p.GridRows * p.GridCols || qsizetype(p.Nodes.size()) <= p.NodeCount)
        return true;
    // A level visits only the cells its value lies within. They are found by a sweep up the
    // levels over the cells ordered by their lowest corner: a list per level would grow with
    // the number of levels, past the lines of the one level being written.
    const int cols = p.GridCols, cells = (p.GridRows - 1) * (cols - 1);
    std::vector<float> low(static_cast<std::size_t>(cells)), high(low.size());
    std::vector<int> byLow(low.size());
    for (int r = 0; r + 1 < p.GridRows; ++r)
        for (int c = 0; c + 1 < cols; ++c) {
            const int n = r * cols + c + 1, cell = r * (cols - 1) + c;
            std::tie(low[std::size_t(cell)], high[std::size_t(cell)]) = std::minmax(
                {p.Nodes[n].Z, p.Nodes[n + 1].Z, p.Nodes[n + cols].Z, p.Nodes[n + cols + 1].Z});
            byLow[std::size_t(cell)] = cell;
        }
    std::stable_sort(byLow.begin(), byLow.end(),
                     [&low](int a, int b) { return low[std::size_t(a)] < low[std::size_t(b)]; });
    // The cells of the level in the grid's order, as the lines have always been joined.
    std::vector<int> active;
    std::size_t next = 0;
    LevelSet set(p);
    std::vector<ContourLine> lines;
    for (qint64 k = 0; k < levels.count; ++k) {
        const float level = levels.level(k);
        const auto below = [&](int cell) { return high[std::size_t(cell)] < level; };
        std::erase_if(active, below);
        const std::size_t kept = active.size();
        for (; next < byLow.size() && low[std::size_t(byLow[next])] <= level; ++next)
            if (!below(byLow[next]))
                active.push_back(byLow[next]);
        std::sort(active.begin() + std::ptrdiff_t(kept), active.end());
        std::inplace_merge(active.begin(), active.begin() + std::ptrdiff_t(kept), active.end());
        if (active.empty())
            continue;
        lines.clear();
        set.trace(level, isIndexLevel(p, interval, level), active, lines);
        if (!take(lines, double(k + 1) / double(levels.count)))
            return false;
    }
    return true;
}

ContourSet traceContourLines(const Project& p, float interval)
{
    ContourSet out;
    out.interval = interval;
    out.labels = contourBorderLabels(p, interval);
    traceContourLevels(p, interval, [&out](std::vector<ContourLine>& lines, double) {
        std::move(lines.begin(), lines.end(), std::back_inserter(out.lines));
        return true;
    });
    return out;
}

} // namespace tervan
