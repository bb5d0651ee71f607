#include "app/mainwindow.h"
#include "common/messages.h"
#include "project/controldata.h"
#include "project/nodetablemodel.h"
#include "project/ui/nodeentrydialog.h"
#include "support/fakeprompts.h"
#include "support/printto.h"
#include "support/recordedprints.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

// The main window with scripted prompts and a recording printer, holding a rows x cols grid
// of heights near 101 m.
struct Window
{
    FakePrompts* prompts = new FakePrompts;
    MainWindow window{std::unique_ptr<Prompts>(prompts)};
    RecordingPage printed;

    explicit Window(qint16 rows = 5, qint16 cols = 5)
    {
        window.setPrintOutput(
            [this](Prompts&) { return std::make_unique<ForwardingPage>(printed); });
        window.mnuFileNew_Click();
        applyControlData(window.project(), {10, rows, cols, 1});
        for (int n = 1; n <= window.project().NodeCount; ++n)
            window.project().Nodes[n].Z = 101.0f + 0.1f * float(n % cols);
    }
    void trigger(const char* item) { window.menuItem(QLatin1String(item))->trigger(); }
};

// Types into the box the way a user does: focus it, select its text, type over it.
void typeInto(QDialog& dialog, const char* box, const QString& text)
{
    auto* edit = dialog.findChild<QLineEdit*>(QLatin1String(box));
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(QApplication::focusWidget() ? QApplication::focusWidget() : edit, text);
}

void click(QDialog& dialog, const char* button)
{
    dialog.findChild<QPushButton*>(QLatin1String(button))->click();
}

} // namespace

TEST(EarthworkLauncher, RefusesWithoutCells)
{
    for (const char* item :
         {"mnuEarthworkGross", "mnuEarthworkBalance", "mnuEarthworkSloped", "mnuEditSuspects"}) {
        Window w(1, 1);
        w.window.mnuFileNew_Click(); // no grid at all
        w.trigger(item);
        EXPECT_EQ(w.prompts->messages, QStringList{msg::DataIncomplete}) << item;
        EXPECT_EQ(w.prompts->modalRuns, 0) << item;
    }
    for (const char* item : {"mnuEarthworkGross", "mnuEarthworkBalance", "mnuEarthworkSloped"}) {
        Window w(1, 4); // a row of nodes has no cells
        w.trigger(item);
        EXPECT_EQ(w.prompts->messages, QStringList{msg::DataIncomplete}) << item;
    }
}

struct BadInput
{
    const char* item;
    const char* box;
    const char* text;
};

class EarthworkBadInput : public testing::TestWithParam<BadInput>
{
};

TEST_P(EarthworkBadInput, GetsTheInputErrorAndKeepsTheDialogAndItsFigures)
{
    const BadInput& c = GetParam();
    Window w;
    QString before, after;
    w.prompts->onModal = [&](QDialog& d) {
        before = d.findChild<QLabel*>(QStringLiteral("lblValue1"))->text();
        typeInto(d, c.box, QString::fromUtf8(c.text));
        click(d, "cmdCompute");
        after = d.findChild<QLabel*>(QStringLiteral("lblValue1"))->text();
        EXPECT_TRUE(d.isVisible() || d.result() != QDialog::Accepted);
    };
    w.trigger(c.item);
    EXPECT_EQ(w.prompts->messages, QStringList{msg::InputError});
    EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(Boxes, EarthworkBadInput,
                         testing::Values(BadInput{"mnuEarthworkGross", "txtK", "0"},
                                         BadInput{"mnuEarthworkGross", "txtPlatform", "high"},
                                         BadInput{"mnuEarthworkGross", "txtPlatform", "1e39"},
                                         BadInput{"mnuEarthworkGross", "txtPlatform", "3e38"},
                                         BadInput{"mnuEarthworkSloped", "txtSlopeX", "150"},
                                         BadInput{"mnuEarthworkSloped", "txtSlopeY", "-100.5"},
                                         BadInput{"mnuEarthworkBalance", "txtK", "-1"},
                                         BadInput{"mnuEditSuspects", "txtFloor", "x"}));

TEST(EarthworkLauncher, ComputesTypedPlatformAndPrintsWhatTheDialogShows)
{
    Window w(2, 2);
    auto& z = w.window.project().Nodes;
    z[1].Z = z[3].Z = 0;
    z[2].Z = z[4].Z = 4;
    QStringList summary, cell;
    w.prompts->onModal = [&](QDialog& d) {
        typeInto(d, "txtPlatform", QStringLiteral("1"));
        click(d, "cmdCompute");
        for (int i = 0; i < 8; ++i)
            summary << d.findChild<QLabel*>(QStringLiteral("lblValue%1").arg(i))->text();
        const auto* model = d.findChild<QTableView*>(QStringLiteral("grdCells"))->model();
        for (int c = 0; c < 4; ++c)
            cell << model->index(0, c).data().toString();
        click(d, "cmdPrint");
        click(d, "cmdOK");
    };
    w.trigger("mnuEarthworkGross");
    w.window.waitForPrints();
    EXPECT_EQ(summary, (QStringList{"100", "0-0-25", "1.000", "1.00", "112.50", "-12.50",
                                    "100.00", "0.00"}));
    EXPECT_EQ(cell, (QStringList{"1", "112.50", "-12.50", "100.00"}));
    const QStringList texts = w.printed.texts(0);
    EXPECT_TRUE(texts.contains(QStringLiteral("ปริมาตรดินตัด-ดินถมแบบแยก")));
    EXPECT_TRUE(texts.contains(QStringLiteral("112.50")));
    EXPECT_EQ(w.printed.documents(), 1);
}

TEST(EarthworkLauncher, NodeListMarksATypedSlipWithItsNeighboursMedian)
{
    Window w;
    w.trigger("mnuEditChoice_4");
    NodeEntryDialog* list = w.window.nodeEntryDialog();
    ASSERT_NE(list, nullptr);
    NodeTableModel* model = list->model();
    const QModelIndex node13 = model->index(12, NodeTableModel::Elevation);
    EXPECT_FALSE(model->data(node13, Qt::BackgroundRole).isValid());

    list->grid()->setCurrentIndex(node13);
    auto* box = list->findChild<QLineEdit*>(QStringLiteral("txtNodes"));
    box->setFocus();
    box->clear();
    QTest::keyClicks(QApplication::focusWidget() ? QApplication::focusWidget() : box,
                     QStringLiteral("1001.92"));
    EXPECT_TRUE(model->data(node13, Qt::BackgroundRole).isValid());
    EXPECT_TRUE(
        model->data(node13, Qt::ToolTipRole).toString().contains(QStringLiteral("101.300")));

    box->clear();
    QTest::keyClicks(QApplication::focusWidget() ? QApplication::focusWidget() : box,
                     QStringLiteral("101.3"));
    EXPECT_FALSE(model->data(node13, Qt::BackgroundRole).isValid());
}

// Each dialog: its name, the warning line, how many summary lines, the fixed grade's box.
TEST(EarthworkLauncher, WarnsOfSlipsAndEscapeCancelsTheFixedGrade)
{
    Window w;
    w.window.project().Nodes[13].Z = 1001.92f;
    w.window.project().FixGradeElevation = 7;
    QStringList shown;
    int inputs = 0;
    w.prompts->onModal = [&](QDialog& d) {
        const auto* warning = d.findChild<QLabel*>(QStringLiteral("lblSuspects"));
        const auto* box = d.findChild<QLineEdit*>(QStringLiteral("txtElevUse"));
        shown << QStringList{d.objectName(), warning ? warning->text() : QString(),
                             QString::number(
                                 d.findChildren<QLabel*>(QRegularExpression("^lblValue")).size()),
                             box ? box->text() : QString()}
                     .join(' ');
        if (box) {
            d.show();
            QApplication::setActiveWindow(&d);
            QTest::keyClick(QApplication::focusWidget(),
                            inputs++ ? Qt::Key_Return : Qt::Key_Escape);
        } else if (warning) {
            click(d, "cmdSuspects");
        }
    };
    for (const char* item : {"mnuEarthworkBalance", "GradeElevChoice_2", "GradeElevChoice_2",
                             "mnuEarthworkBalance", "GradeElevChoice_1", "mnuEarthworkGross"})
        w.trigger(item);
    const QString warned = QStringLiteral(" มีค่าระดับผิดปกติ 1 จุด ");
    const QString list = QStringLiteral("frmSuspectHeights  4 ");
    EXPECT_EQ(shown,
              (QStringList{"frmBalanceCurve" + warned + "7 ", list, "frmInputGrade  0 7",
                           "frmInputGrade  0 7", "frmResGradeFix" + warned + "0 ", list,
                           "frmBalanceCurve" + warned + "9 ", list, "frmResGrade" + warned + "0 ",
                           list, "frmGrossEarthwork" + warned + "12 ", list}));
}
