#include "common/messages.h"
#include "common/numbertext.h"
#include "project/controldata.h"
#include "project/project.h"
#include "project/ui/controldialog.h"
#include "project/ui/headingdialog.h"
#include "support/fakeprompts.h"
#include "support/printto.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

QLineEdit* box(QWidget& dialog, const char* name)
{
    auto* edit = dialog.findChild<QLineEdit*>(QLatin1String(name));
    EXPECT_NE(edit, nullptr) << name;
    return edit;
}

void click(QWidget& dialog, const char* name)
{
    auto* button = dialog.findChild<QPushButton*>(QLatin1String(name));
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

void fill(QWidget& dialog, const ControlDataTexts& t)
{
    box(dialog, "txtGrid")->setText(t.spacing);
    box(dialog, "txtRow")->setText(t.rows);
    box(dialog, "txtCol")->setText(t.cols);
    box(dialog, "txtInt")->setText(t.interval);
}

} // namespace

TEST(HeadingDialog, ShowsNamesWithoutPaddingAndStoresPaddedOnOkOnly)
{
    Project p = startupProject();
    {
        HeadingDialog dialog(p);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ส่วนหัว"));
        EXPECT_EQ(box(dialog, "txtProject")->text(), QStringLiteral("Project01"));
        box(dialog, "txtProject")->setText(QString(45, QChar(u'ก')) + "12345");
        box(dialog, "txtEngineer")->setText(QStringLiteral("สมชาย"));
        click(dialog, "cmdCancel");
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(p.ProjectName.text().trimmed(), QStringLiteral("Project01"));
    {
        HeadingDialog dialog(p);
        box(dialog, "txtProject")->setText(QString(45, QChar(u'ก')) + "12345");
        box(dialog, "txtEngineer")->setText(QStringLiteral("วิศวกร 9"));
        click(dialog, "cmdOK");
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(p.ProjectName.text(), QString(40, QChar(u'ก')));
    EXPECT_EQ(p.EngineerName.text(), QStringLiteral("วิศวกร 9") + QString(32, ' '));
    HeadingDialog again(p);
    EXPECT_EQ(box(again, "txtEngineer")->text(), QStringLiteral("วิศวกร 9"));
}

TEST(HeadingDialog, KeepsANameTypedRightAfterOpening)
{
    Project p = startupProject();
    HeadingDialog dialog(p);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QTest::keyClicks(QApplication::focusWidget(), "Site 7");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(p.ProjectName.text(), QStringLiteral("Site 7") + QString(34, ' '));
}

struct LongName
{
    const char16_t* name;
    const char16_t* kept;
};

class HeadingLimit : public ::testing::TestWithParam<LongName>
{
};

TEST_P(HeadingLimit, CutsPastedNamesBetweenClusters)
{
    const QString name = QString::fromUtf16(GetParam().name);
    Project p = startupProject();
    HeadingDialog dialog(p);
    QLineEdit* edit = box(dialog, "txtProject");
    edit->selectAll();
    edit->insert(name);
    EXPECT_EQ(edit->text(), QString::fromUtf16(GetParam().kept));
    click(dialog, "cmdOK");
    EXPECT_EQ(p.ProjectName.text().trimmed(), QString::fromUtf16(GetParam().kept).trimmed());
}

// 55 characters; in the first the 41st and 42nd are a vowel and tone mark over the 40th.
INSTANTIATE_TEST_SUITE_P(Names, HeadingLimit,
                         ::testing::Values(LongName{u"โครงการปรับปรุงพื้นที่ลานจอดรถอาคารเรียที่จอดรถฝั่งเหนื",
                                                    u"โครงการปรับปรุงพื้นที่ลานจอดรถอาคารเรีย"},
                                           LongName{
                                               u"ถนนเลียบคลองชลประทานฝั่งตะวันออกช่วงที่ 1 ถึง 4 จังหวัด",
                                               u"ถนนเลียบคลองชลประทานฝั่งตะวันออกช่วงที่ "},
                                           LongName{u"short", u"short"}));

TEST(HeadingDialog, ClickSelectsTheWholeText)
{
    Project p = startupProject();
    HeadingDialog dialog(p);
    QLineEdit* edit = box(dialog, "txtEngineer");
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(5, edit->height() / 2));
    EXPECT_EQ(edit->selectedText(), edit->text());
    EXPECT_EQ(edit->selectionStart(), 0);
}

TEST(ControlDialog, LoadsCurrentValues)
{
    FakePrompts prompts;
    Project p = startupProject();
    {
        ControlDialog dialog(p, prompts);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ข้อมูลควบคุม"));
        for (const char* name : {"txtGrid", "txtRow", "txtCol", "txtInt"})
            EXPECT_EQ(box(dialog, name)->text(), QStringLiteral("0")) << name;
    }
    applyControlData(p, {10, 4, 5, 0.5f});
    ControlDialog dialog(p, prompts);
    EXPECT_EQ(box(dialog, "txtGrid")->text(), QStringLiteral("10"));
    EXPECT_EQ(box(dialog, "txtRow")->text(), QStringLiteral("4"));
    EXPECT_EQ(box(dialog, "txtCol")->text(), QStringLiteral("5"));
    EXPECT_EQ(box(dialog, "txtInt")->text(), generalForm(0.5f, QLocale()));
}

TEST(ControlDialog, OkDefinesTheGridAndCancelChangesNothing)
{
    FakePrompts prompts;
    Project p = startupProject();
    const Project before = p;
    {
        ControlDialog dialog(p, prompts);
        fill(dialog, {"10", "4", "5", "1"});
        click(dialog, "cmdCancel");
    }
    EXPECT_EQ(p, before);

    ControlDialog dialog(p, prompts);
    fill(dialog, {"10", "4", "5", "1"});
    click(dialog, "cmdOK");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_EQ(p.NodeCount, 20);
    EXPECT_EQ(p.ContourInterval, 1);
}

TEST(ControlDialog, ZeroSpacingWarnsButStores)
{
    FakePrompts prompts;
    Project p = startupProject();
    ControlDialog dialog(p, prompts);
    fill(dialog, {"0", "2", "3", "1"});
    click(dialog, "cmdOK");
    EXPECT_EQ(prompts.messages, QStringList{msg::InputError});
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(p.NodeCount, 6);
    EXPECT_EQ(p.ViewXMax, 120);
}

struct RefusalCase
{
    ControlDataTexts texts;
    const char* offending;
};

class ControlDialogRefusal : public ::testing::TestWithParam<RefusalCase>
{
};

TEST_P(ControlDialogRefusal, KeepsTheDialogOpenOnTheBadBoxAndStoresNothing)
{
    const auto& c = GetParam();
    FakePrompts prompts;
    Project p = startupProject();
    applyControlData(p, {5, 2, 2, 1});
    p.Nodes[3].Z = 12.5f;
    const Project before = p;

    ControlDialog dialog(p, prompts);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    fill(dialog, c.texts);
    click(dialog, "cmdOK");

    EXPECT_EQ(prompts.messages, QStringList{msg::InputError});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(p, before);
    QLineEdit* bad = box(dialog, c.offending);
    EXPECT_TRUE(bad->hasFocus()) << c.offending;
    EXPECT_EQ(bad->selectedText(), bad->text());
}

INSTANTIATE_TEST_SUITE_P(Inputs, ControlDialogRefusal,
                         ::testing::Values(RefusalCase{{"ten", "4", "5", "1"}, "txtGrid"},
                                           RefusalCase{{"-5", "4", "5", "1"}, "txtGrid"},
                                           RefusalCase{{"10", "70000", "5", "1"}, "txtRow"},
                                           RefusalCase{{"10", "4", "-2", "1"}, "txtCol"},
                                           RefusalCase{{"10", "4", "5", "-0.5"}, "txtInt"},
                                           RefusalCase{{"10", "4", "5", "1e40"}, "txtInt"},
                                           RefusalCase{{"10", "200", "200", "1"}, "txtCol"}));

// Typed as a user would: the spacing box first, Tab between boxes, Return for OK.
TEST(ControlDialog, SpacingThatIsNotWholeMetresKeepsTheDialogOpen)
{
    FakePrompts prompts;
    Project p = startupProject();
    ControlDialog dialog(p, prompts);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    for (const char* text : {"12.5", "4", "5", "1"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(prompts.messages, QStringList{msg::InputError});
    EXPECT_TRUE(dialog.isVisible() && p.GridSpacing == 0);
    QTest::keyClicks(QApplication::focusWidget(), "12"); // the spacing, selected
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(dialog.result() == QDialog::Accepted && p.GridSpacing == 12 && p.NodeCount == 20);
}

TEST(Dialogs, CentreThemselvesWhenResized)
{
    Project p = startupProject();
    HeadingDialog dialog(p);
    dialog.show();
    dialog.resize(300, 200);
    const QRect screen = dialog.screen()->geometry();
    const QSize size = dialog.frameGeometry().size();
    EXPECT_EQ(dialog.frameGeometry().topLeft(),
              screen.topLeft() + QPoint((screen.width() - size.width()) / 2,
                                        (screen.height() - size.height()) / 2));
}

// The real file dialogs, typed into as a user would: a bare name means the ".gnd" file.
TEST(FileDialogs, TypedBaseNameGetsTheProjectSuffix)
{
    QTemporaryDir dir;
    QFile gnd(dir.filePath("site.gnd"));
    ASSERT_TRUE(gnd.open(QIODevice::WriteOnly));
    gnd.close();
    WidgetPrompts prompts(nullptr);
    const auto typeName = [] {
        QTimer::singleShot(50, [] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            QApplication::setActiveWindow(dialog);
            ASSERT_NE(QApplication::focusWidget(), nullptr);
            QTest::keyClicks(QApplication::focusWidget(), "site");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
    };
    typeName();
    EXPECT_EQ(prompts.pickOpenName("Data File (*.gnd)", dir.path() + "/"),
              dir.filePath("site.gnd"));
    typeName();
    EXPECT_EQ(prompts.pickSaveName("Data File (*.gnd)", dir.path() + "/"),
              dir.filePath("site.gnd"));
}
