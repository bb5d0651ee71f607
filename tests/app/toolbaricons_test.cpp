#include "app/toolbaricons.h"

#include "support/files.h"
#include "support/printto.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace tervan {
namespace {

// The main window's test checks that it finds an icon for each of its buttons.
const QStringList Keys = toolbarIconKeys();

QImage render(const QString& key, int size)
{
    return toolbarIcon(key).pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Pixels that a viewer would see as different, not rounding noise from antialiasing.
int visibleDifference(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            count +=
                std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))}) > 48;
        }
    return count;
}

using EveryIcon = ::testing::TestWithParam<QString>;

TEST_P(EveryIcon, IsAPictureAtEveryToolbarSizeNotABlankOrAFilledSquare)
{
    ASSERT_FALSE(toolbarIcon(GetParam()).isNull());
    for (int n : {16, 24, 32}) {
        QImage blank(n, n, QImage::Format_ARGB32);
        blank.fill(Qt::transparent);
        const int inked = visibleDifference(render(GetParam(), n), blank);
        EXPECT_GT(inked, n * n / 8) << n;
        EXPECT_LT(inked, n * n * 9 / 10) << n;
    }
}

INSTANTIATE_TEST_SUITE_P(ToolbarIcons, EveryIcon, ::testing::ValuesIn(Keys),
                         [](const auto& info) { return info.param.toStdString(); });

// Buttons have to be told apart at a glance, including the pairs that share a shape: the bar
// that turns the zoom-out minus into a plus is about 30 pixels at this size.
TEST(ToolbarIcons, AllTwentyPicturesAreClearlyDifferent)
{
    ASSERT_EQ(Keys.size(), 20);
    for (int i = 0; i < Keys.size(); ++i)
        for (int j = i + 1; j < Keys.size(); ++j)
            EXPECT_GE(visibleDifference(render(Keys[i], 32), render(Keys[j], 32)), 24)
                << Keys[i].toStdString() << " vs " << Keys[j].toStdString();
}

TEST(ToolbarIcons, ClockwiseRotationIsTheMirrorOfAnticlockwise)
{
    for (int n : {16, 24, 32}) {
        const QImage plus = render("RotatPlus", n), minus = render("RotatMinus", n);
        ASSERT_EQ(plus.size(), QSize(n, n));
        EXPECT_LE(visibleDifference(plus.mirrored(true, false), minus), n * n / 100) << n;
    }
}

// An icon theme whose every picture is a plain red square, for the standard names the toolbar
// could take from a theme; the test's own theme is put back afterwards.
class RedTheme : public testing::Test
{
protected:
    void SetUp() override
    {
        const QDir theme(m_dir.filePath("red"));
        ASSERT_TRUE(theme.mkpath("scalable"));
        ASSERT_TRUE(writeBytes(theme.filePath("index.theme"),
                               "[Icon Theme]\nName=red\nDirectories=scalable\n\n"
                               "[scalable]\nSize=24\nMinSize=8\nMaxSize=512\nType=Scalable\n"));
        const QByteArray square =
            R"(<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24">)"
            R"(<rect width="24" height="24" fill="#ff0000"/></svg>)";
        for (const char* name : {"document-new", "document-open", "document-save", "document-print",
                                 "zoom-in", "zoom-out", "zoom-fit-best", "zoom-original",
                                 "object-rotate-left", "object-rotate-right", "edit-undo"})
            ASSERT_TRUE(
                writeBytes(theme.filePath(QStringLiteral("scalable/%1.svg").arg(name)), square));
        m_paths = QIcon::themeSearchPaths();
        m_name = QIcon::themeName();
        QIcon::setThemeSearchPaths({m_dir.path()});
        QIcon::setThemeName("red");
    }
    void TearDown() override
    {
        QIcon::setThemeSearchPaths(m_paths);
        QIcon::setThemeName(m_name);
    }

private:
    QTemporaryDir m_dir;
    QStringList m_paths;
    QString m_name;
};

// The buttons with a standard meaning take the desktop theme's picture; the others, and the
// three print and two turn buttons that a theme would draw alike, keep their own.
TEST_F(RedTheme, GivesStandardButtonsTheThemePicture)
{
    const QStringList themed{"New", "Open", "Save", "NormalView", "FitScreen", "ZoomIn", "ZoomOut"};
    QImage red(24, 24, QImage::Format_ARGB32);
    red.fill(Qt::red);
    for (const QString& key : Keys)
        EXPECT_EQ(visibleDifference(render(key, 24), red) == 0, themed.contains(key))
            << key.toStdString();
}

TEST(ToolbarIcons, UnknownKeysGiveANullIcon)
{
    for (const char* key : {"", "new", "NEW", " New", "ViewGrid ", "Zoom", "Print", "Rotat"})
        EXPECT_TRUE(toolbarIcon(key).isNull()) << key;
}

} // namespace
} // namespace tervan
