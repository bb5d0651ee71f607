#include "survey/surface.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <geos/geom/Envelope.h>
#include <geos/triangulate/IncrementalDelaunayTriangulator.h>
#include <geos/triangulate/quadedge/QuadEdge.h>
#include <geos/triangulate/quadedge/QuadEdgeSubdivision.h>
#include <geos/triangulate/quadedge/TriangleVisitor.h>
#include <geos/triangulate/quadedge/Vertex.h>
#include <geos/util/GEOSException.h>
#include <map>
#include <numeric>

namespace tervan {

using geos::triangulate::IncrementalDelaunayTriangulator;
using geos::triangulate::quadedge::QuadEdge;
using geos::triangulate::quadedge::QuadEdgeSubdivision;
using geos::triangulate::quadedge::Vertex;

namespace {

// Vertices closer than this are one; shots are merged at a millimetre, so none are lost.
constexpr double Tolerance = 1e-4;
// A breakline piece shorter than this is left as it is, so lines meeting at a sharp angle
// cannot split each other for ever.
constexpr double ShortestPiece = 0.001;

// The library closes the triangulation with a frame triangle around the extent given; the
// nearer its corners, the more the outermost shots link to them instead of along the hull
// (by the sagitta of a circle through the corner). Far corners keep that under a
// hundred-thousandth of the site's width.
std::unique_ptr<QuadEdgeSubdivision> subdivisionAround(const std::vector<Vertex>& sites)
{
    geos::geom::Envelope extent;
    for (const Vertex& v : sites)
        extent.expandToInclude(v.getCoordinate());
    extent.expandBy(1000 * std::max({extent.getWidth(), extent.getHeight(), 1.0}));
    return std::make_unique<QuadEdgeSubdivision>(extent, Tolerance);
}

// The edge leaving the vertex at v, or nothing when the triangulation has none there.
QuadEdge* edgeFrom(const QuadEdgeSubdivision& s, const Vertex& v)
{
    QuadEdge* e = s.locate(v);
    if (!e)
        return nullptr;
    for (QuadEdge* candidate : {e, &e->sym(), &e->lNext().lNext()})
        if (candidate->orig().equals(v, Tolerance))
            return candidate;
    return nullptr;
}

// The height of the triangle holding v; nothing outside the hull (a frame corner).
std::optional<double> interpolate(const QuadEdgeSubdivision& s, const Vertex& v)
{
    const QuadEdge* e = s.locate(v);
    if (!e)
        return std::nullopt;
    const Vertex& a = e->orig();
    const Vertex& b = e->dest();
    const Vertex& c = e->lNext().dest();
    for (const Vertex* at : {&a, &b, &c})
        if (at->equals(v, Tolerance) && !s.isFrameVertex(*at))
            return at->getZ();
    const bool frame = s.isFrameVertex(a) || s.isFrameVertex(b) || s.isFrameVertex(c);
    const double abx = b.getX() - a.getX(), aby = b.getY() - a.getY();
    const double avx = v.getX() - a.getX(), avy = v.getY() - a.getY();
    if (frame) {
        // On a hull edge the triangle found may be the outside one.
        if (s.isFrameVertex(a) || s.isFrameVertex(b))
            return std::nullopt;
        const double length2 = abx * abx + aby * aby;
        const double t = (avx * abx + avy * aby) / length2;
        if (std::abs(abx * avy - aby * avx) > 1e-9 * length2 || t < -1e-9 || t > 1 + 1e-9)
            return std::nullopt;
        return a.getZ() + t * (b.getZ() - a.getZ());
    }
    const double acx = c.getX() - a.getX(), acy = c.getY() - a.getY();
    const double area = abx * acy - aby * acx;
    const double wb = (avx * acy - avy * acx) / area;
    const double wc = (abx * avy - aby * avx) / area;
    return a.getZ() + wb * (b.getZ() - a.getZ()) + wc * (c.getZ() - a.getZ());
}

// Shots in strips across the site, each strip walked the other way from the last, so each
// insertion starts its search beside the one before.
std::vector<std::size_t> stripOrder(const std::vector<SurveyPoint>& p)
{
    std::vector<std::size_t> order(p.size());
    std::iota(order.begin(), order.end(), 0);
    if (p.empty())
        return order;
    const auto range = std::minmax_element(p.begin(), p.end(),
                                           [](const auto& a, const auto& b) { return a.x < b.x; });
    const auto xMin = range.first, xMax = range.second;
    const int strips = std::max(1, int(std::sqrt(double(p.size()) / 4)));
    const double width = (xMax->x - xMin->x) / strips + 1e-9;
    const auto strip = [&](std::size_t i) {
        return std::min(strips - 1, int((p[i].x - xMin->x) / width));
    };
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int sa = strip(a), sb = strip(b);
        if (sa != sb)
            return sa < sb;
        return sa % 2 ? p[a].y > p[b].y : p[a].y < p[b].y;
    });
    return order;
}

} // namespace

SurveyTin::SurveyTin() = default;
SurveyTin::~SurveyTin() = default;

std::variant<std::unique_ptr<SurveyTin>, QString>
SurveyTin::make(const std::vector<SurveyPoint>& shots, const std::vector<Breakline>& breaklines)
{
    std::unique_ptr<SurveyTin> tin(new SurveyTin);
    if (shots.empty())
        return QStringLiteral("ไม่มีจุดสำรวจ");
    // Local coordinates keep the predicates' digits for the terrain, not the false easting.
    tin->m_x0 = shots.front().x;
    tin->m_y0 = shots.front().y;
    tin->m_order = stripOrder(shots);
    for (std::size_t i : tin->m_order) {
        SurveyPoint p = shots[i];
        p.x -= tin->m_x0;
        p.y -= tin->m_y0;
        tin->m_shots.push_back(p);
    }
    std::vector<Vertex> sites;
    for (const SurveyPoint& p : tin->m_shots)
        sites.emplace_back(p.x, p.y, p.z);
    struct Piece
    {
        BreakVertex a, b;
    };
    std::vector<Piece> pieces;
    const auto local = [&](const BreakVertex& w) {
        return BreakVertex{w.x - tin->m_x0, w.y - tin->m_y0, w.z};
    };
    for (const Breakline& line : breaklines)
        for (std::size_t i = 0; i < line.vertices.size(); ++i) {
            const BreakVertex w = local(line.vertices[i]);
            sites.emplace_back(w.x, w.y, w.z);
            if (i > 0)
                pieces.push_back({local(line.vertices[i - 1]), w});
        }
    tin->m_subdivision = subdivisionAround(sites);
    QuadEdgeSubdivision& s = *tin->m_subdivision;
    IncrementalDelaunayTriangulator triangulator(&s);
    try {
        for (const Vertex& v : sites)
            triangulator.insertSite(v);
        const auto holds = [&](const Piece& p) {
            const QuadEdge* e = edgeFrom(s, Vertex(p.a.x, p.a.y));
            if (!e)
                return false;
            const Vertex b(p.b.x, p.b.y);
            const QuadEdge* f = e;
            do {
                if (f->dest().equals(b, Tolerance))
                    return true;
                f = &f->oNext();
            } while (f != e);
            return false;
        };
        // Split what the triangulation lacks; a later point may take away an edge an earlier
        // pass found, so look again until a pass adds nothing.
        for (bool added = true; added;) {
            added = false;
            std::vector<Piece> next;
            for (const Piece& p : pieces) {
                if (std::hypot(p.b.x - p.a.x, p.b.y - p.a.y) < ShortestPiece || holds(p)) {
                    next.push_back(p);
                    continue;
                }
                const BreakVertex m{(p.a.x + p.b.x) / 2, (p.a.y + p.b.y) / 2, (p.a.z + p.b.z) / 2};
                triangulator.insertSite(Vertex(m.x, m.y, m.z));
                ++tin->m_added;
                next.push_back({p.a, m});
                next.push_back({m, p.b});
                added = true;
            }
            pieces = std::move(next);
        }
    } catch (const geos::util::GEOSException& e) {
        return QStringLiteral("สร้างพื้นผิวสามเหลี่ยมไม่ได้ (%1)").arg(QString::fromUtf8(e.what()));
    }
    return tin;
}

std::optional<double> SurveyTin::heightAt(double x, double y) const
{
    try {
        return interpolate(*m_subdivision, Vertex(x - m_x0, y - m_y0));
    } catch (const geos::util::GEOSException&) {
        return std::nullopt;
    }
}

void SurveyTin::heightsOnGrid(double x0, double y0, double spacing, int rows, int cols,
                              std::vector<double>& heights) const
{
    // Walking to each node from the last costs more than the whole triangulation; covering
    // the nodes triangle by triangle costs one pass over each.
    struct Cover final : geos::triangulate::quadedge::TriangleVisitor
    {
        double x0, y0, spacing;
        int rows, cols;
        std::vector<double>& heights;
        Cover(double x, double y, double s, int r, int c, std::vector<double>& h)
            : x0(x), y0(y), spacing(s), rows(r), cols(c), heights(h)
        {
        }
        void visit(std::array<QuadEdge*, 3>& edges) override
        {
            const Vertex& a = edges[0]->orig();
            const Vertex& b = edges[1]->orig();
            const Vertex& c = edges[2]->orig();
            const double abx = b.getX() - a.getX(), aby = b.getY() - a.getY();
            const double acx = c.getX() - a.getX(), acy = c.getY() - a.getY();
            const double area = abx * acy - aby * acx;
            if (area == 0)
                return;
            // A node on an edge belongs to both triangles; the slack keeps hull edges in.
            const double slack = -1e-12;
            const auto [xl, xh] = std::minmax({a.getX(), b.getX(), c.getX()});
            const auto [yl, yh] = std::minmax({a.getY(), b.getY(), c.getY()});
            const int c0 = std::max(0, int(std::ceil((xl - x0) / spacing - 1e-9)));
            const int c1 = std::min(cols - 1, int(std::floor((xh - x0) / spacing + 1e-9)));
            const int r0 = std::max(0, int(std::ceil((yl - y0) / spacing - 1e-9)));
            const int r1 = std::min(rows - 1, int(std::floor((yh - y0) / spacing + 1e-9)));
            for (int r = r0; r <= r1; ++r)
                for (int k = c0; k <= c1; ++k) {
                    const double vx = x0 + k * spacing - a.getX(), vy = y0 + r * spacing - a.getY();
                    const double wb = (vx * acy - vy * acx) / area;
                    const double wc = (abx * vy - aby * vx) / area;
                    if (wb < slack || wc < slack || wb + wc > 1 - slack)
                        continue;
                    heights[std::size_t(r) * cols + k] =
                        a.getZ() + wb * (b.getZ() - a.getZ()) + wc * (c.getZ() - a.getZ());
                }
        }
    } cover(x0 - m_x0, y0 - m_y0, spacing, rows, cols, heights);
    m_subdivision->visitTriangles(&cover, false);
}

std::vector<std::optional<double>> SurveyTin::leaveOneOut(Progress* progress) const
{
    std::vector<std::optional<double>> out(m_shots.size());
    std::vector<Vertex> neighbours;
    // An edge leaving every vertex, found in one pass over the edges rather than by a search
    // from the last shot for each: that search was most of the time.
    const auto key = [](double x, double y) { return std::pair{x, y}; };
    std::map<std::pair<double, double>, const QuadEdge*> leaving;
    const auto edges = m_subdivision->getPrimaryEdges(false);
    for (QuadEdge* e : *edges) {
        leaving.try_emplace(key(e->orig().getX(), e->orig().getY()), e);
        leaving.try_emplace(key(e->dest().getX(), e->dest().getY()), &e->sym());
    }
    for (std::size_t i = 0; i < m_shots.size(); ++i) {
        // A look at the cancel and a word of progress every thousand shots costs nothing.
        if (i % 1024 == 0) {
            if (cancelled(progress))
                break;
            report(progress, double(i) / double(m_shots.size()));
        }
        const SurveyPoint& p = m_shots[i];
        std::optional<double>& residual = out[m_order[i]];
        const Vertex v(p.x, p.y);
        try {
            const auto found = leaving.find(key(p.x, p.y));
            if (found == leaving.end())
                continue;
            const QuadEdge* e = found->second;
            neighbours.clear();
            bool hull = false;
            const QuadEdge* f = e;
            do {
                hull = hull || m_subdivision->isFrameVertex(f->dest());
                neighbours.push_back(f->dest());
                f = &f->oNext();
            } while (f != e && !hull);
            if (hull)
                continue;
            const auto local = subdivisionAround(neighbours);
            IncrementalDelaunayTriangulator triangulator(local.get());
            for (const Vertex& n : neighbours)
                triangulator.insertSite(n);
            if (const auto z = interpolate(*local, v))
                residual = p.z - *z;
        } catch (const geos::util::GEOSException&) {
            residual.reset();
        }
    }
    return out;
}

} // namespace tervan
