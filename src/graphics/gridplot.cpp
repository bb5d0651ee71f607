#include "graphics/gridplot.h"

#include "graphics/sitehatch.h"

#include "common/numbertext.h"
#include "graphics/palette.h"
#include "graphics/surface.h"
#include "project/project.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <vector>

namespace tervan {

namespace {

// Positions by repeated float addition of the step, as the lattice has always been laid.
std::vector<float> steps(float start, float step, qint64 count)
{
    std::vector<float> out;
    out.reserve(std::size_t(std::max<qint64>(count, 0)));
    float v = start;
    for (qint64 i = 0; i < count; ++i) {
        out.push_back(v);
        v = v + step;
    }
    return out;
}

qint64 nearestCount(float v)
{
    if (!std::isfinite(v))
        return 0;
    // Far past any screen: the lattice then only fills pixels that exist anyway.
    return qint64(std::nearbyint(std::clamp(double(v), -1e7, 1e7)));
}

void plotDots(Surface& s, const Project& p, const GridDots& dots)
{
    s.setLattice(steps(p.ViewXMin, p.ViewStepX, nearestCount(dots.GridDotCols)),
                 steps(p.ViewYMin, p.ViewStepY, nearestCount(dots.GridDotRows)), colour::Magenta);
}

} // namespace

GridDots gridDots(const Project& p)
{
    return {float(std::fabs(double(p.ViewXMax) - p.ViewXMin) / p.ViewStepX + 1),
            float(std::fabs(double(p.ViewYMax) - p.ViewYMin) / p.ViewStepY + 1)};
}

// At most one case applies: coordinates exclude numbers and elevations.
QString nodeLabelText(const Project& p, const NodeLabels& labels, int j)
{
    const NodePoint& n = p.Nodes[j];
    const bool P = labels.coordinates, N = labels.numbers, E = labels.elevations;
    if (P && !N && !E)
        return generalForm(n.X) + QLatin1Char(',') + generalForm(n.Y);
    if (N && !E)
        return QLatin1Char(' ') + QString::number(j);
    if (E && !N)
        return formatPicture(n.Z, 2);
    if (N && E)
        return QString::number(j) + QLatin1Char(',') + formatPicture(n.Z, 2);
    return {};
}

QString longestNodeLabel(const Project& p, const NodeLabels& labels)
{
    QString longest;
    const int count = std::min<int>(p.NodeCount, int(p.Nodes.size()) - 1);
    for (int j = 1; j <= count; ++j) {
        QString text = nodeLabelText(p, labels, j);
        if (text.isNull())
            break;
        if (longest.isNull() || text.size() > longest.size())
            longest = std::move(text);
    }
    return longest;
}

bool nodeLabelsFit(double labelWidth, double cellWidth)
{
    return labelWidth <= std::fabs(cellWidth);
}

void PlotGrid(Surface& s, const Project& p, const NodeLabels& labels, const GridDots& dots)
{
    plotDots(s, p, dots);

    s.line(0, 0, p.ViewStepX, 0, colour::Red);
    s.line(0, 0, 0, p.ViewStepY, colour::Red);

    const qint32 width = (qint32(p.GridCols) - 1) * p.GridSpacing;
    const qint32 height = (qint32(p.GridRows) - 1) * p.GridSpacing;
    for (qint32 i = 0; i < p.GridRows; ++i) {
        const auto y = float(i * qint32(p.GridSpacing));
        s.line(0, y, float(width), y);
    }
    for (qint32 k = 0; k < p.GridCols; ++k) {
        const auto x = float(k * qint32(p.GridSpacing));
        s.line(x, 0, x, float(height));
    }

    // Ground outside the surveyed site: hatched, under everything drawn after it.
    const SiteHatch site = siteHatch(p, p.GridSpacing / 2.0);
    for (const QLineF& l : site.hatch)
        s.line(float(l.x1()), float(l.y1()), float(l.x2()), float(l.y2()), colour::LightGrey);
    for (const QLineF& l : site.outline)
        s.line(float(l.x1()), float(l.y1()), float(l.x2()), float(l.y2()), colour::BrightBlue);

    const QString longest = longestNodeLabel(p, labels);
    if (!longest.isNull() && nodeLabelsFit(s.textWidth(longest), p.GridSpacing)) {
        const int count = std::min<int>(p.NodeCount, int(p.Nodes.size()) - 1);
        for (int j = 1; j <= count; ++j) {
            s.moveTo(p.Nodes[j].X, p.Nodes[j].Y);
            s.text(nodeLabelText(p, labels, j));
        }
    }

    const QStringList captions = gridCaptions(p);
    if (captions.isEmpty()) {
        s.moveTo(0, 0);
        return;
    }
    const float x0 = float(width) + 2 * p.ViewStepX;
    s.moveTo(x0, 2 * p.ViewStepY);
    s.text(captions[0]);
    // A view step apart, unless a whole grid on screen makes the step shorter than a line.
    s.moveTo(x0, std::min(p.ViewStepY, 2 * p.ViewStepY - 1.1f * s.textHeight(captions[0])));
    s.text(captions[1]);
}

QStringList gridCaptions(const Project& p)
{
    if (p.GridSpacing == 0 && p.GridCols == 0)
        return {};
    const QString size = QString::number(p.GridSpacing);
    return {QStringLiteral("ตารางกริดขนาด ") + size + QStringLiteral(" x ") + size +
                QStringLiteral(" เมตร"),
            QStringLiteral("ค่าความต่างเส้นชั้นความสูง = ") + formatPicture(p.ContourInterval, 2) +
                QStringLiteral(" เมตร")};
}

} // namespace tervan
