#include "graphics/contourlines.h"

#include "project/project.h"

#include <algorithm>
#include <cmath>

namespace tervan {

namespace {

// Bucket key to the bucket's first point, by open addressing; emptied per level by a new
// generation instead of a sweep, since a fine interval has thousands of levels.
class BucketTable
{
public:
    int first(quint64 key) const
    {
        if (m_slots.empty())
            return -1;
        for (std::size_t at = start(key);; at = (at + 1) & m_mask) {
            const Slot& s = m_slots[at];
            if (s.generation != m_generation)
                return -1;
            if (s.key == key)
                return s.value;
        }
    }
    // The bucket's first point, -1 for a new bucket, to be set by the caller.
    int& slot(quint64 key)
    {
        if (2 * (m_used + 1) > m_slots.size())
            grow();
        for (std::size_t at = start(key);; at = (at + 1) & m_mask) {
            Slot& s = m_slots[at];
            if (s.generation != m_generation) {
                s = {key, -1, m_generation};
                ++m_used;
                return s.value;
            }
            if (s.key == key)
                return s.value;
        }
    }
    void clear(std::size_t)
    {
        ++m_generation;
        m_used = 0;
    }

private:
    struct Slot
    {
        quint64 key = 0;
        int value = -1;
        quint32 generation = 0;
    };
    std::size_t start(quint64 key) const
    {
        return std::size_t((key * 0x9E3779B97F4A7C15ull) >> 20) & m_mask;
    }
    void grow()
    {
        std::vector<Slot> old;
        old.swap(m_slots);
        m_slots.assign(std::max<std::size_t>(1024, 2 * old.size()), Slot{});
        m_mask = m_slots.size() - 1;
        const quint32 generation = m_generation;
        m_generation = 1;
        m_used = 0;
        for (const Slot& s : old)
            if (s.generation == generation)
                slot(s.key) = s.value;
    }

    std::vector<Slot> m_slots;
    std::size_t m_mask = 0;
    std::size_t m_used = 0;
    quint32 m_generation = 1;
};

// Collects one level's segments and joins them where their ends meet. Crossings of an edge
// shared by two cells are computed from either side, so ends meet within a rounding, not
// always exactly: ends are matched in buckets of `tolerance` and their neighbours.
class Joiner final : public ContourSink
{
public:
    Joiner(ContourSet& out, double tolerance) : m_out(out), m_tol(tolerance) {}

    void level(float level, int) override
    {
        flush();
        m_level = level;
    }
    void point(float, float) override {}
    void segment(float x1, float y1, float x2, float y2) override
    {
        if (x1 == x2 && y1 == y2)
            return;
        const int a = node(x1, y1), b = node(x2, y2);
        const int e = int(m_edges.size());
        m_edges.push_back({a, b});
        // Each end of a segment links to the next segment at the same point.
        m_nextAt.push_back(m_firstAt[a]);
        m_nextAt.push_back(m_firstAt[b]);
        m_firstAt[a] = 2 * e;
        m_firstAt[b] = 2 * e + 1;
    }
    void label(Border border, float x, float y, float level) override
    {
        m_out.labels.push_back({border, QPointF(x, y), level});
    }
    void flush()
    {
        std::vector<bool> used(m_edges.size(), false);
        for (std::size_t e = 0; e < m_edges.size(); ++e) {
            if (used[e])
                continue;
            used[e] = true;
            std::vector<int> forward{m_edges[e].a, m_edges[e].b};
            extend(forward, used);
            std::vector<int> backward{m_edges[e].a};
            if (forward.front() != forward.back())
                extend(backward, used);
            ContourLine line;
            line.level = m_level;
            line.whole = std::floor(m_level) == m_level;
            line.points.reserve(forward.size() + backward.size());
            for (auto it = backward.rbegin(); it + 1 != backward.rend(); ++it)
                line.points.push_back(m_points[*it]);
            for (int n : forward)
                line.points.push_back(m_points[n]);
            line.closed = forward.size() > 3 && forward.front() == forward.back();
            m_out.lines.push_back(std::move(line));
        }
        m_edges.clear();
        m_points.clear();
        m_firstAt.clear();
        m_nextAt.clear();
        m_buckets.clear(m_points.size());
        m_nextInBucket.clear();
    }

private:
    struct Edge
    {
        int a, b;
    };

    // Walks on from the chain's last node through unused segments.
    void extend(std::vector<int>& chain, std::vector<bool>& used)
    {
        while (chain.size() < 2 || chain.back() != chain.front()) {
            const int at = chain.back();
            int next = -1;
            for (int end = m_firstAt[at]; end >= 0; end = m_nextAt[end]) {
                const int e = end / 2;
                if (!used[e]) {
                    used[e] = true;
                    next = end % 2 ? m_edges[e].a : m_edges[e].b;
                    break;
                }
            }
            if (next < 0)
                return;
            chain.push_back(next);
        }
    }

    static quint64 key(qint64 i, qint64 j) { return (quint64(i) << 32) ^ quint64(quint32(j)); }

    // Buckets are many tolerances wide, so a neighbour bucket is only searched for an end
    // that lies within the tolerance of its edge.
    int node(float x, float y)
    {
        const double size = 64 * m_tol;
        const qint64 i = qint64(std::floor(x / size)), j = qint64(std::floor(y / size));
        const double fx = x - double(i) * size, fy = y - double(j) * size;
        const int di0 = fx < m_tol ? -1 : 0, di1 = size - fx < m_tol ? 1 : 0;
        const int dj0 = fy < m_tol ? -1 : 0, dj1 = size - fy < m_tol ? 1 : 0;
        for (int di = di0; di <= di1; ++di) {
            for (int dj = dj0; dj <= dj1; ++dj) {
                for (int n = m_buckets.first(key(i + di, j + dj)); n >= 0; n = m_nextInBucket[n])
                    if (std::abs(m_points[n].x() - x) <= m_tol &&
                        std::abs(m_points[n].y() - y) <= m_tol)
                        return n;
            }
        }
        const int n = int(m_points.size());
        m_points.emplace_back(x, y);
        m_firstAt.push_back(-1);
        int& head = m_buckets.slot(key(i, j));
        m_nextInBucket.push_back(head);
        head = n;
        return n;
    }

    ContourSet& m_out;
    double m_tol;
    float m_level = 0;
    std::vector<QPointF> m_points;
    std::vector<Edge> m_edges;
    std::vector<int> m_firstAt; // per point: its first segment end, 2 * segment + end
    std::vector<int> m_nextAt;  // per segment end: the next end at the same point
    BucketTable m_buckets;
    std::vector<int> m_nextInBucket;
};

} // namespace

ContourSet traceContourLines(const Project& p, float interval)
{
    ContourSet out;
    out.interval = interval;
    // A few float steps at the grid's far corner.
    const double extent = std::max({1.0, double(p.NodeXMax), double(p.NodeYMax),
                                    double(std::abs(p.NodeXMin)), double(std::abs(p.NodeYMin))});
    Joiner joiner(out, extent * 4e-7);
    TraceContours(p, interval, -1, joiner);
    joiner.flush();
    return out;
}

} // namespace tervan
