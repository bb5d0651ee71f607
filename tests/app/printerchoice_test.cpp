#include "app/mainwindow.h"
#include "common/messages.h"
#include "project/controldata.h"
#include "support/fakeprompts.h"
#include "support/printto.h"
#include "support/recordedprints.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPrintDialog>
#include <QStatusBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

// Picks "print to file" in the print dialog, as a user would, and confirms.
void pickPdfInDialog(QDialog& dialog, const QString& file)
{
    ASSERT_NE(qobject_cast<QPrintDialog*>(&dialog), nullptr);
    dialog.show(); // the dialog lists the printers when it is shown
    auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers"));
    ASSERT_NE(printers, nullptr);
    const int pdf = printers->count() - 1; // the file entry comes last
    ASSERT_GE(pdf, 0);
    printers->setCurrentIndex(pdf);
    if (auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("filename")))
        name->setText(file);
    dialog.accept();
}

} // namespace

// The File menu's printer choice holds for every later print, and the status bar says where
// the pages went.
TEST(PrinterChoice, PickedOutputHoldsAndTheStatusBarSaysWhereThePagesWent)
{
    QTemporaryDir dir;
    auto* prompts = new FakePrompts;
    MainWindow window{std::unique_ptr<Prompts>(prompts)};
    window.mnuFileNew_Click();
    applyControlData(window.project(), {10, 5, 5, 1});

    prompts->onModal = [&dir](QDialog& d) { pickPdfInDialog(d, dir.filePath("dialog.pdf")); };
    window.menuItem(QStringLiteral("mnuFilePrinter"))->trigger();
    EXPECT_EQ(prompts->modalRuns, 1);
    prompts->onModal = nullptr;

    for (const char* name : {"first.pdf", "second.pdf"}) {
        prompts->saveAnswers = {dir.filePath(name)};
        window.DataPrint_Click(4);
        window.waitForPrints();
        EXPECT_TRUE(QFile::exists(dir.filePath(name)));
        EXPECT_EQ(window.statusBar()->currentMessage(),
                  QStringLiteral("บันทึก 3 หน้า ลงแฟ้ม %1")
                      .arg(QDir::toNativeSeparators(dir.filePath(name))));
    }
    // Picked, not fallen back to: no question about a missing printer; the save dialog starts
    // from the file named in the print dialog.
    EXPECT_TRUE(prompts->questions.isEmpty());
    EXPECT_EQ(prompts->pickedFrom.value(0), dir.filePath("dialog.pdf"));
    EXPECT_EQ(prompts->modalRuns, 1);
    EXPECT_TRUE(prompts->messages.isEmpty());

    // A cancelled dialog keeps the earlier pick.
    window.menuItem(QStringLiteral("mnuFilePrinter"))->trigger();
    prompts->saveAnswers = {dir.filePath("third.pdf")};
    window.DataPrint_Click(1);
    window.waitForPrints();
    EXPECT_TRUE(QFile::exists(dir.filePath("third.pdf")));
}

struct RefusedCase
{
    const char* what;
    qint16 spacing;
    float z;
    std::function<void(MainWindow&)> command;
};

class GradingRefused : public ::testing::TestWithParam<RefusedCase>
{
};

// Grades that come out in no numbers are refused before anything is shown or printed.
TEST_P(GradingRefused, WithTheIncompleteDataMessage)
{
    const RefusedCase& c = GetParam();
    auto* prompts = new FakePrompts;
    MainWindow window{std::unique_ptr<Prompts>(prompts)};
    RecordingPage printed;
    int outputs = 0;
    window.setPrintOutput([&](Prompts&) {
        ++outputs;
        return std::make_unique<ForwardingPage>(printed);
    });
    window.mnuFileNew_Click();
    applyControlData(window.project(), {c.spacing, 3, 3, 1});
    for (int n = 1; n <= window.project().NodeCount; ++n)
        window.project().Nodes[n].Z = c.z;
    c.command(window);
    EXPECT_EQ(prompts->messages, QStringList{msg::DataIncomplete}) << c.what;
    EXPECT_EQ(prompts->modalRuns, 0) << c.what;
    EXPECT_EQ(outputs, 0) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, GradingRefused,
    ::testing::Values(
        RefusedCase{"balanced, spacing 0", 0, 5, [](MainWindow& w) { w.GradeElevChoice_Click(1); }},
        RefusedCase{"fixed, spacing 0", 0, 5, [](MainWindow& w) { w.GradeElevChoice_Click(2); }},
        RefusedCase{"print all, spacing 0", 0, 5, [](MainWindow& w) { w.GradePrint_Click(4); }},
        RefusedCase{"balanced, sums overflow", 10, 3e38f,
                    [](MainWindow& w) { w.GradeElevChoice_Click(1); }},
        RefusedCase{"fixed print, sums overflow", 10, 3e38f,
                    [](MainWindow& w) { w.GradePrint_Click(2); }}));
