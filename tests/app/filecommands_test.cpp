#include "app/exportcommands.h"
#include "app/filecommands.h"
#include "app/mainwindow.h"
#include "app/undocommands.h"
#include "common/messages.h"
#include "project/controldata.h"
#include "project/nodetablemodel.h"
#include "project/projectedit.h"
#include "project/projectfile.h"
#include "project/ui/nodeentrydialog.h"
#include "support/fakeprompts.h"
#include "support/files.h"
#include "support/printto.h"
#include "support/recordedprints.h"
#include "survey/surveysites.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

struct Window
{
    FakePrompts* prompts = new FakePrompts;
    MainWindow window{std::unique_ptr<Prompts>(prompts)};
    QTemporaryDir dir;

    Project& project() { return window.project(); }
    QString path(const QString& name) const { return dir.filePath(name); }
    bool editing() { return window.menuItem(QStringLiteral("mnuEdit"))->isEnabled(); }
    QString caption() const { return window.windowTitle().remove(QStringLiteral("[*]")); }

    void makeProject()
    {
        window.mnuFileNew_Click();
        applyControlData(project(), {5, 2, 3, 0.5f});
        project().ProjectName = QStringLiteral("ถนนเลียบคลอง");
        for (int n = 1; n <= project().NodeCount; ++n)
            project().Nodes[n].Z = 100.25f + float(n) * 0.1f;
    }
    void save(const QString& name)
    {
        prompts->saveAnswers << name;
        window.mnuFileSaveAs_Click();
    }
    void open(const QString& name)
    {
        prompts->openAnswers << name;
        window.mnuFileOpen_Click();
    }
};

ProjectFileData readProjectAt(const QString& base)
{
    auto read = loadProjectFiles(projectFileNames(base));
    return std::holds_alternative<ProjectFileData>(read) ? std::get<ProjectFileData>(read)
                                                         : ProjectFileData{};
}

} // namespace

TEST(FileCommands, CancelledDialogsChangeNothing)
{
    Window w;
    const Project before = w.project();
    w.window.mnuFileOpen_Click();
    w.window.mnuFileSave_Click();
    EXPECT_EQ(w.project(), before);
    EXPECT_EQ(w.caption(), QStringLiteral("TERVAN"));
    EXPECT_FALSE(w.editing());
    EXPECT_TRUE(w.prompts->messages.isEmpty());
    EXPECT_EQ(w.prompts->lastFilter, QStringLiteral("Data File (*.gnd)"));
}

TEST(FileCommands, SaveThenOpenRestoresTheProject)
{
    Window w;
    w.makeProject();
    w.project().Nodes[4].Z = 101.25f;
    w.save(w.path("site"));
    EXPECT_TRUE(w.prompts->messages.isEmpty());
    EXPECT_EQ(w.caption(), "TERVAN[" + QDir::toNativeSeparators(w.path("site.gnd")) + "]");
    EXPECT_EQ(w.project().GndFileName, w.path("site.gnd"));
    EXPECT_EQ(w.project().FileTitle, QStringLiteral("********")); // save leaves the title
    EXPECT_EQ(readBytes(w.path("site.nod")).mid(36, 12).toHex(' '),
              QByteArray("00 00 00 00 00 00 a0 40 00 80 ca 42"));
    const Project saved = w.project();

    // The first window lets go of the pair, so the second opens it as its own.
    w.window.mnuFileNew_Click();
    Window other;
    other.window.mnuFileClose_Click();
    other.open(w.path("site.gnd"));
    const Project& p = other.project();
    EXPECT_TRUE(other.prompts->messages.isEmpty());
    EXPECT_TRUE(other.editing());
    EXPECT_EQ(other.caption(), "TERVAN[" + QDir::toNativeSeparators(w.path("site.gnd")) + "]");
    EXPECT_EQ(p.FileTitle, QStringLiteral("site.gnd"));
    EXPECT_EQ(p.ProjectName, saved.ProjectName);
    EXPECT_EQ(p.NodeCount, 6);
    EXPECT_EQ(p.Nodes, saved.Nodes);
    EXPECT_EQ(p.ElevMin, saved.Nodes[1].Z);
    EXPECT_EQ(p.NodeXMax, 10);
    EXPECT_EQ(p.NodeYMax, 5);
    EXPECT_EQ(p.ViewYMax, 42);
    // The next dialog starts from the name picked last.
    other.window.mnuFileSaveAs_Click();
    EXPECT_EQ(other.prompts->pickedFrom.last(), w.path("site.gnd"));
}

TEST(FileCommands, RefusedOpenNamesTheFileAndKeepsEverything)
{
    Window w;
    w.makeProject();
    w.save(w.path("good"));
    QFile::remove(w.path("good.nod"));
    ASSERT_TRUE(writeBytes(w.path("short.gnd"), QByteArray(91, ' ')));
    QFile::copy(w.path("good.gnd"), w.path("short.nod"));

    const Project before = w.project();
    const QString caption = w.caption();
    w.open(w.path("good.gnd"));
    w.open(w.path("short"));
    w.open(w.path("missing.gnd"));
    EXPECT_EQ(w.prompts->messages,
              (QStringList{msg::cannotOpenFile(QDir::toNativeSeparators(w.path("good.nod"))),
                           msg::fileMalformed(QDir::toNativeSeparators(w.path("short.gnd"))),
                           msg::cannotOpenFile(QDir::toNativeSeparators(w.path("missing.gnd")))}));
    EXPECT_EQ(w.project(), before);
    EXPECT_EQ(w.caption(), caption);

    // A refused open from the closed state leaves editing off.
    w.window.mnuFileClose_Click();
    w.open(w.path("short.gnd"));
    EXPECT_FALSE(w.editing());
}

TEST(FileCommands, FailedSaveIsReportedAndNeverTakenAsSaved)
{
    Window w;
    w.makeProject();
    const QString target = w.path("no/such/folder/site");
    w.save(target);
    EXPECT_EQ(w.prompts->messages,
              QStringList{msg::cannotSaveFile(QDir::toNativeSeparators(target + ".gnd"))});
    EXPECT_TRUE(w.project().GndFileName.isEmpty());
    EXPECT_EQ(w.caption(), QStringLiteral("TERVAN"));
}

// A window holds the pair it saved: a second window saving over it is told who holds it and
// asked; the first, saving over a pair changed on disk since, is asked too. No keeps the files.
TEST(FileCommands, SavingOverAPairHeldOrChangedElsewhereAsksFirst)
{
    Window w, other;
    w.makeProject();
    w.save(w.path("site"));
    other.makeProject();
    other.prompts->answers << true; // replace the existing files
    other.save(w.path("site"));
    EXPECT_TRUE(other.prompts->questions.last().contains(QStringLiteral("กำลังถูกใช้งานโดย")));
    ASSERT_TRUE(writeBytes(w.path("site.nod"), readBytes(w.path("site.nod")) + "x"));
    w.prompts->answers << true;
    w.save(w.path("site"));
    EXPECT_EQ(w.prompts->questions.last(),
              msg::pairChangedOnDisk(QDir::toNativeSeparators(w.path("site.gnd"))));
    EXPECT_EQ(readBytes(w.path("site.nod")).size(), 6 * 12 + 1);
}

// A pair another window holds: Open says so at once, naming the holder, and opens it only to
// read when the user agrees; Save then asks for another name. No leaves the project as it was.
TEST(FileCommands, OpeningAHeldPairOffersToReadIt)
{
    for (const bool agree : {true, false}) {
        Window w, other;
        w.makeProject();
        w.save(w.path("site"));
        other.makeProject();
        other.prompts->answers << agree;
        other.open(w.path("site.gnd"));
        ASSERT_EQ(other.prompts->questions.size(), 1);
        EXPECT_TRUE(other.prompts->questions[0].contains(QStringLiteral("กำลังถูกใช้งานโดย")) &&
                    other.prompts->questions[0].contains(QStringLiteral("อ่านอย่างเดียว")));
        EXPECT_EQ(other.project().GndFileName.isEmpty(), !agree) << agree;
        EXPECT_EQ(other.window.windowTitle().contains(QStringLiteral("อ่านอย่างเดียว")), agree);
        if (!agree)
            continue;
        // Save asks for a name, and the copy saved there is this window's own.
        other.prompts->saveAnswers << w.path("copy");
        other.window.mnuFileSave_Click();
        EXPECT_TRUE(other.prompts->saveAnswers.isEmpty()) << "the save dialog was not shown";
        EXPECT_EQ(other.project().GndFileName, w.path("copy.gnd"));
        EXPECT_FALSE(other.window.windowTitle().contains(QStringLiteral("อ่านอย่างเดียว")));
    }
}

TEST(FileCommands, NodeListFollowsTheProjectItWasOpenedFor)
{
    Window w;
    w.makeProject();
    w.window.mnuEditChoice_Click(4);
    NodeEntryDialog* list = w.window.nodeEntryDialog();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isVisible());
    EXPECT_FALSE(list->isModal());
    w.save(w.path("six"));

    // Reshaped from the control data: the list shows the new grid.
    applyControlData(w.project(), {5, 3, 3, 1});
    w.prompts->onModal = [](QDialog& d) { d.accept(); };
    w.window.mnuEditChoice_Click(2);
    EXPECT_EQ(list->model()->rowCount(), 9);

    // Opened over: the list shows the opened nodes and writes into them.
    w.open(w.path("six.gnd"));
    EXPECT_EQ(list->model()->rowCount(), 6);
    list->findChild<QLineEdit*>("txtNodes")->setText("55");
    EXPECT_EQ(w.project().Nodes[6].Z, 55);

    // A new project has no nodes to list.
    w.window.mnuFileNew_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w.window.nodeEntryDialog(), nullptr);
}

namespace {

// A project on disk and shown in the window, with nothing unsaved.
struct Saved : Window
{
    Saved()
    {
        makeProject();
        save(path("site"));
        window.show();
    }
    void typeHeight(const QString& text)
    {
        window.mnuEditChoice_Click(4);
        QApplication::setActiveWindow(window.nodeEntryDialog());
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), "txtNodes");
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
};

void keys(QKeyCombination k)
{
    QTest::keyClick(QApplication::focusWidget(), k.key(), k.keyboardModifiers());
}

using Command = std::function<void(Saved&)>;
using Choice = Prompts::SaveChoice;
// What the step after the question meets: the save writing in place, the open dialog.
enum class Next { None, Cancelled, Fails, Succeeds };

const Command New = [](Saved& s) { s.window.menuItem("mnuFileNew")->trigger(); };
const Command CtrlO = [](Saved&) { keys(Qt::CTRL | Qt::Key_O); };
// A recent entry opens its name straight away; this one's node file is gone.
const Command Recent = [](Saved& s) { s.window.mnuFileOpen_Click(s.path("broken.gnd")); };
const Command CtrlC = [](Saved&) { keys(Qt::CTRL | Qt::Key_C); };
const Command Exit = [](Saved& s) { s.window.menuItem("mnuFileExit")->trigger(); };
const Command CloseButton = [](Saved& s) { s.window.close(); };

struct LifecycleRow
{
    const char* name;
    Command command;
    Choice choice;
    Next save, open;
    bool keptEdit = true; // the typed height is still in memory
    bool modified = true;
    bool visible = true;
};

const LifecycleRow LifecycleRows[] = {
    {"NewCancel", New, Choice::Cancel, Next::None, Next::None},
    {"NewDontSave", New, Choice::Discard, Next::None, Next::None, false, false},
    {"NewSave", New, Choice::Save, Next::Succeeds, Next::None, false, false},
    {"NewSaveFails", New, Choice::Save, Next::Fails, Next::None},
    {"OpenCancel", CtrlO, Choice::Cancel, Next::None, Next::None},
    {"OpenDontSaveDialogCancelled", CtrlO, Choice::Discard, Next::None, Next::Cancelled},
    {"OpenDontSaveOpenFails", CtrlO, Choice::Discard, Next::None, Next::Fails},
    {"OpenDontSave", CtrlO, Choice::Discard, Next::None, Next::Succeeds, false, false},
    {"OpenSaveDialogCancelled", CtrlO, Choice::Save, Next::Succeeds, Next::Cancelled, true, false},
    {"OpenSaveFails", CtrlO, Choice::Save, Next::Fails, Next::Succeeds},
    {"RecentDontSaveOpenFails", Recent, Choice::Discard, Next::None, Next::None},
    {"RecentCancel", Recent, Choice::Cancel, Next::None, Next::None},
    {"RecentSave", Recent, Choice::Save, Next::Succeeds, Next::None, true, false},
    {"CloseCancel", CtrlC, Choice::Cancel, Next::None, Next::None},
    // Close keeps the data, so what was not saved stays marked.
    {"CloseDontSave", CtrlC, Choice::Discard, Next::None, Next::None},
    {"CloseSave", CtrlC, Choice::Save, Next::Succeeds, Next::None, true, false},
    {"CloseSaveFails", CtrlC, Choice::Save, Next::Fails, Next::None},
    {"ExitCancel", Exit, Choice::Cancel, Next::None, Next::None},
    {"ExitDontSave", Exit, Choice::Discard, Next::None, Next::None, true, true, false},
    {"ExitSave", Exit, Choice::Save, Next::Succeeds, Next::None, true, false, false},
    {"ExitSaveFails", Exit, Choice::Save, Next::Fails, Next::None},
    {"CloseButtonCancel", CloseButton, Choice::Cancel, Next::None, Next::None},
    {"CloseButtonDontSave", CloseButton, Choice::Discard, Next::None, Next::None, true, true,
     false},
    {"CloseButtonSaveFails", CloseButton, Choice::Save, Next::Fails, Next::None},
};

class Lifecycle : public ::testing::TestWithParam<LifecycleRow>
{
};

} // namespace

TEST_P(Lifecycle, TheMarkFollowsWhatIsInTheFiles)
{
    const LifecycleRow& row = GetParam();
    for (bool edited : {false, true}) {
        Saved s;
        QFile::copy(s.path("site.gnd"), s.path("broken.gnd"));
        // Looking changes nothing: an emptied box, a cancelled heading, another picture.
        s.typeHeight(edited ? "7" : "");
        s.window.mnuEditChoice_Click(1);
        s.window.GraphicShow_Click(2);
        QApplication::setActiveWindow(&s.window);
        if (row.save == Next::Fails) { // the project's file has become a folder
            QFile::remove(s.path("site.gnd"));
            QDir(s.dir.path()).mkdir("site.gnd");
        }
        if (row.open == Next::Fails || row.open == Next::Succeeds)
            s.prompts->openAnswers << s.path(row.open == Next::Fails ? "broken.gnd" : "site.gnd");
        s.prompts->saveChoices = {row.choice};

        row.command(s);
        EXPECT_EQ(s.prompts->saveQuestions.size(), edited ? 1 : 0);
        if (!edited)
            continue;
        EXPECT_EQ(s.project().NodeCount == 6 && s.project().Nodes[6].Z == 7, row.keptEdit);
        EXPECT_EQ(s.window.isWindowModified(), row.modified);
        EXPECT_EQ(s.window.isVisible(), row.visible);
        EXPECT_TRUE(row.save != Next::Succeeds || readProjectAt(s.path("site")).Nodes[6].Z == 7);
        if (!row.modified || !row.visible)
            continue;
        // Whatever happened, leaving still asks about the edit.
        s.prompts->saveChoices = {Choice::Cancel};
        Exit(s);
        EXPECT_EQ(s.prompts->saveQuestions.size(), 2);
        EXPECT_TRUE(s.window.isVisible());
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, Lifecycle, ::testing::ValuesIn(LifecycleRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UnsavedChanges, SaveAsksBeforeReplacingEitherFileOfThePair)
{
    for (const char* existing : {"old_site.gnd", "old_site.nod"}) {
        SCOPED_TRACE(existing);
        Window w;
        w.makeProject();
        ASSERT_TRUE(writeBytes(w.path(existing), "old"));
        w.save(w.path("old_site")); // typed without ".gnd"; answered no
        EXPECT_EQ(w.prompts->questions.size(), 1);
        EXPECT_TRUE(w.prompts->questions.value(0).contains(existing));
        EXPECT_EQ(readBytes(w.path(existing)), "old");
        EXPECT_TRUE(w.project().GndFileName.isEmpty());

        w.prompts->answers << true;
        w.save(w.path("old_site"));
        EXPECT_EQ(readBytes(w.path("old_site.gnd")).size(), 92);
    }
}

namespace {

QStringList menuNames(MainWindow& window, const QString& menu = QStringLiteral("mnuFile"))
{
    QStringList names;
    for (QAction* a : window.menuItem(menu)->menu()->actions())
        names << a->objectName();
    return names;
}

} // namespace

TEST(HeightsFiles, ImportFromTheFileMenuTakesAllOrListsEveryBadLine)
{
    Window w;
    w.makeProject(); // 2 x 3 at 5 m
    // The additions stand together behind the menu's first items, before Exit; Save As beside Save.
    EXPECT_EQ(menuNames(w.window).mid(3, 2), (QStringList{"mnuFileSave", "mnuFileSaveAs"}));
    EXPECT_EQ(menuNames(w.window).mid(6),
              (QStringList{"mnuFileFree2", "mnuFileImportHeights", "mnuFileExportHeights",
                           "mnuFileFromSurvey", "mnuFilePrinter", "mnuFileExportContours",
                           "mnuFileExportSurface", "mnuFileFree3", "mnuFileExit"}));
    const auto writeCsv = [&](const QString& name, const QByteArray& text) {
        EXPECT_TRUE(writeBytes(w.path(name), text));
        return w.path(name);
    };
    QStringList listed;
    w.prompts->onModal = [&](QDialog& d) {
        auto* list = d.findChild<QListWidget*>(d.objectName() == "frmImportErrors" ? "lstErrors"
                                                                                   : "lstResult");
        for (int i = 0; i < list->count(); ++i)
            listed << list->item(i)->text();
        d.accept();
    };
    const Project before = w.project();
    w.prompts->openAnswers << writeCsv("bad.csv", "x,y,z\n0,0,1\n2,0,2\n0,5,abc\n");
    w.window.menuItem("mnuFileImportHeights")->trigger();
    EXPECT_EQ(listed,
              (QStringList{"บรรทัดที่ 3: จุด (2, 0) ไม่ตรงกับจุดกริดใด", "บรรทัดที่ 4: \"abc\" ไม่ใช่ตัวเลข"}));
    EXPECT_EQ(w.project(), before);
    EXPECT_FALSE(w.window.isWindowModified());

    listed.clear();
    w.prompts->openAnswers << writeCsv("good.csv", "3;7.5\n6;-1.25\n");
    w.window.menuItem("mnuFileImportHeights")->trigger();
    EXPECT_EQ(listed, (QStringList{"ไม่มีค่าระดับในแฟ้มสำหรับ 4 จุด ค่าระดับของจุดเหล่านี้ไม่เปลี่ยน:", "จุดที่ 1–2",
                                   "จุดที่ 4–5"}));
    EXPECT_EQ(w.project().Nodes[3].Z, 7.5f);
    EXPECT_EQ(w.project().Nodes[6].Z, -1.25f);
    EXPECT_EQ(w.project().ElevMin, -1.25f);
    EXPECT_TRUE(w.window.isWindowModified());
    EXPECT_TRUE(w.window.statusBar()->currentMessage().contains("นำเข้าค่าระดับ 2 จุด"));

    w.prompts->saveAnswers << w.path("out.csv");
    w.window.menuItem("mnuFileExportHeights")->trigger();
    EXPECT_TRUE(readBytes(w.path("out.csv")).startsWith("node,x,y,elevation\n1,0,0,100.35\n"));
}

namespace {

const std::pair<const char*, Command> UndoRows[] = {
    {"แก้ค่าระดับจุดที่ 6", [](Saved& s) { s.typeHeight("12.5"); }},
    {"วางค่าระดับ 3 จุด",
     [](Saved& s) {
         s.typeHeight("");
         keys(Qt::CTRL | Qt::Key_Home);
         QApplication::clipboard()->setText("1\n2\n3\n");
         keys(Qt::CTRL | Qt::Key_V);
     }},
    {"นำเข้าค่าระดับ 2 จุด",
     [](Saved& s) {
         EXPECT_TRUE(writeBytes(s.path("heights.csv"), "3;7.5\n6;-1.25\n"));
         s.prompts->openAnswers << s.path("heights.csv");
         s.window.menuItem("mnuFileImportHeights")->trigger();
     }},
    {"แก้ส่วนหัว",
     [](Saved& s) {
         s.prompts->onModal = [](QDialog& d) {
             d.findChild<QLineEdit*>("txtEngineer")->setText("สมศรี");
             d.findChild<QPushButton*>("cmdOK")->click();
         };
         s.window.menuItem("mnuEditChoice_1")->trigger();
     }},
    {"แก้ข้อมูลควบคุม",
     [](Saved& s) {
         s.prompts->onModal = [](QDialog& d) {
             d.findChild<QLineEdit*>("txtRow")->setText("3");
             d.findChild<QPushButton*>("cmdOK")->click();
         };
         s.window.menuItem("mnuEditChoice_2")->trigger();
     }},
};

} // namespace

TEST(Undo, EveryChangeIsOneStepBackToTheSavedProject)
{
    for (const auto& [step, edit] : UndoRows) {
        SCOPED_TRACE(step);
        Saved s;
        EXPECT_EQ(menuNames(s.window, "mnuEdit").last(3),
                  (QStringList{"mnuEditFreeUndo", "mnuEditUndo", "mnuEditRedo"}));
        QAction* undo = s.window.menuItem("mnuEditUndo");
        const ProjectContent saved = contentOf(s.project());
        QApplication::setActiveWindow(&s.window);

        edit(s);
        const ProjectContent edited = contentOf(s.project());
        EXPECT_FALSE(sameContent(saved, edited));
        EXPECT_EQ(s.window.history().stack().count(), 1);
        EXPECT_EQ(undo->text(), QStringLiteral("เลิกทำ: ") + step);
        EXPECT_TRUE(s.window.isWindowModified());

        // From whichever window has the keys: the node list or the main window.
        keys(Qt::CTRL | Qt::Key_Z);
        EXPECT_TRUE(sameContent(contentOf(s.project()), saved));
        EXPECT_FALSE(s.window.isWindowModified());
        EXPECT_FALSE(undo->isEnabled());
        EXPECT_EQ(s.window.menuItem("mnuEditRedo")->text(), QStringLiteral("ทำซ้ำ: ") + step);
        if (NodeEntryDialog* list = s.window.nodeEntryDialog()) {
            const int row = list->grid()->currentIndex().row();
            EXPECT_EQ(list->model()->cellText(row, NodeTableModel::Elevation),
                      QString::number(s.project().Nodes[row + 1].Z, 'f', 2));
        }
        keys(Qt::CTRL | Qt::Key_Y);
        EXPECT_TRUE(sameContent(contentOf(s.project()), edited));
        EXPECT_TRUE(s.window.isWindowModified());
    }
}

namespace {

struct SaveRow
{
    const char* name;
    bool newProject;
    QKeyCombination key;
    const char* dialogStart; // nullptr: no dialog; "": the folder
    const char* written;
};

const SaveRow SaveRows[] = {
    {"NamedWritesInPlace", false, Qt::CTRL | Qt::Key_S, nullptr, "site"},
    {"SaveAsAsks", false, Qt::CTRL | Qt::SHIFT | Qt::Key_S, "site", "copy"},
    {"NewAsksInTheFolder", true, Qt::CTRL | Qt::Key_S, "", "fresh"},
};

class SavePaths : public ::testing::TestWithParam<SaveRow>
{
};

} // namespace

TEST_P(SavePaths, NamedProjectsSaveInPlaceAndSaveAsAsks)
{
    const SaveRow& row = GetParam();
    Saved s;
    s.prompts->pickedFrom.clear();
    if (row.newProject) {
        s.window.menuItem("mnuFileNew")->trigger();
        applyControlData(s.project(), {5, 2, 3, 1});
    }
    s.typeHeight("7");
    QApplication::setActiveWindow(&s.window);
    s.prompts->saveAnswers << s.path(row.written);
    keys(row.key);

    const QString start =
        row.dialogStart && *row.dialogStart ? s.path(row.dialogStart) : s.dir.path();
    EXPECT_EQ(s.prompts->pickedFrom, row.dialogStart ? QStringList{start} : QStringList{});
    EXPECT_TRUE(s.prompts->questions.isEmpty());
    EXPECT_FALSE(s.window.isWindowModified());
    EXPECT_EQ(readProjectAt(s.path(row.written)).Nodes, s.project().Nodes);
    EXPECT_TRUE(
        s.window.windowTitle().contains(QDir::toNativeSeparators(s.path(row.written) + ".gnd")));
}

INSTANTIATE_TEST_SUITE_P(Keys, SavePaths, ::testing::ValuesIn(SaveRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SurveyProject, PointsBecomeANewUnsavedProjectWithItsReport)
{
    Window w;
    w.makeProject();
    // An L of shots: the north-east corner of the grid lies outside them.
    surveysites::writeFile(w.path("shots.csv"), surveysites::lShapedSite());

    QStringList report;
    // The report prints through the window's printer choice, as every other report does.
    RecordingPage printed;
    w.window.setPrintOutput([&](Prompts&) { return std::make_unique<ForwardingPage>(printed); });
    w.prompts->onModal = [&](QDialog& d) {
        d.show();
        if (d.objectName() == "frmSurveyReport") {
            auto* list = d.findChild<QListWidget*>("lstSurveyReport");
            for (int i = 0; i < list->count(); ++i)
                report << list->item(i)->text();
            QTest::mouseClick(d.findChild<QPushButton*>("cmdPrintReport"), Qt::LeftButton);
            w.window.waitForPrints();
            d.accept();
            return;
        }
        ASSERT_EQ(d.objectName(), "frmSurvey");
        QApplication::setActiveWindow(&d);
        d.findChild<QLineEdit*>("txtPointsFile")->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), w.path("shots.csv"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        // "Make" pressed while the points are still being read waits for the grid, then closes.
        QSignalSpy closed(&d, &QDialog::finished);
        QTest::mouseClick(d.findChild<QPushButton*>("cmdMake"), Qt::LeftButton);
        ASSERT_TRUE(!closed.isEmpty() || closed.wait(300000));
        ASSERT_EQ(d.result(), QDialog::Accepted);
    };
    w.window.menuItem("mnuFileFromSurvey")->trigger();
    EXPECT_EQ(w.prompts->saveQuestions.size(), 0);
    // The new project is unsaved, so making another asks first.
    report.clear();
    w.window.menuItem("mnuFileFromSurvey")->trigger();
    EXPECT_EQ(w.prompts->saveQuestions.size(), 1);
    const Project& p = w.project();
    EXPECT_EQ(p.NodeCount, 11 * 11);
    ASSERT_TRUE(p.Georef);
    EXPECT_EQ(p.Georef->easting, 652000);
    EXPECT_EQ(p.Georef->estimated.back(), p.NodeCount);
    EXPECT_TRUE(w.window.isWindowModified());
    EXPECT_TRUE(report.contains(QStringLiteral("จุดสำรวจที่อ่านได้ 341 จุด ใช้ 341 จุด")));
    EXPECT_TRUE(report.contains(
        QStringLiteral("จุดกริดที่ประมาณค่านอกขอบเขตจุดสำรวจ %1 จุด").arg(p.Georef->estimated.size())));
    // The concave outline of the L is the project's, and the report gives the ground it holds.
    EXPECT_FALSE(p.Georef->outline.empty());
    EXPECT_TRUE(report.filter(QStringLiteral("พื้นที่ที่คำนวณปริมาตรในขอบเขต")).size() == 1)
        << report.join('\n').toStdString();
    // Every line of the report on paper, under the common heading, continued on later pages.
    QStringList paper;
    for (int d = 0; d < printed.documents(); ++d)
        paper << printed.texts(d);
    EXPECT_GT(printed.documents(), 1);
    EXPECT_EQ(paper.count(QStringLiteral("รายงานคุณภาพกริดจากจุดสำรวจ")), printed.documents());
    for (const QString& line : report)
        EXPECT_TRUE(paper.contains(line.trimmed()) || paper.contains(line)) << line.toStdString();
    // Edited from the Edit menu: typed over node 1's easting.
    w.prompts->onModal = [&](QDialog& d) {
        d.show();
        QApplication::setActiveWindow(&d);
        d.findChild<QWidget*>("spnEasting")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), "651990");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    };
    w.window.menuItem("mnuEditGeoreference")->trigger();
    EXPECT_EQ(p.Georef->easting, 651990);
    NodeTableModel list(w.project());
    const auto background = [&](int row) {
        return list.data(list.index(row, NodeTableModel::Elevation), Qt::BackgroundRole);
    };
    EXPECT_NE(background(p.NodeCount - 1), background(0));
}

// The contours and the surface leave by the File menu in the format the file's name asks for;
// a name of no known format is refused and writes nothing.
TEST(ExportFiles, FormatFollowsTheNamePicked)
{
    Window w;
    w.makeProject();
    const struct
    {
        const char* item;
        const char* file;
        QByteArray starts; // empty: refused
    } cases[] = {{"mnuFileExportContours", "c.dxf", "  0\nSECTION\n"},
                 {"mnuFileExportContours", "c.xml", {}},
                 {"mnuFileExportSurface", "s.xml", "<?xml"},
                 {"mnuFileExportSurface", "s.asc", "ncols        3\nnrows        2\n"},
                 {"mnuFileExportSurface", "s.dxf", {}}};
    for (const auto& c : cases) {
        w.prompts->messages.clear();
        w.prompts->saveAnswers << w.path(c.file);
        w.window.menuItem(c.item)->trigger();
        // Written off the window's thread, the status bar saying so until it is done.
        EXPECT_EQ(w.window.findChild<QProgressBar*>("prgExport") != nullptr, !c.starts.isEmpty())
            << c.file;
        w.window.findChild<ExportCommands*>()->waitForExport();
        EXPECT_EQ(w.window.findChild<QProgressBar*>("prgExport"), nullptr);
        EXPECT_EQ(QFile::exists(w.path(c.file)), !c.starts.isEmpty()) << c.file;
        EXPECT_TRUE(readBytes(w.path(c.file)).startsWith(c.starts)) << c.file;
        EXPECT_EQ(w.prompts->messages.size(), c.starts.isEmpty() ? 1 : 0) << c.file;
    }
    EXPECT_TRUE(w.prompts->lastFilter.contains("LandXML (*.xml)"));
}

// A project made from survey points keeps the picture choices of the one shown before it, and
// nothing else of it.
TEST(SurveyProject, KeepsThePictureChoicesShown)
{
    for (PictureKind mode : {PictureKind::None, PictureKind::Grid, PictureKind::Surface}) {
        Project shown = startupProject(), made = startupProject();
        applyControlData(made, {5, 3, 3, 1});
        Project expected = made;
        for (Project* p : {&shown, &expected}) {
            p->UseChosenColor = -1;
            p->ChosenColorIndex = 4;
            p->RotationAngle = 75;
            p->BoldWholeContours = ContourEmphasis::EveryLevel;
            p->ContourLabelsAlong = p->ContourLevelsFromZero = true;
        }
        shown.DisplayMode = mode;
        expected.DisplayMode = mode == PictureKind::None ? PictureKind::GridWithContours : mode;
        carryPictureChoices(shown, made);
        EXPECT_EQ(made, expected);
    }
}
