#pragma once

#include "graphics/contourlines.h"

#include <QPointF>
#include <memory>
#include <utility>
#include <vector>

class OGRPolygon;

namespace tervan {

struct Project;

// The ground as the exports see it: the site's outline in grid metres from node 1 (x east,
// y north). A project has one only when its georeference holds an outline GEOS accepts as a
// polygon, the rule the volumes follow; otherwise the whole grid is ground. A node on the
// outline counts as inside, as it does for the volumes.
class ExportOutline final
{
public:
    static std::shared_ptr<const ExportOutline> of(const Project& p);
    ~ExportOutline();
    ExportOutline(const ExportOutline&) = delete;
    ExportOutline& operator=(const ExportOutline&) = delete;

    // Node numbers count from 1, as the project's do.
    bool nodeInside(int node) const { return m_nodeInside[std::size_t(node - 1)]; }
    // On the outline or inside it, within a tenth of a millimetre.
    bool covers(const QPointF& at) const;
    // The parts of the line inside, appended; a line wholly inside is appended as it was.
    void clip(const ContourLine& line, std::vector<ContourLine>& out) const;
    // The corners in grid metres, in order, the first not repeated.
    const std::vector<QPointF>& corners() const { return m_corners; }

private:
    ExportOutline();
    struct Geometry;
    std::unique_ptr<Geometry> m_geometry;
    std::vector<QPointF> m_corners;
    std::vector<bool> m_nodeInside;
};

// The contours cut at the outline, and the border labels of the window's picture kept only
// where they stand on the ground, so no level is drawn or named outside the site.
ContourSet clippedToOutline(const ContourSet& set, const ExportOutline& outline);

} // namespace tervan
