#include "grading/designtexts.h"

#include "common/numbertext.h"
#include "grading/designsurface.h"
#include "grading/pad.h"

#include <memory>

namespace tervan {

namespace {

const QString Metres = QStringLiteral("เมตร");
const QString CubicMetres = QStringLiteral("ลูกบาศก์เมตร");

// The volumes both dialogs show, after their own lines.
void volumes(std::vector<SummaryLine>& lines, const Earthwork& e, double k)
{
    lines.push_back({QStringLiteral("ตัวคูณการบดอัด (K)"), formatPicture(k, 2), QString()});
    lines.push_back({QStringLiteral("ปริมาตรดินตัดแบบแยก"), volumeText(e.gross.cut), CubicMetres});
    lines.push_back({QStringLiteral("ปริมาตรดินถมแบบแยก"), volumeText(e.gross.fill), CubicMetres});
    lines.push_back({QStringLiteral("ปริมาตรสุทธิ (ดินตัด × K + ดินถม)"),
                     volumeText(compactedNet(e.gross, k)), CubicMetres});
    appendFourCornerLines(lines, e);
}

} // namespace

std::vector<SummaryLine> comparisonSummary(const Earthwork& e, double k, const QString& design)
{
    std::vector<SummaryLine> lines{{QStringLiteral("พื้นผิวออกแบบ"), design, QString()}};
    appendAreaLines(lines, e.area);
    volumes(lines, e, k);
    return lines;
}

std::vector<SummaryLine> padSummary(const PadResult& r)
{
    const PadRect& p = r.rect;
    std::vector<SummaryLine> lines{
        {QStringLiteral("แท่น คอลัมน์ - แถว"),
         QStringLiteral("%1,%2 - %3,%4").arg(p.c0).arg(p.r0).arg(p.c1).arg(p.r1), QString()},
        {r.balanced ? QStringLiteral("ค่าระดับแท่นที่สมดุล") : QStringLiteral("ค่าระดับแท่น"),
         formatPicture(r.zp, 3), Metres},
        {QStringLiteral("ลาดด้านดินตัด"), formatPicture(r.slopes.hc, 2) + QStringLiteral(" : 1"),
         QString()},
        {QStringLiteral("ลาดด้านดินถม"), formatPicture(r.slopes.hf, 2) + QStringLiteral(" : 1"),
         QString()},
        {QStringLiteral("ปริมาตรต่อระดับแท่นที่เปลี่ยน 1 ซม."), volumeText(r.perCentimetre), CubicMetres},
        {QStringLiteral("ลาดเลยขอบกริด"), QString::number(r.pad.openEdge.size()),
         QStringLiteral("จุด")}};
    volumes(lines, r.earthwork, r.k);
    appendAreaLines(lines, r.earthwork.area);
    return lines;
}

TableTexts designCells(const Earthwork& e, double k)
{
    return {{QStringLiteral("หมายเลขกริด"), QStringLiteral("ดินตัด (ลบ.ม.)"),
             QStringLiteral("ดินถม (ลบ.ม.)"), QStringLiteral("สุทธิ (ลบ.ม.)")},
            int(e.cells.size()),
            [&e, k](int row) {
                const CutFill& c = e.cells[std::size_t(row)];
                return QStringList{QString::number(row + 1), volumeText(c.cut), volumeText(c.fill),
                                   volumeText(compactedNet(c, k))};
            },
            {}};
}

TableTexts printedDesignCells(const Earthwork& e, double k, bool everyCell)
{
    auto rows = std::make_shared<std::vector<int>>();
    for (std::size_t n = 0; n < e.cells.size(); ++n)
        if (everyCell || e.cells[n].cut != 0 || e.cells[n].fill != 0)
            rows->push_back(int(n));
    TableTexts t = designCells(e, k);
    t.rows = int(rows->size()) + 1;
    t.row = [&e, k, rows](int row) {
        if (row < int(rows->size())) {
            const int n = (*rows)[std::size_t(row)];
            const CutFill& c = e.cells[std::size_t(n)];
            return QStringList{QString::number(n + 1), volumeText(c.cut), volumeText(c.fill),
                               volumeText(compactedNet(c, k))};
        }
        CutFill sum;
        for (int n : *rows) {
            sum.cut += e.cells[std::size_t(n)].cut;
            sum.fill += e.cells[std::size_t(n)].fill;
        }
        return QStringList{QStringLiteral("รวม %1 ช่อง").arg(rows->size()), volumeText(sum.cut),
                           volumeText(sum.fill), volumeText(compactedNet(sum, k))};
    };
    return t;
}

void appendWorkedAreaLines(std::vector<SummaryLine>& lines, double cut, double fill)
{
    const QString squareMetres = QStringLiteral("ตารางเมตร");
    const QString rai = QStringLiteral("ไร่-งาน-ตารางวา");
    lines.push_back({QStringLiteral("พื้นที่ดินตัด"), formatPicture(cut, 2), squareMetres});
    lines.push_back({QStringLiteral("พื้นที่ดินถม"), formatPicture(fill, 2), squareMetres});
    lines.push_back(
        {QStringLiteral("พื้นที่ที่ใช้ (ตัดหรือถม)"), formatPicture(cut + fill, 2), squareMetres});
    lines.push_back({QString(), raiNganWa(cut + fill), rai});
}

} // namespace tervan
