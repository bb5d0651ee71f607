#pragma once

#include "graphics/surface.h"

#include <QList>
#include <algorithm>

namespace tervan {

// Keeps every drawing operation in world units, so a drawing can be checked as "a line from
// (0, 10) to (30, 10)" rather than as pixels. Text extents are fixed per character.
class RecordingSurface final : public Surface
{
public:
    enum class Kind { World, Clear, Pixel, Line, LineWidth, Text, Font, Fill, TurnedText };
    struct Op
    {
        Op(Kind kind, float x1 = 0, float y1 = 0, float x2 = 0, float y2 = 0, int value = 0,
           const QString& text = {})
            : kind(kind), x1(x1), y1(y1), x2(x2), y2(y2), value(value), text(text)
        {
        }
        Kind kind;
        float x1, y1, x2, y2;
        int value;        // colour, line width or font size
        double angle = 0; // turned text
        QString text;
        bool operator==(const Op&) const = default;
    };

    explicit RecordingSurface(float charWidth = 1, float charHeight = 2)
        : m_charWidth(charWidth), m_charHeight(charHeight)
    {
    }

    void setWorld(float left, float top, float right, float bottom) override
    {
        m_ops.append(Op{Kind::World, left, top, right, bottom});
    }
    void clear() override { m_ops.append(Op{Kind::Clear}); }
    void setPixel(float x, float y, int colour) override
    {
        m_ops.append(Op{Kind::Pixel, x, y, x, y, colour});
    }
    void line(float x1, float y1, float x2, float y2, int colour = ForeColour) override
    {
        m_ops.append(Op{Kind::Line, x1, y1, x2, y2, colour});
    }
    void setLineWidth(int pixels) override
    {
        m_ops.append(Op{Kind::LineWidth, 0, 0, 0, 0, pixels});
    }
    void moveTo(float x, float y) override
    {
        m_x = x;
        m_y = y;
    }
    void text(const QString& text, int colour = ForeColour) override
    {
        m_ops.append(Op{Kind::Text, m_x, m_y, m_x, m_y, colour, text});
    }
    float textWidth(const QString& text) override { return m_charWidth * float(text.size()); }
    float textHeight(const QString&) override { return m_charHeight; }
    void setFont(const QString& family, double points, bool bold) override
    {
        m_ops.append(Op{Kind::Font, 0, 0, 0, 0, int(points), family + (bold ? " bold" : "")});
    }

    // Kept at its centre, with its angle.
    void rotatedText(float x, float y, float degrees, const QString& text,
                     int colour = ForeColour) override
    {
        Op op{Kind::TurnedText, x, y, x, y, colour, text};
        op.angle = degrees;
        m_ops.append(op);
    }

    // A fill is kept at its centroid, with the colour as value, and whole in fills().
    void fillTriangle(float x1, float y1, float x2, float y2, float x3, float y3, QRgb rgb) override
    {
        fillPolygon({{x1, y1}, {x2, y2}, {x3, y3}}, rgb);
    }
    void fillPolygon(const std::vector<QPointF>& corners, QRgb rgb) override
    {
        QPointF c;
        for (const QPointF& p : corners)
            c += p / double(std::max<std::size_t>(corners.size(), 1));
        m_ops.append(Op{Kind::Fill, float(c.x()), float(c.y()), float(c.x()), float(c.y()),
                        int(rgb & 0xffffff)});
        m_fills.push_back({corners, rgb});
    }

    struct Filled
    {
        std::vector<QPointF> corners;
        QRgb rgb;
    };
    const std::vector<Filled>& fills() const { return m_fills; }

    const QList<Op>& ops() const { return m_ops; }
    QList<Op> ops(Kind kind) const
    {
        QList<Op> out;
        for (const Op& op : m_ops)
            if (op.kind == kind)
                out.append(op);
        return out;
    }

private:
    float m_charWidth;
    float m_charHeight;
    float m_x = 0, m_y = 0;
    QList<Op> m_ops;
    std::vector<Filled> m_fills;
};

} // namespace tervan
