#pragma once

#include "graphics/gridplot.h"

#include <QSizeF>
#include <QString>
#include <functional>

namespace tervan {

struct Project;
class PageSurface;

// Extent of a text as the main window measures it, in its world units and font (both
// positive); the printed pictures place their titles and labels by it.
using WindowTextSize = std::function<QSizeF(const QString&)>;

// Text reports: each page a document of its own, the unit back to twips at the end.
void PrintControl(PageSurface& page, const Project& p);
void PrintNodeElev(PageSurface& page, const Project& p);
void PrintAutoGrade(PageSurface& page, const Project& p);
void PrintFixGrade(PageSurface& page, const Project& p);

// The grid or contour picture on an A4 page of its own, in a world window fitted to the node
// extents, with the node labels chosen in the window and the title below the picture. The
// contour picture returns the notice of levels it could not draw (empty when it drew them).
void PrintGraphicGrid(PageSurface& page, const Project& p, const NodeLabels& labels);
QString PrintGraphicContour(PageSurface& page, Project& p, const NodeLabels& labels,
                            const WindowTextSize& measure);

// The Print menu items by index (1, 2 and 4 print; 4 is "all"). The callers have checked that
// the project holds what the report needs. Grading reports recompute their grades first;
// returns false, printing nothing, when the balanced grade is undefined (no cells). The
// graphics pages return the contour page's notice, printed on the page below its title.
void DataPrint(PageSurface& page, const Project& p, int index);
QString GraphicPrint(PageSurface& page, Project& p, int index, const NodeLabels& labels,
                     const WindowTextSize& measure);
bool GradePrint(PageSurface& page, Project& p, int index);

} // namespace tervan
