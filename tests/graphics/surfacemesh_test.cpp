#include "graphics/palette.h"
#include "graphics/recordingsurface.h"
#include "graphics/surfacemesh.h"
#include "project/controldata.h"
#include "project/project.h"
#include "support/printto.h"

#include <gtest/gtest.h>

using namespace tervan;
using Kind = RecordingSurface::Kind;

namespace {

Project flatGrid(qint16 angle)
{
    Project p = startupProject();
    applyControlData(p, {10, 2, 2, 1});
    p.RotationAngle = angle;
    return p;
}

// Lines rounded to millimetres, since cos 90 degrees is not exactly 0.
QStringList lines(const RecordingSurface& s)
{
    QStringList out;
    for (const auto& op : s.ops(Kind::Line))
        out << QStringLiteral("%1,%2-%3,%4 c%5")
                   .arg(std::round(op.x1 * 1000) / 1000)
                   .arg(std::round(op.y1 * 1000) / 1000)
                   .arg(std::round(op.x2 * 1000) / 1000)
                   .arg(std::round(op.y2 * 1000) / 1000)
                   .arg(op.value);
    return out;
}

} // namespace

TEST(SurfaceMesh, FlatTwoByTwoAtNinetyDegrees)
{
    Project p = flatGrid(90);
    RecordingSurface s;
    PlotSurfaceMesh(s, p);
    EXPECT_EQ(lines(s), (QStringList{// columns, each starting with a zero-length move
                                     "0,0-0,0 c2", "0,0-0,0 c2", "0,0-0,10 c2", "10,0-10,0 c2",
                                     "10,0-10,0 c2", "10,0-10,10 c2",
                                     // rows
                                     "0,0-0,0 c2", "0,0-0,0 c2", "0,0-10,0 c2", "0,10-0,10 c2",
                                     "0,10-0,10 c2", "0,10-10,10 c2",
                                     // only the black front base line, and a front skirt of points
                                     "0,0-10,0 c0", "0,0-0,0 c0", "10,0-10,0 c0"}));
}

TEST(SurfaceMesh, SidesFollowTheAngleAndKeepTheirColours)
{
    Project p = flatGrid(35);
    p.Nodes[4].Z = 3; // back right corner
    p.UseChosenColor = -1;
    p.ChosenColorIndex = 4;
    RecordingSurface below;
    PlotSurfaceMesh(below, p);
    const QStringList a = lines(below);
    const double c = std::cos(35 * M_PI / 180), sn = std::sin(35 * M_PI / 180);
    // Right-hand base edge in blue, then the front edge in black.
    EXPECT_EQ(a[12], QStringLiteral("10,0-%1,%2 c1")
                         .arg(std::round((10 + 10 * c) * 1000) / 1000)
                         .arg(std::round(10 * sn * 1000) / 1000));
    EXPECT_EQ(a[13], "0,0-10,0 c0");
    EXPECT_TRUE(a[15].endsWith("c1")); // right skirt up to the 3 m corner
    EXPECT_EQ(a.mid(0, 12).filter("c4").size(), 12);

    p.RotationAngle = 150;
    RecordingSurface above;
    PlotSurfaceMesh(above, p);
    const QString leftBase = lines(above)[12];
    EXPECT_TRUE(leftBase.startsWith("0,0-")) << leftBase.toStdString();
    EXPECT_TRUE(leftBase.endsWith("c1"));
}

TEST(SurfaceMesh, FrontEdgeIgnoresTheAngle)
{
    Project p = flatGrid(0);
    p.Nodes[2].Z = 7;
    QStringList fronts;
    for (qint16 angle : {0, 35, 90, 180}) {
        p.RotationAngle = angle;
        RecordingSurface s;
        PlotSurfaceMesh(s, p);
        fronts << lines(s)[8]; // first row line: the front edge
    }
    EXPECT_EQ(fronts, QStringList(4, "0,0-10,7 c2"));
}

TEST(SurfaceMesh, RotationStopsAtItsLimits)
{
    Project p = startupProject();
    for (int i = 0; i < 145; ++i)
        rotatePlus(p);
    EXPECT_EQ(p.RotationAngle, 180);
    rotatePlus(p);
    EXPECT_EQ(p.RotationAngle, 180);
    for (int i = 0; i < 200; ++i)
        rotateMinus(p);
    EXPECT_EQ(p.RotationAngle, 0);
}

TEST(SurfaceMesh, BaseAndExaggerationLiftTheHeightsAboveTheBase)
{
    // 2 x 2 at 100..103 m from the front: the back-right column segment and node 2's skirt.
    Project p = flatGrid(90);
    for (int n = 1; n <= 4; ++n)
        p.Nodes[n].Z = float(99 + n);
    p.ComputeElevationRange();
    for (const auto& [lowest, times, column, skirt] :
         {std::tuple{false, 2, "10,202-10,216 c2", "10,0-10,202 c0"},
          {true, 1, "10,1-10,13 c2", "10,0-10,1 c0"},
          {true, 5, "10,5-10,25 c2", "10,0-10,5 c0"}}) {
        std::tie(p.SurfaceBaseLowest, p.SurfaceExaggeration) = std::tuple(lowest, times);
        RecordingSurface s;
        PlotSurfaceMesh(s, p);
        EXPECT_EQ(QStringList({lines(s)[5], lines(s).last()}), QStringList({column, skirt}));
    }
}
