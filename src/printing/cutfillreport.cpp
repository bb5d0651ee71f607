#include "printing/cutfillreport.h"

#include "grading/cutfillmap.h"
#include "grading/designtexts.h"
#include "printing/earthworkreports.h"
#include "printing/mapsheet.h"
#include "printing/pagechartsurface.h"
#include "printing/pageframe.h"
#include "printing/pagesurface.h"
#include "project/project.h"

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
    const double labels = mapLabelRoomCm(page);
    // The map's frame, with room for its coordinate labels and the furniture block below.
    const double blockTop = page.pageHeight() - MapBlockCm - 0.05;
    const QRectF area(QPointF(0.2 + labels, top),
                      QPointF(page.pageWidth() - 0.2, std::max(top + 6, blockTop - 0.3 - labels)));
    MapSheet sheet;
    {
        PageChartSurface chart(page, area);
        chart.useSeriesScale();
        DrawCutFillMap(chart, map, area.width() / area.height(), 12);
        sheet.scale = chart.scale();
        sheet.origin = chart.toPage(0, 0);
    }
    if (sheet.scale > 0) {
        sheet.frame = area;
        sheet.georef = p.Georef;
        sheet.legend = {QStringLiteral("ระยะกริด %1 ม.").arg(map.depth.spacing)};
        PrintMapFurniture(page, sheet, blockTop);
    }
    page.setFont(PrintFace, 16, false);
    page.endDocument();
    PrintTableReport(page, p, title, {}, cells, TablePages::Full);
}

} // namespace tervan
