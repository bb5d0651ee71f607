#include "survey/ui/surveywork.h"

#include "survey/breaklines.h"
#include "survey/coordinates.h"

#include <QFileInfo>
#include <QSet>
#include <QThread>

namespace tervan {

namespace {

template <typename T> bool step(QPromise<T>& promise, int done, const QString& text)
{
    promise.setProgressValueAndText(done, text);
    return !promise.isCanceled();
}

} // namespace

void readSurveyPoints(QPromise<PointsMade>& promise, const PointsWork& work)
{
    promise.setProgressRange(0, 3);
    if (!step(promise, 0, QStringLiteral("กำลังอ่านจุดสำรวจ…")))
        return;
    PointsMade made;
    PointsRead read = readPointsFile(
        work.fileName, work.columns.isEmpty() ? std::nullopt : columnsFromCode(work.columns));
    if (const auto* errors = std::get_if<std::vector<HeightLineError>>(&read)) {
        for (const HeightLineError& e : *errors)
            made.problem += (e.line > 0 ? QStringLiteral("บรรทัดที่ %1: ").arg(e.line) : QString()) +
                            e.reason + QLatin1Char('\n');
        promise.addResult(std::move(made));
        return;
    }
    if (!step(promise, 1, QStringLiteral("กำลังแปลงพิกัด…")))
        return;
    PointsFile& file = std::get<PointsFile>(read);
    made.pointsRead = int(file.points.size());
    auto prepared = preparePoints(std::move(file), work.choice);
    if (const auto* refused = std::get_if<PrepareProblem>(&prepared)) {
        made.problem = refused->text;
        made.needsFromCrs = refused->kind == PrepareProblem::Kind::NeedsFromCrs;
        promise.addResult(std::move(made));
        return;
    }
    made.prepared = std::get<PreparedPoints>(std::move(prepared));
    auto points = std::make_shared<std::vector<SurveyPoint>>(std::move(made.prepared.points));
    made.prepared.points.clear();
    if (!points->empty()) {
        const PointsExtent e = extentOf(*points);
        made.extent = QRectF(e.west, e.south, e.east - e.west, e.north - e.south);
        // Every k-th shot: a file's order follows the survey, so the sample spreads over it.
        const std::size_t every = points->size() / MostPointsDrawn + 1;
        for (std::size_t i = 0; i < points->size(); i += every)
            made.drawn.emplace_back((*points)[i].x, (*points)[i].y);
    }
    made.points = std::move(points);
    promise.setProgressValue(3);
    promise.addResult(std::move(made));
}

void makeSurveySurface(QPromise<SurfaceMade>& promise, const SurfaceWork& work)
{
    // Steps of a thousand each, so that the leave-one-out can say how far it is within its own.
    constexpr int Step = 1000;
    promise.setProgressRange(0, 4 * Step);
    SurfaceMade made;
    made.frame = work.frame;
    made.madeOn = QThread::currentThread();
    const auto refuse = [&](const QString& file, const QString& reason) {
        made.problem =
            (file.isEmpty() ? QString() : QFileInfo(file).fileName() + QStringLiteral(": ")) +
            reason;
        promise.addResult(std::move(made));
    };
    GridOptions options;
    if (!work.breaklinesFile.isEmpty()) {
        if (!step(promise, 0, QStringLiteral("กำลังอ่านเส้นแนวหัก…")))
            return;
        auto read = readBreaklines(work.breaklinesFile);
        if (auto* file = std::get_if<BreaklinesFile>(&read)) {
            auto lines = breaklinesInProject(std::move(*file), work.epsg, work.datumShift);
            if (auto* inProject = std::get_if<std::vector<Breakline>>(&lines))
                options.breaklines = std::move(*inProject);
            else
                read = std::get<QString>(lines);
        }
        if (const auto* reason = std::get_if<QString>(&read))
            return refuse(work.breaklinesFile, *reason);
    }
    if (!step(promise, 1 * Step, QStringLiteral("กำลังหาขอบเขตพื้นที่…")))
        return;
    const ExcludedShots kept = excludeShots(*work.points, work.excluded);
    const MergedPoints merged = mergeDuplicates(kept.kept);
    if (work.boundary == BoundaryChoice::File) {
        const auto read = boundaryInProject(work.boundaryFile, work.epsg);
        if (const auto* reason = std::get_if<QString>(&read))
            return refuse(work.boundaryFile, *reason);
        options.outline = std::get<SiteOutline>(read);
    } else if (work.boundary != BoundaryChoice::None) {
        options.outline = outlineOfShots(merged.points, work.boundary == BoundaryChoice::Hull
                                                            ? OutlineKind::Hull
                                                            : OutlineKind::Concave);
    }
    if (!step(promise, 2 * Step, QStringLiteral("กำลังสร้างกริด…")))
        return;
    auto grid = makeGrid(merged.points, work.frame, work.method, options);
    if (const auto* reason = std::get_if<QString>(&grid))
        return refuse({}, *reason);
    made.grid = std::get<GridResult>(std::move(grid));
    if (!step(promise, 3 * Step, QStringLiteral("กำลังตรวจคุณภาพและหาจุดที่น่าสงสัย…")))
        return;
    // The quality report's leave-one-out is the longest step: it fills the bar's last quarter
    // and stops with the dialog's cancel.
    Progress progress(
        [&promise](double share) { promise.setProgressValue(3 * Step + int(share * Step)); },
        [&promise] { return promise.isCanceled(); });
    options.progress = &progress;
    made.quality =
        gridQuality(merged.points, work.frame, made.grid, work.pointsRead, merged, options);
    if (promise.isCanceled())
        return;
    made.quality.excluded = kept.left;
    QSet<QString> suspect;
    for (const Residual& r : made.quality.suspects)
        suspect.insert(r.name);
    QHash<QString, const SurveyPoint*> at;
    for (const SurveyPoint& p : merged.points)
        if (suspect.contains(p.name))
            at.insert(p.name, &p);
    for (const Residual& r : made.quality.suspects)
        if (const SurveyPoint* p = at.value(r.name))
            made.suspects.push_back({r.name, p->x, p->y, r.value});
    made.outline = std::move(options.outline);
    made.breaklines = std::move(options.breaklines);
    promise.setProgressValue(4 * Step);
    promise.addResult(std::move(made));
}

} // namespace tervan
