#include "graphics/imagesurface.h"
#include "graphics/palette.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

// Contour-like strokes: a dot, then lines from it, in two colours and widths, some running
// off the picture. With `eachAlone` every stroke is flushed on its own, so no dot is left out.
QImage strokes(quint32 seed, bool eachAlone)
{
    QImage image(64, 48, QImage::Format_RGB32);
    ImageSurface s(image);
    s.setWorld(0, 48, 64, 0);
    s.clear();
    QRandomGenerator rng(seed);
    auto coordinate = [&rng](int size) { return float(rng.bounded(size * 12) - size) / 8; };
    for (int i = 0; i < 400; ++i) {
        s.setLineWidth(1 + int(rng.bounded(2)));
        const int colour = rng.bounded(4) == 0 ? colour::Red : colour::Green;
        float x = coordinate(64), y = coordinate(48);
        s.line(x, y, x, y, colour);
        if (eachAlone)
            s.flush();
        for (int k = int(rng.bounded(3)); k > 0; --k) {
            const float nx = coordinate(64), ny = coordinate(48);
            s.line(x, y, nx, ny, rng.bounded(5) == 0 ? colour::Blue : colour);
            if (eachAlone)
                s.flush();
            x = nx, y = ny;
        }
    }
    return image;
}

} // namespace

class DotsLeftOut : public ::testing::TestWithParam<quint32>
{
};

TEST_P(DotsLeftOut, OnlyWhereTheNextLineCoversThem)
{
    EXPECT_EQ(strokes(GetParam(), false), strokes(GetParam(), true));
}

INSTANTIATE_TEST_SUITE_P(Seeds, DotsLeftOut, ::testing::Values(1u, 2u, 3u, 20261207u));

namespace {

// Labels at random places (partly off the picture, negative positions included) in random
// palette colours over a striped background, through the glyph cache or the painter.
QImage labels(quint32 seed, bool cached)
{
    QImage image(160, 120, QImage::Format_RGB32);
    ImageSurface s(image);
    s.setGlyphCacheEnabled(cached);
    s.setWorld(0, 120, 160, 0);
    s.clear();
    QRandomGenerator rng(seed);
    for (int i = 0; i < 160; i += 3)
        s.line(float(i), 0, float(i) + 40, 120, int(rng.bounded(16)));
    s.setFont(QStringLiteral("Sans"), 6 + rng.bounded(8), rng.bounded(2) == 1);
    for (int i = 0; i < 300; ++i) {
        s.moveTo(float(rng.bounded(200.0) - 30), float(rng.bounded(150.0) - 10));
        s.text(QString::number(rng.bounded(-5000, 5000) / 7.0, 'f', int(rng.bounded(3))) +
                   QStringLiteral(" Ag"),
               int(rng.bounded(16)));
    }
    return image;
}

} // namespace

class GlyphCacheLabels : public ::testing::TestWithParam<quint32>
{
};

TEST_P(GlyphCacheLabels, MatchThePainterPixelForPixel)
{
    const QImage cached = labels(GetParam(), true), painted = labels(GetParam(), false);
    int differing = 0;
    for (int y = 0; y < cached.height(); ++y)
        for (int x = 0; x < cached.width(); ++x)
            differing += cached.pixel(x, y) != painted.pixel(x, y);
    EXPECT_EQ(differing, 0);
}

INSTANTIATE_TEST_SUITE_P(Seeds, GlyphCacheLabels, ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u));
