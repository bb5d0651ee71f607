// The node list driven as a surveyor drives it: keys go to whatever has the focus.
#include "common/numbertext.h"
#include "nodelist.h"
#include "project/controldata.h"
#include "project/nodetablemodel.h"
#include "project/project.h"
#include "project/ui/nodeentrydialog.h"
#include "support/printto.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <bit>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

struct OpenList : NodeList
{
    explicit OpenList(Project p) : NodeList(std::move(p)) { open(); }
    void click(int node, int column) { clickCell(node, column); }
};

quint32 bits(float f)
{
    return std::bit_cast<quint32>(f);
}

} // namespace

TEST(KeyboardEntry, HundredTwentyHeightsTypedWithReturnAreStoredExactly)
{
    OpenList l(grid(10, 12));
    ASSERT_EQ(OpenList::focus(), l.box());
    l.key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(l.currentNode(), 1);
    std::vector<QString> typed;
    for (int n = 1; n <= 120; ++n) {
        typed.push_back(QString::number(95 + n * 0.137 + (n % 7) * 0.001, 'f', 3));
        l.type(typed.back());
        l.key(Qt::Key_Return);
    }
    EXPECT_TRUE(l.dialog.isVisible());
    for (int n = 1; n <= 120; ++n)
        EXPECT_EQ(bits(l.project.Nodes[n].Z), bits(typed[n - 1].toFloat())) << "node " << n;
    l.key(Qt::Key_Escape);
    EXPECT_FALSE(l.dialog.isVisible());
    EXPECT_EQ(l.project.ElevMin, typed.front().toFloat());
    EXPECT_EQ(l.project.ElevMax, typed.back().toFloat());
}

struct MoveCase
{
    const char* name;
    int from;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int to; // 0: last node
    const char* status = "";
};

class KeyboardMoves : public ::testing::TestWithParam<MoveCase>
{
};

TEST_P(KeyboardMoves, GoToTheNodeWithItsFullValueSelected)
{
    const MoveCase& c = GetParam();
    Project p = grid(30, 30);
    for (int n = 1; n <= 900; ++n)
        p.Nodes[n].Z = 100 + n * 0.001f;
    OpenList l(p);
    l.click(c.from, NodeTableModel::Elevation);
    l.key(c.key, c.modifiers);
    const int to = c.to ? c.to : 900;
    if (c.key == Qt::Key_PageDown)
        EXPECT_GT(l.currentNode(), c.from + 5);
    else if (c.key == Qt::Key_PageUp)
        EXPECT_LT(l.currentNode(), c.from - 5);
    else
        EXPECT_EQ(l.currentNode(), to);
    const int node = l.currentNode();
    EXPECT_EQ(OpenList::focus(), l.box());
    EXPECT_EQ(l.box()->selectedText(), shortestText(l.project.Nodes[node].Z));
    EXPECT_EQ(l.status(), QString::fromUtf8(c.status));
    EXPECT_TRUE(l.dialog.grid()->viewport()->rect().intersects(
        l.dialog.grid()->visualRect(l.dialog.grid()->currentIndex())));
    EXPECT_EQ(l.project, p); // moving stores nothing
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyboardMoves,
    ::testing::Values(MoveCase{"Return", 5, Qt::Key_Return, {}, 6},
                      MoveCase{"Enter", 5, Qt::Key_Enter, Qt::KeypadModifier, 6},
                      MoveCase{"Down", 5, Qt::Key_Down, {}, 6},
                      MoveCase{"Up", 5, Qt::Key_Up, {}, 4},
                      MoveCase{"UpAtFirst", 1, Qt::Key_Up, {}, 1},
                      MoveCase{"ReturnAtLast", 900, Qt::Key_Return, {}, 900, "ถึงจุดสุดท้ายแล้ว"},
                      MoveCase{"DownAtLast", 900, Qt::Key_Down, {}, 900},
                      MoveCase{"PageDown", 100, Qt::Key_PageDown, {}, 0},
                      MoveCase{"PageUp", 500, Qt::Key_PageUp, {}, 0},
                      MoveCase{"CtrlHome", 400, Qt::Key_Home, Qt::ControlModifier, 1},
                      MoveCase{"CtrlEnd", 4, Qt::Key_End, Qt::ControlModifier, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeyboardEntry, ClickingCellsChangesNothingStored)
{
    Project p = grid(3, 3);
    p.Nodes[2].Z = 99.838f;
    p.Nodes[5].Z = 101.2345f;
    OpenList l(p);
    l.type("5");
    p.Nodes[9].Z = 5;
    for (int node : {2, 5, 2, 9, 1})
        l.click(node, NodeTableModel::Elevation);
    l.click(2, NodeTableModel::Elevation);
    EXPECT_EQ(l.box()->selectedText(), "99.838");
    EXPECT_EQ(l.dialog.model()->cellText(1, NodeTableModel::Elevation), "99.84");
    EXPECT_EQ(l.project, p);
}

TEST(KeyboardEntry, TypingIntoTheListEditsTheCurrentCellInsteadOfSearching)
{
    OpenList l(grid(3, 3));
    l.click(6, NodeTableModel::Elevation);
    l.dialog.grid()->setFocus();
    l.dialog.grid()->horizontalHeader()->setFocus();
    l.dialog.grid()->setFocus();
    ASSERT_EQ(OpenList::focus(), l.dialog.grid());
    l.type("0.5");
    EXPECT_EQ(l.currentNode(), 6);
    EXPECT_EQ(l.project.Nodes[6].Z, 0.5f);
    EXPECT_EQ(OpenList::focus(), l.box());
}

TEST(KeyboardEntry, PastedColumnFillsConsecutiveNodesAndSaysWhatWasLeftOver)
{
    OpenList l(grid(4, 5));
    l.click(3, NodeTableModel::Elevation);
    QStringList column;
    for (int i = 0; i < 12; ++i)
        column << QString::number(100.5 + i);
    QApplication::clipboard()->setText(column.join(QStringLiteral("\r\n")) + "\r\n");
    l.key(Qt::Key_V, Qt::ControlModifier);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(l.project.Nodes[3 + i].Z, 100.5f + i);
    EXPECT_EQ(l.project.Nodes[15].Z, 0);
    EXPECT_EQ(l.currentNode(), 14);
    EXPECT_TRUE(l.status().contains(QStringLiteral("12")));

    // A row from a spreadsheet, pasted near the end: what fits is taken, the rest is said.
    l.click(18, NodeTableModel::Elevation);
    QApplication::clipboard()->setText(QStringLiteral("1\t2\t3;4;5"));
    l.key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(
        (std::vector<float>{l.project.Nodes[18].Z, l.project.Nodes[19].Z, l.project.Nodes[20].Z}),
        (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(l.status(), QStringLiteral("วางค่าระดับ 3 ค่า เกินจุดสุดท้าย 2 ค่า ไม่ได้ใช้"));
}

struct MisreadCase
{
    const char* text;
    float stored;
    const char* note; // empty: plain, not marked
};

class Misread : public ::testing::TestWithParam<MisreadCase>
{
};

TEST_P(Misread, IsMarkedWithTheValueStored)
{
    const MisreadCase& c = GetParam();
    OpenList l(grid(2, 2));
    l.type(QString::fromUtf8(c.text));
    const QModelIndex cell = l.dialog.model()->index(0, NodeTableModel::Elevation);
    EXPECT_EQ(l.project.Nodes[1].Z, c.stored);
    EXPECT_EQ(l.dialog.model()->data(cell, Qt::DisplayRole).toString(), QString::fromUtf8(c.text));
    const QString note = QString::fromUtf8(c.note);
    EXPECT_EQ(l.dialog.model()->data(cell, Qt::ToolTipRole).toString(), note);
    EXPECT_EQ(l.status(), note);
    EXPECT_EQ(l.dialog.model()->data(cell, Qt::ForegroundRole).isValid(), !note.isEmpty());
    // Corrected to a plain number, the mark goes.
    l.key(Qt::Key_A, Qt::ControlModifier);
    l.type("101.5");
    EXPECT_FALSE(l.dialog.model()->isMarked(0));
    EXPECT_EQ(l.status(), QString());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Misread,
    ::testing::Values(MisreadCase{"100,878", 100, "อ่านได้ไม่ตรงกับที่พิมพ์: เก็บค่า 100.00"},
                      MisreadCase{"1O1.412", 1, "อ่านได้ไม่ตรงกับที่พิมพ์: เก็บค่า 1.00"},
                      MisreadCase{"1,001.92", 1, "อ่านได้ไม่ตรงกับที่พิมพ์: เก็บค่า 1.00"},
                      MisreadCase{"99.838m", 99.838f, "อ่านได้ไม่ตรงกับที่พิมพ์: เก็บค่า 99.838"},
                      MisreadCase{"๑๐๐.๕", 100.5f, ""}, MisreadCase{"-2.25", -2.25f, ""},
                      MisreadCase{"1e2", 100, ""}, MisreadCase{"1 000", 1000, ""}));

TEST(KeyboardEntry, NumberColumnShowsTheLargestNodeNumberWhole)
{
    OpenList l(grid(181, 181));
    QTableView* view = l.dialog.grid();
    EXPECT_GE(view->columnWidth(NodeTableModel::Number),
              view->fontMetrics().horizontalAdvance(QStringLiteral("32761")) + 8);
}

// Ctrl+G and a number: straight to that node, its value selected in the box to type over.
TEST(KeyboardEntry, ControlGGoesToANodeByNumber)
{
    Project p = grid(30, 30);
    for (int n = 1; n <= 900; ++n)
        p.Nodes[n].Z = 100 + n * 0.001f;
    OpenList l(p);
    l.key(Qt::Key_G, Qt::ControlModifier);
    l.key(Qt::Key_A, Qt::ControlModifier);
    l.type(QStringLiteral("777"));
    l.key(Qt::Key_Return);
    EXPECT_EQ(l.currentNode(), 777);
    EXPECT_EQ(OpenList::focus(), l.box());
    EXPECT_EQ(l.box()->selectedText(), shortestText(l.project.Nodes[777].Z));
    EXPECT_EQ(l.project, p);
}

// A georeferenced grid lists each node's E and N to the millimetre after the other columns.
TEST(NodeEntry, GeoreferencedNodesShowEastingAndNorthing)
{
    Project p = grid(3, 4);
    NodeTableModel plain(p);
    EXPECT_EQ(plain.columnCount(), 4);
    p.Georef = Georeference{652000.125, 1524000.5, 32647, {}};
    NodeTableModel world(p);
    ASSERT_EQ(world.columnCount(), 6);
    EXPECT_EQ(world.cellText(6, NodeTableModel::East), "652020.125"); // node 7: column 2, row 1
    EXPECT_EQ(world.cellText(6, NodeTableModel::North), "1524010.500");
    EXPECT_EQ(world.headerData(NodeTableModel::East, Qt::Horizontal, Qt::DisplayRole), "E (ม.)");
}
