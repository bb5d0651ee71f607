#pragma once

#include "common/progress.h"
#include "survey/breaklines.h"
#include "survey/surveypoints.h"

#include <QString>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace geos::triangulate::quadedge {
class QuadEdgeSubdivision;
}

namespace tervan {

// The triangulated surface of the shots: GEOS's incremental Delaunay over the shots and the
// breaklines' vertices, made to hold every breakline segment as edges by inserting points at
// the middle of any segment it lacks (a conforming Delaunay triangulation), heights along the
// breakline, until the pieces are held or shorter than a millimetre. Heights between vertices
// are linear over each triangle; outside the shots' hull there is none.
class SurveyTin final
{
public:
    // The shots merged (no two within a millimetre) and the breaklines checked by
    // noded(); refuses, in Thai, when the library cannot place a vertex.
    static std::variant<std::unique_ptr<SurveyTin>, QString>
    make(const std::vector<SurveyPoint>& shots, const std::vector<Breakline>& breaklines = {});
    ~SurveyTin();

    std::optional<double> heightAt(double x, double y) const;
    // The heights of a grid's nodes, row by row from (x0, y0), rows north: each triangle sets
    // the nodes it covers, so nodes outside the shots' hull keep what `heights` held.
    void heightsOnGrid(double x0, double y0, double spacing, int rows, int cols,
                       std::vector<double>& heights) const;

    // Each shot's height less the surface the other shots make at its place: the Delaunay of
    // its natural neighbours, which is the triangulation with the shot taken out. Nothing for
    // a shot on the hull, where the others make no surface. `progress` hears the share done;
    // once cancelled, the shots not yet reached get nothing.
    std::vector<std::optional<double>> leaveOneOut(Progress* progress = nullptr) const;

    int pointsAdded() const { return m_added; } // along breaklines

private:
    SurveyTin();

    std::unique_ptr<geos::triangulate::quadedge::QuadEdgeSubdivision> m_subdivision;
    std::vector<SurveyPoint> m_shots; // in the triangulation's local coordinates and order
    std::vector<std::size_t> m_order; // each of them's place in the shots as given
    double m_x0 = 0, m_y0 = 0;
    int m_added = 0;
};

} // namespace tervan
