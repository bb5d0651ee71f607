#include "grading/cutfillmap.h"
#include "grading/designtexts.h"
#include "grading/pad.h"
#include "printing/cutfillreport.h"
#include "printing/earthworkreports.h"
#include "printing/pagesurface.h"
#include "printing/recordingpage.h"
#include "support/printto.h"
#include "support/terrain.h"

#include <gtest/gtest.h>

using namespace tervan;

constexpr double Cm = 1440 / 2.54; // twips

namespace {

// A pad of 8 x 5 cells on a 16 x 21 grid, its report printed with or without every cell.
struct PadReport : ::testing::Test
{
    const Project p = terrain(16, 21, 10);
    const EarthworkGrid ground = earthworkGrid(p);
    const PadResult pad = balancedPad(ground, {6, 5, 14, 10}, {1.5, 2.0}, 1);
    RecordingPage r;

    void print(bool every)
    {
        r = RecordingPage();
        PageSurface page(r);
        PrintCutFill(page, p, designtitle::Pad, padSummary(pad), padMap(ground, pad, 0),
                     printedDesignCells(pad.earthwork, 1, every));
    }
};

} // namespace

// The figures and the map in colour on page one, then the cells with cut or fill by the
// earthwork's own figures and their total, on at most two pages; every cell only when asked.
TEST_F(PadReport, ListsTheCellsWorkedAndTheirTotal)
{
    QStringList worked;
    for (std::size_t n = 0; n < pad.earthwork.cells.size(); ++n)
        if (pad.earthwork.cells[n].cut != 0 || pad.earthwork.cells[n].fill != 0)
            worked << QString::number(n + 1);
    ASSERT_GT(worked.size(), 40); // the pad's 40 cells and its batters
    for (const bool every : {false, true}) {
        print(every);
        QStringList rows; // the first column of the table pages
        for (const auto& item : r.items())
            if (item.document > 0 && std::abs(item.at.x() - 2.5 * Cm) < 1 &&
                !item.text.trimmed().isEmpty() && !item.text.startsWith('=') &&
                item.text != QStringLiteral("หมายเลขกริด"))
                rows << item.text;
        ASSERT_FALSE(rows.isEmpty());
        const QString total = rows.takeLast();
        EXPECT_EQ(total, QStringLiteral("รวม %1 ช่อง").arg(rows.size()));
        EXPECT_EQ(rows.size(), every ? int(pad.earthwork.cells.size()) : worked.size());
        if (!every) {
            EXPECT_EQ(rows, worked);
            EXPECT_LE(r.documents(), 3);
        }
        EXPECT_TRUE(r.texts(0).contains(QStringLiteral("ไร่-งาน-ตารางวา")));
        EXPECT_GT(std::count_if(r.fills().begin(), r.fills().end(),
                                [](const auto& f) { return f.rgb != CutFillRamp::colour(0); }),
                  40);
    }
}

// However long a caption or value, none runs into the next text on its line or off the paper,
// and no caption is lost; the usual lengths keep the usual columns at 11 and 14 cm.
TEST(CutFillReport, FigureCaptionsNeverReachTheirValues)
{
    const QString longest = QStringLiteral("ปริมาตรสุทธิ (ดินตัด × K + ดินถม)");
    const struct
    {
        QString label, value, unit;
    } rows[] = {
        {QStringLiteral("ปริมาตรดินตัดแบบแยก"), QStringLiteral("1234.56"),
         QStringLiteral("ลูกบาศก์เมตร")},
        {longest, QStringLiteral("-12345678.90"), QStringLiteral("ลูกบาศก์เมตร")},
        {longest + longest, QStringLiteral("1-2-95"), QStringLiteral("ไร่-งาน-ตารางวา")},
        {QString(10, 'x') + QStringLiteral("พื้นที่ดินตัดพื้นที่ดินถมพื้นที่ดินตัดพื้นที่ดินถมพื้นที่ดินตัด"),
         QStringLiteral("10000000.00"), QStringLiteral("ตารางเมตร")},
    };
    for (const auto& row : rows) {
        RecordingPage r;
        {
            PageSurface page(r);
            page.setUnitCentimetres();
            page.setFont(QStringLiteral("AngsanaUPC"), 13, false);
            PrintFigureLines(page, {{row.label, row.value, row.unit}});
        }
        const auto& items = r.items();
        QString label;
        for (qsizetype i = 0; i < items.size(); ++i) {
            QFont font;
            font.setPointSizeF(items[i].points);
            const double end = items[i].at.x() + r.textWidthTwips(font, items[i].text);
            EXPECT_LE(end, r.printableTwips().width() + 1) << items[i].text.toStdString();
            if (i + 1 < items.size() && items[i + 1].at.y() == items[i].at.y()) {
                EXPECT_LE(end, items[i + 1].at.x()) << items[i].text.toStdString();
            }
            if (items[i].text != row.value && items[i].text != row.unit)
                label += items[i].text;
        }
        EXPECT_EQ(label, row.label);
        if (row.label.size() < 20) {
            EXPECT_DOUBLE_EQ(items[1].at.x(), 11 * Cm);
        }
    }
}

// The map on page one is drawn at the scale its block states, with the block's north arrow.
TEST_F(PadReport, MapAtItsStatedScale)
{
    print(false);
    long scale = 0;
    for (const QString& text : r.texts(0))
        if (text.startsWith(QStringLiteral("มาตราส่วน 1:")))
            scale = text.section(':', 1).toLong();
    ASSERT_GT(scale, 0);
    EXPECT_TRUE(r.texts(0).contains(QStringLiteral("เหนือ")));
    // The grid's outline starts along row 1, 200 m long.
    const auto outline = std::find_if(r.items().begin(), r.items().end(),
                                      [](const auto& i) { return i.document == 0 && i.isLine(); });
    ASSERT_NE(outline, r.items().end());
    EXPECT_NEAR(outline->to.x() - outline->at.x(), 200 * 100.0 / double(scale) * Cm, 1e-6);
    EXPECT_NEAR(outline->to.y(), outline->at.y(), 1e-9);
}
