#include "project/project.h"

#include <cmath>

namespace tervan {

namespace {

// Rounds to the nearest integer, ties to the even one, as the window rules require.
qint64 nearestEven(double v)
{
    return static_cast<qint64>(std::nearbyint(v));
}

} // namespace

void Project::ComputeElevationRange()
{
    ElevMin = ElevMax = Nodes[1].Z;
    for (int n = 2; n <= NodeCount; ++n) {
        const float z = Nodes[n].Z;
        // Written as "not >=" so that a NaN elevation behaves as the file reader expects.
        if (!(z >= ElevMin))
            ElevMin = z;
        if (z > ElevMax)
            ElevMax = z;
    }
}

void Project::ComputeNodeExtents()
{
    NodeXMin = NodeXMax = Nodes[1].X;
    for (int n = 2; n <= NodeCount; ++n) {
        if (NodeXMin > Nodes[n].X)
            NodeXMin = Nodes[n].X;
        if (!(NodeXMax >= Nodes[n].X))
            NodeXMax = Nodes[n].X;
    }
    NodeXRange = NodeXMax - NodeXMin;
    NodeYMin = NodeYMax = Nodes[1].Y;
    for (int n = 2; n <= NodeCount; ++n) {
        if (NodeYMin > Nodes[n].Y)
            NodeYMin = Nodes[n].Y;
        if (!(NodeYMax >= Nodes[n].Y))
            NodeYMax = Nodes[n].Y;
    }
    NodeYRange = NodeYMax - NodeYMin;
}

bool Project::HasData() const
{
    return NodeCount != 0 || HasGrid();
}

bool Project::HasGrid() const
{
    return ContourInterval != 0 || GridRows != 0 || GridCols != 0 || GridSpacing != 0;
}

void Project::setNormalWindow(float step)
{
    ViewStepX = ViewStepY = step;
    applyNormalView(*this);
}

void applyNormalView(Project& p)
{
    p.ViewXMin = -2.0 * p.ViewStepX;
    p.ViewXMax = 12.0 * p.ViewStepX;
    p.ViewYMin = -2.0 * p.ViewStepY;
    const qint64 q = nearestEven((std::fabs(p.ViewXMin) + double(p.ViewXMax)) * 3.0) / 4;
    p.ViewYMax = double(q) - std::fabs(p.ViewYMin);
}

Project startupProject()
{
    Project p;
    p.ProjectName = DefaultProjectName;
    p.EngineerName = DefaultEngineerName;
    p.FileTitle = UntitledFileTitle;
    p.setNormalWindow(10);
    p.RotationAngle = 35;
    p.DisplayMode = PictureKind::Grid;
    p.BoldWholeContours = ContourEmphasis::WholeLevels;
    return p;
}

void resetForNew(Project& p)
{
    applyNormalView(p);
    p.header() = ProjectHeader{};
    p.ProjectName = DefaultProjectName;
    p.EngineerName = DefaultEngineerName;
    p.FileTitle = UntitledFileTitle;
    // A new project owes nothing to the last one: no heights to come back with the next grid,
    // no file that Save would write over.
    p.Nodes.clear();
    p.DataFileBase.clear();
    p.GndFileName.clear();
    p.NodFileName.clear();
    p.NodeXMin = p.NodeXMax = p.NodeYMin = p.NodeYMax = p.NodeXRange = p.NodeYRange = 0;
    p.ElevMin = p.ElevMax = 0;
    p.Georef.reset();
    p.DisplayMode = PictureKind::Grid;
}

} // namespace tervan
