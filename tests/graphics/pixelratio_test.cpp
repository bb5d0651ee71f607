#include "graphics/imagesurface.h"
#include "support/printto.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

// Rows of column `x` that hold a black pixel.
int blackRows(const QImage& image, int x)
{
    int rows = 0;
    for (int y = 0; y < image.height(); ++y)
        rows += image.pixel(x, y) == qRgb(0, 0, 0);
    return rows;
}

// On a screen scaled by a ratio the picture has the screen's pixels: the same world window on
// the whole image, lines and text grown by the ratio, and the image keeps its ratio.
TEST(PixelRatio, DrawsTheSamePictureWithFinerPixels)
{
    const struct
    {
        qreal ratio;
        int lineRows;
    } cases[] = {{1, 1}, {1.5, 2}, {2, 2}};
    float baseWidth = 0;
    for (const auto& c : cases) {
        QImage image((QSizeF(400, 300) * c.ratio).toSize(), QImage::Format_RGB32);
        image.setDevicePixelRatio(c.ratio);
        float textWidth = 0;
        {
            ImageSurface s(image);
            s.setWorld(0, 30, 40, 0);
            s.clear();
            s.line(0, 15, 40, 15);
            textWidth = s.textWidth(QStringLiteral("12,103.45"));
        }
        EXPECT_EQ(image.devicePixelRatio(), c.ratio);
        EXPECT_EQ(blackRows(image, image.width() / 2), c.lineRows) << c.ratio;
        // World y 15 is half-way down at every ratio.
        EXPECT_EQ(image.pixel(image.width() / 2, image.height() / 2), qRgb(0, 0, 0)) << c.ratio;
        if (c.ratio == 1)
            baseWidth = textWidth;
        EXPECT_NEAR(textWidth, baseWidth, baseWidth * 0.1) << c.ratio;
    }
}

} // namespace
