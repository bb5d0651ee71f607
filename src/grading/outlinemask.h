#pragma once

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace tervan {

// Which part of each grid cell lies inside a site's outline, kept so that anything linear over
// the cell's four triangles (each side joined to the centre, where the value is the mean of the
// four corners) integrates exactly over the inside only: a cell wholly inside or outside is
// flagged, a cell the outline crosses keeps the triangles the clipped pieces break into, each
// corner as weights on the cell's four corner values. Coordinates are metres from node 1, x
// east, y north; cells and nodes count from 0, row by row from the bottom.
class OutlineMask final
{
public:
    enum class Cover : unsigned char { Outside, Inside, Partial };

    struct Piece
    {
        double area = 0;
        // Each corner's value as weights on the cell's lower-left, lower-right, upper-right and
        // upper-left values.
        std::array<std::array<double, 4>, 3> weights{};
    };

    // Nothing for an outline of fewer than three corners, one GEOS finds invalid (crossing
    // itself), or a grid without cells.
    static std::shared_ptr<const OutlineMask>
    build(int rows, int cols, double spacing,
          const std::vector<std::pair<double, double>>& outline);

    // The area inside the outline and within the grid, and (unless the caller knows it) how
    // many nodes lie outside it, without the pieces of every cell; nothing where build() would
    // give nothing.
    struct Measure
    {
        double insideArea = 0;
        int nodesOutside = 0;
    };
    static std::optional<Measure> measure(int rows, int cols, double spacing,
                                          const std::vector<std::pair<double, double>>& outline,
                                          bool countNodes = true);

    Cover cover(int cell) const { return m_cover[std::size_t(cell)]; }
    std::span<const Piece> pieces(int cell) const;
    bool nodeInside(int node) const { return m_nodeInside[std::size_t(node)]; }
    // Plan area inside the outline and within the grid, and of the grid outside it, m2.
    double insideArea() const { return m_inside; }
    double outsideArea() const { return m_outside; }
    const std::vector<std::pair<double, double>>& outline() const { return m_outline; }

private:
    OutlineMask() = default;
    std::vector<Cover> m_cover;
    std::vector<int> m_first; // per cell, its first piece; one past the end at the back
    std::vector<Piece> m_pieces;
    std::vector<bool> m_nodeInside;
    std::vector<std::pair<double, double>> m_outline;
    double m_inside = 0;
    double m_outside = 0;
};

} // namespace tervan
