#include "app/aboutdialog.h"
#include "app/systeminfo.h"
#include "support/printto.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace tervan;

namespace {

// Answers from a script and records what was asked of it.
class FakeSystemInfo final : public SystemInfo
{
public:
    std::optional<QString> first, second;
    QString existingFile;
    bool startSucceeds = true;
    bool throwOnFirst = false;
    QStringList started;
    int secondLookups = 0;

    std::optional<QString> firstLookup() override
    {
        if (throwOnFirst)
            throw std::runtime_error("registry");
        return first;
    }
    std::optional<QString> secondLookup() override
    {
        ++secondLookups;
        return second;
    }
    bool fileExists(const QString& path) override { return path == existingFile; }
    bool start(const QString& program) override
    {
        started << program;
        return startSucceeds;
    }
};

QList<QLabel*> frames(QWidget& dialog)
{
    QList<QLabel*> out;
    for (int i = 0; i < AboutDialog::FrameCount; ++i)
        out << dialog.findChild<QLabel*>(QStringLiteral("Image1_%1").arg(i));
    return out;
}

QList<int> visibleFrames(QWidget& dialog)
{
    QList<int> shown;
    const QList<QLabel*> all = frames(dialog);
    for (int i = 0; i < all.size(); ++i)
        if (all[i]->isVisibleTo(&dialog))
            shown << i;
    return shown;
}

QPushButton* button(QWidget& dialog, const char* name)
{
    return dialog.findChild<QPushButton*>(QLatin1String(name));
}

} // namespace

TEST(AboutDialog, FramesStartStackedAtTheFirstAndSixteenTicksGoRoundOnce)
{
    FakeSystemInfo info;
    AboutDialog dialog(info, [](const QString&) {});
    for (QLabel* frame : frames(dialog)) {
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->pos(), QPoint(8, 8));
    }
    EXPECT_EQ(visibleFrames(dialog), QList<int>{0});
    EXPECT_EQ(dialog.frame(), 0);
    auto* timer = dialog.findChild<QTimer*>("Timer1");
    ASSERT_NE(timer, nullptr);
    timer->setInterval(1000);
    const QList<int> expected = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0, 1};
    for (int tick = 0; tick < expected.size(); ++tick) {
        dialog.Timer1_Timer();
        EXPECT_EQ(dialog.frame(), expected[tick]) << tick;
        EXPECT_EQ(visibleFrames(dialog), QList<int>{expected[tick]}) << tick;
        EXPECT_EQ(timer->interval(), 125) << tick;
    }
}

TEST(AboutDialog, AnimatesWhileOpenAndClosingStopsIt)
{
    FakeSystemInfo info;
    AboutDialog dialog(info, [](const QString&) {});
    dialog.show();
    auto* timer = dialog.findChild<QTimer*>("Timer1");
    QSignalSpy ticks(timer, &QTimer::timeout);
    ASSERT_TRUE(ticks.wait(5000));
    EXPECT_EQ(dialog.frame(), 1);
    button(dialog, "cmdOK")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(timer->isActive());
}

// The pictures are the terrain turning: each frame different, all of the mesh inside it.
TEST(AboutDialog, FifteenDistinctPicturesOfTheWholeMesh)
{
    FakeSystemInfo info;
    AboutDialog dialog(info, [](const QString&) {});
    QList<QImage> images;
    for (QLabel* frame : frames(dialog))
        images << frame->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    for (int i = 0; i < images.size(); ++i) {
        const QImage& image = images[i];
        ASSERT_EQ(image.size(), QSize(160, 120)) << i;
        int edgeInk = 0; // the whole mesh is in view
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                edgeInk += image.pixel(x, y) != qRgb(255, 255, 255) &&
                           (x == 0 || y == 0 || x == 159 || y == 119);
        EXPECT_EQ(edgeInk, 0) << i;
        for (int j = 0; j < i; ++j)
            EXPECT_NE(image, images[j]) << i << " " << j;
    }
}

TEST(RegistryValueText, StringsAndNumbers)
{
    struct Row
    {
        quint32 type;
        QByteArray data;
        QString text;
    };
    const Row rows[] = {
        {1, QByteArray("C:\\PROGRA~1\\MSINFO\\MSINFO32.EXE\0", 32),
         "C:\\PROGRA~1\\MSINFO\\MSINFO32.EXE"},
        {1, "no zero", "no zero"},
        {1, {}, ""},
        {4, QByteArray("\x10\x27\x00\x00", 4), "10000"},
        {4, QByteArray("\x01\x00\x00\x00", 4), "1"},
        {4, QByteArray("\x00\x00\x00\x01", 4), "16777216"},
        // Every byte is two digits, also below 0x10.
        {4, QByteArray("\x0f\x0a\x00\x00", 4), "2575"},
        {4, QByteArray("\xff\xff\xff\xff", 4), "4294967295"},
        {4, QByteArray(4, '\0'), "0"},
        {2, QByteArray("%SystemRoot%\0", 13), ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(registryValueText(row.type, row.data), row.text)
            << row.type << " " << row.data.toHex().constData();
}

TEST(SysInfo, FallsThroughFromTheFirstPlaceToTheSecondToTheMessage)
{
    const QString folder = QStringLiteral("C:\\WINDOWS\\MSINFO");
    const QString inFolder = folder + QStringLiteral("\\MSINFO32.EXE");
    const QString program = QStringLiteral("C:\\PROGRA~1\\MSINFO32.EXE");
    struct Row
    {
        const char* name;
        std::optional<QString> first, second;
        QString existingFile;
        bool startSucceeds;
        QStringList started;
        bool message;
        bool throws = false;
    };
    const Row rows[] = {
        {"first found", program, folder, inFolder, true, {program}, false},
        {"second with the file", {}, folder, inFolder, true, {inFolder}, false},
        {"second without the file", {}, folder, "", true, {}, true},
        {"second names another file", {}, folder, folder, true, {}, true},
        {"neither", {}, {}, inFolder, true, {}, true},
        {"first fails to start", program, folder, inFolder, false, {program}, true},
        {"second fails to start", {}, folder, inFolder, false, {inFolder}, true},
        {"lookup throws", program, folder, inFolder, true, {}, true, true},
    };
    for (const Row& row : rows) {
        FakeSystemInfo info;
        info.first = row.first;
        info.second = row.second;
        info.existingFile = row.existingFile;
        info.startSucceeds = row.startSucceeds;
        info.throwOnFirst = row.throws;
        QStringList messages;
        startSysInfo(info, [&](const QString& text) { messages << text; });
        EXPECT_EQ(info.started, row.started) << row.name;
        EXPECT_EQ(messages, row.message ? QStringList{SysInfoUnavailable} : QStringList())
            << row.name;
        // A program from the first place is not second-guessed.
        if (row.first && !row.throws) {
            EXPECT_EQ(info.secondLookups, 0) << row.name;
        }
    }
}

TEST(AboutDialog, SysInfoButtonStartsTheViewerOrShowsAPlainBox)
{
    FakeSystemInfo info;
    info.first = QStringLiteral("viewer");
    AboutDialog dialog(info, {});
    button(dialog, "cmdSysInfo")->click();
    EXPECT_EQ(info.started, QStringList{"viewer"});
    info.first.reset();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = true;
        EXPECT_EQ(box->text(), SysInfoUnavailable);
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box->windowTitle(), QGuiApplication::applicationDisplayName());
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        box->button(QMessageBox::Ok)->click();
    });
    button(dialog, "cmdSysInfo")->click();
    EXPECT_TRUE(seen);
}

#ifndef Q_OS_WIN
TEST(SysInfo, PlatformLayerTakesTheFirstViewerFoundAndReportsAFailedStart)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto makeViewer = [&](const QString& name) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    PlatformSystemInfo info({dir.path()});
    EXPECT_EQ(info.firstLookup(), std::nullopt);
    makeViewer("kinfocenter");
    EXPECT_EQ(info.firstLookup(), dir.filePath("kinfocenter"));
    makeViewer("gnome-system-monitor");
    EXPECT_EQ(info.firstLookup(), dir.filePath("gnome-system-monitor"));
    makeViewer("hardinfo");
    EXPECT_EQ(info.firstLookup(), dir.filePath("hardinfo"));
    EXPECT_EQ(info.secondLookup(), std::nullopt);
    EXPECT_FALSE(info.start(dir.filePath("missing")));
    EXPECT_FALSE(info.start(QString()));
}
#endif
