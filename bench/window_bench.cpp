#include "app/exportcommands.h"
#include "app/heightscommands.h"
#include "app/mainwindow.h"
#include "app/padscommands.h"
#include "app/picturedrawing.h"
#include "benchsupport.h"
#include "graphics/ui/plotwidget.h"
#include "project/projectfile.h"
#include "survey/ui/surveydialog.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <random>

using namespace tervan;

namespace {

// Answers the open dialog with one file, the save dialog with another, and stays silent
// otherwise.
class OpenOnly final : public Prompts
{
public:
    explicit OpenOnly(QString name, QString saveName = {})
        : m_name(std::move(name)), m_saveName(std::move(saveName))
    {
    }
    void notice(const QString&) override {}
    bool ask(const QString&) override { return false; }
    SaveChoice askSaveChanges(const QString&) override { return SaveChoice::Discard; }
    int runModal(QDialog&) override { return 0; }
    QString pickOpenName(const QString&, const QString&) override { return m_name; }
    QString pickSaveName(const QString&, const QString&) override { return m_saveName; }

private:
    QString m_name, m_saveName;
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

// 100,000 shots over a 1 km square read, gridded at 10 m and reported on in the survey dialog,
// a timer asking for a turn of the event loop every 5 ms: the longest wait is the freeze a user
// would feel.
void BM_SurveyDialogWhileGridding(benchmark::State& state)
{
    benchApplication();
    QTemporaryDir dir;
    const QString shots = dir.filePath(QStringLiteral("shots.csv"));
    {
        QFile file(shots);
        file.open(QIODevice::WriteOnly);
        std::mt19937 random(3);
        std::uniform_real_distribution<double> u(0, 1000);
        QByteArray text = "P,N,E,Z\n";
        for (int i = 0; i < int(state.range(0)); ++i) {
            const double e = u(random), n = u(random);
            text += QByteArray::number(i) + ',' + QByteArray::number(1524000 + n, 'f', 3) + ',' +
                    QByteArray::number(652000 + e, 'f', 3) + ',' +
                    QByteArray::number(100 + 0.01 * e + 3 * std::sin(n / 90), 'f', 3) + '\n';
        }
        file.write(text);
    }
    double longestGap = 0, working = 0;
    for (auto _ : state) {
        SurveyDialog dialog([&](const QString&) { return shots; });
        dialog.show();
        QCoreApplication::processEvents();
        const auto [gap, took] = loopGapsWhile(
            [&] {
                dialog.loadPoints(shots); // the command itself counts as a turn of the loop
            },
            [&] {
                // The dialog's settle timer starts the work a moment after the points load.
                QElapsedTimer waited;
                waited.start();
                do
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
                while (dialog.isWorking() || waited.elapsed() < 500);
            });
        working = took;
        longestGap = std::max(longestGap, gap);
    }
    state.counters["longest_gap_ms"] = longestGap;
    state.counters["work_ms"] = working;
}
BENCHMARK(BM_SurveyDialogWhileGridding)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

// The window shown with the project its prompts name opened and its first picture drawn.
void showOpened(MainWindow& window)
{
    window.show();
    window.mnuFileOpen_Click();
    window.findChild<PictureDrawing*>()->waitForPicture();
    QCoreApplication::processEvents();
}

// The largest project's contours at 0.1 m out to DXF from the File menu, a timer asking for a
// turn of the event loop every 5 ms: the longest wait is the freeze a user would feel.
void BM_WindowWhileExportingDxf(benchmark::State& state)
{
    benchApplication();
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("terrain"));
    Project p = benchTerrain();
    p.ContourInterval = 0.1f;
    saveProjectFiles(p, projectFileNames(base));
    double longestGap = 0, working = 0;
    for (auto _ : state) {
        MainWindow window{std::make_unique<OpenOnly>(base + QStringLiteral(".gnd"),
                                                     dir.filePath(QStringLiteral("c.dxf")))};
        showOpened(window);
        auto* exports = window.findChild<ExportCommands*>();
        const auto [gap, took] = loopGapsWhile(
            [&] {
                exports->exportContours(); // the command itself counts as a turn of the loop
            },
            [&] {
                while (exports->exporting())
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            });
        working = took;
        longestGap = std::max(longestGap, gap);
    }
    state.counters["longest_gap_ms"] = longestGap;
    state.counters["export_ms"] = working;
}
BENCHMARK(BM_WindowWhileExportingDxf)->Unit(benchmark::kMillisecond)->Iterations(1);

// Two large pads balanced together on the largest project, from the pads panel's change, a
// timer asking for a turn of the event loop every 5 ms.
void BM_WindowWhileBalancingPads(benchmark::State& state)
{
    benchApplication();
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("terrain"));
    saveProjectFiles(benchTerrain(), projectFileNames(base));
    const auto box = [](const char* name, QRectF r) {
        return PadShape{QString::fromLatin1(name),
                        {r.bottomLeft(), r.bottomRight(), r.topRight(), r.topLeft()},
                        std::nullopt};
    };
    double longestGap = 0, working = 0;
    for (auto _ : state) {
        MainWindow window{std::make_unique<OpenOnly>(base + QStringLiteral(".gnd"))};
        showOpened(window);
        const auto [gap, took] = loopGapsWhile(
            [&] {
                window.pads().change(
                    {{box("a", {100, 100, 700, 1500}), box("b", {1000, 100, 700, 1500})},
                     PadBalance::Together,
                     1},
                    QStringLiteral("แท่น"));
            },
            [&] { window.pads().waitForDesign(); });
        working = took;
        longestGap = std::max(longestGap, gap);
    }
    state.counters["longest_gap_ms"] = longestGap;
    state.counters["design_ms"] = working;
}
BENCHMARK(BM_WindowWhileBalancingPads)->Unit(benchmark::kMillisecond)->Iterations(1);

// A heights file of a million bad lines imported beside a window, a timer asking for a turn of
// the event loop every 5 ms: the longest wait is the freeze a user would feel.
void BM_WindowWhileImportingHeights(benchmark::State& state)
{
    benchApplication();
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("heights.csv"));
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        return state.SkipWithError("cannot write the heights file");
    file.write(QByteArray("1,1O1.4\n").repeated(1'000'000));
    file.close();
    double longestGap = 0, working = 0;
    for (auto _ : state) {
        Project project = benchGrid(2, 3);
        OpenOnly prompts(name);
        QWidget window;
        auto* status = new QStatusBar(&window);
        HeightsCommands commands(project, prompts, status, &window);
        window.show();
        QCoreApplication::processEvents();
        bool finished = false;
        QObject::connect(&commands, &HeightsCommands::importFinished, [&] { finished = true; });
        const auto [gap, took] =
            loopGapsWhile([&] { commands.importHeights(); },
                          [&] {
                              while (!finished)
                                  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
                          });
        working = took;
        longestGap = std::max(longestGap, gap);
    }
    state.counters["longest_gap_ms"] = longestGap;
    state.counters["import_ms"] = working;
}
BENCHMARK(BM_WindowWhileImportingHeights)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
