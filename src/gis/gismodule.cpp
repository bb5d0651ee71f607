#include "gis/gis.h"

#include "cli/exchangecommands.h"
#include "cli/gridcommand.h"
#include "project/ui/prompts.h"
#include "survey/coordinates.h"
#include "survey/ui/georeferencedialog.h"
#include "survey/ui/surveydialog.h"

#include <QDialog>
#include <QtGlobal>

namespace tervan {

namespace {

std::optional<SurveyProjectMade>
projectFromSurvey(const std::function<QString(const QString&)>& pickFile, const QString& engineer,
                  Prompts& prompts, QWidget* parent)
{
    SurveyDialog dialog(pickFile, parent);
    dialog.setEngineer(engineer);
    if (prompts.runModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    return SurveyProjectMade{
        dialog.project(), dialog.engineer(),
        qualityLines(dialog.quality(), dialog.frame(), dialog.reportHeading())};
}

std::optional<std::optional<Georeference>>
editGeoreference(const std::optional<Georeference>& current, Prompts& prompts, QWidget* parent)
{
    GeoreferenceDialog dialog(current, parent);
    if (prompts.runModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.georeference();
}

const GisModule Module = {
    checkGeoreferenceSystem,
    gridFromPoints,
    runExchangeCommand,
    exportFilters,
    exportSuffixes,
    exportFormatOf,
    exportProject,
    readPadsFile,
    writePadsFile,
    static_cast<QString (*)(const Project&, const SectionsResult&, const QString&)>(
        writeSectionsDxf),
    projectFromSurvey,
    editGeoreference,
};

// Linked into a program, the module's code is used where it is, with nothing to load.
const bool Provided = (provideGisModule(&Module), true);

} // namespace

} // namespace tervan

// What the loader looks up in the module.
extern "C" Q_DECL_EXPORT const tervan::GisModule* tervanGisModule()
{
    return &tervan::Module;
}
