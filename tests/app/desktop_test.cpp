#include "app/appsettings.h"
#include "app/commandline.h"
#include "app/desktop.h"
#include "app/mainwindow.h"
#include "app/recentprojects.h"
#include "common/messages.h"
#include "common/version.h"
#include "graphics/viewwindow.h"
#include "project/controldata.h"
#include "project/projectfile.h"
#include "support/fakeprompts.h"
#include "support/files.h"
#include "support/printto.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTranslator>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tervan;

namespace {

using Action = AppCommandLine::Action;

TEST(CommandLine, ReadsHelpVersionAndOneProject)
{
    const struct
    {
        QStringList words;
        Action action;
        const char* text; // contained in the printed text
    } cases[] = {
        {{"tervan"}, Action::Run, ""},
        {{"tervan", "--help"}, Action::Help, "PROJECT"},
        {{"tervan", "-h"}, Action::Help, "--version"},
        {{"tervan", "--version"}, Action::Version, "tervan " TERVAN_VERSION "\n"},
        {{"tervan", "-v", "site.gnd"}, Action::Version, TERVAN_VERSION},
        {{"tervan", "--bogus"}, Action::Error, "bogus"},
        {{"tervan", "a.gnd", "b.gnd"}, Action::Error, "b.gnd"},
    };
    for (const auto& c : cases) {
        const AppCommandLine line = parseAppCommandLine(c.words);
        EXPECT_EQ(line.action, c.action) << c.words.join(' ').toStdString();
        EXPECT_TRUE(line.text.contains(QString::fromUtf8(c.text))) << line.text.toStdString();
        EXPECT_TRUE(line.project.isEmpty());
    }
    // A project is opened by its absolute name, as the file dialog would give it.
    const AppCommandLine open = parseAppCommandLine({"tervan", "samples/site"});
    EXPECT_EQ(open.action, Action::Run);
    EXPECT_EQ(open.project, QDir::current().absoluteFilePath("samples/site"));
}

// The toolkit's texts that the program's dialogs show, in Thai once the translation is in.
TEST(ThaiTranslation, CoversTheToolkitDialogsTheProgramShows)
{
    QTranslator* translator = installThaiTranslation(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr);
    const struct
    {
        const char* context;
        const char* source;
        const char16_t* thai;
    } cases[] = {
        {"QPlatformTheme", "OK", u"ตกลง"},
        {"QPlatformTheme", "Cancel", u"ยกเลิก"},
        {"QPlatformTheme", "&Yes", u"ใ&ช่"},
        {"QPlatformTheme", "&No", u"ไ&ม่"},
        {"QFileDialog", "Look in:", u"ดูใน:"},
        {"QFileDialog", "%1 already exists.\nDo you want to replace it?",
         u"%1 มีอยู่แล้ว\nต้องการเขียนทับหรือไม่"},
        {"QFileSystemModel", "Date Modified", u"วันที่แก้ไข"},
        {"QPrintDialog", "Print", u"พิมพ์"},
        {"QPrintWidget", "Printer", u"เครื่องพิมพ์"},
        {"QLineEdit", "&Paste", u"&วาง"},
        {"QCommandLineParser", "Usage: %1", u"วิธีใช้: %1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QCoreApplication::translate(c.context, c.source), QString::fromUtf16(c.thai))
            << c.context << ' ' << c.source;

    // As a user meets them: the buttons of a question and the labels of the file dialog.
    QMessageBox box(QMessageBox::Question, msg::Caption, QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("ใ&ช่"));
    QFileDialog dialog(nullptr, QString(), QDir::tempPath(), QStringLiteral("Data File (*.gnd)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("ดูใน:"))) << labels.join('|').toStdString();
    EXPECT_TRUE(labels.contains(QStringLiteral("ชื่อแ&ฟ้ม:"))) << labels.join('|').toStdString();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("บันทึกเป็น"));

    QCoreApplication::removeTranslator(translator);
    delete translator;
}

// The File menu's items by name, "-" for a separator.
QStringList fileMenuOf(const MainWindow& window)
{
    QStringList names;
    for (const QAction* action : window.findChild<QMenu*>("mnuFile")->actions())
        names << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    return names;
}

// A window with its settings in a file of the test's own, as the program has after a start.
struct Session
{
    explicit Session(const QString& file) : settings(file, QSettings::IniFormat)
    {
        window.rememberIn(settings);
    }

    QSettings settings;
    FakePrompts* prompts = new FakePrompts;
    MainWindow window{std::unique_ptr<Prompts>(prompts)};

    RecentProjects& recent() { return *window.recentProjects(); }

    QStringList fileMenu() const { return fileMenuOf(window); }
    QList<bool> labelMarks() const
    {
        QList<bool> marks;
        for (int item : {5, 6, 7, 9, 10})
            marks << window.menuItem(QStringLiteral("ViewChoice_%1").arg(item))->isChecked();
        return marks;
    }
};

// The File menu as the program shows it without remembered settings.
QStringList firstStartFileMenu()
{
    MainWindow window{std::make_unique<FakePrompts>()};
    return fileMenuOf(window);
}

const QList<bool> FirstStartMarks = {false, true, true, false, true};

QString saveProject(const QTemporaryDir& dir, const char* name)
{
    Project p = startupProject();
    applyControlData(p, {10, 3, 4, 1});
    const QString path = dir.filePath(QLatin1String(name));
    EXPECT_FALSE(saveProjectFiles(p, projectFileNames(path)));
    return path + ".gnd";
}

TEST(Settings, SurviveARestart)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("tervan.ini");
    const QString site = saveProject(dir, "site");
    const QString road = saveProject(dir, "road");
    {
        Session first(ini);
        EXPECT_EQ(first.fileMenu(), firstStartFileMenu());
        first.prompts->openAnswers << site << road;
        first.window.mnuFileOpen_Click();
        first.window.mnuFileOpen_Click();
        first.window.menuItem("ViewChoice_5")->trigger();
        first.window.menuItem("ViewChoice_9")->trigger();
        first.window.menuItem("mnuViewLabelsAlong")->trigger();
        first.window.menuItem("mnuViewLevelsFromZero")->trigger();
        first.window.menuItem("mnuViewExaggeration_5")->trigger();
        first.window.menuItem("mnuViewBaseLowest")->trigger();
        first.window.resize(700, 500);
        first.window.show();
        first.window.close();
    }
    Session second(ini);
    // The recent projects stand just above Exit, closed off by a separator.
    QStringList expected = firstStartFileMenu();
    const qsizetype exit = expected.indexOf("mnuFileExit");
    ASSERT_GT(exit, 0);
    EXPECT_EQ(expected[exit - 1], "-");
    expected.insert(exit, "-");
    expected.insert(exit, "mnuFileRecent_2");
    expected.insert(exit, "mnuFileRecent_1");
    EXPECT_EQ(second.fileMenu(), expected);
    EXPECT_EQ(second.window.menuItem("mnuFileRecent_1")->text(), "&1 road.gnd");
    EXPECT_EQ(second.labelMarks(), QList<bool>({true, false, false, true, false}));
    EXPECT_EQ(second.window.project().BoldWholeContours, ContourEmphasis::EveryLevel);
    EXPECT_TRUE(second.window.project().ContourLabelsAlong);
    EXPECT_TRUE(second.window.project().ContourLevelsFromZero);
    EXPECT_EQ(second.window.project().SurfaceExaggeration, 5);
    EXPECT_TRUE(second.window.menuItem("mnuViewExaggeration_5")->isChecked());
    EXPECT_TRUE(second.window.project().SurfaceBaseLowest);
    ASSERT_TRUE(second.window.restoreShape());
    EXPECT_EQ(second.window.size(), QSize(700, 500));

    // The file dialog starts in the folder used last.
    second.window.mnuFileOpen_Click();
    EXPECT_EQ(second.prompts->pickedFrom.value(0), dir.path());
}

TEST(Settings, RecentEntryOpensLikeOpenAndLeavesWhenItsFilesAreGone)
{
    QTemporaryDir dir;
    const QString site = saveProject(dir, "site");
    Session s(dir.filePath("tervan.ini"));
    s.recent().setFiles({site, dir.filePath("gone.gnd")});

    s.window.menuItem("mnuFileRecent_1")->trigger();
    EXPECT_TRUE(
        s.window.windowTitle().startsWith("TERVAN[" + QDir::toNativeSeparators(site) + "]"));
    EXPECT_TRUE(s.prompts->messages.isEmpty());

    // Unsaved changes are asked about first, as Open asks; cancelling keeps them.
    s.prompts->onModal = [](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("txtInt")->setText("2");
        dialog.findChild<QPushButton*>("cmdOK")->click();
    };
    s.window.mnuEditChoice_Click(2);
    ASSERT_TRUE(s.window.isWindowModified());
    s.prompts->saveChoices = {Prompts::SaveChoice::Cancel};
    s.window.menuItem("mnuFileRecent_2")->trigger();
    EXPECT_EQ(s.prompts->saveQuestions.size(), 1);
    EXPECT_TRUE(s.prompts->messages.isEmpty());
    EXPECT_EQ(s.recent().files().size(), 2);

    // Without saving this time: the missing project is refused as Open refuses it.
    s.window.menuItem("mnuFileRecent_2")->trigger();
    EXPECT_EQ(s.prompts->messages,
              QStringList{msg::cannotOpenFile(QDir::toNativeSeparators(dir.filePath("gone.gnd")))});
    EXPECT_EQ(s.recent().files(), QStringList{site});

    // Nine projects keep the newest eight, newest first.
    for (int i = 1; i <= 9; ++i)
        s.recent().add(dir.filePath(QStringLiteral("p%1.gnd").arg(i)));
    EXPECT_EQ(s.recent().files().size(), RecentProjects::MaxCount);
    EXPECT_EQ(s.recent().files().first(), dir.filePath("p9.gnd"));
}

TEST(Settings, GarbageIsIgnored)
{
    const QByteArray files[] = {
        QByteArray("\x00\xff\x13garbage\n[[[\n=\n", 17),
        "[files]\nrecent=@Variant(\\0\\0\\0\\x7f)\nlastFolder=relative/folder\n"
        "[window]\ngeometry=not a geometry\nstate=7\n"
        "[view]\nlabel5=true\nlabel6=true\nlabel7=false\nlabel9=false\ncontourLabelsAlong=2\n"
        "contourLevelsFromZero=x\n",
        "[view]\nlabel5=maybe\nlabel6=1\nlabel7=false\nlabel9=yes\n"
        "[files]\nrecent=relative.gnd, \n",
    };
    for (const QByteArray& bytes : files) {
        QTemporaryDir dir;
        ASSERT_TRUE(writeBytes(dir.filePath("tervan.ini"), bytes));
        Session s(dir.filePath("tervan.ini"));
        EXPECT_EQ(s.fileMenu(), firstStartFileMenu());
        EXPECT_EQ(s.labelMarks(), FirstStartMarks);
        EXPECT_EQ(s.window.project().BoldWholeContours, ContourEmphasis::WholeLevels);
        // Labels along the contour lines and levels from zero come last in the View menu, off.
        const auto view = s.window.findChild<QMenu*>("munView")->actions();
        EXPECT_EQ(view.mid(view.size() - 2),
                  (QList<QAction*>{s.window.menuItem("mnuViewLabelsAlong"),
                                   s.window.menuItem("mnuViewLevelsFromZero")}));
        EXPECT_FALSE(s.window.project().ContourLabelsAlong);
        EXPECT_FALSE(s.window.project().ContourLevelsFromZero);
        EXPECT_FALSE(s.window.restoreShape());
        s.window.mnuFileOpen_Click();
        EXPECT_EQ(s.prompts->pickedFrom.value(0), QString());
    }
}

// Odd or huge settings files are neither read (a FIFO would block for ever) nor written back.
TEST(Settings, OddOrHugeFilesAreLeftAlone)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("a"), folder = dir.filePath("b"), huge = dir.filePath("c");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkdir(folder));
    QFile big(huge);
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(SettingsFile::MaxBytes + 1));
    for (const QString& path : {fifo, folder, huge}) {
        SettingsFile file(path);
        EXPECT_TRUE(file.refused().contains(QDir::toNativeSeparators(path)));
        AppSettings(file.settings()).writeWindow("geometry", "state");
        const QFileInfo after(path);
        EXPECT_EQ(after.isFile() ? after.size() : -1, path == huge ? big.size() : -1);
    }
}

TEST(PlotWheel, ZoomsByTheViewSteps)
{
    FakePrompts* prompts = new FakePrompts;
    MainWindow window{std::unique_ptr<Prompts>(prompts)};
    window.resize(800, 600);
    window.show();
    window.mnuFileNew_Click();
    applyControlData(window.project(), {10, 4, 5, 1});
    QWidget* plot = window.findChild<QWidget*>("picPlot");
    ASSERT_NE(plot, nullptr);

    const struct
    {
        QList<int> deltas; // one wheel event each
        int zoomIns;
        int zoomOuts;
    } cases[] = {{{120}, 1, 0},
                 {{-120}, 0, 1},
                 {{240}, 2, 0},
                 {{60, 60}, 1, 0},
                 {{60}, 0, 0}}; // half notches add up
    for (const auto& c : cases) {
        Project expected = window.project();
        for (int i = 0; i < c.zoomIns; ++i)
            zoomIn(expected);
        for (int i = 0; i < c.zoomOuts; ++i)
            zoomOut(expected);
        const QPointF at(plot->width() / 4.0, plot->height() / 3.0);
        for (int delta : c.deltas) {
            QWheelEvent wheel(at, plot->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(plot, &wheel);
        }
        SCOPED_TRACE(c.deltas.first());
        EXPECT_EQ(window.project().ViewXMin, expected.ViewXMin);
        EXPECT_EQ(window.project().ViewXMax, expected.ViewXMax);
        EXPECT_EQ(window.project().ViewYMax, expected.ViewYMax);
        // The read-out follows the view under the pointer without the mouse moving.
        if (c.zoomIns + c.zoomOuts > 0) {
            const Project& v = window.project();
            const float x = v.ViewXMin + at.x() / plot->width() * (double(v.ViewXMax) - v.ViewXMin);
            const float y =
                v.ViewYMax + at.y() / plot->height() * (double(v.ViewYMin) - v.ViewYMax);
            EXPECT_EQ(window.findChild<QLabel*>("stbMainText")->text(), coordinateReadout(x, y));
        }
    }
}

// What a settings file gives the View menu: its values where they make sense, the choices
// shown for the rest.
TEST(Settings, ViewChoicesRoundTripAndFillGapsFromWhatIsShown)
{
    QTemporaryDir dir;
    const ViewChoices shown;
    {
        QSettings ini(dir.filePath("written.ini"), QSettings::IniFormat);
        const ViewChoices written{{true, false, false}, true, true, 5, true, false};
        AppSettings(ini).writeView(written);
        EXPECT_EQ(AppSettings(ini).read().viewOver(shown), written);
        // The engineer named last is offered for the next project made from points.
        AppSettings(ini).writeEngineer(QStringLiteral("นายวิชัย รักดี"));
        EXPECT_EQ(AppSettings(ini).read().engineer, QStringLiteral("นายวิชัย รักดี"));
    }
    const struct
    {
        const char* text;
        ViewChoices expected;
    } cases[] = {
        {"[view]\nsurfaceExaggeration=3\n", shown}, // not one of the scales offered
        {"[view]\nsurfaceExaggeration=10\nsurfaceBaseLowest=true\n",
         {shown.labels, false, true, 10, false, false}},
        // The label set is taken whole or not at all.
        {"[view]\nlabel5=false\nlabel6=false\nlabel7=true\n", shown},
        {"[view]\nlabel5=false\nlabel6=false\nlabel7=true\nlabel9=true\n",
         {{false, false, true}, true, false, 1, false, false}},
        {"[view]\ncontourLevelsFromZero=true\ncontourLabelsAlong=1\n",
         {shown.labels, false, false, 1, false, true}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(writeBytes(dir.filePath("case.ini"), c.text));
        QSettings ini(dir.filePath("case.ini"), QSettings::IniFormat);
        EXPECT_EQ(AppSettings(ini).read().viewOver(shown), c.expected) << c.text;
    }
}

} // namespace
