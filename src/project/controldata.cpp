#include "project/controldata.h"

#include "common/numbertext.h"
#include "project/project.h"

#include <cmath>
#include <limits>

namespace tervan {

namespace {

std::optional<qint16> readCount(const QString& text, const QLocale& locale, bool whole = false)
{
    const auto value = readLocaleNumber(text, locale);
    if (!value || (whole && *value != std::floor(*value)))
        return std::nullopt;
    const auto rounded = roundToInt16(*value);
    if (!rounded || *rounded < 0)
        return std::nullopt;
    return rounded;
}

} // namespace

std::variant<ControlValues, ControlField> readControlData(const ControlDataTexts& texts,
                                                          const QLocale& locale)
{
    ControlValues v;
    // The file keeps whole metres; rounding a typed 12.5 would shrink every volume unseen.
    const auto spacing = readCount(texts.spacing, locale, true);
    if (!spacing)
        return ControlField::Spacing;
    const auto rows = readCount(texts.rows, locale);
    if (!rows)
        return ControlField::Rows;
    const auto cols = readCount(texts.cols, locale);
    if (!cols)
        return ControlField::Cols;
    const auto interval = readLocaleNumber(texts.interval, locale);
    if (!interval || !(*interval >= 0) || !std::isfinite(static_cast<float>(*interval)))
        return ControlField::Interval;
    // The node count is a 16-bit value.
    if (int(*rows) * int(*cols) > std::numeric_limits<qint16>::max())
        return ControlField::Cols;
    v.spacing = *spacing;
    v.rows = *rows;
    v.cols = *cols;
    v.interval = static_cast<float>(*interval);
    return v;
}

void applyControlData(Project& p, const ControlValues& v)
{
    p.GridSpacing = v.spacing;
    p.setNormalWindow(p.GridSpacing != 0 ? p.GridSpacing : 10);
    p.GridRows = v.rows;
    p.GridCols = v.cols;
    p.ContourInterval = v.interval;
    p.NodeCount = static_cast<qint16>(p.GridCols * p.GridRows);

    // Elevations belong to node numbers, so resizing keeps them by index.
    p.Nodes.resize(std::size_t(p.NodeCount) + 1);

    // Running float sums, as the coordinates have always been laid out.
    int n = 0;
    float y = 0;
    for (int r = 1; r <= p.GridRows; ++r) {
        float x = 0;
        for (int k = 1; k <= p.GridCols; ++k) {
            ++n;
            p.Nodes[n].X = x;
            p.Nodes[n].Y = y;
            x = x + float(p.GridSpacing);
        }
        y = y + float(p.GridSpacing);
    }
}

} // namespace tervan
