#pragma once

#include "exchange/exchange.h"
#include "project/georeference.h"
#include "project/project.h"
#include "project/projectfile.h"
#include "survey/padsfile.h"

#include <QStringList>
#include <functional>
#include <optional>

class QTextStream;
class QWidget;

namespace tervan {

class Prompts;

// A project made from survey points in the window, with what the user named on the way.
struct SurveyProjectMade
{
    Project project;
    QString engineer;
    QStringList reportLines; // the grid's quality report
};

// Everything the window and the batch front end use that needs GDAL, PROJ or the survey
// dialogs. It lives in a module loaded the first time one of these is called, so a window
// that opens a project, and every batch command that needs none of it, starts without
// GDAL's hundred-odd shared libraries.
struct GisModule
{
    // Drops a georeference whose system PROJ does not know, saying why.
    void (*checkGeoreferenceSystem)(ProjectFileData& data);

    // Whole batch commands: grid, and contours/export written with -o.
    int (*gridFromPoints)(const QStringList& args, QTextStream& out, QTextStream& err,
                          const char* usage);
    int (*runExchangeCommand)(const QStringList& args, QTextStream& out, QTextStream& err,
                              const char* usage);

    // Exports of contours and surfaces.
    QString (*exportFilters)(ExportKind kind);
    QString (*exportSuffixes)(ExportKind kind);
    const ExportFormat* (*exportFormatOf)(ExportKind kind, const QString& fileName);
    QString (*exportProject)(const Project& p, const ExportFormat& format, const QString& fileName,
                             float interval, QDate date, Progress* progress);

    // Pads and sections.
    std::variant<std::vector<PadShape>, QString> (*readPadsFile)(const QString& fileName,
                                                                 const Project& p);
    QString (*writePadsFile)(const std::vector<PadShape>& pads, const Project& p,
                             const QString& fileName);
    QString (*writeSectionsDxf)(const Project& p, const SectionsResult& r, const QString& fileName);

    // The window's dialogs. projectFromSurvey asks for the points and the grid (pickFile
    // answers the file buttons) and says nothing when cancelled; editGeoreference answers
    // nothing when cancelled, else the georeference the boxes describe (perhaps none).
    std::optional<SurveyProjectMade> (*projectFromSurvey)(
        const std::function<QString(const QString& filter)>& pickFile, const QString& engineer,
        Prompts& prompts, QWidget* parent);
    std::optional<std::optional<Georeference>> (*editGeoreference)(
        const std::optional<Georeference>& current, Prompts& prompts, QWidget* parent);
};

// The module, loaded on first use. A program that cannot find it says so and stops, as it
// would for any missing library.
const GisModule& gis();

// Only a georeference naming a system needs the module to check that system.
inline void checkGeoreferenceOf(ProjectFileData& data)
{
    if (data.Georef && data.Georef->epsg > 0)
        gis().checkGeoreferenceSystem(data);
}

// For a program that links the module's code itself (the tests, the module): use that.
void provideGisModule(const GisModule* module);

} // namespace tervan
