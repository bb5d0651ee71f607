#include "survey/padsfile.h"

#include "common/gdaldrivers.h"
#include "common/outputfile.h"
#include "project/project.h"
#include "survey/vectorfile.h"

#include <QCoreApplication>
#include <QDir>
#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

namespace tervan {

namespace {

double fieldOr(const OGRFeature& f, const char* name, double otherwise)
{
    const int i = f.GetFieldIndex(name);
    return i >= 0 && f.IsFieldSetAndNotNull(i) ? f.GetFieldAsDouble(i) : otherwise;
}

} // namespace

std::variant<std::vector<PadShape>, QString> readPadsFile(const QString& fileName, const Project& p)
{
    const VectorFile data = openVectorFile(fileName);
    CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
    if (!data)
        return QStringLiteral("อ่านแฟ้มแท่น %1 ไม่ได้").arg(QDir::toNativeSeparators(fileName));
    const double x0 = worldX(p.Georef, 0), y0 = worldY(p.Georef, 0);
    std::vector<PadShape> pads;
    for (OGRLayer* layer : data->GetLayers())
        for (const auto& feature : *layer) {
            const OGRGeometry* g = feature->GetGeometryRef();
            if (!g)
                continue;
            const auto flat = wkbFlatten(g->getGeometryType());
            const OGRLineString* ring = flat == wkbPolygon      ? g->toPolygon()->getExteriorRing()
                                        : flat == wkbLineString ? g->toLineString()
                                                                : nullptr;
            if (!ring)
                continue; // points and texts are no pad
            PadShape pad;
            const int nameField = feature->GetFieldIndex("name");
            if (nameField >= 0 && feature->IsFieldSetAndNotNull(nameField))
                pad.name = QString::fromUtf8(feature->GetFieldAsString(nameField));
            // A blank name could not say which pad a message is about; its number can.
            if (pad.name.trimmed().isEmpty())
                pad.name = QString::number(pads.size() + 1);
            // GDAL cannot tell whether a line without points is closed; it has no outline.
            const bool closed = !ring->IsEmpty() && ring->get_IsClosed();
            if (flat == wkbLineString && !closed)
                return QStringLiteral("แท่น %1: เส้นขอบไม่ปิด").arg(pad.name);
            const int levelField = feature->GetFieldIndex("level");
            if (levelField >= 0 && feature->IsFieldSetAndNotNull(levelField))
                pad.level = feature->GetFieldAsDouble(levelField);
            pad.cutSlope = fieldOr(*feature, "cut_slope", pad.cutSlope);
            pad.fillSlope = fieldOr(*feature, "fill_slope", pad.fillSlope);
            pad.fall = fieldOr(*feature, "fall", 0);
            pad.fallBearing = fieldOr(*feature, "fall_bearing", 0);
            const int last = ring->getNumPoints() - (closed ? 1 : 0);
            for (int i = 0; i < last; ++i)
                pad.corners.emplace_back(ring->getX(i) - x0, ring->getY(i) - y0);
            pads.push_back(std::move(pad));
        }
    if (pads.empty())
        return QStringLiteral("ไม่พบรูปปิดที่เป็นแท่นในแฟ้ม %1").arg(QDir::toNativeSeparators(fileName));
    return pads;
}

QString writePadsFile(const std::vector<PadShape>& pads, const Project& p, const QString& fileName)
{
    registerGdalDrivers();
    CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
    const QString failed =
        QStringLiteral("บันทึกแฟ้มแท่น %1 ไม่ได้").arg(QDir::toNativeSeparators(fileName));
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GeoJSON");
    // The driver does not notice a write that fails: it writes to memory, and the bytes go out
    // through a file that does.
    const QByteArray memory = QStringLiteral("/vsimem/tervan-pads-%1.geojson")
                                  .arg(QCoreApplication::applicationPid())
                                  .toUtf8();
    QByteArray bytes;
    {
        GDALDatasetUniquePtr ds(
            driver ? driver->Create(memory.constData(), 0, 0, 0, GDT_Unknown, nullptr) : nullptr);
        if (!ds)
            return failed;
        std::unique_ptr<OGRSpatialReference> srs;
        if (p.Georef && p.Georef->epsg > 0) {
            srs = std::make_unique<OGRSpatialReference>();
            if (srs->importFromEPSG(p.Georef->epsg) != OGRERR_NONE)
                srs.reset();
        }
        OGRLayer* layer = ds->CreateLayer("pads", srs.get(), wkbPolygon, nullptr);
        if (!layer)
            return failed;
        OGRFieldDefn name("name", OFTString);
        layer->CreateField(&name);
        for (const char* field : {"level", "cut_slope", "fill_slope", "fall", "fall_bearing"}) {
            OGRFieldDefn real(field, OFTReal);
            layer->CreateField(&real);
        }
        const double x0 = worldX(p.Georef, 0), y0 = worldY(p.Georef, 0);
        for (const PadShape& pad : pads) {
            OGRFeature feature(layer->GetLayerDefn());
            feature.SetField("name", pad.name.toUtf8().constData());
            if (pad.level)
                feature.SetField("level", *pad.level);
            else
                feature.SetFieldNull(feature.GetFieldIndex("level"));
            feature.SetField("cut_slope", pad.cutSlope);
            feature.SetField("fill_slope", pad.fillSlope);
            feature.SetField("fall", pad.fall);
            feature.SetField("fall_bearing", pad.fallBearing);
            auto* ring = new OGRLinearRing;
            for (const QPointF& c : pad.corners)
                ring->addPoint(c.x() + x0, c.y() + y0);
            ring->closeRings();
            OGRPolygon polygon;
            polygon.addRingDirectly(ring);
            feature.SetGeometry(&polygon);
            if (layer->CreateFeature(&feature) != OGRERR_NONE)
                return failed;
        }
    }
    vsi_l_offset size = 0;
    GByte* data = VSIGetMemFileBuffer(memory.constData(), &size, TRUE);
    bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    CPLFree(data);
    if (bytes.isEmpty())
        return failed;
    return writeOutputBytes(fileName, bytes);
}

} // namespace tervan
