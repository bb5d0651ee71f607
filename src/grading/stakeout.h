#pragma once

#include "grading/earthworktexts.h"
#include "grading/pad.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace tervan {

struct Georeference;
struct Project;

// A point for the crew to set out: where it is, the ground and the design there, and the
// depth to take off (cut positive) or bring up (fill negative).
struct StakePoint
{
    QString name;
    double e = 0, n = 0; // world metres, or grid metres without a georeference
    double ground = 0, design = 0;
    double cutFill() const { return ground - design; }
};

// The nodes inside the works: where the design differs from the ground by half a millimetre
// or more, and every node of `pad` when there is one; every `every`-th node of the grid in each
// direction (1 for all), named "N" and the node's number.
std::vector<StakePoint> nodeStakes(const Project& p, const EarthworkGrid& ground,
                                   const EarthworkGrid& design,
                                   const std::optional<PadRect>& pad = std::nullopt, int every = 1);

// A pad's four corners ("C1".. anticlockwise from the south-west) and the daylight points where
// its batters meet the ground along the grid lines ("D1".., row by row then column by column).
std::vector<StakePoint> padOutlineStakes(const Project& p, const EarthworkGrid& ground,
                                         const PadResult& pad);

// name,e,n,ground,design,cutfill to the millimetre.
QByteArray stakeCsv(const std::vector<StakePoint>& stakes);
// P,N,E,Z,D for total stations: Z the design level, D the ground level and the cut or fill.
QByteArray stakeTotalStationText(const std::vector<StakePoint>& stakes);

// The printed cut sheet: its title, the count and the deepest cut and fill, and one row a stake.
inline const QString StakeSheetTitle = QStringLiteral("ตารางหมุดวางผัง ดินตัด (+) ดินถม (−)");
std::vector<SummaryLine> stakeSummary(const std::vector<StakePoint>& stakes);
TableTexts stakeTable(const std::vector<StakePoint>& stakes);

} // namespace tervan
