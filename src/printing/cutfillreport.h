#pragma once

#include "grading/earthworktexts.h"

namespace tervan {

struct CutFillMap;
struct Project;
class PageSurface;

// A comparison with a design surface on paper: under the common page heading, the title,
// the summary the dialog shows and the cut/fill map on the first A4 page; the per-cell table
// on the pages after it.
void PrintCutFill(PageSurface& page, const Project& p, const QString& title,
                  const std::vector<SummaryLine>& lines, const CutFillMap& map,
                  const TableTexts& cells);

} // namespace tervan
