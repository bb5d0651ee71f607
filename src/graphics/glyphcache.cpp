#include "graphics/glyphcache.h"

#include <QGlyphRun>
#include <QMutex>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TERVAN_BLEND_AVX2 1
#endif

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

#if defined(__SSE2__)
// byteMul on each 16-bit channel of two pixels: the same sums, none of which exceeds 16 bits.
inline __m128i byteMul16(__m128i x, __m128i a)
{
    __m128i t = _mm_mullo_epi16(x, a);
    t = _mm_add_epi16(t, _mm_srli_epi16(t, 8));
    t = _mm_add_epi16(t, _mm_set1_epi16(0x80));
    return _mm_srli_epi16(t, 8);
}
#endif

// pen x coverage + destination x (255 - coverage) along one row, four pixels at a time where
// the processor allows; the two products are added as whole words, as the single-pixel sum.
inline void blendRow(QRgb* d, const uchar* c, int n, QRgb pen, const std::array<QRgb, 256>& penAt)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i pen16 = _mm_unpacklo_epi8(_mm_set1_epi32(int(pen)), zero);
    const __m128i full = _mm_set1_epi16(255);
    for (; i + 4 <= n; i += 4) {
        quint32 four;
        std::memcpy(&four, c + i, 4);
        if (four == 0)
            continue;
        __m128i cv = _mm_cvtsi32_si128(int(four));
        cv = _mm_unpacklo_epi8(cv, cv);
        cv = _mm_unpacklo_epi16(cv, cv);
        const __m128i clo = _mm_unpacklo_epi8(cv, zero), chi = _mm_unpackhi_epi8(cv, zero);
        const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const __m128i penPart = _mm_packus_epi16(byteMul16(pen16, clo), byteMul16(pen16, chi));
        const __m128i backPart =
            _mm_packus_epi16(byteMul16(_mm_unpacklo_epi8(dv, zero), _mm_sub_epi16(full, clo)),
                             byteMul16(_mm_unpackhi_epi8(dv, zero), _mm_sub_epi16(full, chi)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_add_epi32(penPart, backPart));
    }
#else
    Q_UNUSED(pen);
#endif
    for (; i < n; ++i) {
        // Full coverage and white backgrounds come out of the same sum: no branches.
        const uint cover = c[i];
        d[i] = penAt[cover] + byteMul64(d[i], 255 - cover);
    }
}

#if defined(TERVAN_BLEND_AVX2)
__attribute__((target("avx2"))) inline __m256i byteMul16x2(__m256i x, __m256i a)
{
    __m256i t = _mm256_mullo_epi16(x, a);
    t = _mm256_add_epi16(t, _mm256_srli_epi16(t, 8));
    t = _mm256_add_epi16(t, _mm256_set1_epi16(0x80));
    return _mm256_srli_epi16(t, 8);
}

// Rows of one mask on an image, the first pixel and coverage byte of each row apart by stride
// and maskWidth.
struct Blit
{
    uchar* bits;
    qsizetype stride;
    const uchar* coverage;
    // Aligned with coverage, pixel for pixel.
    const QRgb* penPart;
    const quint16* inverse;
    int maskWidth, rows, cols;
    QRgb pen;
    const std::array<QRgb, 256>* penAt;
};

void blendMask(const Blit& b)
{
    for (int row = 0; row < b.rows; ++row)
        blendRow(reinterpret_cast<QRgb*>(b.bits + row * b.stride),
                 b.coverage + std::size_t(row) * std::size_t(b.maskWidth), b.cols, b.pen, *b.penAt);
}

// blendMask eight pixels at a time, for processors with AVX2; the same sums.
__attribute__((target("avx2"))) void blendMaskAvx2(const Blit& b)
{
    for (int row = 0; row < b.rows; ++row) {
        auto* d = reinterpret_cast<QRgb*>(b.bits + row * b.stride);
        const std::size_t start = std::size_t(row) * std::size_t(b.maskWidth);
        const uchar* c = b.coverage + start;
        const QRgb* penPart = b.penPart + start;
        const quint16* inverse = b.inverse + 4 * start;
        int i = 0;
        for (; i + 8 <= b.cols; i += 8) {
            quint64 eight;
            std::memcpy(&eight, c + i, 8);
            if (eight == 0)
                continue;
            const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
            const __m256i dlo = _mm256_cvtepu8_epi16(_mm256_castsi256_si128(dv));
            const __m256i dhi = _mm256_cvtepu8_epi16(_mm256_extracti128_si256(dv, 1));
            const auto* inv = reinterpret_cast<const __m256i*>(inverse + 4 * i);
            const __m256i backPart =
                _mm256_packus_epi16(byteMul16x2(dlo, _mm256_loadu_si256(inv)),
                                    byteMul16x2(dhi, _mm256_loadu_si256(inv + 1)));
            // The pack interleaves the two halves by 128-bit lanes; put the pixels in order.
            const __m256i sum =
                _mm256_add_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(penPart + i)),
                                 _mm256_permute4x64_epi64(backPart, 0xd8));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), sum);
        }
        if (i < b.cols)
            blendRow(d + i, c + i, b.cols - i, b.pen, *b.penAt);
    }
}

bool hasAvx2()
{
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
}
#endif

} // namespace

struct GlyphCache::FontMasks
{
    QMutex mutex;
    // By glyph index, then phase; masks are never changed or freed once made.
    std::vector<std::vector<std::unique_ptr<Mask>>> masks;
};

GlyphCache::FontMasks& GlyphCache::fontMasks(const QFont& font, QPainter::RenderHints hints)
{
    static QMutex mutex;
    static std::map<std::pair<QString, int>, std::unique_ptr<FontMasks>> known;
    const QMutexLocker lock(&mutex);
    auto& masks = known[{font.key(), int(hints)}];
    if (!masks)
        masks = std::make_unique<FontMasks>();
    return *masks;
}

GlyphCache::GlyphCache(const QFont& font, QPainter::RenderHints hints)
    : m_raw(QRawFont::fromFont(font)), m_hints(hints), m_phases(&phasesFor(font, hints, m_raw)),
      m_shared(&fontMasks(font, hints))
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
    // Whole groups of eight pixels blend together; the padding's zero coverage changes nothing.
    m.width = (right - left + 8) / 8 * 8;
    m.height = bottom - top + 1;
    m.coverage.assign(std::size_t(m.width) * std::size_t(m.height), 0);
    for (int y = top; y <= bottom; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = left; x <= right; ++x)
            m.coverage[std::size_t(y - top) * std::size_t(m.width) + std::size_t(x - left)] =
                uchar(qAlpha(line[x]));
    }
    m.inverse.reserve(4 * m.coverage.size());
    for (const uchar c : m.coverage)
        m.inverse.insert(m.inverse.end(), 4, quint16(255 - c));
    return m;
}

GlyphCache::Painted& GlyphCache::mask(quint32 glyph, int fractionX, int fractionY)
{
    if (glyph >= m_masks.size())
        m_masks.resize(std::size_t(glyph) + 1);
    auto& phases = m_masks[glyph];
    if (phases.empty())
        phases.resize(std::size_t(m_phases->xCount) * std::size_t(m_phases->yCount));
    const std::size_t phase =
        std::size_t(m_phases->xIndex[fractionX]) * std::size_t(m_phases->yCount) +
        m_phases->yIndex[fractionY];
    auto& slot = phases[phase];
    if (!slot.mask)
        slot.mask = &sharedMask(glyph, phase, fractionX, fractionY);
    return slot;
}

const GlyphCache::Mask& GlyphCache::sharedMask(quint32 glyph, std::size_t phase, int fractionX,
                                               int fractionY)
{
    const QMutexLocker lock(&m_shared->mutex);
    auto& masks = m_shared->masks;
    if (glyph >= masks.size())
        masks.resize(std::size_t(glyph) + 1);
    auto& phases = masks[glyph];
    if (phases.empty())
        phases.resize(std::size_t(m_phases->xCount) * std::size_t(m_phases->yCount));
    auto& slot = phases[phase];
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
    Painted& painted = mask(glyph, int(fx - px * 64), int(fy - py * 64));
    const Mask& m = *painted.mask;
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
    if (painted.colour != opaque || painted.pen.size() != m.coverage.size()) {
        painted.pen.resize(m.coverage.size());
        for (std::size_t i = 0; i < m.coverage.size(); ++i)
            painted.pen[i] = m_pen[m.coverage[i]];
        painted.colour = opaque;
    }
    if (rowFrom >= rowTo || colFrom >= colTo)
        return;
    const std::size_t first = std::size_t(rowFrom) * std::size_t(m.width) + std::size_t(colFrom);
    const Blit blit{bits + (top + rowFrom) * stride + (left + colFrom) * qint64(sizeof(QRgb)),
                    stride,
                    m.coverage.data() + first,
                    painted.pen.data() + first,
                    m.inverse.data() + 4 * first,
                    m.width,
                    rowTo - rowFrom,
                    colTo - colFrom,
                    opaque,
                    &m_pen};
#if defined(TERVAN_BLEND_AVX2)
    if (hasAvx2()) {
        blendMaskAvx2(blit);
        return;
    }
#endif
    blendMask(blit);
}

} // namespace tervan
