#include "grading/grading.h"
#include "graphics/contourtracer.h"
#include "graphics/palette.h"
#include "printing/pageframe.h"
#include "printing/pagesurface.h"
#include "printing/recordingpage.h"
#include "printing/reports.h"
#include "project/controldata.h"
#include "project/project.h"
#include "support/printto.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace tervan;
using Item = RecordingPage::Item;

namespace {

constexpr double Cm = 1440 / 2.54; // twips

Project gridOf(qint16 rows, qint16 cols, qint16 spacing = 10)
{
    Project p = startupProject();
    applyControlData(p, {spacing, rows, cols, 1});
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = 100 + n * 0.5f;
    return p;
}

QList<Item> textItems(const RecordingPage& r, int document = -1)
{
    QList<Item> out;
    for (const Item& item : r.items())
        if (!item.isLine() && (document < 0 || item.document == document))
            out << item;
    return out;
}

const Item* find(const RecordingPage& r, const QString& text, int document = 0)
{
    for (const Item& item : r.items())
        if (item.document == document && item.text == text)
            return &item;
    return nullptr;
}

} // namespace

TEST(PageFrame, HeadingBlockAndTitle)
{
    RecordingPage r;
    PageSurface page(r);
    Project p = startupProject();
    PrintHeading(page, p);
    PrintTitle(page, QStringLiteral("ข้อมูลควบคุม"));
    page.printLine(QStringLiteral("body"));

    const QString rule(75, '=');
    EXPECT_EQ(r.texts(0),
              (QStringList{" ", rule, "   ", "ชื่อโครงการ : Project01" + QString(31, ' '), "TERVAN",
                           "แฟ้ม : ********", "   ", "วิศวกร : Noname" + QString(34, ' '), rule,
                           "ข้อมูลควบคุม", "body"}));
    const auto items = textItems(r);
    const double line16 = 16 * 24, line20 = 20 * 24;
    // First rule at the 2.5 cm margin and 2.5 cm down.
    EXPECT_DOUBLE_EQ(items[1].at.x(), 2.5 * Cm);
    EXPECT_DOUBLE_EQ(items[1].at.y(), 2.5 * Cm);
    const Item* title = find(r, "TERVAN");
    EXPECT_TRUE(title->bold);
    EXPECT_DOUBLE_EQ(title->at.x(), (11000 - 16 * 10 * 6) / 2.0);
    EXPECT_DOUBLE_EQ(find(r, "แฟ้ม : ********")->at.x(), 14 * Cm);
    EXPECT_DOUBLE_EQ(find(r, "แฟ้ม : ********")->at.y(), 2.5 * Cm + line16);
    // After the engineer line a 20-point bold line, then the closing rule.
    const Item& closing = *std::find_if(items.rbegin(), items.rend(),
                                        [&rule](const Item& i) { return i.text == rule; });
    EXPECT_DOUBLE_EQ(closing.at.y(), 2.5 * Cm + 2 * line16 + line20);
    // The title centred in 20-point bold, then one empty 16-point line.
    const Item* heading = find(r, "ข้อมูลควบคุม");
    EXPECT_EQ(heading->points, 20);
    EXPECT_DOUBLE_EQ(heading->at.x(), (11000 - 20 * 10 * 12) / 2.0);
    EXPECT_DOUBLE_EQ(heading->at.y(), closing.at.y() + line16);
    EXPECT_DOUBLE_EQ(find(r, "body")->at.y(), heading->at.y() + line20 + line16);
}

// The heading names the file a project was opened from or saved to, Thai names included, and
// takes that file's name for a project made without one; only a project with no file yet shows
// the stars.
TEST(PageFrame, HeadingNamesTheProjectFile)
{
    // Project name, file name; the project and the file the heading shows.
    const char* rows[][4] = {{"ไร่นายสมชาย", "", "ไร่นายสมชาย", "********"},
                             {"", "/งาน/ไร่นายสมชาย.gnd", "ไร่นายสมชาย", "ไร่นายสมชาย.gnd"},
                             {"อาคาร 2", "/งาน/แปลง.ก.gnd", "อาคาร 2", "แปลง.ก.gnd"},
                             {"", "", "", "********"}};
    for (const auto& row : rows) {
        RecordingPage r;
        PageSurface page(r);
        Project p = startupProject();
        p.ProjectName = QString::fromUtf8(row[0]);
        p.GndFileName = QString::fromUtf8(row[1]);
        PrintHeading(page, p);
        const QStringList texts = r.texts(0);
        EXPECT_EQ(texts[3].trimmed(), QStringLiteral("ชื่อโครงการ : %1").arg(row[2]).trimmed());
        EXPECT_EQ(texts[5], QStringLiteral("แฟ้ม : %1").arg(row[3]));
    }
}

// The wider substitute face must not run a long project name into the centred title.
using HeadingName = ::testing::TestWithParam<int>;

TEST_P(HeadingName, EndsBeforeTheTitle)
{
    RecordingPage r;
    PageSurface page(r);
    Project p = startupProject();
    const int length = GetParam();
    p.ProjectName.set(QString(length, QChar(0x0E01)));
    PrintHeading(page, p);

    const Item* title = find(r, "TERVAN");
    const auto items = textItems(r);
    const auto name = std::find_if(items.begin(), items.end(), [](const Item& i) {
        return i.text.startsWith(QStringLiteral("ชื่อโครงการ"));
    });
    ASSERT_NE(name, items.end());
    const double inkEnd = name->at.x() + name->points * 10 * name->text.trimmed().size();
    EXPECT_LT(inkEnd, title->at.x());
    // Names that fit keep the heading's 16 points.
    EXPECT_EQ(name->points == 16, 2.5 * Cm + 16 * 10 * (3 + 14 + length) < title->at.x());
    EXPECT_EQ(title->points, 16);
}

INSTANTIATE_TEST_SUITE_P(Lengths, HeadingName, ::testing::Values(1, 9, 20, 40));

struct PagesCase
{
    qint16 rows, cols;
    int documents;
    int lastFirstRow; // first row number on the last page with rows, 0 if none
};

using NodeTablePages = ::testing::TestWithParam<PagesCase>;

TEST_P(NodeTablePages, TwentyFourRowsAPageEachADocument)
{
    const auto& c = GetParam();
    RecordingPage r;
    PageSurface page(r);
    PrintNodeElev(page, gridOf(c.rows, c.cols));
    EXPECT_EQ(r.documents(), c.documents);
    // The last document carries the headings and, unless the table ended on a full page, rows.
    const QStringList last = r.texts(c.documents - 1);
    EXPECT_TRUE(last.contains("พิกัดจุดต่อ และข้อมูลค่าระดับ"));
    EXPECT_TRUE(last.contains("ค่าระดับ(ม.)"));
    if (c.lastFirstRow)
        EXPECT_TRUE(last.contains(QStringLiteral(" %1 ").arg(c.lastFirstRow)));
    else
        EXPECT_FALSE(last.contains(QRegularExpression("^ \\d+ $")));
    EXPECT_EQ(page.pageWidth(), r.printableTwips().width()); // unit back to twips
}

INSTANTIATE_TEST_SUITE_P(Counts, NodeTablePages,
                         ::testing::Values(PagesCase{4, 6, 2, 0}, PagesCase{5, 5, 2, 25},
                                           PagesCase{6, 8, 3, 0}, PagesCase{2, 3, 1, 1}));

TEST(InputDataReport, ControlDataAndNodeColumns)
{
    RecordingPage r;
    PageSurface page(r);
    Project p = gridOf(2, 3, 5);
    p.Nodes[4].X = 12.5f; // halves round away from zero
    p.Nodes[4].Z = -1.25f;
    DataPrint(page, p, 4);
    EXPECT_EQ(r.documents(), 2);
    EXPECT_TRUE(r.texts(0).contains(" 5 "));
    EXPECT_DOUBLE_EQ(find(r, " 5 ")->at.x(), 12 * Cm);
    EXPECT_DOUBLE_EQ(find(r, "1.00")->at.x(), 12 * Cm); // interval "0.00"
    const QStringList rows = r.texts(1);
    const int at = rows.indexOf(" 4 ");
    EXPECT_EQ(rows.mid(at, 4), (QStringList{" 4 ", "13", "5", "-1.25"}));
    EXPECT_DOUBLE_EQ(find(r, "13", 1)->at.x(), 7.4 * Cm);
    EXPECT_DOUBLE_EQ(find(r, "-1.25", 1)->at.x(), 14.25 * Cm);
}

struct CellPagesCase
{
    qint16 cols;
    int documents;
};

using GradePages = ::testing::TestWithParam<CellPagesCase>;

TEST_P(GradePages, NineteenRowsAPageTableFromElevenCentimetres)
{
    const auto& c = GetParam();
    RecordingPage r;
    PageSurface page(r);
    Project p = gridOf(2, c.cols);
    ASSERT_TRUE(GradePrint(page, p, 1));
    EXPECT_EQ(r.documents(), c.documents);
    const Item* headings = find(r, "หมายเลขกริด");
    EXPECT_DOUBLE_EQ(headings->at.y(), 11 * Cm);
    EXPECT_DOUBLE_EQ(find(r, " 1 ")->at.y(), 11 * Cm + 16 * 24);
    // Cell numbers and the total area are the plain numbers on page 1.
    EXPECT_EQ(r.texts(0).filter(QRegularExpression("^ \\d+ $")).size(),
              std::min(19, c.cols - 1) + 1);
    if (c.documents == 1)
        return;
    // Continuation pages: no summary, headings right below the title.
    const QStringList last = r.texts(c.documents - 1);
    EXPECT_FALSE(last.contains("พื้นที่ทั้งหมด"));
    const Item* continued = find(r, "หมายเลขกริด", c.documents - 1);
    EXPECT_LT(continued->at.y(), 11 * Cm);
}

INSTANTIATE_TEST_SUITE_P(Cells, GradePages,
                         ::testing::Values(CellPagesCase{20, 2}, CellPagesCase{21, 2},
                                           CellPagesCase{5, 1}));

TEST(GradingReport, RecomputesAndPrintsBothGrades)
{
    RecordingPage r;
    PageSurface page(r);
    Project p = gridOf(2, 3);
    const float z[] = {0, 0, 0, 4, 4, 8};
    for (int n = 1; n <= 6; ++n)
        p.Nodes[n].Z = z[n - 1];
    p.FixGradeElevation = 5;
    ASSERT_TRUE(GradePrint(page, p, 4));
    EXPECT_EQ(r.documents(), 2);
    const QStringList balanced = r.texts(0), fixed = r.texts(1);
    EXPECT_TRUE(balanced.contains(" 200 "));
    EXPECT_TRUE(balanced.contains("2.500"));
    EXPECT_TRUE(balanced.contains("-50.00"));
    EXPECT_TRUE(fixed.contains("5.000"));
    EXPECT_TRUE(fixed.contains("-500.00"));
    EXPECT_DOUBLE_EQ(find(r, "2.500")->at.x(), 11 * Cm);
    EXPECT_DOUBLE_EQ(find(r, "ตารางเมตร")->at.x(), 14 * Cm);
    // 200 m2 is 0 rai 0 ngan 50 square wa, under the square metres.
    EXPECT_TRUE(balanced.contains("0-0-50")) << balanced.join('|').toStdString();
    EXPECT_GT(find(r, "0-0-50")->at.y(), find(r, "ตารางเมตร")->at.y());

    RecordingPage none;
    PageSurface empty(none);
    Project row = gridOf(1, 4);
    EXPECT_FALSE(GradePrint(empty, row, 4));
    EXPECT_TRUE(none.items().isEmpty());
}

// The level-platform grade counts every cell; over a surveyed site it says how much of that
// lies outside the site's outline, on a line of its own above the table.
TEST(GradingReport, SaysTheAreaOutsideTheSiteItIncludes)
{
    for (const bool outlined : {false, true}) {
        RecordingPage r;
        PageSurface page(r);
        Project p = gridOf(3, 3); // 20 x 20 m
        p.Georef = Georeference{1000, 2000, 0, {}};
        if (outlined)
            p.Georef->outline = {{1000, 2000}, {1020, 2000}, {1000, 2020}};
        ASSERT_TRUE(GradePrint(page, p, 1));
        const QStringList texts = r.texts(0);
        const auto note = texts.filter(QStringLiteral("รวมพื้นที่นอกขอบเขตที่สำรวจ"));
        ASSERT_EQ(note.size(), outlined ? 1 : 0);
        if (outlined) {
            EXPECT_TRUE(note[0].contains(QStringLiteral(" 200.00 ตารางเมตร (0-0-50 ไร่")))
                << note[0].toStdString();
            EXPECT_LT(find(r, note[0])->at.y(), 11 * Cm);
        }
    }
}

struct MapCase
{
    qint16 rows, cols, spacing;
    long scale;     // the largest of the series the recording page's frame takes
    bool landscape; // the site fills the paper better across
};

using GraphicPageMap = ::testing::TestWithParam<MapCase>;

// The printed picture measures right at its stated scale, and so does its scale bar.
TEST_P(GraphicPageMap, DrawnAtTheStatedScale)
{
    const auto& c = GetParam();
    Project p = gridOf(c.rows, c.cols, c.spacing);
    p.ComputeNodeExtents();
    p.ComputeElevationRange();
    RecordingPage r;
    PageSurface page(r);
    GraphicPrint(page, p, 1, {});
    EXPECT_EQ(r.documents(), 1);
    EXPECT_EQ(r.landscapes(), c.landscape ? 1 : 0);
    const QStringList texts = r.texts(0);
    EXPECT_TRUE(texts.contains(QStringLiteral("มาตราส่วน 1:%1").arg(c.scale)))
        << texts.join('|').toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("เหนือ")));
    EXPECT_TRUE(texts.contains(QStringLiteral("ระยะกริด %1 ม.").arg(c.spacing)));
    const double twipsPerMetre = 100.0 / double(c.scale) * Cm;
    // The first grid line runs along Y = 0 across the grid's width.
    const auto first =
        std::find_if(r.items().begin(), r.items().end(), [](const Item& i) { return i.isLine(); });
    ASSERT_NE(first, r.items().end());
    EXPECT_NEAR(first->to.x() - first->at.x(), (c.cols - 1) * c.spacing * twipsPerMetre, 1e-6);
    EXPECT_NEAR(first->to.y(), first->at.y(), 1e-9);
    // The bar's first (black) segment is as long as its label says, at the stated scale; the
    // labels stand centred on the segments' ends.
    const auto black = std::find_if(r.fills().begin(), r.fills().end(), [](const auto& f) {
        return f.rgb == 0xff000000 && f.points.size() == 4;
    });
    ASSERT_NE(black, r.fills().end());
    const double left = black->points[0].x(), right = black->points[1].x();
    const auto zero = std::find_if(r.items().begin(), r.items().end(),
                                   [](const Item& i) { return i.text == QLatin1String("0"); });
    ASSERT_NE(zero, r.items().end());
    const Item& next =
        *std::find_if(zero + 1, r.items().end(), [](const Item& i) { return !i.text.isEmpty(); });
    const auto centre = [](const Item& i) { return i.at.x() + i.points * 10 * i.text.size() / 2; };
    EXPECT_NEAR(centre(*zero), left, 1e-6);
    EXPECT_NEAR(centre(next), right, 1e-6);
    EXPECT_NEAR(right - left, next.text.toDouble() * twipsPerMetre, 0.05 * Cm)
        << next.text.toStdString();
    EXPECT_GT(next.text.toDouble(), 0);
}

INSTANTIATE_TEST_SUITE_P(Sites, GraphicPageMap,
                         ::testing::Values(MapCase{11, 11, 10, 1000, false},
                                           MapCase{4, 2, 50, 1000, false},
                                           MapCase{3, 26, 10, 1000, true},
                                           MapCase{3, 3, 1, 100, false}));

// Each coordinate label stands at its tick and names the world coordinate there, as node 1's
// place on the ground and the drawn grid give it.
TEST(GraphicsPrint, CoordinateLabelsAreTheWorldCoordinatesOfTheirTicks)
{
    Project p = gridOf(6, 8, 10);
    p.ComputeNodeExtents();
    p.ComputeElevationRange();
    p.Georef = Georeference{654321.37, 1520987.6, 32647, {}};
    RecordingPage r;
    PageSurface page(r);
    GraphicPrint(page, p, 2, {});
    // Grid X = 0 and Y = 0 from the first grid line, which runs along row 1.
    const auto first =
        std::find_if(r.items().begin(), r.items().end(), [](const Item& i) { return i.isLine(); });
    ASSERT_NE(first, r.items().end());
    const QPointF origin = first->at;
    const double twipsPerMetre = (first->to.x() - first->at.x()) / 70;
    const auto tickAt = [&](double x, double y, bool vertical) {
        return std::any_of(r.items().begin(), r.items().end(), [&](const Item& i) {
            return i.isLine() && (vertical ? std::abs(i.at.x() - x) < 1e-6 && i.to.x() == i.at.x()
                                           : std::abs(i.at.y() - y) < 1e-6 && i.to.y() == i.at.y());
        });
    };
    int eastings = 0, northings = 0;
    for (const Item& i : r.items()) {
        if (i.isLine() || i.text.size() < 3 || i.text[1] != u' ')
            continue;
        bool number = false;
        const double value = i.text.mid(2).toDouble(&number);
        if (!number)
            continue;
        if (i.text[0] == u'E') {
            const double x = i.at.x() + i.points * 10 * i.text.size() / 2;
            EXPECT_NEAR(value, 654321.37 + (x - origin.x()) / twipsPerMetre, 0.01)
                << i.text.toStdString();
            EXPECT_TRUE(tickAt(x, 0, true)) << i.text.toStdString();
            ++eastings;
        } else if (i.text[0] == u'N') {
            EXPECT_EQ(i.angle, 90);
            EXPECT_NEAR(value, 1520987.6 + (origin.y() - i.at.y()) / twipsPerMetre, 0.01)
                << i.text.toStdString();
            EXPECT_TRUE(tickAt(0, i.at.y(), false)) << i.text.toStdString();
            ++northings;
        }
    }
    EXPECT_GE(eastings, 3);
    EXPECT_GE(northings, 3);
    EXPECT_TRUE(r.texts(0).contains(QStringLiteral("ระบบพิกัด EPSG:32647")));
    EXPECT_TRUE(r.texts(0).contains(QStringLiteral("ช่วงชั้นความสูง 1.00 ม.")));
}

TEST(GraphicsPrint, ContourPageLabelsInRedAtPageCoordinates)
{
    Project p = gridOf(2, 3);
    const float z[] = {100, 101, 102, 100, 101, 102};
    for (int n = 1; n <= 6; ++n)
        p.Nodes[n].Z = z[n - 1];
    p.ComputeElevationRange();
    p.ComputeNodeExtents();
    RecordingPage r;
    PageSurface page(r);
    GraphicPrint(page, p, 4, {true, false, false});
    EXPECT_EQ(r.documents(), 2);
    EXPECT_EQ(r.a4Requests(), 2);
    EXPECT_TRUE(r.texts(0).contains("20,10"));
    const QStringList contour = r.texts(1);
    EXPECT_TRUE(contour.contains("กราฟิกเส้นชั้นความสูง"));
    int red = 0;
    for (const Item& item : textItems(r, 1))
        red += item.colour == 4;
    EXPECT_EQ(red, 7);
    EXPECT_TRUE(contour.contains(" 101 "));
}

// Border labels stand centred on their contour, as on screen: beside it at the right and left,
// above the top border, below the bottom one, measured on the page itself.
TEST(GraphicsPrint, BorderLabelsCentredOnTheirContour)
{
    Project p = gridOf(3, 3);
    for (int n = 1; n <= 9; ++n)
        p.Nodes[n].Z = 100.25f + 0.1f * p.Nodes[n].Y + 0.05f * p.Nodes[n].X;
    p.ComputeElevationRange();
    p.ComputeNodeExtents();
    RecordingPage r;
    PageSurface page(r);
    GraphicPrint(page, p, 2, {});
    // World to twips from the grid's border lines: X 0 and 20, page Y 0 and -20, drawn before
    // the title and the map's frame.
    double x0 = 1e9, x1 = -1e9, y0 = -1e9, y1 = 1e9;
    for (const Item& i : r.items()) {
        if (i.text == QStringLiteral("กราฟิกเส้นชั้นความสูง"))
            break;
        if (i.isLine() && i.colour == PageSurface::ForeColour) {
            x0 = std::min(x0, i.at.x());
            x1 = std::max(x1, i.at.x());
            y0 = std::max(y0, i.at.y());
            y1 = std::min(y1, i.at.y());
        }
    }
    const auto at = [&](double x, double y) {
        return QPointF(x0 + x / 20 * (x1 - x0), y0 + y / -20 * (y1 - y0));
    };
    // " 10x " is 5 characters of 10 points: 500 twips wide, a line 240 twips high.
    const struct
    {
        const char* text;
        QPointF crossing; // page coordinates, metres
        QPointF offset;   // twips
    } labels[] = {
        {" 101 ", {15, 0}, {-250, 0}},       // bottom
        {" 102 ", {20, -7.5}, {0, -120}},    // right
        {" 103 ", {15, -20}, {-250, -360}},  // top
        {" 102 ", {0, -17.5}, {-750, -120}}, // left
    };
    for (const auto& l : labels) {
        const QPointF want = at(l.crossing.x(), l.crossing.y()) + l.offset;
        const bool found = std::any_of(r.items().begin(), r.items().end(), [&](const Item& i) {
            return i.text == QLatin1String(l.text) && i.colour == 4 &&
                   std::abs(i.at.x() - want.x()) < 1 && std::abs(i.at.y() - want.y()) < 1;
        });
        EXPECT_TRUE(found) << l.text << " at " << l.crossing.x() << "," << l.crossing.y();
    }
}

namespace {

// Keeps the polylines of the page as they reach the device.
struct PolylinePage final : PageBackend
{
    RecordingPage page;
    std::vector<std::vector<QPointF>> polylines;
    int dots = 0;

    QSizeF printableTwips() const override { return page.printableTwips(); }
    double textWidthTwips(const QFont& f, const QString& t) override
    {
        return page.textWidthTwips(f, t);
    }
    double lineHeightTwips(const QFont& f) override { return page.lineHeightTwips(f); }
    void text(QPointF, const QString&, const QFont&, int) override {}
    void line(QPointF a, QPointF b, int, int) override { dots += a == b; }
    void polyline(const std::vector<QPointF>& points, int, int) override
    {
        polylines.push_back(points);
    }
    void setPaperA4() override {}
    void endDocument() override {}
    bool failed() const override { return false; }
};

struct SegmentCount final : ContourSink
{
    int segments = 0;
    void level(float, int) override {}
    void point(float, float) override {}
    void segment(float, float, float, float) override { ++segments; }
    void label(Border, float, float, float) override {}
};

} // namespace

// A round hill: every level is one closed ring over many cells, printed as one path.
// A cone of 9 x 9 nodes with contours every half metre.
Project cone()
{
    Project p = gridOf(9, 9);
    for (int n = 1; n <= p.NodeCount; ++n) {
        // Off the nodes' lattice, so that no node lies exactly on a level.
        const double x = p.Nodes[n].X - 41.3, y = p.Nodes[n].Y - 38.7;
        p.Nodes[n].Z = float(100 - std::sqrt(x * x + y * y) / 10);
    }
    p.ComputeElevationRange();
    p.ComputeNodeExtents();
    p.ContourInterval = 0.5f;
    return p;
}

TEST(GraphicsPrint, ContourLevelsArePrintedAsJoinedLines)
{
    Project p = cone();
    PolylinePage r;
    PageSurface page(r);
    page.setPolylineTolerance(0); // every traced point, to count them
    const QString notice = GraphicPrint(page, p, 2, {false, false, false});
    EXPECT_TRUE(notice.isEmpty());
    SegmentCount traced;
    const ContourLevels levels = contourLevels(p, p.ContourInterval);
    TraceContours(p, p.ContourInterval, ContourEmphasis::WholeLevels, traced, true);
    std::size_t printed = 0, closed = 0;
    for (const auto& line : r.polylines) {
        printed += line.size() - 1;
        closed += line.size() > 2 && line.front() == line.back();
    }
    EXPECT_EQ(printed, std::size_t(traced.segments)); // every segment once
    // The seven rings of radius 5 to 35 m lie inside the grid and close on themselves, one
    // path each; the four wider ones are cut by the border into at most four arcs each.
    EXPECT_EQ(levels.count, 11);
    EXPECT_EQ(closed, 7u);
    EXPECT_LE(r.polylines.size(), 7u + 4 * 4);
    EXPECT_EQ(r.dots, 0); // every crossing lies on a segment here
}

// Whole levels labelled along their lines when asked: upright and in red.
TEST(GraphicsPrint, LabelsAlongTheLinesOnlyWhenAsked)
{
    Project p = cone();
    p.ContourLabelsAlong = true;
    RecordingPage r;
    PageSurface page(r);
    GraphicPrint(page, p, 2, {false, false, false});
    int turned = 0;
    for (const Item& i : r.items()) {
        if (i.isLine() || i.angle == 0)
            continue;
        ++turned;
        EXPECT_TRUE(i.angle > -90 && i.angle <= 90 && i.colour == colour::Red);
        EXPECT_EQ(i.text.trimmed().toDouble(), std::floor(i.text.trimmed().toDouble()));
    }
    EXPECT_GE(turned, 4); // a ring or arc per whole metre
}

// Polylines lose only the points that the paper cannot show.
TEST(PageSurface, PolylinesKeepWhatThePaperShows)
{
    using Line = std::vector<QPointF>;
    const Line square{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
    const struct
    {
        const char* what;
        Line in;
        double tolerance;
        Line out;
    } rows[] = {
        {"points on the straight line", {{0, 0}, {5, 0}, {10, 0}, {20, 0}}, 2, {{0, 0}, {20, 0}}},
        {"a bend within the tolerance", {{0, 0}, {10, 1.5}, {20, 0}}, 2, {{0, 0}, {20, 0}}},
        {"a bend beyond it", {{0, 0}, {10, 3}, {20, 0}}, 2, {{0, 0}, {10, 3}, {20, 0}}},
        {"back past its end", {{0, 0}, {20, 0}, {10, 0}}, 2, {{0, 0}, {20, 0}, {10, 0}}},
        {"a closed ring", square, 2, square},
        {"a ring smaller than the tolerance", square, 20, {{0, 0}, {0, 0}}},
        {"tolerance 0", {{0, 0}, {5, 0}, {10, 0}}, 0, {{0, 0}, {5, 0}, {10, 0}}},
    };
    for (const auto& row : rows) {
        Line line = row.in;
        simplifyPolyline(line, row.tolerance);
        EXPECT_EQ(line, row.out) << row.what;
    }
}
