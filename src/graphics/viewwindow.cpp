#include "graphics/viewwindow.h"

#include "common/numbertext.h"
#include "graphics/surfacemesh.h"
#include "project/project.h"

#include <algorithm>
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

namespace {

// The window of `wide` x `high` pixels at `perPixel` world units each, around the box from
// (left, bottom) of `w` x `h` world units, centred on it.
void centreWindow(Project& p, double left, double bottom, double w, double h, double wide,
                  double high, double perPixel)
{
    p.ViewXMin = float(left - (wide * perPixel - w) / 2);
    p.ViewXMax = float(p.ViewXMin + wide * perPixel);
    p.ViewYMin = float(bottom - (high * perPixel - h) / 2);
    p.ViewYMax = float(p.ViewYMin + high * perPixel);
}

} // namespace

void fitPicture(Project& p, double wide, double high, CaptionPixels captions)
{
    const double lines = 2.2 * captions.lineHeight;
    if (p.DisplayMode == PictureKind::Surface) {
        const auto box = surfaceMeshExtent(p);
        if (!box || !(wide > 0 && high > 0)) {
            fitScreen(p);
            return;
        }
        const double margin = 0.04 * std::max({box->width(), box->height(), 1.0});
        const double w = box->width() + 2 * margin, h = box->height() + 2 * margin;
        centreWindow(p, box->left() - margin, box->top() - margin, w, h, wide, high,
                     std::max(w / wide, h / high));
        return;
    }
    const double width = (qint32(p.GridCols) - 1) * double(p.GridSpacing);
    const double height = (qint32(p.GridRows) - 1) * double(p.GridSpacing);
    if (p.GridRows <= 0 || wide <= captions.width || high <= lines) {
        fitScreen(p);
        return;
    }
    const double margin =
        std::max(2.0 * std::max(p.ViewStepX, p.ViewStepY), 0.03 * std::max(width, height));
    // The captions start two steps right of the grid and hang from two steps up; their size
    // in world units grows with the window, hence the pixels they take are set aside.
    const double captionsLeft = width + 2 * p.ViewStepX;
    const double acrossOnly = captionsLeft + margin / 2 + margin;
    const double perPixel =
        std::max({acrossOnly / (wide - captions.width), (height + 2 * margin) / high,
                  (height + 1.5 * margin - 2 * p.ViewStepY) / (high - lines)});
    const double bottom = std::min(-margin, 2 * p.ViewStepY - lines * perPixel - margin / 2);
    const double w = acrossOnly + captions.width * perPixel, h = height + margin - bottom;
    centreWindow(p, -margin, bottom, w, h, wide, high, perPixel);
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

QString worldReadout(double e, double n)
{
    return QStringLiteral("E = ") + formatPicture(e, 2) + QStringLiteral(", N = ") +
           formatPicture(n, 2);
}

QString withHeight(const QString& readout, std::optional<double> height)
{
    return height ? readout + QStringLiteral(", ระดับ = %1 ม.").arg(formatPicture(*height, 2))
                  : readout;
}

std::optional<double> heightUnder(const Project& p, double x, double y)
{
    const int rows = p.GridRows, cols = p.GridCols;
    const double s = p.GridSpacing;
    if (rows < 2 || cols < 2 || !(s > 0) || !p.HasNodes() ||
        std::size_t(rows) * cols >= p.Nodes.size())
        return std::nullopt;
    const double u = x / s, v = y / s;
    if (!(u >= 0 && v >= 0 && u <= cols - 1 && v <= rows - 1))
        return std::nullopt;
    const int c = std::min(int(u), cols - 2), r = std::min(int(v), rows - 2);
    const double fu = u - c, fv = v - r;
    const auto at = [&](int rr, int cc) {
        return double(p.Nodes[std::size_t(rr) * cols + cc + 1].Z);
    };
    const double ll = at(r, c), lr = at(r, c + 1), ur = at(r + 1, c + 1), ul = at(r + 1, c);
    return fu >= fv ? ll + fu * (lr - ll) + fv * (ur - lr) : ll + fv * (ul - ll) + fu * (ur - ul);
}

} // namespace tervan
