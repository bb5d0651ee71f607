#include "cli/gridcommand.h"

#include "cli/batchwords.h"
#include "common/messages.h"
#include "project/projectfile.h"
#include "survey/coordinates.h"
#include "survey/gridding.h"

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

} // namespace

int gridFromPoints(const QStringList& args, QTextStream& out, QTextStream& err, const char* usage)
{
    QString problem;
    const QStringList valued = {
        QStringLiteral("-o"),     QStringLiteral("--spacing"),  QStringLiteral("--origin"),
        QStringLiteral("--size"), QStringLiteral("--method"),   QStringLiteral("--columns"),
        QStringLiteral("--crs"),  QStringLiteral("--from-crs"), QStringLiteral("--interval")};
    const auto w = readWords(args, valued, {}, problem);
    if (!w || w->names.size() != 1 || !w->values.contains(QStringLiteral("-o")) ||
        !w->values.contains(QStringLiteral("--spacing")))
        return usageError(err, usage, w, problem);

    bool bad = false;
    const double spacing = w->number("--spacing", bad).value_or(0);
    if (!bad && (spacing != std::floor(spacing) || spacing < 1 || spacing > 32767))
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
    const auto crs = crsOption(*w, "--crs", bad);
    const auto fromCrs = crsOption(*w, "--from-crs", bad);
    const auto pair = [&](const char* option, const QString& pattern) {
        const auto m = QRegularExpression(pattern).match(w->values.value(QLatin1String(option)));
        if (w->values.contains(QLatin1String(option)) && !m.hasMatch())
            bad = !w->refuse(option, option[2] == 'o' ? "X,Y in metres" : "ROWSxCOLS");
        return m;
    };
    const auto origin = pair("--origin", QStringLiteral("^(-?[0-9.]+),(-?[0-9.]+)$"));
    const auto size = pair("--size", QStringLiteral("^([0-9]+)x([0-9]+)$"));
    if (bad)
        return usageError(err, usage, w, problem);

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
    const QString from = fromCrs ? QStringLiteral("EPSG:%1").arg(*fromCrs) : file.crs;
    if (isGeographicCrs(from) && !crs) {
        fail(err) << "the points are latitude/longitude: give --crs EPSG:N to project them\n";
        return 1;
    }
    if (crs && !from.isEmpty())
        if (const auto failed = projectPoints(file.points, from, *crs)) {
            fail(err) << *failed << '\n';
            return 1;
        }
    const MergedPoints merged = mergeDuplicates(file.points);
    GridFrame frame = frameAround(merged.points, int(spacing));
    if (origin.hasMatch()) {
        frame.x0 = origin.captured(1).toDouble();
        frame.y0 = origin.captured(2).toDouble();
    }
    if (size.hasMatch()) {
        frame.rows = size.captured(1).toInt();
        frame.cols = size.captured(2).toInt();
    }
    const auto made = makeGrid(merged.points, frame, GridMethod(method));
    if (const auto* reason = std::get_if<QString>(&made)) {
        fail(err) << QDir::toNativeSeparators(source) << ": " << *reason << '\n';
        return 1;
    }
    const GridResult& grid = std::get<GridResult>(made);
    const GridQuality q = gridQuality(merged.points, frame, grid, int(file.points.size()), merged);
    const Project p = projectFromGrid(frame, grid, QFileInfo(source).completeBaseName(),
                                      crs.value_or(0), float(interval.value_or(0)));
    const ProjectFileNames target = projectFileNames(w->values.value(QStringLiteral("-o")));
    if (const auto failed = saveProjectFiles(p, target)) {
        fail(err) << msg::cannotSaveFile(QDir::toNativeSeparators(projectFilePath(target, *failed)))
                  << '\n';
        return 1;
    }
    out << "points " << q.pointsRead << "   used " << q.pointsUsed << "   duplicates "
        << q.duplicates << "   rows " << frame.rows << "   cols " << frame.cols << "   estimated "
        << q.nodesEstimated << '\n'
        << "residual-rms " << QString::number(q.rms, 'f', 3) << "   residual-max "
        << QString::number(q.largest.empty() ? 0 : std::abs(q.largest[0].value), 'f', 3) << ' '
        << (q.largest.empty() ? QString() : q.largest[0].name) << '\n';
    for (const QString& d : q.differing)
        out << "duplicate " << d << '\n';
    for (std::size_t i = 0; i < grid.estimated.size(); ++i)
        if (grid.estimated[i])
            out << "estimated-node " << i + 1 << '\n';
    return 0;
}

} // namespace tervan
