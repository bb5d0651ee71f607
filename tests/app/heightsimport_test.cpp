#include "app/heightscommands.h"
#include "common/messages.h"
#include "project/controldata.h"
#include "project/project.h"
#include "support/fakeprompts.h"
#include "support/printto.h"

#include <QApplication>
#include <QElapsedTimer>
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
// with a file of the given text and recording every list it shows.
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
    QStringList listed;

    Import()
    {
        prompts.onModal = [this](QDialog& d) {
            if (auto* list = d.findChild<QListWidget*>())
                for (int i = 0; i < list->count(); ++i)
                    listed << list->item(i)->text();
            d.accept();
        };
    }
    // Starts the import; the spy sees it end.
    void start(const QByteArray& text, QSignalSpy& finished)
    {
        QFile file(dir.filePath("heights.csv"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        prompts.openAnswers << file.fileName();
        commands.importHeights();
        if (finished.isEmpty()) {
            ASSERT_TRUE(finished.wait(120000));
        }
    }
};

struct OrderCase
{
    const char* name;
    std::vector<int> keys; // pressed in the order dialog
    std::vector<float> z;  // nodes 1 to 6 afterwards
    QStringList listed;    // in the result list
};

class OrderQuestion : public ::testing::TestWithParam<OrderCase>
{
};

// Points on a 2 x 3 grid that fit it either way round.
TEST_P(OrderQuestion, IsAnsweredFromTheKeyboard)
{
    Import in;
    QString sample;
    in.prompts.onModal = [&](QDialog& d) {
        if (d.objectName() == "frmColumnOrder") {
            sample = d.findChild<QLabel*>("lblSample")->text();
            d.show();
            QApplication::setActiveWindow(&d);
            for (int key : GetParam().keys)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
            if (d.isVisible())
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        } else {
            auto* list = d.findChild<QListWidget*>("lstResult");
            for (int i = 0; i < list->count(); ++i)
                in.listed << list->item(i)->text();
            d.accept();
        }
    };
    QSignalSpy finished(&in.commands, &HeightsCommands::importFinished);
    in.start("0,5,1\n5,0,2\n", finished);
    EXPECT_EQ(sample, "0,5,1\n5,0,2");
    std::vector<float> z;
    for (int n = 1; n <= 6; ++n)
        z.push_back(in.project.Nodes[n].Z);
    EXPECT_EQ(z, GetParam().z);
    EXPECT_EQ(in.listed, GetParam().listed);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, OrderQuestion,
    ::testing::Values(OrderCase{"EastFirst",
                                {},
                                {50, 2, 50, 1, 50, 50},
                                {"ไม่มีค่าระดับในแฟ้มสำหรับ 4 จุด ค่าระดับของจุดเหล่านี้ไม่เปลี่ยน:", "จุดที่ 1",
                                 "จุดที่ 3", "จุดที่ 5–6"}},
                      OrderCase{"NorthFirst",
                                {Qt::Key_Down},
                                {50, 1, 50, 2, 50, 50},
                                {"ไม่มีค่าระดับในแฟ้มสำหรับ 4 จุด ค่าระดับของจุดเหล่านี้ไม่เปลี่ยน:", "จุดที่ 1",
                                 "จุดที่ 3", "จุดที่ 5–6"}},
                      OrderCase{"Cancelled", {Qt::Key_Escape}, {50, 50, 50, 50, 50, 50}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// A million bad lines: read beside the window, which keeps answering its events, and listed
// as 200 lines and a count.
TEST(LargeImport, LeavesTheWindowLiveAndTheListShort)
{
    Import in;
    const Project before = in.project;
    qint64 longestGap = 0;
    bool progressShown = false;
    QElapsedTimer sinceBeat;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceBeat.restart());
        progressShown =
            progressShown || in.status->findChild<QProgressBar*>("prgImport")->isHidden() == false;
    });
    QSignalSpy finished(&in.commands, &HeightsCommands::importFinished);
    const QByteArray bad = QByteArray("1,1O1.4\n").repeated(1'000'000);
    sinceBeat.start();
    heartbeat.start(5);
    in.start(bad, finished);
    heartbeat.stop();

    EXPECT_LT(longestGap, 100);
    EXPECT_TRUE(progressShown);
    ASSERT_EQ(in.listed.size(), 201);
    EXPECT_EQ(in.listed.front(), "บรรทัดที่ 1: \"1O1.4\" ไม่ใช่ตัวเลข");
    EXPECT_EQ(in.listed.back(), "และอีก 999800 รายการ");
    EXPECT_EQ(in.project, before);
}

TEST(LargeImport, TakesNothingWhenTheGridChangedWhileReading)
{
    Import in;
    // Large only by its blanks, so it would be read in full.
    const QByteArray text = "1," + QByteArray(300'000, ' ') + "100\n";
    QSignalSpy finished(&in.commands, &HeightsCommands::importFinished);
    QTimer::singleShot(0, [&] { applyControlData(in.project, {10, 2, 3, 1}); });
    in.start(text, finished);
    EXPECT_EQ(in.prompts.messages.size(), 1);
    EXPECT_TRUE(in.prompts.messages.value(0).contains("โครงการเปลี่ยนไประหว่างอ่านแฟ้ม"));
    EXPECT_EQ(in.project.Nodes[1].Z, 50);
    EXPECT_TRUE(in.listed.isEmpty());
}

} // namespace
