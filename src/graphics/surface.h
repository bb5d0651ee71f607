#pragma once

#include <QPoint>
#include <QRgb>
#include <QString>
#include <optional>
#include <vector>

namespace tervan {

// The device pixels of a surface made of them, for drawings that decide pixel by pixel. A world
// point (x, y) falls in device column floor((x - left) * xScale) and row floor((y - top) *
// yScale); a one-pixel line is `lineWidth` device pixels wide.
struct PixelRaster
{
    uchar* bits = nullptr;
    qsizetype stride = 0;
    int width = 0, height = 0;
    double left = 0, top = 0, xScale = 1, yScale = 1;
    int lineWidth = 1;

    QRgb* row(int y) const { return reinterpret_cast<QRgb*>(bits + y * stride); }
};

// What the plots draw on, in world units with a user scale set by its corners (Y may grow
// upwards; the two axes scale independently). The screen, the printed page and the test
// recorder implement it. Colours are palette indexes; ForeColour is the surface's own
// foreground (black). Text is written at the current position with its top-left corner there.
class Surface
{
public:
    static constexpr int ForeColour = -1;

    virtual ~Surface() = default;

    virtual void setWorld(float left, float top, float right, float bottom) = 0;
    virtual void clear() = 0;
    virtual void setPixel(float x, float y, int colour) = 0;
    virtual void line(float x1, float y1, float x2, float y2, int colour = ForeColour) = 0;
    // In device pixels.
    virtual void setLineWidth(int pixels) = 0;
    virtual void moveTo(float x, float y) = 0;
    virtual void text(const QString& text, int colour = ForeColour) = 0;
    // Extents of a text in world units, as positive magnitudes.
    virtual float textWidth(const QString& text) = 0;
    virtual float textHeight(const QString& text) = 0;
    virtual void setFont(const QString& family, double points, bool bold) = 0;

    // One pixel at every (x, y) with x from xs and y from ys, columns outermost. Surfaces
    // made of pixels set each device pixel once however many points land on it.
    virtual void setLattice(const std::vector<float>& xs, const std::vector<float>& ys, int colour)
    {
        for (float x : xs)
            for (float y : ys)
                setPixel(x, y, colour);
    }

    // Device units per world unit along each axis, as positive magnitudes.
    virtual QPointF shownScale() const { return {1, 1}; }

    // Text centred at (x, y) and turned `degrees` counter-clockwise as shown. Surfaces that
    // cannot turn text write it level, starting at the point.
    virtual void rotatedText(float x, float y, float degrees, const QString& text,
                             int colour = ForeColour)
    {
        (void)degrees;
        moveTo(x, y);
        this->text(text, colour);
    }

    // A triangle filled in an RGB colour, edges included, for maps in more shades than the
    // palette holds. Surfaces that cannot fill areas leave it out.
    virtual void fillTriangle(float x1, float y1, float x2, float y2, float x3, float y3, QRgb rgb)
    {
        (void)x1, (void)y1, (void)x2, (void)y2, (void)x3, (void)y3, (void)rgb;
    }

    // A convex polygon filled in an RGB colour; surfaces without polygons of their own fill it
    // as triangles fanned from its first corner.
    virtual void fillPolygon(const std::vector<QPointF>& corners, QRgb rgb)
    {
        for (std::size_t i = 2; i < corners.size(); ++i)
            fillTriangle(float(corners[0].x()), float(corners[0].y()), float(corners[i - 1].x()),
                         float(corners[i - 1].y()), float(corners[i].x()), float(corners[i].y()),
                         rgb);
    }

    // Surfaces made of pixels finish what they hold back and hand out their pixels; the
    // others (paper, the recorder) keep every drawing in lines.
    virtual std::optional<PixelRaster> pixelRaster() { return std::nullopt; }
};

} // namespace tervan
