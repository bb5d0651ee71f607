#include "cli/exchangecommands.h"

#include "cli/batchwords.h"
#include "exchange/exchange.h"

#include <QTextStream>
#include <cmath>

namespace tervan {

int runExchangeCommand(const QStringList& args, QTextStream&, QTextStream& err, const char* usage)
{
    const QString command = args.value(0);
    const bool contours = command == QLatin1String("contours");
    if ((!contours && command != QLatin1String("export")) || !args.contains(QLatin1String("-o")))
        return -1;
    const ExportKind kind = contours ? ExportKind::Contours : ExportKind::Surface;
    QString problem;
    const auto w = readWords(
        args.mid(1), contours ? QStringList{"-o", "--interval"} : QStringList{"-o"},
        contours ? QStringList{"--along-labels", "--levels-from-zero"} : QStringList{}, problem);
    bool bad = false;
    const auto interval = w ? w->number("--interval", bad) : std::nullopt;
    if (interval && (!(*interval > 0) || !std::isfinite(float(*interval))))
        bad = !w->refuse("--interval", "a positive number");
    if (!w || bad || w->names.size() != 1)
        return usageError(err, usage, w, problem);
    const QString output = w->values.value(QStringLiteral("-o"));
    const ExportFormat* format = exportFormatOf(kind, output);
    if (!format)
        return usageError(
            err, usage,
            QStringLiteral("-o: '%1' is not a format this command writes; use one of %2")
                .arg(output, exportSuffixes(kind)));
    if (!outputUsable(output, err))
        return 1;
    auto project = openProject(w->names[0], err, ProjectUse::WorldCoordinates);
    if (!project)
        return 1;
    project->ContourLabelsAlong = w->has("--along-labels");
    project->ContourLevelsFromZero = w->has("--levels-from-zero");
    const float step = interval ? float(*interval) : project->ContourInterval;
    if (const QString reason = exportProject(*project, *format, output, step, QDate::currentDate());
        !reason.isEmpty())
        return fail(err) << reason << '\n', 1;
    return 0;
}

} // namespace tervan
