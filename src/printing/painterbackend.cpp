#include "printing/painterbackend.h"

#include "graphics/palette.h"
#include "printing/printfont.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>

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

double PainterBackend::textWidthTwips(const QFont& font, const QString& text)
{
    return QFontMetricsF(printFont(font), &m_device).horizontalAdvance(text) * 1440 / dpiX();
}

double PainterBackend::lineHeightTwips(const QFont& font)
{
    return QFontMetricsF(printFont(font), &m_device).height() * 1440 / dpiY();
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
    const QFont face = printFont(font);
    m_painter.setFont(face);
    m_painter.setPen(colour == PageSurface::ForeColour ? QColor(Qt::black) : paletteColour(colour));
    const QPointF d = toDevice(at);
    m_painter.drawText(QPointF(d.x(), d.y() + QFontMetricsF(face, &m_device).ascent()), text);
}

void PainterBackend::line(QPointF from, QPointF to, int colour, int widthPixels)
{
    if (!openPage())
        return;
    QPen pen(colour == PageSurface::ForeColour ? QColor(Qt::black) : paletteColour(colour));
    pen.setWidth(std::max(1, widthPixels));
    pen.setCapStyle(Qt::RoundCap);
    m_painter.setPen(pen);
    m_painter.drawLine(toDevice(from), toDevice(to));
}

void PainterBackend::setPaperA4()
{
    m_device.setPageSize(QPageSize(QPageSize::A4));
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
