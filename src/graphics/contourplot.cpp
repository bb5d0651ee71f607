#include "graphics/contourplot.h"

#include "common/numbertext.h"
#include "graphics/contourtracer.h"
#include "graphics/denselevels.h"
#include "graphics/palette.h"
#include "graphics/redraw.h"
#include "graphics/surface.h"
#include "project/project.h"

#include <algorithm>

namespace tervan {

namespace {

class ScreenContours final : public ContourSink
{
public:
    ScreenContours(Surface& s, int colour, const Project& p, RedrawProgress* progress)
        : m_s(s), m_colour(colour), m_progress(progress), m_low(p.ElevMin), m_high(p.ElevMax)
    {
    }

    void level(float level, int lineWidth) override
    {
        m_s.setLineWidth(lineWidth);
        if (m_progress && m_high > m_low)
            m_progress->permille =
                int(std::clamp(1000 * (level - m_low) / (m_high - m_low), 0.0, 1000.0));
    }
    bool cancelled() const override { return m_progress && m_progress->cancelled; }
    // The levels are on the surface already, drawn pixel by pixel: only the labels are left.
    void leaveOutLines() { m_lines = false; }
    bool bordersOnly() const override { return !m_lines; }
    void point(float x, float y) override
    {
        if (m_lines)
            m_s.line(x, y, x, y, m_colour);
    }
    void segment(float x1, float y1, float x2, float y2) override
    {
        if (m_lines)
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

private:
    Surface& m_s;
    int m_colour;
    RedrawProgress* m_progress;
    double m_low, m_high;
    bool m_lines = true;
};

} // namespace

void PlotContour(Surface& s, Project& p, RedrawProgress* progress)
{
    const int colour = lineColourIndex(p);
    ScreenContours sink(s, colour, p, progress);
    if (const auto raster = s.pixelRaster()) {
        const ContourLevels levels = contourLevels(p, p.ContourInterval);
        if (levelsDenserThanLines(p, levels, *raster)) {
            DrawLevelPixels(p, levels, p.BoldWholeContours == -1, paletteRgb(colour), *raster);
            sink.leaveOutLines();
        }
    }
    p.ContourLevel = TraceContours(p, p.ContourInterval, p.BoldWholeContours, sink);
    s.setLineWidth(1);
}

} // namespace tervan
