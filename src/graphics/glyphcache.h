#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <array>
#include <unordered_map>
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
    GlyphCache(const QFont& font, QPainter::RenderHints hints);

    // Draws `glyph` with its pen position at (x, y) device pixels, as drawGlyphRun would.
    void draw(QImage& image, quint32 glyph, double x, double y, QRgb colour);

private:
    struct Mask
    {
        int left = 0, top = 0, width = 0, height = 0;
        std::vector<uchar> coverage;
    };
    // The sub-pixel phases of a font: for each 1/64 fraction, the first fraction drawn alike.
    struct Phases
    {
        std::array<quint8, 64> x{}, y{};
    };
    static const Phases& phasesFor(const QFont& font, QPainter::RenderHints hints,
                                   const QRawFont& raw);
    static QImage render(const QRawFont& raw, QPainter::RenderHints hints, quint32 glyph,
                         int fractionX, int fractionY);
    const Mask& mask(quint32 glyph, int fractionX, int fractionY);

    QRawFont m_raw;
    QPainter::RenderHints m_hints;
    const Phases* m_phases;
    std::unordered_map<quint64, Mask> m_masks;
};

} // namespace tervan
