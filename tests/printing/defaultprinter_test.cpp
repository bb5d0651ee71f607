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

// Prints through the real default-printer path: each document of a report becomes a print
// job, which a PDF printer (set up by scripts/setup-printer.sh) turns into a file.
TEST(DefaultPrinter, EveryDocumentBecomesAJobOfItsOwn)
{
    const QString dir = qEnvironmentVariable("TERVAN_PDF_DIR");
    if (dir.isEmpty() || QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "no PDF default printer: run scripts/setup-printer.sh and set "
                        "TERVAN_PDF_DIR to test printing end to end";

    Project p = startupProject();
    applyControlData(p, {10, 5, 5, 1}); // 25 nodes: control data, then two node pages
    const QStringList before = pdfsIn(dir);
    FakePrompts prompts;
    {
        auto output = openPrintOutput(prompts);
        ASSERT_NE(output, nullptr);
        PageSurface page(*output);
        DataPrint(page, p, 4);
        ASSERT_TRUE(output->finish());
    }
    EXPECT_TRUE(prompts.questions.isEmpty());

    QStringList fresh;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 60000) {
        fresh.clear();
        for (const QString& name : pdfsIn(dir))
            if (!before.contains(name))
                fresh << name;
        if (fresh.size() >= 3 && std::all_of(fresh.begin(), fresh.end(), [&dir](const QString& n) {
                return isCompletePdf(dir + QLatin1Char('/') + n);
            }))
            break;
        QThread::msleep(200);
    }
    EXPECT_EQ(fresh.size(), 3) << fresh.join(' ').toStdString();
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
