#include "graphics/contourplot.h"

#include "common/numbertext.h"
#include "common/progress.h"
#include "graphics/contourlabels.h"
#include "graphics/contourtracer.h"
#include "graphics/denselevels.h"
#include "graphics/gridplot.h"
#include "graphics/palette.h"
#include "graphics/redraw.h"
#include "graphics/surface.h"
#include "project/project.h"

#include <algorithm>
#include <cmath>

namespace tervan {

namespace {

class ScreenContours final : public ContourSink
{
public:
    ScreenContours(Surface& s, int colour, const Project& p, Progress* progress)
        : m_s(s), m_colour(colour), m_progress(progress), m_low(p.ElevMin), m_high(p.ElevMax),
          m_project(p)
    {
    }

    void level(float level, int lineWidth) override
    {
        m_s.setLineWidth(lineWidth);
        m_whole = isIndexLevel(m_project, m_project.ContourInterval, level);
        if (m_progress && m_high > m_low)
            m_progress->report((level - m_low) / (m_high - m_low));
    }
    bool cancelled() const override { return tervan::cancelled(m_progress); }
    // The levels are on the surface already, drawn pixel by pixel: only the labels are left.
    void leaveOutLines() { m_lines = false; }
    bool bordersOnly() const override { return !m_lines; }
    void point(float x, float y) override
    {
        if (m_lines && !(m_skipWhole && m_whole))
            m_s.line(x, y, x, y, m_colour);
    }
    void segment(float x1, float y1, float x2, float y2) override
    {
        if (m_lines && !(m_skipWhole && m_whole))
            m_s.line(x1, y1, x2, y2, m_colour);
    }
    // The label's box is placed by its top-left corner with Y up, just outside the border.
    void label(Border border, float x, float y, float level) override
    {
        const QString number = generalForm(level);
        const float w = m_s.textWidth(number);
        const float h = m_s.textHeight(number);
        switch (border) {
        case Border::Bottom:
            m_s.moveTo(x - w / 2, y);
            break;
        case Border::Right:
            m_s.moveTo(x, y + h / 2);
            break;
        case Border::Top:
            m_s.moveTo(x - w / 2, y + 1.5f * h);
            break;
        case Border::Left:
            m_s.moveTo(x - 1.5f * w, y + h / 2);
            break;
        }
        m_s.text(level < 0 ? number : QLatin1Char(' ') + number, colour::Red);
    }

    // Whole levels are left to the labelled lines.
    bool m_skipWhole = false;
    bool m_whole = false;

private:
    Surface& m_s;
    int m_colour;
    Progress* m_progress;
    double m_low, m_high;
    const Project& m_project;
    bool m_lines = true;
};

} // namespace

AlongLabelStyle alongLabelStyle(Surface& s, const Project& p, const NodeLabels* nodes)
{
    const QPointF scale = s.shownScale();
    AlongLabelStyle style;
    style.scaleX = scale.x();
    style.scaleY = scale.y();
    style.textHeight = double(s.textHeight(QStringLiteral("0"))) * scale.y();
    style.textWidth = [&s, scale](const QString& t) { return double(s.textWidth(t)) * scale.x(); };
    style.text = [](float level) { return generalForm(level); };
    // About 15 cm of a screen's line.
    style.spacing = 36 * style.textHeight;
    style.inside = QRectF(QPointF(p.NodeXMin, p.NodeYMin), QPointF(p.NodeXMax, p.NodeYMax));
    // Node labels hang below and right of their node, as the grid picture writes them.
    const QString longest = nodes ? longestNodeLabel(p, *nodes) : QString();
    if (!longest.isNull() && nodeLabelsFit(s.textWidth(longest), p.GridSpacing)) {
        const double height = s.textHeight(QStringLiteral("0"));
        const int count = std::min<int>(p.NodeCount, int(p.Nodes.size()) - 1);
        for (int j = 1; j <= count; ++j)
            style.keepOut.emplace_back(QPointF(p.Nodes[j].X, p.Nodes[j].Y - height),
                                       QSizeF(s.textWidth(nodeLabelText(p, *nodes, j)), height));
    }
    return style;
}

float PlotContour(Surface& s, const Project& p, Progress* progress, const NodeLabels* nodes)
{
    const int colour = lineColourIndex(p);
    ScreenContours sink(s, colour, p, progress);
    sink.m_skipWhole = p.ContourLabelsAlong;
    if (const auto raster = s.pixelRaster()) {
        const ContourLevels levels = contourLevels(p, p.ContourInterval);
        if (levelsDenserThanLines(p, levels, *raster)) {
            DrawLevelPixels(p, levels, p.BoldWholeContours == ContourEmphasis::WholeLevels,
                            paletteRgb(colour), *raster);
            sink.leaveOutLines();
        }
    }
    const float end = TraceContours(p, p.ContourInterval, p.BoldWholeContours, sink);
    if (p.ContourLabelsAlong && !sink.cancelled()) {
        const ContourSet set = traceContourLines(p, p.ContourInterval);
        const AlongLabelStyle style = alongLabelStyle(s, p, nodes);
        const std::vector<AlongLabel> labels = placeAlongLabels(set.lines, style);
        s.setLineWidth(p.BoldWholeContours == ContourEmphasis::WholeLevels ? 2 : 1);
        for (std::size_t i = 0; i < set.lines.size(); ++i) {
            if (!set.lines[i].whole)
                continue;
            for (const auto& piece : linePieces(set.lines[i], i, labels)) {
                for (std::size_t k = 1; k < piece.size(); ++k)
                    s.line(float(piece[k - 1].x()), float(piece[k - 1].y()), float(piece[k].x()),
                           float(piece[k].y()), colour);
            }
        }
        for (const AlongLabel& label : labels)
            s.rotatedText(float(label.at.x()), float(label.at.y()), float(label.angle), label.text,
                          colour::Red);
    }
    s.setLineWidth(1);
    return end;
}

} // namespace tervan
