#pragma once

#include "common/progress.h"
#include "graphics/contourlines.h"

#include <QDate>
#include <QIODevice>
#include <QString>
#include <QTime>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace tervan {

struct Project;
struct SectionsResult;
class ExportOutline;

// What a writer gets: the project, its contours joined once and cut at the site's outline
// (empty for a surface format; for a format that traces as it writes, only the interval and
// the border labels), the day the title block names, and the outline (none: the whole grid is
// ground).
struct ExportJob
{
    const Project& project;
    ContourSet contours;
    QDate date;
    std::shared_ptr<const ExportOutline> outline;
    QTime time = QTime::currentTime(); // of writing, for LandXML
    // Hears the share done from a writer that traces, and stops it between levels.
    Progress* progress = nullptr;
};

// The job's contours a level at a time, cut at the outline, for a writer that writes each
// level as it comes; `take` returns false to stop. False when stopped, by `take` or by the
// job's cancel flag (checked between levels).
bool eachContourLevel(const ExportJob& job,
                      const std::function<bool(const std::vector<ContourLine>&)>& take);

// Writes the file; returns the reason in Thai when it could not, empty when done.
using ExportWriter = QString (*)(const ExportJob& job, const QString& fileName);

enum class ExportKind { Contours, Surface };

// One writer per format, found by the file name's suffix.
struct ExportFormat
{
    ExportKind kind;
    const char* suffix; // lower case, no dot
    const char* filter; // the file dialog's filter
    ExportWriter write;
    bool traces = false; // traces the levels itself through eachContourLevel
    // A writer onto a device instead (write is null): the export hands it the temporary.
    QString (*writeTo)(const ExportJob& job, QIODevice& out) = nullptr;
};

const std::vector<ExportFormat>& exportFormats();
const ExportFormat* exportFormatOf(ExportKind kind, const QString& fileName);
// "dxf, gpkg, shp, geojson", for a refusal.
QString exportSuffixes(ExportKind kind);
// The filters of one kind, for a save dialog.
QString exportFilters(ExportKind kind);

// Traces the contours when the format needs them and writes the file. A contour interval
// the window would refuse is refused with the window's notice. An export `cancelled` before
// it is complete leaves the old file as it was and says ExportCancelled.
inline const QString ExportCancelled = QStringLiteral("หยุดส่งออกแล้ว แฟ้มเดิมยังอยู่เหมือนเดิม");
// A format that traces as it writes reports the share done to `progress`, level by level.
QString exportProject(const Project& p, const ExportFormat& format, const QString& fileName,
                      float interval, QDate date, Progress* progress = nullptr);

// The writers.
QString writeGeoPackage(const ExportJob& job, const QString& fileName);
QString writeShapefile(const ExportJob& job, const QString& fileName);
QString writeGeoJson(const ExportJob& job, const QString& fileName);
QString writeLandXml(const ExportJob& job, const QString& fileName);
QString writeAsciiGrid(const ExportJob& job, const QString& fileName);
QString writeGeoTiff(const ExportJob& job, const QString& fileName);
QString writeCsvHeights(const ExportJob& job, const QString& fileName);

// A heading field without the blanks that pad it to its fixed width.
QString headingText(const QString& field);

QString saveBytes(const QByteArray& bytes, const QString& fileName);

// The DXF onto a device that can seek back (the header's $HANDSEED is filled in at the end),
// in chunks of a megabyte as the levels are traced. Empty when done, else the device's reason.
QString writeDxf(const ExportJob& job, QIODevice& out);
// The cross-sections as a DXF drawing: each section's ground and design as polylines (offset
// across the line as x, level as y), stacked one above the other with their chainage and
// areas, and the long profile (chainage as x) below them. Through an OutputFile.
QString writeSectionsDxf(const Project& p, const SectionsResult& r, const QString& fileName);
QString writeSectionsDxf(const Project& p, const SectionsResult& r, QIODevice& out);

// Bytes of the text formats, for the writers above.
QByteArray landXmlBytes(const ExportJob& job);

} // namespace tervan
