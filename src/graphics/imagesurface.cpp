#include "graphics/imagesurface.h"

#include "graphics/palette.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <cmath>

namespace tervan {

namespace {

QRgb rgbOf(int colour)
{
    return colour == Surface::ForeColour ? qRgb(0, 0, 0) : paletteColour(colour).rgb();
}

int clampedFloor(double v)
{
    if (!std::isfinite(v))
        return std::numeric_limits<int>::min();
    return int(std::floor(std::clamp(v, -1e9, 1e9)));
}

} // namespace

ImageSurface::ImageSurface(QImage& image) : m_image(image), m_painter(&image)
{
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    setWorld(0, 0, float(image.width()), float(image.height()));
    fontChanged();
}

ImageSurface::~ImageSurface()
{
    flush();
}

void ImageSurface::setWorld(float left, float top, float right, float bottom)
{
    m_left = left;
    m_top = top;
    m_xScale = m_image.width() / (double(right) - left);
    m_yScale = m_image.height() / (double(bottom) - top);
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
    m_lines.clear();
    m_points.clear();
    m_image.fill(Qt::white);
    m_x = m_y = 0;
}

void ImageSurface::setPixel(float x, float y, int colour)
{
    const int dx = deviceColumn(x), dy = deviceRow(y);
    if (dx < 0 || dy < 0 || dx >= m_image.width() || dy >= m_image.height())
        return;
    flush();
    reinterpret_cast<QRgb*>(m_image.scanLine(dy))[dx] = rgbOf(colour);
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
        xs, [this](float x) { return deviceColumn(x); }, m_image.width());
    const auto rows = onImage(
        ys, [this](float y) { return deviceRow(y); }, m_image.height());
    const QRgb rgb = rgbOf(colour);
    flush();
    for (int dy : rows) {
        auto* line = reinterpret_cast<QRgb*>(m_image.scanLine(dy));
        for (int dx : columns)
            line[dx] = rgb;
    }
}

void ImageSurface::line(float x1, float y1, float x2, float y2, int colour)
{
    // Contour redraws draw a million lines: they are collected per pen and drawn together.
    const QRgb rgb = rgbOf(colour);
    if (rgb != m_penColour || m_lineWidth != m_penWidth) {
        flush();
        QPen pen{QColor(rgb)};
        pen.setWidth(m_lineWidth);
        m_painter.setPen(pen);
        m_penColour = rgb;
        m_penWidth = m_lineWidth;
    }
    const QPointF a = toDevice(x1, y1), b = toDevice(x2, y2);
    if (a == b)
        m_points.append(a);
    else
        m_lines.append(QLineF(a, b));
}

void ImageSurface::flush()
{
    if (!m_lines.isEmpty())
        m_painter.drawLines(m_lines);
    if (!m_points.isEmpty())
        m_painter.drawPoints(m_points.constData(), int(m_points.size()));
    m_lines.clear();
    m_points.clear();
}

void ImageSurface::setLineWidth(int pixels)
{
    m_lineWidth = std::max(1, pixels);
}

void ImageSurface::moveTo(float x, float y)
{
    m_x = x;
    m_y = y;
}

bool ImageSurface::drawPlainText(const QPointF& at, const QString& text)
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
    QGlyphRun run;
    run.setRawFont(m_rawFont);
    run.setRawData(glyphs, positions, int(text.size()));
    m_painter.drawGlyphRun(QPointF(at.x(), at.y() + m_ascent), run);
    return true;
}

void ImageSurface::text(const QString& text, int colour)
{
    const QPointF at = toDevice(m_x, m_y);
    // Off the image, nothing of the text can show.
    if (at.x() > m_image.width() || at.y() > m_image.height() || at.y() + m_lineHeight < 0)
        return;
    flush();
    m_painter.setPen(QColor(rgbOf(colour)));
    m_penWidth = -1;
    if (drawPlainText(at, text))
        return;
    m_painter.drawText(QPointF(at.x(), at.y() + m_ascent), text);
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
    font.setPointSizeF(points);
    font.setBold(bold);
    m_painter.setFont(font);
    fontChanged();
}

void ImageSurface::fontChanged()
{
    const QFontMetricsF metrics(m_painter.font(), &m_image);
    m_ascent = metrics.ascent();
    m_lineHeight = metrics.height();
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
