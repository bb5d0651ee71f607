#include "app/toolbaricons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>

namespace tervan {
namespace {

// One palette for the whole toolbar so the buttons read as a set.
const QColor Ink(0x34, 0x40, 0x4e);
const QColor Paper(0xff, 0xff, 0xff);
const QColor PaperShade(0xd5, 0xdc, 0xe4);
const QColor Steel(0x8b, 0x97, 0xa5);
const QColor SteelLight(0xcf, 0xd6, 0xde);
const QColor Blue(0x2f, 0x78, 0xc4);
const QColor BlueDark(0x1f, 0x4f, 0x86);
const QColor BlueLight(0xb4, 0xd6, 0xf5);
const QColor Green(0x2f, 0x8f, 0x3e);
const QColor GreenMid(0x8c, 0xc9, 0x7c);
const QColor GreenLight(0xc9, 0xe8, 0xbd);
const QColor Yellow(0xf5, 0xc5, 0x42);
const QColor YellowDark(0xd9, 0x9a, 0x1e);
const QColor Red(0xd6, 0x45, 0x3a);
const QColor RedLight(0xf2, 0xb0, 0xa6);
const QColor Earth(0x8f, 0x5a, 0x2e);
const QColor EarthLight(0xe6, 0xcc, 0xa2);

constexpr qreal Design = 32; // every icon is laid out on a 32x32 grid
constexpr qreal Pi = std::numbers::pi;

// Painter helpers on the 32x32 design grid; the painter scales the grid to the pixmap size.
class Sketch
{
public:
    Sketch(QPainter& painter, int size) : p(painter), scale(size / Design)
    {
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
    }

    // Widths are in device pixels, rounded to half pixels and never under one pixel, so thin
    // outlines survive the 16 px size.
    qreal deviceWidth(qreal w) const { return std::max(1.0, std::round(w * scale * 2) / 2); }

    QPen pen(const QColor& c, qreal w = 1) const
    {
        QPen pen(c, deviceWidth(w));
        pen.setCosmetic(true);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        return pen;
    }

    // Moves a design coordinate onto the device grid so that axis-parallel edges drawn with a
    // w wide pen cover whole pixels instead of smearing over two.
    qreal snap(qreal v, qreal w = 1) const
    {
        const qreal d = v * scale;
        const bool odd = std::lround(deviceWidth(w)) % 2 == 1;
        return (odd ? std::floor(d) + 0.5 : std::round(d)) / scale;
    }
    QPointF at(qreal x, qreal y, qreal w = 1) const { return {snap(x, w), snap(y, w)}; }
    QRectF rect(qreal x1, qreal y1, qreal x2, qreal y2, qreal w = 1) const
    {
        return {at(x1, y1, w), at(x2, y2, w)};
    }

    void path(const QPainterPath& path, const QColor& fill, const QColor& line = Ink, qreal w = 1)
    {
        p.setPen(line.isValid() ? pen(line, w) : QPen(Qt::NoPen));
        p.setBrush(fill.isValid() ? QBrush(fill) : QBrush(Qt::NoBrush));
        p.drawPath(path);
    }
    void polygon(const QPolygonF& poly, const QColor& fill, const QColor& line = Ink, qreal w = 1)
    {
        QPainterPath pp;
        pp.addPolygon(poly);
        pp.closeSubpath();
        path(pp, fill, line, w);
    }
    void box(const QRectF& r, const QColor& fill, const QColor& line = Ink, qreal w = 1,
             qreal radius = 0)
    {
        QPainterPath pp;
        pp.addRoundedRect(r, radius, radius);
        path(pp, fill, line, w);
    }
    void line(QPointF a, QPointF b, const QColor& c, qreal w = 1)
    {
        p.setPen(pen(c, w));
        p.drawLine(a, b);
    }
    void polyline(const QPolygonF& poly, const QColor& c, qreal w = 1)
    {
        p.setPen(pen(c, w));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(poly);
    }
    void dot(QPointF centre, qreal r, const QColor& fill)
    {
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawEllipse(centre, r, r);
    }
    // A solid triangular head with its tip at tip, pointing along dir.
    void arrowHead(QPointF tip, QPointF dir, qreal length, qreal width, const QColor& c)
    {
        const qreal n = std::hypot(dir.x(), dir.y());
        const QPointF t = dir / n;
        const QPointF across(-t.y(), t.x());
        const QPointF base = tip - t * length;
        p.setPen(pen(c, 1));
        p.setBrush(c);
        p.drawPolygon(QPolygonF{tip, base + across * (width / 2), base - across * (width / 2)});
    }

    QPainter& p;
    const qreal scale;
};

QPolygonF star(QPointF c, qreal outer, qreal inner)
{
    QPolygonF poly;
    for (int i = 0; i < 10; ++i) {
        const qreal a = (-90 + i * 36) * Pi / 180;
        const qreal r = i % 2 == 0 ? outer : inner;
        poly << c + QPointF(std::cos(a), std::sin(a)) * r;
    }
    return poly;
}

// Ground section between x0 and x1 cut by a level line: earth in tan, the part of the ground
// above the level (cut) in red, the hollow under the level (fill) in green.
void profile(Sketch& s, qreal x0, qreal x1, qreal level, qreal bottom,
             const std::function<qreal(qreal)>& ground, qreal width)
{
    constexpr int Steps = 48;
    QPolygonF terrain;
    for (int i = 0; i <= Steps; ++i) {
        const qreal x = x0 + (x1 - x0) * i / Steps;
        terrain << QPointF(x, ground(x));
    }
    QPolygonF earth = terrain;
    earth << QPointF(x1, bottom) << QPointF(x0, bottom);
    s.polygon(earth, EarthLight, QColor());

    QPolygonF cut, fill;
    for (const QPointF& pt : terrain) {
        cut << QPointF(pt.x(), std::min(pt.y(), level));
        fill << QPointF(pt.x(), std::max(pt.y(), level));
    }
    cut << QPointF(x1, level) << QPointF(x0, level);
    fill << QPointF(x1, level) << QPointF(x0, level);
    s.polygon(cut, RedLight, QColor());
    s.polygon(fill, GreenLight, QColor());

    s.polyline(terrain, Earth, width);
    const qreal y = s.snap(level, width);
    s.line(QPointF(x0, y), QPointF(x1, y), BlueDark, width);
}

void drawNew(Sketch& s)
{
    const QPointF a = s.at(6, 2), b = s.at(19, 2), c = s.at(26, 9), d = s.at(26, 29),
                  e = s.at(6, 29);
    s.polygon({a, b, c, d, e}, Paper);
    s.polygon({b, QPointF(b.x(), c.y()), c}, PaperShade);
    for (auto [y, x1] : {std::pair{13.0, 22.0}, {17.0, 18.0}, {21.0, 15.0}})
        s.line(s.at(10, y), s.at(x1, y), Steel);
    s.polygon(star(QPointF(23, 23.5), 7.5, 3.3), Yellow, YellowDark);
}

void drawOpen(Sketch& s)
{
    s.polygon({s.at(3, 6), s.at(11, 6), s.at(13, 9), s.at(27, 9), s.at(27, 27), s.at(3, 27)},
              YellowDark);
    s.box(s.rect(6, 11, 25, 20), Paper);
    s.polygon({s.at(8, 15), s.at(30, 15), s.at(26, 27), s.at(3, 27)}, Yellow);
}

void drawSave(Sketch& s)
{
    s.polygon({s.at(4, 4), s.at(25, 4), s.at(28, 7), s.at(28, 28), s.at(4, 28)}, Blue);
    s.box(s.rect(9, 4, 23, 12), SteelLight);
    s.box(s.rect(17, 6, 20, 10), BlueDark, QColor());
    s.box(s.rect(8, 17, 24, 28), Paper);
    s.line(s.at(11, 21), s.at(21, 21), Steel);
    s.line(s.at(11, 24), s.at(21, 24), Steel);
}

void drawControl(Sketch& s)
{
    s.box(s.rect(10, 10, 28, 28), Paper);
    for (qreal v : {16.0, 22.0}) {
        s.line(s.at(v, 11), s.at(v, 27), Steel);
        s.line(s.at(11, v), s.at(27, v), Steel);
    }
    // Dimension lines along the top and the left edge.
    for (qreal v : {10.0, 28.0}) {
        s.line(s.at(v, 2), s.at(v, 7), Red);
        s.line(s.at(2, v), s.at(7, v), Red);
    }
    s.line(s.at(12, 4.5), s.at(26, 4.5), Red);
    s.line(s.at(4.5, 12), s.at(4.5, 26), Red);
    const qreal m = s.snap(4.5);
    s.arrowHead(QPointF(s.snap(10), m), QPointF(-1, 0), 4, 4.5, Red);
    s.arrowHead(QPointF(s.snap(28), m), QPointF(1, 0), 4, 4.5, Red);
    s.arrowHead(QPointF(m, s.snap(10)), QPointF(0, -1), 4, 4.5, Red);
    s.arrowHead(QPointF(m, s.snap(28)), QPointF(0, 1), 4, 4.5, Red);
}

void drawInputEle(Sketch& s)
{
    s.box(s.rect(3, 3, 21, 8), BlueLight, QColor());
    s.box(s.rect(3, 3, 21, 28), QColor());
    for (qreal y : {8.0, 13.0, 18.0, 23.0})
        s.line(s.at(4, y), s.at(20, y), Steel);
    s.line(s.at(9, 4), s.at(9, 27), Steel);

    // Pencil lying across the table, writing at its lower left.
    s.p.save();
    s.p.translate(13.5, 28);
    s.p.rotate(-45);
    s.polygon({QPointF(0, 0), QPointF(5, -2.6), QPointF(5, 2.6)}, EarthLight);
    s.polygon({QPointF(0, 0), QPointF(1.9, -1), QPointF(1.9, 1)}, Ink, QColor());
    s.box(QRectF(QPointF(5, -2.6), QPointF(16.5, 2.6)), Yellow);
    s.line(QPointF(6, 0), QPointF(15.5, 0), YellowDark);
    s.box(QRectF(QPointF(16.5, -2.6), QPointF(18.5, 2.6)), SteelLight);
    s.box(QRectF(QPointF(18.5, -2.6), QPointF(21, 2.6)), RedLight, Ink, 1, 1);
    s.p.restore();
}

void drawViewGrid(Sketch& s)
{
    constexpr std::array<qreal, 4> Lines{4, 12, 20, 28};
    for (qreal v : Lines) {
        s.line(s.at(v, 4), s.at(v, 28), Blue);
        s.line(s.at(4, v), s.at(28, v), Blue);
    }
    for (qreal x : Lines)
        for (qreal y : Lines)
            s.dot(s.at(x, y), 2.1, Red);
}

QPolygonF contour(QPointF c, qreal r, qreal wobble, qreal phase)
{
    QPolygonF poly;
    for (int i = 0; i < 72; ++i) {
        const qreal a = 2 * Pi * i / 72;
        const qreal k = 1 + wobble * std::sin(3 * a + phase) + wobble * 0.6 * std::cos(2 * a);
        poly << c + QPointF(std::cos(a) * r * k * 1.05, std::sin(a) * r * k * 0.95);
    }
    return poly;
}

void drawViewContour(Sketch& s)
{
    s.polygon(contour(QPointF(16, 16.5), 13, 0.07, 0.3), GreenLight, Green, 1.5);
    s.polygon(contour(QPointF(15.2, 15.6), 8.6, 0.1, 1.0), GreenMid, Green, 1.5);
    s.polygon(contour(QPointF(14.5, 15), 4.2, 0.12, 1.8), Green, Green, 1.5);
}

void drawView3D(Sketch& s)
{
    constexpr int N = 4;
    auto vertex = [](int i, int j) {
        const qreal u = i - N / 2.0, v = j - N / 2.0;
        const qreal h = 9 * std::exp(-((u - 0.3) * (u - 0.3) + (v + 0.2) * (v + 0.2)) / 2.2);
        return QPointF(16 + (u - v) * 3.6, 19 + (u + v) * 2.6 - h);
    };
    // Far quads first, so the nearer ones cover them.
    for (int d = 0; d <= 2 * (N - 1); ++d) {
        for (int i = 0; i < N; ++i) {
            const int j = d - i;
            if (j < 0 || j >= N)
                continue;
            const QPointF a = vertex(i, j), b = vertex(i + 1, j), c = vertex(i + 1, j + 1),
                          e = vertex(i, j + 1);
            // Faces turned towards the upper left are lit.
            const qreal tilt = (b.y() - a.y()) - (e.y() - a.y());
            const QColor face = BlueLight.lighter(100 + int(std::clamp(tilt * 4, -30.0, 25.0)));
            s.polygon({a, b, c, e}, face, Blue);
        }
    }
}

void drawNormalView(Sketch& s)
{
    s.box(s.rect(3, 5, 29, 27), Paper);
    for (qreal x : {11.0, 23.0}) {
        const qreal sx = s.snap(x, 2);
        s.line(QPointF(sx, 10), QPointF(sx, 22), BlueDark, 2);
        s.line(QPointF(sx - 3, 12.5), QPointF(sx, 10), BlueDark, 2);
    }
    s.dot(QPointF(16.5, 13), 1.5, BlueDark);
    s.dot(QPointF(16.5, 19.5), 1.5, BlueDark);
}

void drawFitScreen(Sketch& s)
{
    s.box(s.rect(3, 3, 29, 29), Paper);
    s.box(s.rect(12, 12, 20, 20), BlueLight, Blue);
    for (auto [dx, dy] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}) {
        const QPointF dir(dx, dy);
        const QPointF from = QPointF(16, 16) + dir * 5.5;
        const QPointF tip = QPointF(16, 16) + dir * 10.5;
        s.line(from, tip - dir * 2, Blue, 2);
        s.arrowHead(tip, dir, 4.5, 5.5, Blue);
    }
}

void drawMagnifier(Sketch& s, bool plus)
{
    s.line(QPointF(20, 20), QPointF(27.5, 27.5), Ink, 5);
    const QPointF c = s.at(13, 13, 3); // the sign is the straight part; keep it sharp
    s.p.setPen(s.pen(Ink, 2));
    s.p.setBrush(BlueLight);
    s.p.drawEllipse(c, 9, 9);
    s.line(QPointF(c.x() - 5, c.y()), QPointF(c.x() + 5, c.y()), BlueDark, 3);
    if (plus)
        s.line(QPointF(c.x(), c.y() - 5), QPointF(c.x(), c.y() + 5), BlueDark, 3);
}

void drawZoomIn(Sketch& s)
{
    drawMagnifier(s, true);
}

void drawZoomOut(Sketch& s)
{
    drawMagnifier(s, false);
}

void drawChangeColor(Sketch& s)
{
    QPainterPath board;
    board.addEllipse(QRectF(2, 5, 28, 23));
    QPainterPath notch;
    notch.addEllipse(QPointF(28, 24), 5.5, 5);
    QPainterPath hole;
    hole.addEllipse(QPointF(19.5, 21.5), 2.3, 2.3);
    s.path(board.subtracted(notch).subtracted(hole), EarthLight);
    s.dot(QPointF(8.5, 12.5), 2.9, Red);
    s.dot(QPointF(15.5, 10), 2.9, Yellow);
    s.dot(QPointF(22.5, 11.5), 2.9, Green);
    s.dot(QPointF(8.5, 20), 2.9, Blue);
}

// Anticlockwise arrow around a small plan of the surface; the clockwise one is its mirror.
void drawRotatPlus(Sketch& s)
{
    s.polygon({QPointF(16, 12), QPointF(21, 16), QPointF(16, 20), QPointF(11, 16)}, BlueLight,
              Blue);
    const QPointF c(16, 16);
    constexpr qreal R = 11, Start = -35, Sweep = 265;
    QPainterPath arc;
    arc.arcMoveTo(QRectF(c.x() - R, c.y() - R, 2 * R, 2 * R), Start);
    arc.arcTo(QRectF(c.x() - R, c.y() - R, 2 * R, 2 * R), Start, Sweep);
    s.path(arc, QColor(), Blue, 3);
    const qreal end = (Start + Sweep) * Pi / 180;
    const QPointF at = c + QPointF(std::cos(end), -std::sin(end)) * R;
    const QPointF along(-std::sin(end), -std::cos(end)); // anticlockwise on screen
    s.arrowHead(at + along * 4, along, 7, 9, Blue);
}

void drawRotatMinus(Sketch& s)
{
    s.p.translate(Design, 0);
    s.p.scale(-1, 1);
    drawRotatPlus(s);
}

void drawAutoGrade(Sketch& s)
{
    profile(
        s, 2, 30, 16, 29, [](qreal x) { return 16 - 7 * std::sin(2 * Pi * (x - 2) / 28); }, 2);
    s.line(s.at(20, 5, 2), s.at(28, 5, 2), Ink, 2);
    s.line(s.at(20, 10, 2), s.at(28, 10, 2), Ink, 2);
}

void drawFixGrade(Sketch& s)
{
    profile(
        s, 2, 30, 15, 29,
        [](qreal x) { return 22 - 0.5 * (x - 2) + 1.8 * std::sin((x - 2) / 3.2); }, 2);
    // Elevation mark sitting on the chosen level, with the height arrow above it.
    const qreal y = s.snap(15, 2);
    s.polygon({QPointF(8, y - 1), QPointF(4, y - 6.5), QPointF(12, y - 6.5)}, Red);
    const qreal x = s.snap(8, 2);
    s.line(QPointF(x, 2.5), QPointF(x, 6), Red, 2);
    s.arrowHead(QPointF(x, 8), QPointF(0, 1), 3, 4.5, Red);
}

// A printer with a sheet going in; content draws on the visible top part of the sheet.
void drawPrinter(Sketch& s, const std::function<void(Sketch&)>& content)
{
    s.box(s.rect(7, 2, 25, 18), Paper);
    content(s);
    s.box(s.rect(2, 14, 30, 26), SteelLight, Ink, 1, 2);
    s.box(s.rect(5, 21, 27, 23), Ink, QColor());
    s.box(s.rect(7, 22, 25, 30), Paper);
    s.line(s.at(10, 26), s.at(22, 26), SteelLight);
    s.dot(QPointF(26.5, 17.5), 1.4, Green);
}

void drawPrintData(Sketch& s)
{
    drawPrinter(s, [](Sketch& s) {
        s.box(s.rect(8, 3, 24, 6), BlueLight, QColor());
        for (qreal y : {6.0, 9.0, 12.0})
            s.line(s.at(8, y), s.at(24, y), Steel);
        s.line(s.at(13, 3), s.at(13, 14), Steel);
    });
}

void drawPrintGraphic(Sketch& s)
{
    drawPrinter(s, [](Sketch& s) {
        for (qreal x : {10.0, 14.0, 18.0, 22.0})
            s.line(s.at(x, 5), s.at(x, 14), Blue);
        for (qreal y : {5.0, 9.0, 13.0})
            s.line(s.at(10, y), s.at(22, y), Blue);
    });
}

void drawPrintGrade(Sketch& s)
{
    drawPrinter(s, [](Sketch& s) {
        profile(
            s, 8.5, 23.5, 9, 14,
            [](qreal x) { return 9 - 3.5 * std::sin(2 * Pi * (x - 8.5) / 15); }, 1.5);
    });
}

struct Entry
{
    const char* key;
    void (*draw)(Sketch&);
};

const std::array<Entry, 20> Entries{{
    {"New", drawNew},
    {"Open", drawOpen},
    {"Save", drawSave},
    {"Control", drawControl},
    {"InputEle", drawInputEle},
    {"ViewGrid", drawViewGrid},
    {"ViewContour", drawViewContour},
    {"View3D", drawView3D},
    {"NormalView", drawNormalView},
    {"FitScreen", drawFitScreen},
    {"ZoomIn", drawZoomIn},
    {"ZoomOut", drawZoomOut},
    {"ChangeColor", drawChangeColor},
    {"RotatPlus", drawRotatPlus},
    {"RotatMinus", drawRotatMinus},
    {"AutoGrade", drawAutoGrade},
    {"FixGrade", drawFixGrade},
    {"PrintData", drawPrintData},
    {"PrintGraphic", drawPrintGraphic},
    {"PrintGrade", drawPrintGrade},
}};

} // namespace

QIcon toolbarIcon(const QString& key)
{
    const auto it = std::find_if(Entries.begin(), Entries.end(),
                                 [&](const Entry& e) { return key == QLatin1String(e.key); });
    if (it == Entries.end())
        return {};
    QIcon icon;
    for (int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            Sketch sketch(painter, size);
            it->draw(sketch);
        }
        icon.addPixmap(pixmap);
    }
    return icon;
}

QStringList toolbarIconKeys()
{
    QStringList keys;
    for (const Entry& e : Entries)
        keys << QString::fromLatin1(e.key);
    return keys;
}

} // namespace tervan
