#include "printing/reports.h"

#include "common/numbertext.h"
#include "grading/earthworktexts.h"
#include "grading/grading.h"
#include "graphics/contourlabels.h"
#include "graphics/contourtracer.h"
#include "graphics/gridplot.h"
#include "graphics/palette.h"
#include "graphics/sitehatch.h"
#include "printing/mapfurniture.h"
#include "printing/mapsheet.h"
#include "printing/pageframe.h"
#include "printing/pagesurface.h"
#include "project/project.h"

#include <cmath>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tervan {

namespace {

// A plain number as the printer prints it without a picture: a blank in place of a plus
// sign and a blank after it.
QString plain(qint64 n)
{
    return (n < 0 ? QString() : QStringLiteral(" ")) + QString::number(n) + QLatin1Char(' ');
}

void endReport(PageSurface& page)
{
    page.endDocument();
    page.setUnitTwips();
}

void nodeHeadings(PageSurface& page)
{
    page.setBold(true);
    PrintIndent(page, 10);
    page.print(QStringLiteral("จุดที่"));
    page.printBlanks(12);
    page.print(QStringLiteral("พิกัด X (ม.)"));
    page.printBlanks(10);
    page.print(QStringLiteral("พิกัด Y (ม.)"));
    page.printBlanks(10);
    page.printLine(QStringLiteral("ค่าระดับ(ม.)"));
    page.setBold(false);
}

struct GradeFigures
{
    QString title;
    float platform;
    float cut;
    float fill;
    const std::vector<float>& means;
    const std::vector<float>& volumes;
};

void cellHeadings(PageSurface& page)
{
    page.setBold(true);
    page.print(QStringLiteral("หมายเลขกริด"));
    page.printBlanks(8);
    page.print(QStringLiteral("ค่าระดับเฉลี่ยของแต่ละกริด (ม.)"));
    page.printBlanks(8);
    page.printLine(QStringLiteral("ปริมาตรดินตัด - ดินถมของแต่ละกริด (ลบ.ม.)"));
    page.setBold(false);
}

void printGrade(PageSurface& page, const Project& p, const GradingResults& r, const GradeFigures& g)
{
    page.beginReport(g.title);
    PrintHeading(page, p);
    PrintTitle(page, g.title);
    const struct
    {
        const char16_t* label;
        QString value;
        const char16_t* unit;
    } summary[] = {
        {u"พื้นที่ทั้งหมด", printForm(r.TotalArea), u"ตารางเมตร"},
        {u"ค่าระดับในการปรับพื้นที่", formatPicture(g.platform, 3), u"เมตร"},
        {u"ปริมาตรดินตัด", formatPicture(g.cut, 2), u"ลูกบาศก์เมตร"},
        {u"ปริมาตรดินถม", formatPicture(g.fill, 2), u"ลูกบาศก์เมตร"},
    };
    for (const auto& line : summary) {
        PrintIndent(page, 17);
        page.print(QString::fromUtf16(line.label));
        page.setX(11);
        page.print(line.value);
        page.setX(14);
        page.printLine(QString::fromUtf16(line.unit));
        // The area in the units a Thai land office reads, under it.
        if (line.label == summary[0].label) {
            PrintIndent(page, 17);
            page.setX(11);
            page.print(raiNganWa(r.TotalArea));
            page.setX(14);
            page.printLine(QStringLiteral("ไร่-งาน-ตารางวา"));
        }
    }
    if (const QString note = outsideAreaNote(p); !note.isEmpty()) {
        PrintIndent(page, 17);
        page.printLine(note);
    }
    PrintIndent(page, 2);
    page.setY(11);
    cellHeadings(page);
    const int count = std::min<qint64>(r.CellCount, qint64(g.means.size()) - 1);
    for (int k = 1; k <= count; ++k) {
        PrintIndent(page, 0);
        page.print(plain(k));
        page.setX(8);
        page.print(formatPicture(g.means[k], 3));
        page.setX(15);
        page.printLine(formatPicture(g.volumes[k], 2));
        if (k % 19 == 0) {
            page.endDocument();
            PrintHeading(page, p);
            PrintTitle(page, g.title);
            PrintIndent(page, 2);
            cellHeadings(page);
        }
    }
    endReport(page);
}

qint64 nearest(float v)
{
    return std::isfinite(v) ? qint64(std::nearbyint(std::clamp(double(v), -1e15, 1e15))) : 0;
}

void gridLines(PageSurface& page, const Project& p)
{
    const qint32 width = (qint32(p.GridCols) - 1) * p.GridSpacing;
    const qint32 height = (qint32(p.GridRows) - 1) * p.GridSpacing;
    for (qint32 i = 0; i < p.GridRows; ++i) {
        const double y = -double(i * qint32(p.GridSpacing));
        page.line(0, y, width, y);
    }
    for (qint32 k = 0; k < p.GridCols; ++k) {
        const double x = double(k * qint32(p.GridSpacing));
        page.line(x, 0, x, -double(height));
    }
}

// The site's outline, the ground outside it hatched (y runs down the page).
void siteLines(PageSurface& page, const Project& p)
{
    const SiteHatch site = siteHatch(p, p.GridSpacing / 2.0);
    for (const QLineF& l : site.hatch)
        page.line(l.x1(), -l.y1(), l.x2(), -l.y2(), colour::LightGrey);
    for (const QLineF& l : site.outline)
        page.line(l.x1(), -l.y1(), l.x2(), -l.y2(), colour::BrightBlue);
}

// Only where the labels fit the cells at the page's scale.
void nodeLabels(PageSurface& page, const Project& p, const NodeLabels& labels)
{
    const QString longest = longestNodeLabel(p, labels);
    if (longest.isNull() || !nodeLabelsFit(page.textWidth(longest), p.GridSpacing))
        return;
    const int count = std::min<int>(p.NodeCount, int(p.Nodes.size()) - 1);
    for (int j = 1; j <= count; ++j) {
        page.setX(double(nearest(p.Nodes[j].X)));
        page.setY(-double(nearest(p.Nodes[j].Y)));
        page.printLine(nodeLabelText(p, labels, j));
    }
}

// Contours on the page: Y points down. Labels stand centred on their contour by the page's own
// measure of their text, as the screen centres them by its own. Each level's segments are
// joined into polylines where they meet, so that the page holds one path per line rather than
// one per cell edge, and a crossing's dot is printed only where no segment starts or ends on it.
class PrintedContours final : public ContourSink
{
public:
    PrintedContours(PageSurface& page, int colour) : m_page(page), m_colour(colour) {}
    ~PrintedContours() override { flushLevel(); }

    // A contour page at a fine interval traces for long: it stops once nobody waits for it.
    bool cancelled() const override { return m_page.cancelled(); }
    void level(float level, int lineWidth) override
    {
        flushLevel();
        m_page.setLineWidth(lineWidth);
        m_whole = m_project && isIndexLevel(*m_project, m_project->ContourInterval, level);
    }
    void point(float x, float y) override
    {
        if (!(m_skipWhole && m_whole))
            m_dots.push_back({x, y});
    }
    void segment(float x1, float y1, float x2, float y2) override
    {
        if (!(m_skipWhole && m_whole))
            m_segments.push_back({{x1, y1}, {x2, y2}});
    }
    void label(Border border, float x, float y, float level) override
    {
        const QString text = printForm(level);
        const double w = m_page.textWidth(text);
        const double h = m_page.textHeight(); // page units, downwards
        switch (border) {
        case Border::Bottom:
            m_page.setX(x - w / 2);
            m_page.setY(y);
            break;
        case Border::Right:
            m_page.setX(x);
            m_page.setY(y - h / 2);
            break;
        case Border::Top:
            m_page.setX(x - w / 2);
            m_page.setY(y - 1.5 * h);
            break;
        case Border::Left:
            m_page.setX(x - 1.5 * w);
            m_page.setY(y - h / 2);
            break;
        }
        m_page.setForeColour(colour::Red);
        m_page.printLine(text);
        m_page.setForeColour(PageSurface::ForeColour);
    }

    // Prints the level gathered so far.
    void flushLevel();

    // Whole levels are left to the labelled lines.
    bool m_skipWhole = false;
    const Project* m_project = nullptr; // whose index levels the along labels take

private:
    struct End
    {
        float x, y;
    };
    struct Segment
    {
        End a, b;
    };
    // Crossings of neighbouring cells are computed from opposite ends of their shared edge
    // and may differ in the last bit: ends meet within a tenth of a millimetre.
    using Key = std::pair<qint64, qint64>;
    struct KeyHash
    {
        std::size_t operator()(const Key& k) const
        {
            return std::hash<qint64>()(k.first * 1000003 ^ k.second);
        }
    };
    static Key key(End e)
    {
        return {std::llround(double(e.x) * 1e4), std::llround(double(e.y) * 1e4)};
    }

    PageSurface& m_page;
    int m_colour;
    std::vector<End> m_dots;
    std::vector<Segment> m_segments;
    bool m_whole = false;
};

// Whole levels from their joined lines, broken under labels laid along them, about one every
// 15 cm of paper, clear of the node labels printed. The page's Y points down: lines are placed
// as seen, in grid coordinates.
void printLabelledLines(PageSurface& page, const Project& p, int colour, const NodeLabels& nodes)
{
    const ContourSet set = traceContourLines(p, p.ContourInterval);
    const QPointF scale = page.twipsPerUnit();
    AlongLabelStyle style;
    style.scaleX = scale.x();
    style.scaleY = scale.y();
    style.textHeight = page.textHeight() * scale.y();
    style.textWidth = [&page, scale](const QString& t) { return page.textWidth(t) * scale.x(); };
    style.text = [](float level) { return printForm(level); };
    style.spacing = 15 * 1440 / 2.54;
    style.inside = QRectF(QPointF(p.NodeXMin, p.NodeYMin), QPointF(p.NodeXMax, p.NodeYMax));
    const QString longest = longestNodeLabel(p, nodes);
    if (!longest.isNull() && nodeLabelsFit(page.textWidth(longest), p.GridSpacing)) {
        const int count = std::min<int>(p.NodeCount, int(p.Nodes.size()) - 1);
        for (int j = 1; j <= count; ++j) {
            const QPointF at(double(nearest(p.Nodes[j].X)), double(nearest(p.Nodes[j].Y)));
            style.keepOut.emplace_back(
                at - QPointF(0, page.textHeight()),
                QSizeF(page.textWidth(nodeLabelText(p, nodes, j)), page.textHeight()));
        }
    }
    const std::vector<AlongLabel> labels = placeAlongLabels(set.lines, style);
    page.setLineWidth(p.BoldWholeContours == ContourEmphasis::WholeLevels ? 2 : 1);
    for (std::size_t i = 0; i < set.lines.size(); ++i) {
        if (!set.lines[i].whole)
            continue;
        for (auto& piece : linePieces(set.lines[i], i, labels)) {
            for (QPointF& point : piece)
                point.ry() = -point.y();
            page.polyline(piece, colour);
        }
    }
    page.setForeColour(colour::Red);
    for (const AlongLabel& label : labels)
        page.rotatedText(label.at.x(), -label.at.y(), label.angle, label.text);
    page.setForeColour(PageSurface::ForeColour);
}

void PrintedContours::flushLevel()
{
    if (m_segments.empty() && m_dots.empty())
        return;
    // Segment ends by position: entry 2i is segment i's start, 2i + 1 its end.
    std::unordered_multimap<Key, std::size_t, KeyHash> ends;
    ends.reserve(m_segments.size() * 2);
    for (std::size_t i = 0; i < m_segments.size(); ++i) {
        ends.emplace(key(m_segments[i].a), 2 * i);
        ends.emplace(key(m_segments[i].b), 2 * i + 1);
    }
    std::vector<bool> used(m_segments.size(), false);
    const auto endOf = [this](std::size_t e) {
        return e % 2 ? m_segments[e / 2].b : m_segments[e / 2].a;
    };
    // The far end of an unused segment that meets `at`, marking it used.
    const auto follow = [&](End at) -> std::optional<End> {
        const auto [first, last] = ends.equal_range(key(at));
        for (auto it = first; it != last; ++it) {
            const std::size_t e = it->second;
            if (!used[e / 2]) {
                used[e / 2] = true;
                return endOf(e ^ 1);
            }
        }
        return std::nullopt;
    };
    std::vector<QPointF> forward, backward;
    for (std::size_t i = 0; i < m_segments.size(); ++i) {
        if (used[i])
            continue;
        used[i] = true;
        forward = {QPointF(m_segments[i].a.x, m_segments[i].a.y),
                   QPointF(m_segments[i].b.x, m_segments[i].b.y)};
        for (auto next = follow(m_segments[i].b); next; next = follow(*next))
            forward.emplace_back(next->x, next->y);
        backward.clear();
        for (auto next = follow(m_segments[i].a); next; next = follow(*next))
            backward.emplace_back(next->x, next->y);
        forward.insert(forward.begin(), backward.rbegin(), backward.rend());
        m_page.polyline(forward, m_colour);
    }
    for (const End& dot : m_dots) {
        if (ends.find(key(dot)) == ends.end())
            m_page.line(dot.x, dot.y, dot.x, dot.y, m_colour);
    }
    m_segments.clear();
    m_dots.clear();
}

const QString GridTitle = QStringLiteral("กราฟิกกริด");
const QString ContourTitle = QStringLiteral("กราฟิกเส้นชั้นความสูง");
constexpr double PictureFontPoints = 10;
constexpr double TitlePoints = 20;
constexpr double GapCm = 0.3;

// What a graphics page holds, in page coordinates (metres, Y down), and the room its texts
// take around it (centimetres, whatever the scale).
struct PictureRoom
{
    double x0, x1, y0, y1;
    double left = 0, right = 0, top = 0, below = 0; // labels beside the picture
    double titleHeight = 0;
};

// Measured on the page in centimetres at the picture's font, before the world window exists.
PictureRoom pictureRoom(PageSurface& page, const Project& p, const NodeLabels& labels, bool contour)
{
    const double width = double((qint32(p.GridCols) - 1) * p.GridSpacing);
    const double height = double((qint32(p.GridRows) - 1) * p.GridSpacing);
    PictureRoom room{
        std::min({0.0, width, double(p.NodeXMin)}), std::max({0.0, width, double(p.NodeXMax)}),
        -std::max({0.0, height, double(p.NodeYMax)}), -std::min({0.0, height, double(p.NodeYMin)})};
    page.setFont(PrintFace, TitlePoints, true);
    room.titleHeight = page.textHeight();
    page.setFont(PrintFace, PictureFontPoints, false);
    const double line = page.textHeight();
    double widest = 0;
    const int count = std::min<int>(p.NodeCount, int(p.Nodes.size()) - 1);
    for (int j = 1; j <= count && !nodeLabelText(p, labels, 1).isNull(); ++j)
        widest = std::max(widest, page.textWidth(nodeLabelText(p, labels, j)));
    if (widest > 0) {
        room.right = widest;
        room.below = line;
    }
    if (contour && p.ContourInterval > 0) {
        const double first = std::floor(double(p.ElevMin));
        double level = 0;
        for (double v : {first, first + p.ContourInterval, double(p.ElevMax),
                         double(p.ElevMax) - p.ContourInterval})
            level = std::max(level, page.textWidth(printForm(float(v)) + QLatin1Char('0')));
        room.left = 1.5 * level;
        room.right = std::max(room.right, level);
        room.top = 1.5 * line;
        room.below = line;
    }
    return room;
}

struct PageWindow
{
    double left, top, right, bottom;
};

// A graphics page laid out as a map: the frame below the heading, the picture centred in it at
// a scale of the usual series, the title and its notice below the frame's labels, and the
// furniture block at the foot.
struct MapLayout
{
    PageWindow window{};
    MapSheet sheet;
    double blockTop = 0;
    double titleTop = 0; // centimetres
    double metresPerCm() const { return double(sheet.scale) / 100; }
};

constexpr double SideCm = 0.2;
constexpr double PadCm = 0.3;

// The layout on a printable area of `width` x `height` centimetres; none when no scale of the
// series fits the picture there.
std::optional<MapLayout> mapLayout(const PictureRoom& room, double headingCm, double titleCm,
                                   double labelCm, double width, double height)
{
    MapLayout m;
    m.blockTop = height - MapBlockCm - 0.05;
    m.titleTop = m.blockTop - titleCm - GapCm;
    const QRectF frame(QPointF(SideCm + labelCm, headingCm + GapCm),
                       QPointF(width - SideCm, m.titleTop - GapCm - labelCm));
    const double across = frame.width() - room.left - room.right - 2 * PadCm;
    const double down = frame.height() - room.top - room.below - 2 * PadCm;
    const long scale =
        std::max(mapScale(room.x1 - room.x0, across), mapScale(room.y1 - room.y0, down));
    if (across <= 0 || down <= 0 || mapScale(room.x1 - room.x0, across) == 0 ||
        mapScale(room.y1 - room.y0, down) == 0)
        return std::nullopt;
    m.sheet.scale = scale;
    m.sheet.frame = frame;
    const double k = m.metresPerCm();
    const double blockWidth = room.left + (room.x1 - room.x0) / k + room.right;
    const double blockHeight = room.top + (room.y1 - room.y0) / k + room.below;
    const double pictureLeft = frame.center().x() - blockWidth / 2 + room.left;
    const double pictureTop = frame.center().y() - blockHeight / 2 + room.top;
    m.window.left = room.x0 - pictureLeft * k;
    m.window.top = room.y0 - pictureTop * k;
    m.window.right = m.window.left + width * k;
    m.window.bottom = m.window.top + height * k;
    // Page y runs down while the grid's Y runs north.
    m.sheet.origin = QPointF(-m.window.left / k, -m.window.top / k);
    return m;
}

// Draws nothing and measures through another device, so that a page can be tried out.
class MeasuringPage final : public PageBackend
{
public:
    MeasuringPage(PageBackend& measure, QSizeF printable) : m_measure(measure), m_size(printable) {}
    QSizeF printableTwips() const override { return m_size; }
    double textWidthTwips(const QFont& font, const QString& text) override
    {
        return m_measure.textWidthTwips(font, text);
    }
    double lineHeightTwips(const QFont& font) override { return m_measure.lineHeightTwips(font); }
    void text(QPointF, const QString&, const QFont&, int) override {}
    void line(QPointF, QPointF, int, int) override {}
    void setPaperA4() override {}
    void endDocument() override {}
    bool failed() const override { return false; }

private:
    PageBackend& m_measure;
    QSizeF m_size;
};

// The layout on the page as it lies now, with the node labels dropped (and their room given
// to the picture) where they would not fit a cell at its scale.
std::optional<MapLayout> layoutFor(PageSurface& page, const Project& p, NodeLabels& labels,
                                   bool contour, double heading)
{
    const double title = [&] {
        page.setFont(PrintFace, 16, false);
        return page.textHeight();
    }();
    const double labelRoom = mapLabelRoomCm(page);
    PictureRoom room = pictureRoom(page, p, labels, contour);
    auto layout = mapLayout(room, heading, room.titleHeight + title, labelRoom, page.pageWidth(),
                            page.pageHeight());
    const QString longest = longestNodeLabel(p, labels);
    if (!longest.isNull() && (!layout || !nodeLabelsFit(page.textWidth(longest),
                                                        p.GridSpacing / layout->metresPerCm()))) {
        labels = {false, false, false};
        room = pictureRoom(page, p, labels, contour);
        layout = mapLayout(room, heading, room.titleHeight + title, labelRoom, page.pageWidth(),
                           page.pageHeight());
    }
    if (layout)
        layout->sheet.georef = p.Georef;
    return layout;
}

// Centred under the picture by the page's measure of the title; a page without its contours
// says why on the line below.
void graphicTitle(PageSurface& page, const QString& title, QPointF topCentre,
                  const QString& notice = {})
{
    page.setFont(PrintFace, TitlePoints, true);
    page.setX(topCentre.x() - page.textWidth(title) / 2);
    page.setY(topCentre.y());
    page.printLine(title);
    page.setFontSize(16);
    page.setBold(false);
    if (!notice.isEmpty()) {
        page.setX(topCentre.x() - page.textWidth(notice) / 2);
        page.printLine(notice);
    }
}

// Heading, then the layout of the page as a map, across the paper where the picture comes out
// at a larger scale that way. Node labels too wide for a cell at that scale are dropped from
// `labels`, and the picture takes their room. Leaves the page in the picture's world window.
std::optional<MapLayout> startGraphicPage(PageSurface& page, const Project& p, const QString& title,
                                          NodeLabels& labels, bool contour)
{
    PageBackend& device = page.backend();
    page.beginReport(title);
    page.setPaperA4();
    page.setLandscape(false);
    const QSizeF along = device.printableTwips();
    std::optional<MapLayout> best;
    bool across = false;
    NodeLabels kept = labels;
    for (const bool landscape : {false, true}) {
        const QSizeF size = landscape ? along.transposed() : along;
        MeasuringPage trial(device, size);
        PageSurface tried(trial);
        PrintHeading(tried, p);
        NodeLabels shown = labels;
        const auto layout = layoutFor(tried, p, shown, contour, tried.y());
        if (layout && (!best || layout->sheet.scale < best->sheet.scale)) {
            best = layout;
            across = landscape;
            kept = shown;
        }
    }
    if (across) {
        page.setLandscape(true);
        // A device that cannot turn its paper keeps the page along it.
        if (page.pageWidth() < page.pageHeight()) {
            page.setLandscape(false);
            across = false;
        }
    }
    PrintHeading(page, p);
    labels = kept;
    NodeLabels shown = labels;
    best = layoutFor(page, p, shown, contour, page.y());
    labels = shown;
    if (best)
        page.setUserScale(best->window.left, best->window.top, best->window.right,
                          best->window.bottom);
    else
        page.setUserScale(0, 0, page.pageWidth(), page.pageHeight());
    page.setFont(PrintFace, PictureFontPoints, false);
    return best;
}

QString metres(double v)
{
    return formatPicture(v, 2) + QStringLiteral(" ม.");
}

// What the contour picture shows: its interval, the index levels and the levels drawn.
QStringList contourLegend(const Project& p)
{
    const ContourLevels levels = contourLevels(p, p.ContourInterval);
    if (levels.problem != ContourLevels::None || levels.count <= 0)
        return {QStringLiteral("ช่วงชั้นความสูง ") + metres(p.ContourInterval)};
    const bool bold = p.BoldWholeContours == ContourEmphasis::WholeLevels;
    const double index = p.ContourLevelsFromZero ? 5.0 * double(p.ContourInterval) : 1.0;
    return {QStringLiteral("ช่วงชั้นความสูง ") + metres(p.ContourInterval),
            QStringLiteral("เส้นชั้นหลัก%1ทุก ")
                    .arg(bold ? QStringLiteral(" (เส้นหนา) ") : QStringLiteral(" ")) +
                metres(index),
            QStringLiteral("ระดับ ") + formatPicture(levels.level(levels.first), 2) +
                QStringLiteral(" ถึง ") + metres(levels.level(levels.first + levels.count - 1))};
}

QStringList gridLegend(const Project& p)
{
    return {QStringLiteral("ระยะกริด %1 ม.").arg(p.GridSpacing),
            QStringLiteral("ระดับ ") + formatPicture(p.ElevMin, 2) + QStringLiteral(" ถึง ") +
                metres(p.ElevMax)};
}

// Title and notice under the frame, then the frame's ticks and the furniture block; the page
// ends and the paper lies along again.
void finishGraphicPage(PageSurface& page, const std::optional<MapLayout>& layout,
                       const QString& title, const QStringList& legend, const QString& notice = {})
{
    if (layout) {
        const double k = layout->metresPerCm();
        graphicTitle(page, title,
                     {layout->window.left + layout->sheet.frame.center().x() * k,
                      layout->window.top + layout->titleTop * k},
                     notice);
        MapSheet sheet = layout->sheet;
        sheet.legend = legend;
        PrintMapFurniture(page, sheet, layout->blockTop);
    } else {
        graphicTitle(page, title, {page.pageWidth() / 2, page.pageHeight() / 2}, notice);
    }
    page.endDocument();
    page.setLandscape(false);
    page.setUnitTwips();
}

} // namespace

void PrintControl(PageSurface& page, const Project& p)
{
    const QString title = QStringLiteral("ข้อมูลควบคุม");
    page.beginReport(title);
    PrintHeading(page, p);
    PrintTitle(page, title);
    const QString metres = QStringLiteral("เมตร");
    PrintIndent(page, 25);
    page.print(QStringLiteral("ระยะกริด"));
    page.setX(12);
    page.print(plain(p.GridSpacing));
    page.setX(13.5);
    page.printLine(metres);
    PrintIndent(page, 25);
    page.print(QStringLiteral("จำนวนแถว"));
    page.setX(12);
    page.printLine(plain(p.GridRows));
    PrintIndent(page, 25);
    page.print(QStringLiteral("จำนวนคอลัมน์"));
    page.setX(12);
    page.printLine(plain(p.GridCols));
    PrintIndent(page, 25);
    page.print(QStringLiteral("ค่าความต่างของเส้นชั้นความสูง"));
    page.setX(12);
    page.print(formatPicture(p.ContourInterval, 2));
    page.setX(13.5);
    page.printLine(metres);
    endReport(page);
}

void PrintNodeElev(PageSurface& page, const Project& p)
{
    const QString title = QStringLiteral("พิกัดจุดต่อ และข้อมูลค่าระดับ");
    page.beginReport(title);
    PrintHeading(page, p);
    PrintTitle(page, title);
    nodeHeadings(page);
    const int count = std::min<int>(p.NodeCount, int(p.Nodes.size()) - 1);
    for (int k = 1; k <= count; ++k) {
        const NodePoint& node = p.Nodes[k];
        PrintIndent(page, 11);
        page.print(plain(k));
        page.setX(7.4);
        page.print(formatPicture(node.X, 0));
        page.setX(10.85);
        page.print(formatPicture(node.Y, 0));
        page.setX(14.25);
        page.printLine(formatPicture(node.Z, 2));
        // The break follows a full page, whether or not more rows come.
        if (k % 24 == 0) {
            page.endDocument();
            PrintHeading(page, p);
            PrintTitle(page, title);
            nodeHeadings(page);
        }
    }
    endReport(page);
}

void PrintAutoGrade(PageSurface& page, const Project& p, const GradingResults& r)
{
    printGrade(page, p, r,
               {QStringLiteral("ผลลัพธ์การปรับระดับพื้นที่ แบบพื้นที่เรียบเสมอกัน"), r.AutoGradeElevation,
                r.AutoCutVolume, r.AutoFillVolume, r.AutoCellMeanElev, r.AutoCellVolume});
}

void PrintAutoGrade(PageSurface& page, const Project& p)
{
    PrintAutoGrade(page, p, p);
}

void PrintFixGrade(PageSurface& page, const Project& p, const GradingResults& r)
{
    printGrade(page, p, r,
               {QStringLiteral("ผลลัพธ์การปรับระดับพื้นที่ แบบพื้นที่เรียบเสมอกัน ผู้ใช้กำหนดค่าระดับ"),
                r.FixGradeElevation, r.FixCutVolume, r.FixFillVolume, r.FixCellMeanElev,
                r.FixCellVolume});
}

void PrintFixGrade(PageSurface& page, const Project& p)
{
    PrintFixGrade(page, p, p);
}

void PrintGraphicGrid(PageSurface& page, const Project& p, const NodeLabels& labels)
{
    gridLines(page, p);
    siteLines(page, p);
    nodeLabels(page, p, labels);
}

QString PrintGraphicContour(PageSurface& page, const Project& p, const NodeLabels& labels)
{
    gridLines(page, p);
    siteLines(page, p);
    const ContourLevels levels = contourLevels(p, p.ContourInterval);
    PrintedContours sink(page, lineColourIndex(p));
    sink.m_skipWhole = p.ContourLabelsAlong;
    sink.m_project = &p;
    TraceContours(p, p.ContourInterval, p.BoldWholeContours, sink, true);
    sink.flushLevel();
    if (p.ContourLabelsAlong && levels.problem == ContourLevels::None)
        printLabelledLines(page, p, lineColourIndex(p), labels);
    page.setLineWidth(1);
    nodeLabels(page, p, labels);
    return contourNotice(levels);
}

void DataPrint(PageSurface& page, const Project& p, int index)
{
    if (index == 1 || index == 4)
        PrintControl(page, p);
    if (index == 2 || index == 4)
        PrintNodeElev(page, p);
}

QString GraphicPrint(PageSurface& page, const Project& p, int index, const NodeLabels& labels)
{
    QString notice;
    if (index == 1 || index == 4) {
        NodeLabels shown = labels;
        const auto layout = startGraphicPage(page, p, GridTitle, shown, false);
        PrintGraphicGrid(page, p, shown);
        finishGraphicPage(page, layout, GridTitle, gridLegend(p));
    }
    if (index == 2 || index == 4) {
        NodeLabels shown = labels;
        const auto layout = startGraphicPage(page, p, ContourTitle, shown, true);
        notice = PrintGraphicContour(page, p, shown);
        finishGraphicPage(page, layout, ContourTitle, contourLegend(p), notice);
    }
    return notice;
}

bool GradePrint(PageSurface& page, const Project& p, int index)
{
    GradingResults graded;
    graded.FixGradeElevation = p.FixGradeElevation;
    if (index == 1 || index == 4) {
        if (!AutoGradeElev(p, graded))
            return false;
        PrintAutoGrade(page, p, graded);
    }
    if (index == 2 || index == 4) {
        if (!FixGradeElev(p, graded))
            return false;
        PrintFixGrade(page, p, graded);
    }
    return true;
}

} // namespace tervan
