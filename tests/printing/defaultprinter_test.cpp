#include "printing/pagesurface.h"
#include "printing/reports.h"
#include "printing/ui/printoutput.h"
#include "project/controldata.h"
#include "project/project.h"
#include "support/fakeprompts.h"
#include "support/printto.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

QStringList pdfsIn(const QString& dir)
{
    return QDir(dir).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
}

bool isCompletePdf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    return bytes.startsWith("%PDF") && bytes.trimmed().endsWith("%%EOF");
}

} // namespace

// Prints through the real default-printer path: each report becomes one print job named after
// it, which the PDF queue of a private scheduler (scripts/setup-printer.sh, found through
// CUPS_SERVER) turns into one file.
TEST(DefaultPrinter, EveryReportBecomesOneJobNamedAfterIt)
{
    const QString dir = qEnvironmentVariable("TERVAN_PDF_DIR");
    if (dir.isEmpty() || qEnvironmentVariable("CUPS_SERVER").isEmpty() ||
        QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "no private PDF printer: run scripts/setup-printer.sh start DIR and set "
                        "CUPS_SERVER and TERVAN_PDF_DIR to test printing end to end";

    Project p = startupProject();
    applyControlData(p, {10, 5, 5, 1}); // 25 nodes: control data, then two node pages
    const QStringList before = pdfsIn(dir);
    FakePrompts prompts;
    int pages = 0;
    {
        auto output = openPrintOutput(prompts);
        ASSERT_NE(output, nullptr);
        PageSurface page(*output);
        DataPrint(page, p, 4);
        page.endDocument();
        ASSERT_TRUE(output->finish());
        pages = output->pageCount();
    }
    EXPECT_TRUE(prompts.questions.isEmpty());
    EXPECT_EQ(pages, 3);

    QStringList fresh;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 60000) {
        fresh.clear();
        for (const QString& name : pdfsIn(dir))
            if (!before.contains(name))
                fresh << name;
        if (fresh.size() >= 2 && std::all_of(fresh.begin(), fresh.end(), [&dir](const QString& n) {
                return isCompletePdf(dir + QLatin1Char('/') + n);
            }))
            break;
        QThread::msleep(200);
    }
    // The queue names its files job_<id>-<job title>, blanks made "_".
    ASSERT_EQ(fresh.size(), 2) << fresh.join(' ').toStdString();
    for (const QString& title :
         {QStringLiteral("ข้อมูลควบคุม"), QStringLiteral("พิกัดจุดต่อ_และข้อมูลค่าระดับ")})
        EXPECT_TRUE(std::any_of(fresh.begin(), fresh.end(),
                                [&title](const QString& name) {
                                    return name.endsWith(
                                        QStringLiteral("-TERVAN_%1.pdf").arg(title));
                                }))
            << title.toStdString() << " among " << fresh.join(' ').toStdString();
}

TEST(DefaultPrinter, WithoutAPrinterTheReportCanGoToAPdf)
{
    const QString question = QStringLiteral("ไม่พบเครื่องพิมพ์ ต้องการบันทึกเป็นแฟ้ม PDF หรือไม่");
    FakePrompts declined;
    EXPECT_EQ(openPrintOutput(declined, QPrinterInfo()), nullptr);
    EXPECT_EQ(declined.questions, QStringList{question});

    FakePrompts cancelled;
    cancelled.answers = {true};
    EXPECT_EQ(openPrintOutput(cancelled, QPrinterInfo()), nullptr);

    QTemporaryDir dir;
    FakePrompts accepted;
    accepted.answers = {true};
    accepted.saveAnswers = {dir.filePath("report")};
    Project p = startupProject();
    applyControlData(p, {10, 5, 5, 1});
    {
        auto output = openPrintOutput(accepted, QPrinterInfo());
        ASSERT_NE(output, nullptr);
        PageSurface page(*output);
        DataPrint(page, p, 4);
        EXPECT_TRUE(output->finish());
    }
    EXPECT_TRUE(isCompletePdf(dir.filePath("report.pdf")));

    // A file that cannot be written is a failed print, not a silent one.
    FakePrompts unwritable;
    unwritable.answers = {true};
    unwritable.saveAnswers = {dir.filePath("no/such/folder/report.pdf")};
    auto output = openPrintOutput(unwritable, QPrinterInfo());
    ASSERT_NE(output, nullptr);
    PageSurface page(*output);
    PrintControl(page, p);
    EXPECT_FALSE(output->finish());
}

// A PDF picked in the file dialog is only replaced when the user says so.
struct ReplaceCase
{
    bool exists;
    QList<bool> answers;
    bool opened;
    int questions;
};

class PdfReplace : public ::testing::TestWithParam<ReplaceCase>
{
};

TEST_P(PdfReplace, AsksBeforeReplacingAnExistingFile)
{
    const ReplaceCase c = GetParam();
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("site.pdf"));
    if (c.exists) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("kept");
    }
    FakePrompts prompts;
    prompts.saveAnswers << dir.filePath(QStringLiteral("site"));
    prompts.answers = c.answers;
    auto output = openPdfOutput(prompts);
    EXPECT_EQ(output != nullptr, c.opened);
    EXPECT_EQ(prompts.questions.size(), c.questions);
    EXPECT_FALSE(prompts.lastFilter.contains(QStringLiteral("File")));
    output.reset();
    if (c.exists && !c.opened) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), QByteArray("kept"));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PdfReplace,
                         ::testing::Values(ReplaceCase{false, {}, true, 0},
                                           ReplaceCase{true, {false}, false, 1},
                                           ReplaceCase{true, {true}, true, 1}));
