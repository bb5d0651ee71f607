#pragma once

#include "graphics/surface.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <array>
#include <cstdlib>
#include <memory>
#include <optional>

namespace tervan {

class GlyphCache;

// The screen surface: draws into a retained image in device pixels, without antialiasing,
// mapping the world window onto the whole image. A single dot may be held back until the
// next drawing call, flush() or the end of the surface (see plotLine). On an image with a
// device pixel ratio, text, line widths and dots grow by that ratio, so the picture is the
// same, only finer.
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
    QPointF shownScale() const override;
    void rotatedText(float x, float y, float degrees, const QString& text,
                     int colour = ForeColour) override;
    void fillTriangle(float x1, float y1, float x2, float y2, float x3, float y3,
                      QRgb rgb) override;
    std::optional<PixelRaster> pixelRaster() override;
    // Every pixel drawn so far is in the image.
    void flush() { flushDot(); }
    // Plain labels come from a cache of glyph masks unless turned off; the painter's own
    // glyph drawing gives the same pixels, slower.
    void setGlyphCacheEnabled(bool on) { m_useGlyphCache = on; }

private:
    QPointF toDevice(float x, float y) const;
    // Floor of the device coordinate, or an off-image value for anything not finite.
    int deviceColumn(float x) const;
    int deviceRow(float y) const;
    void fontChanged();
    // Pixels of a picture at ratio 1 in device pixels, at least one.
    int devicePixels(int pixels) const;
    void plotDot(int dx, int dy, QRgb rgb);
    // A clipped line in device pixels, both ends on the image.
    struct Run
    {
        int ax = 0, ay = 0, bx = 0, by = 0;
        QRgb rgb = 0;
        int width = 1;
        bool steep() const { return std::abs(by - ay) > std::abs(bx - ax); }
    };
    void plotLine(QPointF a, QPointF b, QRgb rgb, int width);
    void walk(const Run& run);
    // Draws a clipped line, or holds it back when it is a dot.
    void addRun(Run& run, QRgb rgb, int width);
    // Draws the dot held back, if any, before anything else changes the image.
    void flushDot();
    bool drawPlainText(const QPointF& at, const QString& text, QRgb rgb);

    QImage& m_image;
    qreal m_ratio;
    QPainter m_painter;
    uchar* m_bits = nullptr;
    qsizetype m_stride = 0;
    // The image's size, read once: its accessors are calls, and lines ask for it millions of times.
    int m_width = 0, m_height = 0;
    std::optional<Run> m_dot;
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
    bool m_useGlyphCache = true;
    std::unique_ptr<GlyphCache> m_glyphCache;
};

} // namespace tervan
