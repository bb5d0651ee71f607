#include "printing/pagesurface.h"

namespace tervan {

namespace {

constexpr double TwipsPerCentimetre = 1440 / 2.54;

} // namespace

void PageSurface::setUnitTwips()
{
    m_unit = Unit::Twips;
}

void PageSurface::setUnitCentimetres()
{
    m_unit = Unit::Centimetres;
}

void PageSurface::setUserScale(double left, double top, double right, double bottom)
{
    m_unit = Unit::User;
    m_left = left;
    m_top = top;
    m_right = right;
    m_bottom = bottom;
}

double PageSurface::scaleX() const
{
    switch (m_unit) {
    case Unit::Twips:
        return 1;
    case Unit::Centimetres:
        return TwipsPerCentimetre;
    case Unit::User:
        return m_printable.width() / (m_right - m_left);
    }
    return 1;
}

double PageSurface::toTwipsX(double v) const
{
    return m_unit == Unit::User ? (v - m_left) * scaleX() : v * scaleX();
}

double PageSurface::toTwipsY(double v) const
{
    switch (m_unit) {
    case Unit::Twips:
        return v;
    case Unit::Centimetres:
        return v * TwipsPerCentimetre;
    case Unit::User:
        return (v - m_top) * m_printable.height() / (m_bottom - m_top);
    }
    return v;
}

double PageSurface::fromTwipsX(double t) const
{
    return m_unit == Unit::User ? m_left + t / scaleX() : t / scaleX();
}

double PageSurface::fromTwipsY(double t) const
{
    switch (m_unit) {
    case Unit::Twips:
        return t;
    case Unit::Centimetres:
        return t / TwipsPerCentimetre;
    case Unit::User:
        return m_top + t * (m_bottom - m_top) / m_printable.height();
    }
    return t;
}

void PageSurface::setFont(const QString& face, double points, bool bold)
{
    m_font = QFont(face);
    m_font.setPointSizeF(points);
    m_font.setBold(bold);
}

void PageSurface::setFontSize(double points)
{
    m_font.setPointSizeF(points);
}

void PageSurface::setBold(bool bold)
{
    m_font.setBold(bold);
}

double PageSurface::x() const
{
    return fromTwipsX(m_x);
}

double PageSurface::y() const
{
    return fromTwipsY(m_y);
}

void PageSurface::setX(double x)
{
    m_x = toTwipsX(x);
}

void PageSurface::setY(double y)
{
    m_y = toTwipsY(y);
}

double PageSurface::pageWidth() const
{
    return m_printable.width() / scaleX();
}

double PageSurface::textWidth(const QString& text) const
{
    return m_backend.textWidthTwips(m_font, text) / scaleX();
}

void PageSurface::print(const QString& text)
{
    if (!text.isEmpty())
        m_backend.text({m_x, m_y}, text, m_font, m_colour);
    m_x += m_backend.textWidthTwips(m_font, text);
}

void PageSurface::printLine(const QString& text)
{
    // An empty line still opens the page, as any printed item does.
    m_backend.text({m_x, m_y}, text, m_font, m_colour);
    m_x = 0;
    m_y += m_backend.lineHeightTwips(m_font);
}

void PageSurface::polyline(std::vector<QPointF>& points, int colour)
{
    for (QPointF& point : points)
        point = {toTwipsX(point.x()), toTwipsY(point.y())};
    m_backend.polyline(points, colour == ForeColour ? m_colour : colour, m_lineWidth);
}

void PageSurface::line(double x1, double y1, double x2, double y2, int colour)
{
    m_backend.line({toTwipsX(x1), toTwipsY(y1)}, {toTwipsX(x2), toTwipsY(y2)},
                   colour == ForeColour ? m_colour : colour, m_lineWidth);
}

} // namespace tervan
