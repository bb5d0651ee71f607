#include "printing/mapfurniture.h"

#include <cmath>
#include <limits>

namespace tervan {

namespace {

// The steps of a series 1, 2, 2.5, 5 (or 1, 2, 5) times powers of ten, ascending from `first`
// times ten to `fromPower`, handed to `accept` until it takes one.
template <typename Accept>
double firstOfSeries(const std::vector<double>& mantissas, int fromPower, int toPower,
                     Accept accept)
{
    for (int power = fromPower; power <= toPower; ++power)
        for (double m : mantissas) {
            const double value = m * std::pow(10.0, power);
            if (accept(value))
                return value;
        }
    return 0;
}

} // namespace

long mapScale(double metres, double centimetres)
{
    if (!(centimetres > 0) || !std::isfinite(metres) || !std::isfinite(centimetres))
        return 0;
    // A hair of tolerance, so that a site that fits exactly keeps its scale.
    const double needed = std::max(metres, 0.0) * 100 / centimetres * (1 - 1e-12);
    return long(firstOfSeries({1, 2, 2.5, 5}, 2, 12, [&](double d) { return d >= needed; }));
}

QString scaleText(long denominator)
{
    return QStringLiteral("มาตราส่วน 1:%1").arg(denominator);
}

double tickStep(double from, double to)
{
    const double span = std::abs(to - from);
    if (!std::isfinite(span))
        return 0;
    const double lo = std::min(from, to), hi = std::max(from, to);
    return firstOfSeries({1, 2, 2.5, 5}, -2, 15, [&](double step) {
        return std::floor(hi / step) - std::ceil(lo / step) + 1 <= 8;
    });
}

std::vector<double> tickValues(double from, double to, double step)
{
    std::vector<double> out;
    if (!(step > 0) || !std::isfinite(from) || !std::isfinite(to))
        return out;
    const double lo = std::min(from, to), hi = std::max(from, to);
    // Whole multiples, so that a tick stands exactly on its round value.
    for (double k = std::ceil(lo / step); k * step <= hi && out.size() < 1000; ++k)
        out.push_back(k * step);
    return out;
}

QString coordinateText(QChar axis, double value, double step)
{
    const bool whole = std::abs(step - std::round(step)) < 1e-9;
    return QString(axis) + QLatin1Char(' ') + QString::number(value, 'f', whole ? 0 : 2);
}

QString ScaleBar::label(int k) const
{
    const double at = segmentMetres * k;
    return QString::number(at, 'f', std::abs(at - std::round(at)) < 1e-9 ? 0 : 2);
}

ScaleBar scaleBar(long denominator, double maxCentimetres, int segments)
{
    ScaleBar bar;
    if (denominator <= 0 || segments <= 0 || !(maxCentimetres > 0))
        return bar;
    const double most = maxCentimetres * denominator / 100 / segments;
    double best = 0;
    firstOfSeries({1, 2, 5}, -2, 12, [&](double length) {
        if (length > most * (1 + 1e-12))
            return true;
        best = length;
        return false;
    });
    if (best * segments * 100 / denominator < 1 - 1e-9 || best == 0)
        return bar;
    bar.segmentMetres = best;
    bar.segments = segments;
    return bar;
}

} // namespace tervan
