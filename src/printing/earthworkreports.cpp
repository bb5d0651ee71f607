#include "printing/earthworkreports.h"

#include "grading/balancechart.h"
#include "grading/earthwork.h"
#include "grading/earthworktexts.h"
#include "printing/pagechartsurface.h"
#include "printing/pageframe.h"
#include "printing/pagesurface.h"

#include <algorithm>

namespace tervan {

namespace {

constexpr int RowsPerPage = 19;
constexpr double ColumnX[] = {2.5, 6.5, 10.5, 15.5};

} // namespace

void PrintSummaryLines(PageSurface& page, const std::vector<SummaryLine>& lines)
{
    for (const SummaryLine& line : lines) {
        PrintIndent(page, 17);
        page.print(line.label);
        page.setX(11);
        page.print(line.value);
        page.setX(14);
        page.printLine(line.unit);
    }
}

namespace {

double columnX(const TableTexts& table, int c)
{
    return table.columns.empty() ? ColumnX[c] : table.columns[std::size_t(c)];
}

void headings(PageSurface& page, const TableTexts& table)
{
    page.setBold(true);
    for (int c = 0; c < table.headings.size(); ++c) {
        page.setX(columnX(table, c));
        page.print(table.headings[c]);
    }
    page.printLine();
    page.setBold(false);
}

} // namespace

void PrintTableReport(PageSurface& page, const Project& p, const QString& title,
                      const std::vector<SummaryLine>& lines, const TableTexts& table)
{
    page.beginReport(title);
    PrintHeading(page, p);
    PrintTitle(page, title);
    PrintSummaryLines(page, lines);
    page.printLine();
    const double top = page.y();
    headings(page, table);
    // The first page's rows end where those of the grade reports do (19 rows below headings
    // at 11 cm), however long the summary above them.
    const double line = page.y() - top;
    int pageRows = std::clamp(int((11 + 20 * line - page.y()) / line + 1e-9), 1, RowsPerPage);
    for (int r = 0, onPage = 0; r < table.rows; ++r) {
        const QStringList texts = table.row(r);
        for (int c = 0; c < texts.size(); ++c) {
            page.setX(columnX(table, c));
            page.print(texts[c]);
        }
        page.printLine();
        if (++onPage == pageRows && r + 1 < table.rows) {
            page.endDocument();
            PrintHeading(page, p);
            PrintTitle(page, title);
            headings(page, table);
            onPage = 0;
            pageRows = RowsPerPage;
        }
    }
    page.endDocument();
    page.setUnitTwips();
}

void PrintEarthwork(PageSurface& page, const Project& p, const Earthwork& e, bool sloped, double k)
{
    PrintTableReport(page, p, sloped ? earthworktitle::Sloped : earthworktitle::Gross,
                     earthworkSummary(e, sloped, k), earthworkCells(e));
}

void PrintBalance(PageSurface& page, const Project& p, const Balance& b,
                  std::optional<double> fixedPlatform, std::optional<double> fixedNet)
{
    page.beginReport(earthworktitle::Balance);
    page.setPaperA4();
    PrintHeading(page, p);
    PrintTitle(page, earthworktitle::Balance);
    PrintSummaryLines(page, balanceSummary(b, fixedPlatform, fixedNet));
    {
        PageChartSurface chart(page, QRectF(2, page.y() + 0.5, 17, 12));
        DrawBalanceChart(chart, b, fixedPlatform, 14);
    }
    page.setFont(PrintFace, 16, false);
    page.endDocument();
    page.setUnitTwips();
}

void PrintLinesReport(PageSurface& page, const Project& p, const QString& title,
                      const QStringList& lines)
{
    page.beginReport(title);
    page.setPaperA4();
    PrintHeading(page, p);
    PrintTitle(page, title);
    // A line that would reach the bottom margin starts the next page.
    const double bottom = page.pageHeight() - 1.5;
    for (const QString& text : lines) {
        if (page.y() + page.textHeight() > bottom) {
            page.endDocument();
            PrintHeading(page, p);
            PrintTitle(page, title);
        }
        page.setX(2.5);
        page.printLine(text);
    }
    page.endDocument();
    page.setUnitTwips();
}

void PrintSuspects(PageSurface& page, const Project& p, const SuspectCheck& c, double factor,
                   double floor)
{
    PrintTableReport(page, p, earthworktitle::Suspects, suspectSummary(c, factor, floor),
                     suspectRows(c));
}

} // namespace tervan
