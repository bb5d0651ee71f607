#include "grading/designtexts.h"

#include "common/numbertext.h"
#include "grading/designsurface.h"
#include "grading/pad.h"

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

} // namespace tervan
