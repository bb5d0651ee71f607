#include "printing/reports.h"

#include "common/numbertext.h"
#include "grading/grading.h"
#include "graphics/contourtracer.h"
#include "graphics/palette.h"
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

void printGrade(PageSurface& page, const Project& p, const GradeFigures& g)
{
    PrintHeading(page, p);
    PrintTitle(page, g.title);
    const struct
    {
        const char16_t* label;
        QString value;
        const char16_t* unit;
    } summary[] = {
        {u"พื้นที่ทั้งหมด", printForm(p.TotalArea), u"ตารางเมตร"},
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
    }
    PrintIndent(page, 2);
    page.setY(11);
    cellHeadings(page);
    const int count = std::min<qint64>(p.CellCount, qint64(g.means.size()) - 1);
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

template <typename Text> void labelNodes(PageSurface& page, const Project& p, Text text)
{
    const int count = std::min<int>(p.NodeCount, int(p.Nodes.size()) - 1);
    for (int j = 1; j <= count; ++j) {
        page.setX(double(nearest(p.Nodes[j].X)));
        page.setY(-double(nearest(p.Nodes[j].Y)));
        page.printLine(text(j, p.Nodes[j]));
    }
}

void nodeLabels(PageSurface& page, const Project& p, const NodeLabels& labels)
{
    const bool P = labels.coordinates, N = labels.numbers, E = labels.elevations;
    if (P && !N && !E)
        labelNodes(page, p, [](int, const NodePoint& n) {
            return generalForm(n.X) + QLatin1Char(',') + generalForm(n.Y);
        });
    if (N && !E)
        labelNodes(page, p,
                   [](int j, const NodePoint&) { return QLatin1Char(' ') + QString::number(j); });
    if (E && !N)
        labelNodes(page, p, [](int, const NodePoint& n) { return formatPicture(n.Z, 2); });
    if (N && E)
        labelNodes(page, p, [](int j, const NodePoint& n) {
            return QString::number(j) + QLatin1Char(',') + formatPicture(n.Z, 2);
        });
}

// Contours on the page: Y points down, labels placed by the window's measure of their text.
// The contour lines of the printed page: each level's segments are joined into polylines
// where they meet, so that the page holds one path per line rather than one per cell edge, and
// a crossing's dot is printed only where no segment starts or ends on it.
class PrintedContours final : public ContourSink
{
public:
    PrintedContours(PageSurface& page, int colour, const WindowTextSize& measure)
        : m_page(page), m_colour(colour), m_measure(measure)
    {
    }
    ~PrintedContours() override { flushLevel(); }

    void level(float, int lineWidth) override
    {
        flushLevel();
        m_page.setLineWidth(lineWidth);
    }
    void point(float x, float y) override { m_dots.push_back({x, y}); }
    void segment(float x1, float y1, float x2, float y2) override
    {
        m_segments.push_back({{x1, y1}, {x2, y2}});
    }
    void label(Border border, float x, float y, float level) override
    {
        const QSizeF size = m_measure(generalForm(level));
        const double w = size.width();
        const double h = -size.height(); // the window's y axis points up
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
        m_page.printLine(printForm(level));
        m_page.setForeColour(PageSurface::ForeColour);
    }

    // Prints the level gathered so far.
    void flushLevel();

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
    const WindowTextSize& m_measure;
    std::vector<End> m_dots;
    std::vector<Segment> m_segments;
};

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

// Heading in centimetres, then a world window fitted to the node extents.
void startGraphicPage(PageSurface& page, const Project& p)
{
    const double w = p.NodeXRange, h = p.NodeYRange;
    double left, right, top, bottom;
    if (w >= h) {
        const double k = ((w + 40) * (4 / 1.8)) / 2;
        left = p.NodeXMin - 20.0;
        right = p.NodeXMax + 20.0;
        top = p.NodeYMin - k;
        bottom = k - h;
    } else {
        left = p.NodeXMin - w / 2;
        right = p.NodeXMax + w / 2;
        top = -(1.5 * h + 50);
        bottom = h;
    }
    page.setPaperA4();
    PrintHeading(page, p);
    page.setUserScale(left, top, right, bottom);
    page.setFont(PrintFace, 10, false);
}

void graphicTitle(PageSurface& page, const Project& p, const QString& title,
                  const WindowTextSize& measure)
{
    page.setFont(PrintFace, 20, true);
    page.setX((double(p.NodeXMax) - p.NodeXMin) / 2 - measure(title).width() / 2);
    page.setY(double(p.NodeYMin) + 8);
    page.printLine(title);
    page.setFontSize(16);
    page.setBold(false);
}

} // namespace

void PrintControl(PageSurface& page, const Project& p)
{
    PrintHeading(page, p);
    PrintTitle(page, QStringLiteral("ข้อมูลควบคุม"));
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

void PrintAutoGrade(PageSurface& page, const Project& p)
{
    printGrade(page, p,
               {QStringLiteral("ผลลัพธ์การปรับระดับพื้นที่ แบบพื้นที่เรียบเสมอกัน"), p.AutoGradeElevation,
                p.AutoCutVolume, p.AutoFillVolume, p.AutoCellMeanElev, p.AutoCellVolume});
}

void PrintFixGrade(PageSurface& page, const Project& p)
{
    printGrade(page, p,
               {QStringLiteral("ผลลัพธ์การปรับระดับพื้นที่ แบบพื้นที่เรียบเสมอกัน ผู้ใช้กำหนดค่าระดับ"),
                p.FixGradeElevation, p.FixCutVolume, p.FixFillVolume, p.FixCellMeanElev,
                p.FixCellVolume});
}

void PrintGraphicGrid(PageSurface& page, const Project& p, const NodeLabels& labels)
{
    gridLines(page, p);
    nodeLabels(page, p, labels);
}

QString PrintGraphicContour(PageSurface& page, Project& p, const NodeLabels& labels,
                            const WindowTextSize& measure)
{
    gridLines(page, p);
    const ContourLevels levels = contourLevels(p, p.ContourInterval);
    PrintedContours sink(page, lineColourIndex(p), measure);
    p.ContourLevel = TraceContours(p, p.ContourInterval, p.BoldWholeContours, sink, true);
    sink.flushLevel();
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

QString GraphicPrint(PageSurface& page, Project& p, int index, const NodeLabels& labels,
                     const WindowTextSize& measure)
{
    QString notice;
    if (index == 1 || index == 4) {
        startGraphicPage(page, p);
        PrintGraphicGrid(page, p, labels);
        graphicTitle(page, p, QStringLiteral("กราฟิกกริด"), measure);
        page.endDocument();
    }
    if (index == 2 || index == 4) {
        startGraphicPage(page, p);
        notice = PrintGraphicContour(page, p, labels, measure);
        graphicTitle(page, p, QStringLiteral("กราฟิกเส้นชั้นความสูง"), measure);
        // A page without its contours says why, under the title.
        if (!notice.isEmpty()) {
            page.setX((double(p.NodeXMax) - p.NodeXMin) / 2 - measure(notice).width() / 2);
            page.printLine(notice);
        }
        page.endDocument();
    }
    return notice;
}

bool GradePrint(PageSurface& page, Project& p, int index)
{
    if (index == 1 || index == 4) {
        if (!AutoGradeElev(p))
            return false;
        PrintAutoGrade(page, p);
    }
    if (index == 2 || index == 4) {
        FixGradeElev(p);
        PrintFixGrade(page, p);
    }
    return true;
}

} // namespace tervan
