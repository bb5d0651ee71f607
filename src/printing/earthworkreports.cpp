#include "printing/earthworkreports.h"

#include "common/numbertext.h"
#include "grading/balancechart.h"
#include "grading/earthwork.h"
#include "grading/earthworktexts.h"
#include "grading/sectionchart.h"
#include "printing/pagechartsurface.h"
#include "printing/pageframe.h"
#include "printing/pagesurface.h"

#include <QTextBoundaryFinder>
#include <algorithm>

namespace tervan {

namespace {

constexpr int RowsPerPage = 19;
constexpr double ColumnX[] = {2.5, 6.5, 10.5, 15.5};

} // namespace

namespace {

// A caption cut where a line may break (Thai words found by the text's own rules) into pieces
// no wider than `width`; a word wider than that alone is cut between characters.
QStringList brokenCaption(const PageSurface& page, const QString& text, double width)
{
    QStringList pieces;
    QString current;
    const auto add = [&](const QString& part) {
        if (page.textWidth(current + part) <= width || current.isEmpty()) {
            current += part;
        } else {
            pieces << current;
            current = part;
        }
    };
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, text);
    qsizetype from = 0;
    for (qsizetype to = lines.toNextBoundary(); to > 0; to = lines.toNextBoundary()) {
        const QString word = text.mid(from, to - from);
        from = to;
        if (page.textWidth(word) <= width) {
            add(word);
            continue;
        }
        QTextBoundaryFinder letters(QTextBoundaryFinder::Grapheme, word);
        qsizetype start = 0;
        for (qsizetype end = letters.toNextBoundary(); end > 0; end = letters.toNextBoundary()) {
            add(word.mid(start, end - start));
            start = end;
        }
    }
    pieces << current;
    return pieces;
}

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

void PrintFigureLines(PageSurface& page, const std::vector<SummaryLine>& lines)
{
    constexpr double CaptionX = 2.5;
    const double gap = page.textWidth(QStringLiteral("  "));
    double caption = 0, value = 0, unit = 0;
    for (const SummaryLine& line : lines) {
        caption = std::max(caption, page.textWidth(line.label));
        value = std::max(value, page.textWidth(line.value));
        unit = std::max(unit, page.textWidth(line.unit));
    }
    // The usual columns, moved right for the widest caption and value but kept on the paper.
    const double wanted = std::max(11.0, CaptionX + caption + gap);
    const double unitX =
        std::min(std::max(14.0, wanted + value + gap), std::max(14.0, page.pageWidth() - unit));
    const double valueX = std::min(wanted, unitX - value - gap);
    for (const SummaryLine& line : lines) {
        const QStringList pieces = brokenCaption(page, line.label, valueX - gap - CaptionX);
        for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
            page.setX(CaptionX);
            page.printLine(pieces[i]);
        }
        page.setX(CaptionX);
        page.print(pieces.back());
        page.setX(valueX);
        page.print(line.value);
        page.setX(unitX);
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
                      const std::vector<SummaryLine>& lines, const TableTexts& table,
                      TablePages pages)
{
    page.beginReport(title);
    PrintHeading(page, p);
    PrintTitle(page, title);
    PrintSummaryLines(page, lines);
    page.printLine();
    // Full pages are for long tables: in 12 points (the printed face reads well at that size),
    // so that fewer pages hold them.
    const double rowPoints = pages == TablePages::Full ? 12 : 16;
    page.setFontSize(rowPoints);
    const double top = page.y();
    headings(page, table);
    // The first page's rows end where those of the grade reports do (19 rows below headings
    // at 11 cm), however long the summary above them.
    const double line = page.y() - top;
    int pageRows = std::clamp(int((11 + 20 * line - page.y()) / line + 1e-9), 1, RowsPerPage);
    const double bottom = page.pageHeight() - 1.5;
    for (int r = 0, onPage = 0; r < table.rows; ++r) {
        const QStringList texts = table.row(r);
        for (int c = 0; c < texts.size(); ++c) {
            page.setX(columnX(table, c));
            page.print(texts[c]);
        }
        page.printLine();
        const bool full =
            pages == TablePages::Full ? page.y() + line > bottom : ++onPage == pageRows;
        if (full && r + 1 < table.rows) {
            page.endDocument();
            PrintHeading(page, p);
            PrintTitle(page, title);
            page.setFontSize(rowPoints);
            headings(page, table);
            onPage = 0;
            pageRows = RowsPerPage;
        }
    }
    page.setFontSize(16);
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

void PrintSections(PageSurface& page, const Project& p, const SectionsResult& r,
                   const std::vector<SummaryLine>& summary, const TableTexts& table)
{
    const QString title = QStringLiteral("หน้าตัดขวาง");
    const auto [lowest, highest] = levelRange(r.stations);
    constexpr int PerPage = 3;
    double first = 0, tall = 0;
    for (std::size_t i = 0; i < r.stations.size(); ++i) {
        if (i % PerPage == 0) {
            if (i > 0)
                page.endDocument();
            else
                page.beginReport(title);
            page.setPaperA4();
            PrintHeading(page, p);
            PrintTitle(page, title);
        }
        if (i % PerPage == 0)
            first = page.y() + 0.2, tall = (page.pageHeight() - first - 1) / PerPage;
        const Section& s = r.stations[i];
        PageChartSurface chart(page, QRectF(2, first + double(i % PerPage) * tall, 17, tall - 0.3));
        DrawProfileChart(chart, s.profile, lowest, highest,
                         QStringLiteral("ระยะสะสม %1   พื้นที่ตัด %2 ตร.ม.   พื้นที่ถม %3 ตร.ม.")
                             .arg(formatPicture(s.chainage, 3), formatPicture(s.cutArea, 2),
                                  formatPicture(s.fillArea, 2)),
                         QStringLiteral("ระยะจากแนว (ม.)"), 12);
    }
    if (!r.stations.empty()) {
        page.endDocument();
        page.setPaperA4();
        PrintHeading(page, p);
        PrintTitle(page, QStringLiteral("รูปตัดตามยาว"));
        std::vector<SectionPoint> along;
        for (const Section& s : r.longProfile)
            along.push_back({s.chainage, s.profile.front().ground, s.profile.front().design});
        const auto [low, high] = levelRange(r.longProfile);
        PageChartSurface chart(page, QRectF(2, page.y() + 0.5, 17, 12));
        DrawProfileChart(chart, along, low, high, QStringLiteral("ดินเดิมและแบบตามแนว"),
                         QStringLiteral("ระยะสะสม (ม.)"), 14);
    }
    page.setFont(PrintFace, 16, false);
    page.endDocument();
    page.setUnitTwips();
    PrintTableReport(page, p, QStringLiteral("ปริมาตรดินจากหน้าตัดขวาง"), summary, table);
}

void PrintSuspects(PageSurface& page, const Project& p, const SuspectCheck& c, double factor,
                   double floor)
{
    PrintTableReport(page, p, earthworktitle::Suspects, suspectSummary(c, factor, floor),
                     suspectRows(c));
}

} // namespace tervan
