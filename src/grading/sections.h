#pragma once

#include "grading/earthwork.h"

#include <QPointF>
#include <QString>
#include <vector>

namespace tervan {

// Cross-sections along a line over the ground and a design on the same grid, as quantities are
// paid: each station's cut and fill areas across the line, and between stations the volumes by
// the average end areas and by the prismoidal formula (with the section halfway between).
// Coordinates are grid metres; the surfaces are the two triangles of each cell, split from
// south-west to north-east, as the contours draw them.

struct SectionPoint
{
    double offset = 0; // metres across the line, right of it positive
    double ground = 0, design = 0;
};

struct Section
{
    double chainage = 0;
    QPointF at;                        // on the line
    std::vector<SectionPoint> profile; // at every grid line and diagonal crossed, in the grid
    double cutArea = 0, fillArea = 0;  // m2, fill positive
};

struct SectionVolume
{
    double from = 0, to = 0; // chainages
    double cutEndAreas = 0, fillEndAreas = 0;
    double cutPrismoidal = 0, fillPrismoidal = 0;
};

struct SectionsResult
{
    std::vector<Section> stations;
    std::vector<SectionVolume> volumes; // between each station and the next
    SectionVolume total;
    std::vector<Section> longProfile; // ground and design along the line: one point a crossing
    // The strip the sections sweep (the line widened by half the width each side, flat ends),
    // as a closed outline in grid metres.
    std::vector<std::pair<double, double>> strip;
};

// Why a line cannot be used (fewer than two points, a point off the grid, a zero-length
// piece, a spacing or width not above 0), in Thai; empty when it can.
QString sectionLineProblem(const std::vector<QPointF>& line, double every, double width,
                           const EarthworkGrid& ground);

// Stations every `every` metres from the start, at every break of the line and at its end.
SectionsResult crossSections(const EarthworkGrid& ground, const EarthworkGrid& design,
                             const std::vector<QPointF>& line, double every, double width);

// The grid's own gross cut and fill (fill negative) of ground against design inside the strip,
// each cell clipped to it exactly: what the sections' totals estimate.
CutFill stripGross(const EarthworkGrid& ground, const EarthworkGrid& design,
                   const std::vector<std::pair<double, double>>& strip);

} // namespace tervan
