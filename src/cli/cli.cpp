#include "cli/cli.h"

#include "common/messages.h"
#include "common/numbertext.h"
#include "common/version.h"
#include "grading/grading.h"
#include "graphics/contourtracer.h"
#include "graphics/imagesurface.h"
#include "graphics/redraw.h"
#include "graphics/viewwindow.h"
#include "printing/painterbackend.h"
#include "printing/reports.h"
#include "project/projectfile.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QLocale>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextStream>
#include <charconv>
#include <cmath>
#include <memory>
#include <optional>
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
    "       tervan-cli --help | --version\n";

const char Help[] =
    "\n"
    "Batch front end of Tervan: the window's pictures, contours, grading and printed\n"
    "reports without a window. PROJECT is a project's name with or without .gnd; its\n"
    ".gnd and .nod files are read as the window's Open reads them.\n"
    "\n"
    "Commands:\n"
    "  info PROJECT\n"
    "      Prints the heading (project, engineer, rows, cols, spacing in metres, nodes,\n"
    "      contour interval in metres), then one line per node: node N X Y Z.\n"
    "  render grid|contour|surface PROJECT -o OUT.png\n"
    "      Draws the window's picture of the project into a PNG image.\n"
    "      --size WxH    image size in pixels (default 1600x1000)\n"
    "      --fit         the fit-to-screen view instead of the normal view\n"
    "      --angle A     surface view angle in whole degrees, 0 to 180 (default 35)\n"
    "  contours PROJECT\n"
    "      Prints what the contour tracer draws, one item a line: level Z, point X Y,\n"
    "      line X1 Y1 X2 Y2, label bottom|right|top|left X Y (metres).\n"
    "      --interval I  contour interval in metres (default: the project's)\n"
    "      --all-labels  label every level, not only whole metres\n"
    "      --summary     print only the counts of levels, points, lines and labels\n"
    "  grade PROJECT\n"
    "      Prints the grading result as the result dialog shows it: area (m2),\n"
    "      platform elevation (m), total cut and fill (m3, fill negative), then each\n"
    "      cell's mean elevation and volume.\n"
    "      --platform Z  platform elevation in metres (default: the balanced platform)\n"
    "      --csv         one line per cell: cell,mean_elevation_m,volume_m3\n"
    "  print REPORT PROJECT -o OUT.pdf\n"
    "      Prints the report's pages into one A4 PDF file. REPORT is one of control,\n"
    "      nodes, data, grid, contour, graphics, grade-balanced, grade-fixed, grades.\n"
    "      --platform Z  platform elevation in metres for the fixed grade (default 0)\n"
    "\n"
    "Options:\n"
    "  -h, --help     this text\n"
    "  -v, --version  the program's version\n"
    "\n"
    "Exit status: 0 done; 1 the project could not be used or a file not written (the\n"
    "reason goes to stderr); 2 bad usage.\n";

// Every error line names the program, as other batch tools do.
QTextStream& fail(QTextStream& err)
{
    return err << "tervan-cli: ";
}

int badUsage(QTextStream& err, const QString& why)
{
    fail(err) << why << '\n' << Usage;
    return 2;
}

// One command's words: its options and the names in order. `error` says which word is wrong.
struct Words
{
    QCommandLineParser parser;
    QStringList names;

    bool has(const QString& option) const { return parser.isSet(option); }
    QString value(const QString& option) const { return parser.value(option); }
    // The option's number: nothing when the option is absent or its value is no number, which
    // `error` then names.
    std::optional<double> number(const QString& option, QString& error) const
    {
        if (!parser.isSet(option))
            return std::nullopt;
        bool ok = false;
        const double v = QLocale::c().toDouble(parser.value(option), &ok);
        if (!ok || !std::isfinite(float(v))) {
            error = badValue(option, QStringLiteral("a number"));
            return std::nullopt;
        }
        return v;
    }
    QString badValue(const QString& option, const QString& expected) const
    {
        return QStringLiteral("--%1: '%2' is not %3").arg(option, parser.value(option), expected);
    }
};

// Reads the words after a command; options may stand anywhere among the names, of which the
// command takes `nameCount` (`needs` says so otherwise).
std::unique_ptr<Words> readWords(const QStringList& args, const QList<QCommandLineOption>& options,
                                 qsizetype nameCount, const char* needs, QString& error)
{
    auto w = std::make_unique<Words>();
    w->parser.addOptions(options);
    if (!w->parser.parse(QStringList{QStringLiteral("tervan-cli")} + args)) {
        error = w->parser.errorText();
        return nullptr;
    }
    w->names = w->parser.positionalArguments();
    if (w->names.size() != nameCount) {
        error = QLatin1String(needs);
        return nullptr;
    }
    return w;
}

QCommandLineOption valued(const QStringList& names, const char* valueName)
{
    return QCommandLineOption(names, QString(), QLatin1String(valueName));
}

QCommandLineOption output()
{
    return valued({QStringLiteral("o")}, "FILE");
}

// Why a file cannot be opened for reading, in the system's words.
QString systemReason(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString() : f.errorString();
}

QString withoutTrailingBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.left(end);
}

// Opens a project by the window's name rules; on failure writes the reason the window shows,
// with the system's reason for a file that cannot be opened, and returns nullopt.
std::optional<Project> openProject(const QString& name, QTextStream& err)
{
    const ProjectFileNames names = projectFileNames(name);
    auto loaded = loadProjectFiles(names);
    if (const auto* error = std::get_if<FileError>(&loaded)) {
        const QString path = error->file == ProjectFile::Gnd ? names.gnd : names.nod;
        const QString file = QDir::toNativeSeparators(path);
        if (error->problem == FileProblem::CannotOpen) {
            const QString reason = systemReason(path);
            fail(err) << msg::cannotOpenFile(file) << (reason.isEmpty() ? "" : ": ") << reason
                      << '\n';
        } else {
            fail(err) << msg::fileMalformed(file) << '\n';
        }
        return std::nullopt;
    }
    Project p = startupProject();
    applyOpenedProject(p, std::get<ProjectFileData>(std::move(loaded)), names);
    return p;
}

// An output file opened for writing, or the reason it cannot be, after the program's own words.
bool openOutput(QFile& file, QTextStream& err)
{
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return true;
    fail(err) << msg::cannotSaveFile(QDir::toNativeSeparators(file.fileName())) << ": "
              << file.errorString() << '\n';
    return false;
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

const QStringList Pictures = {QStringLiteral("grid"), QStringLiteral("contour"),
                              QStringLiteral("surface")};

std::optional<RenderOptions> readRenderOptions(const QStringList& args, QString& error)
{
    const auto w = readWords(args,
                             {output(), valued({QStringLiteral("size")}, "WxH"),
                              valued({QStringLiteral("angle")}, "A"),
                              QCommandLineOption(QStringLiteral("fit"))},
                             2, "render needs a picture and a project", error);
    if (!w)
        return std::nullopt;
    if (!Pictures.contains(w->names[0])) {
        error = QStringLiteral("'%1' is not a picture (grid, contour, surface)").arg(w->names[0]);
        return std::nullopt;
    }
    RenderOptions o;
    o.picture = w->names[0];
    o.project = w->names[1];
    o.output = w->value(QStringLiteral("o"));
    o.fit = w->has(QStringLiteral("fit"));
    if (o.output.isEmpty()) {
        error = QStringLiteral("render needs -o OUT.png");
        return std::nullopt;
    }
    if (w->has(QStringLiteral("size"))) {
        static const QRegularExpression form(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
        const auto m = form.match(w->value(QStringLiteral("size")));
        o.size = m.hasMatch() ? QSize(m.captured(1).toInt(), m.captured(2).toInt()) : QSize();
        if (o.size.isEmpty() || o.size.width() > 20000 || o.size.height() > 20000) {
            error = w->badValue(QStringLiteral("size"),
                                QStringLiteral("WIDTHxHEIGHT pixels from 1 to 20000"));
            return std::nullopt;
        }
    }
    if (const auto angle = w->number(QStringLiteral("angle"), error)) {
        const auto whole = roundToInt16(*angle);
        if (!whole || *whole < 0 || *whole > 180) {
            error = w->badValue(QStringLiteral("angle"),
                                QStringLiteral("a whole number of degrees from 0 to 180"));
            return std::nullopt;
        }
        o.angle = *whole;
    }
    return error.isEmpty() ? std::optional<RenderOptions>(o) : std::nullopt;
}

// The picture of the window, drawn by the same code on an image the world window fills.
int render(const RenderOptions& o, QTextStream& err)
{
    auto project = openProject(o.project, err);
    if (!project)
        return 1;
    Project& p = *project;
    p.DisplayMode = qint16(Pictures.indexOf(o.picture) + 1);
    p.RotationAngle = o.angle;
    if (o.fit)
        fitScreen(p);
    QImage image(o.size, QImage::Format_RGB32);
    {
        ImageSurface surface(image);
        Redraw(surface, p, NodeLabels{});
    }
    QFile file(o.output);
    if (!openOutput(file, err))
        return 1;
    if (!image.save(&file, "PNG") || !file.flush()) {
        fail(err) << msg::cannotSaveFile(QDir::toNativeSeparators(o.output)) << ": "
                  << file.errorString() << '\n';
        return 1;
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
    QString error;
    const auto w = readWords(args,
                             {valued({QStringLiteral("interval")}, "I"),
                              QCommandLineOption(QStringLiteral("all-labels")),
                              QCommandLineOption(QStringLiteral("summary"))},
                             1, "contours needs one project", error);
    const auto interval = w ? w->number(QStringLiteral("interval"), error) : std::nullopt;
    if (!error.isEmpty())
        return badUsage(err, error);
    const bool summary = w->has(QStringLiteral("summary"));
    const bool allLabels = w->has(QStringLiteral("all-labels"));
    const auto project = openProject(w->names[0], err);
    if (!project)
        return 1;
    PrintedContours sink(out, summary);
    TraceContours(*project, interval ? float(*interval) : project->ContourInterval,
                  allLabels ? 0 : -1, sink);
    sink.finish();
    return 0;
}

// The grading result as the result dialog shows it, or as a spreadsheet.
int grade(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QString error;
    const auto w = readWords(
        args,
        {valued({QStringLiteral("platform")}, "Z"), QCommandLineOption(QStringLiteral("csv"))}, 1,
        "grade needs one project", error);
    const auto platform = w ? w->number(QStringLiteral("platform"), error) : std::nullopt;
    if (!error.isEmpty())
        return badUsage(err, error);
    const bool csv = w->has(QStringLiteral("csv"));
    auto project = openProject(w->names[0], err);
    if (!project)
        return 1;
    Project& p = *project;
    if (!p.HasNodes()) {
        fail(err) << msg::DataIncomplete << '\n';
        return 1;
    }
    if (platform) {
        p.FixGradeElevation = float(*platform);
        FixGradeElev(p);
    } else if (!AutoGradeElev(p)) {
        fail(err) << msg::DataIncomplete << '\n';
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
    QString error;
    const auto w = readWords(args, {output(), valued({QStringLiteral("platform")}, "Z")}, 2,
                             "print needs a report, a project and -o OUT.pdf", error);
    const auto platform = w ? w->number(QStringLiteral("platform"), error) : std::nullopt;
    if (!error.isEmpty())
        return badUsage(err, error);
    const QStringList& positional = w->names;
    const QString outputName = w->value(QStringLiteral("o"));
    // Report name: menu family and item index ("all" is 4).
    static const QHash<QString, std::pair<char, int>> reports{
        {"control", {'d', 1}},        {"nodes", {'d', 2}},       {"data", {'d', 4}},
        {"grid", {'g', 1}},           {"contour", {'g', 2}},     {"graphics", {'g', 4}},
        {"grade-balanced", {'r', 1}}, {"grade-fixed", {'r', 2}}, {"grades", {'r', 4}}};
    if (outputName.isEmpty())
        return badUsage(err, QStringLiteral("print needs a report, a project and -o OUT.pdf"));
    if (!reports.contains(positional[0]))
        return badUsage(err, QStringLiteral("'%1' is not a report").arg(positional[0]));
    const auto [family, index] = reports.value(positional[0]);
    auto project = openProject(positional[1], err);
    if (!project)
        return 1;
    Project& p = *project;
    const bool balanced = family == 'r' && index != 2;
    if ((family == 'g' && !p.HasGrid()) || (family != 'g' && !p.HasNodes()) ||
        (balanced && (p.GridRows < 2 || p.GridCols < 2))) {
        fail(err) << msg::DataIncomplete << '\n';
        return 1;
    }
    if (platform)
        p.FixGradeElevation = float(*platform);

    QFile file(outputName);
    if (!openOutput(file, err))
        return 1;
    QPdfWriter pdf(&file);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(600);
    pdf.setPageMargins(QMarginsF(6, 6, 6, 6), QPageLayout::Millimeter);
    PainterBackend backend(pdf, PainterBackend::Documents::PagesOfOneFile);
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
            GraphicPrint(page, p, index, NodeLabels{}, measure);
        else
            GradePrint(page, p, index);
    }
    if (!backend.finish() || !file.flush()) {
        fail(err) << msg::cannotSaveFile(QDir::toNativeSeparators(outputName)) << ": "
                  << file.errorString() << '\n';
        return 1;
    }
    return 0;
}

} // namespace

int runCli(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const QString command = args.value(0);
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h")) ||
        command == QLatin1String("help")) {
        out << Usage << Help;
        return 0;
    }
    if (args.contains(QLatin1String("--version")) || args.contains(QLatin1String("-v"))) {
        out << "tervan-cli " << TERVAN_VERSION << '\n';
        return 0;
    }
    const QStringList rest = args.mid(1);
    if (command == QLatin1String("info")) {
        QString error;
        const auto w = readWords(rest, {}, 1, "info needs one project", error);
        if (!w)
            return badUsage(err, error);
        const auto project = openProject(w->names[0], err);
        return project ? info(*project, out) : 1;
    }
    if (command == QLatin1String("print"))
        return print(rest, err);
    if (command == QLatin1String("grade"))
        return grade(rest, out, err);
    if (command == QLatin1String("contours"))
        return contours(rest, out, err);
    if (command == QLatin1String("render")) {
        QString error;
        const auto options = readRenderOptions(rest, error);
        return options ? render(*options, err) : badUsage(err, error);
    }
    if (command.isEmpty())
        return badUsage(err, QStringLiteral("no command given"));
    return badUsage(err, QStringLiteral("'%1' is not a command").arg(command));
}

} // namespace tervan
