#pragma once

#include "common/progress.h"
#include "grading/earthwork.h"
#include "grading/pad.h"

#include <QPointF>
#include <QString>
#include <optional>
#include <vector>

namespace tervan {

// Platforms of any outline, several at once. Coordinates are grid metres (x east, y north from
// node 1), as everything in grading; the files and the front ends convert.
struct PadShape
{
    QString name;
    std::vector<QPointF> corners; // the outline, not closed
    std::optional<double> level;  // at the outline's centroid; none: to be balanced
    double cutSlope = 1.5;        // run per rise
    double fillSlope = 2.0;
    double fall = 0;        // cross-fall, percent; 0 for level
    double fallBearing = 0; // the downhill direction, degrees clockwise from north
};

// Why a pad cannot be used (fewer than three corners, crossing itself, not inside the grid,
// slopes not above 0, a fall that is no number), in Thai, naming the pad; empty when it can.
QString padShapeProblem(const PadShape& pad, const EarthworkGrid& ground);

// The design of several pads: each pad's surface inside it; outside, the ground held between
// the highest of the pads' fill slopes (a floor) and the lowest of their cut slopes (a ceiling),
// so platforms step down to each other on their slopes. Where a floor rises above a ceiling
// the floor holds and the node is listed in `conflicts`.
struct PadFigures
{
    QString name;
    double level = 0; // at the centroid
    CutFill cutFill;  // over the nodes whose design this pad sets
    double area = 0;  // of the outline, m2
};

struct PadsResult
{
    EarthworkGrid design;
    std::vector<int> conflicts; // node indexes from 0
    std::vector<int> openEdge;  // border nodes where a slope has not reached the ground
    Earthwork earthwork;        // ground against the design
    std::vector<PadFigures> pads;
    double k = 1;
    double net = 0;           // k x cut + fill
    double perCentimetre = 0; // what raising every pad 1 cm changes the net by
    bool balanced = false;    // asked for, and the net within half a cubic metre
};

enum class PadBalance { None, Together, Each };

// The pads at their levels, or balanced: `Together` moves every pad's level by one amount
// (a pad without a level starts at the mean of the others', or 0) until k x cut + fill is 0;
// `Each` balances every pad without a level on its own and keeps the others' levels. The
// pads must have passed padShapeProblem(); with PadBalance::None every pad needs a level.
// `progress` hears the share of the balancing done; once cancelled the result is empty.
PadsResult designPads(const EarthworkGrid& ground, const std::vector<PadShape>& pads,
                      PadBalance balance, double k, Progress* progress = nullptr);

} // namespace tervan
