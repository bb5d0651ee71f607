#include "cli/gridcommand.h"

#include "cli/batchwords.h"
#include "common/messages.h"
#include "grading/earthwork.h"
#include "project/fixedtext.h"
#include "project/projectfile.h"
#include "survey/gridding.h"
#include "survey/siteoutline.h"
#include "survey/surveyinput.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

namespace tervan {

namespace {

std::optional<int> crsOption(const Words& w, const char* option, bool& bad)
{
    if (!w.values.contains(QLatin1String(option)))
        return std::nullopt;
    const auto code = epsgOf(w.values.value(QLatin1String(option)));
    if (!code)
        bad = !w.refuse(option, "EPSG:N, a code the coordinate library knows");
    return code;
}

QTextStream& warn(QTextStream& err)
{
    return fail(err) << "warning: ";
}

} // namespace

int gridFromPoints(const QStringList& args, QTextStream& out, QTextStream& err, const char* usage)
{
    QString problem;
    const QStringList valued = {QStringLiteral("-o"),         QStringLiteral("--spacing"),
                                QStringLiteral("--origin"),   QStringLiteral("--size"),
                                QStringLiteral("--method"),   QStringLiteral("--columns"),
                                QStringLiteral("--crs"),      QStringLiteral("--from-crs"),
                                QStringLiteral("--interval"), QStringLiteral("--datum-shift"),
                                QStringLiteral("--like"),     QStringLiteral("--breaklines"),
                                QStringLiteral("--exclude"),  QStringLiteral("--boundary"),
                                QStringLiteral("--name"),     QStringLiteral("--engineer")};
    const auto w = readWords(args, valued, {}, problem);
    const bool like = w && w->values.contains(QStringLiteral("--like"));
    if (!w || w->names.size() != 1 || !w->values.contains(QStringLiteral("-o")) ||
        (!like && !w->values.contains(QStringLiteral("--spacing"))))
        return usageError(err, usage, w, problem);

    bool bad = false;
    const auto spacing = w->number("--spacing", bad);
    if (spacing && (*spacing != std::floor(*spacing) || *spacing < 1 || *spacing > 32767))
        bad = !w->refuse("--spacing", "whole metres, 1 to 32767");
    const auto interval = w->number("--interval", bad);
    if (interval && (!(*interval > 0) || !std::isfinite(float(*interval))))
        bad = !w->refuse("--interval", "a positive number");
    std::optional<CsvColumns> columns;
    if (w->values.contains(QStringLiteral("--columns")) &&
        !(columns = columnsFromCode(w->values.value(QStringLiteral("--columns")))))
        bad = !w->refuse("--columns", "pnezd, penzd, nez, enz or xyz");
    const QStringList methods = {QStringLiteral("linear"), QStringLiteral("idw"),
                                 QStringLiteral("nearest")};
    const qsizetype method =
        methods.indexOf(w->values.value(QStringLiteral("--method"), methods[0]));
    if (method < 0)
        bad = !w->refuse("--method", "linear, idw or nearest");
    auto crs = crsOption(*w, "--crs", bad);
    const auto fromCrs = crsOption(*w, "--from-crs", bad);
    const QString shift = w->values.value(QStringLiteral("--datum-shift"));
    if (w->values.contains(QStringLiteral("--datum-shift")) && !isDatumShiftText(shift))
        bad = !w->refuse("--datum-shift", "rtsd or EPSG:N of a transformation");
    const auto pair = [&](const char* option, const QString& pattern) {
        const auto m = QRegularExpression(pattern).match(w->values.value(QLatin1String(option)));
        if (w->values.contains(QLatin1String(option)) && !m.hasMatch())
            bad = !w->refuse(option, option[2] == 'o' ? "X,Y in metres" : "ROWSxCOLS");
        return m;
    };
    const auto origin = pair("--origin", QStringLiteral("^(-?[0-9.]+),(-?[0-9.]+)$"));
    const auto size = pair("--size", QStringLiteral("^([0-9]+)x([0-9]+)$"));
    if (like && (origin.hasMatch() || size.hasMatch() || spacing))
        bad = !w->refuse("--like", "alone: it gives the origin, spacing and size");
    if (bad)
        return usageError(err, usage, w, problem);

    // The grid of the project the new survey is to be compared with.
    std::optional<GridFrame> likeFrame;
    if (like) {
        const QString name = w->values.value(QStringLiteral("--like"));
        const auto earlier = openProject(name, err);
        if (!earlier)
            return 1;
        likeFrame = frameOf(*earlier);
        if (!likeFrame) {
            fail(err) << QDir::toNativeSeparators(name)
                      << ": โครงการนี้ไม่มีพิกัดอ้างอิง จึงใช้ตารางเดียวกันไม่ได้\n";
            return 1;
        }
        const int likeCrs = earlier->Georef->epsg;
        if (crs && likeCrs > 0 && *crs != likeCrs) {
            fail(err) << "--crs EPSG:" << *crs << " differs from the project's EPSG:" << likeCrs
                      << '\n';
            return 1;
        }
        if (!crs && likeCrs > 0)
            crs = likeCrs;
    }

    const QString source = w->names[0];
    PointsRead read = readPointsFile(source, columns);
    if (const auto* errors = std::get_if<std::vector<HeightLineError>>(&read)) {
        for (const HeightLineError& e : *errors) {
            fail(err) << QDir::toNativeSeparators(source);
            if (e.line > 0)
                err << ':' << e.line;
            err << ": " << e.reason << '\n';
        }
        return 1;
    }
    PointsFile& file = std::get<PointsFile>(read);
    const int pointsRead = int(file.points.size());
    if (file.flatLinesSkipped > 0)
        warn(err) << file.flatLinesSkipped
                  << " lines lying wholly at elevation 0 were taken as drawing, not ground\n";
    const auto prepared =
        preparePoints(std::move(file),
                      {fromCrs ? QStringLiteral("EPSG:%1").arg(*fromCrs) : QString(), crs, shift});
    if (const auto* refused = std::get_if<PrepareProblem>(&prepared)) {
        fail(err) << QDir::toNativeSeparators(source) << ": " << refused->text << '\n';
        if (refused->kind == PrepareProblem::Kind::NeedsFromCrs)
            err << "give --from-crs EPSG:4326 for WGS 84 latitude/longitude (or the EPSG code "
                   "of their system)\n";
        return 1;
    }
    const PreparedPoints& points = std::get<PreparedPoints>(prepared);
    if (!points.shift.warning.isEmpty())
        warn(err) << points.shift.warning << '\n';
    if (!points.offers.empty()) {
        warn(err) << "the points fit UTM in Thailand (";
        for (std::size_t i = 0; i < points.offers.size(); ++i)
            err << (i ? " or " : "") << "EPSG:" << points.offers[i];
        err << "); give --crs to record it\n";
    }

    const ExcludedShots kept = excludeShots(
        points.points,
        w->values.value(QStringLiteral("--exclude")).split(QLatin1Char(','), Qt::SkipEmptyParts));
    if (!kept.unknown.isEmpty()) {
        fail(err) << "--exclude: no shot named " << kept.unknown.join(QStringLiteral(", ")) << '\n';
        return 1;
    }
    GridOptions options;
    if (w->values.contains(QStringLiteral("--breaklines"))) {
        const QString name = w->values.value(QStringLiteral("--breaklines"));
        auto read = readBreaklines(name);
        if (auto* file = std::get_if<BreaklinesFile>(&read)) {
            auto lines = breaklinesInProject(std::move(*file), points.epsg, shift);
            if (auto* inProject = std::get_if<std::vector<Breakline>>(&lines))
                options.breaklines = std::move(*inProject);
            else
                read = std::get<QString>(lines);
        }
        if (const auto* reason = std::get_if<QString>(&read)) {
            fail(err) << QDir::toNativeSeparators(name) << ": " << *reason << '\n';
            return 1;
        }
    }
    const MergedPoints merged = mergeDuplicates(kept.kept);
    // The site: the ground volumes count; nodes outside it are estimated.
    const QString boundary =
        w->values.value(QStringLiteral("--boundary"), QStringLiteral("concave"));
    SiteOutline site;
    if (boundary == QLatin1String("concave") || boundary == QLatin1String("hull")) {
        site =
            outlineOfShots(merged.points, boundary == QLatin1String("hull") ? OutlineKind::Hull
                                                                            : OutlineKind::Concave);
    } else if (boundary != QLatin1String("none")) {
        const auto read = boundaryInProject(boundary, points.epsg);
        if (const auto* reason = std::get_if<QString>(&read)) {
            fail(err) << QDir::toNativeSeparators(boundary) << ": " << *reason << '\n';
            return 1;
        }
        site = std::get<SiteOutline>(read);
    }
    options.outline = site;
    GridFrame frame = likeFrame.value_or(frameAround(merged.points, int(spacing.value_or(1))));
    if (origin.hasMatch()) {
        frame.x0 = origin.captured(1).toDouble();
        frame.y0 = origin.captured(2).toDouble();
    }
    if (size.hasMatch()) {
        frame.rows = size.captured(1).toInt();
        frame.cols = size.captured(2).toInt();
    }
    const auto made = makeGrid(merged.points, frame, GridMethod(method), options);
    if (const auto* reason = std::get_if<QString>(&made)) {
        fail(err) << QDir::toNativeSeparators(source) << ": " << *reason << '\n';
        return 1;
    }
    const GridResult& grid = std::get<GridResult>(made);
    GridQuality q = gridQuality(merged.points, frame, grid, pointsRead, merged, options);
    q.excluded = kept.left;
    if (q.outsideGrid > 0)
        warn(err) << q.outsideGrid << " points lie outside the grid and are not honoured by it\n";
    const QString name = w->values.value(QStringLiteral("--name")).trimmed();
    Project p = projectFromGrid(
        frame, grid,
        clusterPrefix(name.isEmpty()
                          ? QFileInfo(w->values.value(QStringLiteral("-o"))).completeBaseName()
                          : name,
                      FixedText40::length),
        points.epsg, float(interval.value_or(0)));
    // No name stands in for an engineer not given: the heading would say something untrue.
    p.EngineerName =
        clusterPrefix(w->values.value(QStringLiteral("--engineer")).trimmed(), FixedText40::length);
    p.Georef->datumShift = points.shift.key;
    p.Georef->outline = site;
    std::vector<std::pair<double, double>> local;
    for (const auto& [e, n] : site)
        local.emplace_back(e - frame.x0, n - frame.y0);
    // Measured, not clipped cell by cell: the volumes clip when they are asked for.
    const auto measured = OutlineMask::measure(frame.rows, frame.cols, frame.spacing, local, false);
    if (!site.empty() && !measured) {
        fail(err) << "the site outline is no polygon the grid can be clipped by\n";
        return 1;
    }
    const ProjectFileNames target = projectFileNames(w->values.value(QStringLiteral("-o")));
    if (const auto failed = saveProjectPair(p, target)) {
        fail(err) << saveFailureText(*failed, target) << '\n';
        return 1;
    }
    out << "points " << q.pointsRead << "   used " << q.pointsUsed << "   duplicates "
        << q.duplicates << "   rows " << frame.rows << "   cols " << frame.cols << "   estimated "
        << q.nodesEstimated << '\n'
        << "residual-rms " << QString::number(q.rms, 'f', 3) << "   residual-max "
        << QString::number(q.largest.empty() ? 0 : std::abs(q.largest[0].value), 'f', 3) << ' '
        << (q.largest.empty() ? QString() : q.largest[0].name) << '\n'
        << "crs " << (points.epsg > 0 ? QStringLiteral("EPSG:%1").arg(points.epsg) : "none")
        << "   datum-shift " << (points.shift.key.isEmpty() ? "none" : points.shift.key) << '\n';
    out << areaWords(measured ? measured->insideArea : earthworkGrid(p).area()) << "   outside "
        << (measured ? grid.outsideOutline : 0) << '\n';
    for (const QString& d : q.differing)
        out << "duplicate " << d << '\n';
    for (std::size_t i = 0; i < grid.estimated.size(); ++i)
        if (grid.estimated[i])
            out << "estimated-node " << i + 1 << '\n';
    for (const Residual& r : q.suspects)
        out << "suspect " << r.name << ' ' << QString::number(r.value, 'f', 3) << '\n';
    return 0;
}

} // namespace tervan
