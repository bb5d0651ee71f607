#include "grading/cutfillmap.h"

#include "common/numbertext.h"
#include "grading/designsurface.h"
#include "graphics/palette.h"
#include "graphics/surface.h"

#include <QColor>
#include <algorithm>
#include <array>
#include <cmath>

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

void swatch(Surface& s, double x, double y, double w, double h, QRgb rgb)
{
    s.fillTriangle(float(x), float(y), float(x + w), float(y), float(x + w), float(y - h), rgb);
    s.fillTriangle(float(x), float(y), float(x + w), float(y - h), float(x), float(y - h), rgb);
    s.line(float(x), float(y), float(x + w), float(y));
    s.line(float(x + w), float(y), float(x + w), float(y - h));
    s.line(float(x + w), float(y - h), float(x), float(y - h));
    s.line(float(x), float(y - h), float(x), float(y));
}

// Zero lines of v minus level over every triangle, in one colour and width.
void zeroLines(Surface& s, const EarthworkGrid& g, const std::vector<double>& v, double level)
{
    forEachTriangle(
        g, v, level, [&](const double(&x)[3], const double(&y)[3], const double(&val)[3]) {
            triangleZeroLine(x, y, val, [&](double x1, double y1, double x2, double y2) {
                s.line(float(x1), float(y1), float(x2), float(y2), s.ForeColour);
            });
        });
}

// Each triangle in the colour of its mean depth. Runs of cells along a row whose four
// triangles share one colour are filled as one rectangle: the same pixels, far fewer calls
// on smooth ground.
void fillTriangles(Surface& s, const EarthworkGrid& g, const CutFillRamp& ramp)
{
    const double sp = g.spacing;
    for (int i = 0; i + 1 < g.rows; ++i) {
        const float y0 = float(i * sp), y1 = float((i + 1) * sp);
        int runStart = 0, runClass = 0;
        bool inRun = false;
        const auto endRun = [&](int j) {
            if (inRun) {
                const float x0 = float(runStart * sp), x1 = float(j * sp);
                const QRgb rgb = CutFillRamp::colour(runClass);
                s.fillTriangle(x0, y0, x1, y0, x1, y1, rgb);
                s.fillTriangle(x0, y0, x1, y1, x0, y1, rgb);
            }
            inRun = false;
        };
        for (int j = 0; j + 1 < g.cols; ++j) {
            const std::size_t k = std::size_t(i) * std::size_t(g.cols) + std::size_t(j);
            const std::size_t up = k + std::size_t(g.cols);
            // Ground outside the site is no earthwork: left uncoloured.
            if (g.mask && g.mask->cover(i * (g.cols - 1) + j) == OutlineMask::Cover::Outside) {
                endRun(j);
                continue;
            }
            const double v[4] = {g.h[k], g.h[k + 1], g.h[up + 1], g.h[up]};
            const double c = (v[0] + v[1] + v[2] + v[3]) / 4;
            int cls[4];
            for (int t = 0; t < 4; ++t)
                cls[t] = ramp.classOf((v[t] + v[(t + 1) % 4] + c) / 3);
            if (cls[0] == cls[1] && cls[1] == cls[2] && cls[2] == cls[3]) {
                if (inRun && runClass != cls[0])
                    endRun(j);
                if (!inRun) {
                    inRun = true;
                    runStart = j;
                    runClass = cls[0];
                }
                continue;
            }
            endRun(j);
            const float x[5] = {float(j * sp), float((j + 1) * sp), float((j + 1) * sp),
                                float(j * sp), float((j + 0.5) * sp)};
            const float y[5] = {y0, y0, y1, y1, float((i + 0.5) * sp)};
            for (int t = 0; t < 4; ++t) {
                const int u = (t + 1) % 4;
                s.fillTriangle(x[t], y[t], x[u], y[u], x[4], y[4], CutFillRamp::colour(cls[t]));
            }
        }
        endRun(g.cols - 1);
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

    fillTriangles(s, g, ramp);
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
                    forEachTriangle(
                        g, g.h, level,
                        [&](const double(&x)[3], const double(&y)[3], const double(&v)[3]) {
                            triangleZeroLine(x, y, v,
                                             [&](double x1, double y1, double x2, double y2) {
                                                 s.line(float(x1), float(y1), float(x2), float(y2),
                                                        ContourColour);
                                             });
                        });
    }

    s.setLineWidth(3);
    zeroLines(s, g, g.h, 0);
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
