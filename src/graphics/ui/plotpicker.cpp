#include "graphics/ui/plotpicker.h"

#include "graphics/ui/plotwidget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tervan {

PlotPicker::PlotPicker(PlotWidget* plot) : QObject(plot), m_plot(plot)
{
    plot->installEventFilter(this);
}

void PlotPicker::start(bool closed, std::function<QPointF(QPointF)> snap)
{
    m_closed = closed;
    m_snap = std::move(snap);
    m_points.clear();
    if (!m_active)
        m_focusBefore = m_plot->focusPolicy();
    m_active = true;
    m_plot->setFocusPolicy(Qt::StrongFocus);
    m_plot->setFocus(Qt::OtherFocusReason);
    m_plot->setCursor(Qt::CrossCursor);
    emit changed();
}

void PlotPicker::cancel()
{
    if (!m_active)
        return;
    m_active = false;
    m_points.clear();
    m_plot->setFocusPolicy(m_focusBefore);
    m_plot->unsetCursor();
    emit changed();
    emit cancelled();
}

QPointF PlotPicker::placed(QPointF pixel, Qt::KeyboardModifiers modifiers) const
{
    const QPointF at = m_plot->toWorld(pixel);
    return (modifiers & Qt::ShiftModifier) && m_snap ? m_snap(at) : at;
}

void PlotPicker::finish()
{
    if (m_points.size() < (m_closed ? 3u : 2u))
        return;
    std::vector<QPointF> points = std::move(m_points);
    m_active = false;
    m_points.clear();
    m_plot->setFocusPolicy(m_focusBefore);
    m_plot->unsetCursor();
    emit changed();
    emit finished(points);
}

bool PlotPicker::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_active || watched != m_plot)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton)
            return false;
        m_points.push_back(placed(e->position(), e->modifiers()));
        emit changed();
        return true;
    }
    case QEvent::MouseButtonDblClick: {
        const auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton)
            return false;
        // The double click's first press placed its point already.
        const QPointF at = placed(e->position(), e->modifiers());
        if (m_points.empty() || m_points.back() != at)
            m_points.push_back(at);
        finish();
        return true;
    }
    case QEvent::MouseMove:
        m_pointer = static_cast<QMouseEvent*>(event)->position();
        m_plot->update();
        return false;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            cancel();
            return true;
        }
        if (key == Qt::Key_Backspace && !m_points.empty()) {
            m_points.pop_back();
            emit changed();
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

void PlotPicker::paint(QPainter& painter) const
{
    if (!m_active || m_points.empty())
        return;
    QPolygonF line;
    for (const QPointF& p : m_points)
        line << m_plot->toPixel(p);
    line << m_pointer;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0, 90, 200), 2, Qt::DashLine));
    painter.drawPolyline(line);
    painter.setBrush(QColor(0, 90, 200));
    for (qsizetype i = 0; i + 1 < line.size(); ++i)
        painter.drawEllipse(line[i], 3.5, 3.5);
    painter.restore();
}

} // namespace tervan
