#include "printing/painterbackend.h"

#include "graphics/palette.h"
#include "printing/printfont.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPolygonF>

namespace tervan {

PainterBackend::PainterBackend(QPagedPaintDevice& device, Documents documents, JobNamer nameJob)
    : m_device(device), m_documents(documents), m_nameJob(std::move(nameJob))
{
}

PainterBackend::PainterBackend(std::unique_ptr<QPagedPaintDevice> device, Documents documents,
                               JobNamer nameJob)
    : m_owned(std::move(device)), m_device(*m_owned), m_documents(documents),
      m_nameJob(std::move(nameJob))
{
}

PainterBackend::~PainterBackend()
{
    finish();
}

bool PainterBackend::finish()
{
    if (m_painter.isActive() && !m_painter.end())
        m_failed = true;
    return !m_failed;
}

void PainterBackend::abort()
{
    if (m_painter.isActive() && m_abortJob)
        m_abortJob();
    m_failed = true;
    if (m_painter.isActive())
        m_painter.end();
}

double PainterBackend::dpiX() const
{
    return m_device.logicalDpiX();
}

double PainterBackend::dpiY() const
{
    return m_device.logicalDpiY();
}

QPointF PainterBackend::toDevice(QPointF twips) const
{
    return {twips.x() * dpiX() / 1440, twips.y() * dpiY() / 1440};
}

QSizeF PainterBackend::printableTwips() const
{
    return {m_device.width() * 1440.0 / dpiX(), m_device.height() * 1440.0 / dpiY()};
}

const QFontMetricsF& PainterBackend::metrics(const QFont& font)
{
    if (!m_metrics || font != m_metricsFont) {
        m_metricsFont = font;
        m_face = printFont(font);
        m_metrics.emplace(m_face, &m_device);
    }
    return *m_metrics;
}

double PainterBackend::textWidthTwips(const QFont& font, const QString& text)
{
    return metrics(font).horizontalAdvance(text) * 1440 / dpiX();
}

double PainterBackend::lineHeightTwips(const QFont& font)
{
    return metrics(font).height() * 1440 / dpiY();
}

bool PainterBackend::openPage()
{
    if (m_failed)
        return false;
    if (!m_painter.isActive()) {
        if (!m_painter.begin(&m_device)) {
            m_failed = true;
            return false;
        }
        m_painter.setRenderHint(QPainter::Antialiasing);
        m_newPageDue = false;
        ++m_pages;
    } else if (m_newPageDue) {
        if (!m_device.newPage()) {
            m_failed = true;
            return false;
        }
        m_newPageDue = false;
        ++m_pages;
    }
    return true;
}

void PainterBackend::text(QPointF at, const QString& text, const QFont& font, int colour)
{
    if (!openPage() || text.isEmpty())
        return;
    const double ascent = metrics(font).ascent();
    if (m_painter.font() != m_face)
        m_painter.setFont(m_face);
    m_penColour = -2;
    m_painter.setPen(colour == PageSurface::ForeColour ? QColor(Qt::black) : paletteColour(colour));
    const QPointF d = toDevice(at);
    m_painter.drawText(QPointF(d.x(), d.y() + ascent), text);
}

void PainterBackend::rotatedText(QPointF centre, double degrees, const QString& text,
                                 const QFont& font, int colour)
{
    if (!openPage() || text.isEmpty())
        return;
    const QFontMetricsF& m = metrics(font);
    if (m_painter.font() != m_face)
        m_painter.setFont(m_face);
    m_penColour = -2;
    m_painter.setPen(colour == PageSurface::ForeColour ? QColor(Qt::black) : paletteColour(colour));
    m_painter.save();
    m_painter.translate(toDevice(centre));
    m_painter.rotate(-degrees);
    m_painter.drawText(QPointF(-m.horizontalAdvance(text) / 2, m.ascent() - m.height() / 2), text);
    m_painter.restore();
}

void PainterBackend::setLinePen(int colour, int widthPixels)
{
    if (colour == m_penColour && widthPixels == m_penWidth &&
        m_painter.pen().capStyle() == Qt::RoundCap)
        return;
    QPen pen(colour == PageSurface::ForeColour ? QColor(Qt::black) : paletteColour(colour));
    pen.setWidth(std::max(1, widthPixels));
    pen.setCapStyle(Qt::RoundCap);
    // Joined as separate round-capped lines would meet.
    pen.setJoinStyle(Qt::RoundJoin);
    m_painter.setPen(pen);
    m_penColour = colour;
    m_penWidth = widthPixels;
}

void PainterBackend::line(QPointF from, QPointF to, int colour, int widthPixels)
{
    if (!openPage())
        return;
    setLinePen(colour, widthPixels);
    m_painter.drawLine(toDevice(from), toDevice(to));
}

void PainterBackend::polyline(const std::vector<QPointF>& points, int colour, int widthPixels)
{
    if (!openPage() || points.empty())
        return;
    setLinePen(colour, widthPixels);
    // On the device's own dots: a printer puts them there anyway, and a fine contour page of a
    // PDF file then writes whole numbers, a third of the bytes. Points on the same dot as the
    // one before add nothing.
    m_devicePoints.clear();
    const double dx = dpiX(), dy = dpiY();
    for (const QPointF& point : points) {
        const QPointF dot(std::round(point.x() * dx / 1440), std::round(point.y() * dy / 1440));
        if (m_devicePoints.empty() || m_devicePoints.back() != dot)
            m_devicePoints.push_back(dot);
    }
    if (m_devicePoints.size() == 1)
        m_painter.drawLine(m_devicePoints[0], m_devicePoints[0]);
    else
        m_painter.drawPolyline(m_devicePoints.data(), int(m_devicePoints.size()));
}

void PainterBackend::fillPolygon(const std::vector<QPointF>& points, QRgb rgb)
{
    if (!openPage() || points.size() < 3)
        return;
    QPolygonF device;
    for (const QPointF& point : points)
        device << toDevice(point);
    m_painter.save();
    // Outlined by a device pixel in its own colour, so that pieces that meet leave no seam.
    QPen seam{QColor(rgb), 0};
    seam.setJoinStyle(Qt::BevelJoin);
    m_painter.setPen(seam);
    m_painter.setBrush(QColor(rgb));
    m_painter.drawPolygon(device);
    m_painter.restore();
}

void PainterBackend::setPaperA4()
{
    m_device.setPageSize(QPageSize(QPageSize::A4));
}

void PainterBackend::setLandscape(bool landscape)
{
    m_device.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void PainterBackend::beginReport(const QString& title)
{
    if (m_failed)
        return;
    if (m_documents == Documents::JobPerReport && m_painter.isActive() && !m_painter.end())
        m_failed = true;
    if (m_nameJob && !m_painter.isActive())
        m_nameJob(title);
}

void PainterBackend::endDocument()
{
    if (m_painter.isActive())
        m_newPageDue = true;
}

} // namespace tervan
