#include "printing/cairopdfbackend.h"

#include "graphics/palette.h"
#include "printing/printfont.h"

#include <QColor>
#include <QHash>
#include <QSaveFile>
#include <cairo-pdf.h>
#include <cmath>
#include <pango/pangocairo.h>
#include <vector>

namespace tervan {

namespace {

// A4 in points, and the 6 mm margin every printer can reach.
constexpr double PaperWidth = 595.2756;
constexpr double PaperHeight = 841.8898;
constexpr double Margin = 6 / 25.4 * 72;
constexpr double TwipsPerPoint = 20;
// How far a fill reaches past its edges to close the seams a smoothing viewer leaves.
constexpr double SeamPoints = 0.25;
// Line widths are device pixels of a 600 dpi page, as on the painter's PDF.
constexpr double PointsPerPixel = 72.0 / 600;

// Shaped texts kept for drawing after measuring and for the texts every page repeats.
constexpr int ShapedTexts = 512;

struct Face
{
    QString key;
    PangoFontDescription* description;
    double ascent; // points
    double height; // points
    double points; // size of the face printed
};

} // namespace

struct CairoPdfBackend::Cairo
{
    QSaveFile file;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    PangoContext* context = nullptr;
    QHash<QString, Face> faces;
    // The face of the font asked for last, which the next request nearly always repeats.
    QFont lastFont;
    Face lastFace{};
    QHash<QString, PangoLayout*> shaped;

    void dropShaped()
    {
        for (PangoLayout* layout : std::as_const(shaped))
            g_object_unref(layout);
        shaped.clear();
    }

    ~Cairo()
    {
        dropShaped();
        for (const Face& face : std::as_const(faces))
            pango_font_description_free(face.description);
        if (context)
            g_object_unref(context);
        if (cr)
            cairo_destroy(cr);
        if (surface)
            cairo_surface_destroy(surface);
    }

    Face face(const QFont& requested)
    {
        if (lastFace.description && requested == lastFont)
            return lastFace;
        lastFont = requested;
        lastFace = lookUp(requested);
        return lastFace;
    }

    Face lookUp(const QFont& requested)
    {
        const QFont font = printFont(requested);
        const QString key = font.family() + QLatin1Char('/') + QString::number(font.pointSizeF()) +
                            (font.bold() ? QLatin1String("/b") : QLatin1String("/r"));
        auto found = faces.constFind(key);
        if (found != faces.constEnd())
            return *found;
        PangoFontDescription* d = pango_font_description_new();
        pango_font_description_set_family(d, resolvedFamily(font).toUtf8().constData());
        pango_font_description_set_size(d, int(font.pointSizeF() * PANGO_SCALE + 0.5));
        pango_font_description_set_weight(d, font.bold() ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
        Face f{key, d, 0, 0, font.pointSizeF()};
        if (PangoFont* loaded = pango_context_load_font(context, d)) {
            PangoFontMetrics* metrics = pango_font_get_metrics(loaded, nullptr);
            f.ascent = double(pango_font_metrics_get_ascent(metrics)) / PANGO_SCALE;
            f.height = f.ascent + double(pango_font_metrics_get_descent(metrics)) / PANGO_SCALE;
            pango_font_metrics_unref(metrics);
            g_object_unref(loaded);
        }
        return *faces.insert(key, f);
    }

    // Where a PDF reader takes a glyph to end: its origin plus the font's advance for it.
    static double reach(cairo_scaled_font_t* font, const cairo_glyph_t& glyph)
    {
        cairo_text_extents_t extents;
        cairo_scaled_font_glyph_extents(font, &glyph, 1, &extents);
        return glyph.x + extents.x_advance;
    }

    // One shaping per text and face, for measuring and drawing alike.
    PangoLayout* shape(const Face& f, const QString& text)
    {
        const QString key = f.key + QLatin1Char('\n') + text;
        if (PangoLayout* known = shaped.value(key))
            return known;
        if (shaped.size() >= ShapedTexts)
            dropShaped();
        PangoLayout* layout = pango_layout_new(context);
        pango_layout_set_font_description(layout, f.description);
        const QByteArray utf8 = text.toUtf8();
        pango_layout_set_text(layout, utf8.constData(), int(utf8.size()));
        shaped.insert(key, layout);
        return layout;
    }

    // The shaped line's glyphs from (x, baseline), each grapheme (a base and its marks) one
    // cluster of the text layer. Marks that stand left of their base's end would otherwise be
    // read back out of order.
    //
    // A reader takes a cluster to end where its last glyph's own advance ends. A tone mark set
    // back over a tall consonant or above a vowel ends it short, and the reader sees a gap that
    // splits the word ("แฟ้ ม"), so such a cluster is joined with the next one up to a blank.
    // Text is being drawn turned.
    bool turned = false;

    void show(PangoLayout* layout, double x, double baseline, double em)
    {
        PangoLayoutLine* line = pango_layout_get_line_readonly(layout, 0);
        const char* text = pango_layout_get_text(layout);
        int attrCount = 0;
        const PangoLogAttr* attrs = pango_layout_get_log_attrs_readonly(layout, &attrCount);
        std::vector<cairo_glyph_t> glyphs;
        std::vector<cairo_text_cluster_t> clusters;
        for (GSList* r = line->runs; r; r = r->next) {
            const auto* run = static_cast<PangoGlyphItem*>(r->data);
            const PangoGlyphString* g = run->glyphs;
            const char* start = text + run->item->offset;
            glyphs.clear();
            for (int i = 0; i < g->num_glyphs; ++i) {
                const PangoGlyphInfo& info = g->glyphs[i];
                glyphs.push_back({info.glyph, x + double(info.geometry.x_offset) / PANGO_SCALE,
                                  baseline + double(info.geometry.y_offset) / PANGO_SCALE});
                x += double(info.geometry.width) / PANGO_SCALE;
            }
            clusters.clear();
            cairo_scaled_font_t* font =
                pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(run->item->analysis.font));
            bool join = false;
            int glyph = 0;
            int character = int(g_utf8_pointer_to_offset(text, start));
            for (const char* p = start; p < start + run->item->length;) {
                const char* q = g_utf8_next_char(p);
                ++character;
                while (q < start + run->item->length && character < attrCount &&
                       !attrs[character].is_cursor_position) {
                    q = g_utf8_next_char(q);
                    ++character;
                }
                const int from = int(p - start), to = int(q - start);
                int count = 0;
                while (glyph + count < g->num_glyphs && g->log_clusters[glyph + count] >= from &&
                       g->log_clusters[glyph + count] < to)
                    ++count;
                const bool blank = g_unichar_isspace(g_utf8_get_char(p));
                // A grapheme whose glyphs the shaper gave to the one before (the sara am of
                // "น้ำ" is drawn with its consonant's marks) goes with it, or the reader drops it.
                if (!clusters.empty() && (count == 0 || (join && !blank))) {
                    clusters.back().num_bytes += to - from;
                    clusters.back().num_glyphs += count;
                } else {
                    clusters.push_back({to - from, count});
                }
                glyph += count;
                p = q;
                if (count > 0)
                    join = glyph < g->num_glyphs &&
                           std::abs(reach(font, glyphs[glyph - 1]) - glyphs[glyph].x) > 0.05 * em;
            }
            if (turned) {
                // A scaled font holds the transformation it was made for: under a turned one
                // the face and its size are given, so that the glyphs turn too.
                cairo_matrix_t size;
                cairo_scaled_font_get_font_matrix(font, &size);
                cairo_set_font_face(cr, cairo_scaled_font_get_font_face(font));
                cairo_set_font_matrix(cr, &size);
            } else {
                cairo_set_scaled_font(cr, font);
            }
            cairo_show_text_glyphs(cr, start, run->item->length, glyphs.data(), int(glyphs.size()),
                                   clusters.data(), int(clusters.size()),
                                   cairo_text_cluster_flags_t(0));
        }
    }
};

CairoPdfBackend::CairoPdfBackend(const QString& fileName, double gridPoints)
    : m(std::make_unique<Cairo>()), m_fileName(fileName), m_grid(gridPoints)
{
    m->file.setFileName(fileName);
    if (m->file.open(QIODevice::WriteOnly)) {
        m->surface = cairo_pdf_surface_create_for_stream(
            [](void* closure, const unsigned char* data, unsigned int length) {
                auto* file = static_cast<QSaveFile*>(closure);
                return file->write(reinterpret_cast<const char*>(data), length) == qint64(length)
                           ? CAIRO_STATUS_SUCCESS
                           : CAIRO_STATUS_WRITE_ERROR;
            },
            &m->file, PaperWidth, PaperHeight);
    } else {
        m_failed = true;
        m->surface = cairo_pdf_surface_create_for_stream(nullptr, nullptr, PaperWidth, PaperHeight);
    }
    m->cr = cairo_create(m->surface);
    m->context = pango_cairo_create_context(m->cr);
    // Points are the surface's units; shapes and widths unhinted, as a PDF has no pixels.
    pango_cairo_context_set_resolution(m->context, 72);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(m->context, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(m->context, FALSE);
    cairo_translate(m->cr, Margin, Margin);
    cairo_set_line_cap(m->cr, CAIRO_LINE_CAP_ROUND);
}

CairoPdfBackend::~CairoPdfBackend()
{
    finish();
}

bool CairoPdfBackend::failed() const
{
    return m_failed || cairo_status(m->cr) != CAIRO_STATUS_SUCCESS ||
           cairo_surface_status(m->surface) != CAIRO_STATUS_SUCCESS;
}

bool CairoPdfBackend::finish()
{
    if (!m_finished) {
        m_finished = true;
        cairo_surface_finish(m->surface);
        if (failed() || !m->file.commit()) {
            m_failed = true;
            m->file.cancelWriting();
        }
    }
    return !failed();
}

void CairoPdfBackend::abort()
{
    m_failed = true;
    finish();
}

QSizeF CairoPdfBackend::printableTwips() const
{
    const QSizeF along((PaperWidth - 2 * Margin) * TwipsPerPoint,
                       (PaperHeight - 2 * Margin) * TwipsPerPoint);
    return m_landscape ? along.transposed() : along;
}

void CairoPdfBackend::rotatedText(QPointF centre, double degrees, const QString& text,
                                  const QFont& font, int colour)
{
    if (!openPage() || text.isEmpty())
        return;
    const Face f = m->face(font);
    const QColor c = colour == PageSurface::ForeColour ? QColor(Qt::black) : paletteColour(colour);
    cairo_set_source_rgb(m->cr, c.redF(), c.greenF(), c.blueF());
    const double width = textWidthTwips(font, text) / TwipsPerPoint;
    cairo_save(m->cr);
    cairo_translate(m->cr, centre.x() / TwipsPerPoint, centre.y() / TwipsPerPoint);
    cairo_rotate(m->cr, -degrees * M_PI / 180);
    m->turned = true;
    m->show(m->shape(f, text), -width / 2, f.ascent - f.height / 2, f.points);
    m->turned = false;
    cairo_restore(m->cr);
}

double CairoPdfBackend::textWidthTwips(const QFont& font, const QString& text)
{
    if (text.isEmpty())
        return 0;
    PangoRectangle logical;
    pango_layout_line_get_extents(pango_layout_get_line_readonly(m->shape(m->face(font), text), 0),
                                  nullptr, &logical);
    return double(logical.width) / PANGO_SCALE * TwipsPerPoint;
}

double CairoPdfBackend::lineHeightTwips(const QFont& font)
{
    return m->face(font).height * TwipsPerPoint;
}

bool CairoPdfBackend::openPage()
{
    if (m_finished || failed())
        return false;
    const bool starts = m_pages == 0 || m_newPageDue;
    if (m_pages == 0) {
        m_pages = 1;
    } else if (m_newPageDue) {
        cairo_show_page(m->cr);
        ++m_pages;
    }
    m_newPageDue = false;
    if (starts)
        cairo_pdf_surface_set_size(m->surface, m_landscape ? PaperHeight : PaperWidth,
                                   m_landscape ? PaperWidth : PaperHeight);
    return true;
}

void CairoPdfBackend::text(QPointF at, const QString& text, const QFont& font, int colour)
{
    if (!openPage() || text.isEmpty())
        return;
    const Face f = m->face(font);
    const QColor c = colour == PageSurface::ForeColour ? QColor(Qt::black) : paletteColour(colour);
    cairo_set_source_rgb(m->cr, c.redF(), c.greenF(), c.blueF());
    m->show(m->shape(f, text), at.x() / TwipsPerPoint, at.y() / TwipsPerPoint + f.ascent, f.points);
}

void CairoPdfBackend::line(QPointF from, QPointF to, int colour, int widthPixels)
{
    polyline({from, to}, colour, widthPixels);
}

void CairoPdfBackend::polyline(const std::vector<QPointF>& points, int colour, int widthPixels)
{
    if (points.size() < 2 || !openPage())
        return;
    const QColor c = colour == PageSurface::ForeColour ? QColor(Qt::black) : paletteColour(colour);
    cairo_set_source_rgb(m->cr, c.redF(), c.greenF(), c.blueF());
    cairo_set_line_width(m->cr, std::max(1, widthPixels) * PointsPerPixel);
    // On a grid of the paper, well inside a 600 dpi dot: a sixteenth of a point is exact in
    // Cairo's fixed-point paths, so none is written longer than it must. Points that land on
    // the one before add nothing.
    const double grid = m_grid;
    const auto snap = [grid](double twips) {
        const double paper = twips / TwipsPerPoint + Margin;
        return (grid > 0 ? std::round(paper / grid) * grid : paper) - Margin;
    };
    QPointF last(snap(points.front().x()), snap(points.front().y()));
    cairo_move_to(m->cr, last.x(), last.y());
    bool drawn = false;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const QPointF next(snap(points[i].x()), snap(points[i].y()));
        if (next == last && (drawn || i + 1 < points.size()))
            continue;
        cairo_line_to(m->cr, next.x(), next.y());
        last = next;
        drawn = true;
    }
    cairo_stroke(m->cr);
}

void CairoPdfBackend::fillPolygon(const std::vector<QPointF>& points, QRgb rgb)
{
    if (points.size() < 3 || !openPage())
        return;
    cairo_set_source_rgb(m->cr, qRed(rgb) / 255.0, qGreen(rgb) / 255.0, qBlue(rgb) / 255.0);
    cairo_move_to(m->cr, points.front().x() / TwipsPerPoint, points.front().y() / TwipsPerPoint);
    for (std::size_t i = 1; i < points.size(); ++i)
        cairo_line_to(m->cr, points[i].x() / TwipsPerPoint, points[i].y() / TwipsPerPoint);
    cairo_close_path(m->cr);
    // Outlined in its own colour by a hair, so that viewers smoothing edges show no seams
    // between pieces that meet.
    cairo_fill_preserve(m->cr);
    cairo_save(m->cr);
    cairo_set_line_width(m->cr, SeamPoints);
    cairo_set_line_join(m->cr, CAIRO_LINE_JOIN_BEVEL);
    cairo_stroke(m->cr);
    cairo_restore(m->cr);
}

void CairoPdfBackend::endDocument()
{
    if (m_pages > 0)
        m_newPageDue = true;
}

} // namespace tervan
