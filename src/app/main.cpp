#include "app/mainwindow.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TERVAN"));
    tervan::MainWindow window;
    window.showMaximized();
    return app.exec();
}
