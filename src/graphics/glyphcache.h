#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <array>
#include <memory>
#include <vector>

namespace tervan {

// Single glyphs of one font as the raster engine draws them on an image, kept as coverage
// masks and blended straight into an RGB32 image: a grid with every label on writes a third
// of a million characters, and the painter's per-glyph path would cost nearly all of it.
//
// The raster engine places a glyph by its pen position in 1/64 pixel and renders only a few
// distinct sub-pixel phases; which fractions share a phase is measured once per font by
// drawing probe glyphs at every fraction, so each mask is the engine's own rendering, moved by
// whole pixels. Pixels come out as the painter would blend them.
class GlyphCache
{
public:
    // Fonts up to this line height (pixels) fit the probe image masks are made on.
    static constexpr double LargestLineHeight = 48;

    GlyphCache(const QFont& font, QPainter::RenderHints hints);

    // Draws `glyph` with its pen position at (x, y) device pixels, as drawGlyphRun would,
    // into an RGB32 image of w x h pixels at `bits`.
    void draw(uchar* bits, qsizetype stride, int w, int h, quint32 glyph, double x, double y,
              QRgb colour);

private:
    struct Mask
    {
        int left = 0, top = 0, width = 0, height = 0;
        // Coverage of every pixel of the box, row by row; a zero leaves a pixel as it is.
        std::vector<uchar> coverage;
        // 255 - coverage, once per channel of each pixel, ready to multiply.
        std::vector<quint16> inverse;
    };
    // A mask and its pen share (pen x coverage) for the colour drawn last with it.
    struct Painted
    {
        const Mask* mask = nullptr;
        QRgb colour = 0;
        std::vector<QRgb> pen;
    };
    // Every mask made so far for one font, shared by the caches of all surfaces (a redraw
    // makes a new surface, and making masks costs more than drawing a grid's labels).
    struct FontMasks;
    static FontMasks& fontMasks(const QFont& font, QPainter::RenderHints hints);
    // The sub-pixel phases of a font: for each 1/64 fraction, the first fraction drawn alike.
    struct Phases
    {
        std::array<quint8, 64> x{}, y{};
        // Each fraction's phase as a number from 0, and how many phases there are.
        std::array<quint8, 64> xIndex{}, yIndex{};
        int xCount = 0, yCount = 0;
    };
    static const Phases& phasesFor(const QFont& font, QPainter::RenderHints hints,
                                   const QRawFont& raw);
    static QImage render(const QRawFont& raw, QPainter::RenderHints hints, quint32 glyph,
                         int fractionX, int fractionY);
    Painted& mask(quint32 glyph, int fractionX, int fractionY);
    const Mask& sharedMask(quint32 glyph, std::size_t phase, int fractionX, int fractionY);
    Mask makeMask(quint32 glyph, int fractionX, int fractionY) const;

    QRawFont m_raw;
    QPainter::RenderHints m_hints;
    const Phases* m_phases;
    FontMasks* m_shared;
    // Masks by glyph index, then phase, looked up in the shared store as they are first drawn.
    std::vector<std::vector<Painted>> m_masks;
    // The pen colour at each coverage, for the colour drawn last.
    QRgb m_tableColour = 0;
    std::array<QRgb, 256> m_pen{};
};

} // namespace tervan
