// The GIS formats through GDAL/OGR.
#include "common/gdaldrivers.h"
#include "common/messages.h"
#include "exchange/exchange.h"
#include "exchange/exportoutline.h"
#include "project/project.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <charconv>
#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <memory>
#include <ogrsf_frmts.h>

namespace tervan {

namespace {

// GDAL's own words only as a detail behind the Thai.
QString failed(const QString& fileName)
{
    QString reason = msg::cannotSaveFile(QDir::toNativeSeparators(fileName)) +
                     QStringLiteral(": เขียนข้อมูลลงแฟ้มไม่สำเร็จ (ดิสก์อาจเต็ม หรือไม่มีสิทธิ์เขียน)");
    if (const char* why = CPLGetLastErrorMsg(); why && *why)
        reason += QStringLiteral(" [GDAL: %1]").arg(QString::fromUtf8(why));
    return reason;
}

// A new dataset of the driver, replacing what was there.
GDALDatasetUniquePtr create(const char* driverName, const QString& fileName, int cols = 0,
                            int rows = 0, GDALDataType type = GDT_Unknown, char** options = nullptr)
{
    registerGdalDrivers();
    CPLErrorReset();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName);
    if (!driver)
        return nullptr;
    const QByteArray path = QFile::encodeName(fileName);
    if (QFileInfo::exists(fileName)) {
        // What the driver says about the old file is not this export's failure.
        CPLErrorStateBackuper keepState;
        CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
        if (driver->Delete(path.constData()) != CE_None)
            QFile::remove(fileName);
    }
    return GDALDatasetUniquePtr(
        driver->Create(path.constData(), cols, rows, type ? 1 : 0, type, options));
}

// Closing writes what the driver still holds; a failure there is a failed export.
QString close(GDALDatasetUniquePtr ds, const QString& fileName)
{
    CPLErrorReset();
    ds.reset();
    return CPLGetLastErrorType() >= CE_Failure ? failed(fileName) : QString();
}

std::unique_ptr<OGRSpatialReference> crsOf(const Project& p)
{
    if (!p.Georef || p.Georef->epsg <= 0)
        return nullptr;
    auto srs = std::make_unique<OGRSpatialReference>();
    if (srs->importFromEPSG(p.Georef->epsg) != OGRERR_NONE)
        return nullptr;
    srs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return srs;
}

// A raster of one pixel a node, north up, on the ground where the grid lies.
void placeNodes(GDALDataset& ds, const Project& p)
{
    const double s = p.GridSpacing;
    const NodePoint& first = p.Nodes[1];
    double transform[6] = {worldX(p.Georef, first.X) - s / 2,
                           s,
                           0,
                           worldY(p.Georef, first.Y) + (p.GridRows - 1) * s + s / 2,
                           0,
                           -s};
    ds.SetGeoTransform(transform);
    if (const auto srs = crsOf(p))
        ds.SetSpatialRef(srs.get());
}

// A line layer "contours" with fields elev and index, one feature per polyline.
QString writeLines(const ExportJob& job, const char* driver, const QString& fileName,
                   char** layerOptions = nullptr)
{
    const Project& p = job.project;
    auto srs = crsOf(p);
    // A GeoPackage without a system would read as degrees; say it is a plane in metres.
    if (!srs && QLatin1String(driver) == QLatin1String("GPKG")) {
        srs = std::make_unique<OGRSpatialReference>();
        srs->SetLocalCS("grid");
        srs->SetLinearUnits(SRS_UL_METER, 1.0);
    }
    GDALDatasetUniquePtr ds = create(driver, fileName);
    if (!ds)
        return failed(fileName);
    OGRLayer* layer = ds->CreateLayer("contours", srs.get(), wkbLineString, layerOptions);
    if (!layer)
        return failed(fileName);
    OGRFieldDefn elev("elev", OFTReal);
    OGRFieldDefn index("index", OFTInteger);
    if (layer->CreateField(&elev) != OGRERR_NONE || layer->CreateField(&index) != OGRERR_NONE)
        return failed(fileName);
    const bool transactions = layer->StartTransaction() == OGRERR_NONE;
    const auto& g = p.Georef;
    for (const ContourLine& line : job.contours.lines) {
        OGRFeature feature(layer->GetLayerDefn());
        feature.SetField(0, double(line.level));
        feature.SetField(1, line.whole ? 1 : 0);
        auto geometry = std::make_unique<OGRLineString>();
        geometry->setNumPoints(int(line.points.size()), false);
        for (std::size_t i = 0; i < line.points.size(); ++i)
            geometry->setPoint(int(i), worldX(g, line.points[i].x()),
                               worldY(g, line.points[i].y()));
        feature.SetGeometryDirectly(geometry.release());
        if (layer->CreateFeature(&feature) != OGRERR_NONE)
            return failed(fileName);
    }
    if (transactions && layer->CommitTransaction() != OGRERR_NONE)
        return failed(fileName);
    return close(std::move(ds), fileName);
}

} // namespace

QString writeAsciiGrid(const ExportJob& job, const QString& fileName)
{
    const Project& p = job.project;
    const int rows = p.GridRows, cols = p.GridCols;
    registerGdalDrivers();
    CPLErrorReset();
    GDALDriver* memory = GetGDALDriverManager()->GetDriverByName("MEM");
    GDALDriver* grid = GetGDALDriverManager()->GetDriverByName("AAIGrid");
    if (!memory || !grid)
        return failed(fileName);
    GDALDatasetUniquePtr heights(memory->Create("", cols, rows, 1, GDT_Float64, nullptr));
    if (!heights)
        return failed(fileName);
    // Each cell's centre is a node.
    placeNodes(*heights, p);
    constexpr double NoData = -9999;
    GDALRasterBand* band = heights->GetRasterBand(1);
    band->SetNoDataValue(NoData);
    // Each height as its shortest decimal, which nine significant digits print back exactly and
    // a float reads back as the same height.
    std::vector<double> z(std::size_t(rows) * std::size_t(cols));
    for (int i = 0; i < rows; ++i)
        for (int k = 0; k < cols; ++k) {
            const int n = (rows - 1 - i) * cols + k + 1;
            double& out = z[std::size_t(i) * cols + k];
            if (job.outline && !job.outline->nodeInside(n)) {
                out = NoData;
                continue;
            }
            char digits[32];
            const auto end = std::to_chars(digits, digits + sizeof digits, p.Nodes[n].Z).ptr;
            std::from_chars(digits, end, out);
        }
    if (band->RasterIO(GF_Write, 0, 0, cols, rows, z.data(), cols, rows, GDT_Float64, 0, 0) !=
        CE_None)
        return failed(fileName);

    // Written in memory and taken from there as a whole, the grid and its .prj only: beside a
    // file the driver would also leave an .aux.xml the export has no use for.
    static std::atomic<int> exports = 0;
    const QByteArray folder = QStringLiteral("/vsimem/tervan-asc-%1-%2")
                                  .arg(QCoreApplication::applicationPid())
                                  .arg(++exports)
                                  .toUtf8();
    const QByteArray ascPath = folder + "/grid.asc", prjPath = folder + "/grid.prj";
    const char* options[] = {"SIGNIFICANT_DIGITS=9", nullptr};
    CPLErrorReset();
    GDALDatasetUniquePtr written(grid->CreateCopy(ascPath.constData(), heights.get(), FALSE,
                                                  const_cast<char**>(options), nullptr, nullptr));
    const bool complete = written && CPLGetLastErrorType() < CE_Failure;
    written.reset();
    const auto take = [](const QByteArray& path) {
        vsi_l_offset size = 0;
        GByte* bytes = VSIGetMemFileBuffer(path.constData(), &size, FALSE);
        return bytes ? QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(size))
                     : QByteArray();
    };
    const QByteArray asc = take(ascPath), prj = take(prjPath);
    VSIRmdirRecursive(folder.constData());
    if (!complete || asc.isEmpty())
        return failed(fileName);

    if (QString failure = saveBytes(asc, fileName); !failure.isEmpty())
        return failure;
    // The .prj beside the grid, when the grid has a coordinate system.
    const QString prjName = QFileInfo(fileName).path() + u'/' +
                            QFileInfo(fileName).completeBaseName() + QStringLiteral(".prj");
    if (prj.isEmpty()) {
        QFile::remove(prjName);
        return {};
    }
    return saveBytes(prj, prjName);
}

QString writeGeoPackage(const ExportJob& job, const QString& fileName)
{
    return writeLines(job, "GPKG", fileName);
}

QString writeShapefile(const ExportJob& job, const QString& fileName)
{
    return writeLines(job, "ESRI Shapefile", fileName);
}

QString writeGeoJson(const ExportJob& job, const QString& fileName)
{
    if (!crsOf(job.project))
        return QStringLiteral("GeoJSON ใช้พิกัดละติจูด/ลองจิจูด แต่โครงการนี้ไม่มีระบบพิกัดอ้างอิง "
                              "กรุณาส่งออกเป็น DXF หรือ GeoPackage แทน");
    // RFC 7946: the driver projects the lines into longitude/latitude. It does not notice a
    // write that fails, so it writes to memory and the bytes go out where a failure is seen.
    char* options[] = {const_cast<char*>("RFC7946=YES"), nullptr};
    const QString memory =
        QStringLiteral("/vsimem/tervan-%1.geojson").arg(QCoreApplication::applicationPid());
    if (QString failure = writeLines(job, "GeoJSON", memory, options); !failure.isEmpty())
        return VSIUnlink(memory.toUtf8().constData()), failure.replace(memory, fileName);
    vsi_l_offset size = 0;
    GByte* bytes = VSIGetMemFileBuffer(memory.toUtf8().constData(), &size, TRUE);
    const QByteArray text(reinterpret_cast<const char*>(bytes), qsizetype(size));
    CPLFree(bytes);
    return saveBytes(text, fileName);
}

QString writeGeoTiff(const ExportJob& job, const QString& fileName)
{
    const Project& p = job.project;
    const int rows = p.GridRows, cols = p.GridCols;
    GDALDatasetUniquePtr ds = create("GTiff", fileName, cols, rows, GDT_Float32);
    if (!ds)
        return failed(fileName);
    // Each pixel is a node; GDAL keeps the transform on pixel corners and shifts it for Point.
    ds->SetMetadataItem(GDALMD_AREA_OR_POINT, GDALMD_AOP_POINT);
    placeNodes(*ds, p);
    // Outside the site's outline there is no ground: NoData, as the ASCII grid writes it.
    constexpr float NoData = -9999;
    GDALRasterBand* band = ds->GetRasterBand(1);
    if (job.outline && band->SetNoDataValue(NoData) != CE_None)
        return failed(fileName);
    std::vector<float> heights(std::size_t(rows) * std::size_t(cols));
    for (int i = 0; i < rows; ++i)
        for (int k = 0; k < cols; ++k) {
            const int n = (rows - 1 - i) * cols + k + 1;
            heights[std::size_t(i) * cols + k] =
                job.outline && !job.outline->nodeInside(n) ? NoData : p.Nodes[n].Z;
        }
    if (band->RasterIO(GF_Write, 0, 0, cols, rows, heights.data(), cols, rows, GDT_Float32, 0, 0) !=
        CE_None)
        return failed(fileName);
    return close(std::move(ds), fileName);
}

} // namespace tervan
