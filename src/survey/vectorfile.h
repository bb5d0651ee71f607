#pragma once

#include <QString>
#include <gdal_priv.h>
#include <memory>
#include <ogrsf_frmts.h>

namespace tervan {

// A vector file the survey reads (points, breaklines, a boundary), opened read-only through
// GDAL with its English messages kept for a detail; empty when GDAL cannot open it.
struct DatasetClose
{
    void operator()(GDALDataset* d) const { GDALClose(d); }
};
using VectorFile = std::unique_ptr<GDALDataset, DatasetClose>;

inline VectorFile openVectorFile(const QString& fileName)
{
    GDALAllRegister();
    CPLErrorReset();
    CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
    return VectorFile(GDALDataset::Open(fileName.toUtf8().constData(),
                                        GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr));
}

// The layer's coordinate system as WKT, kept as the first layer that names one gives it.
inline void takeLayerCrs(const OGRLayer& layer, QString& crs)
{
    const OGRSpatialReference* srs = const_cast<OGRLayer&>(layer).GetSpatialRef();
    if (!srs || !crs.isEmpty())
        return;
    char* wkt = nullptr;
    srs->exportToWkt(&wkt);
    crs = QString::fromUtf8(wkt);
    CPLFree(wkt);
}

} // namespace tervan
