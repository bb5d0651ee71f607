// A bare Qt window with the program's menus and toolbar and nothing else: what the program's
// own start-up is measured against.
#include "app/windowmenus.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    tervan::buildMenuBar(window.menuBar());
    tervan::buildToolBar(&window);
    window.setCentralWidget(new QLabel(QStringLiteral("กริด")));
    window.statusBar()->showMessage(QStringLiteral("พร้อม"));
    window.resize(1024, 768);
    window.show();
    if (qEnvironmentVariableIsSet("TERVAN_QUIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
