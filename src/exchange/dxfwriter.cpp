// DXF by hand: GDAL's DXF writer cannot carry Thai text, and CAD programs read Thai only
// through the drawing's code page.
#include "common/numbertext.h"
#include "common/outputfile.h"
#include "exchange/exchange.h"
#include "exchange/exportoutline.h"
#include "grading/sections.h"
#include "graphics/contourlabels.h"
#include "project/project.h"

#include <QStringEncoder>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
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

// Group codes and values into a megabyte of memory, then out to the device: the file's size
// never lives in memory. Every object gets the next handle; they all have HandleDigits hex
// digits, so the header's $HANDSEED, written before the lines are traced, is overwritten in
// place once the last handle is known.
class Dxf
{
public:
    static constexpr quint64 FirstHandle = 0x10000000;
    static constexpr int HandleDigits = 8;
    static constexpr qsizetype Chunk = 1 << 20;

    explicit Dxf(QIODevice& device) : m_device(device), m_thai("windows-874")
    {
        m_out.reserve(Chunk + (Chunk >> 2));
    }

    void code(int group, const char* value)
    {
        number(group);
        m_out += value;
        m_out += '\n';
        spill();
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

    // The next handle, written under `group` (5, or 105 for a dimension style).
    quint64 handle(int group = 5)
    {
        const quint64 h = m_next++;
        code(group, hex(h));
        return h;
    }
    void owner(quint64 h) { code(330, h ? hex(h) : QByteArray("0")); }
    // An object's handle, owner and first subclass.
    quint64 object(const char* kind, quint64 ownedBy, const char* subclass)
    {
        code(0, kind);
        const quint64 h = handle();
        owner(ownedBy);
        code(100, subclass);
        return h;
    }
    // A drawing object in model space on `layer`, then its own subclass.
    void entity(const char* kind, const char* layer, const char* subclass)
    {
        object(kind, m_modelSpace, "AcDbEntity");
        code(8, layer);
        code(100, subclass);
    }
    void setModelSpace(quint64 h) { m_modelSpace = h; }
    quint64 nextHandle() const { return m_next; }
    void reference(int group, quint64 h) { code(group, hex(h)); }

    // A table's head; its entries are owned by the handle returned.
    quint64 table(const char* name, int count)
    {
        begin("TABLE", name);
        const quint64 h = handle();
        owner(0);
        code(100, "AcDbSymbolTable");
        integer(70, count);
        return h;
    }
    // An entry of `table` named `name`, with flags 0.
    quint64 entry(const char* kind, quint64 table, const char* subclass, const char* name,
                  int handleGroup = 5)
    {
        code(0, kind);
        const quint64 h = handle(handleGroup);
        owner(table);
        code(100, "AcDbSymbolTableRecord");
        code(100, subclass);
        code(2, name);
        integer(70, 0);
        return h;
    }

    // The header's seed, filled in by finish().
    void handleSeed()
    {
        code(9, "$HANDSEED");
        number(5);
        m_seedAt = m_written + m_out.size();
        m_out += QByteArray(HandleDigits, '0') + '\n';
    }

    // Writes what is left and the seed; the device's reason when something could not be.
    QString finish()
    {
        flush();
        if (!m_failed.isEmpty())
            return m_failed;
        if (m_next >= FirstHandle * 16)
            return QStringLiteral("เส้นและข้อความมากเกินกว่าที่แฟ้ม DXF หนึ่งแฟ้มจะเก็บได้");
        if (!m_device.seek(m_seedAt) || m_device.write(hex(m_next)) != HandleDigits ||
            !m_device.seek(m_written))
            m_failed = m_device.errorString();
        return m_failed;
    }
    bool failed() const { return !m_failed.isEmpty(); }

    // A position to a tenth of a micrometre: the float crossings carry no more, and shortest digits
    // of a world coordinate would run to 17.
    // A vertex has millions of these: formatted on the stack and appended once.
    void position(double x, double y)
    {
        char text[96];
        char* at = text;
        auto put = [&at](const char* word) {
            while (*word)
                *at++ = *word++;
        };
        put(" 10\n");
        at = fixed(at, x);
        put("\n 20\n");
        at = fixed(at, y);
        *at++ = '\n';
        m_out.append(text, at - text);
        spill();
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

    // Horizontal alignment 0 left, 1 centre, 2 right; vertical 0 baseline, 1 bottom, 2 middle,
    // 3 top.
    void text(const char* layer, double x, double y, double height, const QString& value,
              int horizontal = 0, int vertical = 0, double rotation = 0)
    {
        entity("TEXT", layer, "AcDbText");
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
        if (horizontal)
            integer(72, horizontal);
        if (horizontal || vertical)
            xyz(11, x, y, 0);
        code(100, "AcDbText");
        if (vertical)
            integer(73, vertical);
    }

    // Text in the drawing's code page; what it cannot hold becomes '?'.
    QByteArray local(const QString& text) { return m_thai.encode(text); }

private:
    static QByteArray hex(quint64 h) { return QByteArray::number(h, 16).toUpper(); }

    void number(int group)
    {
        char digits[8];
        const char* end = std::to_chars(digits, digits + sizeof digits, group).ptr;
        m_out.append(3 - std::min<qsizetype>(3, end - digits), ' ');
        m_out.append(digits, end - digits);
        m_out += '\n';
    }
    void spill()
    {
        if (m_out.size() >= Chunk)
            flush();
    }
    void flush()
    {
        if (m_failed.isEmpty() && m_device.write(m_out) != m_out.size())
            m_failed = m_device.errorString();
        m_written += m_out.size();
        m_out.resize(0); // keeps the megabyte for the next chunk
    }

    QByteArray m_out;
    QIODevice& m_device;
    qint64 m_written = 0;
    qint64 m_seedAt = 0;
    quint64 m_next = FirstHandle;
    quint64 m_modelSpace = 0;
    QString m_failed;
    QStringEncoder m_thai;
};

// Everything before the drawing's entities: the header (R2000, code page 874, the extent in
// world metres with y growing north, levels from `low` to `high`), the tables with `layers`
// and the two text styles, the blocks; then the ENTITIES section is open.
void openDrawing(Dxf& d, const QRectF& extent, double low, double high,
                 const std::vector<DxfLayer>& layers, double textHeight)
{
    // R2000, which every CAD program of the last twenty years reads, for LWPOLYLINE: a line's
    // vertices without a VERTEX entity each. Its texts are still in the code page.
    d.begin("SECTION", "HEADER");
    d.code(9, "$ACADVER");
    d.code(1, "AC1015");
    d.code(9, "$DWGCODEPAGE");
    d.code(3, "ANSI_874");
    d.handleSeed();
    d.code(9, "$INSBASE");
    d.xyz(10, 0, 0, 0);
    d.code(9, "$EXTMIN");
    d.xyz(10, extent.left(), extent.top(), low);
    d.code(9, "$EXTMAX");
    d.xyz(10, extent.right(), extent.bottom(), high);
    d.code(9, "$INSUNITS");
    d.integer(70, 6); // metres
    d.code(0, "ENDSEC");
    d.begin("SECTION", "CLASSES");
    d.code(0, "ENDSEC");

    d.begin("SECTION", "TABLES");
    // Opened on the whole drawing.
    quint64 t = d.table("VPORT", 1);
    d.entry("VPORT", t, "AcDbViewportTableRecord", "*ACTIVE");
    d.real(10, 0.0);
    d.real(20, 0.0);
    d.real(11, 1.0);
    d.real(21, 1.0);
    d.real(12, extent.center().x());
    d.real(22, extent.center().y());
    d.real(40, extent.height() * 1.1);
    d.real(41, std::max(1.0, extent.width() / std::max(extent.height(), 1e-9)));
    d.code(0, "ENDTAB");
    t = d.table("LTYPE", 3);
    for (const char* name : {"ByBlock", "ByLayer", "Continuous"}) {
        d.entry("LTYPE", t, "AcDbLinetypeTableRecord", name);
        d.code(3, name == std::string_view("Continuous") ? "Solid line" : "");
        d.integer(72, 65);
        d.integer(73, 0);
        d.real(40, 0.0);
    }
    d.code(0, "ENDTAB");
    t = d.table("LAYER", int(layers.size()));
    for (const DxfLayer& layer : layers) {
        d.entry("LAYER", t, "AcDbLayerTableRecord", layer.name);
        d.integer(62, layer.colour);
        d.code(6, "Continuous");
    }
    d.code(0, "ENDTAB");
    t = d.table("STYLE", 2);
    // STANDARD keeps the shape font for Latin texts; Thai ones use Tahoma, a TrueType font
    // every Thai Windows has.
    for (const auto& [name, font] : {std::pair{"STANDARD", "txt"}, {ThaiStyle, "tahoma.ttf"}}) {
        d.entry("STYLE", t, "AcDbTextStyleTableRecord", name);
        d.real(40, 0.0);
        d.real(41, 1.0);
        d.real(50, 0.0);
        d.integer(71, 0);
        d.real(42, textHeight);
        d.code(3, font);
        d.code(4, "");
    }
    d.code(0, "ENDTAB");
    d.table("VIEW", 0);
    d.code(0, "ENDTAB");
    d.table("UCS", 0);
    d.code(0, "ENDTAB");
    t = d.table("APPID", 1);
    d.entry("APPID", t, "AcDbRegAppTableRecord", "ACAD");
    d.code(0, "ENDTAB");
    t = d.table("DIMSTYLE", 1);
    d.code(100, "AcDbDimStyleTable");
    d.entry("DIMSTYLE", t, "AcDbDimStyleTableRecord", "STANDARD", 105);
    d.code(0, "ENDTAB");
    t = d.table("BLOCK_RECORD", 2);
    const quint64 modelSpace = d.entry("BLOCK_RECORD", t, "AcDbBlockTableRecord", "*Model_Space");
    const quint64 paperSpace = d.entry("BLOCK_RECORD", t, "AcDbBlockTableRecord", "*Paper_Space");
    d.code(0, "ENDTAB");
    d.code(0, "ENDSEC");

    // The two layouts' blocks are empty: their drawing is in ENTITIES.
    d.begin("SECTION", "BLOCKS");
    for (const auto& [record, name] :
         {std::pair{modelSpace, "*Model_Space"}, std::pair{paperSpace, "*Paper_Space"}}) {
        d.object("BLOCK", record, "AcDbEntity");
        if (record == paperSpace)
            d.integer(67, 1);
        d.code(8, "0");
        d.code(100, "AcDbBlockBegin");
        d.code(2, name);
        d.integer(70, 0);
        d.xyz(10, 0, 0, 0);
        d.code(3, name);
        d.code(1, "");
        d.object("ENDBLK", record, "AcDbEntity");
        if (record == paperSpace)
            d.integer(67, 1);
        d.code(8, "0");
        d.code(100, "AcDbBlockEnd");
    }
    d.code(0, "ENDSEC");
    d.setModelSpace(modelSpace);

    d.begin("SECTION", "ENTITIES");
}

// The entities closed, the root dictionary, the end; the device's reason when it failed.
QString closeDrawing(Dxf& d)
{
    d.code(0, "ENDSEC");
    // The root dictionary, with the one entry a drawing must have.
    d.begin("SECTION", "OBJECTS");
    const quint64 root = d.object("DICTIONARY", 0, "AcDbDictionary");
    d.integer(281, 1);
    d.code(3, "ACAD_GROUP");
    d.reference(350, d.nextHandle());
    d.object("DICTIONARY", root, "AcDbDictionary");
    d.integer(281, 1);
    d.code(0, "ENDSEC");
    d.code(0, "EOF");
    return d.finish();
}

// A polyline of (x, y) points at one elevation; a closed one does not repeat its first point.
void lwPolyline(Dxf& d, const char* layer, const std::vector<QPointF>& points, bool closed,
                double elevation)
{
    const std::size_t count = points.size() - (closed ? 1 : 0);
    d.entity("LWPOLYLINE", layer, "AcDbPolyline");
    d.integer(90, int(count));
    d.integer(70, closed ? 1 : 0);
    d.real(38, elevation);
    for (std::size_t i = 0; i < count; ++i)
        d.position(points[i].x(), points[i].y());
}

} // namespace

QString writeDxf(const ExportJob& job, QIODevice& device)
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

    Dxf d(device);
    std::vector<DxfLayer> layers(std::begin(Layers), std::end(Layers));
    if (!outline.empty())
        layers.push_back(OutlineLayer);
    // R2000, which every CAD program of the last twenty years reads, for LWPOLYLINE: a line's
    // vertices without a VERTEX entity each. Its texts are still in the code page.
    openDrawing(d, QRectF(QPointF(left, bottom), QPointF(right, top)),
                std::min(0.0, double(p.ElevMin)), std::max(0.0, double(p.ElevMax)), layers, h);
    const auto polyline = [&d](const char* layer, const std::vector<QPointF>& points, bool closed,
                               float elevation, auto toWorld) {
        std::vector<QPointF> world;
        world.reserve(points.size());
        for (const QPointF& at : points)
            world.push_back(toWorld(at));
        lwPolyline(d, layer, world, closed, elevation);
    };
    const auto world = [&g](QPointF at) { return QPointF(worldX(g, at.x()), worldY(g, at.y())); };
    // Along the lines the polylines stay whole, so their lengths and elevations stay those
    // traced; the texts sit over them as the window places them, placed level by level.
    std::optional<AlongLabelPlacer> along;
    if (p.ContourLabelsAlong) {
        AlongLabelStyle style;
        style.textHeight = h;
        style.textWidth = [h](const QString& t) { return 0.8 * h * double(t.size()); };
        style.text = [](float level) { return generalForm(level); };
        style.spacing = 36 * h;
        style.inside = QRectF(QPointF(p.NodeXMin, p.NodeYMin), QPointF(p.NodeXMax, p.NodeYMax));
        along.emplace(std::move(style));
    }
    const bool complete = eachContourLevel(job, [&](const std::vector<ContourLine>& lines) {
        for (const ContourLine& line : lines)
            if (line.points.size() >= 2)
                polyline(line.whole ? "CONTOUR-INDEX" : "CONTOUR", line.points, line.closed,
                         line.level, world);
        if (along)
            for (const AlongLabel& label : along->place(lines))
                d.text("CONTOUR-LABEL", worldX(g, label.at.x()), worldY(g, label.at.y()), h,
                       label.text, 1, 2, label.angle);
        return !d.failed();
    });
    if (!complete)
        return d.failed() ? d.finish() : ExportCancelled;
    // The site's edge, flat: beyond it the contours stop.
    if (!outline.empty()) {
        outline.push_back(outline.front());
        polyline(OutlineLayer.name, outline, true, 0, [](QPointF at) { return at; });
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
    for (int i = 1; i <= rows; ++i) {
        d.entity("LINE", "GRID", "AcDbLine");
        d.xyz(10, worldX(g, node(i, 1).X), worldY(g, node(i, 1).Y), 0);
        d.xyz(11, worldX(g, node(i, cols).X), worldY(g, node(i, cols).Y), 0);
    }
    for (int k = 1; k <= cols; ++k) {
        d.entity("LINE", "GRID", "AcDbLine");
        d.xyz(10, worldX(g, node(1, k).X), worldY(g, node(1, k).Y), 0);
        d.xyz(11, worldX(g, node(rows, k).X), worldY(g, node(rows, k).Y), 0);
    }
    for (int n = 1; n <= rows * cols; ++n) {
        const NodePoint& at = p.Nodes[n];
        const double x = worldX(g, at.X), y = worldY(g, at.Y);
        d.entity("POINT", "NODES", "AcDbPoint");
        d.xyz(10, x, y, at.Z);
        d.text("NODES", x + gap / 2, y + gap / 2, h / 2, formatPicture(at.Z, 2));
    }
    const QStringList title{
        headingText(p.ProjectName), QStringLiteral("วิศวกร %1").arg(headingText(p.EngineerName)),
        QStringLiteral("ช่วงชั้นความสูง %1 ม.").arg(generalForm(job.contours.interval)),
        QStringLiteral("วันที่ %1").arg(job.date.toString(Qt::ISODate))};
    for (qsizetype i = 0; i < title.size(); ++i)
        d.text("TITLE", x0, titleTop - double(i) * 1.6 * h, i == 0 ? 1.5 * h : h, title[i]);
    return closeDrawing(d);
}

QString writeSectionsDxf(const Project& p, const SectionsResult& r, QIODevice& device)
{
    double low = INFINITY, high = -INFINITY, wide = 1;
    const auto spread = [&](const std::vector<Section>& sections) {
        for (const Section& s : sections)
            for (const SectionPoint& q : s.profile)
                low = std::min({low, q.ground, q.design}),
                high = std::max({high, q.ground, q.design});
    };
    spread(r.stations);
    spread(r.longProfile);
    if (!(high >= low))
        low = 0, high = 1;
    for (const Section& s : r.stations)
        if (!s.profile.empty())
            wide = std::max({wide, -s.profile.front().offset, s.profile.back().offset});
    // Each section in a row of its own, level as height above the lowest level of them all.
    const double row = (high - low) * 1.5 + 2, h = std::max(0.2, row / 12);
    const double length = r.longProfile.empty() ? 1 : r.longProfile.back().chainage;
    const double rows = double(r.stations.size());
    const QRectF extent(QPointF(-wide - h, -row - 2 * h),
                        QPointF(std::max(wide, length) + h, rows * row + h));
    const std::vector<DxfLayer> layers = {{"0", 7},
                                          {"SECTION-GROUND", 30},
                                          {"SECTION-DESIGN", 1},
                                          {"SECTION-GRID", 8},
                                          {"SECTION-TEXT", 7}};
    Dxf d(device);
    openDrawing(d, extent, 0, 0, layers, h);
    const auto profileLines = [&](const std::vector<SectionPoint>& profile, double baseY) {
        std::vector<QPointF> ground, design;
        for (const SectionPoint& q : profile) {
            ground.emplace_back(q.offset, baseY + q.ground - low);
            design.emplace_back(q.offset, baseY + q.design - low);
        }
        if (ground.size() >= 2) {
            lwPolyline(d, "SECTION-GROUND", ground, false, 0);
            lwPolyline(d, "SECTION-DESIGN", design, false, 0);
        }
    };
    for (std::size_t i = 0; i < r.stations.size(); ++i) {
        const Section& s = r.stations[i];
        const double base = double(r.stations.size() - 1 - i) * row;
        // The datum line across, the line's own place upright.
        d.entity("LINE", "SECTION-GRID", "AcDbLine");
        d.xyz(10, -wide, base, 0);
        d.xyz(11, wide, base, 0);
        d.entity("LINE", "SECTION-GRID", "AcDbLine");
        d.xyz(10, 0, base, 0);
        d.xyz(11, 0, base + high - low, 0);
        profileLines(s.profile, base);
        d.text("SECTION-TEXT", -wide, base + high - low + h, h,
               QStringLiteral("ระยะสะสม %1  ตัด %2 ตร.ม.  ถม %3 ตร.ม.  ระดับอ้างอิง %4")
                   .arg(formatPicture(s.chainage, 3), formatPicture(s.cutArea, 2),
                        formatPicture(s.fillArea, 2), formatPicture(low, 3)));
    }
    std::vector<SectionPoint> along;
    for (const Section& s : r.longProfile)
        along.push_back({s.chainage, s.profile.front().ground, s.profile.front().design});
    profileLines(along, -row);
    d.text("SECTION-TEXT", 0, -row - 1.5 * h, h,
           QStringLiteral("รูปตัดตามยาว ระยะสะสม 0 ถึง %1 ม.").arg(formatPicture(length, 3)));
    d.text("SECTION-TEXT", -wide, rows * row, 1.5 * h,
           QStringLiteral("หน้าตัดขวาง %1").arg(headingText(p.ProjectName)));
    return closeDrawing(d);
}

QString writeSectionsDxf(const Project& p, const SectionsResult& r, const QString& fileName)
{
    return writeOutput(fileName, [&](QIODevice& file) { return writeSectionsDxf(p, r, file); });
}

} // namespace tervan
