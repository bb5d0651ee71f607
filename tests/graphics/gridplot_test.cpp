#include "graphics/gridplot.h"
#include "graphics/imagesurface.h"
#include "graphics/palette.h"
#include "graphics/recordingsurface.h"
#include "graphics/redraw.h"
#include "graphics/viewwindow.h"
#include "project/controldata.h"
#include "project/project.h"
#include "support/polygon.h"
#include "support/printto.h"

#include <gtest/gtest.h>

using namespace tervan;
using Kind = RecordingSurface::Kind;
using Op = RecordingSurface::Op;

namespace {

Project gridOf(qint16 spacing, qint16 rows, qint16 cols, float interval = 0.5f)
{
    Project p = startupProject();
    applyControlData(p, {spacing, rows, cols, interval});
    return p;
}

RecordingSurface draw(Project& p, NodeLabels labels = {})
{
    RecordingSurface s;
    Redraw(s, p, labels);
    return s;
}

QStringList texts(const RecordingSurface& s)
{
    QStringList out;
    for (const Op& op : s.ops(Kind::Text))
        out << op.text;
    return out;
}

Op line(float x1, float y1, float x2, float y2, int colour = Surface::ForeColour)
{
    return {Kind::Line, x1, y1, x2, y2, colour};
}

} // namespace

TEST(GridPlot, NewProjectShowsOnlyDotsAndAxisMarks)
{
    Project p = startupProject();
    const RecordingSurface s = draw(p);
    EXPECT_EQ(s.ops(Kind::Line),
              (QList<Op>{line(0, 0, 10, 0, colour::Red), line(0, 0, 0, 10, colour::Red)}));
    EXPECT_TRUE(texts(s).isEmpty());
    // 15 columns by round(11.5) = 12 rows, from the window's lower-left corner.
    const auto dots = s.ops(Kind::Pixel);
    ASSERT_EQ(dots.size(), 15 * 12);
    EXPECT_EQ(dots.front(), (Op{Kind::Pixel, -20, -20, -20, -20, colour::Magenta}));
    EXPECT_EQ(dots.back().x1, 120);
    EXPECT_EQ(dots.back().y1, 90);
}

TEST(GridPlot, DrawsGridLinesAndCaptionsRightOfTheGrid)
{
    Project p = gridOf(10, 3, 4);
    const RecordingSurface s = draw(p);
    const QList<Op> expected{line(0, 0, 10, 0, colour::Red),
                             line(0, 0, 0, 10, colour::Red),
                             line(0, 0, 30, 0),
                             line(0, 10, 30, 10),
                             line(0, 20, 30, 20),
                             line(0, 0, 0, 20),
                             line(10, 0, 10, 20),
                             line(20, 0, 20, 20),
                             line(30, 0, 30, 20)};
    EXPECT_EQ(s.ops(Kind::Line), expected);
    const auto captions = s.ops(Kind::Text).mid(12);
    ASSERT_EQ(captions.size(), 2);
    EXPECT_EQ(captions[0].text, QStringLiteral("ตารางกริดขนาด 10 x 10 เมตร"));
    EXPECT_EQ(captions[0].x1, 50);
    EXPECT_EQ(captions[0].y1, 20);
    EXPECT_EQ(captions[1].text, QStringLiteral("ค่าความต่างเส้นชั้นความสูง = 0.50 เมตร"));
    EXPECT_EQ(captions[1].y1, 10);
}

struct LabelCase
{
    NodeLabels labels;
    const char* first; // node 1
    const char* seventh;
};

class GridLabels : public ::testing::TestWithParam<LabelCase>
{
};

TEST_P(GridLabels, WriteTheChosenTextAtEveryNode)
{
    const auto& c = GetParam();
    Project p = gridOf(10, 2, 5);
    p.Nodes[1].Z = 100;
    p.Nodes[7].Z = 105.296f;
    const QStringList all = texts(draw(p, c.labels));
    const QStringList labels = all.mid(0, all.size() - 2);
    if (!*c.first) {
        EXPECT_TRUE(labels.isEmpty());
        return;
    }
    ASSERT_EQ(labels.size(), 10);
    EXPECT_EQ(labels[0], QString::fromUtf8(c.first));
    EXPECT_EQ(labels[6], QString::fromUtf8(c.seventh));
}

INSTANTIATE_TEST_SUITE_P(Marks, GridLabels,
                         ::testing::Values(LabelCase{{false, true, true}, "1,100.00", "7,105.30"},
                                           LabelCase{{false, true, false}, " 1", " 7"},
                                           LabelCase{{false, false, true}, "100.00", "105.30"},
                                           LabelCase{{true, false, false}, "0,0", "10,10"},
                                           LabelCase{{false, false, false}, "", ""}));

TEST(GridPlot, LabelsSitAtStoredCoordinates)
{
    Project p = gridOf(10, 2, 2);
    p.Nodes[4].X = 13.5f;
    const auto ops = draw(p).ops(Kind::Text);
    EXPECT_EQ(ops[3].x1, 13.5f);
    EXPECT_EQ(ops[3].y1, 10);
}

TEST(GridPlot, WideGridsDoNotWrapAtSixteenBits)
{
    Project p = gridOf(1000, 2, 40); // 39 km wide
    const auto lines = draw(p).ops(Kind::Line);
    EXPECT_EQ(lines[2], line(0, 0, 39000, 0));
    EXPECT_EQ(lines.back(), line(39000, 0, 39000, 1000));
}

TEST(GridPlot, ZoomedFarOutSetsEachScreenPixelOnce)
{
    Project p = startupProject();
    for (int i = 0; i < 200; ++i)
        zoomOut(p);
    QImage image(800, 600, QImage::Format_RGB32);
    ImageSurface surface(image);
    Redraw(surface, p, {});
    // 415 x 312 dots land on an 800 x 600 image: every dot pixel is magenta, and the
    // lattice still spans the whole picture.
    int magenta = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            magenta += image.pixel(x, y) == paletteColour(colour::Magenta).rgb();
    EXPECT_GT(magenta, 400 * 300);
    auto magentaNear = [&image](int x0, int y0) {
        for (int y = y0; y < y0 + 3; ++y)
            for (int x = x0; x < x0 + 3; ++x)
                if (image.pixel(x, y) == paletteColour(colour::Magenta).rgb())
                    return true;
        return false;
    };
    EXPECT_TRUE(magentaNear(0, 596));
    EXPECT_TRUE(magentaNear(796, 0));
}

TEST(ImageSurface, LinesAreClippedToThePicture)
{
    QImage image(100, 50, QImage::Format_RGB32);
    ImageSurface s(image);
    s.setWorld(0, 50, 100, 0); // one world unit a pixel, Y up
    s.clear();
    const QRgb red = paletteColour(colour::Red).rgb();
    // Far past the picture on both ends: only the part inside is walked.
    s.line(-1e9f, 25, 1e9f, 25, colour::Red);
    for (int x : {0, 50, 99})
        EXPECT_EQ(image.pixel(x, 25), red) << x;
    s.line(-1e9f, -1e9f, -1e9f, 1e9f, colour::Red); // wholly outside
    s.line(10, 10, 10, 10, colour::Red);            // a point
    s.flush();
    EXPECT_EQ(image.pixel(10, 40), red);
    s.setLineWidth(2);
    s.line(0, 5, 99, 5, colour::Blue);
    EXPECT_EQ(image.pixel(40, 45), paletteColour(colour::Blue).rgb());
    EXPECT_EQ(image.pixel(40, 46), paletteColour(colour::Blue).rgb());
}

TEST(GridPlot, NodeLabelsOnlyWhereTheCellsHoldThem)
{
    // The longest label, "10,0.00", is 7 characters: written while it fits in a cell.
    for (const auto& [spacing, charWidth, written] :
         {std::tuple{10, 1.0f, 10}, {7, 1.0f, 10}, {6, 1.0f, 0}, {10, 1.5f, 0}}) {
        Project p = gridOf(qint16(spacing), 2, 5);
        RecordingSurface s(charWidth, 2);
        Redraw(s, p, {});
        EXPECT_EQ(texts(s).size() - 2, written) << spacing << " " << charWidth;
    }
}

struct HatchCase
{
    std::vector<std::pair<double, double>> outline; // grid metres; empty: none
    double outside;                                 // m2 of the grid outside it
};

class SiteHatching : public testing::TestWithParam<HatchCase>
{
};

// The grid picture draws the site's outline and hatches the ground outside it, nothing inside:
// lines x - y = k every 5 m, so 5 / sqrt(2) m apart, as long as the outside area needs.
TEST_P(SiteHatching, HatchesOnlyTheGroundOutside)
{
    const auto& o = GetParam().outline;
    Project p = gridOf(10, 9, 11); // 100 x 80 m
    p.Georef = Georeference{500000, 1500000, 0, {}};
    for (const auto& [x, y] : o)
        p.Georef->outline.emplace_back(500000 + x, 1500000 + y);
    double length = 0;
    int outlineLines = 0;
    for (const Op& op : draw(p).ops(Kind::Line)) {
        outlineLines += op.value == colour::BrightBlue;
        if (op.value != colour::LightGrey)
            continue;
        length += std::hypot(op.x2 - op.x1, op.y2 - op.y1);
        EXPECT_FALSE(insidePolygon(o, (op.x1 + op.x2) / 2, (op.y1 + op.y2) / 2))
            << op.x1 << ',' << op.y1;
    }
    EXPECT_EQ(outlineLines, int(o.size()));
    const double want = GetParam().outside * std::sqrt(2.0) / 5;
    EXPECT_NEAR(length, want, 0.05 * want + (want > 0));
}

INSTANTIATE_TEST_SUITE_P(
    Site, SiteHatching,
    testing::Values(HatchCase{{{0, 0}, {100, 0}, {100, 40}, {50, 40}, {50, 80}, {0, 80}}, 50 * 40},
                    HatchCase{{{0, 0}, {100, 0}, {0, 80}}, 4000},
                    HatchCase{{{0, 0}, {100, 0}, {100, 80}, {0, 80}}, 0}, HatchCase{{}, 0}));
