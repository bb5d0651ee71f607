#pragma once

#include "grading/earthworktexts.h"

#include <optional>

namespace tervan {

struct Balance;
struct Earthwork;
struct Project;
struct SuspectCheck;
struct SectionsResult;
class PageSurface;

// Summary lines, caption / value / unit, from the current line down.
void PrintSummaryLines(PageSurface& page, const std::vector<SummaryLine>& lines);
// The same with captions from the 2.5 cm margin, values from 11 cm and units from 14 cm, or
// further right where a caption or value would reach them; a caption too long even so is
// broken over lines of its own before its value's.
void PrintFigureLines(PageSurface& page, const std::vector<SummaryLine>& lines);
// How many rows a table page holds: as many as the grade reports' (19), or as the page does.
enum class TablePages { Grade, Full };
// Heading, title, summary, then the table below it, continued under heading and title.
void PrintTableReport(PageSurface& page, const Project& p, const QString& title,
                      const std::vector<SummaryLine>& lines, const TableTexts& table,
                      TablePages pages = TablePages::Grade);

// The earthwork reports, each under the common page heading, with the summary the dialog
// shows and its table 19 rows a page; every page a document of its own, the unit back to
// twips at the end.
void PrintEarthwork(PageSurface& page, const Project& p, const Earthwork& e, bool sloped, double k);
// The summary and the balance curve picture on one A4 page.
void PrintBalance(PageSurface& page, const Project& p, const Balance& b,
                  std::optional<double> fixedPlatform, std::optional<double> fixedNet);
// A report of plain lines (the survey quality report) under the common heading and its title,
// A4, continued on as many pages as the lines need.
void PrintLinesReport(PageSurface& page, const Project& p, const QString& title,
                      const QStringList& lines);
// The section sheets: three sections to an A4 page on one level scale, each with its chainage
// and areas; then the long profile; then the volume table `table` with `summary` above it.
void PrintSections(PageSurface& page, const Project& p, const SectionsResult& r,
                   const std::vector<SummaryLine>& summary, const TableTexts& table);
void PrintSuspects(PageSurface& page, const Project& p, const SuspectCheck& c, double factor,
                   double floor);

} // namespace tervan
