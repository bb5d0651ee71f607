#pragma once

#include "graphics/contourlines.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <atomic>
#include <memory>
#include <vector>

namespace tervan {

struct Project;
class ExportOutline;

// What a writer gets: the project, its contours joined once and cut at the site's outline
// (empty for a surface format), the day the title block names, and the outline (none: the
// whole grid is ground).
struct ExportJob
{
    const Project& project;
    ContourSet contours;
    QDate date;
    std::shared_ptr<const ExportOutline> outline;
    QTime time = QTime::currentTime(); // of writing, for LandXML
};

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
QString exportProject(const Project& p, const ExportFormat& format, const QString& fileName,
                      float interval, QDate date, const std::atomic<bool>* cancelled = nullptr);

// The writers.
QString writeDxf(const ExportJob& job, const QString& fileName);
QString writeGeoPackage(const ExportJob& job, const QString& fileName);
QString writeShapefile(const ExportJob& job, const QString& fileName);
QString writeGeoJson(const ExportJob& job, const QString& fileName);
QString writeLandXml(const ExportJob& job, const QString& fileName);
QString writeAsciiGrid(const ExportJob& job, const QString& fileName);
QString writeGeoTiff(const ExportJob& job, const QString& fileName);
QString writeCsvHeights(const ExportJob& job, const QString& fileName);

// A heading field without the blanks that pad it to its fixed width.
QString headingText(const QString& field);

// The .prj beside a file that cannot hold its coordinate system; none for a grid without one.
QString writeProjectionFile(const Project& p, const QString& fileName);
QString saveBytes(const QByteArray& bytes, const QString& fileName);

// Bytes of the text formats, for the writers above.
QByteArray dxfBytes(const ExportJob& job);
QByteArray landXmlBytes(const ExportJob& job);
QByteArray asciiGridBytes(const Project& p, const ExportOutline* outline = nullptr);

} // namespace tervan
