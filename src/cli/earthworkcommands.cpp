#include "cli/earthworkcommands.h"

#include "cli/batchwords.h"
#include "common/messages.h"
#include "common/numbertext.h"
#include "grading/balancechart.h"
#include "grading/earthwork.h"
#include "grading/grading.h"
#include "grading/suspectheights.h"
#include "graphics/imagesurface.h"

#include <QDir>
#include <QImage>
#include <QTextStream>
#include <string_view>

namespace tervan {

namespace {

// The compaction factor and the plane's slopes as the dialogs take them.
struct PlaneOptions
{
    double k = 1;
    double slopeX = 0;
    double slopeY = 0;
};

std::optional<PlaneOptions> planeOptions(const Words& w, bool& bad)
{
    PlaneOptions o;
    o.k = w.number("--k", bad).value_or(1);
    o.slopeX = w.number("--slope-x", bad).value_or(0);
    o.slopeY = w.number("--slope-y", bad).value_or(0);
    if (bad)
        return std::nullopt;
    const char* wrong = !isCompactionFactor(o.k)    ? "--k"
                        : !isSlopePercent(o.slopeX) ? "--slope-x"
                        : !isSlopePercent(o.slopeY) ? "--slope-y"
                                                    : nullptr;
    if (wrong) {
        w.refuse(wrong, wrong == std::string_view("--k") ? "a compaction factor the dialogs take"
                                                         : "a slope in percent the dialogs take");
        return std::nullopt;
    }
    return o;
}

// The project the earthwork needs: one with cells. Says why not on stderr.
std::optional<Project> openGraded(const QString& name, QTextStream& err)
{
    auto p = openProject(name, err);
    if (p && (!p->HasNodes() || earthworkGrid(*p).cellCount() == 0)) {
        fail(err) << msg::DataIncomplete << '\n';
        return std::nullopt;
    }
    return p;
}

int earthwork(const QStringList& args, QTextStream& out, QTextStream& err, const char* usage)
{
    QString problem;
    const auto w =
        readWords(args, {"--platform", "--k", "--slope-x", "--slope-y"}, {"--csv"}, problem);
    bool bad = false;
    const auto o = w ? planeOptions(*w, bad) : std::nullopt;
    // A platform the fixed grade can take as well: a finite float.
    double zc = w ? w->platform(bad).value_or(0) : 0;
    if (!o || bad || w->names.size() != 1)
        return usageError(err, usage, w, problem);
    const auto p = openGraded(w->names[0], err);
    if (!p)
        return 1;
    // As grade refuses a platform whose volumes overflow.
    if (w->values.contains(QStringLiteral("--platform")) && !PlatformGradeable(*p, float(zc))) {
        fail(err) << msg::DataIncomplete << '\n';
        return 1;
    }
    // Without a platform, the gross balance.
    if (!w->values.contains(QStringLiteral("--platform")))
        zc = balancedElevation(earthworkGrid(*p, o->slopeX, o->slopeY), o->k);
    const Earthwork e = computeEarthwork(*p, {zc, o->slopeX, o->slopeY});
    if (w->has("--csv")) {
        out << "cell,gross_cut_m3,gross_fill_m3,net_m3\n";
        for (std::size_t n = 0; n < e.cells.size(); ++n)
            out << n + 1 << ',' << formatPicture(e.cells[n].cut, 2) << ','
                << formatPicture(e.cells[n].fill, 2) << ',' << formatPicture(e.cells[n].net(), 2)
                << '\n';
        return 0;
    }
    out << "platform " << formatPicture(zc, 3) << '\n'
        << "four-corner-cut " << formatPicture(e.fourCorner.cut, 2) << '\n'
        << "four-corner-fill " << formatPicture(e.fourCorner.fill, 2) << '\n'
        << "gross-cut " << formatPicture(e.gross.cut, 2) << '\n'
        << "gross-fill " << formatPicture(e.gross.fill, 2) << '\n'
        << "compacted-cut " << formatPicture(e.compactedCut(o->k), 2) << '\n'
        << "net " << formatPicture(e.compactedNet(o->k), 2) << '\n'
        << areaWords(e.area) << '\n';
    for (std::size_t n = 0; n < e.cells.size(); ++n)
        out << "cell " << n + 1 << ' ' << formatPicture(e.cells[n].cut, 2) << ' '
            << formatPicture(e.cells[n].fill, 2) << ' ' << formatPicture(e.cells[n].net(), 2)
            << '\n';
    return 0;
}

int balance(const QStringList& args, QTextStream& out, QTextStream& err, const char* usage)
{
    QString problem;
    const auto w = readWords(args, {"--k", "--slope-x", "--slope-y", "--curve"}, {}, problem);
    bool bad = false;
    const auto o = w ? planeOptions(*w, bad) : std::nullopt;
    // No --curve: no curve lines (0).
    const double points = w ? w->number("--curve", bad).value_or(0) : 0;
    if (w && (points != std::floor(points) || points == 1 || points < 0 || points > 10000))
        bad = !w->refuse("--curve", "a whole number of points from 2 to 10000");
    if (!o || bad || w->names.size() != 1)
        return usageError(err, usage, w, problem);
    const auto p = openGraded(w->names[0], err);
    if (!p)
        return 1;
    const EarthworkGrid g = earthworkGrid(*p, o->slopeX, o->slopeY);
    const Balance b = computeBalance(g, o->k, std::max(int(points), 2));
    out << "balanced " << formatPicture(b.balanced, 3) << '\n'
        << "per-cm " << formatPicture(b.perCentimetre, 2) << '\n'
        << areaWords(g.area()) << '\n';
    if (points > 0)
        for (const BalancePoint& c : b.curve)
            out << "curve " << formatPicture(c.z, 3) << ' ' << formatPicture(c.cut, 2) << ' '
                << formatPicture(c.fill, 2) << ' ' << formatPicture(c.net, 2) << '\n';
    return 0;
}

int check(const QStringList& args, QTextStream& out, QTextStream& err, const char* usage)
{
    QString problem;
    const auto w = readWords(args, {"--factor", "--floor"}, {}, problem);
    bool bad = false;
    const double factor = w ? w->number("--factor", bad).value_or(5) : 0;
    const double floor = w ? w->number("--floor", bad).value_or(0.5) : 0;
    if (w && (!std::isfinite(factor) || factor < 0))
        w->refuse("--factor", "a number of 0 or more");
    if (w && (!std::isfinite(floor) || floor < 0))
        w->refuse("--floor", "a number of metres of 0 or more");
    if (!w || bad || w->names.size() != 1 || !std::isfinite(factor) || factor < 0 ||
        !std::isfinite(floor) || floor < 0)
        return usageError(err, usage, w, problem);
    const auto p = openProject(w->names[0], err);
    if (!p)
        return 1;
    if (!p->HasNodes()) {
        fail(err) << msg::DataIncomplete << '\n';
        return 1;
    }
    const SuspectCheck c = findSuspectHeights(*p, factor, floor);
    for (const SuspectHeight& s : c.suspects)
        out << "suspect " << s.node << ' ' << formatPicture(s.elevation, 3) << ' '
            << formatPicture(s.median, 3) << '\n';
    out << "suspects " << c.suspects.size() << '\n';
    return 0;
}

int renderBalance(const QStringList& args, QTextStream& err, const char* usage)
{
    QString problem;
    const auto w = readWords(args, {"-o", "--size", "--k", "--platform"}, {}, problem);
    bool bad = false;
    const auto o = w ? planeOptions(*w, bad) : std::nullopt;
    const auto platform = w ? w->platform(bad) : std::nullopt;
    const auto size =
        w ? readImageSize(w->values.value("--size", QStringLiteral("1200x800"))) : std::nullopt;
    if (w && !size)
        w->refuse("--size", ImageSizeWords);
    if (!o || bad || !size || w->names.size() != 1 || w->values.value("-o").isEmpty())
        return usageError(err, usage, w, problem);
    if (!outputUsable(w->values.value("-o"), err))
        return 1;
    const auto p = openGraded(w->names[0], err);
    if (!p)
        return 1;
    auto image = newImage(*size, err);
    if (!image)
        return 1;
    {
        ImageSurface surface(*image);
        surface.clear();
        DrawBalanceChart(surface, computeBalance(earthworkGrid(*p), o->k), platform,
                         12.0 * size->height() / 800);
    }
    return savePng(*image, w->values.value("-o"), err) ? 0 : 1;
}

} // namespace

int runEarthworkCommand(const QStringList& args, QTextStream& out, QTextStream& err,
                        const char* usage)
{
    const QString command = args.value(0);
    if (command == QLatin1String("earthwork"))
        return earthwork(args.mid(1), out, err, usage);
    if (command == QLatin1String("balance"))
        return balance(args.mid(1), out, err, usage);
    if (command == QLatin1String("check"))
        return check(args.mid(1), out, err, usage);
    if (command == QLatin1String("render") && args.value(1) == QLatin1String("balance"))
        return renderBalance(args.mid(2), err, usage);
    return -1;
}

} // namespace tervan
