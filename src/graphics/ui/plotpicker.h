#pragma once

#include <QObject>
#include <QPointF>
#include <functional>
#include <vector>

class QPainter;

namespace tervan {

class PlotWidget;

// Points picked on the plan with the mouse: a click adds a point, a double click ends (a closed
// outline needs three points, an open line two), Backspace takes the last point back and
// Escape gives up. While Shift is held a point goes to where `snap` puts it (the nearest node).
// The plot keeps the keyboard while picking. Points are in the plot's world.
class PlotPicker final : public QObject
{
    Q_OBJECT
public:
    explicit PlotPicker(PlotWidget* plot);

    void start(bool closed, std::function<QPointF(QPointF)> snap);
    void cancel();
    bool active() const { return m_active; }
    // The points so far and the pointer, in widget pixels, as a line being drawn.
    void paint(QPainter& painter) const;

signals:
    void finished(const std::vector<QPointF>& points);
    void cancelled();
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointF placed(QPointF pixel, Qt::KeyboardModifiers modifiers) const;
    void finish();

    PlotWidget* m_plot;
    std::function<QPointF(QPointF)> m_snap;
    std::vector<QPointF> m_points;
    QPointF m_pointer;
    bool m_closed = true;
    bool m_active = false;
    Qt::FocusPolicy m_focusBefore = Qt::NoFocus;
};

} // namespace tervan
