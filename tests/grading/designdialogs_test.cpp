#include "common/messages.h"
#include "grading/designsurface.h"
#include "grading/ui/designdialogs.h"
#include "project/controldata.h"
#include "project/project.h"
#include "support/fakeprompts.h"
#include "support/printto.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace tervan;

namespace {

// 4 x 5 nodes at 10 m on a slope rising 1 m a column.
Project slopedSite()
{
    Project p = startupProject();
    applyControlData(p, {10, 4, 5, 1});
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = float((n - 1) % 5);
    return p;
}

QString value(QWidget& d, int line)
{
    return d.findChild<QLabel*>(QStringLiteral("lblValue%1").arg(line))->text();
}

// Clicks into the box, replaces its text by typing, and presses the compute button, as a user.
void typeAndCompute(QDialog& d, const char* box, const QString& text)
{
    auto* edit = d.findChild<QLineEdit*>(QLatin1String(box));
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), text);
    QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("cmdCompute")), Qt::LeftButton);
}

struct BadInput
{
    const char* dialog; // "pad" or "compare"
    const char* box;
    const char* text;
};

class DesignDialogInput : public testing::TestWithParam<BadInput>
{
};

std::unique_ptr<DesignDialogBase> open(const char* which, const Project& p, FakePrompts& prompts)
{
    if (QLatin1String(which) == QLatin1String("pad"))
        return std::make_unique<PadDialog>(p, prompts);
    EarthworkGrid design = earthworkGrid(p);
    for (double& z : design.h)
        z = 2;
    return std::make_unique<CompareDialog>(p, prompts, design, QStringLiteral("after.gnd"));
}

} // namespace

TEST_P(DesignDialogInput, RefusedWithTheInputErrorAndTheDialogStaysAsItWas)
{
    const BadInput c = GetParam();
    const Project p = slopedSite();
    FakePrompts prompts;
    auto d = open(c.dialog, p, prompts);
    d->show();
    QApplication::setActiveWindow(d.get());
    const int lines = int(d->summaryLines().size());
    QStringList before;
    for (int i = 0; i < lines; ++i)
        before << value(*d, i);
    typeAndCompute(*d, c.box, QString::fromUtf8(c.text));
    EXPECT_EQ(prompts.messages, QStringList{msg::InputError});
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), d->findChild<QLineEdit*>(QLatin1String(c.box)));
    for (int i = 0; i < lines; ++i)
        EXPECT_EQ(value(*d, i), before[i]);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, DesignDialogInput,
    testing::Values(BadInput{"pad", "txtCutSlope", "0"}, BadInput{"pad", "txtFillSlope", "-2"},
                    BadInput{"pad", "txtCutSlope", "two"}, BadInput{"pad", "txtK", "0"},
                    BadInput{"pad", "txtLevel", "1O1"}, BadInput{"pad", "txtC0", "2.5"},
                    // First column on the last one: a pad without a cell.
                    BadInput{"pad", "txtC1", "1"}, BadInput{"pad", "txtR1", "9"},
                    BadInput{"compare", "txtK", "-1"}, BadInput{"compare", "txtK", "x"}));

TEST(PadDialog, TypedLevelAndRectangleGiveThePadsFigures)
{
    const Project p = slopedSite();
    FakePrompts prompts;
    PadDialog d(p, prompts);
    d.show();
    QApplication::setActiveWindow(&d);
    // Starts balanced on the middle third.
    EXPECT_TRUE(d.pad().balanced);
    EXPECT_EQ(value(d, 0), QStringLiteral("1,1 - 3,2"));
    typeAndCompute(d, "txtLevel", QStringLiteral("2"));
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_EQ(value(d, 1), QStringLiteral("2.000"));
    const PadResult expected = padAt(earthworkGrid(p), {1, 1, 3, 2}, 2, {1.5, 2}, 1);
    EXPECT_EQ(d.summaryLines()[7].value,
              QStringLiteral("%1").arg(expected.earthwork.gross.cut, 0, 'f', 2));
    EXPECT_EQ(d.findChild<QTableView*>(QStringLiteral("grdCells"))->model()->rowCount(), 12);
    ASSERT_TRUE(d.map().pad.has_value());
    EXPECT_EQ(d.map().pad->c1, 3);
}
