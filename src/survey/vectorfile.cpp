#include "survey/vectorfile.h"

#include "common/gdaldrivers.h"

#include <ogrsf_frmts.h>

namespace tervan {

void DatasetClose::operator()(GDALDataset* d) const
{
    GDALClose(d);
}

VectorFile openVectorFile(const QString& fileName)
{
    registerGdalDrivers();
    CPLErrorReset();
    CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
    return VectorFile(GDALDataset::Open(fileName.toUtf8().constData(),
                                        GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr));
}

void takeLayerCrs(const OGRLayer& layer, QString& crs)
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
