#include "app/mainwindow.h"
#include "common/messages.h"
#include "project/controldata.h"
#include "project/nodetablemodel.h"
#include "project/projectfile.h"
#include "project/ui/nodeentrydialog.h"
#include "support/fakeprompts.h"
#include "support/printto.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
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
        window.mnuFileSave_Click();
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

QByteArray bytesOf(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(FileCommands, CancelledDialogsChangeNothing)
{
    Window w;
    const Project before = w.project();
    w.window.mnuFileOpen_Click();
    w.window.mnuFileSave_Click();
    EXPECT_EQ(w.project(), before);
    EXPECT_EQ(w.window.windowTitle().remove(QStringLiteral("[*]")), QStringLiteral("TERVAN"));
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
    EXPECT_EQ(w.window.windowTitle().remove(QStringLiteral("[*]")),
              "TERVAN[" + QDir::toNativeSeparators(w.path("site.gnd")) + "]");
    EXPECT_EQ(w.project().GndFileName, w.path("site.gnd"));
    EXPECT_EQ(w.project().FileTitle, QStringLiteral("********")); // save leaves the title
    EXPECT_EQ(bytesOf(w.path("site.nod")).mid(36, 12).toHex(' '),
              QByteArray("00 00 00 00 00 00 a0 40 00 80 ca 42"));
    const Project saved = w.project();

    Window other;
    other.window.mnuFileClose_Click();
    other.open(w.path("site.gnd"));
    const Project& p = other.project();
    EXPECT_TRUE(other.prompts->messages.isEmpty());
    EXPECT_TRUE(other.editing());
    EXPECT_EQ(other.window.windowTitle().remove(QStringLiteral("[*]")),
              "TERVAN[" + QDir::toNativeSeparators(w.path("site.gnd")) + "]");
    EXPECT_EQ(p.FileTitle, QStringLiteral("site.gnd"));
    EXPECT_EQ(p.ProjectName, saved.ProjectName);
    EXPECT_EQ(p.NodeCount, 6);
    EXPECT_EQ(p.Nodes, saved.Nodes);
    EXPECT_EQ(p.ElevMin, saved.Nodes[1].Z);
    EXPECT_EQ(p.NodeXMax, 10);
    EXPECT_EQ(p.NodeYMax, 5);
    EXPECT_EQ(p.ViewYMax, 42);
    // The next dialog starts from the name picked last.
    other.window.mnuFileSave_Click();
    EXPECT_EQ(other.prompts->pickedFrom.last(), w.path("site.gnd"));
}

TEST(FileCommands, RefusedOpenNamesTheFileAndKeepsEverything)
{
    Window w;
    w.makeProject();
    w.save(w.path("good"));
    QFile::remove(w.path("good.nod"));
    QFile short_(w.path("short.gnd"));
    ASSERT_TRUE(short_.open(QIODevice::WriteOnly));
    short_.write(QByteArray(91, ' '));
    short_.close();
    QFile::copy(w.path("good.gnd"), w.path("short.nod"));

    const Project before = w.project();
    const QString caption = w.window.windowTitle().remove(QStringLiteral("[*]"));
    w.open(w.path("good.gnd"));
    w.open(w.path("short"));
    w.open(w.path("missing.gnd"));
    EXPECT_EQ(w.prompts->messages,
              (QStringList{msg::cannotOpenFile(QDir::toNativeSeparators(w.path("good.nod"))),
                           msg::fileMalformed(QDir::toNativeSeparators(w.path("short.gnd"))),
                           msg::cannotOpenFile(QDir::toNativeSeparators(w.path("missing.gnd")))}));
    EXPECT_EQ(w.project(), before);
    EXPECT_EQ(w.window.windowTitle().remove(QStringLiteral("[*]")), caption);

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
    EXPECT_EQ(w.window.windowTitle().remove(QStringLiteral("[*]")), QStringLiteral("TERVAN"));
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

const QString SaveQuestion = QStringLiteral("บันทึกการเปลี่ยนแปลงของโครงการนี้หรือไม่");

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

using Command = std::function<void(Saved&)>;
const std::pair<const char*, Command> Discarding[] = {
    {"New", [](Saved& s) { s.window.mnuFileNew_Click(); }},
    {"Open", [](Saved& s) { s.open(s.path("site.gnd")); }},
    {"Close", [](Saved& s) { s.window.mnuFileClose_Click(); }},
    {"Exit", [](Saved& s) { s.window.mnuFileExit_Click(); }},
    {"CloseButton", [](Saved& s) { s.window.close(); }},
};

} // namespace

TEST(UnsavedChanges, EditsMarkTheProjectAndLookingDoesNot)
{
    const std::pair<const char*, Command> edits[] = {
        {"typed height", [](Saved& s) { s.typeHeight("7"); }},
        {"heading",
         [](Saved& s) {
             s.prompts->onModal = [](QDialog& d) {
                 d.findChild<QLineEdit*>("txtEngineer")->setText("สมศรี");
                 d.findChild<QPushButton*>("cmdOK")->click();
             };
             s.window.mnuEditChoice_Click(1);
         }},
        {"control data",
         [](Saved& s) {
             s.prompts->onModal = [](QDialog& d) { d.accept(); };
             s.window.mnuEditChoice_Click(2);
         }},
    };
    for (const auto& [name, edit] : edits) {
        SCOPED_TRACE(name);
        Saved s;
        EXPECT_FALSE(s.window.isWindowModified());
        edit(s);
        EXPECT_TRUE(s.window.isWindowModified());
        s.prompts->answers << true; // replace the pair
        s.save(s.path("site"));
        EXPECT_FALSE(s.window.isWindowModified());
    }
    Saved s;
    s.typeHeight("");
    s.window.mnuEditChoice_Click(1); // cancelled heading
    s.window.GraphicShow_Click(2);
    EXPECT_FALSE(s.window.isWindowModified());
}

TEST(UnsavedChanges, AskedOnlyWhenSomethingChangedAndCancelKeepsEverything)
{
    for (const auto& [name, command] : Discarding) {
        SCOPED_TRACE(name);
        {
            Saved s;
            command(s);
            EXPECT_TRUE(s.prompts->saveQuestions.isEmpty());
        }
        Saved s;
        s.typeHeight("7");
        const Project before = s.project();
        s.prompts->saveChoices = {Prompts::SaveChoice::Cancel};
        s.prompts->openAnswers << s.path("site.gnd");
        command(s);
        EXPECT_EQ(s.prompts->saveQuestions, QStringList{SaveQuestion});
        EXPECT_EQ(s.project(), before);
        EXPECT_TRUE(s.window.isVisible());
        EXPECT_TRUE(s.window.isWindowModified());
        EXPECT_TRUE(s.editing());

        // Saved from the question, the command goes on.
        s.prompts->saveChoices = {Prompts::SaveChoice::Save};
        s.prompts->saveAnswers << s.path("site");
        s.prompts->answers << true; // replace the pair
        command(s);
        EXPECT_FALSE(s.window.isWindowModified());
        EXPECT_EQ(readProjectAt(s.path("site")).Nodes[6].Z, 7);
    }
}

TEST(UnsavedChanges, SaveAsksBeforeReplacingEitherFileOfThePair)
{
    for (const char* existing : {"old_site.gnd", "old_site.nod"}) {
        SCOPED_TRACE(existing);
        Window w;
        w.makeProject();
        QFile old(w.path(existing));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        w.save(w.path("old_site")); // typed without ".gnd"; answered no
        EXPECT_EQ(w.prompts->questions.size(), 1);
        EXPECT_TRUE(w.prompts->questions.value(0).contains(existing));
        EXPECT_EQ(bytesOf(w.path(existing)), "old");
        EXPECT_TRUE(w.project().GndFileName.isEmpty());

        w.prompts->answers << true;
        w.save(w.path("old_site"));
        EXPECT_EQ(bytesOf(w.path("old_site.gnd")).size(), 92);
    }
}

namespace {

QStringList fileMenuNames(MainWindow& window)
{
    QStringList names;
    for (QAction* a : window.menuItem(QStringLiteral("mnuFile"))->menu()->actions())
        names << a->objectName();
    return names;
}

} // namespace

TEST(HeightsFiles, ImportFromTheFileMenuTakesAllOrListsEveryBadLine)
{
    Window w;
    w.makeProject(); // 2 x 3 at 5 m
    // The additions stand together behind the specified items, before Exit.
    EXPECT_EQ(fileMenuNames(w.window).mid(5),
              (QStringList{"mnuFileFree2", "mnuFileImportHeights", "mnuFileExportHeights",
                           "mnuFileFromSurvey", "mnuFilePrinter", "mnuFileExportContours",
                           "mnuFileExportSurface", "mnuFileFree3", "mnuFileExit"}));
    const auto writeCsv = [&](const QString& name, const QByteArray& text) {
        QFile f(w.path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return w.path(name);
    };
    QStringList listed;
    w.prompts->onModal = [&](QDialog& d) {
        EXPECT_EQ(d.objectName(), "frmImportErrors");
        auto* list = d.findChild<QListWidget*>("lstErrors");
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

    w.prompts->openAnswers << writeCsv("good.csv", "3;7.5\n6;-1.25\n");
    w.window.menuItem("mnuFileImportHeights")->trigger();
    EXPECT_EQ(w.project().Nodes[3].Z, 7.5f);
    EXPECT_EQ(w.project().Nodes[6].Z, -1.25f);
    EXPECT_EQ(w.project().ElevMin, -1.25f);
    EXPECT_TRUE(w.window.isWindowModified());
    EXPECT_TRUE(w.window.statusBar()->currentMessage().contains("นำเข้าค่าระดับ 2 จุด"));

    w.prompts->saveAnswers << w.path("out.csv");
    w.window.menuItem("mnuFileExportHeights")->trigger();
    EXPECT_TRUE(bytesOf(w.path("out.csv")).startsWith("node,x,y,elevation\n1,0,0,100.35\n"));
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
                 {"mnuFileExportSurface", "s.asc", "ncols 3\nnrows 2\n"},
                 {"mnuFileExportSurface", "s.dxf", {}}};
    for (const auto& c : cases) {
        w.prompts->messages.clear();
        w.prompts->saveAnswers << w.path(c.file);
        w.window.menuItem(c.item)->trigger();
        EXPECT_EQ(QFile::exists(w.path(c.file)), !c.starts.isEmpty()) << c.file;
        EXPECT_TRUE(bytesOf(w.path(c.file)).startsWith(c.starts)) << c.file;
        EXPECT_EQ(w.prompts->messages.size(), c.starts.isEmpty() ? 1 : 0) << c.file;
    }
    EXPECT_TRUE(w.prompts->lastFilter.contains("LandXML (*.xml)"));
}
