#include "nodelist.h"
#include "project/controldata.h"
#include "project/nodetablemodel.h"
#include "project/project.h"
#include "project/ui/nodeentrydialog.h"
#include "support/printto.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace tervan;

using Entry = NodeList;

TEST(NodeEntry, ListsEveryNodeWithFormattedValues)
{
    Project p = grid(4, 5);
    p.Nodes[7].Z = 105.296f;
    p.Nodes[8].Z = -0.004f;
    Entry e(p);
    EXPECT_EQ(e.dialog.windowTitle(), QStringLiteral("ป้อนค่าระดับ"));
    EXPECT_EQ(e.dialog.model()->rowCount(), 20);
    EXPECT_EQ(e.cell(7, 0), "7");
    EXPECT_EQ(e.cell(7, 1), "10");
    EXPECT_EQ(e.cell(7, 2), "10");
    EXPECT_EQ(e.cell(7, 3), "105.30");
    EXPECT_EQ(e.cell(8, 3), "0.00");
    const QStringList headers{"จุดที่", "พิกัด X (ม.)", "พิกัด Y (ม.)", "ค่าระดับ (ม.)"};
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(e.dialog.model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                  headers[c]);
}

TEST(NodeEntry, OneByOneGridHasOneRow)
{
    Entry e(grid(1, 1));
    EXPECT_EQ(e.dialog.model()->rowCount(), 1);
    EXPECT_EQ((QStringList{e.cell(1, 0), e.cell(1, 1), e.cell(1, 2), e.cell(1, 3)}),
              (QStringList{"1", "0", "0", "0.00"}));
}

TEST(NodeEntry, EveryKeystrokeStoresTheNumberAtTheStartOfTheText)
{
    Entry e(grid(4, 5));
    // Before any click the first node's elevation is current: no node has a height yet.
    std::vector<float> stored;
    for (const char* key : {"1", "2", ".", "5"}) {
        QTest::keyClicks(e.box(), key);
        stored.push_back(e.project.Nodes[1].Z);
    }
    EXPECT_EQ(stored, (std::vector<float>{1, 12, 12, 12.5f}));
    EXPECT_EQ(e.cell(1, 3), "12.5");
    e.box()->clear();
    EXPECT_EQ(e.project.Nodes[1].Z, 0);
    // Once a node has a height, the list opens at the last node.
    e.project.Nodes[7].Z = 1;
    EXPECT_EQ(Entry(e.project).dialog.grid()->currentIndex().row(), 19);
}

struct TypedCase
{
    const char* text;
    float stored;
};

class NodeEntryTyping : public ::testing::TestWithParam<TypedCase>
{
};

TEST_P(NodeEntryTyping, ReadsLeniently)
{
    const auto& c = GetParam();
    Entry e(grid(2, 2));
    e.clickCell(3, 3);
    e.box()->setText(QString::fromUtf8(c.text));
    EXPECT_EQ(e.project.Nodes[3].Z, c.stored);
    EXPECT_EQ(e.cell(3, 3), QString::fromUtf8(c.text));
    EXPECT_EQ(e.project.Nodes[4].Z, 0);
}

INSTANTIATE_TEST_SUITE_P(Texts, NodeEntryTyping,
                         ::testing::Values(TypedCase{"7,5", 7}, TypedCase{"1 000", 1000},
                                           TypedCase{"abc", 0}, TypedCase{"  -2.25m", -2.25f},
                                           TypedCase{"1e2", 100}, TypedCase{"", 0}));

TEST(NodeEntry, CoordinateCellsChangeTheirTextOnly)
{
    Project p = grid(2, 3);
    Entry e(p);
    e.clickCell(5, 1);
    EXPECT_EQ(e.box()->text(), "10");
    EXPECT_TRUE(e.box()->hasSelectedText());
    e.box()->setText("999");
    EXPECT_EQ(e.cell(5, 1), "999");
    EXPECT_EQ(e.project, p);
    NodeEntryDialog again(e.project);
    EXPECT_EQ(again.model()->cellText(4, 1), "10");
}

TEST(NodeEntry, ClickShowsTheFullElevationAndStoresNothing)
{
    Project p = grid(2, 2);
    p.Nodes[2].Z = 12.345f;
    Entry e(p);
    e.clickCell(2, 3);
    EXPECT_EQ(e.cell(2, 3), "12.35");
    EXPECT_EQ(e.box()->selectedText(), "12.345");
    EXPECT_EQ(e.project, p);
}

TEST(NodeEntry, TooLargeANumberKeepsTheOldElevationUntilCorrected)
{
    Project p = grid(2, 2);
    p.Nodes[4].Z = 8;
    Entry e(p);
    e.box()->setText("1e999");
    EXPECT_EQ(e.project.Nodes[4].Z, 8);
    EXPECT_TRUE(e.dialog.model()->isRejected(3));
    const QModelIndex cell = e.dialog.model()->index(3, 3);
    EXPECT_EQ(e.dialog.model()->data(cell, Qt::ForegroundRole).value<QBrush>().color(),
              QColor(Qt::red));
    e.box()->setText("1e9");
    EXPECT_EQ(e.project.Nodes[4].Z, 1e9f);
    EXPECT_FALSE(e.dialog.model()->isRejected(3));
}

TEST(NodeEntry, EveryWayOfClosingRecomputesTheRange)
{
    const std::function<void(Entry&)> ways[] = {
        [](Entry& e) { e.exit(); },
        [](Entry& e) { e.dialog.close(); },
        [](Entry&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); },
    };
    for (const auto& leave : ways) {
        Entry e(grid(2, 2));
        e.open();
        e.type("-3");
        e.clickCell(4, 3);
        e.type("42");
        leave(e);
        EXPECT_FALSE(e.dialog.isVisible());
        EXPECT_EQ(e.project.ElevMin, -3);
        EXPECT_EQ(e.project.ElevMax, 42);
    }
}

TEST(NodeEntry, ReloadFollowsAShrunkGridAndNeverWritesPastIt)
{
    Entry e(grid(3, 3));
    e.clickCell(9, 3);
    applyControlData(e.project, {10, 2, 2, 1});
    // Still showing nine rows: a keystroke for node 9 must not land anywhere.
    e.box()->setText("77");
    ASSERT_EQ(e.project.Nodes.size(), 5u);
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(e.project.Nodes[n].Z, 0);

    e.dialog.reloadFromProject();
    EXPECT_EQ(e.dialog.model()->rowCount(), 4);
    EXPECT_TRUE(e.box()->text().isEmpty());
    e.box()->setText("5");
    EXPECT_EQ(e.project.Nodes[1].Z, 5);
}
