#include "grading/grading.h"
#include "printing/cairopdfbackend.h"
#include "printing/earthworkreports.h"
#include "printing/pagesurface.h"
#include "printing/painterbackend.h"
#include "printing/reports.h"
#include "project/controldata.h"
#include "project/project.h"
#include "support/printto.h"
#include "support/terrain.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPdfWriter>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using namespace tervan;

// Every report printed to a PDF file and read back with poppler: the text layer, where each
// word's ink lies, and the lines of the graphics pages as rendered.

namespace {

constexpr double A4Width = 595.2756, A4Height = 841.8898; // points
constexpr double Margin = 6 / 25.4 * 72;

QString tool(const char* name)
{
    return QStandardPaths::findExecutable(QLatin1String(name));
}

QByteArray run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    process.waitForFinished(600000);
    return process.readAllStandardOutput();
}

struct Word
{
    int page;
    QRectF box; // points, y down
    QString text;
    QSizeF paper{}; // points: A4 along or across
};

// The paper less its 6 mm margins, and a hair for rounding in the PDF's numbers.
QRectF reachableOf(QSizeF paper)
{
    return QRectF(Margin, Margin, paper.width() - 2 * Margin, paper.height() - 2 * Margin)
        .adjusted(-0.01, -0.01, 0.01, 0.01);
}

QList<Word> wordsOf(const QString& pdf, int first, int last)
{
    const QString html =
        QString::fromUtf8(run(tool("pdftotext"), {"-bbox", "-f", QString::number(first), "-l",
                                                  QString::number(last), pdf, "-"}));
    static const QRegularExpression tag(
        R"re(<page width="([\d.]+)" height="([\d.]+)"|<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    QList<Word> words;
    int page = first - 1;
    QSizeF paper;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty()) {
            ++page;
            paper = QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
            continue;
        }
        words.append({page,
                      QRectF(QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()),
                             QPointF(m.captured(5).toDouble(), m.captured(6).toDouble())),
                      m.captured(7), paper});
    }
    return words;
}

struct Report
{
    int first, last;
    bool graphic;
    // Pages to read back: all of them, or for long tables the first and last two, which hold
    // the headings, the summary and the widest numbers (reading thousands of pages takes
    // minutes).
    QList<std::pair<int, int>> checked() const
    {
        if (last - first < 8)
            return {{first, last}};
        return {{first, first + 1}, {last - 1, last}};
    }
};

struct Printed
{
    QString file;
    QList<Report> reports;
};

// Every report the Print menu offers, one after the other into one file.
Printed printAll(Project& p, const QString& file)
{
    Printed out{file, {}};
    CairoPdfBackend pdf(file);
    {
        PageSurface page(pdf);
        const NodeLabels labels{false, true, true};
        const std::pair<bool, std::function<void()>> reports[] = {
            {false, [&] { PrintControl(page, p); }},
            {false, [&] { PrintNodeElev(page, p); }},
            {true, [&] { GraphicPrint(page, p, 1, labels); }},
            {true, [&] { GraphicPrint(page, p, 2, labels); }},
            {false, [&] { GradePrint(page, p, 1); }},
            {false, [&] { GradePrint(page, p, 2); }},
        };
        for (const auto& [graphic, report] : reports) {
            const int before = pdf.pageCount();
            report();
            if (pdf.pageCount() > before)
                out.reports.append({before + 1, pdf.pageCount(), graphic});
        }
    }
    EXPECT_TRUE(pdf.finish());
    return out;
}

// Grey rows of one rendered page (PGM, 8 bits).
struct Raster
{
    int width = 0, height = 0;
    QByteArray pixels;
    bool ink(int x, int y) const { return quint8(pixels[y * width + x]) < 160; }
};

Raster render(const QString& pdf, int page, int dpi)
{
    const QByteArray pgm =
        run(tool("pdftoppm"), {"-gray", "-r", QString::number(dpi), "-f", QString::number(page),
                               "-l", QString::number(page), pdf});
    Raster r;
    // "P5\n<w> <h>\n255\n" then the pixels.
    static const QRegularExpression header(R"(^P5\s+(\d+)\s+(\d+)\s+255\s)");
    const auto m = header.match(QString::fromLatin1(pgm.left(40)));
    if (!m.hasMatch())
        return r;
    r.width = m.captured(1).toInt();
    r.height = m.captured(2).toInt();
    r.pixels = pgm.mid(m.capturedLength(0));
    return r;
}

struct GridCase
{
    qint16 rows, cols, spacing;
    bool opened;
};

void PrintTo(const GridCase& c, std::ostream* os)
{
    *os << c.rows << "x" << c.cols << " at " << c.spacing << (c.opened ? " m" : " m, never opened");
}

template <class Base> struct NeedsPoppler : Base
{
    void SetUp() override
    {
        if (tool("pdftotext").isEmpty() || tool("pdftoppm").isEmpty())
            GTEST_SKIP() << "poppler-utils (pdftotext, pdftoppm) not installed";
    }
};
using PdfPages = NeedsPoppler<::testing::TestWithParam<GridCase>>;
using PdfFile = NeedsPoppler<::testing::Test>;

} // namespace

// All ink inside A4 less 6 mm on every page; on graphics pages nothing but the heading's own
// words inside the heading block.
TEST_P(PdfPages, InkStaysOnTheReachablePaperAndOffTheHeading)
{
    const GridCase& c = GetParam();
    QTemporaryDir dir;
    Project p = terrain(c.rows, c.cols, c.spacing, c.opened);
    const Printed printed = printAll(p, dir.filePath("all.pdf"));
    // Kept for a look by eye when asked to.
    if (const QString keep = qEnvironmentVariable("TERVAN_KEEP_PDF_DIR"); !keep.isEmpty())
        QFile::copy(printed.file, QStringLiteral("%1/grid%2x%3-%4m%5.pdf")
                                      .arg(keep, QString::number(c.rows), QString::number(c.cols),
                                           QString::number(c.spacing), c.opened ? "" : "-new"));
    // Poppler takes minutes to find the words of a picture with tens of thousands of labels:
    // those pages are checked on their rendering alone.
    QList<Word> words;
    for (const Report& report : printed.reports)
        if (!report.graphic || p.NodeCount <= 2000)
            for (const auto& [first, last] : report.checked())
                words += wordsOf(printed.file, first, last);
    ASSERT_FALSE(words.isEmpty());

    // Every page carries the heading block of the first, centred across its own paper.
    double bottom = 0; // of the closing rule
    int rules = 0;
    constexpr int dpi = 50;
    const double px = dpi / 72.0;
    for (const Word& w : words) {
        EXPECT_TRUE(reachableOf(w.paper).contains(w.box))
            << "page " << w.page << " \"" << w.text.toStdString() << "\" at " << w.box.left() << ","
            << w.box.top() << " - " << w.box.right() << "," << w.box.bottom();
        if (w.page == 1 && rules < 2 && w.text.startsWith(QLatin1String("=====")) && ++rules == 2)
            bottom = w.box.bottom();
    }
    ASSERT_EQ(rules, 2);
    // The heading's words on each page read back; page 1's where a page was not read. The
    // heading holds no digits; every label of the picture does.
    QHash<int, QList<QRectF>> heading;
    static const QRegularExpression digit(QStringLiteral("\\d"));
    for (const Word& w : words)
        if (w.box.top() < bottom) {
            heading[w.page]
                << QRectF(w.box.topLeft() * px, w.box.bottomRight() * px).adjusted(-2, -2, 2, 2);
            EXPECT_FALSE(w.text.contains(digit))
                << "page " << w.page << " \"" << w.text.toStdString() << "\" on the heading";
        }

    for (const Report& report : printed.reports) {
        if (!report.graphic)
            continue;
        for (int page = report.first; page <= report.last; ++page) {
            const Raster r = render(printed.file, page, dpi);
            ASSERT_GT(r.width, 0);
            const QRectF reachable = reachableOf(r.width > r.height ? QSizeF(A4Height, A4Width)
                                                                    : QSizeF(A4Width, A4Height));
            const QList<QRectF> boxes = heading.value(page, heading.value(1));
            int outside = 0, onHeading = 0, inked = 0;
            for (int y = 0; y < r.height; ++y)
                for (int x = 0; x < r.width; ++x) {
                    if (!r.ink(x, y))
                        continue;
                    ++inked;
                    const QPointF centre((x + 0.5) / px, (y + 0.5) / px);
                    if (!reachable.adjusted(-1 / px, -1 / px, 1 / px, 1 / px).contains(centre))
                        ++outside;
                    else if (centre.y() < bottom - 1 / px &&
                             std::none_of(boxes.begin(), boxes.end(),
                                          [&](const QRectF& b) { return b.contains(x, y); }))
                        ++onHeading;
                }
            EXPECT_GT(inked, 0) << "page " << page;
            EXPECT_EQ(outside, 0) << "page " << page;
            EXPECT_EQ(onHeading, 0) << "page " << page;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Grids, PdfPages,
                         ::testing::Values(GridCase{1, 5, 10, true}, GridCase{5, 1, 10, true},
                                           GridCase{11, 11, 10, true}, GridCase{26, 26, 10, true},
                                           GridCase{26, 26, 10, false}, GridCase{41, 41, 10, true},
                                           GridCase{181, 181, 10, true}, GridCase{11, 11, 0, true},
                                           GridCase{1, 1, 10, true}));

// What a PDF reader finds and copies: every title, label and column heading as printed.
TEST_F(PdfFile, ReadsBackAsTheThaiThatWasPrinted)
{
    QTemporaryDir dir;
    Project p = terrain(3, 4, 10);
    p.ProjectName = QStringLiteral("พื้นที่น้ำท่วม ปั๊มน้ำ");
    const Printed printed = printAll(p, dir.filePath("all.pdf"));
    QString text = QString::fromUtf8(run(tool("pdftotext"), {printed.file, "-"}));
    ASSERT_EQ(printed.reports.size(), 6);
    // Words whole on every page: no tone mark set back or stacked on a vowel splits one.
    for (const char* words : {"ชื่อโครงการ : พื้นที่น้ำท่วม ปั๊มน้ำ", "แฟ้ม : โครงการปรับพื้นที่"})
        EXPECT_EQ(text.count(QString::fromUtf8(words)), printed.reports.last().last) << words;
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    for (const char* expected : {"วิศวกร:",
                                 "TERVAN",
                                 "ข้อมูลควบคุม",
                                 "ระยะกริด",
                                 "จำนวนแถว",
                                 "จำนวนคอลัมน์",
                                 "ค่าความต่างของเส้นชั้นความสูง",
                                 "พิกัดจุดต่อและข้อมูลค่าระดับ",
                                 "จุดที่",
                                 "พิกัดX(ม.)",
                                 "พิกัดY(ม.)",
                                 "ค่าระดับ(ม.)",
                                 "กราฟิกกริด",
                                 "กราฟิกเส้นชั้นความสูง",
                                 "ผลลัพธ์การปรับระดับพื้นที่แบบพื้นที่เรียบเสมอกันผู้ใช้กำหนดค่าระดับ",
                                 "พื้นที่ทั้งหมด",
                                 "ตารางเมตร",
                                 "ค่าระดับในการปรับพื้นที่",
                                 "ปริมาตรดินถม",
                                 "ลูกบาศก์เมตร",
                                 "หมายเลขกริด",
                                 "ค่าระดับเฉลี่ยของแต่ละกริด(ม.)",
                                 "ปริมาตรดินตัด-ดินถมของแต่ละกริด(ลบ.ม.)"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
    // Tone marks and the sara am stay what they are, never private-use look-alikes.
    EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("[\\x{F700}-\\x{F71F}]"))));
}

// The two PDF routes, Qt's painter on its PDF writer and Cairo with Pango, give pages that look
// the same: same face, sizes, positions and lines.
TEST_F(PdfFile, PagesLookTheSame)
{
    QTemporaryDir dir;
    Project p = terrain(11, 11, 10);
    const auto printWith = [&p](PageBackend& output) {
        {
            PageSurface page(output);
            PrintControl(page, p);
            PrintNodeElev(page, p);
            GraphicPrint(page, p, 4, {false, true, true});
            GradePrint(page, p, 1);
        }
        EXPECT_TRUE(output.finish());
    };
    const QString painted = dir.filePath("painter.pdf"), cairo = dir.filePath("cairo.pdf");
    {
        auto pdf = std::make_unique<QPdfWriter>(painted);
        pdf->setPageSize(QPageSize(QPageSize::A4));
        pdf->setResolution(600);
        pdf->setPageMargins(QMarginsF(6, 6, 6, 6), QPageLayout::Millimeter);
        PainterBackend output(std::move(pdf), PainterBackend::Documents::PagesOfOneFile);
        printWith(output);
    }
    {
        CairoPdfBackend output(cairo);
        printWith(output);
    }
    for (int page : {1, 2, 8, 9, 10}) {
        const Raster a = render(painted, page, 72), b = render(cairo, page, 72);
        // Qt's A4 is 595 x 842 points, Cairo's 595.28 x 841.89.
        const int width = std::min(a.width, b.width), height = std::min(a.height, b.height);
        ASSERT_GT(width, 590);
        int inkA = 0, inkB = 0, apart = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                inkA += a.ink(x, y);
                inkB += b.ink(x, y);
                apart += std::abs(int(quint8(a.pixels[y * a.width + x])) -
                                  int(quint8(b.pixels[y * b.width + x]))) > 128;
            }
        // Glyph edges differ by a pixel here and there; a shifted line or text would not. The
        // map pages (9, 10) carry many small labels along their frame and in their block.
        EXPECT_NEAR(double(inkB) / inkA, 1, 0.25) << "page " << page;
        EXPECT_LT(apart, width * height / (page >= 9 ? 75 : 100)) << "page " << page;
    }
}

// Contour pages written at the paper's resolution look, at 600 dpi, as those written point for
// point, in a fraction of the bytes.
TEST_F(PdfFile, PaperResolutionLooksTheSameAt600Dpi)
{
    QTemporaryDir dir;
    for (const float interval : {0.05f, 0.5f}) {
        Project p = terrain(31, 31, 10);
        p.ContourInterval = interval;
        const auto print = [&p, &dir](const QString& name, double tolerance, double grid) {
            CairoPdfBackend pdf(dir.filePath(name), grid);
            {
                PageSurface page(pdf);
                page.setPolylineTolerance(tolerance);
                GraphicPrint(page, p, 2, {false, false, true});
            }
            EXPECT_TRUE(pdf.finish());
            return pdf.fileName();
        };
        const QString exact = print("exact.pdf", 0, 0);
        const QString paper = print("paper.pdf", PolylineToleranceTwips, 1.0 / 16);
        EXPECT_LT(QFileInfo(paper).size(), QFileInfo(exact).size()) << interval;
        const Raster a = render(exact, 1, 600), b = render(paper, 1, 600);
        ASSERT_EQ(a.width, b.width);
        qint64 apart = 0;
        for (qsizetype i = 0; i < a.pixels.size(); ++i)
            apart += std::abs(int(quint8(a.pixels[i])) - int(quint8(b.pixels[i]))) > 64;
        // The picture at its series scale packs the finest levels closely.
        EXPECT_LE(double(apart) / (a.width * a.height), 0.006) << interval;
    }
}

// The survey quality report on the PDF route: each Thai line reads back whole, on as many
// pages as it needs, each under the heading.
TEST_F(PdfFile, LinesReportReadsBackWholeOnEveryPage)
{
    QTemporaryDir dir;
    const Project p = terrain(3, 4, 10);
    QStringList lines;
    for (int i = 1; i <= 60; ++i)
        lines << QStringLiteral("    จุด น้ำท่วม-%1   ผลต่าง %2 ม.").arg(i).arg(i * 0.01, 0, 'f', 3);
    const QString file = dir.filePath("lines.pdf");
    CairoPdfBackend pdf(file);
    {
        PageSurface page(pdf);
        PrintLinesReport(page, p, QStringLiteral("รายงานคุณภาพกริดจากจุดสำรวจ"), lines);
    }
    ASSERT_TRUE(pdf.finish());
    EXPECT_GT(pdf.pageCount(), 1);
    // Runs of blanks read back as one; a word split by a mark would read back with a blank.
    const QString text =
        QString::fromUtf8(run(tool("pdftotext"), {file, "-"})).simplified() + QLatin1Char(' ');
    EXPECT_EQ(text.count(QStringLiteral("รายงานคุณภาพกริดจากจุดสำรวจ")), pdf.pageCount());
    for (const QString& line : lines)
        EXPECT_EQ(text.count(line.simplified() + QLatin1Char(' ')), 1) << line.toStdString();
}

// The contour page read back as a map: the scale bar's labels stand as far apart on the paper as
// the stated scale makes their metres, and so do the easting labels of the frame's ticks.
TEST_F(PdfFile, ScaleBarAndCoordinateLabelsMeasureRight)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("map.pdf");
    Project p = terrain(21, 31, 10, true);
    p.Georef = Georeference{654321.37, 1520987.6, 32647, {}};
    CairoPdfBackend pdf(file);
    {
        PageSurface page(pdf);
        GraphicPrint(page, p, 2, {});
    }
    ASSERT_TRUE(pdf.finish());
    const QList<Word> words = wordsOf(file, 1, 1);
    long scale = 0;
    for (const Word& w : words)
        if (w.text.startsWith(QLatin1String("1:")))
            scale = w.text.mid(2).toLong();
    ASSERT_GT(scale, 0);
    const auto millimetres = [](double points) { return points * 25.4 / 72; };
    // Metres on the ground to millimetres on the paper at the stated scale.
    const auto paper = [&](double metres) { return metres * 1000 / double(scale); };

    // The bar's labels: "0" and the numbers after it on its line, the last one its length.
    const auto zero = std::find_if(words.begin(), words.end(),
                                   [](const Word& w) { return w.text == QLatin1String("0"); });
    ASSERT_NE(zero, words.end());
    int labels = 0;
    for (auto it = zero + 1; it != words.end() && std::abs(it->box.top() - zero->box.top()) < 1;
         ++it) {
        bool number = false;
        const double metres = it->text.toDouble(&number);
        if (!number)
            break;
        EXPECT_NEAR(millimetres(it->box.center().x() - zero->box.center().x()), paper(metres), 0.5)
            << it->text.toStdString();
        ++labels;
    }
    EXPECT_EQ(labels, 4);

    // Eastings: the numbers after each "E" below the frame.
    QList<std::pair<double, double>> eastings; // value, centre in points
    for (qsizetype i = 0; i + 1 < words.size(); ++i)
        if (words[i].text == QLatin1String("E")) {
            bool number = false;
            const double value = words[i + 1].text.toDouble(&number);
            if (number)
                eastings.append({value, words[i + 1].box.center().x()});
        }
    ASSERT_GE(eastings.size(), 3);
    for (qsizetype i = 1; i < eastings.size(); ++i)
        EXPECT_NEAR(millimetres(eastings[i].second - eastings[0].second),
                    paper(eastings[i].first - eastings[0].first), 0.5);
}
