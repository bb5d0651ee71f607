#include "grading/sectionchart.h"

#include "common/numbertext.h"
#include "grading/balancechart.h"
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

std::pair<double, double> levelRange(const std::vector<Section>& sections)
{
    double lo = INFINITY, hi = -INFINITY;
    for (const Section& s : sections)
        for (const SectionPoint& p : s.profile)
            lo = std::min({lo, p.ground, p.design}), hi = std::max({hi, p.ground, p.design});
    if (!(hi >= lo))
        return {0, 1};
    const double room = std::max(0.5, 0.1 * (hi - lo));
    return {lo - room, hi + room};
}

void DrawProfileChart(Surface& s, const std::vector<SectionPoint>& profile, double lowest,
                      double highest, const QString& title, const QString& distanceTitle,
                      double points)
{
    double xLo = 0, xHi = 1;
    if (!profile.empty())
        xLo = profile.front().offset, xHi = std::max(profile.back().offset, xLo + 1e-6);
    const double width = (xHi - xLo) / 0.84, height = (highest - lowest) / 0.70;
    s.setWorld(float(xLo - 0.12 * width), float(highest + 0.18 * height), float(xHi + 0.04 * width),
               float(lowest - 0.12 * height));
    s.setFont(QStringLiteral("AngsanaUPC"), points, false);
    s.setLineWidth(1);
    const auto textAt = [&](double x, double y, const QString& text) {
        s.moveTo(float(x), float(y));
        s.text(text, Surface::ForeColour);
    };
    const double xStep = tickStep(xHi - xLo, 8), zStep = tickStep(highest - lowest, 6);
    for (double x = std::ceil(xLo / xStep) * xStep; x <= xHi + xStep * 1e-9; x += xStep) {
        s.line(float(x), float(lowest), float(x), float(highest), Grey);
        const QString label = formatPicture(x, decimalsFor(xStep));
        textAt(x - s.textWidth(label) / 2, lowest - 0.01 * height, label);
    }
    for (double z = std::ceil(lowest / zStep) * zStep; z <= highest + zStep * 1e-9; z += zStep) {
        s.line(float(xLo), float(z), float(xHi), float(z), Grey);
        const QString label = formatPicture(z, std::max(1, decimalsFor(zStep)));
        textAt(xLo - 0.01 * width - s.textWidth(label), z + s.textHeight(label) / 2, label);
    }
    for (const auto& [x1, y1, x2, y2] :
         {std::array{xLo, lowest, xHi, lowest}, std::array{xHi, lowest, xHi, highest},
          std::array{xHi, highest, xLo, highest}, std::array{xLo, highest, xLo, lowest}})
        s.line(float(x1), float(y1), float(x2), float(y2));
    s.setLineWidth(2);
    for (std::size_t i = 1; i < profile.size(); ++i) {
        const SectionPoint &a = profile[i - 1], &b = profile[i];
        s.line(float(a.offset), float(a.ground), float(b.offset), float(b.ground), Brown);
        s.line(float(a.offset), float(a.design), float(b.offset), float(b.design), colour::Red);
    }
    s.setLineWidth(1);
    textAt(xLo, highest + 0.15 * height, title);
    textAt((xLo + xHi) / 2 - s.textWidth(distanceTitle) / 2, lowest - 0.07 * height, distanceTitle);
    // Legend at the top right.
    double x = xHi - 0.3 * width;
    const double y = highest + 0.06 * height;
    for (const auto& [name, colour] : {std::pair{QStringLiteral("ดินเดิม"), Brown},
                                       std::pair{QStringLiteral("ออกแบบ"), int(colour::Red)}}) {
        s.setLineWidth(2);
        s.line(float(x), float(y), float(x + 0.04 * width), float(y), colour);
        s.setLineWidth(1);
        textAt(x + 0.05 * width, y + s.textHeight(name) / 2, name);
        x += 0.08 * width + s.textWidth(name);
    }
}

} // namespace tervan
