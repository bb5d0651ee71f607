#pragma once

#include "graphics/surface.h"

#include <QFont>
#include <QImage>
#include <QPainter>

namespace tervan {

// The screen surface: draws into a retained image in device pixels, without antialiasing,
// mapping the world window onto the whole image.
class ImageSurface final : public Surface
{
public:
    explicit ImageSurface(QImage& image);
    ~ImageSurface() override;

    void setWorld(float left, float top, float right, float bottom) override;
    void clear() override;
    void setPixel(float x, float y, int colour) override;
    void line(float x1, float y1, float x2, float y2, int colour = ForeColour) override;
    void setLineWidth(int pixels) override;
    void moveTo(float x, float y) override;
    void text(const QString& text) override;
    float textWidth(const QString& text) override;
    float textHeight(const QString& text) override;
    void setFont(const QString& family, double points, bool bold) override;
    std::optional<QPoint> devicePixel(float x, float y) const override;

private:
    QPointF toDevice(float x, float y) const;
    QColor colourOf(int colour) const;

    QImage& m_image;
    QPainter m_painter;
    double m_left = 0, m_top = 0, m_xScale = 1, m_yScale = 1;
    float m_x = 0, m_y = 0;
    int m_lineWidth = 1;
};

} // namespace tervan
