#pragma once

#include "graphics/surface.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <array>

namespace tervan {

// The screen surface: draws into a retained image in device pixels, without antialiasing,
// mapping the world window onto the whole image. On an image with a device pixel ratio, text,
// line widths and dots grow by that ratio, so the picture is the same, only finer.
class ImageSurface final : public Surface
{
public:
    explicit ImageSurface(QImage& image);
    ~ImageSurface() override;

    void setWorld(float left, float top, float right, float bottom) override;
    void clear() override;
    void setPixel(float x, float y, int colour) override;
    void setLattice(const std::vector<float>& xs, const std::vector<float>& ys,
                    int colour) override;
    void line(float x1, float y1, float x2, float y2, int colour = ForeColour) override;
    void setLineWidth(int pixels) override;
    void moveTo(float x, float y) override;
    void text(const QString& text, int colour = ForeColour) override;
    float textWidth(const QString& text) override;
    float textHeight(const QString& text) override;
    void setFont(const QString& family, double points, bool bold) override;

private:
    QPointF toDevice(float x, float y) const;
    // Floor of the device coordinate, or an off-image value for anything not finite.
    int deviceColumn(float x) const;
    int deviceRow(float y) const;
    void fontChanged();
    // Pixels of a picture at ratio 1 in device pixels, at least one.
    int devicePixels(int pixels) const;
    void plotDot(int dx, int dy, QRgb rgb);
    void plotLine(QPointF a, QPointF b, QRgb rgb, int width);
    bool drawPlainText(const QPointF& at, const QString& text);

    QImage& m_image;
    qreal m_ratio;
    QPainter m_painter;
    double m_left = 0, m_top = 0, m_xScale = 1, m_yScale = 1;
    float m_x = 0, m_y = 0;
    int m_lineWidth = 1;
    double m_ascent = 0;
    double m_lineHeight = 0;
    // Node labels are plain ASCII: their glyphs are looked up once instead of laid out
    // through the full text shaper for every label.
    QRawFont m_rawFont;
    std::array<quint32, 128> m_glyphs{};
    std::array<qreal, 128> m_advances{};
};

} // namespace tervan
