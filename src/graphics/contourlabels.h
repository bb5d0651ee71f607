#pragma once

#include "graphics/contourlines.h"

#include <QPointF>
#include <QRectF>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace tervan {

// How labels along the lines look where they are shown. Lengths are in the shown unit
// (pixels, centimetres of paper, drawing units), with Y up; a world point (x, y) shows at
// (x * scaleX, y * scaleY), so a picture whose axes scale differently still gets its labels
// along the lines it shows.
struct AlongLabelStyle
{
    double scaleX = 1, scaleY = 1;
    double spacing = 15; // between labels along one line
    double textHeight = 0.3;
    std::function<double(const QString&)> textWidth;
    std::function<QString(float)> text; // a level's label
    QRectF inside;                      // world: every label box stays within it
    std::vector<QRectF> keepOut;        // world: boxes already taken (heading, other texts)
};

// A label laid along its line: centred at `at` (world), turned `angle` degrees counter-clockwise
// as shown, always in (-90, 90] so it never reads upside down. The line is left out between
// arc lengths `from` and `to` (world units along line `line`).
struct AlongLabel
{
    std::size_t line = 0;
    float level = 0;
    QString text;
    QPointF at;
    double angle = 0;
    double from = 0, to = 0;
    double width = 0, height = 0; // shown units
};

// Labels for the whole levels among `lines`: about one per `spacing` of each line, at least one
// on every piece long enough to hold it, each on the straightest stretch near where it is due,
// and none where its box would meet another label's box, leave `inside` or touch `keepOut`.
std::vector<AlongLabel> placeAlongLabels(const std::vector<ContourLine>& lines,
                                         const AlongLabelStyle& style);

// The same placing for lines handed over a level at a time, by a writer that does not keep
// them: the boxes of earlier levels stay taken, so no label meets another.
class AlongLabelPlacer final
{
public:
    explicit AlongLabelPlacer(AlongLabelStyle style);
    ~AlongLabelPlacer();
    AlongLabelPlacer(const AlongLabelPlacer&) = delete;
    AlongLabelPlacer& operator=(const AlongLabelPlacer&) = delete;
    // The labels of `lines`; each label's `line` indexes `lines`.
    std::vector<AlongLabel> place(const std::vector<ContourLine>& lines);

private:
    struct Taken;
    AlongLabelStyle m_style;
    std::unique_ptr<Taken> m_taken;
};

// The parts of `line` left to draw once the labels on it have their gaps.
std::vector<std::vector<QPointF>> linePieces(const ContourLine& line, std::size_t index,
                                             const std::vector<AlongLabel>& labels);

// The four corners of a label's box in world units.
std::vector<QPointF> labelBox(const AlongLabel& label, const AlongLabelStyle& style);

} // namespace tervan
