#include "cli/batchwords.h"

#include "common/messages.h"
#include "project/projectfile.h"

#include <QDir>
#include <QRegularExpression>
#include <QTextStream>

namespace tervan {

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

std::optional<QSize> readImageSize(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QSize size(m.captured(1).toInt(), m.captured(2).toInt());
    if (size.isEmpty() || size.width() > 20000 || size.height() > 20000)
        return std::nullopt;
    return size;
}

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

} // namespace tervan
