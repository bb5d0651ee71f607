#include "cli/batchwords.h"

#include "common/messages.h"
#include "common/numbertext.h"
#include "common/outputfile.h"
#include "gis/gis.h"
#include "printing/cairopdfbackend.h"
#include "printing/pagesurface.h"
#include "project/projectfile.h"
#include "project/projectpair.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTextStream>

namespace tervan {

namespace {

// "--size" and "-o" as the parser names them.
QString optionName(const QString& word)
{
    return word.mid(word.startsWith(QLatin1String("--")) ? 2 : 1);
}

} // namespace

bool Words::refuse(const char* option, const char* expected) const
{
    if (problem.isEmpty())
        problem = QStringLiteral("%1: '%2' is not %3")
                      .arg(QLatin1String(option), values.value(QLatin1String(option)),
                           QLatin1String(expected));
    return false;
}

std::optional<Words> readWords(const QStringList& args, const QStringList& valued,
                               const QStringList& bare, QString& problem)
{
    QCommandLineParser parser;
    for (const QString& option : valued)
        parser.addOption(QCommandLineOption(optionName(option), QString(), QStringLiteral("V")));
    for (const QString& flag : bare)
        parser.addOption(QCommandLineOption(optionName(flag)));
    if (!parser.parse(QStringList{QStringLiteral("tervan-cli")} + args)) {
        problem = parser.errorText();
        return std::nullopt;
    }
    // A second value would silently win over the first.
    const QStringList given = parser.optionNames();
    for (const QString& name : given)
        if (given.count(name) > 1) {
            problem = QStringLiteral("%1%2 is given more than once")
                          .arg(QLatin1String(name.size() == 1 ? "-" : "--"), name);
            return std::nullopt;
        }
    Words w;
    w.names = parser.positionalArguments();
    for (const QString& option : valued)
        if (parser.isSet(optionName(option)))
            w.values.insert(option, parser.value(optionName(option)));
    for (const QString& flag : bare)
        if (parser.isSet(optionName(flag)))
            w.flags << flag;
    return w;
}

int usageError(QTextStream& err, const char* usage, const QString& problem)
{
    fail(err) << (problem.isEmpty() ? QStringLiteral("bad usage") : problem) << '\n' << usage;
    return 2;
}

int usageError(QTextStream& err, const char* usage, const std::optional<Words>& words,
               const QString& problem)
{
    return usageError(err, usage, words && !words->problem.isEmpty() ? words->problem : problem);
}

QTextStream& fail(QTextStream& err)
{
    return err << "tervan-cli: ";
}

bool savePng(const QImage& image, const QString& name, QTextStream& err)
{
    OutputFile out(name);
    if (!out.problem().isEmpty())
        return fail(err) << out.problem() << '\n', false;
    QFile file(out.path());
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
                         image.save(&file, "PNG") && file.flush();
    const QString reason = file.errorString();
    file.close();
    if (written && file.error() == QFileDevice::NoError && out.commit())
        return true;
    fail(err) << msg::cannotSaveFile(QDir::toNativeSeparators(name)) << ": "
              << (written ? out.problem() : reason) << '\n';
    return false;
}

QString savePdf(const QString& name, const std::function<void(PageSurface&)>& pages)
{
    OutputFile out(name);
    if (!out.problem().isEmpty())
        return out.problem();
    CairoPdfBackend backend(out.path());
    {
        PageSurface page(backend);
        pages(page);
    }
    if (!backend.finish() || !out.commit())
        return out.problem().isEmpty() ? msg::cannotSaveFile(QDir::toNativeSeparators(name))
                                       : out.problem();
    return {};
}

std::optional<QSize> readImageSize(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QSize size(m.captured(1).toInt(), m.captured(2).toInt());
    if (size.isEmpty() || size.width() > MaxImageSide || size.height() > MaxImageSide ||
        qint64(size.width()) * size.height() > MaxImagePixels)
        return std::nullopt;
    return size;
}

std::optional<QImage> newImage(QSize size, QTextStream& err)
{
    QImage image(size, QImage::Format_RGB32);
    if (!image.isNull())
        return image;
    fail(err) << "not enough memory for a " << size.width() << 'x' << size.height() << " picture\n";
    return std::nullopt;
}

bool outputUsable(const QString& name, QTextStream& err)
{
    if (isRegularFileTarget(name))
        return true;
    fail(err) << msg::cannotSaveFile(QDir::toNativeSeparators(name)) << ": not a regular file\n";
    return false;
}

QString areaWords(double squareMetres)
{
    return QStringLiteral("area %1 %2")
        .arg(QString::number(squareMetres, 'f', 2), raiNganWa(squareMetres));
}

std::optional<Project> openProject(const QString& name, QTextStream& err, ProjectUse use)
{
    const ProjectFileNames names = projectFileNames(name);
    // Half a save is never read as a project; the window offers to put the old pair back.
    if (ProjectLock lock(names.gnd); lock.take() != ProjectLock::State::HeldElsewhere &&
                                     inspectPair(names) == PairLeftover::Interrupted) {
        fail(err) << msg::restoreInWindow(
                         msg::saveWasInterrupted(QDir::toNativeSeparators(names.gnd)))
                  << '\n';
        return std::nullopt;
    }
    auto loaded = loadProjectFiles(names);
    if (const auto* error = std::get_if<FileError>(&loaded)) {
        const QString path = error->file == ProjectFile::Gnd ? names.gnd : names.nod;
        const QString file = QDir::toNativeSeparators(path);
        if (error->problem != FileProblem::CannotOpen) {
            fail(err) << msg::fileMalformed(file) << '\n';
            return std::nullopt;
        }
        // Anything but a regular file could block a second open (a FIFO).
        const QFileInfo info(path);
        QFile reopened(path);
        const QString reason = info.exists() && !info.isFile()
                                   ? QStringLiteral("not a regular file")
                               : reopened.open(QIODevice::ReadOnly) ? QString()
                                                                    : reopened.errorString();
        fail(err) << msg::cannotOpenFile(file) << (reason.isEmpty() ? "" : ": ") << reason << '\n';
        return std::nullopt;
    }
    auto& data = std::get<ProjectFileData>(loaded);
    if (data.MisplacedNode != 0)
        err << misplacedNodeText(data, names) << '\n';
    checkGeoreferenceOf(data);
    if (!data.GeorefProblem.isEmpty()) {
        const QString damaged = msg::georeferenceDamaged(
            QDir::toNativeSeparators(georeferenceFileName(names.base)), data.GeorefProblem);
        // Coordinates in the grid's own metres would land the site somewhere else.
        if (use == ProjectUse::WorldCoordinates) {
            fail(err) << damaged << '\n';
            return std::nullopt;
        }
        fail(err) << "warning: " << damaged << '\n';
    }
    Project p = startupProject();
    applyOpenedProject(p, std::move(data), names);
    return p;
}

} // namespace tervan
