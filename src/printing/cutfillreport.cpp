#include "printing/cutfillreport.h"

#include "grading/cutfillmap.h"
#include "grading/designtexts.h"
#include "printing/earthworkreports.h"
#include "printing/pagechartsurface.h"
#include "printing/pageframe.h"
#include "printing/pagesurface.h"

#include <algorithm>

namespace tervan {

void PrintCutFill(PageSurface& page, const Project& p, const QString& title,
                  const std::vector<SummaryLine>& lines, const CutFillMap& map,
                  const TableTexts& cells)
{
    page.beginReport(title);
    page.setPaperA4();
    PrintHeading(page, p);
    PrintTitle(page, title);
    std::vector<SummaryLine> figures = lines;
    const CutFillAreas areas = cutFillAreas(map);
    appendWorkedAreaLines(figures, areas.cut, areas.fill);
    // In a size smaller than the heading's, so that the map keeps half the page.
    page.setFontSize(13);
    PrintFigureLines(page, figures);
    page.setFontSize(16);
    page.setUnitCentimetres();
    const double top = page.y() + 0.3;
    const QRectF area(1.0, top, std::min(19.0, page.pageWidth() - 1.0),
                      std::max(6.0, page.pageHeight() - top - 0.3));
    {
        PageChartSurface chart(page, area);
        DrawCutFillMap(chart, map, area.width() / area.height(), 12);
    }
    page.setFont(PrintFace, 16, false);
    page.endDocument();
    PrintTableReport(page, p, title, {}, cells, TablePages::Full);
}

} // namespace tervan
