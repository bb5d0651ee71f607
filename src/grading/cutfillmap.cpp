#include "grading/cutfillmap.h"

#include "common/numbertext.h"
#include "grading/designsurface.h"
#include "graphics/palette.h"
#include "graphics/surface.h"

#include <QColor>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace tervan {

namespace {

constexpr int ContourColour = 8;
constexpr int DaylightColour = colour::Green;
constexpr int OpenEdgeColour = 13;
// More cut/fill contours than this on either side would only blacken the map.
constexpr int MaxContourLevels = 100;

const QRgb NoDepth = qRgb(238, 238, 230);

} // namespace

CutFillMap padMap(const EarthworkGrid& ground, const PadResult& pad, double contourInterval)
{
    CutFillMap m;
    m.depth = depthGrid(ground, pad.pad.design);
    m.pad = pad.rect;
    m.daylight = pad.pad.daylight;
    m.openEdge = pad.pad.openEdge;
    m.contourInterval = contourInterval;
    return m;
}

int CutFillRamp::classOf(double depth) const
{
    if (depth == 0 || !std::isfinite(depth))
        return 0;
    const int c = std::min(Classes, 1 + int(std::abs(depth) / step));
    return depth > 0 ? c : -c;
}

QRgb CutFillRamp::colour(int cls)
{
    // Light to dark along one hue: red-brown for cut, blue for fill; worked out once, as a
    // map asks for a colour per triangle.
    static const std::array<QRgb, 2 * Classes + 1> colours = [] {
        std::array<QRgb, 2 * Classes + 1> out{};
        for (int c = -Classes; c <= Classes; ++c) {
            const double t = (std::abs(c) - 1) / double(Classes - 1);
            out[std::size_t(c + Classes)] =
                c == 0
                    ? NoDepth
                    : QColor::fromHsvF(c > 0 ? 0.02 : 0.60, 0.18 + 0.77 * t, 1.0 - 0.45 * t).rgb();
        }
        return out;
    }();
    return colours[std::size_t(std::clamp(cls, -Classes, Classes) + Classes)];
}

std::vector<double> CutFillRamp::boundaries() const
{
    std::vector<double> out;
    for (int c = -(Classes - 1); c <= Classes - 1; ++c)
        out.push_back(c * step);
    return out;
}

double BandPolygon::area() const
{
    double twice = 0;
    for (int i = 0; i < count; ++i) {
        const BandCorner &a = c[i], &b = c[(i + 1) % count];
        twice += a.x * b.y - b.x * a.y;
    }
    return std::abs(twice) / 2;
}

BandPolygon keepAtLeast(const BandPolygon& p, double BandCorner::*field, double level, double sign)
{
    BandPolygon out;
    const auto push = [&](const BandCorner& corner) {
        if (out.count < 8)
            out.c[out.count++] = corner;
    };
    for (int i = 0; i < p.count; ++i) {
        const BandCorner &a = p.c[i], &b = p.c[(i + 1) % p.count];
        const double fa = sign * (a.*field - level), fb = sign * (b.*field - level);
        if (fa >= 0)
            push(a);
        if ((fa > 0 && fb < 0) || (fa < 0 && fb > 0)) {
            const double t = fa / (fa - fb);
            BandCorner cut{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.v + t * (b.v - a.v),
                           a.w + t * (b.w - a.w)};
            // On the line exactly, so that neighbouring bands share the corner.
            cut.*field = level;
            push(cut);
        }
    }
    return out;
}

CutFillRamp cutFillRamp(const EarthworkGrid& depth)
{
    double deepest = 0;
    for (double d : depth.h)
        if (std::isfinite(d))
            deepest = std::max(deepest, std::abs(d));
    CutFillRamp r;
    if (deepest <= 0)
        return r;
    // The smallest of 1, 2, 2.5 and 5 times a power of ten that fits five classes.
    const double raw = deepest / CutFillRamp::Classes;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double f : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (f * power >= raw * (1 - 1e-12)) {
            r.step = f * power;
            break;
        }
    return r;
}

namespace {

// A cell's corners counter-clockwise from its lower left and its centre, with the depth as v
// and, for a pad, minus the daylight value as w (at least 0 inside the works); the centre takes
// the corners' means.
void cellCorners(const CutFillMap& m, int i, int j, BandCorner (&c)[5])
{
    const EarthworkGrid& g = m.depth;
    const bool hasDaylight = m.daylight.size() == g.h.size();
    const double sp = g.spacing;
    const std::size_t k = std::size_t(i) * std::size_t(g.cols) + std::size_t(j);
    const std::size_t up = k + std::size_t(g.cols);
    const std::size_t at[4] = {k, k + 1, up + 1, up};
    for (int t = 0; t < 4; ++t)
        c[t] = {(j + (t == 1 || t == 2)) * sp, (i + (t >= 2)) * sp, g.h[at[t]],
                hasDaylight ? -m.daylight[at[t]] : 0};
    c[4] = {(j + 0.5) * sp, (i + 0.5) * sp, (c[0].v + c[1].v + c[2].v + c[3].v) / 4,
            (c[0].w + c[1].w + c[2].w + c[3].w) / 4};
}

} // namespace

void cutFillPieces(const CutFillMap& m, const CutFillRamp& ramp,
                   const std::function<void(int cls, std::vector<QPointF>&& corners)>& piece)
{
    const EarthworkGrid& g = m.depth;
    const std::vector<double> levels = ramp.boundaries();
    const double sp = g.spacing;
    const auto polygon = [&](const BandPolygon& p, int cls) {
        std::vector<QPointF> corners;
        corners.reserve(std::size_t(p.count));
        for (int i = 0; i < p.count; ++i)
            corners.emplace_back(p.c[i].x, p.c[i].y);
        piece(cls, std::move(corners));
    };
    for (int i = 0; i + 1 < g.rows; ++i) {
        const double y0 = i * sp, y1 = (i + 1) * sp;
        int runStart = 0, runClass = 0;
        bool inRun = false;
        const auto endRun = [&](int j) {
            if (inRun)
                piece(runClass,
                      {{runStart * sp, y0}, {j * sp, y0}, {j * sp, y1}, {runStart * sp, y1}});
            inRun = false;
        };
        for (int j = 0; j + 1 < g.cols; ++j) {
            // Ground outside the site is no earthwork: left uncoloured.
            if (g.mask && g.mask->cover(i * (g.cols - 1) + j) == OutlineMask::Cover::Outside) {
                endRun(j);
                continue;
            }
            BandCorner c[5];
            cellCorners(m, i, j, c);
            const int cls = ramp.classOf(c[4].v);
            bool oneClass = true, worked = true;
            for (const BandCorner& corner : c) {
                oneClass = oneClass && ramp.classOf(corner.v) == cls;
                worked = worked && corner.w >= 0;
            }
            // Depth 0 at every corner is untouched ground, daylight or not.
            const bool whole = oneClass && (cls == 0 || worked);
            if (whole) {
                if (inRun && runClass != cls)
                    endRun(j);
                if (!inRun) {
                    inRun = true;
                    runStart = j;
                    runClass = cls;
                }
                continue;
            }
            endRun(j);
            for (int t = 0; t < 4; ++t) {
                const BandCorner tri[3] = {c[t], c[(t + 1) % 4], c[4]};
                if (tri[0].v == 0 && tri[1].v == 0 && tri[2].v == 0) {
                    BandPolygon p;
                    p.count = 3;
                    std::copy(tri, tri + 3, p.c);
                    polygon(p, 0);
                    continue;
                }
                triangleBands(tri, levels, [&](int band, const BandPolygon& p) {
                    polygon(p, CutFillRamp::bandClass(band));
                });
                // The untouched side of the daylight line, where there is one.
                if (tri[0].w >= 0 && tri[1].w >= 0 && tri[2].w >= 0)
                    continue;
                BandPolygon rest;
                rest.count = 3;
                std::copy(tri, tri + 3, rest.c);
                rest = keepAtLeast(rest, &BandCorner::w, 0, -1);
                if (rest.count >= 3 && rest.area() > 0)
                    polygon(rest, 0);
            }
        }
        endRun(g.cols - 1);
    }
}

CutFillAreas cutFillAreas(const CutFillMap& m)
{
    CutFillAreas out;
    cutFillPieces(m, cutFillRamp(m.depth), [&](int cls, std::vector<QPointF>&& corners) {
        double twice = 0;
        for (std::size_t i = 0; i < corners.size(); ++i) {
            const QPointF &a = corners[i], &b = corners[(i + 1) % corners.size()];
            twice += a.x() * b.y() - b.x() * a.y();
        }
        (cls > 0 ? out.cut : cls < 0 ? out.fill : out.untouched) += std::abs(twice) / 2;
    });
    return out;
}

namespace {

void swatch(Surface& s, double x, double y, double w, double h, QRgb rgb)
{
    s.fillPolygon({{x, y}, {x + w, y}, {x + w, y - h}, {x, y - h}}, rgb);
    s.line(float(x), float(y), float(x + w), float(y));
    s.line(float(x + w), float(y), float(x + w), float(y - h));
    s.line(float(x + w), float(y - h), float(x), float(y - h));
    s.line(float(x), float(y - h), float(x), float(y));
}

// The depth contour at `level` over every triangle, as triangleZeroLine finds it, inside the
// works only: beyond a pad's daylight line the ground is untouched.
void depthLine(Surface& s, const CutFillMap& m, double level, int colour)
{
    const EarthworkGrid& g = m.depth;
    for (int i = 0; i + 1 < g.rows; ++i)
        for (int j = 0; j + 1 < g.cols; ++j) {
            BandCorner c[5];
            cellCorners(m, i, j, c);
            for (int t = 0; t < 4; ++t) {
                const BandCorner tri[3] = {c[t], c[(t + 1) % 4], c[4]};
                const double x[3] = {tri[0].x, tri[1].x, tri[2].x};
                const double y[3] = {tri[0].y, tri[1].y, tri[2].y};
                const double v[3] = {tri[0].v - level, tri[1].v - level, tri[2].v - level};
                triangleZeroLine(x, y, v, [&](double x1, double y1, double x2, double y2) {
                    // w is linear over the triangle: its value at a point from the corners'.
                    const auto wAt = [&](double px, double py) {
                        const double d =
                            (y[1] - y[2]) * (x[0] - x[2]) + (x[2] - x[1]) * (y[0] - y[2]);
                        const double a =
                            ((y[1] - y[2]) * (px - x[2]) + (x[2] - x[1]) * (py - y[2])) / d;
                        const double b =
                            ((y[2] - y[0]) * (px - x[2]) + (x[0] - x[2]) * (py - y[2])) / d;
                        return a * tri[0].w + b * tri[1].w + (1 - a - b) * tri[2].w;
                    };
                    const double w1 = wAt(x1, y1), w2 = wAt(x2, y2);
                    if (w1 < 0 && w2 < 0)
                        return;
                    if (w1 < 0 || w2 < 0) {
                        const double f = w1 / (w1 - w2);
                        const double cx = x1 + f * (x2 - x1), cy = y1 + f * (y2 - y1);
                        (w1 < 0 ? x1 : x2) = cx;
                        (w1 < 0 ? y1 : y2) = cy;
                    }
                    s.line(float(x1), float(y1), float(x2), float(y2), colour);
                });
            }
        }
}

} // namespace

void DrawCutFillMap(Surface& s, const CutFillMap& m, double aspect, double fontPoints)
{
    const EarthworkGrid& g = m.depth;
    const double w = (g.cols - 1) * g.spacing, h = (g.rows - 1) * g.spacing;
    const double extent = std::max({w, h, 1.0});
    const double margin = 0.04 * extent, legend = 0.5 * extent;
    double left = -margin, right = w + margin + legend, bottom = -margin, top = h + margin;
    if (aspect > 0 && std::isfinite(aspect)) {
        if ((right - left) / (top - bottom) < aspect)
            right = left + (top - bottom) * aspect;
        else {
            const double grow = (right - left) / aspect - (top - bottom);
            top += grow / 2;
            bottom -= grow / 2;
        }
    }
    s.setWorld(float(left), float(top), float(right), float(bottom));
    s.setFont(QStringLiteral("AngsanaUPC"), fontPoints, false);
    const CutFillRamp ramp = cutFillRamp(g);
    if (g.cellCount() == 0)
        return;

    cutFillPieces(m, ramp, [&](int cls, std::vector<QPointF>&& corners) {
        s.fillPolygon(corners, CutFillRamp::colour(cls));
    });
    // The grid's outline.
    s.setLineWidth(1);
    s.line(0, 0, float(w), 0);
    s.line(float(w), 0, float(w), float(h));
    s.line(float(w), float(h), 0, float(h));
    s.line(0, float(h), 0, 0);
    if (g.mask) {
        const auto& o = g.mask->outline();
        for (std::size_t i = 0; i < o.size(); ++i) {
            const auto& [x1, y1] = o[i];
            const auto& [x2, y2] = o[(i + 1) % o.size()];
            s.line(float(x1), float(y1), float(x2), float(y2), colour::BrightBlue);
        }
    }

    if (m.contourInterval > 0) {
        double deepest = 0;
        for (double d : g.h)
            deepest = std::max(deepest, std::abs(d));
        const double levels = std::floor(deepest / m.contourInterval);
        if (levels <= MaxContourLevels)
            for (int n = 1; n <= int(levels); ++n)
                for (double level : {n * m.contourInterval, -n * m.contourInterval})
                    depthLine(s, m, level, ContourColour);
    }

    s.setLineWidth(3);
    depthLine(s, m, 0, Surface::ForeColour);
    if (!m.daylight.empty()) {
        s.setLineWidth(2);
        forEachTriangle(
            g, m.daylight, 0, [&](const double(&x)[3], const double(&y)[3], const double(&v)[3]) {
                triangleZeroLine(x, y, v, [&](double x1, double y1, double x2, double y2) {
                    s.line(float(x1), float(y1), float(x2), float(y2), DaylightColour);
                });
            });
    }
    if (m.pad) {
        const float x0 = float(m.pad->c0 * g.spacing), x1 = float(m.pad->c1 * g.spacing);
        const float y0 = float(m.pad->r0 * g.spacing), y1 = float(m.pad->r1 * g.spacing);
        s.setLineWidth(2);
        s.line(x0, y0, x1, y0);
        s.line(x1, y0, x1, y1);
        s.line(x1, y1, x0, y1);
        s.line(x0, y1, x0, y0);
    }
    // The legend's lines: two captions, the swatches, a gap and up to five line keys. A legend
    // taller than the picture is written smaller.
    const double legendLines = 2 * 1.1 + 2 * CutFillRamp::Classes + 1 + 0.5 + 5 + 0.5;
    double line = s.textHeight(QStringLiteral("ดินตัด")) * 1.25;
    if (legendLines * line > top - bottom) {
        fontPoints *= (top - bottom) / (legendLines * line);
        s.setFont(QStringLiteral("AngsanaUPC"), fontPoints, false);
        line = s.textHeight(QStringLiteral("ดินตัด")) * 1.25;
    }
    const float mark = float(std::min(line * 0.3, g.spacing * 0.3));
    s.setLineWidth(2);
    for (int n : m.openEdge) {
        const float x = float((n % g.cols) * g.spacing), y = float((n / g.cols) * g.spacing);
        s.line(x - mark, y - mark, x + mark, y + mark, OpenEdgeColour);
        s.line(x - mark, y + mark, x + mark, y - mark, OpenEdgeColour);
    }

    // The legend, from the top of the grid down.
    s.setLineWidth(1);
    const double lx = w + 2 * margin, box = line * 1.6, textX = lx + box + line * 0.5;
    double y = top - line * 0.2;
    const auto caption = [&](const QString& text, bool bold) {
        s.setFont(QStringLiteral("AngsanaUPC"), fontPoints, bold);
        s.moveTo(float(lx), float(y));
        s.text(text);
        y -= line * 1.1;
    };
    const auto entry = [&](QRgb rgb, const QString& text) {
        swatch(s, lx, y, box, line * 0.8, rgb);
        s.moveTo(float(textX), float(y));
        s.text(text);
        y -= line;
    };
    const auto range = [&](int cls) {
        const double lo = (std::abs(cls) - 1) * ramp.step;
        const QString from = formatPicture(lo, 2);
        return std::abs(cls) == CutFillRamp::Classes
                   ? QStringLiteral("มากกว่า %1").arg(from)
                   : QStringLiteral("%1 – %2").arg(from, formatPicture(lo + ramp.step, 2));
    };
    caption(QStringLiteral("ดินตัด (เมตร)"), true);
    for (int c = CutFillRamp::Classes; c >= 1; --c)
        entry(CutFillRamp::colour(c), range(c));
    caption(QStringLiteral("ดินถม (เมตร)"), true);
    for (int c = 1; c <= CutFillRamp::Classes; ++c)
        entry(CutFillRamp::colour(-c), range(-c));
    entry(NoDepth, QStringLiteral("ไม่ตัดไม่ถม"));
    y -= line * 0.5;
    const auto lineEntry = [&](int width, int colour, const QString& text) {
        s.setLineWidth(width);
        const float ly = float(y - line * 0.4);
        s.line(float(lx), ly, float(lx + box), ly, colour);
        s.setLineWidth(1);
        s.moveTo(float(textX), float(y));
        s.text(text);
        y -= line;
    };
    lineEntry(3, Surface::ForeColour, QStringLiteral("แนวศูนย์ (ดินเดิม = แบบ)"));
    if (m.contourInterval > 0)
        lineEntry(1, ContourColour,
                  QStringLiteral("ความลึกทุก %1 เมตร").arg(formatPicture(m.contourInterval, 2)));
    if (m.pad) {
        lineEntry(2, Surface::ForeColour, QStringLiteral("ขอบแท่น"));
        lineEntry(2, DaylightColour, QStringLiteral("แนวลาดจรดดินเดิม"));
    }
    if (g.mask)
        lineEntry(1, colour::BrightBlue, QStringLiteral("ขอบเขตพื้นที่สำรวจ"));
    if (!m.openEdge.empty()) {
        s.setLineWidth(2);
        const float cx = float(lx + box / 2), cy = float(y - line * 0.4);
        s.line(cx - mark, cy - mark, cx + mark, cy + mark, OpenEdgeColour);
        s.line(cx - mark, cy + mark, cx + mark, cy - mark, OpenEdgeColour);
        s.setLineWidth(1);
        s.moveTo(float(textX), float(y));
        s.text(QStringLiteral("ลาดเลยขอบกริด %1 จุด").arg(m.openEdge.size()));
    }
}

} // namespace tervan
