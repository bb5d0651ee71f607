#include "app/mainwindow.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TERVAN"));
    tervan::MainWindow window;
    // Fill the screen even where no window manager honours the maximised state.
    window.setGeometry(window.screen()->availableGeometry());
    window.showMaximized();
    return app.exec();
}
