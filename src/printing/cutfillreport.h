#pragma once

#include "grading/earthworktexts.h"

namespace tervan {

struct CutFillMap;
struct Project;
class PageSurface;

// A comparison with a design surface on paper: under the common page heading, the title,
// the summary the dialog shows, the plan areas the map colours as cut and fill, and the
// cut/fill map on the first A4 page; the per-cell table on full pages after it.
void PrintCutFill(PageSurface& page, const Project& p, const QString& title,
                  const std::vector<SummaryLine>& lines, const CutFillMap& map,
                  const TableTexts& cells);

} // namespace tervan
