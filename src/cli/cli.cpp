#include "cli/cli.h"

#include "common/messages.h"
#include "common/numbertext.h"
#include "grading/grading.h"
#include "graphics/contourtracer.h"
#include "graphics/imagesurface.h"
#include "graphics/redraw.h"
#include "graphics/viewwindow.h"
#include "printing/painterbackend.h"
#include "printing/reports.h"
#include "project/projectfile.h"

#include <QDir>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextStream>
#include <charconv>
#include <cmath>
#include <string>

namespace tervan {

namespace {

const char Usage[] =
    "usage: tervan-cli info PROJECT\n"
    "       tervan-cli render grid|contour|surface PROJECT -o OUT.png [--size WxH] [--fit]\n"
    "                 [--angle A]\n"
    "       tervan-cli contours PROJECT [--interval I] [--all-labels] [--summary]\n"
    "       tervan-cli grade PROJECT [--platform Z] [--csv]\n"
    "       tervan-cli print REPORT PROJECT -o OUT.pdf [--platform Z]\n"
    "         REPORT: control, nodes, data, grid, contour, graphics, grade-balanced,\n"
    "                 grade-fixed, grades\n";

// The words after a command: names in order, options that take a value, bare flags. A word
// starting with '-' that the command does not know makes the line unusable.
struct Words
{
    QStringList names;
    QHash<QString, QString> values;
    QStringList flags;

    bool has(const char* flag) const { return flags.contains(QLatin1String(flag)); }
    // The option's number: nothing when the option is absent; `bad` when it is no number.
    std::optional<double> number(const char* option, bool& bad) const
    {
        if (!values.contains(QLatin1String(option)))
            return std::nullopt;
        bool ok = false;
        const double v = QLocale::c().toDouble(values.value(QLatin1String(option)), &ok);
        bad = bad || !ok;
        return ok ? std::optional<double>(v) : std::nullopt;
    }
};

std::optional<Words> readWords(const QStringList& args, const QStringList& valued,
                               const QStringList& bare)
{
    Words w;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!a.startsWith(QLatin1Char('-')))
            w.names << a;
        else if (valued.contains(a) && i + 1 < args.size())
            w.values.insert(a, args[++i]);
        else if (bare.contains(a))
            w.flags << a;
        else
            return std::nullopt;
    }
    return w;
}

// A platform elevation the fixed grade can take: a finite float.
std::optional<double> platformOf(const Words& w, bool& bad)
{
    const auto value = w.number("--platform", bad);
    bad = bad || (value && !std::isfinite(float(*value)));
    return value;
}

QString withoutTrailingBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.left(end);
}

// Opens a project by the window's name rules; on failure writes the same reason the window
// shows and returns nullopt.
std::optional<Project> openProject(const QString& name, QTextStream& err)
{
    const ProjectFileNames names = projectFileNames(name);
    auto loaded = loadProjectFiles(names);
    if (const auto* error = std::get_if<FileError>(&loaded)) {
        const QString file =
            QDir::toNativeSeparators(error->file == ProjectFile::Gnd ? names.gnd : names.nod);
        err << (error->problem == FileProblem::CannotOpen ? msg::cannotOpenFile(file)
                                                          : msg::fileMalformed(file))
            << '\n';
        return std::nullopt;
    }
    Project p = startupProject();
    applyOpenedProject(p, std::get<ProjectFileData>(std::move(loaded)), names);
    return p;
}

int info(const Project& p, QTextStream& out)
{
    out << "project: " << withoutTrailingBlanks(p.ProjectName) << '\n'
        << "engineer: " << withoutTrailingBlanks(p.EngineerName) << '\n'
        << "rows: " << p.GridRows << '\n'
        << "cols: " << p.GridCols << '\n'
        << "spacing: " << p.GridSpacing << '\n'
        << "nodes: " << p.NodeCount << '\n'
        << "interval: " << generalForm(p.ContourInterval) << '\n';
    for (int n = 1; n <= p.NodeCount; ++n) {
        const NodePoint& node = p.Nodes[n];
        out << "node " << n << ' ' << formatPicture(node.X, 0) << ' ' << formatPicture(node.Y, 0)
            << ' ' << formatPicture(node.Z, 2) << '\n';
    }
    return 0;
}

struct RenderOptions
{
    QString picture;
    QString project;
    QString output;
    QSize size{1600, 1000};
    bool fit = false;
    qint16 angle = 35;
};

std::optional<RenderOptions> readRenderOptions(const QStringList& args)
{
    const auto w = readWords(args, {"-o", "--size", "--angle"}, {"--fit"});
    if (!w || w->names.size() != 2 ||
        !QStringList{"grid", "contour", "surface"}.contains(w->names[0]))
        return std::nullopt;
    RenderOptions o;
    o.picture = w->names[0];
    o.project = w->names[1];
    o.output = w->values.value("-o");
    o.fit = w->has("--fit");
    if (o.output.isEmpty())
        return std::nullopt;
    if (w->values.contains("--size")) {
        static const QRegularExpression form(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
        const auto m = form.match(w->values.value("--size"));
        if (!m.hasMatch())
            return std::nullopt;
        o.size = QSize(m.captured(1).toInt(), m.captured(2).toInt());
        if (o.size.isEmpty() || o.size.width() > 20000 || o.size.height() > 20000)
            return std::nullopt;
    }
    bool bad = false;
    if (const auto angle = w->number("--angle", bad)) {
        const auto whole = roundToInt16(*angle);
        if (!whole || *whole < 0 || *whole > 180)
            return std::nullopt;
        o.angle = *whole;
    }
    return bad ? std::nullopt : std::optional<RenderOptions>(o);
}

// The picture of the window, drawn by the same code on an image the world window fills.
int render(const RenderOptions& o, QTextStream& err)
{
    auto project = openProject(o.project, err);
    if (!project)
        return 1;
    Project& p = *project;
    p.DisplayMode = qint16(QStringList{"grid", "contour", "surface"}.indexOf(o.picture) + 1);
    p.RotationAngle = o.angle;
    if (o.fit)
        fitScreen(p);
    QImage image(o.size, QImage::Format_RGB32);
    {
        ImageSurface surface(image);
        Redraw(surface, p, NodeLabels{});
    }
    if (!image.save(o.output, "PNG")) {
        err << msg::cannotSaveFile(QDir::toNativeSeparators(o.output)) << '\n';
        return 1;
    }
    // The picture is saved without its contours, as the window shows it, and the run fails.
    if (p.DisplayMode == 2) {
        if (const QString notice = contourNotice(contourLevels(p, p.ContourInterval));
            !notice.isEmpty())
            return err << notice << '\n', 1;
    }
    return 0;
}

// Prints what the tracer reports, one item a line, or only the counts.
class PrintedContours final : public ContourSink
{
public:
    PrintedContours(QTextStream& out, bool summary) : m_out(out), m_summary(summary) {}

    void level(float level, int) override
    {
        ++m_levels;
        item("level", {level});
    }
    void point(float x, float y) override
    {
        ++m_points;
        item("point", {x, y});
    }
    void segment(float x1, float y1, float x2, float y2) override
    {
        ++m_lines;
        item("line", {x1, y1, x2, y2});
    }
    void label(Border border, float x, float y, float) override
    {
        static const char* const names[] = {"label bottom", "label right", "label top",
                                            "label left"};
        ++m_labels;
        item(names[int(border)], {x, y});
    }
    void finish()
    {
        flush();
        if (m_summary)
            m_out << "levels " << m_levels << " points " << m_points << " lines " << m_lines
                  << " labels " << m_labels << '\n';
    }

private:
    // A million items for a fine interval: numbers go straight into a byte buffer.
    void item(const char* name, std::initializer_list<float> numbers)
    {
        if (m_summary)
            return;
        m_buffer += name;
        for (float v : numbers) {
            char digits[32];
            m_buffer += ' ';
            m_buffer.append(digits, std::to_chars(digits, digits + sizeof digits, v).ptr);
        }
        m_buffer += '\n';
        if (m_buffer.size() > (1 << 20))
            flush();
    }
    void flush()
    {
        m_out << QLatin1String(m_buffer.data(), qsizetype(m_buffer.size()));
        m_buffer.clear();
    }

    QTextStream& m_out;
    bool m_summary;
    std::string m_buffer;
    qint64 m_levels = 0, m_points = 0, m_lines = 0, m_labels = 0;
};

int contours(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const auto w = readWords(args, {"--interval"}, {"--all-labels", "--summary"});
    bool bad = false;
    const auto interval = w ? w->number("--interval", bad) : std::nullopt;
    if (!w || bad || w->names.size() != 1)
        return err << Usage, 2;
    const bool summary = w->has("--summary"), allLabels = w->has("--all-labels");
    const QString& name = w->names[0];
    const auto project = openProject(name, err);
    if (!project)
        return 1;
    const float step = interval ? float(*interval) : project->ContourInterval;
    if (const QString notice = contourNotice(contourLevels(*project, step)); !notice.isEmpty())
        return err << notice << '\n', 1;
    PrintedContours sink(out, summary);
    TraceContours(*project, step, allLabels ? 0 : -1, sink);
    sink.finish();
    return 0;
}

// The grading result as the result dialog shows it, or as a spreadsheet.
int grade(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const auto w = readWords(args, {"--platform"}, {"--csv"});
    bool bad = false;
    const auto platform = w ? platformOf(*w, bad) : std::nullopt;
    if (!w || bad || w->names.size() != 1)
        return err << Usage, 2;
    const bool csv = w->has("--csv");
    const QString& name = w->names[0];
    auto project = openProject(name, err);
    if (!project)
        return 1;
    Project& p = *project;
    if (!p.HasNodes()) {
        err << msg::DataIncomplete << '\n';
        return 1;
    }
    if (platform) {
        p.FixGradeElevation = float(*platform);
        FixGradeElev(p);
    } else if (!AutoGradeElev(p)) {
        err << msg::DataIncomplete << '\n';
        return 1;
    }
    const bool fixed = platform.has_value();
    const auto& means = fixed ? p.FixCellMeanElev : p.AutoCellMeanElev;
    const auto& volumes = fixed ? p.FixCellVolume : p.AutoCellVolume;
    if (csv) {
        out << "cell,mean_elevation_m,volume_m3\n";
        for (qint32 n = 1; n <= p.CellCount; ++n)
            out << n << ',' << formatPicture(means[n], 3) << ',' << formatPicture(volumes[n], 2)
                << '\n';
        return 0;
    }
    out << "area " << generalForm(p.TotalArea) << '\n'
        << "platform " << formatPicture(fixed ? p.FixGradeElevation : p.AutoGradeElevation, 3)
        << '\n'
        << "cut " << formatPicture(fixed ? p.FixCutVolume : p.AutoCutVolume, 2) << '\n'
        << "fill " << formatPicture(fixed ? p.FixFillVolume : p.AutoFillVolume, 2) << '\n';
    for (qint32 n = 1; n <= p.CellCount; ++n)
        out << "cell " << n << ' ' << formatPicture(means[n], 3) << ' '
            << formatPicture(volumes[n], 2) << '\n';
    return 0;
}

// Every page of one print command into one PDF, through the same report code as the window.
int print(const QStringList& args, QTextStream& err)
{
    const auto w = readWords(args, {"-o", "--platform"}, {});
    bool bad = false;
    const auto platform = w ? platformOf(*w, bad) : std::nullopt;
    if (!w || bad)
        return err << Usage, 2;
    const QStringList& positional = w->names;
    const QString output = w->values.value("-o");
    // Report name: menu family and item index ("all" is 4).
    static const QHash<QString, std::pair<char, int>> reports{
        {"control", {'d', 1}},        {"nodes", {'d', 2}},       {"data", {'d', 4}},
        {"grid", {'g', 1}},           {"contour", {'g', 2}},     {"graphics", {'g', 4}},
        {"grade-balanced", {'r', 1}}, {"grade-fixed", {'r', 2}}, {"grades", {'r', 4}}};
    if (positional.size() != 2 || output.isEmpty() || !reports.contains(positional[0]))
        return err << Usage, 2;
    const auto [family, index] = reports.value(positional[0]);
    auto project = openProject(positional[1], err);
    if (!project)
        return 1;
    Project& p = *project;
    const bool balanced = family == 'r' && index != 2;
    if ((family == 'g' && !p.HasGrid()) || (family != 'g' && !p.HasNodes()) ||
        (balanced && (p.GridRows < 2 || p.GridCols < 2))) {
        err << msg::DataIncomplete << '\n';
        return 1;
    }
    if (platform)
        p.FixGradeElevation = float(*platform);

    auto pdf = std::make_unique<QPdfWriter>(output);
    pdf->setPageSize(QPageSize(QPageSize::A4));
    pdf->setResolution(600);
    pdf->setPageMargins(QMarginsF(6, 6, 6, 6), QPageLayout::Millimeter);
    PainterBackend backend(std::move(pdf), PainterBackend::Documents::PagesOfOneFile);
    QString notice;
    {
        PageSurface page(backend);
        // Titles and labels are placed by the main window's measure of their text: the
        // window of a 1600 x 1000 screen in the normal view for the project's spacing.
        const QFontMetricsF metrics(QGuiApplication::font());
        const double xPerPixel = (double(p.ViewXMax) - p.ViewXMin) / 1600;
        const double yPerPixel = (double(p.ViewYMax) - p.ViewYMin) / 1000;
        const WindowTextSize measure = [&](const QString& text) {
            return QSizeF(metrics.horizontalAdvance(text) * xPerPixel,
                          metrics.height() * yPerPixel);
        };
        if (family == 'd')
            DataPrint(page, p, index);
        else if (family == 'g')
            notice = GraphicPrint(page, p, index, NodeLabels{}, measure);
        else
            GradePrint(page, p, index);
    }
    if (!backend.finish()) {
        err << msg::cannotSaveFile(QDir::toNativeSeparators(output)) << '\n';
        return 1;
    }
    if (!notice.isEmpty())
        return err << notice << '\n', 1;
    return 0;
}

} // namespace

int runCli(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() == 2 && args[0] == QLatin1String("info")) {
        const auto project = openProject(args[1], err);
        return project ? info(*project, out) : 1;
    }
    if (!args.isEmpty() && args[0] == QLatin1String("print"))
        return print(args.mid(1), err);
    if (!args.isEmpty() && args[0] == QLatin1String("grade"))
        return grade(args.mid(1), out, err);
    if (!args.isEmpty() && args[0] == QLatin1String("contours"))
        return contours(args.mid(1), out, err);
    if (!args.isEmpty() && args[0] == QLatin1String("render")) {
        if (const auto options = readRenderOptions(args.mid(1)))
            return render(*options, err);
    }
    err << Usage;
    return 2;
}

} // namespace tervan
