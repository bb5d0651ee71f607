#include "printing/pagesurface.h"

#include <cmath>

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
    flush();
    m_y = toTwipsY(y);
}

double PageSurface::pageWidth() const
{
    return m_printable.width() / scaleX();
}

double PageSurface::pageHeight() const
{
    const double height = m_backend.printableTwips().height();
    return std::abs(fromTwipsY(height) - fromTwipsY(0));
}

double PageSurface::textWidth(const QString& text) const
{
    return m_backend.textWidthTwips(m_font, text) / scaleX();
}

double PageSurface::textHeight() const
{
    const double height = m_backend.lineHeightTwips(m_font);
    return std::abs(fromTwipsY(height) - fromTwipsY(0));
}

void PageSurface::print(const QString& text)
{
    if (!m_run.isEmpty() && m_x != m_runEnd) {
        // A text placed further along the same line limits the run before it, so that the
        // substitute face's wider letters never overprint it.
        const QPointF start = m_run.first().at;
        flush(m_y == start.y() && m_x > start.x() ? m_x : -1);
    }
    if (!text.isEmpty())
        m_run.append({{m_x, m_y}, text, m_font, m_colour});
    m_x += m_backend.textWidthTwips(m_font, text);
    m_runEnd = m_x;
}

void PageSurface::printLine(const QString& text)
{
    print(text);
    flush();
    // An empty line still opens the page, as any printed item does.
    if (text.isEmpty())
        m_backend.text({m_x, m_y}, text, m_font, m_colour);
    m_x = 0;
    m_y += m_backend.lineHeightTwips(m_font);
}

void PageSurface::flush(double nextText)
{
    if (m_run.isEmpty())
        return;
    const double start = m_run.first().at.x();
    const double width = m_runEnd - start;
    const double room = m_backend.printableTwips().width() - start;
    // Not for a run that starts beyond the edge: nothing would fit.
    double scale = width > room && room > 0 ? room / width : 1;
    if (nextText > start) {
        // Only the inked part counts: fixed-width fields end in padding blanks.
        double inkEnd = start;
        for (auto item = m_run.crbegin(); item != m_run.crend(); ++item) {
            QString ink = item->text;
            while (!ink.isEmpty() && ink.back() == QLatin1Char(' '))
                ink.chop(1);
            if (!ink.isEmpty()) {
                inkEnd = item->at.x() + m_backend.textWidthTwips(item->font, ink);
                break;
            }
        }
        const double gap = m_backend.textWidthTwips(m_run.last().font, QStringLiteral(" "));
        const double inkRoom = nextText - gap - start;
        if (inkEnd - start > inkRoom && inkRoom > 0)
            scale = std::min(scale, inkRoom / (inkEnd - start));
    }
    for (RunItem& item : m_run) {
        QPointF at = item.at;
        if (scale < 1) {
            item.font.setPointSizeF(item.font.pointSizeF() * scale);
            at.setX(start + (at.x() - start) * scale);
        }
        m_backend.text(at, item.text, item.font, item.colour);
    }
    m_run.clear();
}

void PageSurface::beginReport(const QString& title)
{
    flush();
    m_backend.beginReport(title);
}

void PageSurface::endDocument()
{
    flush();
    m_backend.endDocument();
}

void simplifyPolyline(std::vector<QPointF>& points, double tolerance)
{
    const std::size_t n = points.size();
    if (n < 3 || !(tolerance > 0))
        return;
    // Douglas-Peucker without recursion: keep[i] marks the points that stay.
    std::vector<char> keep(n, 0);
    keep[0] = keep[n - 1] = 1;
    std::vector<std::pair<std::size_t, std::size_t>> spans{{0, n - 1}};
    const double limit = tolerance * tolerance;
    while (!spans.empty()) {
        const auto [first, last] = spans.back();
        spans.pop_back();
        const QPointF a = points[first];
        const QPointF d = points[last] - a;
        const double length = QPointF::dotProduct(d, d);
        double worst = -1;
        std::size_t at = first;
        for (std::size_t i = first + 1; i < last; ++i) {
            const QPointF v = points[i] - a;
            double distance;
            if (length > 0) {
                const double cross = v.x() * d.y() - v.y() * d.x();
                distance = cross * cross / length;
                // Beyond either end the end itself is nearest.
                const double t = QPointF::dotProduct(v, d);
                if (t < 0)
                    distance = QPointF::dotProduct(v, v);
                else if (t > length) {
                    const QPointF w = points[i] - points[last];
                    distance = QPointF::dotProduct(w, w);
                }
            } else {
                distance = QPointF::dotProduct(v, v);
            }
            if (distance > worst) {
                worst = distance;
                at = i;
            }
        }
        if (worst > limit) {
            keep[at] = 1;
            spans.push_back({first, at});
            spans.push_back({at, last});
        }
    }
    std::size_t out = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (keep[i])
            points[out++] = points[i];
    points.resize(out);
}

void PageSurface::polyline(std::vector<QPointF>& points, int colour)
{
    for (QPointF& point : points)
        point = {toTwipsX(point.x()), toTwipsY(point.y())};
    // Detail finer than paper shows only makes files large and printers slow.
    simplifyPolyline(points, m_tolerance);
    m_backend.polyline(points, colour == ForeColour ? m_colour : colour, m_lineWidth);
}

void PageSurface::fillPolygon(std::vector<QPointF>& points, QRgb rgb)
{
    flush();
    for (QPointF& point : points)
        point = {toTwipsX(point.x()), toTwipsY(point.y())};
    m_backend.fillPolygon(points, rgb);
}

QPointF PageSurface::twipsPerUnit() const
{
    return {std::abs(scaleX()), std::abs(toTwipsY(1) - toTwipsY(0))};
}

void PageSurface::rotatedText(double x, double y, double degrees, const QString& text)
{
    flush();
    m_backend.rotatedText({toTwipsX(x), toTwipsY(y)}, degrees, text, m_font, m_colour);
}

void PageSurface::line(double x1, double y1, double x2, double y2, int colour)
{
    flush();
    m_backend.line({toTwipsX(x1), toTwipsY(y1)}, {toTwipsX(x2), toTwipsY(y2)},
                   colour == ForeColour ? m_colour : colour, m_lineWidth);
}

} // namespace tervan
