#include "graphics/contourlabels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>
#include <unordered_map>

namespace tervan {

namespace {

using Quad = std::array<QPointF, 4>;

double dot(QPointF a, QPointF b)
{
    return a.x() * b.x() + a.y() * b.y();
}

// Separating axes: two convex quads meet, touching included, unless an edge normal of one
// parts them.
bool overlap(const Quad& a, const Quad& b)
{
    for (const Quad* q : {&a, &b}) {
        for (int i = 0; i < 4; ++i) {
            const QPointF edge = (*q)[(i + 1) % 4] - (*q)[i];
            const QPointF axis(-edge.y(), edge.x());
            double aMin = 1e300, aMax = -1e300, bMin = 1e300, bMax = -1e300;
            for (const QPointF& p : a) {
                aMin = std::min(aMin, dot(p, axis));
                aMax = std::max(aMax, dot(p, axis));
            }
            for (const QPointF& p : b) {
                bMin = std::min(bMin, dot(p, axis));
                bMax = std::max(bMax, dot(p, axis));
            }
            if (aMax < bMin || bMax < aMin)
                return false;
        }
    }
    return true;
}

Quad quadOf(const QRectF& r)
{
    return {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()};
}

// Boxes already taken, filed by the grid cells their bounds cover, so a new box is tested
// only against its neighbours: with node labels there are tens of thousands of them.
class TakenBoxes
{
public:
    explicit TakenBoxes(double cell) : m_cell(cell) {}

    void add(const Quad& q)
    {
        const int index = int(m_quads.size());
        m_quads.push_back(q);
        if (!forCells(q, [&](qint64 key) { m_cells[key].push_back(index); }))
            m_large.push_back(index);
    }

    bool meets(const Quad& q) const
    {
        const auto hits = [&](int i) { return overlap(q, m_quads[std::size_t(i)]); };
        if (std::any_of(m_large.begin(), m_large.end(), hits))
            return true;
        bool hit = false;
        const bool filed = forCells(q, [&](qint64 key) {
            if (const auto it = m_cells.find(key); !hit && it != m_cells.end())
                hit = std::any_of(it->second.begin(), it->second.end(), hits);
        });
        return filed ? hit : std::any_of(m_quads.begin(), m_quads.end(), [&](const Quad& other) {
            return overlap(q, other);
        });
    }

private:
    // False, calling nothing, for a box over too many cells to file.
    template <class Visit> bool forCells(const Quad& q, Visit visit) const
    {
        double x0 = q[0].x(), x1 = x0, y0 = q[0].y(), y1 = y0;
        for (const QPointF& p : q) {
            x0 = std::min(x0, p.x());
            x1 = std::max(x1, p.x());
            y0 = std::min(y0, p.y());
            y1 = std::max(y1, p.y());
        }
        const double i0 = std::floor(x0 / m_cell), i1 = std::floor(x1 / m_cell);
        const double j0 = std::floor(y0 / m_cell), j1 = std::floor(y1 / m_cell);
        if (!((i1 - i0 + 1) * (j1 - j0 + 1) <= 4096))
            return false;
        for (double i = i0; i <= i1; ++i)
            for (double j = j0; j <= j1; ++j)
                visit((qint64(i) << 32) ^ qint64(quint32(qint32(j))));
        return true;
    }

    double m_cell;
    std::vector<Quad> m_quads;
    std::vector<int> m_large;
    std::unordered_map<qint64, std::vector<int>> m_cells;
};

Quad box(QPointF centre, double angleDegrees, double width, double height)
{
    const double a = angleDegrees * std::numbers::pi / 180;
    const QPointF u(std::cos(a) * width / 2, std::sin(a) * width / 2);
    const QPointF v(-std::sin(a) * height / 2, std::cos(a) * height / 2);
    return {centre - u - v, centre + u - v, centre + u + v, centre - u + v};
}

// One line as shown: its points, and arc lengths both shown and in world units.
struct Shown
{
    std::vector<QPointF> points;
    std::vector<double> arc, worldArc;

    // Segment and fraction at shown arc length s.
    std::pair<std::size_t, double> locate(double s) const
    {
        const auto it = std::upper_bound(arc.begin(), arc.end(), s);
        std::size_t k = std::size_t(std::max<std::ptrdiff_t>(it - arc.begin(), 1)) - 1;
        k = std::min(k, points.size() - 2);
        const double len = arc[k + 1] - arc[k];
        return {k, len > 0 ? std::clamp((s - arc[k]) / len, 0.0, 1.0) : 0.0};
    }
    QPointF at(double s) const
    {
        const auto [k, t] = locate(s);
        return points[k] + (points[k + 1] - points[k]) * t;
    }
    double worldAt(double s) const
    {
        const auto [k, t] = locate(s);
        return worldArc[k] + (worldArc[k + 1] - worldArc[k]) * t;
    }
};

struct Candidate
{
    QPointF centre;
    double angle = 0;
    double deviation = 0;
};

// The stretch of `need` centred at arc length s, when it is straight enough to carry text.
std::optional<Candidate> stretchAt(const Shown& line, double s, double need, double tolerance)
{
    const QPointF a = line.at(s - need / 2), b = line.at(s + need / 2);
    const QPointF chord = b - a;
    const double length = std::hypot(chord.x(), chord.y());
    if (length < 0.9 * need)
        return std::nullopt;
    double deviation = 0;
    const auto first = std::upper_bound(line.arc.begin(), line.arc.end(), s - need / 2);
    for (auto it = first; it != line.arc.end() && *it < s + need / 2; ++it) {
        const QPointF d = line.points[std::size_t(it - line.arc.begin())] - a;
        deviation = std::max(deviation, std::abs(chord.x() * d.y() - chord.y() * d.x()) / length);
    }
    if (deviation > tolerance)
        return std::nullopt;
    double angle = std::atan2(chord.y(), chord.x()) * 180 / std::numbers::pi;
    // Text reads from left to right whichever way the line runs.
    if (angle > 90)
        angle -= 180;
    else if (angle <= -90)
        angle += 180;
    return Candidate{(a + b) / 2, angle, deviation};
}

} // namespace

struct AlongLabelPlacer::Taken
{
    TakenBoxes boxes;
};

AlongLabelPlacer::AlongLabelPlacer(AlongLabelStyle style)
    : m_style(std::move(style)),
      m_taken(new Taken{TakenBoxes(std::max(4 * m_style.textHeight, 1e-9))})
{
    const double sx = m_style.scaleX, sy = m_style.scaleY;
    const auto shown = [sx, sy](QPointF p) { return QPointF(p.x() * sx, p.y() * sy); };
    for (const QRectF& r : m_style.keepOut)
        m_taken->boxes.add(quadOf(QRectF(shown(r.topLeft()), shown(r.bottomRight())).normalized()));
}

AlongLabelPlacer::~AlongLabelPlacer() = default;

std::vector<AlongLabel> placeAlongLabels(const std::vector<ContourLine>& lines,
                                         const AlongLabelStyle& style)
{
    return AlongLabelPlacer(style).place(lines);
}

std::vector<AlongLabel> AlongLabelPlacer::place(const std::vector<ContourLine>& lines)
{
    const AlongLabelStyle& style = m_style;
    const double sx = style.scaleX, sy = style.scaleY;
    const auto shown = [sx, sy](QPointF p) { return QPointF(p.x() * sx, p.y() * sy); };
    const QRectF inside =
        QRectF(shown(style.inside.topLeft()), shown(style.inside.bottomRight())).normalized();
    TakenBoxes& taken = m_taken->boxes;

    struct Due
    {
        std::size_t line;
        double target, window;
        int pass;
    };
    std::vector<Shown> shownLines(lines.size());
    std::vector<Due> due;
    std::vector<QString> texts(lines.size());
    std::vector<double> needs(lines.size());
    const double h = style.textHeight;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ContourLine& line = lines[i];
        if (!line.whole || line.points.size() < 2)
            continue;
        Shown& s = shownLines[i];
        s.points.reserve(line.points.size());
        s.arc.reserve(line.points.size());
        s.worldArc.reserve(line.points.size());
        for (std::size_t k = 0; k < line.points.size(); ++k) {
            s.points.push_back(shown(line.points[k]));
            if (k == 0) {
                s.arc.push_back(0);
                s.worldArc.push_back(0);
                continue;
            }
            const QPointF d = s.points[k] - s.points[k - 1];
            const QPointF w = line.points[k] - line.points[k - 1];
            s.arc.push_back(s.arc.back() + std::hypot(d.x(), d.y()));
            s.worldArc.push_back(s.worldArc.back() + std::hypot(w.x(), w.y()));
        }
        texts[i] = style.text(line.level);
        // Room on the line for the text and a blank either side.
        needs[i] = style.textWidth(texts[i]) + 0.5 * h;
        const double length = s.arc.back();
        if (length < needs[i] + h)
            continue;
        const int count = std::max(1, int(std::floor(length / style.spacing)));
        const double each = length / count;
        for (int k = 0; k < count; ++k)
            due.push_back({i, (k + 0.5) * each, 0.3 * each, k == count / 2 ? 0 : 1});
    }
    // Every piece gets its middle label before any piece gets a second.
    std::stable_sort(due.begin(), due.end(),
                     [](const Due& a, const Due& b) { return a.pass < b.pass; });

    std::vector<AlongLabel> out;
    const double step = std::max(h / 3, 1e-9);
    for (const Due& d : due) {
        const Shown& line = shownLines[d.line];
        const double need = needs[d.line], length = line.arc.back();
        const double low = std::max(need / 2, d.target - d.window);
        const double high = std::min(length - need / 2, d.target + d.window);
        std::optional<Candidate> best;
        double bestScore = 1e300, bestS = 0;
        const int steps = int(std::max(d.target - low, high - d.target) / step) + 1;
        for (int j = 0; j <= 2 * steps; ++j) {
            // Outwards from where the label is due: target, +1, -1, +2, ...
            const double s = d.target + (j % 2 ? 1 : -1) * ((j + 1) / 2) * step;
            if (s < low || s > high)
                continue;
            const double distance = std::abs(s - d.target);
            if (best && best->deviation + 0.01 * distance >= bestScore)
                continue;
            const auto c = stretchAt(line, s, need, 0.35 * h);
            if (!c)
                continue;
            const Quad q = box(c->centre, c->angle, need, 1.2 * h);
            if (!std::all_of(q.begin(), q.end(), [&](QPointF p) { return inside.contains(p); }))
                continue;
            if (taken.meets(q))
                continue;
            best = c;
            bestScore = c->deviation + 0.01 * distance;
            bestS = s;
        }
        if (!best)
            continue;
        taken.add(box(best->centre, best->angle, need, 1.2 * h));
        AlongLabel label;
        label.line = d.line;
        label.level = lines[d.line].level;
        label.text = texts[d.line];
        label.at = QPointF(best->centre.x() / sx, best->centre.y() / sy);
        label.angle = best->angle;
        label.from = line.worldAt(bestS - need / 2);
        label.to = line.worldAt(bestS + need / 2);
        label.width = need;
        label.height = 1.2 * h;
        out.push_back(std::move(label));
    }
    return out;
}

std::vector<QPointF> labelBox(const AlongLabel& label, const AlongLabelStyle& style)
{
    const QPointF centre(label.at.x() * style.scaleX, label.at.y() * style.scaleY);
    std::vector<QPointF> out;
    for (const QPointF& p : box(centre, label.angle, label.width, label.height))
        out.emplace_back(p.x() / style.scaleX, p.y() / style.scaleY);
    return out;
}

std::vector<std::vector<QPointF>> linePieces(const ContourLine& line, std::size_t index,
                                             const std::vector<AlongLabel>& labels)
{
    std::vector<std::pair<double, double>> gaps;
    for (const AlongLabel& l : labels)
        if (l.line == index)
            gaps.emplace_back(l.from, l.to);
    std::sort(gaps.begin(), gaps.end());
    const auto inGap = [&gaps](double s) {
        return std::any_of(gaps.begin(), gaps.end(),
                           [s](const auto& g) { return g.first <= s && s < g.second; });
    };
    std::vector<std::vector<QPointF>> out;
    std::vector<QPointF> current;
    const auto add = [&current](QPointF p) {
        if (current.empty() || current.back() != p)
            current.push_back(p);
    };
    const auto close = [&] {
        if (current.size() >= 2)
            out.push_back(std::move(current));
        current.clear();
    };
    if (line.points.empty())
        return out;
    if (!inGap(0))
        add(line.points.front());
    double arc = 0;
    for (std::size_t k = 1; k < line.points.size(); ++k) {
        const QPointF a = line.points[k - 1], b = line.points[k];
        const double len = std::hypot(b.x() - a.x(), b.y() - a.y());
        const double end = arc + len;
        // Gap ends and starts on this segment, in order along it.
        std::vector<std::pair<double, bool>> cuts;
        for (const auto& [from, to] : gaps) {
            if (from >= arc && from < end)
                cuts.emplace_back(from, true);
            if (to >= arc && to < end)
                cuts.emplace_back(to, false);
        }
        std::sort(cuts.begin(), cuts.end());
        for (const auto& [at, starts] : cuts) {
            const QPointF p = len > 0 ? a + (b - a) * ((at - arc) / len) : a;
            if (starts) {
                add(p);
                close();
            } else {
                current.clear();
                add(p);
            }
        }
        if (!inGap(end))
            add(b);
        arc = end;
    }
    close();
    return out;
}

} // namespace tervan
