#include "cli/cli.h"

#include "common/messages.h"
#include "common/numbertext.h"
#include "graphics/imagesurface.h"
#include "graphics/redraw.h"
#include "graphics/viewwindow.h"
#include "project/projectfile.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QTextStream>

namespace tervan {

namespace {

const char Usage[] = "usage: tervan-cli info PROJECT\n"
                     "       tervan-cli render grid PROJECT -o OUT.png [--size WxH] [--fit]\n";

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
};

std::optional<RenderOptions> readRenderOptions(const QStringList& args)
{
    RenderOptions o;
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("-o") && i + 1 < args.size()) {
            o.output = args[++i];
        } else if (a == QLatin1String("--size") && i + 1 < args.size()) {
            static const QRegularExpression form(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
            const auto m = form.match(args[++i]);
            if (!m.hasMatch())
                return std::nullopt;
            o.size = QSize(m.captured(1).toInt(), m.captured(2).toInt());
            if (o.size.isEmpty() || o.size.width() > 20000 || o.size.height() > 20000)
                return std::nullopt;
        } else if (a == QLatin1String("--fit")) {
            o.fit = true;
        } else if (a.startsWith(QLatin1Char('-'))) {
            return std::nullopt;
        } else {
            positional << a;
        }
    }
    if (positional.size() != 2 || o.output.isEmpty())
        return std::nullopt;
    o.picture = positional[0];
    o.project = positional[1];
    if (o.picture != QLatin1String("grid"))
        return std::nullopt;
    return o;
}

// The picture of the window, drawn by the same code on an image the world window fills.
int render(const RenderOptions& o, QTextStream& err)
{
    auto project = openProject(o.project, err);
    if (!project)
        return 1;
    Project& p = *project;
    p.DisplayMode = 1;
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
    return 0;
}

} // namespace

int runCli(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() == 2 && args[0] == QLatin1String("info")) {
        const auto project = openProject(args[1], err);
        return project ? info(*project, out) : 1;
    }
    if (!args.isEmpty() && args[0] == QLatin1String("render")) {
        if (const auto options = readRenderOptions(args.mid(1)))
            return render(*options, err);
    }
    err << Usage;
    return 2;
}

} // namespace tervan
