#include "graphics/glyphcache.h"

#include <QGlyphRun>
#include <QMutex>
#include <cmath>
#include <map>
#include <memory>

namespace tervan {

namespace {

// The probe image: room for any glyph of a label font around a pen position in its middle.
constexpr int ProbeSize = 160;
constexpr int ProbeOrigin = 64;

// Qt's fixed-point positions truncate towards zero; the pixel and the 1/64 fraction follow.
qint64 fixedOf(double v)
{
    return qint64(v * 64);
}

qint64 floorDiv64(qint64 v)
{
    return v >= 0 ? v / 64 : -((-v + 63) / 64);
}

// The raster engine's blend of an opaque pen colour at a coverage.
inline uint byteMul(uint x, uint a)
{
    uint t = (x & 0xff00ff) * a;
    t = (t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8;
    t &= 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a;
    x = (x + ((x >> 8) & 0xff00ff) + 0x800080);
    x &= 0xff00ff00;
    return x | t;
}

// byteMul with the four channels spread over one 64-bit word: one multiply, same bits.
inline uint byteMul64(uint x, uint a)
{
    quint64 t = (x & 0xff00ff) | (quint64(x & 0xff00ff00) << 24);
    t *= a;
    t = (t + ((t >> 8) & 0x00ff00ff00ff00ffULL) + 0x0080008000800080ULL) >> 8;
    t &= 0x00ff00ff00ff00ffULL;
    return uint(t & 0xff00ff) | uint((t >> 24) & 0xff00ff00);
}

} // namespace

GlyphCache::GlyphCache(const QFont& font, QPainter::RenderHints hints)
    : m_raw(QRawFont::fromFont(font)), m_hints(hints), m_phases(&phasesFor(font, hints, m_raw))
{
}

QImage GlyphCache::render(const QRawFont& raw, QPainter::RenderHints hints, quint32 glyph,
                          int fractionX, int fractionY)
{
    QImage image(ProbeSize, ProbeSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(hints);
    painter.setPen(Qt::white);
    const QPointF origin(0, 0);
    QGlyphRun run;
    run.setRawFont(raw);
    run.setRawData(&glyph, &origin, 1);
    // Exact in binary: the engine sees these very fixed-point values.
    painter.drawGlyphRun(QPointF(ProbeOrigin + fractionX / 64.0, ProbeOrigin + fractionY / 64.0),
                         run);
    return image;
}

const GlyphCache::Phases& GlyphCache::phasesFor(const QFont& font, QPainter::RenderHints hints,
                                                const QRawFont& raw)
{
    static QMutex mutex;
    static std::map<std::pair<QString, int>, std::unique_ptr<Phases>> known;
    const QMutexLocker lock(&mutex);
    auto& phases = known[{font.key(), int(hints)}];
    if (phases)
        return *phases;
    phases = std::make_unique<Phases>();
    // Glyphs of different shapes, so that fractions only share a phase when the engine
    // itself draws them alike.
    std::vector<quint32> probes;
    for (const quint32 g : raw.glyphIndexesForString(QStringLiteral("8Wg/")))
        if (g != 0)
            probes.push_back(g);
    for (const bool vertical : {false, true}) {
        auto& out = vertical ? phases->y : phases->x;
        std::vector<std::pair<int, std::vector<QImage>>> seen;
        for (int f = 0; f < 64; ++f) {
            // Without probes nothing is known to be alike: every fraction stands alone.
            if (probes.empty()) {
                out[f] = quint8(f);
                (vertical ? phases->yIndex : phases->xIndex)[f] = quint8(f);
                seen.emplace_back(f, std::vector<QImage>{});
                continue;
            }
            std::vector<QImage> images;
            for (const quint32 g : probes)
                images.push_back(vertical ? render(raw, hints, g, 0, f)
                                          : render(raw, hints, g, f, 0));
            auto same = std::find_if(seen.begin(), seen.end(),
                                     [&images](const auto& s) { return s.second == images; });
            auto& index = vertical ? phases->yIndex : phases->xIndex;
            if (same == seen.end()) {
                out[f] = quint8(f);
                index[f] = quint8(seen.size());
                seen.emplace_back(f, std::move(images));
            } else {
                out[f] = quint8(same->first);
                index[f] = quint8(same - seen.begin());
            }
        }
        (vertical ? phases->yCount : phases->xCount) = int(seen.size());
    }
    return *phases;
}

GlyphCache::Mask GlyphCache::makeMask(quint32 glyph, int fractionX, int fractionY) const
{
    const QImage image = render(m_raw, m_hints, glyph, fractionX, fractionY);
    int left = ProbeSize, top = ProbeSize, right = -1, bottom = -1;
    for (int y = 0; y < ProbeSize; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < ProbeSize; ++x) {
            if (qAlpha(line[x])) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    Mask m;
    if (right < 0)
        return m;
    m.left = left - ProbeOrigin;
    m.top = top - ProbeOrigin;
    m.width = right - left + 1;
    m.height = bottom - top + 1;
    for (int y = top; y <= bottom; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = left; x <= right; ++x)
            if (const int c = qAlpha(line[x]))
                m.pixels.push_back({qint16(x - left), qint16(y - top), uchar(c)});
    }
    return m;
}

const GlyphCache::Mask& GlyphCache::mask(quint32 glyph, int fractionX, int fractionY)
{
    if (glyph >= m_masks.size())
        m_masks.resize(std::size_t(glyph) + 1);
    auto& phases = m_masks[glyph];
    if (phases.empty())
        phases.resize(std::size_t(m_phases->xCount) * std::size_t(m_phases->yCount));
    auto& slot = phases[std::size_t(m_phases->xIndex[fractionX]) * std::size_t(m_phases->yCount) +
                        m_phases->yIndex[fractionY]];
    if (!slot)
        slot =
            std::make_unique<Mask>(makeMask(glyph, m_phases->x[fractionX], m_phases->y[fractionY]));
    return *slot;
}

void GlyphCache::draw(uchar* bits, qsizetype stride, int w, int h, quint32 glyph, double x,
                      double y, QRgb colour)
{
    const qint64 fx = fixedOf(x), fy = fixedOf(y);
    const qint64 px = floorDiv64(fx), py = floorDiv64(fy);
    const Mask& m = mask(glyph, int(fx - px * 64), int(fy - py * 64));
    const qint64 left = px + m.left, top = py + m.top;
    // Rows and columns of the mask that land on the image.
    const int rowFrom = int(std::clamp<qint64>(-top, 0, m.height));
    const int rowTo = int(std::clamp<qint64>(h - top, 0, m.height));
    const int colFrom = int(std::clamp<qint64>(-left, 0, m.width));
    const int colTo = int(std::clamp<qint64>(w - left, 0, m.width));
    const QRgb opaque = colour | 0xff000000;
    if (m_tableColour != opaque) {
        for (uint c = 0; c < 256; ++c)
            m_pen[c] = byteMul(opaque, c);
        m_tableColour = opaque;
    }
    const bool whole = rowFrom == 0 && colFrom == 0 && rowTo == m.height && colTo == m.width;
    const qint64 origin = top * stride + left * qint64(sizeof(QRgb));
    for (const Mask::Pixel& pixel : m.pixels) {
        if (!whole && (pixel.row < rowFrom || pixel.row >= rowTo || pixel.col < colFrom ||
                       pixel.col >= colTo))
            continue;
        QRgb& d = *reinterpret_cast<QRgb*>(
            bits + (origin + pixel.row * stride + pixel.col * qint64(sizeof(QRgb))));
        // Full coverage and white backgrounds come out of the same sum: no branches.
        const uint c = pixel.coverage;
        d = m_pen[c] + byteMul64(d, 255 - c);
    }
}

} // namespace tervan
