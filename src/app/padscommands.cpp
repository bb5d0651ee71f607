#include "app/padscommands.h"

#include "app/jobstatus.h"
#include "app/undocommands.h"
#include "common/messages.h"
#include "common/outputfile.h"
#include "common/progress.h"
#include "gis/gis.h"
#include "grading/cutfillmap.h"
#include "grading/designtexts.h"
#include "grading/padgeometry.h"
#include "grading/sectiontexts.h"
#include "grading/stakeout.h"
#include "grading/ui/padeditdialog.h"
#include "grading/ui/sectionsdialog.h"
#include "graphics/ui/plotpicker.h"
#include "graphics/ui/plotwidget.h"
#include "printing/cutfillreport.h"
#include "printing/earthworkreports.h"
#include "project/project.h"
#include "project/ui/prompts.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QMainWindow>
#include <QMenu>
#include <QPainter>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QUndoCommand>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

namespace tervan {

namespace {

// NAME.pads.geojson beside the project's ".gnd" file.
QString padsBeside(const QString& gnd)
{
    const QFileInfo file(gnd);
    return padsFileName(file.dir().filePath(file.completeBaseName()));
}

// A design finished within this is shown at once; one still running after the second shows
// its progress and a stop button.
constexpr int QuickDesignMs = 30;
constexpr int BusyDelayMs = 300;

// One change of the pads, as the history keeps it: the whole design before and after.
class PadsStep final : public QUndoCommand
{
public:
    PadsStep(PadsCommands& pads, PadsDesign before, PadsDesign after, const QString& text)
        : QUndoCommand(text), m_pads(pads), m_before(std::move(before)), m_after(std::move(after))
    {
    }
    void undo() override { m_pads.setDesign(m_before); }
    void redo() override { m_pads.setDesign(m_after); }

private:
    PadsCommands& m_pads;
    PadsDesign m_before;
    PadsDesign m_after;
};

QString nextPadName(const std::vector<PadShape>& pads)
{
    for (int n = int(pads.size()) + 1;; ++n) {
        const QString name = QStringLiteral("แท่น %1").arg(n);
        if (std::none_of(pads.begin(), pads.end(),
                         [&](const PadShape& p) { return p.name == name; }))
            return name;
    }
}

} // namespace

void PadsCommands::showPanel()
{
    m_panel->show();
    // Every column in view, up to half the window.
    m_window->resizeDocks({m_panel}, {std::min(m_panel->tableWidth(), m_window->width() / 2)},
                          Qt::Horizontal);
}

PadsCommands::PadsCommands(Project& project, Prompts& prompts, ProjectHistory& history,
                           PlotWidget* plot, PrintReport print, QMainWindow* window)
    : QObject(window), m_project(project), m_prompts(prompts), m_history(history), m_plot(plot),
      m_print(std::move(print)), m_window(window)
{
    m_panel = new PadsPanel(window);
    window->addDockWidget(Qt::RightDockWidgetArea, m_panel);
    m_panel->hide();
    connect(m_panel, &PadsPanel::addRequested, this, &PadsCommands::addPad);
    connect(m_panel, &PadsPanel::drawRequested, this, &PadsCommands::drawPad);
    connect(m_panel, &PadsPanel::fileRequested, this, &PadsCommands::padsFromFile);
    connect(m_panel, &PadsPanel::editRequested, this, &PadsCommands::editPad);
    connect(m_panel, &PadsPanel::deleteRequested, this, &PadsCommands::deletePad);
    connect(m_panel, &PadsPanel::sectionsRequested, this, [this] { showSections(); });
    connect(m_panel, &PadsPanel::printRequested, this, &PadsCommands::printMap);
    connect(m_panel, &PadsPanel::stakesRequested, this, &PadsCommands::saveStakes);
    connect(m_panel, &PadsPanel::balanceRequested, this, [this](PadBalance balance, double k) {
        PadsDesign after = m_design;
        after.balance = balance;
        after.k = k;
        change(std::move(after), QStringLiteral("เปลี่ยนการปรับระดับแท่น"));
    });

    m_picker = new PlotPicker(plot);
    connect(m_picker, &PlotPicker::changed, plot, qOverload<>(&QWidget::update));
    connect(m_picker, &PlotPicker::cancelled, this,
            [this] { m_window->statusBar()->clearMessage(); });
    connect(m_picker, &PlotPicker::finished, this, [this](const std::vector<QPointF>& points) {
        m_window->statusBar()->clearMessage();
        if (m_pickingLine) {
            showSections(points);
            return;
        }
        PadShape pad;
        pad.name = nextPadName(m_design.pads);
        pad.corners = points;
        // A level to start from: the ground's mean at the corners' nearest nodes.
        const EarthworkGrid g = earthworkGrid(m_project);
        double sum = 0;
        for (const QPointF& c : points) {
            const QPointF n = nearestNode(c, g.cols, g.rows, g.spacing);
            sum += g.h[std::size_t(std::lround(n.y() / g.spacing) * g.cols +
                                   std::lround(n.x() / g.spacing))];
        }
        pad.level = std::round(sum / double(points.size()) * 100) / 100;
        if (const auto made = askPad(pad)) {
            PadsDesign after = m_design;
            after.pads.push_back(*made);
            change(std::move(after), QStringLiteral("วาดแท่น %1").arg(made->name));
        }
    });
    plot->setOverlay([this](QPainter& painter) { paintOverlay(painter); });
    // Heights typed, pasted or undone move the figures.
    connect(&m_history.stack(), &QUndoStack::indexChanged, this, &PadsCommands::groundChanged);
}

PadsCommands::~PadsCommands()
{
    // The plot may outlive this in the window's teardown; it must not draw through it then.
    if (m_plot)
        m_plot->setOverlay({});
}

void PadsCommands::addMenuItems(QMenu* grading)
{
    grading->addSeparator()->setObjectName(QStringLiteral("mnuPadsFree"));
    QAction* panel = m_panel->toggleViewAction();
    panel->setObjectName(QStringLiteral("mnuPadsPanel"));
    grading->addAction(panel);
    const auto add = [&](const char* name, const QString& text, auto run) {
        QAction* a = grading->addAction(text);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, run);
    };
    add("mnuPadDraw", QStringLiteral("วาดแท่นบนแผนที่"), [this] { drawPad(); });
    add("mnuSectionLineDraw", QStringLiteral("วาดแนวหน้าตัดบนแผนที่"), [this] { drawSectionLine(); });
    add("mnuSections", QStringLiteral("หน้าตัดขวาง…"), [this] { showSections(); });
}

QPointF PadsCommands::origin() const
{
    return {worldX(m_project.Georef, 0), worldY(m_project.Georef, 0)};
}

bool PadsCommands::usable()
{
    if (m_project.HasNodes() && earthworkGrid(m_project).cellCount() > 0)
        return true;
    m_prompts.notice(msg::DataIncomplete);
    return false;
}

void PadsCommands::change(PadsDesign after, const QString& text)
{
    m_history.stack().push(new PadsStep(*this, m_design, std::move(after), text));
}

void PadsCommands::setDesign(PadsDesign design)
{
    m_design = std::move(design);
    recompute();
}

void PadsCommands::groundChanged()
{
    if (!m_design.pads.empty() && earthworkGrid(m_project).h != m_groundUsed)
        recompute();
}

void PadsCommands::recompute()
{
    if (m_computing)
        m_computing->cancel();
    m_computing.reset();
    delete m_busy;
    m_busy = nullptr;
    m_result.reset();
    m_problem.clear();
    const EarthworkGrid ground = earthworkGrid(m_project);
    m_groundUsed = ground.h;
    if (!m_design.pads.empty() && (!m_project.HasNodes() || ground.cellCount() == 0))
        m_problem = msg::DataIncomplete;
    for (const PadShape& pad : m_design.pads) {
        if (!m_problem.isEmpty())
            break;
        m_problem = padShapeProblem(pad, ground);
        if (m_problem.isEmpty() && !pad.level && m_design.balance == PadBalance::None)
            m_problem = QStringLiteral("แท่น %1: ไม่มีค่าระดับ เลือกการปรับระดับแบบสมดุล").arg(pad.name);
    }
    if (m_design.pads.empty() || !m_problem.isEmpty())
        return designed(std::nullopt);
    // Balancing the largest grid takes a while: it runs on a worker, and a design done within
    // a moment is shown at once, as if computed here.
    auto progress = std::make_shared<Progress>();
    m_computing = progress;
    QFuture<std::optional<PadsResult>> future = QtConcurrent::run(
        [ground, pads = m_design.pads, balance = m_design.balance, k = m_design.k, progress] {
            PadsResult r = designPads(ground, pads, balance, k, progress.get());
            return progress->cancelled() ? std::nullopt : std::optional(std::move(r));
        });
    QElapsedTimer waited;
    waited.start();
    while (!future.isFinished() && waited.elapsed() < QuickDesignMs)
        QThread::msleep(1);
    if (future.isFinished())
        return designed(future.result());
    m_panel->showDesign(m_design, nullptr, QStringLiteral("กำลังคำนวณ…"),
                        [](int node) { return QString::number(node + 1); });
    auto* watcher = new QFutureWatcher<std::optional<PadsResult>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, progress] {
        watcher->deleteLater();
        // A later change started another computation; this one's answer is stale.
        if (progress == m_computing)
            designed(watcher->result());
    });
    watcher->setFuture(future);
    QTimer::singleShot(BusyDelayMs, this, [this, progress] {
        if (progress == m_computing)
            showBusy();
    });
}

void PadsCommands::designed(const std::optional<PadsResult>& result)
{
    const bool stopped = m_computing && m_computing->cancelled();
    m_computing.reset();
    delete m_busy;
    m_busy = nullptr;
    m_result = result;
    if (stopped && m_problem.isEmpty())
        m_problem = QStringLiteral("หยุดคำนวณแท่นแล้ว เปลี่ยนแท่นหรือการปรับระดับเพื่อคำนวณใหม่");
    m_panel->showDesign(m_design, m_result ? &*m_result : nullptr, m_problem,
                        [](int node) { return QString::number(node + 1); });
    m_plot->update();
}

void PadsCommands::showBusy()
{
    m_busy = new JobStatus(m_window->statusBar(), QStringLiteral("Pads"),
                           QStringLiteral("กำลังคำนวณแท่น"), QStringLiteral("หยุดคำนวณ"),
                           m_computing);
}

void PadsCommands::waitForDesign()
{
    while (m_computing)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

std::optional<PadShape> PadsCommands::askPad(const PadShape& start)
{
    const EarthworkGrid ground = earthworkGrid(m_project);
    PadEditDialog dialog(start, ground, origin(), m_window);
    if (m_prompts.runModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.pad();
}

void PadsCommands::addPad()
{
    if (!usable())
        return;
    PadShape pad;
    pad.name = nextPadName(m_design.pads);
    pad.level = 0;
    if (const auto made = askPad(pad)) {
        PadsDesign after = m_design;
        after.pads.push_back(*made);
        change(std::move(after), QStringLiteral("เพิ่มแท่น %1").arg(made->name));
        showPanel();
    }
}

void PadsCommands::editPad(int index)
{
    if (index < 0 || index >= int(m_design.pads.size()) || !usable())
        return;
    if (const auto made = askPad(m_design.pads[std::size_t(index)])) {
        PadsDesign after = m_design;
        after.pads[std::size_t(index)] = *made;
        change(std::move(after), QStringLiteral("แก้แท่น %1").arg(made->name));
    }
}

void PadsCommands::deletePad(int index)
{
    if (index < 0 || index >= int(m_design.pads.size()))
        return;
    PadsDesign after = m_design;
    const QString name = after.pads[std::size_t(index)].name;
    after.pads.erase(after.pads.begin() + index);
    change(std::move(after), QStringLiteral("ลบแท่น %1").arg(name));
}

void PadsCommands::padsFromFile()
{
    if (!usable())
        return;
    const QString name = m_prompts.pickOpenName(
        QStringLiteral("รูปแปลงแท่น (*.geojson *.gpkg *.shp *.dxf);;ทุกไฟล์ (*)"),
        m_project.GndFileName.isEmpty() ? QString()
                                        : QFileInfo(m_project.GndFileName).absolutePath());
    if (name.isEmpty())
        return;
    auto read = gis().readPadsFile(name, m_project);
    if (const auto* why = std::get_if<QString>(&read)) {
        m_prompts.notice(*why);
        return;
    }
    PadsDesign after = m_design;
    for (PadShape& pad : std::get<std::vector<PadShape>>(read))
        after.pads.push_back(std::move(pad));
    change(std::move(after), QStringLiteral("แท่นจาก %1").arg(QFileInfo(name).fileName()));
    showPanel();
}

void PadsCommands::drawPad()
{
    if (!usable())
        return;
    // Pads are drawn on a plan.
    if (m_project.DisplayMode == PictureKind::Surface ||
        m_project.DisplayMode == PictureKind::None) {
        m_project.DisplayMode = PictureKind::GridWithContours;
        emit redrawNeeded();
    }
    m_pickingLine = false;
    const EarthworkGrid g = earthworkGrid(m_project);
    m_picker->start(true, [g](QPointF at) { return nearestNode(at, g.cols, g.rows, g.spacing); });
    showPanel();
    m_window->statusBar()->showMessage(
        QStringLiteral("คลิกที่มุมแท่นทีละมุม ดับเบิลคลิกเพื่อปิดรูป  กด Shift ค้างไว้เพื่อจับจุดกริด  "
                       "Backspace ลบมุมล่าสุด  Esc ยกเลิก"));
}

void PadsCommands::drawSectionLine()
{
    if (!usable())
        return;
    m_pickingLine = true;
    const EarthworkGrid g = earthworkGrid(m_project);
    m_picker->start(false, [g](QPointF at) { return nearestNode(at, g.cols, g.rows, g.spacing); });
    m_window->statusBar()->showMessage(
        QStringLiteral("คลิกจุดบนแนวหน้าตัดทีละจุด ดับเบิลคลิกที่จุดสุดท้าย  กด Shift ค้างไว้เพื่อจับจุดกริด  "
                       "Esc ยกเลิก"));
}

bool PadsCommands::designedOrSaid()
{
    if (!usable())
        return false;
    waitForDesign();
    if (!m_result)
        m_prompts.notice(m_problem.isEmpty() ? QStringLiteral("ยังไม่มีแท่นออกแบบ เพิ่มแท่นก่อน")
                                             : m_problem);
    return m_result.has_value();
}

void PadsCommands::printMap()
{
    if (!designedOrSaid())
        return;
    CutFillMap map;
    map.depth = earthworkGrid(m_project);
    for (std::size_t n = 0; n < map.depth.h.size(); ++n)
        map.depth.h[n] -= m_result->design.h[n];
    map.contourInterval = m_project.ContourInterval;
    const QString what = QStringLiteral("แท่นออกแบบ %1 แท่น").arg(m_design.pads.size());
    // The pages are drawn on a worker: it gets copies.
    m_print(
        [p = m_project, map, lines = comparisonSummary(m_result->earthwork, m_design.k, what),
         cells = printedDesignCells(m_result->earthwork, m_design.k, false)](PageSurface& page) {
            PrintCutFill(page, p, designtitle::Compare, lines, map, cells);
        });
}

void PadsCommands::saveStakes()
{
    if (!designedOrSaid())
        return;
    const QString name = m_prompts.pickSaveName(
        QStringLiteral("หมุดวางผัง CSV (*.csv);;หมุดวางผังสำหรับกล้องสำรวจ P,N,E,Z,D (*.txt)"),
        QFileInfo(m_project.GndFileName).absolutePath());
    if (name.isEmpty())
        return;
    const std::vector<StakePoint> stakes =
        nodeStakes(m_project, earthworkGrid(m_project), m_result->design);
    const bool text =
        QFileInfo(name).suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0;
    if (const QString failed =
            writeOutputBytes(name, text ? stakeTotalStationText(stakes) : stakeCsv(stakes));
        !failed.isEmpty()) {
        m_prompts.notice(failed);
        return;
    }
    m_window->statusBar()->showMessage(QStringLiteral("บันทึกหมุดวางผัง %1 หมุดไปที่แฟ้ม %2 แล้ว")
                                           .arg(stakes.size())
                                           .arg(QDir::toNativeSeparators(name)),
                                       10000);
}

void PadsCommands::showSections(const std::vector<QPointF>& line)
{
    if (!designedOrSaid())
        return;
    const EarthworkGrid ground = earthworkGrid(m_project);
    const Project& p = m_project;
    SectionsDialog dialog(
        ground, m_result->design, origin(), line, m_prompts,
        [this](const SectionsResult& r, double every, double width) {
            m_print([p = m_project, r, every, width](PageSurface& page) {
                PrintSections(page, p, r, sectionsSummary(r, every, width), sectionsTable(r));
            });
        },
        [&p](const SectionsResult& r, const QString& name) {
            return gis().writeSectionsDxf(p, r, name);
        },
        m_window);
    m_prompts.runModal(dialog);
}

void PadsCommands::projectOpened(const QString& gnd)
{
    m_picker->cancel();
    PadsDesign loaded;
    const QString file = gnd.isEmpty() ? QString() : padsBeside(gnd);
    if (!file.isEmpty() && QFileInfo::exists(file)) {
        auto read = gis().readPadsFile(file, m_project);
        if (const auto* why = std::get_if<QString>(&read))
            m_prompts.notice(*why);
        else
            loaded.pads = std::move(std::get<std::vector<PadShape>>(read));
        // A pad kept without its level was balanced; it still is.
        if (std::any_of(loaded.pads.begin(), loaded.pads.end(),
                        [](const PadShape& pad) { return !pad.level; }))
            loaded.balance = PadBalance::Each;
    }
    setDesign(std::move(loaded));
    if (!m_design.pads.empty())
        showPanel();
}

bool PadsCommands::projectSaved(const QString& gnd)
{
    const QString file = padsBeside(gnd);
    if (m_design.pads.empty()) {
        // No pads: a file of earlier ones would bring them back on the next open.
        if (QFileInfo::exists(file) && !QFile::remove(file)) {
            m_prompts.notice(QStringLiteral("ลบไฟล์แท่นเดิม %1 ไม่ได้").arg(file));
            return false;
        }
        return true;
    }
    if (const QString failed = gis().writePadsFile(m_design.pads, m_project, file);
        !failed.isEmpty()) {
        m_prompts.notice(failed);
        return false;
    }
    return true;
}

void PadsCommands::paintOverlay(QPainter& painter) const
{
    if (!m_project.HasData() || m_project.DisplayMode == PictureKind::Surface ||
        m_project.DisplayMode == PictureKind::None) {
        m_picker->paint(painter);
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ok(0, 110, 60), wrong(200, 0, 0);
    for (const PadShape& pad : m_design.pads) {
        QPolygonF outline;
        for (const QPointF& c : pad.corners)
            outline << m_plot->toPixel(c);
        painter.setPen(QPen(ok, 2));
        painter.setBrush(QColor(0, 150, 80, 40));
        painter.drawPolygon(outline);
        if (!outline.isEmpty()) {
            painter.setPen(ok);
            painter.drawText(outline.boundingRect(), Qt::AlignCenter, pad.name);
        }
    }
    if (m_result) {
        const EarthworkGrid g = m_result->design;
        painter.setPen(QPen(wrong, 2));
        for (int node : m_result->conflicts) {
            const QPointF at =
                m_plot->toPixel(QPointF((node % g.cols) * g.spacing, (node / g.cols) * g.spacing));
            painter.drawLine(at + QPointF(-5, -5), at + QPointF(5, 5));
            painter.drawLine(at + QPointF(-5, 5), at + QPointF(5, -5));
        }
    }
    painter.restore();
    m_picker->paint(painter);
}

} // namespace tervan
