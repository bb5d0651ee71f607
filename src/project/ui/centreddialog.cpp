#include "project/ui/centreddialog.h"

#include <QScreen>

namespace tervan {

void centreOnScreen(QWidget* window)
{
    if (window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize size = window->frameGeometry().size();
    // Integer division truncating toward zero, also when the window is larger than the screen.
    window->move(area.x() + (area.width() - size.width()) / 2,
                 area.y() + (area.height() - size.height()) / 2);
}

CentredDialog::CentredDialog(QWidget* parent) : QDialog(parent) {}

void CentredDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    centreOnScreen(this);
}

} // namespace tervan
