#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

namespace tervan {

// The main window's plotting area: a retained picture in device pixels, shown as it is and
// kept across exposure, with the current world window for turning mouse positions into metres.
// Pictures are drawn elsewhere (on a worker) and swapped in whole when finished; until then,
// a resized widget keeps showing the previous picture.
class PlotWidget final : public QWidget
{
    Q_OBJECT
public:
    explicit PlotWidget(QWidget* parent = nullptr);

    QImage& image() { return m_image; }
    void setImage(const QImage& image);
    // The size a picture for the widget as it is now has, in the screen's pixels, so that it
    // stays sharp on a scaled screen.
    QSize pictureSize() const
    {
        return (QSizeF(size()) * devicePixelRatioF()).toSize().expandedTo(QSize(1, 1));
    }
    void clear();
    // World corners: top-left (left, top), bottom-right (right, bottom), Y up.
    void setWorldWindow(float left, float top, float right, float bottom);
    // Between widget pixels and the world of the view last set.
    QPointF toWorld(QPointF pixel) const;
    QPointF toPixel(QPointF world) const;
    // Drawn over the picture on every paint, in widget pixels: marks that change with the
    // pointer (a pad being drawn) without a new picture.
    void setOverlay(std::function<void(QPainter&)> overlay);

signals:
    void mouseMovedTo(float x, float y);
    // The picture was resized and must be drawn again.
    void resized();
    // One notch of the mouse wheel: +1 away from the user (zoom in), -1 towards.
    void wheelZoom(int direction);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // Reports the world point under `pos`, in the view last set.
    void emitPointerAt(QPointF pos);

    QImage m_image;
    std::function<void(QPainter&)> m_overlay;
    float m_left = 0, m_top = 1, m_right = 1, m_bottom = 0;
    int m_wheelTurn = 0;
};

} // namespace tervan
