#include "app/mainwindow.h"
#include "printing/cairopdfbackend.h"
#include "printing/ui/printjobs.h"
#include "support/fakeprompts.h"
#include "support/terrain.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>

using namespace tervan;

// A contour page printed to PDF, left to finish or cut short by the cancel button or by closing
// (which asks): the window's event loop keeps turning while the page is drawn, and a print cut
// short leaves the file as it was. How long the loop waits is measured in bench/.
TEST(PrintJobs, PrintsOnAWorkerAndStopsCleanly)
{
    const struct
    {
        const char* what;
        QByteArray before;
        std::optional<bool> closeAnswer; // none: the cancel button
        bool finishes;
    } rows[] = {
        {"left to finish", "earlier pages", false, true},
        {"cancel, no earlier file", {}, {}, false},
        {"cancel over an earlier file", "earlier pages", {}, false},
        {"close, cancelling", "earlier pages", true, false},
    };
    for (const auto& row : rows) {
        QTemporaryDir dir;
        const QString name = dir.filePath("pages.pdf");
        auto* prompts = new FakePrompts;
        MainWindow window{std::unique_ptr<Prompts>(prompts)};
        window.project() = terrain(181, 181, 10);
        window.project().ContourInterval = 0.01f;
        window.setPrintOutput([&](Prompts&) { return std::make_unique<CairoPdfBackend>(name); });
        window.show();
        QFile file(name);
        if (!row.before.isEmpty()) {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(row.before);
            file.close();
        }
        int beatsWhileBusy = 0;
        QTimer heartbeat;
        QObject::connect(&heartbeat, &QTimer::timeout,
                         [&] { beatsWhileBusy += window.printJobs().busy(); });
        heartbeat.start(5);
        window.menuItem(QStringLiteral("GraphicPrint_2"))->trigger();
        EXPECT_TRUE(window.printJobs().busy()) << row.what; // the command returned first
        QTest::qWait(150); // the progress shows with the first poll
        auto* cancel = window.statusBar()->findChild<QPushButton*>("cmdPrintCancel");
        ASSERT_TRUE(cancel->isVisible()) << row.what;
        EXPECT_EQ(window.statusBar()->findChild<QLabel*>("lblPrintProgress")->text(),
                  QStringLiteral("กำลังพิมพ์ หน้า 0 / 1"));
        if (row.closeAnswer) {
            prompts->answers = {*row.closeAnswer};
            EXPECT_EQ(window.close(), *row.closeAnswer) << row.what;
            EXPECT_EQ(prompts->questions.size(), 1) << row.what;
            EXPECT_EQ(window.printJobs().busy(), row.finishes) << row.what;
        } else {
            QTest::mouseClick(cancel, Qt::LeftButton);
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return !cancel->isVisible(); }, 60000));
        EXPECT_GT(beatsWhileBusy, 0) << row.what;
        EXPECT_TRUE(prompts->messages.isEmpty()) << row.what;
        EXPECT_EQ(window.statusBar()->currentMessage().startsWith(QStringLiteral("บันทึก 1 หน้า")),
                  row.finishes)
            << row.what;
        ASSERT_EQ(file.open(QIODevice::ReadOnly), row.finishes || !row.before.isEmpty());
        EXPECT_EQ(file.isOpen() && file.readAll() == row.before, !row.finishes && file.isOpen());
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(),
                  file.isOpen() ? 1 : 0);
    }
}
