#include "project/projectedit.h"

#include <bit>

namespace tervan {

namespace {

// Bit equality: a NaN read from a file stays the same value, and -0 differs from 0.
bool sameFloat(float a, float b)
{
    return std::bit_cast<quint32>(a) == std::bit_cast<quint32>(b);
}

bool sameHeadingAndGrid(const ProjectContent& a, const ProjectContent& b)
{
    return a.ProjectName == b.ProjectName && a.EngineerName == b.EngineerName &&
           a.GridRows == b.GridRows && a.GridCols == b.GridCols && a.GridSpacing == b.GridSpacing &&
           a.NodeCount == b.NodeCount && sameFloat(a.ContourInterval, b.ContourInterval) &&
           a.Nodes.size() == b.Nodes.size() && a.Georef == b.Georef;
}

void followHeights(Project& p)
{
    if (p.NodeCount > 0 && std::size_t(p.NodeCount) < p.Nodes.size())
        p.ComputeElevationRange();
}

} // namespace

ProjectContent contentOf(const Project& p)
{
    ProjectContent c;
    c.header() = p.header();
    c.Nodes = p.Nodes;
    c.Georef = p.Georef;
    return c;
}

bool sameContent(const ProjectContent& a, const ProjectContent& b)
{
    const auto changes = heightChanges(a, b);
    return changes && changes->empty();
}

std::optional<std::vector<HeightChange>> heightChanges(const ProjectContent& before,
                                                       const ProjectContent& after)
{
    if (!sameHeadingAndGrid(before, after))
        return std::nullopt;
    std::vector<HeightChange> changes;
    for (std::size_t n = 1; n < before.Nodes.size(); ++n) {
        const NodePoint& b = before.Nodes[n];
        const NodePoint& a = after.Nodes[n];
        if (!sameFloat(b.X, a.X) || !sameFloat(b.Y, a.Y))
            return std::nullopt;
        if (!sameFloat(b.Z, a.Z))
            changes.push_back({int(n), b.Z, a.Z});
    }
    return changes;
}

void applyHeightChanges(Project& p, const std::vector<HeightChange>& changes, bool forward)
{
    for (const HeightChange& c : changes)
        if (c.node >= 1 && std::size_t(c.node) < p.Nodes.size())
            p.Nodes[c.node].Z = forward ? c.after : c.before;
    followHeights(p);
}

void restoreContent(Project& p, const ProjectContent& c)
{
    const bool newSpacing = p.GridSpacing != c.GridSpacing;
    takeFileData(p, c);
    p.Georef = c.Georef;
    if (newSpacing)
        p.setNormalWindow(c.GridSpacing != 0 ? c.GridSpacing : 10);
    followHeights(p);
}

bool allHeightsUnset(const Project& p)
{
    for (int n = 1; n <= p.NodeCount && std::size_t(n) < p.Nodes.size(); ++n)
        if (p.Nodes[n].Z != 0)
            return false;
    return true;
}

} // namespace tervan
