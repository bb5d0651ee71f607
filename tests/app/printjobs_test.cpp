#include "app/mainwindow.h"
#include "common/messages.h"
#include "printing/cairopdfbackend.h"
#include "printing/ui/printjobs.h"
#include "support/fakeprompts.h"
#include "support/printto.h"
#include "support/terrain.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tervan;

// Printing runs on a worker: the window keeps answering, shows the pages done, cancels, and
// asks before it closes over an unfinished print.

namespace {

// A shown window holding a terrain of fine contours, printing its pages to one PDF file.
struct PrintingWindow
{
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("pages.pdf"));
    FakePrompts* prompts = new FakePrompts;
    MainWindow window{std::unique_ptr<Prompts>(prompts)};

    explicit PrintingWindow(qint16 size = 91, float interval = 0.02f)
    {
        window.project() = terrain(size, size, 10);
        window.project().ContourInterval = interval;
        window.setPrintOutput([this](Prompts&) { return std::make_unique<CairoPdfBackend>(file); });
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    // The Print menu's contour page, as the user picks it.
    void printContours() { window.menuItem(QStringLiteral("GraphicPrint_2"))->trigger(); }
    QPushButton* cancelButton()
    {
        return window.statusBar()->findChild<QPushButton*>(QStringLiteral("cmdPrintCancel"));
    }
    QString progress()
    {
        return window.statusBar()->findChild<QLabel*>(QStringLiteral("lblPrintProgress"))->text();
    }
};

} // namespace

// A heartbeat timer keeps beating while a long contour page is written; the status bar counts
// its pages; the file and the status line follow.
TEST(PrintJobs, WindowKeepsAnsweringWhilePrinting)
{
    PrintingWindow w;
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    QStringList shown;
    QTimer heartbeat;
    heartbeat.setInterval(5);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
        if (w.cancelButton()->isVisible() && !shown.contains(w.progress()))
            shown << w.progress();
    });
    QEventLoop loop;
    QObject::connect(&w.window.printJobs(), &PrintJobs::finished, &loop, &QEventLoop::quit);
    clock.start();
    heartbeat.start();
    w.printContours();
    loop.exec();
    EXPECT_LT(longest, 200); // the bench holds it to 50 ms on a quiet machine
    EXPECT_TRUE(shown.contains(QStringLiteral("กำลังพิมพ์ หน้า 0 / 1")))
        << shown.join('|').toStdString();
    EXPECT_TRUE(QFile::exists(w.file));
    QTest::qWait(150);
    EXPECT_FALSE(w.cancelButton()->isVisible());
    EXPECT_TRUE(w.window.statusBar()->currentMessage().startsWith(QStringLiteral("บันทึก 1 หน้า")));
}

// Cancelling leaves no file behind, or the file printed before as it was.
TEST(PrintJobs, CancelLeavesTheFileAsItWas)
{
    for (const QByteArray& before : {QByteArray(), QByteArray("earlier pages")}) {
        PrintingWindow w(121, 0.01f);
        if (!before.isEmpty()) {
            QFile old(w.file);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write(before);
        }
        w.printContours();
        QTest::qWait(120); // the progress shows with the first poll
        ASSERT_TRUE(w.cancelButton()->isVisible());
        QTest::mouseClick(w.cancelButton(), Qt::LeftButton);
        w.window.waitForPrints();
        QFile file(w.file);
        EXPECT_EQ(file.exists(), !before.isEmpty());
        if (file.open(QIODevice::ReadOnly)) {
            EXPECT_EQ(file.readAll(), before);
        }
        EXPECT_EQ(w.window.statusBar()->currentMessage(), QStringLiteral("ยกเลิกการพิมพ์แล้ว"));
        EXPECT_TRUE(w.prompts->messages.isEmpty());
        EXPECT_EQ(QDir(w.dir.path()).entryList(QDir::Files | QDir::Hidden).size(),
                  before.isEmpty() ? 0 : 1); // no half-written file beside it
    }
}

// Closing the window over an unfinished print asks; no keeps window and print, yes cancels.
TEST(PrintJobs, ClosingOverAPrintAsks)
{
    for (const bool cancel : {false, true}) {
        PrintingWindow w(121, 0.01f);
        w.prompts->answers = {cancel};
        w.printContours();
        const bool closed = w.window.close();
        EXPECT_EQ(closed, cancel);
        EXPECT_EQ(w.prompts->questions,
                  QStringList{QStringLiteral("ยังพิมพ์ไม่เสร็จ ต้องการยกเลิกการพิมพ์หรือไม่")});
        EXPECT_EQ(w.window.printJobs().busy(), !cancel);
        w.window.waitForPrints();
        EXPECT_EQ(QFile::exists(w.file), !cancel);
    }
}
