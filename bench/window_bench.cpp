#include "app/mainwindow.h"
#include "app/picturedrawing.h"
#include "benchsupport.h"
#include "graphics/ui/plotwidget.h"
#include "project/projectfile.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

using namespace tervan;

namespace {

// Answers the open dialog with one file and stays silent otherwise.
class OpenOnly final : public Prompts
{
public:
    explicit OpenOnly(QString name) : m_name(std::move(name)) {}
    void notice(const QString&) override {}
    bool ask(const QString&) override { return false; }
    SaveChoice askSaveChanges(const QString&) override { return SaveChoice::Discard; }
    int runModal(QDialog&) override { return 0; }
    QString pickOpenName(const QString&, const QString&) override { return m_name; }
    QString pickSaveName(const QString&, const QString&) override { return {}; }

private:
    QString m_name;
};

// Opens the largest project, shows its contours at 0.01 m and moves the mouse over the
// picture every 5 ms until the picture is shown: the longest gap between two turns of the
// event loop is what a user would feel as a freeze.
void BM_WindowWhileContoursDraw(benchmark::State& state)
{
    benchApplication();
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("terrain"));
    Project p = benchTerrain();
    p.ContourInterval = 0.01f;
    saveProjectFiles(p, projectFileNames(base));
    double longestGap = 0, drawing = 0;
    for (auto _ : state) {
        MainWindow window{std::make_unique<OpenOnly>(base + QStringLiteral(".gnd"))};
        window.resize(1600, 1000);
        window.show();
        QCoreApplication::processEvents();
        window.mnuFileOpen_Click();
        auto* plot = window.findChild<PlotWidget*>(QStringLiteral("picPlot"));
        auto* picture = window.findChild<PictureDrawing*>();
        picture->waitForPicture();
        QCoreApplication::processEvents();

        QElapsedTimer clock, sinceLast;
        clock.start();
        sinceLast.start();
        double gap = 0;
        int step = 0;
        QTimer mouse;
        QObject::connect(&mouse, &QTimer::timeout, [&] {
            gap = std::max(gap, double(sinceLast.nsecsElapsed()) / 1e6);
            sinceLast.restart();
            const QPointF at(100 + step % 500, 100 + step % 300);
            ++step;
            QMouseEvent move(QEvent::MouseMove, at, plot->mapToGlobal(at), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(plot, &move);
        });
        mouse.start(5);
        sinceLast.restart();
        window.GraphicShow_Click(2); // the command itself counts as a turn of the loop
        gap = std::max(gap, double(sinceLast.nsecsElapsed()) / 1e6);
        sinceLast.restart();
        while (picture->drawing())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        drawing = double(clock.nsecsElapsed()) / 1e6;
        longestGap = std::max(longestGap, gap);
    }
    state.counters["longest_gap_ms"] = longestGap;
    state.counters["picture_ms"] = drawing;
}
BENCHMARK(BM_WindowWhileContoursDraw)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
