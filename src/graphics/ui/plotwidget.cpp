#include "graphics/ui/plotwidget.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

namespace tervan {

PlotWidget::PlotWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picPlot"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(64, 48);
    m_image = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    m_image.fill(Qt::white);
}

void PlotWidget::setImage(const QImage& image)
{
    m_image = image;
    update();
}

void PlotWidget::clear()
{
    if (m_image.size() != pictureSize())
        m_image = QImage(pictureSize(), QImage::Format_RGB32);
    m_image.setDevicePixelRatio(devicePixelRatioF());
    m_image.fill(Qt::white);
    update();
}

void PlotWidget::setWorldWindow(float left, float top, float right, float bottom)
{
    m_left = left;
    m_top = top;
    m_right = right;
    m_bottom = bottom;
}

QPointF PlotWidget::toWorld(QPointF pixel) const
{
    const double w = std::max(1, width());
    const double h = std::max(1, height());
    return {m_left + pixel.x() / w * (double(m_right) - m_left),
            m_top + pixel.y() / h * (double(m_bottom) - m_top)};
}

QPointF PlotWidget::toPixel(QPointF world) const
{
    const double dx = double(m_right) - m_left, dy = double(m_bottom) - m_top;
    return {dx == 0 ? 0 : (world.x() - m_left) / dx * std::max(1, width()),
            dy == 0 ? 0 : (world.y() - m_top) / dy * std::max(1, height())};
}

void PlotWidget::setOverlay(std::function<void(QPainter&)> overlay)
{
    m_overlay = std::move(overlay);
    update();
}

void PlotWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_image);
    // Whatever the previous picture does not reach while the new one is drawn.
    const QRegion uncovered =
        QRegion(event->rect()) - QRegion(QRect(QPoint(), m_image.deviceIndependentSize().toSize()));
    for (const QRect& r : uncovered)
        painter.fillRect(r, Qt::white);
    if (m_overlay)
        m_overlay(painter);
}

void PlotWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_image.size() != pictureSize())
        emit resized();
}

void PlotWidget::wheelEvent(QWheelEvent* event)
{
    // One zoom step per notch; fine-grained wheels add up to notches.
    m_wheelTurn += event->angleDelta().y();
    const int steps = m_wheelTurn / QWheelEvent::DefaultDeltasPerStep;
    m_wheelTurn -= steps * QWheelEvent::DefaultDeltasPerStep;
    for (int i = 0; i < std::abs(steps); ++i)
        emit wheelZoom(steps > 0 ? 1 : -1);
    // The same pointer now stands over another point of the new view.
    if (steps != 0)
        emitPointerAt(event->position());
    event->accept();
}

void PlotWidget::mouseMoveEvent(QMouseEvent* event)
{
    emitPointerAt(event->position());
    QWidget::mouseMoveEvent(event);
}

void PlotWidget::emitPointerAt(QPointF pos)
{
    const QPointF at = toWorld(pos);
    emit mouseMovedTo(float(at.x()), float(at.y()));
}

} // namespace tervan
