#include "app/mainwindow.h"
#include "common/messages.h"
#include "grading/reportplan.h"
#include "project/projectfile.h"
#include "support/clirun.h"
#include "support/fakeprompts.h"
#include "support/files.h"
#include "support/printto.h"
#include "support/recordedprints.h"
#include "support/terrain.h"

#include <QAction>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

// One print command on one project, as both front ends must answer it: refused with the
// incomplete-data message, printed whole, or printed without the balanced report that a grid
// without cells lacks (the message then says so).
struct PlanRow
{
    const char* name;
    qint16 rows, cols;
    float platform;
    const char* report; // the batch front end's report name
    const char* item;   // the window's Print menu item
    bool refused;
    int documents; // printed by the window: one PDF page each here
    bool leftOut;
};

const PlanRow PlanRows[] = {
    {"RowAllGradesPrintsTheFixedAlone", 1, 4, 101, "grades", "GradePrint_4", false, 1, true},
    {"RowBalancedIsRefused", 1, 4, 101, "grade-balanced", "GradePrint_1", true, 0, false},
    {"RowFixedPrints", 1, 4, 101, "grade-fixed", "GradePrint_2", false, 1, false},
    {"ColumnAllGradesPrintsTheFixedAlone", 3, 1, 101, "grades", "GradePrint_4", false, 1, true},
    {"CellsPrintBothGrades", 2, 3, 101, "grades", "GradePrint_4", false, 2, false},
    {"OverflowingPlatformIsRefused", 2, 3, 3e38f, "grades", "GradePrint_4", true, 0, false},
    {"OverflowingPlatformLeavesTheBalanced", 2, 3, 3e38f, "grade-balanced", "GradePrint_1", false,
     1, false},
    {"RowDataPrints", 1, 4, 101, "data", "DataPrint_4", false, 2, false},
};

class ReportPlans : public ::testing::TestWithParam<PlanRow>
{
};

} // namespace

TEST_P(ReportPlans, WindowAndBatchAgree)
{
    const PlanRow& row = GetParam();
    Project p = terrain(row.rows, row.cols, 10);
    p.FixGradeElevation = row.platform;
    const QStringList told =
        row.refused || row.leftOut ? QStringList{msg::DataIncomplete} : QStringList{};

    FakePrompts* prompts = new FakePrompts;
    MainWindow window{std::unique_ptr<Prompts>(prompts)};
    RecordingPage printed;
    window.setPrintOutput(
        [&printed](Prompts&) { return std::make_unique<ForwardingPage>(printed); });
    window.project() = p;
    window.menuItem(QLatin1String(row.item))->trigger();
    window.waitForPrints();
    EXPECT_EQ(prompts->messages, told);
    EXPECT_EQ(printed.documents(), row.documents);
    if (row.leftOut) { // the report printed is the fixed one
        EXPECT_TRUE(printed.texts(0).join(' ').contains(QStringLiteral("ผู้ใช้กำหนดค่าระดับ")));
    }

    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("site"));
    ASSERT_FALSE(saveProjectFiles(p, projectFileNames(base)));
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    const CliRun batch = run({"print", row.report, base, "-o", pdf, "--platform",
                              QString::number(double(row.platform), 'g', 9)});
    EXPECT_EQ(batch.status, told.isEmpty() ? 0 : 1);
    EXPECT_EQ(batch.err, told.isEmpty() ? QString() : "tervan-cli: " + told[0] + "\n");
    EXPECT_EQ(QFile::exists(pdf), !row.refused);
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
    EXPECT_EQ(QString::fromLatin1(readBytes(pdf)).count(page), row.refused ? 0 : row.documents);
}

INSTANTIATE_TEST_SUITE_P(Reports, ReportPlans, ::testing::ValuesIn(PlanRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The project is graded as the report grades its copy, and only once an output was opened:
// a printer dialog cancelled leaves the project as it was.
TEST(ReportPlans, TheProjectIsGradedOnlyWhenTheReportGoesOut)
{
    for (bool opened : {false, true}) {
        FakePrompts* prompts = new FakePrompts;
        MainWindow window{std::unique_ptr<Prompts>(prompts)};
        RecordingPage printed;
        window.setPrintOutput([&](Prompts&) -> std::unique_ptr<PageBackend> {
            if (!opened)
                return nullptr;
            return std::make_unique<ForwardingPage>(printed);
        });
        window.project() = terrain(3, 4, 10);
        const Project before = window.project();
        window.menuItem(QStringLiteral("GradePrint_4"))->trigger();
        window.waitForPrints();
        SCOPED_TRACE(opened);
        EXPECT_EQ(window.project() == before, !opened);
        EXPECT_EQ(window.project().AutoCellVolume.size(),
                  opened ? 7u : before.AutoCellVolume.size());
        EXPECT_EQ(window.project().FixCellVolume.size(), opened ? 7u : before.FixCellVolume.size());
        EXPECT_EQ(printed.documents(), opened ? 2 : 0);
    }
}
