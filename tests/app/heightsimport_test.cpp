#include "app/heightscommands.h"
#include "project/controldata.h"
#include "project/project.h"
#include "support/fakeprompts.h"
#include "support/printto.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

// The import command on a 2 x 3 grid at 5 m, every height 50, answering the file dialog
// with a file of the given text, the column-order question with keys, and recording every
// list it shows.
struct Import
{
    QWidget window;
    QStatusBar* status = new QStatusBar(&window);
    FakePrompts prompts;
    Project project = [] {
        Project p = startupProject();
        applyControlData(p, {5, 2, 3, 1});
        for (int n = 1; n <= p.NodeCount; ++n)
            p.Nodes[n].Z = 50;
        return p;
    }();
    HeightsCommands commands{project, prompts, status, &window};
    QTemporaryDir dir;
    std::vector<int> orderKeys;
    QString sample;
    QStringList listed;

    Import()
    {
        prompts.onModal = [this](QDialog& d) {
            if (d.objectName() == "frmColumnOrder") {
                sample = d.findChild<QLabel*>("lblSample")->text();
                d.show();
                QApplication::setActiveWindow(&d);
                for (int key : orderKeys)
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
                return;
            }
            auto* list = d.findChild<QListWidget*>();
            for (int i = 0; i < list->count(); ++i)
                listed << list->item(i)->text();
            d.accept();
        };
    }
    bool returnedBeforeFinished = false;

    // Runs the import to its end.
    void run(const QByteArray& text)
    {
        QSignalSpy finished(&commands, &HeightsCommands::importFinished);
        QFile file(dir.filePath("heights.csv"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        prompts.openAnswers << file.fileName();
        commands.importHeights();
        returnedBeforeFinished = finished.isEmpty();
        if (returnedBeforeFinished) {
            ASSERT_TRUE(finished.wait(120000));
        }
    }
};

// Points on the grid either way round, answered from the keyboard; the file leaves four
// nodes as they were.
TEST(OrderQuestion, IsAnsweredFromTheKeyboard)
{
    const struct
    {
        std::vector<int> keys;
        std::vector<float> z; // nodes 1 to 6 afterwards
    } cases[] = {{{Qt::Key_Return}, {50, 2, 50, 1, 50, 50}},
                 {{Qt::Key_Down, Qt::Key_Return}, {50, 1, 50, 2, 50, 50}},
                 {{Qt::Key_Escape}, {50, 50, 50, 50, 50, 50}}};
    for (const auto& c : cases) {
        Import in;
        in.orderKeys = c.keys;
        in.run("0,5,1\n5,0,2\n");
        EXPECT_EQ(in.sample, "0,5,1\n5,0,2");
        std::vector<float> z;
        for (int n = 1; n <= 6; ++n)
            z.push_back(in.project.Nodes[n].Z);
        EXPECT_EQ(z, c.z);
        const QStringList untouched{"จุดที่ 1", "จุดที่ 3", "จุดที่ 5–6"};
        EXPECT_EQ(in.listed.mid(1), z[1] == 50 ? QStringList() : untouched);
    }
}

// A million bad lines: read beside the window, whose event loop turns with the progress shown
// while the file is read, and listed as 200 lines and a count. How long the loop waits is
// measured in bench/.
TEST(LargeImport, LeavesTheWindowLiveAndTheListShort)
{
    Import in;
    const Project before = in.project;
    int progressShown = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        progressShown += !in.status->findChild<QProgressBar*>("prgImport")->isHidden();
    });
    heartbeat.start(5);
    in.run(QByteArray("1,1O1.4\n").repeated(1'000'000));
    EXPECT_TRUE(in.returnedBeforeFinished);
    EXPECT_GT(progressShown, 0);
    ASSERT_EQ(in.listed.size(), 201);
    EXPECT_EQ(in.listed.front(), "บรรทัดที่ 1: \"1O1.4\" ไม่ใช่ตัวเลข");
    EXPECT_EQ(in.listed.back(), "และอีก 999800 รายการ");
    EXPECT_EQ(in.project, before);
}

TEST(LargeImport, TakesNothingWhenTheGridChangedWhileReading)
{
    Import in;
    QTimer::singleShot(0, [&] { applyControlData(in.project, {10, 2, 3, 1}); });
    in.run("1," + QByteArray(300'000, ' ') + "100\n"); // large only by its blanks
    EXPECT_TRUE(in.prompts.messages.value(0).contains("โครงการเปลี่ยนไประหว่างอ่านแฟ้ม"));
    EXPECT_TRUE(in.project.Nodes[1].Z == 50 && in.listed.isEmpty());
}

} // namespace
