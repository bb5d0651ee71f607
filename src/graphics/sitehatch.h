#pragma once

#include <QLineF>
#include <vector>

namespace tervan {

struct Project;

// What a picture draws over a project with a site outline: the outline, and hatching over the
// part of the grid outside it, whose heights are estimates and which no volume counts. Grid
// coordinates (metres from node 1, y north); nothing for a project without an outline.
struct SiteHatch
{
    std::vector<QLineF> outline;
    std::vector<QLineF> hatch; // diagonal, `step` metres apart
};

SiteHatch siteHatch(const Project& p, double step);

} // namespace tervan
