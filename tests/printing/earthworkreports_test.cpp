#include "grading/balancechart.h"
#include "grading/earthwork.h"
#include "grading/suspectheights.h"
#include "graphics/palette.h"
#include "graphics/recordingsurface.h"
#include "printing/earthworkreports.h"
#include "printing/pagesurface.h"
#include "printing/recordingpage.h"
#include "project/controldata.h"
#include "project/project.h"
#include "support/printto.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

constexpr double Cm = 1440 / 2.54; // twips

// Two node rows: ground 0 along the bottom, 4 along the top, so every cell is crossed at 2.
Project ramp(qint16 cols)
{
    Project p = startupProject();
    applyControlData(p, {10, 2, cols, 1});
    for (int n = cols + 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = 4;
    return p;
}

} // namespace

TEST(EarthworkReports, TablesFillThePagesOfTheGradeReportsInOrder)
{
    // The grade reports' table ends 20 lines of 16 points below 11 cm.
    const double bottom = 11 * Cm + 20 * 16 * 24;
    for (const qint16 cols : {2, 12, 21, 61}) {
        for (const bool sloped : {false, true}) {
            const Project p = ramp(cols);
            RecordingPage recorded;
            PageSurface page(recorded);
            PrintEarthwork(page, p, computeEarthwork(p, {2, sloped ? 1.0 : 0, 0}), sloped, 1);
            // Row numbers stand at the left margin; each page repeats the headings.
            QList<QList<int>> rows(recorded.documents());
            for (const RecordingPage::Item& item : recorded.items()) {
                bool number = false;
                const int n = item.text.toInt(&number);
                if (number && std::abs(item.at.x() - 2.5 * Cm) < 1) {
                    rows[item.document] << n;
                    EXPECT_LE(item.at.y(), bottom) << cols;
                }
            }
            QList<int> all;
            for (int d = 0; d < rows.size(); ++d) {
                all += rows[d];
                if (d > 0 && d + 1 < rows.size()) {
                    EXPECT_EQ(rows[d].size(), 19) << cols;
                }
                EXPECT_TRUE(recorded.texts(d).contains(QStringLiteral("หมายเลขกริด")));
            }
            QList<int> expected;
            for (int n = 1; n < cols; ++n)
                expected << n;
            EXPECT_EQ(all, expected) << cols;
            const QStringList first = recorded.texts(0);
            EXPECT_TRUE(first.contains(sloped ? QStringLiteral("ปรับระดับแบบมีความลาดเอียง")
                                              : QStringLiteral("ปริมาตรดินตัด-ดินถมแบบแยก")));
            EXPECT_TRUE(first.contains(QStringLiteral("ปริมาตรดินตัดแบบแยก")));
        }
    }
}

TEST(EarthworkReports, SuspectReportListsTheSlips)
{
    Project p = startupProject();
    applyControlData(p, {10, 5, 5, 1});
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = 101;
    p.Nodes[13].Z = 1001.92f;
    RecordingPage recorded;
    PageSurface page(recorded);
    PrintSuspects(page, p, findSuspectHeights(p), 5, 0.5);
    const QStringList texts = recorded.texts(0);
    for (const char* text : {"ตรวจค่าระดับผิดปกติ", "13", "1001.920", "101.000", "900.920"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(text))) << text;
    EXPECT_EQ(recorded.documents(), 1);
}

TEST(BalanceChart, DrawsThreeCurvesTheBalanceAndTheFixedPlatformOnTheCurve)
{
    const Balance b = computeBalance(earthworkGrid(ramp(3)), 1, 201);
    for (const auto& [fixed, marks] : {std::pair{3.0, 2}, std::pair{9.0, 1}}) {
        RecordingSurface s;
        DrawBalanceChart(s, b, fixed, 10);
        const auto lines = s.ops(RecordingSurface::Kind::Line);
        const auto count = [&](int colour) {
            return std::count_if(lines.begin(), lines.end(),
                                 [&](const auto& op) { return op.value == colour; });
        };
        // 200 segments per curve plus the legend's sample line.
        EXPECT_EQ(count(colour::Red), 201);
        EXPECT_EQ(count(colour::Blue), 201);
        EXPECT_EQ(count(colour::Green), 201);
        const auto vertical = [&](float x) {
            return std::count_if(lines.begin(), lines.end(), [&](const auto& op) {
                return op.x1 == x && op.x2 == x && op.value != 7;
            });
        };
        EXPECT_EQ(vertical(2.0f), 1);
        EXPECT_EQ(vertical(float(fixed)), marks - 1) << fixed;
        QStringList texts;
        for (const auto& op : s.ops(RecordingSurface::Kind::Text))
            texts << op.text;
        EXPECT_TRUE(texts.contains(QStringLiteral("สมดุล 2.000")));
        EXPECT_EQ(texts.contains(QStringLiteral("ระดับที่กำหนด 3.000")), marks == 2);
    }
}

TEST(BalanceChart, PrintedPageKeepsThePictureInItsBox)
{
    const Project p = ramp(3);
    RecordingPage recorded;
    PageSurface page(recorded);
    PrintBalance(page, p, computeBalance(earthworkGrid(p), 1), 3.0, 0.0);
    EXPECT_EQ(recorded.documents(), 1);
    int lines = 0;
    for (const RecordingPage::Item& item : recorded.items()) {
        if (!item.isLine())
            continue;
        ++lines;
        for (const QPointF& at : {item.at, item.to}) {
            EXPECT_GE(at.x(), 2 * Cm - 1);
            EXPECT_LE(at.x(), 19 * Cm + 1);
        }
    }
    EXPECT_GT(lines, 600);
    EXPECT_TRUE(recorded.texts(0).contains(QStringLiteral("กราฟสมดุลดินตัด-ดินถม")));
}
