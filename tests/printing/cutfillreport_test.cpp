#include "grading/cutfillmap.h"
#include "grading/designsurface.h"
#include "grading/designtexts.h"
#include "grading/pad.h"
#include "printing/cutfillreport.h"
#include "printing/earthworkreports.h"
#include "printing/pageframe.h"
#include "printing/pagesurface.h"
#include "printing/recordingpage.h"
#include "support/printto.h"
#include "support/terrain.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace tervan;
using Item = RecordingPage::Item;

namespace {

// A pad of 8 x 5 cells on a 16 x 21 terrain, its batters running out over a few cells.
struct PadReport
{
    Project project = terrain(16, 21, 10);
    EarthworkGrid ground = earthworkGrid(project);
    PadResult pad = balancedPad(ground, {6, 5, 14, 10}, {1.5, 2.0}, 1);
    CutFillMap map = padMap(ground, pad, 0);

    RecordingPage print(bool everyCell)
    {
        RecordingPage r;
        PageSurface page(r);
        PrintCutFill(page, project, designtitle::Pad, padSummary(pad), map,
                     printedDesignCells(pad.earthwork, 1, everyCell));
        return r;
    }
};

// The printed table's rows: the texts at the first column's left edge after the headings.
QStringList firstColumn(const RecordingPage& r)
{
    QStringList out;
    constexpr double Cm = 1440 / 2.54;
    for (const Item& item : r.items())
        if (item.document > 0 && !item.isLine() && std::abs(item.at.x() - 2.5 * Cm) < 1 &&
            !item.text.trimmed().isEmpty() && !item.text.startsWith(QLatin1Char('=')))
            out << item.text;
    return out;
}

} // namespace

// The report is the figures and map on one page and the cells worked, with their total, on
// the pages after it; every cell only when asked. The table's cells are those of the earthwork
// with cut or fill, by the earthwork's own figures.
TEST(CutFillReport, ListsTheCellsWorkedAndTheirTotal)
{
    PadReport report;
    QStringList worked;
    double cut = 0;
    for (std::size_t n = 0; n < report.pad.earthwork.cells.size(); ++n) {
        const CutFill& c = report.pad.earthwork.cells[n];
        if (c.cut != 0 || c.fill != 0) {
            worked << QString::number(n + 1);
            cut += c.cut;
        }
    }
    ASSERT_GT(worked.size(), 40); // the pad's 40 cells and its batters
    ASSERT_LT(worked.size(), int(report.pad.earthwork.cells.size()));
    for (const bool every : {false, true}) {
        const RecordingPage r = report.print(every);
        EXPECT_LE(r.documents(), every ? 11 : 3) << every;
        QStringList rows = firstColumn(r);
        ASSERT_FALSE(rows.isEmpty());
        const QString total = rows.takeLast();
        rows.removeAll(QStringLiteral("หมายเลขกริด"));
        if (every) {
            EXPECT_EQ(rows.size(), int(report.pad.earthwork.cells.size()));
        } else {
            EXPECT_EQ(rows, worked);
        }
        EXPECT_EQ(total, QStringLiteral("รวม %1 ช่อง").arg(rows.size()));
        EXPECT_TRUE(r.texts(r.documents() - 1).contains(volumeText(cut))) << every;
        // Page one: the plan area used, in rai-ngan-wa too, and the map in colour.
        const QStringList first = r.texts(0);
        EXPECT_TRUE(first.contains(QStringLiteral("พื้นที่ที่ใช้ (ตัดหรือถม)")));
        EXPECT_TRUE(first.contains(QStringLiteral("ไร่-งาน-ตารางวา")));
        int coloured = 0;
        for (const auto& f : r.fills())
            coloured += f.document == 0 && f.rgb != CutFillRamp::colour(0);
        EXPECT_GT(coloured, 40);
    }
}

// However long a caption, value or unit, none runs into the next on its line and all stay on
// the paper; captions of the usual lengths keep the usual columns at 11 and 14 cm.
TEST(CutFillReport, SummaryCaptionsNeverReachTheirValues)
{
    constexpr double Cm = 1440 / 2.54;
    const QString longest = QStringLiteral("ปริมาตรสุทธิ (ดินตัด × K + ดินถม)");
    const struct
    {
        const char* what;
        QString label, value, unit;
        bool usualColumns;
    } rows[] = {
        {"usual", QStringLiteral("ปริมาตรดินตัดแบบแยก"), QStringLiteral("1,234.56"),
         QStringLiteral("ลูกบาศก์เมตร"), true},
        {"the longest caption printed", longest, QStringLiteral("-12,345,678.90"),
         QStringLiteral("ลูกบาศก์เมตร"), false},
        {"a caption twice that", longest + longest, QStringLiteral("1-2-95"),
         QStringLiteral("ไร่-งาน-ตารางวา"), false},
        {"one Thai word of a line's length",
         QStringLiteral("พื้นที่ดินตัดพื้นที่ดินถมพื้นที่ดินตัดพื้นที่ดินถมพื้นที่ดินตัดพื้นที่ดินถมพื้นที่"),
         QStringLiteral("10,000,000.00"), QStringLiteral("ตารางเมตร"), false},
    };
    for (const auto& row : rows) {
        RecordingPage r;
        PageSurface page(r);
        PrintHeading(page, startupProject());
        PrintFigureLines(page, {{QStringLiteral("K"), QStringLiteral("1.00"), {}},
                                {row.label, row.value, row.unit}});
        QList<Item> texts;
        for (const Item& item : r.items())
            if (!item.isLine() && item.at.y() > 5 * Cm && !item.text.trimmed().isEmpty())
                texts << item;
        const auto width = [&](const Item& i) {
            QFont font;
            font.setPointSizeF(i.points);
            return r.textWidthTwips(font, i.text);
        };
        QString printedLabel;
        for (int i = 0; i < texts.size(); ++i) {
            const Item& item = texts[i];
            EXPECT_LE(item.at.x() + width(item), r.printableTwips().width() + 1) << row.what;
            if (i + 1 < texts.size() && texts[i + 1].at.y() == item.at.y()) {
                EXPECT_LE(item.at.x() + width(item), texts[i + 1].at.x()) << row.what;
            }
            if (item.text.trimmed() != row.value && item.text.trimmed() != row.unit &&
                item.at.y() > texts[0].at.y())
                printedLabel += item.text.trimmed();
        }
        EXPECT_EQ(printedLabel.remove(' '), QString(row.label).remove(' ')) << row.what;
        const auto value = std::find_if(texts.begin(), texts.end(),
                                        [&](const Item& i) { return i.text == row.value; });
        ASSERT_NE(value, texts.end()) << row.what;
        if (row.usualColumns) {
            EXPECT_DOUBLE_EQ(value->at.x(), 11 * Cm);
        }
    }
}
