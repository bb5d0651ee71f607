#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <nanoflann.hpp>
#include <utility>
#include <vector>

namespace tervan {

// A k-d tree over plan positions for the nearest-shot questions (inverse distance, the
// farthest node, duplicates), so none of them tests every shot against every node. The
// positions are copied in; indices returned are their order as given.
class PointIndex final
{
public:
    template <typename Points> explicit PointIndex(const Points& points)
    {
        m_xy.reserve(points.size());
        for (const auto& p : points)
            m_xy.push_back({p.x, p.y});
        m_tree = std::make_unique<Tree>(2, m_cloud, nanoflann::KDTreeSingleIndexAdaptorParams(16));
        m_tree->buildIndex();
    }

    std::size_t size() const { return m_xy.size(); }

    // Up to k positions nearest (x, y), nearest first: index and squared distance.
    std::size_t nearest(double x, double y, std::size_t k, std::uint32_t* index,
                        double* squared) const
    {
        const double at[2] = {x, y};
        return m_tree->knnSearch(at, k, index, squared);
    }

    // Every position within `radius` of (x, y), any order.
    std::vector<std::uint32_t> within(double x, double y, double radius) const
    {
        const double at[2] = {x, y};
        std::vector<std::pair<std::uint32_t, double>> found;
        m_tree->radiusSearch(at, radius * radius, found, nanoflann::SearchParams(32, 0, false));
        std::vector<std::uint32_t> out;
        out.reserve(found.size());
        for (const auto& f : found)
            out.push_back(f.first);
        return out;
    }

private:
    struct Cloud
    {
        const std::vector<std::array<double, 2>>& xy;
        std::size_t kdtree_get_point_count() const { return xy.size(); }
        double kdtree_get_pt(std::size_t i, std::size_t d) const { return xy[i][d]; }
        template <class Box> bool kdtree_get_bbox(Box&) const { return false; }
    };
    using Tree = nanoflann::KDTreeSingleIndexAdaptor<nanoflann::L2_Simple_Adaptor<double, Cloud>,
                                                     Cloud, 2, std::uint32_t>;

    std::vector<std::array<double, 2>> m_xy;
    Cloud m_cloud{m_xy};
    std::unique_ptr<Tree> m_tree;
};

} // namespace tervan
