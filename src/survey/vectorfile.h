#pragma once

#include <QString>
#include <memory>

class GDALDataset;
class OGRLayer;

namespace tervan {

// A vector file the survey reads (points, breaklines, a boundary), opened read-only through
// GDAL with its English messages kept for a detail; empty when GDAL cannot open it.
struct DatasetClose
{
    void operator()(GDALDataset* d) const;
};
using VectorFile = std::unique_ptr<GDALDataset, DatasetClose>;

VectorFile openVectorFile(const QString& fileName);

// The layer's coordinate system as WKT, kept as the first layer that names one gives it.
void takeLayerCrs(const OGRLayer& layer, QString& crs);

} // namespace tervan
