// DXF R12 by hand: GDAL's DXF writer cannot carry Thai text, and CAD programs read Thai only
// through the drawing's code page.
#include "common/numbertext.h"
#include "exchange/exchange.h"
#include "exchange/exportoutline.h"
#include "graphics/contourlabels.h"
#include "project/project.h"

#include <QStringEncoder>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace tervan {

namespace {

constexpr char ThaiStyle[] = "THAI";

struct DxfLayer
{
    const char* name;
    int colour; // AutoCAD colour index
};

// Index contours red over green ones, as a surveyor's sheet shows them.
constexpr DxfLayer Layers[] = {
    {"0", 7},    {"CONTOUR", 3}, {"CONTOUR-INDEX", 1}, {"CONTOUR-LABEL", 1},
    {"GRID", 8}, {"NODES", 5},   {"TITLE", 7}};
// Only in a drawing of a site with an outline, so a grid without one draws as it always did.
constexpr DxfLayer OutlineLayer{"SITE-OUTLINE", 6};

class Dxf
{
public:
    Dxf() : m_thai("windows-874") { m_out.reserve(1 << 20); }

    void code(int group, const char* value)
    {
        number(group);
        m_out += value;
        m_out += '\n';
    }
    // A section, table or table entry and its name.
    void begin(const char* kind, const char* name)
    {
        code(0, kind);
        code(2, name);
    }
    void code(int group, const QByteArray& value) { code(group, value.constData()); }
    void integer(int group, int value) { code(group, QByteArray::number(value)); }
    void real(int group, float value)
    {
        number(group);
        char digits[32];
        m_out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
        m_out += '\n';
    }
    void real(int group, double value)
    {
        number(group);
        char digits[32];
        m_out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
        m_out += '\n';
    }
    void xyz(int group, double x, double y, double z)
    {
        real(group, x);
        real(group + 10, y);
        real(group + 20, z);
    }
    // A position to a tenth of a micrometre: the float crossings carry no more, and shortest digits
    // of a world coordinate would run to 17.
    // A vertex has millions of these: formatted on the stack and appended once.
    void position(double x, double y, float z)
    {
        char text[128];
        char* at = text;
        auto put = [&at](const char* word) {
            while (*word)
                *at++ = *word++;
        };
        put(" 10\n");
        at = fixed(at, x);
        put("\n 20\n");
        at = fixed(at, y);
        put("\n 30\n");
        at = std::to_chars(at, text + sizeof text, z).ptr;
        *at++ = '\n';
        m_out.append(text, at - text);
    }
    // Whole ten-millionths printed as integers: far quicker than formatting a double.
    static char* fixed(char* at, double value)
    {
        const qint64 units = std::llround(value * 1e7);
        const quint64 magnitude = units < 0 ? quint64(-units) : quint64(units);
        if (units < 0)
            *at++ = '-';
        at = std::to_chars(at, at + 24, magnitude / 10000000).ptr;
        if (quint64 fraction = magnitude % 10000000) {
            int width = 7;
            while (fraction % 10 == 0)
                fraction /= 10, --width;
            char digits[8];
            char* end = std::to_chars(digits, digits + sizeof digits, fraction).ptr;
            *at++ = '.';
            for (int pad = width - int(end - digits); pad > 0; --pad)
                *at++ = '0';
            for (char* d = digits; d != end; ++d)
                *at++ = *d;
        }
        return at;
    }

    // Text in the drawing's code page; what it cannot hold becomes '?'.
    QByteArray local(const QString& text) { return m_thai.encode(text); }

    // Horizontal alignment 0 left, 1 centre, 2 right; vertical 0 baseline, 1 bottom, 2 middle,
    // 3 top.
    void text(const char* layer, double x, double y, double height, const QString& value,
              int horizontal = 0, int vertical = 0, double rotation = 0)
    {
        code(0, "TEXT");
        code(8, layer);
        xyz(10, x, y, 0);
        real(40, height);
        code(1, local(value));
        if (rotation != 0)
            real(50, rotation);
        // The shape font txt has no Thai glyphs: Thai texts take the TrueType style.
        const bool latin =
            std::all_of(value.cbegin(), value.cend(), [](QChar c) { return c.unicode() < 0x80; });
        if (!latin)
            code(7, ThaiStyle);
        if (horizontal || vertical) {
            integer(72, horizontal);
            xyz(11, x, y, 0);
            integer(73, vertical);
        }
    }

    QByteArray m_out;

private:
    void number(int group)
    {
        char digits[8];
        const char* end = std::to_chars(digits, digits + sizeof digits, group).ptr;
        m_out.append(3 - std::min<qsizetype>(3, end - digits), ' ');
        m_out.append(digits, end - digits);
        m_out += '\n';
    }

    QStringEncoder m_thai;
};

} // namespace

QByteArray dxfBytes(const ExportJob& job)
{
    const Project& p = job.project;
    const auto& g = p.Georef;
    const int rows = p.GridRows, cols = p.GridCols;
    auto node = [&](int i, int k) -> const NodePoint& { return p.Nodes[(i - 1) * cols + k]; };
    const double x0 = worldX(g, node(1, 1).X), y0 = worldY(g, node(1, 1).Y);
    const double x1 = worldX(g, node(rows, cols).X), y1 = worldY(g, node(rows, cols).Y);
    const double h = std::max(0.2, p.GridSpacing * 0.2); // label height
    const double gap = h * 0.4;
    const double titleTop = y0 - 3 * h;
    double left = x0 - 4 * h, bottom = titleTop - 5 * h, right = x1 + 4 * h, top = y1 + 2 * h;
    std::vector<QPointF> outline;
    if (job.outline)
        for (const QPointF& corner : job.outline->corners()) {
            outline.emplace_back(worldX(g, corner.x()), worldY(g, corner.y()));
            left = std::min(left, outline.back().x()), right = std::max(right, outline.back().x());
            bottom = std::min(bottom, outline.back().y()), top = std::max(top, outline.back().y());
        }

    Dxf d;
    d.begin("SECTION", "HEADER");
    d.code(9, "$ACADVER");
    d.code(1, "AC1009");
    d.code(9, "$DWGCODEPAGE");
    d.code(3, "ANSI_874");
    d.code(9, "$INSBASE");
    d.xyz(10, 0, 0, 0);
    d.code(9, "$EXTMIN");
    d.xyz(10, left, bottom, std::min(0.0, double(p.ElevMin)));
    d.code(9, "$EXTMAX");
    d.xyz(10, right, top, std::max(0.0, double(p.ElevMax)));
    d.code(0, "ENDSEC");

    d.begin("SECTION", "TABLES");
    d.begin("TABLE", "LTYPE");
    d.integer(70, 1);
    d.begin("LTYPE", "CONTINUOUS");
    d.integer(70, 0);
    d.code(3, "Solid line");
    d.integer(72, 65);
    d.integer(73, 0);
    d.real(40, 0.0);
    d.code(0, "ENDTAB");
    d.begin("TABLE", "LAYER");
    std::vector<DxfLayer> layers(std::begin(Layers), std::end(Layers));
    if (!outline.empty())
        layers.push_back(OutlineLayer);
    d.integer(70, int(layers.size()));
    for (const DxfLayer& layer : layers) {
        d.begin("LAYER", layer.name);
        d.integer(70, 0);
        d.integer(62, layer.colour);
        d.code(6, "CONTINUOUS");
    }
    d.code(0, "ENDTAB");
    d.begin("TABLE", "STYLE");
    d.integer(70, 2);
    // STANDARD keeps the shape font for Latin texts; Thai ones use Tahoma, a TrueType font
    // every Thai Windows has.
    for (const auto& [name, font] : {std::pair{"STANDARD", "txt"}, {ThaiStyle, "tahoma.ttf"}}) {
        d.begin("STYLE", name);
        d.integer(70, 0);
        d.real(40, 0.0);
        d.real(41, 1.0);
        d.real(50, 0.0);
        d.integer(71, 0);
        d.real(42, h);
        d.code(3, font);
        d.code(4, "");
    }
    d.code(0, "ENDTAB");
    d.code(0, "ENDSEC");

    d.begin("SECTION", "ENTITIES");
    std::size_t vertices = 0;
    for (const ContourLine& line : job.contours.lines)
        vertices += line.points.size();
    d.m_out.reserve(d.m_out.size() + qsizetype(vertices) * 80);
    for (const ContourLine& line : job.contours.lines) {
        const char* layer = line.whole ? "CONTOUR-INDEX" : "CONTOUR";
        // The same words open every vertex of the line: written once, copied per vertex.
        const QByteArray vertex = QByteArray("  0\nVERTEX\n  8\n") + layer + "\n";
        const std::size_t count = line.points.size() - (line.closed ? 1 : 0);
        d.code(0, "POLYLINE");
        d.code(8, layer);
        d.integer(66, 1);
        d.position(0, 0, line.level);
        d.integer(70, line.closed ? 1 : 0);
        for (std::size_t i = 0; i < count; ++i) {
            d.m_out += vertex;
            d.position(worldX(g, line.points[i].x()), worldY(g, line.points[i].y()), line.level);
        }
        d.code(0, "SEQEND");
        d.code(8, layer);
    }
    // The site's edge, flat: beyond it the contours stop.
    if (!outline.empty()) {
        d.code(0, "POLYLINE");
        d.code(8, OutlineLayer.name);
        d.integer(66, 1);
        d.position(0, 0, 0);
        d.integer(70, 1);
        for (const QPointF& corner : outline) {
            d.code(0, "VERTEX");
            d.code(8, OutlineLayer.name);
            d.position(corner.x(), corner.y(), 0);
        }
        d.code(0, "SEQEND");
        d.code(8, OutlineLayer.name);
    }
    // The window's border labels, just outside the grid.
    for (const ContourLabel& label : job.contours.labels) {
        const double x = worldX(g, label.at.x()), y = worldY(g, label.at.y());
        const QString number = generalForm(label.level);
        switch (label.border) {
        case Border::Bottom:
            d.text("CONTOUR-LABEL", x, y - gap, h, number, 1, 3);
            break;
        case Border::Right:
            d.text("CONTOUR-LABEL", x + gap, y, h, number, 0, 2);
            break;
        case Border::Top:
            d.text("CONTOUR-LABEL", x, y + gap, h, number, 1, 1);
            break;
        case Border::Left:
            d.text("CONTOUR-LABEL", x - gap, y, h, number, 2, 2);
            break;
        }
    }
    // Along the lines the polylines stay whole, so their lengths and elevations stay those
    // traced; the texts sit over them as the window places them.
    if (p.ContourLabelsAlong) {
        AlongLabelStyle style;
        style.textHeight = h;
        style.textWidth = [h](const QString& t) { return 0.8 * h * double(t.size()); };
        style.text = [](float level) { return generalForm(level); };
        style.spacing = 36 * h;
        style.inside = QRectF(QPointF(p.NodeXMin, p.NodeYMin), QPointF(p.NodeXMax, p.NodeYMax));
        for (const AlongLabel& label : placeAlongLabels(job.contours.lines, style))
            d.text("CONTOUR-LABEL", worldX(g, label.at.x()), worldY(g, label.at.y()), h, label.text,
                   1, 2, label.angle);
    }
    for (int i = 1; i <= rows; ++i) {
        d.code(0, "LINE");
        d.code(8, "GRID");
        d.xyz(10, worldX(g, node(i, 1).X), worldY(g, node(i, 1).Y), 0);
        d.xyz(11, worldX(g, node(i, cols).X), worldY(g, node(i, cols).Y), 0);
    }
    for (int k = 1; k <= cols; ++k) {
        d.code(0, "LINE");
        d.code(8, "GRID");
        d.xyz(10, worldX(g, node(1, k).X), worldY(g, node(1, k).Y), 0);
        d.xyz(11, worldX(g, node(rows, k).X), worldY(g, node(rows, k).Y), 0);
    }
    for (int n = 1; n <= rows * cols; ++n) {
        const NodePoint& at = p.Nodes[n];
        const double x = worldX(g, at.X), y = worldY(g, at.Y);
        d.code(0, "POINT");
        d.code(8, "NODES");
        d.xyz(10, x, y, at.Z);
        d.text("NODES", x + gap / 2, y + gap / 2, h / 2, formatPicture(at.Z, 2));
    }
    const QStringList title{
        headingText(p.ProjectName), QStringLiteral("วิศวกร %1").arg(headingText(p.EngineerName)),
        QStringLiteral("ช่วงชั้นความสูง %1 ม.").arg(generalForm(job.contours.interval)),
        QStringLiteral("วันที่ %1").arg(job.date.toString(Qt::ISODate))};
    for (qsizetype i = 0; i < title.size(); ++i)
        d.text("TITLE", x0, titleTop - double(i) * 1.6 * h, i == 0 ? 1.5 * h : h, title[i]);
    d.code(0, "ENDSEC");
    d.code(0, "EOF");
    return d.m_out;
}

} // namespace tervan
