#pragma once

#include "grading/earthworktexts.h"
#include "grading/sections.h"

#include <QByteArray>

namespace tervan {

// The texts both front ends give a run of sections: the volume table (one row a station, the
// volumes from the station before), its CSV and the summary above the printed table.
TableTexts sectionsTable(const SectionsResult& r);
QByteArray sectionsCsv(const SectionsResult& r);
std::vector<SummaryLine> sectionsSummary(const SectionsResult& r, double every, double width);

} // namespace tervan
