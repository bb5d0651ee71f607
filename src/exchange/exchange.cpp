#include "exchange/exchange.h"

#include "common/outputfile.h"

#include "common/messages.h"
#include "exchange/exportoutline.h"
#include "project/heightscsv.h"
#include "project/project.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace tervan {

const std::vector<ExportFormat>& exportFormats()
{
    static const std::vector<ExportFormat> formats{
        {ExportKind::Contours, "dxf", "DXF (*.dxf)", nullptr, true, writeDxf},
        {ExportKind::Contours, "gpkg", "GeoPackage (*.gpkg)", writeGeoPackage},
        {ExportKind::Contours, "shp", "Shapefile (*.shp)", writeShapefile},
        {ExportKind::Contours, "geojson", "GeoJSON (*.geojson)", writeGeoJson},
        {ExportKind::Surface, "csv", "CSV (*.csv)", writeCsvHeights},
        {ExportKind::Surface, "xml", "LandXML (*.xml)", writeLandXml},
        {ExportKind::Surface, "asc", "ESRI ASCII grid (*.asc)", writeAsciiGrid},
        {ExportKind::Surface, "tif", "GeoTIFF (*.tif)", writeGeoTiff},
    };
    return formats;
}

const ExportFormat* exportFormatOf(ExportKind kind, const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    for (const ExportFormat& f : exportFormats())
        if (f.kind == kind && suffix == QLatin1String(f.suffix))
            return &f;
    return nullptr;
}

namespace {

QString listed(ExportKind kind, const char* ExportFormat::*field, const QString& separator)
{
    QStringList out;
    for (const ExportFormat& f : exportFormats())
        if (f.kind == kind)
            out << QLatin1String(f.*field);
    return out.join(separator);
}

} // namespace

QString exportSuffixes(ExportKind kind)
{
    return listed(kind, &ExportFormat::suffix, QStringLiteral(", "));
}

QString exportFilters(ExportKind kind)
{
    return listed(kind, &ExportFormat::filter, QStringLiteral(";;"));
}

QString headingText(const QString& field)
{
    qsizetype end = field.size();
    while (end > 0 && field.at(end - 1).isSpace())
        --end;
    return field.left(end);
}

bool eachContourLevel(const ExportJob& job,
                      const std::function<bool(const std::vector<ContourLine>&)>& take)
{
    std::vector<ContourLine> clipped;
    return traceContourLevels(job.project, job.contours.interval,
                              [&](std::vector<ContourLine>& lines, double done) {
                                  if (cancelled(job.progress))
                                      return false;
                                  if (job.outline) {
                                      clipped.clear();
                                      for (const ContourLine& line : lines)
                                          job.outline->clip(line, clipped);
                                  }
                                  if (!take(job.outline ? clipped : lines))
                                      return false;
                                  report(job.progress, done);
                                  return true;
                              });
}

QString exportProject(const Project& p, const ExportFormat& format, const QString& fileName,
                      float interval, QDate date, Progress* progress)
{
    if (!p.HasNodes() || p.GridRows < 2 || p.GridCols < 2 ||
        qint64(p.Nodes.size()) <= qint64(p.GridRows) * p.GridCols)
        return msg::DataIncomplete;
    ExportJob job{p, {}, date, ExportOutline::of(p)};
    job.progress = progress;
    if (format.kind == ExportKind::Contours) {
        if (const QString notice = contourNotice(contourLevels(p, interval)); !notice.isEmpty())
            return notice;
        if (format.traces) {
            job.contours.interval = interval;
            for (const ContourLabel& label : contourBorderLabels(p, interval))
                if (!job.outline || job.outline->covers(label.at))
                    job.contours.labels.push_back(label);
        } else {
            job.contours = traceContourLines(p, interval);
            if (job.outline)
                job.contours = clippedToOutline(job.contours, *job.outline);
        }
    }
    // Written under a temporary name and renamed over the old file only when complete.
    OutputFile out(fileName);
    if (!out.problem().isEmpty())
        return out.problem();
    const QString failed =
        format.write ? format.write(job, out.path())
                     : out.write([&](QIODevice& file) { return format.writeTo(job, file); });
    if (cancelled(progress))
        return ExportCancelled;
    if (!failed.isEmpty())
        return out.aboutTarget(failed);
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    const QStringList sides = suffix == QLatin1String("shp")
                                  ? QStringList{"shx", "dbf", "prj", "cpg"}
                              : suffix == QLatin1String("asc") ? QStringList{"prj"}
                                                               : QStringList{};
    if (!out.commit(sides))
        return out.problem();
    return {};
}

// Shared by the text formats: all of the file or none of it.
QString saveBytes(const QByteArray& bytes, const QString& fileName)
{
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() ||
        file.error() != QFileDevice::NoError || !file.commit())
        return msg::cannotSaveFile(QDir::toNativeSeparators(fileName)) + QStringLiteral(": ") +
               file.errorString();
    return {};
}

QString writeCsvHeights(const ExportJob& job, const QString& fileName)
{
    return saveBytes(writeHeightsCsv(job.project), fileName);
}

QString writeLandXml(const ExportJob& job, const QString& fileName)
{
    return saveBytes(landXmlBytes(job), fileName);
}

} // namespace tervan
