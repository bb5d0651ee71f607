#include "graphics/viewwindow.h"

#include "common/numbertext.h"
#include "project/project.h"

#include <cmath>

namespace tervan {

void fitScreen(Project& p)
{
    if (p.GridRows == 0 && p.GridSpacing == 0) {
        applyNormalView(p);
        return;
    }
    p.ViewYMin = -3.0 * p.ViewStepY;
    // Grid height in 32 bits: a tall grid must not wrap.
    const qint32 height = (qint32(p.GridRows) - 1) * qint32(p.GridSpacing);
    p.ViewYMax = 2.0 * p.ViewStepY + double(height);
    p.ViewXMin = -2.0 * p.ViewStepX;
    const auto q =
        static_cast<qint64>(std::nearbyint((std::fabs(p.ViewYMin) + double(p.ViewYMax)) * 4.0)) / 3;
    p.ViewXMax = double(q) - std::fabs(p.ViewXMin);
}

void zoomIn(Project& p)
{
    p.ViewXMin = p.ViewXMin + p.ViewStepX;
    p.ViewYMax = p.ViewYMax - p.ViewStepY;
    p.ViewXMax = p.ViewXMax - p.ViewStepX;
    p.ViewYMin = p.ViewYMin + p.ViewStepY;
    if (p.ViewXMin >= p.ViewXMax) {
        p.ViewXMin = p.ViewXMin - p.ViewStepX;
        p.ViewXMax = p.ViewXMax + p.ViewStepX;
    }
    if (p.ViewYMin >= p.ViewYMax) {
        p.ViewYMin = p.ViewYMin - p.ViewStepY;
        p.ViewYMax = p.ViewYMax + p.ViewStepY;
    }
}

void zoomOut(Project& p)
{
    p.ViewXMin = p.ViewXMin - p.ViewStepX;
    p.ViewYMax = p.ViewYMax + p.ViewStepY;
    p.ViewXMax = p.ViewXMax + p.ViewStepX;
    p.ViewYMin = p.ViewYMin - p.ViewStepY;
}

namespace {

// Moves the two edges of one axis by its step towards the bar's new value.
bool pan(float& low, float& high, float step, qint16& position, int barValue)
{
    const int old = position;
    if (old < barValue) {
        low = low + step;
        high = high + step;
    } else if (old > barValue) {
        low = low - step;
        high = high - step;
    }
    position = static_cast<qint16>(barValue);
    return old != barValue;
}

} // namespace

bool panHorizontal(Project& p, int barValue)
{
    return pan(p.ViewXMin, p.ViewXMax, p.ViewStepX, p.HScrollPos, barValue);
}

bool panVertical(Project& p, int barValue)
{
    return pan(p.ViewYMin, p.ViewYMax, p.ViewStepY, p.VScrollPos, barValue);
}

QString coordinateReadout(double x, double y)
{
    return QStringLiteral("พิกัดแกน X = ") + formatPicture(x, 0) + QStringLiteral(", พิกัดแกน Y = ") +
           formatPicture(y, 0);
}

} // namespace tervan
