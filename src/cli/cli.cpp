#include "cli/cli.h"

#include "common/messages.h"
#include "common/numbertext.h"
#include "project/projectfile.h"

#include <QDir>
#include <QTextStream>

namespace tervan {

namespace {

const char Usage[] = "usage: tervan-cli info PROJECT\n";

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

} // namespace

int runCli(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() == 2 && args[0] == QLatin1String("info")) {
        const auto project = openProject(args[1], err);
        return project ? info(*project, out) : 1;
    }
    err << Usage;
    return 2;
}

} // namespace tervan
