#include "graphics/contourtracer.h"
#include "graphics/denselevels.h"
#include "graphics/imagesurface.h"
#include "graphics/redraw.h"
#include "graphics/viewwindow.h"
#include "project/projectfile.h"
#include "support/terrain.h"

#include <gtest/gtest.h>

using namespace tervan;

namespace {

// The sample project, or a terrain of `rows` x `cols` nodes at 10 m.
Project site(qint16 rows, qint16 cols)
{
    Project p = startupProject();
    const auto names = projectFileNames(QStringLiteral(TERVAN_SAMPLES "/housing-lot"));
    applyOpenedProject(p, std::get<ProjectFileData>(loadProjectFiles(names)), names);
    return rows ? terrain(rows, cols, 10) : p;
}

// The picture of the whole grid, its level spacing in line widths and the grid's device area.
struct Picture
{
    QImage image;
    double spacing = 0;
    QRect grid;
};

Picture draw(Project p, float interval, QSize size, qreal ratio)
{
    p.DisplayMode = PictureKind::GridWithContours;
    p.ContourInterval = interval;
    fitScreen(p);
    Picture out{QImage(size * ratio, QImage::Format_RGB32), 0, {}};
    out.image.setDevicePixelRatio(ratio);
    ImageSurface s(out.image);
    Redraw(s, p, {});
    const PixelRaster r = *s.pixelRaster();
    out.spacing = levelSpacing(p, contourLevels(p, interval), r);
    const double right = (p.GridCols - 1) * p.GridSpacing, top = (p.GridRows - 1) * p.GridSpacing;
    out.grid = QRect(QPoint(int(-r.left * r.xScale), int((top - r.top) * r.yScale)),
                     QPoint(int((right - r.left) * r.xScale), int(-r.top * r.yScale)));
    return out;
}

// Whether the levels at `interval` are drawn pixel by pixel; and just either side of the
// interval where the drawing switches, the two drawings differ in at most 5 % of the grid's
// area (outside it, labels of levels a hair apart may differ in their last digits).
struct DenseCase
{
    qint16 rows, cols;
    QSize size;
    qreal ratio;
    float interval;
    bool perPixel;
};

using DenseLevels = ::testing::TestWithParam<DenseCase>;

TEST_P(DenseLevels, DrawnPerPixelOnlyWhereTheyLookLikeLines)
{
    const DenseCase& c = GetParam();
    const Project p = site(c.rows, c.cols);
    EXPECT_EQ(draw(p, c.interval, c.size, c.ratio).spacing < DenseLevelSpacing, c.perPixel);
    const float boundary = float(DenseLevelSpacing / draw(p, 1, c.size, c.ratio).spacing);
    const Picture lines = draw(p, boundary * 1.00002f, c.size, c.ratio);
    const Picture pixels = draw(p, boundary * 0.99998f, c.size, c.ratio);
    ASSERT_TRUE(lines.spacing >= DenseLevelSpacing && pixels.spacing < DenseLevelSpacing);
    qint64 differ = 0;
    for (int y = lines.grid.top(); y <= lines.grid.bottom(); ++y)
        for (int x = lines.grid.left(); x <= lines.grid.right(); ++x)
            differ += lines.image.pixel(x, y) != pixels.image.pixel(x, y);
    EXPECT_LE(differ, qint64(lines.grid.width()) * lines.grid.height() / 20);
}

INSTANTIATE_TEST_SUITE_P(Pictures, DenseLevels,
                         ::testing::Values(DenseCase{0, 0, {1600, 1000}, 1, 0.5f, false},
                                           DenseCase{0, 0, {640, 480}, 2, 0.5f, false},
                                           DenseCase{181, 181, {1600, 1000}, 1, 1.0f, false},
                                           DenseCase{181, 181, {800, 500}, 2, 0.002f, true},
                                           DenseCase{12, 16, {800, 600}, 1, 0.002f, true},
                                           DenseCase{12, 16, {400, 300}, 2, 0.1f, false}));

} // namespace
