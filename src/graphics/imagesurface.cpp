#include "graphics/imagesurface.h"

#include "graphics/palette.h"

#include <QFontMetricsF>
#include <cmath>

namespace tervan {

ImageSurface::ImageSurface(QImage& image) : m_image(image), m_painter(&image)
{
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    setWorld(0, 0, float(image.width()), float(image.height()));
}

ImageSurface::~ImageSurface() = default;

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

std::optional<QPoint> ImageSurface::devicePixel(float x, float y) const
{
    const QPointF d = toDevice(x, y);
    if (!std::isfinite(d.x()) || !std::isfinite(d.y()))
        return std::nullopt;
    return QPoint(int(std::floor(std::clamp(d.x(), -1e9, 1e9))),
                  int(std::floor(std::clamp(d.y(), -1e9, 1e9))));
}

QColor ImageSurface::colourOf(int colour) const
{
    return colour == ForeColour ? QColor(Qt::black) : paletteColour(colour);
}

void ImageSurface::clear()
{
    m_image.fill(Qt::white);
    m_x = m_y = 0;
}

void ImageSurface::setPixel(float x, float y, int colour)
{
    const auto p = devicePixel(x, y);
    if (!p || !m_image.rect().contains(*p))
        return;
    reinterpret_cast<QRgb*>(m_image.scanLine(p->y()))[p->x()] = colourOf(colour).rgb();
}

void ImageSurface::line(float x1, float y1, float x2, float y2, int colour)
{
    QPen pen(colourOf(colour));
    pen.setWidth(m_lineWidth);
    m_painter.setPen(pen);
    m_painter.drawLine(toDevice(x1, y1), toDevice(x2, y2));
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

void ImageSurface::text(const QString& text)
{
    const QFontMetricsF metrics(m_painter.font(), &m_image);
    const QPointF at = toDevice(m_x, m_y);
    // Far off the image, nothing of the text can show.
    if (at.x() > m_image.width() || at.y() > m_image.height() || at.y() + metrics.height() < 0 ||
        at.x() + metrics.horizontalAdvance(text) < 0)
        return;
    m_painter.setPen(Qt::black);
    m_painter.drawText(QPointF(at.x(), at.y() + metrics.ascent()), text);
}

float ImageSurface::textWidth(const QString& text)
{
    const QFontMetricsF metrics(m_painter.font(), &m_image);
    return float(metrics.horizontalAdvance(text) / std::fabs(m_xScale));
}

float ImageSurface::textHeight(const QString&)
{
    const QFontMetricsF metrics(m_painter.font(), &m_image);
    return float(metrics.height() / std::fabs(m_yScale));
}

void ImageSurface::setFont(const QString& family, double points, bool bold)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    m_painter.setFont(font);
}

} // namespace tervan
