#pragma once

#include "graphics/surface.h"

#include <QRectF>

namespace tervan {

class PageSurface;

// Lets a picture drawn for the screen surface land in a rectangle of a printed page: world
// coordinates map onto `centimetres` (from the top-left of the printable area), the page is
// kept in centimetres, and text goes through the page's own font and line flow.
class PageChartSurface final : public Surface
{
public:
    PageChartSurface(PageSurface& page, const QRectF& centimetres);

    // Draws the world at the largest scale of the map series that fits the rectangle, centred
    // in it, rather than stretched to it.
    void useSeriesScale() { m_series = true; }
    // The series scale in use (its denominator), 0 when the picture is stretched.
    long scale() const { return m_scale; }
    // Where a world point lands on the page, in centimetres.
    QPointF toPage(double x, double y) const { return {pageX(x), pageY(y)}; }

    void setWorld(float left, float top, float right, float bottom) override;
    void clear() override {}
    void setPixel(float x, float y, int colour) override;
    void line(float x1, float y1, float x2, float y2, int colour = ForeColour) override;
    void setLineWidth(int pixels) override;
    void moveTo(float x, float y) override;
    void text(const QString& text, int colour = ForeColour) override;
    float textWidth(const QString& text) override;
    float textHeight(const QString& text) override;
    void setFont(const QString& family, double points, bool bold) override;
    void fillTriangle(float x1, float y1, float x2, float y2, float x3, float y3,
                      QRgb rgb) override;
    void fillPolygon(const std::vector<QPointF>& corners, QRgb rgb) override;

private:
    double pageX(double x) const;
    double pageY(double y) const;

    PageSurface& m_page;
    QRectF m_rect;
    double m_left = 0, m_top = 0, m_xScale = 1, m_yScale = 1;
    double m_points = 12;
    bool m_series = false;
    long m_scale = 0;
    float m_x = 0, m_y = 0;
};

} // namespace tervan
