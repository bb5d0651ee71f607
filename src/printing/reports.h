#pragma once

#include "graphics/gridplot.h"

#include <QString>

namespace tervan {

struct GradingResults;
struct Project;
class PageSurface;

// Text reports: each page ends a document, the unit goes back to twips at the end. Every
// report, and every graphics page, begins a report of the page surface (one print job) under
// its title.
void PrintControl(PageSurface& page, const Project& p);
void PrintNodeElev(PageSurface& page, const Project& p);
// The grading reports print the project's own results, or `graded` for the project.
void PrintAutoGrade(PageSurface& page, const Project& p);
void PrintAutoGrade(PageSurface& page, const Project& p, const GradingResults& graded);
void PrintFixGrade(PageSurface& page, const Project& p);
void PrintFixGrade(PageSurface& page, const Project& p, const GradingResults& graded);

// The grid or contour picture on an A4 page of its own, in a world window fitted to the node
// extents (or, where that window would put the picture, its labels or its title off the paper
// or over the heading, one scale fitting them below the heading), with the node labels chosen
// in the window and the title centred below the picture.
void PrintGraphicGrid(PageSurface& page, const Project& p, const NodeLabels& labels);
// The contour picture returns the notice of levels it could not draw (empty when it drew them).
QString PrintGraphicContour(PageSurface& page, const Project& p, const NodeLabels& labels);

// The Print menu items by index (1, 2 and 4 print; 4 is "all"). The callers have checked that
// the project holds what the report needs. Grading reports grade the project afresh for the
// page, leaving its own results as they are; returns false, printing no further report, when
// a grade comes out in no numbers (no cells or no area for the balanced grade, overflowing
// sums or volumes).
void DataPrint(PageSurface& page, const Project& p, int index);
// The graphics pages return the contour page's notice, printed on the page below its title.
QString GraphicPrint(PageSurface& page, const Project& p, int index, const NodeLabels& labels);
bool GradePrint(PageSurface& page, const Project& p, int index);

} // namespace tervan
