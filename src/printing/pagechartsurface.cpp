#include "printing/pagechartsurface.h"

#include "printing/mapfurniture.h"
#include "printing/pagesurface.h"

#include <cmath>

namespace tervan {

PageChartSurface::PageChartSurface(PageSurface& page, const QRectF& centimetres)
    : m_page(page), m_rect(centimetres)
{
    m_page.setUnitCentimetres();
}

void PageChartSurface::setWorld(float left, float top, float right, float bottom)
{
    m_left = left;
    m_top = top;
    m_xScale = m_rect.width() / (double(right) - left);
    m_yScale = m_rect.height() / (double(bottom) - top);
    if (!m_series)
        return;
    m_scale = std::max(mapScale(std::abs(double(right) - left), m_rect.width()),
                       mapScale(std::abs(double(bottom) - top), m_rect.height()));
    if (m_scale == 0)
        return;
    const double k = 100.0 / double(m_scale);
    m_xScale = std::copysign(k, m_xScale);
    m_yScale = std::copysign(k, m_yScale);
    m_left = (double(left) + right) / 2 - m_rect.width() / 2 / m_xScale;
    m_top = (double(top) + bottom) / 2 - m_rect.height() / 2 / m_yScale;
}

double PageChartSurface::pageX(double x) const
{
    return m_rect.left() + (x - m_left) * m_xScale;
}

double PageChartSurface::pageY(double y) const
{
    return m_rect.top() + (y - m_top) * m_yScale;
}

void PageChartSurface::setPixel(float x, float y, int colour)
{
    line(x, y, x, y, colour);
}

void PageChartSurface::line(float x1, float y1, float x2, float y2, int colour)
{
    m_page.line(pageX(x1), pageY(y1), pageX(x2), pageY(y2), colour);
}

void PageChartSurface::fillTriangle(float x1, float y1, float x2, float y2, float x3, float y3,
                                    QRgb rgb)
{
    std::vector<QPointF> corners{
        {pageX(x1), pageY(y1)}, {pageX(x2), pageY(y2)}, {pageX(x3), pageY(y3)}};
    m_page.fillPolygon(corners, rgb);
}

void PageChartSurface::fillPolygon(const std::vector<QPointF>& corners, QRgb rgb)
{
    std::vector<QPointF> onPage;
    onPage.reserve(corners.size());
    for (const QPointF& c : corners)
        onPage.emplace_back(pageX(c.x()), pageY(c.y()));
    m_page.fillPolygon(onPage, rgb);
}

void PageChartSurface::setLineWidth(int pixels)
{
    m_page.setLineWidth(pixels);
}

void PageChartSurface::moveTo(float x, float y)
{
    m_x = x;
    m_y = y;
}

void PageChartSurface::text(const QString& text, int colour)
{
    m_page.setX(pageX(m_x));
    m_page.setY(pageY(m_y));
    m_page.setForeColour(colour);
    m_page.print(text);
    m_page.setForeColour(PageSurface::ForeColour);
}

float PageChartSurface::textWidth(const QString& text)
{
    return float(std::abs(m_page.textWidth(text) / m_xScale));
}

float PageChartSurface::textHeight(const QString&)
{
    // A line of the font: 1.2 times its size, in centimetres.
    return float(std::abs(m_points * 1.2 / 72 * 2.54 / m_yScale));
}

void PageChartSurface::setFont(const QString& family, double points, bool bold)
{
    m_points = points;
    m_page.setFont(family, points, bold);
}

} // namespace tervan
