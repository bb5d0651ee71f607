#include "common/messages.h"
#include "grading/grading.h"
#include "grading/ui/graderesultdialog.h"
#include "grading/ui/inputgradedialog.h"
#include "project/controldata.h"
#include "project/project.h"
#include "support/fakeprompts.h"
#include "support/printto.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

Project example()
{
    Project p = startupProject();
    applyControlData(p, {10, 2, 3, 1});
    const float z[] = {0, 0, 0, 4, 4, 8};
    for (int n = 1; n <= 6; ++n)
        p.Nodes[n].Z = z[n - 1];
    return p;
}

QString text(QWidget& d, const char* name)
{
    return d.findChild<QLabel*>(QLatin1String(name))->text();
}

QStringList row(QWidget& d, int r)
{
    const auto* model = d.findChild<QTableView*>("grdNodes")->model();
    QStringList out;
    for (int c = 0; c < model->columnCount(); ++c)
        out << model->index(r, c).data().toString();
    return out;
}

} // namespace

TEST(GradeResultDialog, ShowsTheBalancedExample)
{
    Project p = example();
    AutoGradeElev(p);
    GradeResultDialog d(p, GradeResultDialog::Grade::Balanced);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("ผลลัพธ์การปรับระดับพื้นที่ แบบพื้นที่เรียบเสมอกัน"));
    EXPECT_EQ((QStringList{text(d, "lblSumArea"), text(d, "lblGradeElev"), text(d, "lblCutVol"),
                           text(d, "lblFillVol")}),
              (QStringList{"200", "2.500", "50.00", "-50.00"}));
    const auto* model = d.findChild<QTableView*>("grdNodes")->model();
    EXPECT_EQ(model->rowCount(), 2);
    EXPECT_EQ(row(d, 0), (QStringList{"1", "2.000", "-50.00"}));
    EXPECT_EQ(row(d, 1), (QStringList{"2", "3.000", "50.00"}));
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(),
              QStringLiteral("ปริมาตรดินตัด - ดินถมของแต่ละกริด (ลบ.ม.)"));
}

TEST(GradeResultDialog, FixedGradeReadsItsOwnResults)
{
    Project p = example();
    AutoGradeElev(p);
    p.FixGradeElevation = 12.5f;
    FixGradeElev(p);
    GradeResultDialog d(p, GradeResultDialog::Grade::Fixed);
    EXPECT_EQ(d.objectName(), "frmResGradeFix");
    EXPECT_EQ(text(d, "lblGradeElev"), "12.500");
    EXPECT_EQ(row(d, 1), (QStringList{"2", "3.000", "-950.00"}));

    Project line = startupProject();
    applyControlData(line, {10, 1, 4, 1});
    FixGradeElev(line);
    GradeResultDialog empty(line, GradeResultDialog::Grade::Fixed);
    EXPECT_EQ(empty.findChild<QTableView*>("grdNodes")->model()->rowCount(), 0);
}

struct InputCase
{
    const char* typed;
    bool accepted;
    float stored;
};

class InputGrade : public ::testing::TestWithParam<InputCase>
{
};

TEST_P(InputGrade, TakesOnlyFiniteNumbers)
{
    const auto& c = GetParam();
    FakePrompts prompts;
    Project p = example();
    p.FixGradeElevation = 0;
    InputGradeDialog d(p, prompts);
    EXPECT_EQ(d.findChild<QLineEdit*>("txtElevUse")->text(), "0");
    d.findChild<QLineEdit*>("txtElevUse")->setText(QString::fromUtf8(c.typed));
    d.findChild<QPushButton*>("cmdOK")->click();
    EXPECT_EQ(d.result() == QDialog::Accepted, c.accepted);
    EXPECT_EQ(prompts.messages.isEmpty(), c.accepted);
    if (!c.accepted) {
        EXPECT_EQ(prompts.messages, QStringList{msg::InputError});
    }
    EXPECT_EQ(p.FixGradeElevation, c.stored);
}

INSTANTIATE_TEST_SUITE_P(Texts, InputGrade,
                         ::testing::Values(InputCase{"12.5", true, 12.5f},
                                           InputCase{"-3", true, -3}, InputCase{"", false, 0},
                                           InputCase{"abc", false, 0}, InputCase{"1e39", false, 0},
                                           InputCase{"nan", false, 0},
                                           // Volumes of 100 m² cells would overflow.
                                           InputCase{"3e37", false, 0},
                                           InputCase{"1e35", true, 1e35f}));
