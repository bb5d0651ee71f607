#pragma once

#include "project/controldata.h"
#include "project/projectfile.h"

// Two grids with nearly the same node count, so a ".nod" of one fits under the other's header.
inline tervan::Project faultProject(qint16 rows, qint16 cols)
{
    tervan::Project p = tervan::startupProject();
    tervan::applyControlData(p, {5, rows, cols, 0.5f});
    p.ProjectName = QString::number(rows);
    for (std::size_t n = 1; n < p.Nodes.size(); ++n)
        p.Nodes[n].Z = float(rows) + float(n) * 0.25f;
    return p;
}
