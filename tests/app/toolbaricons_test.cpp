#include "app/toolbaricons.h"

#include "support/printto.h"

#include <QImage>
#include <QPixmap>
#include <QSet>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>

namespace tervan {
namespace {

const QStringList ToolbarOrder{"New",         "Open",      "Save",         "Control",
                               "InputEle",    "ViewGrid",  "ViewContour",  "View3D",
                               "NormalView",  "FitScreen", "ZoomIn",       "ZoomOut",
                               "ChangeColor", "RotatPlus", "RotatMinus",   "AutoGrade",
                               "FixGrade",    "PrintData", "PrintGraphic", "PrintGrade"};

QImage render(const QString& key, int size)
{
    return toolbarIcon(key).pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Pixels that a viewer would see as different, not rounding noise from antialiasing.
int visibleDifference(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int d =
                std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            if (d > 48)
                ++count;
        }
    }
    return count;
}

QRect inkBounds(const QImage& image)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 64)
                r |= QRect(x, y, 1, 1);
    return r;
}

TEST(ToolbarIcons, KeysAreTheToolbarInOrder)
{
    EXPECT_EQ(toolbarIconKeys(), ToolbarOrder);
}

class EveryIcon : public ::testing::TestWithParam<QString>
{
};

TEST_P(EveryIcon, HasAPixmapForEachToolbarSize)
{
    const QIcon icon = toolbarIcon(GetParam());
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (int n : {16, 24, 32})
        EXPECT_TRUE(sizes.contains(QSize(n, n))) << n;
}

TEST_P(EveryIcon, IsASolidPictureNotABlankOrAFilledSquare)
{
    const QImage image = render(GetParam(), 32);
    ASSERT_EQ(image.size(), QSize(32, 32));
    int covered = 0;
    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) > 200) {
                ++covered;
                colours.insert(p & 0xf0f0f0); // ignore antialiasing shades
            }
        }
    }
    EXPECT_GT(covered, 32 * 32 / 8);
    EXPECT_LT(covered, 32 * 32 * 9 / 10);
    EXPECT_GE(colours.size(), 3);
}

// Every size is the same drawing scaled, so the picture fills the same share of the square;
// a size drawn unscaled would be cropped or shrunk.
TEST_P(EveryIcon, SmallerSizesAreTheSameDrawingScaled)
{
    const QRect big = inkBounds(render(GetParam(), 32));
    for (int n : {16, 24}) {
        const QRect small = inkBounds(render(GetParam(), n));
        const double k = n / 32.0;
        SCOPED_TRACE(n);
        EXPECT_NEAR(small.left(), big.left() * k, 1.5);
        EXPECT_NEAR(small.top(), big.top() * k, 1.5);
        EXPECT_NEAR(small.right(), big.right() * k, 1.5);
        EXPECT_NEAR(small.bottom(), big.bottom() * k, 1.5);
    }
}

INSTANTIATE_TEST_SUITE_P(ToolbarIcons, EveryIcon, ::testing::ValuesIn(ToolbarOrder),
                         [](const auto& info) { return info.param.toStdString(); });

// Buttons have to be told apart at a glance, including the pairs that share a shape: the bar
// that turns the zoom-out minus into a plus is about 30 pixels at this size.
TEST(ToolbarIcons, AllPicturesAreClearlyDifferent)
{
    constexpr int MinDifferentPixels = 24;
    QList<QImage> images;
    for (const QString& key : ToolbarOrder)
        images << render(key, 32);
    for (int i = 0; i < images.size(); ++i)
        for (int j = i + 1; j < images.size(); ++j)
            EXPECT_GE(visibleDifference(images[i], images[j]), MinDifferentPixels)
                << ToolbarOrder[i].toStdString() << " vs " << ToolbarOrder[j].toStdString();
}

TEST(ToolbarIcons, ClockwiseRotationIsTheMirrorOfAnticlockwise)
{
    for (int n : {16, 24, 32}) {
        const QImage plus = render("RotatPlus", n);
        const QImage minus = render("RotatMinus", n);
        SCOPED_TRACE(n);
        EXPECT_LE(visibleDifference(plus.mirrored(true, false), minus), n * n / 100);
        EXPECT_GE(visibleDifference(plus, minus), n * n / 20);
    }
}

TEST(ToolbarIcons, UnknownKeysGiveANullIcon)
{
    const QStringList unknown{"", "new", "NEW", " New", "ViewGrid ", "Zoom", "Print", "Rotat"};
    for (const QString& key : unknown) {
        EXPECT_TRUE(toolbarIcon(key).isNull()) << key.toStdString();
        EXPECT_TRUE(toolbarIcon(key).availableSizes().isEmpty()) << key.toStdString();
    }
}

} // namespace
} // namespace tervan
