#pragma once

#include <QChar>
#include <QString>
#include <vector>

namespace tervan {

// The pure parts of a printed map's furniture: its scale, the round steps of its coordinate
// ticks and the segments of its scale bar. Lengths on the ground are metres, on the paper
// centimetres; a scale is given by its denominator (500 for 1:500).

// The scales a map is printed at: 1, 2, 2.5 and 5 times a power of ten, from 1:100 up.
// The largest of them (smallest denominator) at which `metres` of ground take no more than
// `centimetres` of paper; 0 when nothing fits (no room, or no finite extent).
long mapScale(double metres, double centimetres);

// "มาตราส่วน 1:500".
QString scaleText(long denominator);

// A round step, 1, 2, 2.5 or 5 times a power of ten metres (a centimetre at the least), that
// puts about four to eight ticks between `from` and `to`: the smallest that puts no more than
// eight there.
double tickStep(double from, double to);

// The multiples of `step` from `from` to `to`, ends included, ascending.
std::vector<double> tickValues(double from, double to, double step);

// A coordinate at a tick, after its axis letter: to the metre where the step is whole metres,
// to the centimetre otherwise ("E 650120", "N 1520032.50").
QString coordinateText(QChar axis, double value, double step);

// A scale bar of alternating black and white segments, each a round length of ground (1, 2 or
// 5 times a power of ten metres), as many as `segments`, the longest whole bar no longer than
// `maxCentimetres` at the scale. Empty (no segments) when not even a centimetre of ground fits.
struct ScaleBar
{
    double segmentMetres = 0;
    int segments = 0;
    double metres() const { return segmentMetres * segments; }
    // Paper length of `metres` of ground at 1:denominator.
    static double centimetres(double metres, long denominator)
    {
        return metres * 100 / denominator;
    }
    // The label at the end of segment `k` (0 at the bar's start): whole metres where they are.
    QString label(int k) const;
};
ScaleBar scaleBar(long denominator, double maxCentimetres, int segments = 4);

} // namespace tervan
