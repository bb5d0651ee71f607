#include "app/appsettings.h"
#include "app/commandline.h"
#include "app/desktop.h"
#include "app/mainwindow.h"

#include <QApplication>
#include <QScreen>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

namespace {

// Help and version go to standard output; true when the line asked for one of them.
bool printedInformation(const tervan::AppCommandLine& line)
{
    using Action = tervan::AppCommandLine::Action;
    if (line.action != Action::Help && line.action != Action::Version)
        return false;
    QTextStream(stdout) << line.text;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    tervan::preferThaiDates();
    QCoreApplication::setApplicationName(QStringLiteral("TERVAN"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tervan"));

    // Help and version need no display: they are answered before the window toolkit starts.
    // A line with the toolkit's own options is read once the toolkit has taken them out.
    QStringList words;
    for (int i = 0; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    const auto early = tervan::parseAppCommandLine(words).action;
    if (early == tervan::AppCommandLine::Action::Help ||
        early == tervan::AppCommandLine::Action::Version) {
        QCoreApplication core(argc, argv);
        tervan::installThaiTranslation(core);
        printedInformation(tervan::parseAppCommandLine(words));
        return 0;
    }

    QApplication app(argc, argv);
    tervan::installThaiTranslation(app);
    const tervan::AppCommandLine line = tervan::parseAppCommandLine(QApplication::arguments());
    if (printedInformation(line))
        return 0;
    if (line.action == tervan::AppCommandLine::Action::Error) {
        QTextStream(stderr) << "tervan: " << line.text << '\n';
        return 2;
    }
    QApplication::setWindowIcon(tervan::applicationIcon());

    tervan::SettingsFile settings(tervan::SettingsFile::defaultFileName());
    if (!settings.refused().isEmpty())
        QTextStream(stderr) << "tervan: " << settings.refused() << '\n';
    tervan::MainWindow window;
    window.rememberIn(settings.settings());
    if (window.restoreShape()) {
        window.show();
    } else {
        // Fill the screen even where no window manager honours the maximised state.
        window.setGeometry(window.screen()->availableGeometry());
        window.showMaximized();
    }
    if (!line.project.isEmpty())
        QTimer::singleShot(0, &window,
                           [&window, &line] { window.mnuFileOpen_Click(line.project); });
    // Start-up benchmarks stop here, once the window and its project are up.
    if (qEnvironmentVariableIsSet("TERVAN_QUIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
