#include "graphics/imagesurface.h"

#include "common/vectorstate.h"
#include "graphics/glyphcache.h"
#include "graphics/palette.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <algorithm>
#include <cmath>

namespace tervan {

namespace {

QRgb rgbOf(int colour)
{
    return colour == Surface::ForeColour ? qRgb(0, 0, 0) : paletteRgb(colour);
}

int clampedFloor(double v)
{
    if (!std::isfinite(v))
        return std::numeric_limits<int>::min();
    return int(std::floor(std::clamp(v, -1e9, 1e9)));
}

// The surface draws in device pixels: the painter must not scale by the image's ratio.
qreal takePixelRatio(QImage& image)
{
    const qreal ratio = image.devicePixelRatio();
    image.setDevicePixelRatio(1);
    return ratio;
}

} // namespace

ImageSurface::ImageSurface(QImage& image)
    : m_image(image), m_ratio(takePixelRatio(image)), m_painter(&image)
{
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    // The painter has detached the image already; lines write through these directly.
    m_bits = m_image.bits();
    m_stride = m_image.bytesPerLine();
    m_width = m_image.width();
    m_height = m_image.height();
    setWorld(0, 0, float(image.width()), float(image.height()));
    m_lineWidth = devicePixels(1);
    if (m_ratio != 1) {
        QFont font = m_painter.font();
        font.setPointSizeF(font.pointSizeF() * m_ratio);
        m_painter.setFont(font);
    }
    fontChanged();
}

ImageSurface::~ImageSurface()
{
    flushDot();
    m_painter.end();
    m_image.setDevicePixelRatio(m_ratio);
}

int ImageSurface::devicePixels(int pixels) const
{
    return std::max(1, int(std::lround(pixels * m_ratio)));
}

void ImageSurface::plotDot(int dx, int dy, QRgb rgb)
{
    const int size = devicePixels(1);
    for (int y = dy; y < std::min(dy + size, m_height); ++y) {
        auto* line = reinterpret_cast<QRgb*>(m_image.scanLine(y));
        for (int x = dx; x < std::min(dx + size, m_width); ++x)
            line[x] = rgb;
    }
}

void ImageSurface::setWorld(float left, float top, float right, float bottom)
{
    m_left = left;
    m_top = top;
    m_xScale = m_width / (double(right) - left);
    m_yScale = m_height / (double(bottom) - top);
}

QPointF ImageSurface::toDevice(float x, float y) const
{
    return {(x - m_left) * m_xScale, (y - m_top) * m_yScale};
}

int ImageSurface::deviceColumn(float x) const
{
    return clampedFloor((x - m_left) * m_xScale);
}

int ImageSurface::deviceRow(float y) const
{
    return clampedFloor((y - m_top) * m_yScale);
}

void ImageSurface::clear()
{
    m_dot.reset();
    m_image.fill(Qt::white);
    m_x = m_y = 0;
}

void ImageSurface::fillTriangle(float x1, float y1, float x2, float y2, float x3, float y3,
                                QRgb rgb)
{
    flushDot();
    std::array<QPointF, 3> p{toDevice(x1, y1), toDevice(x2, y2), toDevice(x3, y3)};
    std::sort(p.begin(), p.end(), [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
    if (!std::isfinite(p[0].y()) || !std::isfinite(p[2].y()) || p[2].y() - p[0].y() <= 0)
        return;
    // Pixels whose centres lie inside, so triangles sharing an edge neither overlap nor leave
    // a gap between them.
    const auto xAt = [](const QPointF& a, const QPointF& b, double y) {
        return a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y());
    };
    const int top = std::max(0, int(std::ceil(p[0].y() - 0.5)));
    const int bottom = std::min(m_height, int(std::ceil(p[2].y() - 0.5)));
    for (int row = top; row < bottom; ++row) {
        const double y = row + 0.5;
        const double long_ = xAt(p[0], p[2], y);
        const double short_ = y < p[1].y() ? xAt(p[0], p[1], y) : xAt(p[1], p[2], y);
        const int from = std::max(0, int(std::ceil(std::min(long_, short_) - 0.5)));
        const int to = std::min(m_width, int(std::ceil(std::max(long_, short_) - 0.5)));
        auto* line = reinterpret_cast<QRgb*>(m_bits + row * m_stride);
        std::fill(line + from, line + std::max(from, to), rgb | 0xff000000u);
    }
}

std::optional<PixelRaster> ImageSurface::pixelRaster()
{
    flushDot();
    return PixelRaster{m_bits, m_stride, m_width,  m_height,       m_left,
                       m_top,  m_xScale, m_yScale, devicePixels(1)};
}

void ImageSurface::setPixel(float x, float y, int colour)
{
    flushDot();
    const int dx = deviceColumn(x), dy = deviceRow(y);
    if (dx < 0 || dy < 0 || dx >= m_width || dy >= m_height)
        return;
    plotDot(dx, dy, rgbOf(colour));
}

void ImageSurface::setLattice(const std::vector<float>& xs, const std::vector<float>& ys,
                              int colour)
{
    // Each device column and row once: the cost follows the image, not the point count.
    auto onImage = [](const std::vector<float>& values, auto toDevice, int size) {
        std::vector<int> out;
        int last = std::numeric_limits<int>::min();
        for (float v : values) {
            const int d = toDevice(v);
            if (d >= 0 && d < size && d != last)
                out.push_back(d);
            last = d;
        }
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
        return out;
    };
    const auto columns = onImage(
        xs, [this](float x) { return deviceColumn(x); }, m_width);
    const auto rows = onImage(
        ys, [this](float y) { return deviceRow(y); }, m_height);
    flushDot();
    const QRgb rgb = rgbOf(colour);
    if (devicePixels(1) > 1) {
        for (int dy : rows)
            for (int dx : columns)
                plotDot(dx, dy, rgb);
        return;
    }
    for (int dy : rows) {
        auto* line = reinterpret_cast<QRgb*>(m_image.scanLine(dy));
        for (int dx : columns)
            line[dx] = rgb;
    }
}

void ImageSurface::line(float x1, float y1, float x2, float y2, int colour)
{
    plotLine({(x1 - m_left) * m_xScale, (y1 - m_top) * m_yScale},
             {(x2 - m_left) * m_xScale, (y2 - m_top) * m_yScale}, rgbOf(colour), m_lineWidth);
}

// Lines go straight into the image: a fine contour picture has a million short ones, and the
// painter's general path would cost most of its redraw. Pixels are those the points fall in,
// as for single pixels; a two-pixel line is doubled across its direction.
//
// A zero-length line (a contour's first crossing in a cell) is held back: when the next line
// starts on its pixel in the same colour and covers its second pixel too, it adds nothing and
// is dropped. A third of a contour picture's lines are such dots. Inlined into line(): ten
// million calls on a fine contour picture.
Q_ALWAYS_INLINE void ImageSurface::plotLine(QPointF a, QPointF b, QRgb rgb, int width)
{
    const double x0 = a.x(), y0 = a.y(), x1 = b.x(), y1 = b.y();
    const double right = m_width - 1e-6, bottom = m_height - 1e-6;
    const double dx = x1 - x0, dy = y1 - y0;
    Run run;
    // Wholly on the image (and finite), clipping would keep both ends as they are.
    if (x0 >= 0 && x0 <= right && x1 >= 0 && x1 <= right && y0 >= 0 && y0 <= bottom && y1 >= 0 &&
        y1 <= bottom) {
        run.ax = int(x0);
        run.ay = int(y0);
        run.bx = int(x0 + dx);
        run.by = int(y0 + dy);
        addRun(run, rgb, width);
        return;
    }
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) {
        flushDot();
        return;
    }
    // Clip to the image first, so that the pixel walk is bounded by the image.
    double t0 = 0, t1 = 1;
    auto clip = [&t0, &t1](double p, double q) {
        if (p == 0)
            return q >= 0;
        const double r = q / p;
        if (p < 0) {
            if (r > t1)
                return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0)
                return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    if (!clip(-dx, x0) || !clip(dx, right - x0) || !clip(-dy, y0) || !clip(dy, bottom - y0)) {
        flushDot();
        return;
    }
    run.ax = int(std::floor(x0 + t0 * dx));
    run.ay = int(std::floor(y0 + t0 * dy));
    run.bx = int(std::floor(x0 + t1 * dx));
    run.by = int(std::floor(y0 + t1 * dy));
    addRun(run, rgb, width);
}

Q_ALWAYS_INLINE void ImageSurface::addRun(Run& run, QRgb rgb, int width)
{
    run.rgb = rgb;
    run.width = std::max(1, width);
    if (m_dot) {
        // Both walks start on the same pixel; across the direction a dot is doubled in y,
        // so a wide steep line would leave its second pixel uncovered.
        const bool covered = m_dot->ax == run.ax && m_dot->ay == run.ay && m_dot->rgb == rgb &&
                             m_dot->width == run.width && (run.width == 1 || !run.steep());
        if (!covered)
            flushDot();
        m_dot.reset();
    }
    if (run.ax == run.bx && run.ay == run.by)
        m_dot = run;
    else
        walk(run);
}

void ImageSurface::flushDot()
{
    if (m_dot) {
        walk(*m_dot);
        m_dot.reset();
    }
}

namespace {

// The pixels from (ax, ay) to (bx, by), each handed to `plot`.
template <typename Plot> void bresenham(int ax, int ay, int bx, int by, Plot plot)
{
    const int sx = bx >= ax ? 1 : -1, sy = by >= ay ? 1 : -1;
    const int ddx = std::abs(bx - ax), ddy = -std::abs(by - ay);
    int x = ax, y = ay;
    int error = ddx + ddy;
    for (;;) {
        plot(x, y);
        if (x == bx && y == by)
            break;
        // Without branches: which way a contour's short segment steps is a coin toss for the
        // branch predictor.
        const int e2 = 2 * error;
        const bool stepX = e2 >= ddy, stepY = e2 <= ddx;
        error += (stepX ? ddy : 0) + (stepY ? ddx : 0);
        x += stepX ? sx : 0;
        y += stepY ? sy : 0;
    }
}

} // namespace

void ImageSurface::walk(const Run& r)
{
    uchar* const bits = m_bits;
    const qsizetype stride = m_stride;
    const QRgb rgb = r.rgb;
    const int w = m_width, h = m_height;
    const auto onImage = [w, h](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h; };
    if (r.width == 1 && onImage(r.ax, r.ay) && onImage(r.bx, r.by)) {
        // Every pixel between two ends on the image is on it too. (Clipping far-off lines
        // can leave an end a rounding error outside, so that is checked rather than assumed.)
        bresenham(r.ax, r.ay, r.bx, r.by, [bits, stride, rgb](int x, int y) {
            reinterpret_cast<QRgb*>(bits + y * stride)[x] = rgb;
        });
        return;
    }
    const bool steep = r.steep();
    for (int offset = 0; offset < r.width; ++offset) {
        bresenham(r.ax, r.ay, r.bx, r.by, [&](int x, int y) {
            const int px = steep ? x + offset : x, py = steep ? y : y + offset;
            if (onImage(px, py))
                reinterpret_cast<QRgb*>(bits + py * stride)[px] = rgb;
        });
    }
}

void ImageSurface::setLineWidth(int pixels)
{
    m_lineWidth = devicePixels(pixels);
}

void ImageSurface::moveTo(float x, float y)
{
    m_x = x;
    m_y = y;
}

bool ImageSurface::drawPlainText(const QPointF& at, const QString& text, QRgb rgb)
{
    if (!m_rawFont.isValid() || text.size() > 64)
        return false;
    quint32 glyphs[64];
    QPointF positions[64];
    qreal x = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 128 || m_glyphs[c] == 0)
            return false;
        glyphs[i] = m_glyphs[c];
        positions[i] = QPointF(x, 0);
        x += m_advances[c];
    }
    if (at.x() + x < 0)
        return true;
    const QPointF pen(at.x(), at.y() + m_ascent);
    // The masks are made on a probe image with room for label-sized glyphs only.
    if (m_useGlyphCache && m_lineHeight < GlyphCache::LargestLineHeight) {
        if (!m_glyphCache)
            m_glyphCache = std::make_unique<GlyphCache>(m_painter.font(), m_painter.renderHints());
        for (qsizetype i = 0; i < text.size(); ++i)
            m_glyphCache->draw(m_bits, m_stride, m_width, m_height, glyphs[i],
                               pen.x() + positions[i].x(), pen.y() + positions[i].y(), rgb);
        // The painter may have left the vector unit in its wide state while making masks.
        clearUpperVectorState();
        return true;
    }
    m_painter.setPen(QColor(rgb));
    QGlyphRun run;
    run.setRawFont(m_rawFont);
    run.setRawData(glyphs, positions, int(text.size()));
    m_painter.drawGlyphRun(pen, run);
    return true;
}

void ImageSurface::text(const QString& text, int colour)
{
    flushDot();
    const QPointF at = toDevice(m_x, m_y);
    // Off the image, nothing of the text can show.
    if (at.x() > m_width || at.y() > m_height || at.y() + m_lineHeight < 0)
        return;
    if (drawPlainText(at, text, rgbOf(colour)))
        return;
    m_painter.setPen(QColor(rgbOf(colour)));
    m_painter.drawText(QPointF(at.x(), at.y() + m_ascent), text);
}

QPointF ImageSurface::shownScale() const
{
    return {std::fabs(m_xScale), std::fabs(m_yScale)};
}

void ImageSurface::rotatedText(float x, float y, float degrees, const QString& text, int colour)
{
    flushDot();
    const QPointF at = toDevice(x, y);
    if (!std::isfinite(at.x()) || !std::isfinite(at.y()))
        return;
    const QFontMetricsF metrics(m_painter.font(), &m_image);
    m_painter.save();
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    m_painter.translate(at);
    m_painter.rotate(-degrees);
    m_painter.setPen(QColor(rgbOf(colour)));
    m_painter.drawText(QPointF(-metrics.horizontalAdvance(text) / 2, m_ascent - m_lineHeight / 2),
                       text);
    m_painter.restore();
}

float ImageSurface::textWidth(const QString& text)
{
    const QFontMetricsF metrics(m_painter.font(), &m_image);
    return float(metrics.horizontalAdvance(text) / std::fabs(m_xScale));
}

float ImageSurface::textHeight(const QString&)
{
    return float(m_lineHeight / std::fabs(m_yScale));
}

void ImageSurface::setFont(const QString& family, double points, bool bold)
{
    QFont font(family);
    font.setPointSizeF(points * m_ratio);
    font.setBold(bold);
    m_painter.setFont(font);
    fontChanged();
}

void ImageSurface::fontChanged()
{
    const QFontMetricsF metrics(m_painter.font(), &m_image);
    m_ascent = metrics.ascent();
    m_lineHeight = metrics.height();
    m_glyphCache.reset();
    m_rawFont = QRawFont::fromFont(m_painter.font());
    m_glyphs.fill(0);
    if (!m_rawFont.isValid())
        return;
    // Only characters whose glyphs stand on their own, without kerning or shaping.
    for (char16_t c = 32; c < 127; ++c) {
        const QChar ch(c);
        const QList<quint32> index = m_rawFont.glyphIndexesForString(QString(ch));
        if (index.size() != 1 || index[0] == 0)
            continue;
        m_glyphs[c] = index[0];
        m_advances[c] = metrics.horizontalAdvance(ch);
    }
}

} // namespace tervan
