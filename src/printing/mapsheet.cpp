#include "printing/mapsheet.h"

#include "printing/mapfurniture.h"
#include "printing/pageframe.h"
#include "printing/pagesurface.h"

#include <algorithm>
#include <cmath>

namespace tervan {

namespace {

constexpr double LabelPoints = 9;
constexpr double BlockPoints = 12;
constexpr double TickCm = 0.25;
constexpr QRgb Black = 0xff000000;
constexpr QRgb White = 0xffffffff;

void box(PageSurface& page, const QRectF& r)
{
    page.line(r.left(), r.top(), r.right(), r.top());
    page.line(r.right(), r.top(), r.right(), r.bottom());
    page.line(r.right(), r.bottom(), r.left(), r.bottom());
    page.line(r.left(), r.bottom(), r.left(), r.top());
}

void filledBox(PageSurface& page, const QRectF& r, QRgb rgb)
{
    std::vector<QPointF> corners{r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()};
    page.fillPolygon(corners, rgb);
    box(page, r);
}

// Text centred across at x, its top at y.
void centredText(PageSurface& page, double x, double y, const QString& text)
{
    page.setX(x - page.textWidth(text) / 2);
    page.setY(y);
    page.print(text);
    page.printLine();
}

// Every n-th tick is labelled, n the least that keeps neighbouring labels apart.
int labelStride(double spacingCm, double widestCm)
{
    if (!(spacingCm > 0))
        return 1;
    return std::max(1, int(std::ceil((widestCm + 0.2) / spacingCm)));
}

void coordinateTicks(PageSurface& page, const MapSheet& s)
{
    if (!s.georef)
        return;
    const Georeference& g = *s.georef;
    const double k = double(s.scale) / 100; // metres a centimetre
    const QRectF& f = s.frame;
    const double e0 = g.easting + (f.left() - s.origin.x()) * k;
    const double e1 = g.easting + (f.right() - s.origin.x()) * k;
    const double n0 = g.northing + (s.origin.y() - f.bottom()) * k;
    const double n1 = g.northing + (s.origin.y() - f.top()) * k;
    page.setFont(PrintFace, LabelPoints, false);
    const double line = page.textHeight();

    const double eStep = tickStep(e0, e1);
    const std::vector<double> es = tickValues(e0, e1, eStep);
    double widest = 0;
    for (double e : es)
        widest = std::max(widest, page.textWidth(coordinateText(u'E', e, eStep)));
    const int eStride = labelStride(eStep / k, widest);
    for (std::size_t i = 0; i < es.size(); ++i) {
        const double x = f.left() + (es[i] - e0) / k;
        page.line(x, f.bottom(), x, f.bottom() - TickCm);
        page.line(x, f.top(), x, f.top() + TickCm);
        if (i % std::size_t(eStride) == 0)
            centredText(page, x, f.bottom() + 0.05, coordinateText(u'E', es[i], eStep));
    }

    const double nStep = tickStep(n0, n1);
    const std::vector<double> ns = tickValues(n0, n1, nStep);
    widest = 0;
    for (double n : ns)
        widest = std::max(widest, page.textWidth(coordinateText(u'N', n, nStep)));
    const int nStride = labelStride(nStep / k, widest);
    for (std::size_t i = 0; i < ns.size(); ++i) {
        const double y = f.bottom() - (ns[i] - n0) / k;
        page.line(f.left(), y, f.left() + TickCm, y);
        page.line(f.right(), y, f.right() - TickCm, y);
        if (i % std::size_t(nStride) == 0)
            page.rotatedText(f.left() - 0.05 - line / 2, y, 90, coordinateText(u'N', ns[i], nStep));
    }
}

void scaleBlock(PageSurface& page, const QRectF& cell, long scale)
{
    page.setFont(PrintFace, BlockPoints + 2, true);
    centredText(page, cell.center().x(), cell.top() + 0.1, scaleText(scale));
    page.setFont(PrintFace, LabelPoints, false);
    const ScaleBar bar = scaleBar(scale, cell.width() - 1.5);
    if (bar.segments == 0)
        return;
    const double length = ScaleBar::centimetres(bar.metres(), scale);
    const double x0 = cell.center().x() - length / 2;
    const double y0 = page.y() + 0.1;
    const double height = 0.2;
    for (int i = 0; i < bar.segments; ++i) {
        const double a = x0 + ScaleBar::centimetres(bar.segmentMetres * i, scale);
        const double b = x0 + ScaleBar::centimetres(bar.segmentMetres * (i + 1), scale);
        filledBox(page, QRectF(QPointF(a, y0), QPointF(b, y0 + height)), i % 2 ? White : Black);
    }
    for (int i = 0; i <= bar.segments; ++i)
        centredText(page, x0 + ScaleBar::centimetres(bar.segmentMetres * i, scale),
                    y0 + height + 0.05, bar.label(i));
    page.setX(x0 + length + page.textWidth(bar.label(bar.segments)) / 2 + 0.1);
    page.setY(y0 + height + 0.05);
    page.print(QStringLiteral("เมตร"));
    page.printLine();
}

// An arrow pointing up the page, its left half filled, "N" above its tip and "เหนือ" below.
void northArrow(PageSurface& page, const QRectF& cell)
{
    page.setFont(PrintFace, BlockPoints, true);
    const double line = page.textHeight();
    const double cx = cell.center().x();
    const double tip = cell.top() + 0.1 + line, base = cell.bottom() - 0.1 - line;
    const double half = std::min(0.45, (base - tip) / 3);
    centredText(page, cx, cell.top() + 0.1, QStringLiteral("N"));
    std::vector<QPointF> left{{cx, tip}, {cx - half, base}, {cx, base - half}};
    page.fillPolygon(left, Black);
    page.line(cx, tip, cx - half, base);
    page.line(cx - half, base, cx, base - half);
    page.line(cx, base - half, cx + half, base);
    page.line(cx + half, base, cx, tip);
    page.line(cx, tip, cx, base - half);
    page.setBold(false);
    centredText(page, cx, base + 0.05, QStringLiteral("เหนือ"));
}

void legendBlock(PageSurface& page, const QRectF& cell, const MapSheet& s)
{
    page.setFont(PrintFace, BlockPoints, true);
    page.setX(cell.left() + 0.2);
    page.setY(cell.top() + 0.1);
    page.printLine(QStringLiteral("คำอธิบาย"));
    page.setBold(false);
    QStringList lines = s.legend;
    lines << coordinateSystemText(s.georef);
    for (const QString& text : lines) {
        page.setX(cell.left() + 0.2);
        page.printLine(text);
    }
}

} // namespace

double mapLabelRoomCm(PageSurface& page)
{
    page.setFont(PrintFace, LabelPoints, false);
    return page.textHeight() + 0.1;
}

QString coordinateSystemText(const std::optional<Georeference>& g)
{
    if (!g)
        return QStringLiteral("พิกัดกริดของโครงการ (ไม่ได้อ้างอิงพิกัดภูมิศาสตร์)");
    if (g->epsg <= 0)
        return QStringLiteral("ระบบพิกัด : ไม่ระบุ");
    return QStringLiteral("ระบบพิกัด EPSG:%1").arg(g->epsg);
}

void PrintMapFurniture(PageSurface& page, const MapSheet& sheet, double blockTop)
{
    page.setUnitCentimetres();
    page.setLineWidth(2);
    box(page, sheet.frame);
    page.setLineWidth(1);
    coordinateTicks(page, sheet);

    const QRectF block(sheet.frame.left(), blockTop, sheet.frame.width(), MapBlockCm);
    box(page, block);
    // The legend takes the most room; the arrow needs little.
    const double arrowWidth = std::min(2.5, block.width() / 6);
    const double scaleWidth = std::min(8.0, (block.width() - arrowWidth) / 2);
    const QRectF arrow(block.right() - arrowWidth, block.top(), arrowWidth, block.height());
    const QRectF bar(arrow.left() - scaleWidth, block.top(), scaleWidth, block.height());
    const QRectF legend(block.left(), block.top(), bar.left() - block.left(), block.height());
    page.line(bar.left(), block.top(), bar.left(), block.bottom());
    page.line(arrow.left(), block.top(), arrow.left(), block.bottom());
    legendBlock(page, legend, sheet);
    scaleBlock(page, bar, sheet.scale);
    northArrow(page, arrow);
    page.setFont(PrintFace, 16, false);
}

} // namespace tervan
