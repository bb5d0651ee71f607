#include "grading/balancechart.h"

#include "common/numbertext.h"
#include "grading/earthwork.h"
#include "graphics/palette.h"
#include "graphics/surface.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tervan {

namespace {

constexpr int Grey = 7;
constexpr int Brown = 6;

} // namespace

double tickStep(double span, int count)
{
    const double raw = span / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (raw <= m * power)
            return m * power;
    return 10 * power;
}

int decimalsFor(double step)
{
    return step >= 1 ? 0 : std::min(6, int(std::ceil(-std::log10(step) - 1e-9)));
}

void DrawBalanceChart(Surface& s, const Balance& b, std::optional<double> fixedPlatform,
                      double points)
{
    double zLo = b.zMin, zHi = b.zMax, vLo = 0, vHi = 0;
    for (const BalancePoint& p : b.curve) {
        vLo = std::min({vLo, p.fill, p.net});
        vHi = std::max({vHi, p.cut, p.net});
    }
    if (zHi - zLo <= 0)
        zLo -= 0.5, zHi += 0.5;
    if (vHi - vLo <= 0)
        vLo -= 1, vHi += 1;

    // Room around the plot for the value labels, the title and the legend.
    const double width = (zHi - zLo) / 0.78, height = (vHi - vLo) / 0.70;
    s.setWorld(float(zLo - 0.17 * width), float(vHi + 0.18 * height), float(zHi + 0.05 * width),
               float(vLo - 0.12 * height));
    s.setFont(QStringLiteral("AngsanaUPC"), points, false);
    s.setLineWidth(1);
    const auto textAt = [&](double x, double y, const QString& text, int colour) {
        s.moveTo(float(x), float(y));
        s.text(text, colour);
    };

    // Value grid and labels.
    const double zStep = tickStep(zHi - zLo, 6), vStep = tickStep(vHi - vLo, 8);
    const int zDecimals = decimalsFor(zStep), vDecimals = decimalsFor(vStep);
    for (double z = std::ceil(zLo / zStep) * zStep; z <= zHi + zStep * 1e-9; z += zStep) {
        s.line(float(z), float(vLo), float(z), float(vHi), Grey);
        const QString label = formatPicture(z, zDecimals);
        textAt(z - s.textWidth(label) / 2, vLo - 0.01 * height, label, Surface::ForeColour);
    }
    for (double v = std::ceil(vLo / vStep) * vStep; v <= vHi + vStep * 1e-9; v += vStep) {
        s.line(float(zLo), float(v), float(zHi), float(v), Grey);
        const QString label = formatPicture(v, vDecimals);
        textAt(zLo - 0.01 * width - s.textWidth(label), v + s.textHeight(label) / 2, label,
               Surface::ForeColour);
    }
    s.line(float(zLo), 0, float(zHi), 0);
    for (auto [x1, y1, x2, y2] : {std::array{zLo, vLo, zHi, vLo}, std::array{zHi, vLo, zHi, vHi},
                                  std::array{zHi, vHi, zLo, vHi}, std::array{zLo, vHi, zLo, vLo}})
        s.line(float(x1), float(y1), float(x2), float(y2));
    const QString zTitle = QStringLiteral("ค่าระดับพื้นที่ (ม.)");
    textAt((zLo + zHi) / 2 - s.textWidth(zTitle) / 2, vLo - 0.06 * height, zTitle,
           Surface::ForeColour);
    textAt(zLo - 0.16 * width, vHi + 0.05 * height, QStringLiteral("ปริมาตร (ลบ.ม.)"),
           Surface::ForeColour);

    // The three curves.
    s.setLineWidth(2);
    const struct
    {
        double BalancePoint::*value;
        int colour;
        QString name;
    } curves[] = {
        {&BalancePoint::cut, colour::Red, QStringLiteral("ดินตัด")},
        {&BalancePoint::fill, colour::Blue, QStringLiteral("ดินถม")},
        {&BalancePoint::net, colour::Green,
         b.k == 1 ? QStringLiteral("สุทธิ") : QStringLiteral("สุทธิ (K × ดินตัด + ดินถม)")},
    };
    for (const auto& c : curves)
        for (std::size_t i = 1; i < b.curve.size(); ++i)
            s.line(float(b.curve[i - 1].z), float(b.curve[i - 1].*c.value), float(b.curve[i].z),
                   float(b.curve[i].*c.value), c.colour);

    // The balance and the fixed platform as vertical lines with their elevations.
    const auto mark = [&](double z, int colour, const QString& text, double row) {
        s.line(float(z), float(vLo), float(z), float(vHi), colour);
        const double x = std::min(z + 0.01 * width, zHi - s.textWidth(text) - 0.01 * width);
        textAt(x, vHi - row * height, text, colour);
    };
    if (!b.curve.empty())
        mark(b.balanced, colour::Magenta,
             QStringLiteral("สมดุล %1").arg(formatPicture(b.balanced, 3)), 0.02);
    if (fixedPlatform && *fixedPlatform >= zLo && *fixedPlatform <= zHi)
        mark(*fixedPlatform, Brown,
             QStringLiteral("ระดับที่กำหนด %1").arg(formatPicture(*fixedPlatform, 3)), 0.08);

    // Title and legend above the plot.
    s.setLineWidth(1);
    const QString title = QStringLiteral("กราฟสมดุลดินตัด-ดินถม  K = %1").arg(formatPicture(b.k, 2));
    textAt((zLo + zHi) / 2 - s.textWidth(title) / 2, vHi + 0.17 * height, title,
           Surface::ForeColour);
    double x = zLo + 0.15 * width;
    const double y = vHi + 0.08 * height;
    for (const auto& c : curves) {
        s.setLineWidth(2);
        s.line(float(x), float(y), float(x + 0.05 * width), float(y), c.colour);
        s.setLineWidth(1);
        textAt(x + 0.06 * width, y + s.textHeight(c.name) / 2, c.name, Surface::ForeColour);
        x += 0.1 * width + s.textWidth(c.name);
    }
}

} // namespace tervan
