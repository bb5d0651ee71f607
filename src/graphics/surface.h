#pragma once

#include <QPoint>
#include <QString>
#include <optional>

namespace tervan {

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
    virtual void text(const QString& text) = 0;
    // Extents of a text in world units, as positive magnitudes.
    virtual float textWidth(const QString& text) = 0;
    virtual float textHeight(const QString& text) = 0;
    virtual void setFont(const QString& family, double points, bool bold) = 0;

    // The device pixel a world point lands on, for surfaces made of pixels; drawings use it
    // to avoid setting one pixel many times. Surfaces without pixels give nothing.
    virtual std::optional<QPoint> devicePixel(float x, float y) const
    {
        Q_UNUSED(x);
        Q_UNUSED(y);
        return std::nullopt;
    }
};

} // namespace tervan
