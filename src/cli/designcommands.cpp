#include "cli/designcommands.h"

#include "cli/batchwords.h"
#include "common/messages.h"
#include "common/numbertext.h"
#include "common/outputfile.h"
#include "gis/gis.h"
#include "grading/cutfillmap.h"
#include "grading/designsurface.h"
#include "grading/designtexts.h"
#include "grading/sections.h"
#include "grading/sectiontexts.h"
#include "grading/stakeout.h"
#include "graphics/imagesurface.h"
#include "printing/cairopdfbackend.h"
#include "printing/cutfillreport.h"
#include "printing/earthworkreports.h"
#include "printing/pagesurface.h"
#include "project/projectfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTextStream>

namespace tervan {

namespace {

const QStringList PadOptions{"--k", "--pad", "--level", "--cut-slope", "--fill-slope"};

// The figures of one run against a design: the earthwork, the map, and the pad's when the
// design is a pad.
struct DesignRun
{
    Project project;
    QString title;
    double k = 1;
    Earthwork earthwork;
    std::optional<PadResult> pad;
    CutFillMap map;
    QString designName;
};

std::optional<PadRect> padRect(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return PadRect{v[0], v[1], v[2], v[3]};
}

// Reads the design the words name (a second project or CSV file, or a pad) and computes
// against it. Status 1 or 2 in `status` when it cannot.
std::optional<DesignRun> designRun(const Words& w, qsizetype names, QTextStream& err,
                                   const char* usage, int& status)
{
    bool bad = false;
    const double k = w.number("--k", bad).value_or(1);
    if (!bad && !isCompactionFactor(k))
        bad = !w.refuse("--k", "a compaction factor above 0, at most 10");
    const bool isPad = w.values.contains(QStringLiteral("--pad"));
    const auto level = w.number("--level", bad);
    const double hc = w.number("--cut-slope", bad).value_or(0);
    const double hf = w.number("--fill-slope", bad).value_or(0);
    const auto rect = padRect(w.values.value(QStringLiteral("--pad")));
    if (isPad && !bad) {
        if (!rect)
            bad = !w.refuse("--pad", "C0,R0,C1,R1");
        else if (!isBatterRun(hc))
            bad = !w.refuse("--cut-slope", "a run above 0 metres per metre");
        else if (!isBatterRun(hf))
            bad = !w.refuse("--fill-slope", "a run above 0 metres per metre");
        else if (level.has_value() == w.has("--balance"))
            w.problem = QStringLiteral("a pad needs either --level Z or --balance");
        else if (level && !std::isfinite(*level))
            bad = !w.refuse("--level", "a finite elevation");
    }
    const bool unusable =
        bad || !w.problem.isEmpty() || w.names.size() != names + (isPad ? 0 : 1) ||
        (!isPad && (w.has("--balance") || level || w.values.contains("--cut-slope") ||
                    w.values.contains("--fill-slope")));
    if (unusable) {
        status = usageError(err, usage, w.problem);
        return std::nullopt;
    }
    status = 1;
    auto p = openProject(w.names[0], err);
    if (!p)
        return std::nullopt;
    const EarthworkGrid ground = earthworkGrid(*p);
    if (!p->HasNodes() || ground.cellCount() == 0) {
        fail(err) << msg::DataIncomplete << '\n';
        return std::nullopt;
    }
    DesignRun run{*p, designtitle::Compare, k, {}, {}, {}, {}};
    if (isPad) {
        if (!rect->fits(ground)) {
            status = usageError(err, usage,
                                QStringLiteral("--pad: '%1' is not a rectangle of nodes inside the "
                                               "grid with at least one cell")
                                    .arg(w.values.value(QStringLiteral("--pad"))));
            return std::nullopt;
        }
        run.title = designtitle::Pad;
        run.pad = level ? padAt(ground, *rect, *level, {hc, hf}, k)
                        : balancedPad(ground, *rect, {hc, hf}, k);
        run.earthwork = run.pad->earthwork;
        run.map = padMap(ground, *run.pad, p->ContourInterval);
        return run;
    }
    const auto loaded = loadDesignSurface(*p, w.names[1], w.has("--missing-ground"));
    if (const auto* reasons = std::get_if<QStringList>(&loaded)) {
        for (const QString& reason : *reasons)
            fail(err) << reason << '\n';
        return std::nullopt;
    }
    const auto& design = std::get<EarthworkGrid>(loaded);
    if (const QString why = gridMismatch(ground, design); !why.isEmpty()) {
        fail(err) << why << '\n';
        return std::nullopt;
    }
    run.map.depth = depthGrid(ground, design);
    run.map.contourInterval = p->ContourInterval;
    run.earthwork = depthEarthwork(run.map.depth);
    run.designName = QFileInfo(w.names[1]).fileName();
    return run;
}

void cellLines(const DesignRun& r, bool csv, QTextStream& out)
{
    if (csv)
        out << "cell,cut_m3,fill_m3,net_m3\n";
    const char* sep = csv ? "," : " ";
    for (std::size_t n = 0; n < r.earthwork.cells.size(); ++n) {
        const CutFill& c = r.earthwork.cells[n];
        out << (csv ? "" : "cell ") << n + 1 << sep << formatPicture(c.cut, 2) << sep
            << formatPicture(c.fill, 2) << sep << formatPicture(compactedNet(c, r.k), 2) << '\n';
    }
}

// pad PROJECT --pads FILE: pads of any outline, several at once.
// The pads --pads names, checked against the grid and designed; the reason on stderr when not.
std::optional<PadsResult> padsOfWords(const Words& w, const Project& p, const EarthworkGrid& ground,
                                      double k, QTextStream& err)
{
    const QString file = w.values.value(QStringLiteral("--pads"));
    auto read = gis().readPadsFile(file, p);
    if (const auto* reason = std::get_if<QString>(&read)) {
        fail(err) << *reason << '\n';
        return std::nullopt;
    }
    const auto& pads = std::get<std::vector<PadShape>>(read);
    const QString how = w.values.value(QStringLiteral("--balance"));
    const PadBalance balance = how == QLatin1String("together") ? PadBalance::Together
                               : how == QLatin1String("each")   ? PadBalance::Each
                                                                : PadBalance::None;
    for (const PadShape& pad : pads) {
        QString why = padShapeProblem(pad, ground);
        if (why.isEmpty() && !pad.level && balance == PadBalance::None)
            why = QStringLiteral("แท่น %1: ไม่มีค่าระดับ ใช้ --balance together หรือ each").arg(pad.name);
        if (!why.isEmpty()) {
            fail(err) << QDir::toNativeSeparators(file) << ": " << why << '\n';
            return std::nullopt;
        }
    }
    PadsResult r = designPads(ground, pads, balance, k);
    if (balance != PadBalance::None && !r.balanced)
        fail(err) << "warning: no level balances the pads within 0.5 m3; net "
                  << formatPicture(r.net, 2) << '\n';
    return r;
}

// --k and --balance together|each as the pads take them; false with the problem set.
bool padsWordsFit(Words& w, double& k)
{
    bool bad = false;
    k = w.number("--k", bad).value_or(1);
    if (!bad && !isCompactionFactor(k))
        bad = !w.refuse("--k", "a compaction factor above 0, at most 10");
    const QString how = w.values.value(QStringLiteral("--balance"));
    if (!bad && w.values.contains(QStringLiteral("--balance")) &&
        how != QLatin1String("together") && how != QLatin1String("each"))
        bad = !w.refuse("--balance", "together or each");
    return !bad;
}

// The project the design commands grade: one with cells. Says why not on stderr.
std::optional<Project> openWithCells(const QString& name, QTextStream& err)
{
    auto p = openProject(name, err);
    if (p && (!p->HasNodes() || earthworkGrid(*p).cellCount() == 0)) {
        fail(err) << msg::DataIncomplete << '\n';
        return std::nullopt;
    }
    return p;
}

int padsCommand(const QStringList& args, QTextStream& out, QTextStream& err, const char* usage)
{
    QString problem;
    auto w = readWords(args, {"--k", "--pads", "--balance", "--design"}, {"--csv"}, problem);
    if (!w || w->names.size() != 1)
        return usageError(err, usage, problem);
    double k = 1;
    if (!padsWordsFit(*w, k))
        return usageError(err, usage, w->problem);
    const auto p = openWithCells(w->names[0], err);
    if (!p)
        return 1;
    const EarthworkGrid ground = earthworkGrid(*p);
    const auto designed = padsOfWords(*w, *p, ground, k, err);
    if (!designed)
        return 1;
    const PadsResult& r = *designed;
    const auto& pads = r.pads;
    if (w->values.contains(QStringLiteral("--design"))) {
        Project design = *p;
        for (std::size_t n = 0; n < r.design.h.size(); ++n)
            design.Nodes[n + 1].Z = float(r.design.h[n]);
        design.ComputeElevationRange();
        const ProjectFileNames target =
            projectFileNames(w->values.value(QStringLiteral("--design")));
        if (const auto failed = saveProjectPair(design, target)) {
            fail(err) << saveFailureText(*failed, target) << '\n';
            return 1;
        }
    }
    if (!w->has("--csv")) {
        const CutFill& g = r.earthwork.gross;
        out << (r.balanced ? "balanced " : "level ") << formatPicture(r.pads.front().level, 3)
            << "   per-cm " << formatPicture(r.perCentimetre, 2) << '\n'
            << "cut " << formatPicture(g.cut, 2) << "   fill " << formatPicture(g.fill, 2)
            << "   net " << formatPicture(r.net, 2) << "   open-edge " << r.openEdge.size()
            << "   conflicts " << r.conflicts.size() << '\n'
            << areaWords(r.earthwork.area) << '\n';
        for (std::size_t i = 0; i < pads.size(); ++i)
            out << "pad " << pads[i].name << " level " << formatPicture(r.pads[i].level, 3)
                << " cut " << formatPicture(r.pads[i].cutFill.cut, 2) << " fill "
                << formatPicture(r.pads[i].cutFill.fill, 2) << " area "
                << formatPicture(r.pads[i].area, 2) << '\n';
    }
    DesignRun run{*p, designtitle::Pad, k, r.earthwork, {}, {}, {}};
    cellLines(run, w->has("--csv"), out);
    return 0;
}

int compareOrPad(const QStringList& args, bool pad, QTextStream& out, QTextStream& err,
                 const char* usage)
{
    if (pad && args.contains(QStringLiteral("--pads")))
        return padsCommand(args, out, err, usage);
    QString problem;
    const auto w = readWords(args, PadOptions, {"--csv", "--balance", "--missing-ground"}, problem);
    if (!w || (pad != w->values.contains(QStringLiteral("--pad"))))
        return usageError(err, usage,
                          w && problem.isEmpty() ? QStringLiteral("pad needs --pad C0,R0,C1,R1")
                                                 : problem);
    int status = 0;
    const auto r = designRun(*w, 1, err, usage, status);
    if (!r)
        return status;
    if (!w->has("--csv")) {
        const CutFill& g = r->earthwork.gross;
        if (pad)
            out << (r->pad->balanced ? "balanced " : "level ") << formatPicture(r->pad->zp, 3)
                << "   per-cm " << formatPicture(r->pad->perCentimetre, 2) << '\n';
        out << "cut " << formatPicture(g.cut, 2) << "   fill " << formatPicture(g.fill, 2)
            << "   net " << formatPicture(compactedNet(g, r->k), 2);
        if (pad)
            out << "   open-edge " << r->pad->pad.openEdge.size() << '\n';
        else
            out << "   four-corner-cut " << formatPicture(r->earthwork.fourCorner.cut, 2)
                << "   four-corner-fill " << formatPicture(r->earthwork.fourCorner.fill, 2) << '\n';
        out << areaWords(r->earthwork.area) << '\n';
    }
    cellLines(*r, w->has("--csv"), out);
    return 0;
}

std::vector<SummaryLine> summaryOf(const DesignRun& r)
{
    return r.pad ? padSummary(*r.pad) : comparisonSummary(r.earthwork, r.k, r.designName);
}

int renderOrPrint(const QStringList& args, bool print, QTextStream& err, const char* usage)
{
    QString problem;
    QStringList valued = PadOptions;
    valued << "-o"
           << "--size";
    const auto w = readWords(
        args, valued, {"--balance", "--contours", "--missing-ground", "--all-cells"}, problem);
    if (!w || w->values.value("-o").isEmpty())
        return usageError(err, usage,
                          w && problem.isEmpty() ? QStringLiteral("needs -o OUT") : problem);
    const auto size = readImageSize(w->values.value("--size", QStringLiteral("1600x1000")));
    if (!size) {
        w->refuse("--size", "WIDTHxHEIGHT, each 1 to 20000 pixels");
        return usageError(err, usage, w->problem);
    }
    int status = 0;
    auto r = designRun(*w, 1, err, usage, status);
    if (!r)
        return status;
    if (!w->has("--contours"))
        r->map.contourInterval = 0;
    const QString output = w->values.value("-o");
    if (!print) {
        QImage image(*size, QImage::Format_RGB32);
        {
            ImageSurface surface(image);
            surface.clear();
            DrawCutFillMap(surface, r->map, double(size->width()) / size->height(),
                           12.0 * size->height() / 1000);
        }
        return savePng(image, output, err) ? 0 : 1;
    }
    if (const QString failed =
            savePdf(output,
                    [&](PageSurface& page) {
                        PrintCutFill(page, r->project, r->title, summaryOf(*r), r->map,
                                     printedDesignCells(r->earthwork, r->k, w->has("--all-cells")));
                    });
        !failed.isEmpty()) {
        fail(err) << failed << '\n';
        return 1;
    }
    return 0;
}

int stakeout(const QStringList& args, QTextStream& out, QTextStream& err, const char* usage)
{
    QString problem;
    QStringList valued = PadOptions;
    valued << "-o"
           << "--every";
    const auto w = readWords(args, valued, {"--balance", "--corners", "--missing-ground"}, problem);
    const QString output = w ? w->values.value("-o") : QString();
    const QString suffix = QFileInfo(output).suffix().toLower();
    if (!w || output.isEmpty())
        return usageError(err, usage,
                          w && problem.isEmpty() ? QStringLiteral("needs -o OUT") : problem);
    if (!QStringList{"csv", "txt", "pdf"}.contains(suffix)) {
        w->refuse("-o", "a name ending .csv, .txt or .pdf");
        return usageError(err, usage, w->problem);
    }
    bool bad = false;
    const double every = w->number("--every", bad).value_or(1);
    if (!bad && (every != std::floor(every) || every < 1 || every > 32767))
        bad = !w->refuse("--every", "a whole number of nodes, 1 or more");
    if (!bad && w->has("--corners") && !w->values.contains(QStringLiteral("--pad")))
        bad = !w->refuse("--corners", "a pad's: give --pad");
    if (bad)
        return usageError(err, usage, w->problem);
    int status = 0;
    const auto r = designRun(*w, 1, err, usage, status);
    if (!r)
        return status;
    const EarthworkGrid ground = earthworkGrid(r->project);
    EarthworkGrid design = ground;
    if (r->pad)
        design = r->pad->pad.design;
    else
        for (std::size_t i = 0; i < design.h.size(); ++i)
            design.h[i] -= r->map.depth.h[i];
    const std::vector<StakePoint> stakes =
        w->has("--corners")
            ? padOutlineStakes(r->project, ground, *r->pad)
            : nodeStakes(r->project, ground, design,
                         r->pad ? std::optional(r->pad->rect) : std::nullopt, int(every));
    const QString failed =
        suffix == QLatin1String("pdf")
            ? savePdf(output,
                      [&](PageSurface& page) {
                          PrintTableReport(page, r->project, StakeSheetTitle, stakeSummary(stakes),
                                           stakeTable(stakes));
                      })
            : writeOutputBytes(output, suffix == QLatin1String("csv")
                                           ? stakeCsv(stakes)
                                           : stakeTotalStationText(stakes));
    if (!failed.isEmpty()) {
        fail(err) << failed << '\n';
        return 1;
    }
    const auto summary = stakeSummary(stakes);
    out << "stakes " << stakes.size() << "   deepest-cut " << summary[1].value << "   deepest-fill "
        << summary[2].value << '\n';
    return 0;
}

// E1,N1,E2,N2,... in the project's coordinates, as grid metres; none when the text is no
// list of pairs.
std::optional<std::vector<QPointF>> lineOf(const QString& text, const Project& p)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() < 2 || parts.size() % 2 != 0)
        return std::nullopt;
    std::vector<QPointF> line;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        bool ok = false, ok2 = false;
        const double e = parts[i].trimmed().toDouble(&ok),
                     n = parts[i + 1].trimmed().toDouble(&ok2);
        if (!ok || !ok2)
            return std::nullopt;
        line.emplace_back(e - worldX(p.Georef, 0), n - worldY(p.Georef, 0));
    }
    return line;
}

int sectionsCommand(const QStringList& args, QTextStream& out, QTextStream& err, const char* usage)
{
    QString problem;
    QStringList valued = PadOptions;
    valued << "-o"
           << "--line"
           << "--every"
           << "--width"
           << "--pads"
           << "--design";
    const bool pads = args.contains(QStringLiteral("--pads"));
    if (pads)
        valued << "--balance";
    auto w = readWords(
        args, valued, pads ? QStringList{} : QStringList{"--balance", "--missing-ground"}, problem);
    if (!w || !w->values.contains(QStringLiteral("--line")))
        return usageError(
            err, usage,
            w && problem.isEmpty() ? QStringLiteral("sections needs --line E1,N1,E2,N2") : problem);
    bool bad = false;
    const double every = w->number("--every", bad).value_or(10);
    const double width = w->number("--width", bad).value_or(20);
    const QString output = w->values.value(QStringLiteral("-o"));
    const QString suffix = QFileInfo(output).suffix().toLower();
    if (!bad && !output.isEmpty() && suffix != QLatin1String("csv") &&
        suffix != QLatin1String("pdf") && suffix != QLatin1String("dxf"))
        bad = !w->refuse("-o", "a name ending .csv, .pdf or .dxf");
    if (bad)
        return usageError(err, usage, w->problem);
    std::optional<Project> p;
    EarthworkGrid design;
    if (pads) {
        double k = 1;
        if (!padsWordsFit(*w, k) || w->names.size() != 1)
            return usageError(err, usage, w->problem);
        if (!(p = openWithCells(w->names[0], err)))
            return 1;
        const auto designed = padsOfWords(*w, *p, earthworkGrid(*p), k, err);
        if (!designed)
            return 1;
        design = designed->design;
    } else {
        int status = 0;
        const auto r = designRun(*w, 1, err, usage, status);
        if (!r)
            return status;
        p = r->project;
        design = r->pad ? r->pad->pad.design : earthworkGrid(*p);
        if (!r->pad)
            for (std::size_t n = 0; n < design.h.size(); ++n)
                design.h[n] -= r->map.depth.h[n];
    }
    const EarthworkGrid ground = earthworkGrid(*p);
    const auto line = lineOf(w->values.value(QStringLiteral("--line")), *p);
    if (!line) {
        w->refuse("--line", "E1,N1,E2,N2[,...] in the project's coordinates");
        return usageError(err, usage, w->problem);
    }
    if (const QString why = sectionLineProblem(*line, every, width, ground); !why.isEmpty()) {
        fail(err) << "--line: " << why << '\n';
        return 1;
    }
    const SectionsResult r = crossSections(ground, design, *line, every, width);
    const CutFill grid = stripGross(ground, design, r.strip);
    QString failed;
    if (suffix == QLatin1String("csv")) {
        failed = writeOutputBytes(output, sectionsCsv(r));
    } else if (suffix == QLatin1String("dxf")) {
        failed = gis().writeSectionsDxf(*p, r, output);
    } else if (suffix == QLatin1String("pdf")) {
        failed = savePdf(output, [&](PageSurface& page) {
            PrintSections(page, *p, r, sectionsSummary(r, every, width), sectionsTable(r));
        });
    }
    if (!failed.isEmpty()) {
        fail(err) << failed << '\n';
        return 1;
    }
    for (std::size_t i = 0; i < r.stations.size(); ++i) {
        if (i > 0) {
            const SectionVolume& v = r.volumes[i - 1];
            out << "between " << formatPicture(v.from, 3) << ' ' << formatPicture(v.to, 3)
                << " cut-aea " << formatPicture(v.cutEndAreas, 2) << " fill-aea "
                << formatPicture(v.fillEndAreas, 2) << " cut-prism "
                << formatPicture(v.cutPrismoidal, 2) << " fill-prism "
                << formatPicture(v.fillPrismoidal, 2) << '\n';
        }
        const Section& s = r.stations[i];
        out << "station " << formatPicture(s.chainage, 3) << " cut-area "
            << formatPicture(s.cutArea, 2) << " fill-area " << formatPicture(s.fillArea, 2) << '\n';
    }
    out << "total cut-aea " << formatPicture(r.total.cutEndAreas, 2) << " fill-aea "
        << formatPicture(r.total.fillEndAreas, 2) << " cut-prism "
        << formatPicture(r.total.cutPrismoidal, 2) << " fill-prism "
        << formatPicture(r.total.fillPrismoidal, 2) << "   grid-gross cut "
        << formatPicture(grid.cut, 2) << " fill " << formatPicture(-grid.fill, 2) << '\n';
    return 0;
}

} // namespace

int runDesignCommand(const QStringList& args, QTextStream& out, QTextStream& err, const char* usage)
{
    const QString command = args.value(0);
    if (command == QLatin1String("compare") || command == QLatin1String("pad"))
        return compareOrPad(args.mid(1), command == QLatin1String("pad"), out, err, usage);
    if ((command == QLatin1String("render") || command == QLatin1String("print")) &&
        args.value(1) == QLatin1String("cutfill"))
        return renderOrPrint(args.mid(2), command == QLatin1String("print"), err, usage);
    if (command == QLatin1String("stakeout"))
        return stakeout(args.mid(1), out, err, usage);
    if (command == QLatin1String("sections"))
        return sectionsCommand(args.mid(1), out, err, usage);
    return -1;
}

} // namespace tervan
