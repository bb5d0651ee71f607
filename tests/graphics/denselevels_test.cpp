#include "graphics/contourtracer.h"
#include "graphics/denselevels.h"
#include "graphics/imagesurface.h"
#include "graphics/palette.h"
#include "graphics/redraw.h"
#include "graphics/viewwindow.h"
#include "project/projectfile.h"
#include "support/printto.h"
#include "support/terrain.h"

#include <gtest/gtest.h>

using namespace tervan;

namespace {

Project sample()
{
    Project p = startupProject();
    const auto names = projectFileNames(QStringLiteral(TERVAN_SAMPLES "/housing-lot"));
    auto read = loadProjectFiles(names);
    applyOpenedProject(p, std::get<ProjectFileData>(std::move(read)), names);
    return p;
}

Project largeTerrain()
{
    return terrain(181, 181, 10);
}
Project smallTerrain()
{
    return terrain(12, 16, 10);
}

// The contour picture as the window draws it with the whole grid in view, and how far apart
// its levels lie in line widths.
struct Picture
{
    QImage image;
    double spacing = 0;
    QRect grid; // in device pixels
};

Picture draw(Project p, float interval, QSize size, qreal ratio, qint16 bold = -1)
{
    p.DisplayMode = 2;
    p.ContourInterval = interval;
    p.BoldWholeContours = bold;
    fitScreen(p);
    Picture out{QImage(size * ratio, QImage::Format_RGB32), 0, {}};
    out.image.setDevicePixelRatio(ratio);
    ImageSurface s(out.image);
    Redraw(s, p, {});
    const PixelRaster r = *s.pixelRaster();
    out.spacing = levelSpacing(p, contourLevels(p, interval), r);
    const auto device = [&r](double x, double y) {
        return QPoint(int((x - r.left) * r.xScale), int((y - r.top) * r.yScale));
    };
    out.grid = QRect(device(0, (p.GridRows - 1) * p.GridSpacing),
                     device((p.GridCols - 1) * p.GridSpacing, 0));
    return out;
}

struct SwitchCase
{
    Project (*make)();
    float interval;
    QSize size;
    qreal ratio;
    bool perPixel;
};

class DenseLevelSwitch : public ::testing::TestWithParam<SwitchCase>
{
};

// Levels a line width or more apart keep their lines, whatever the screen.
TEST_P(DenseLevelSwitch, OnlyWhereLevelsLieCloserThanALine)
{
    const SwitchCase& c = GetParam();
    EXPECT_EQ(draw(c.make(), c.interval, c.size, c.ratio).spacing < DenseLevelSpacing, c.perPixel);
}

INSTANTIATE_TEST_SUITE_P(Pictures, DenseLevelSwitch,
                         ::testing::Values(SwitchCase{sample, 0.5f, {1600, 1000}, 1, false},
                                           SwitchCase{sample, 0.5f, {800, 600}, 1, false},
                                           SwitchCase{sample, 0.5f, {640, 480}, 2, false},
                                           SwitchCase{sample, 0.001f, {1600, 1000}, 1, true},
                                           SwitchCase{largeTerrain, 1.0f, {1600, 1000}, 1, false},
                                           SwitchCase{largeTerrain, 0.002f, {1600, 1000}, 1, true},
                                           SwitchCase{largeTerrain, 0.002f, {800, 500}, 2, true}));

struct BoundaryCase
{
    Project (*make)();
    QSize size;
    qreal ratio;
    qint16 bold;
};

class DenseLevelBoundary : public ::testing::TestWithParam<BoundaryCase>
{
};

// Just either side of the interval where the drawing switches, the pixel drawing and the
// line drawing differ in few pixels of the grid's area. (The labels outside it differ in their
// last digits, the intervals being a hair apart.)
TEST_P(DenseLevelBoundary, LooksLikeTheLineDrawing)
{
    const BoundaryCase& c = GetParam();
    const float boundary = float(DenseLevelSpacing / draw(c.make(), 1, c.size, c.ratio).spacing);
    const Picture lines = draw(c.make(), boundary * 1.00002f, c.size, c.ratio, c.bold);
    const Picture pixels = draw(c.make(), boundary * 0.99998f, c.size, c.ratio, c.bold);
    ASSERT_GE(lines.spacing, DenseLevelSpacing);
    ASSERT_LT(pixels.spacing, DenseLevelSpacing);
    const QRgb contour = paletteRgb(lineColourIndex(c.make()));
    qint64 differ = 0, drawn = 0;
    for (int y = lines.grid.top(); y <= lines.grid.bottom(); ++y)
        for (int x = lines.grid.left(); x <= lines.grid.right(); ++x) {
            differ += lines.image.pixel(x, y) != pixels.image.pixel(x, y);
            drawn += lines.image.pixel(x, y) == contour;
        }
    const qint64 all = qint64(lines.grid.width()) * lines.grid.height();
    EXPECT_GT(drawn, all / 10);
    EXPECT_LE(differ, all / 20) << "of " << drawn << " contour pixels";
}

INSTANTIATE_TEST_SUITE_P(Pictures, DenseLevelBoundary,
                         ::testing::Values(BoundaryCase{smallTerrain, {800, 600}, 1, -1},
                                           BoundaryCase{smallTerrain, {800, 600}, 1, 0},
                                           BoundaryCase{largeTerrain, {1600, 1000}, 1, -1},
                                           BoundaryCase{smallTerrain, {400, 300}, 2, -1}));

} // namespace
