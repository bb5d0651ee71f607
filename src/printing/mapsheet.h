#pragma once

#include "project/georeference.h"

#include <QPointF>
#include <QRectF>
#include <QStringList>
#include <optional>

namespace tervan {

class PageSurface;

// A picture of the grid printed as a map: drawn at 1:scale with the grid's origin (node 1,
// X to the right and Y up) at `origin` on the page, inside `frame`. Page positions are
// centimetres from the top-left corner of the printable area.
struct MapSheet
{
    long scale = 0;
    QRectF frame;
    QPointF origin;
    std::optional<Georeference> georef;
    // What the picture shows, a line each (intervals, levels), under the legend's caption.
    QStringList legend;

    // Where a grid position lands on the page.
    QPointF toPage(double x, double y) const
    {
        const double k = 100.0 / double(scale);
        return {origin.x() + x * k, origin.y() - y * k};
    }
};

// The room a map's furniture takes outside its frame: coordinate labels at the left and
// below, and the block of legend, scale and north arrow at the foot.
double mapLabelRoomCm(PageSurface& page);
constexpr double MapBlockCm = 3.1;

// The frame with its world coordinate ticks (where the grid is georeferenced) and their
// labels outside it, then the block below `blockTop`: the legend and the coordinate system
// at the left, the scale and its bar in the middle and the north arrow at the right. Leaves
// the page in centimetres.
void PrintMapFurniture(PageSurface& page, const MapSheet& sheet, double blockTop);

// The name printed for the grid's coordinate system: its EPSG code, or that it has none.
QString coordinateSystemText(const std::optional<Georeference>& g);

} // namespace tervan
