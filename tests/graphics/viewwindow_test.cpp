#include "graphics/recordingsurface.h"
#include "graphics/redraw.h"
#include "graphics/viewwindow.h"
#include "project/project.h"
#include "support/printto.h"
#include "support/terrain.h"

#include <gtest/gtest.h>

using namespace tervan;

namespace {

struct Window
{
    float xMin, xMax, yMin, yMax;
};

Window windowOf(const Project& p)
{
    return {p.ViewXMin, p.ViewXMax, p.ViewYMin, p.ViewYMax};
}

void expectWindow(const Project& p, Window w)
{
    EXPECT_EQ(p.ViewXMin, w.xMin);
    EXPECT_EQ(p.ViewXMax, w.xMax);
    EXPECT_EQ(p.ViewYMin, w.yMin);
    EXPECT_EQ(p.ViewYMax, w.yMax);
}

} // namespace

struct FitCase
{
    qint16 rows, spacing;
    float step;
    Window expected;
};

class Fit : public ::testing::TestWithParam<FitCase>
{
};

TEST_P(Fit, FollowsTheGridHeight)
{
    const auto& c = GetParam();
    Project p;
    p.GridRows = c.rows;
    p.GridSpacing = c.spacing;
    p.ViewStepX = p.ViewStepY = c.step;
    p.ViewXMax = 999;
    fitScreen(p);
    expectWindow(p, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Grids, Fit,
    ::testing::Values(FitCase{11, 10, 10, {-20, 180, -30, 120}},
                      FitCase{0, 0, 10, {-20, 120, -20, 85}}, // no grid: the normal view
                      FitCase{0, 5, 5, {-10, 16, -15, 5}},
                      // 301 rows at 200 m: 60000 m high, beyond 16-bit arithmetic.
                      FitCase{301, 200, 200, {-400, 80933, -600, 60400}}));

TEST(ViewWindow, ZoomInStopsEachAxisAtOneStep)
{
    Project p;
    p.ViewStepX = p.ViewStepY = 10;
    p.ViewXMin = 0;
    p.ViewXMax = 20; // two steps wide
    p.ViewYMin = 0;
    p.ViewYMax = 60;
    zoomIn(p);
    expectWindow(p, {0, 20, 10, 50});
    zoomOut(p);
    expectWindow(p, {-10, 30, 0, 60});
}

TEST(ViewWindow, PanMovesOneStepPerEvent)
{
    Project p = startupProject();
    const Window start = windowOf(p);
    EXPECT_FALSE(panHorizontal(p, 0)); // same value: no move
    expectWindow(p, start);
    EXPECT_TRUE(panHorizontal(p, 50)); // a long jump is still one step
    expectWindow(p, {-10, 130, -20, 85});
    EXPECT_TRUE(panHorizontal(p, 40));
    expectWindow(p, start);
    EXPECT_TRUE(panVertical(p, 5));
    expectWindow(p, {-20, 120, -10, 95});
    EXPECT_EQ(p.VScrollPos, 5);
    EXPECT_TRUE(panVertical(p, -20));
    expectWindow(p, start);
}

TEST(ViewWindow, ReadoutRoundsToWholeMetres)
{
    EXPECT_EQ(coordinateReadout(35.2f, 7.8f), QStringLiteral("พิกัดแกน X = 35, พิกัดแกน Y = 8"));
    EXPECT_EQ(coordinateReadout(35.2f, -4.1f), QStringLiteral("พิกัดแกน X = 35, พิกัดแกน Y = -4"));
    EXPECT_EQ(coordinateReadout(-0.3f, 0.5f), QStringLiteral("พิกัดแกน X = 0, พิกัดแกน Y = 1"));
}

// Under the mouse: the surface the contours are drawn on, exact on a plane and on each
// triangle of a saddle cell; nothing off the grid. Georeferenced, E and N to the centimetre.
TEST(ViewWindow, ReadoutGivesTheHeightUnderTheMouse)
{
    Project p = startupProject();
    p.GridRows = 3, p.GridCols = 4, p.GridSpacing = 10;
    p.NodeCount = 12;
    p.Nodes.assign(13, {});
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            p.Nodes[std::size_t(r * 4 + c + 1)] = {float(c * 10), float(r * 10),
                                                   float(100 + 0.5 * c + 0.25 * r)};
    for (const auto& [x, y] : {std::pair{0.0, 0.0}, {12.5, 3.0}, {29.9, 19.9}, {7.0, 15.0}})
        EXPECT_NEAR(*heightUnder(p, x, y), 100 + 0.05 * x + 0.025 * y, 1e-5) << x << ", " << y;
    for (const auto& [x, y] : {std::pair{-0.1, 5.0}, {30.1, 5.0}, {5.0, 20.5}})
        EXPECT_FALSE(heightUnder(p, x, y)) << x << ", " << y;
    p.Nodes[1].Z = 101; // a saddle: the cell's two triangles split south-west to north-east
    EXPECT_NEAR(*heightUnder(p, 8, 2), 101 + 0.8 * (100.5 - 101) + 0.2 * (100.75 - 100.5), 1e-5);
    EXPECT_NEAR(*heightUnder(p, 2, 8), 101 + 0.8 * (100.25 - 101) + 0.2 * (100.75 - 100.25), 1e-5);
    EXPECT_EQ(withHeight(worldReadout(652012.346, 1524003.999), heightUnder(p, 10, 10)),
              QStringLiteral("E = 652012.35, N = 1524004.00, ระดับ = 100.75 ม."));
    EXPECT_EQ(withHeight(coordinateReadout(35, 7), std::nullopt),
              QStringLiteral("พิกัดแกน X = 35, พิกัดแกน Y = 7"));
}

// The fitted window shows every line the picture draws and its captions whole, at one scale
// on both axes, whatever the grid and the plot's shape; the captions stay a line apart.
TEST(ViewWindow, FitPictureHoldsTheWholePictureAndItsCaptions)
{
    const struct
    {
        qint16 rows, cols, spacing;
        PictureKind kind;
        double wide, high;
    } rows[] = {{5, 5, 10, PictureKind::Grid, 1200, 800},
                {181, 181, 10, PictureKind::GridWithContours, 1200, 800},
                {301, 11, 200, PictureKind::Grid, 800, 1000},
                {181, 181, 10, PictureKind::Surface, 1200, 800},
                {21, 16, 10, PictureKind::Surface, 600, 900}};
    for (const auto& row : rows) {
        Project p = terrain(row.rows, row.cols, row.spacing);
        p.DisplayMode = row.kind;
        p.SurfaceExaggeration = 5;
        // Captions of 8-pixel characters, 16 pixels high.
        CaptionPixels captions{0, 16};
        for (const QString& line : gridCaptions(p))
            captions.width = std::max(captions.width, 8.0 * line.size());
        fitPicture(p, row.wide, row.high, captions);
        const double perPixel = (p.ViewXMax - p.ViewXMin) / row.wide;
        EXPECT_NEAR((p.ViewYMax - p.ViewYMin) / row.high, perPixel, 1e-4 * perPixel);
        // Text measured in pixels, as the screen does.
        RecordingSurface s(float(8 * perPixel), float(captions.lineHeight * perPixel));
        Redraw(s, p, NodeLabels{}, nullptr);
        float lastCaption = 1e30f;
        for (const auto& op : s.ops()) {
            if (op.kind == RecordingSurface::Kind::Line) {
                for (const auto& [x, y] : {std::pair{op.x1, op.y1}, {op.x2, op.y2}}) {
                    EXPECT_TRUE(x >= p.ViewXMin && x <= p.ViewXMax && y >= p.ViewYMin &&
                                y <= p.ViewYMax)
                        << row.rows << " " << x << ',' << y;
                }
            } else if (op.kind == RecordingSurface::Kind::Text && op.text.size() > 20) {
                EXPECT_LE(op.x1 + s.textWidth(op.text), p.ViewXMax) << row.rows;
                EXPECT_GE(op.y1 - captions.lineHeight * perPixel, p.ViewYMin) << row.rows;
                EXPECT_LE(op.y1, std::min(p.ViewYMax,
                                          lastCaption - float(captions.lineHeight * perPixel)));
                lastCaption = op.y1;
            }
        }
    }
}
