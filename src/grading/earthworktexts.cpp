#include "grading/earthworktexts.h"

#include "common/numbertext.h"
#include "grading/earthwork.h"
#include "grading/suspectheights.h"

namespace tervan {

namespace {

const QString Metres = QStringLiteral("เมตร");
const QString CubicMetres = QStringLiteral("ลูกบาศก์เมตร");
const QString Percent = QStringLiteral("%");

QString elevation(double z)
{
    return formatPicture(z, 3);
}

} // namespace

QString volumeText(double v)
{
    return formatPicture(v, 2);
}

QString outsideAreaNote(const Project& p)
{
    const auto mask = outlineMaskOf(p);
    if (!mask)
        return {};
    const double outside = mask->outsideArea();
    return QStringLiteral("รวมพื้นที่นอกขอบเขตที่สำรวจ %1 ตารางเมตร (%2 ไร่-งาน-ตารางวา)")
        .arg(formatPicture(outside, 2), raiNganWa(outside));
}

void appendAreaLines(std::vector<SummaryLine>& lines, double squareMetres)
{
    lines.push_back(
        {QStringLiteral("พื้นที่ทั้งหมด"), formatPicture(squareMetres, 0), QStringLiteral("ตารางเมตร")});
    lines.push_back({QString(), raiNganWa(squareMetres), QStringLiteral("ไร่-งาน-ตารางวา")});
}

void appendFourCornerLines(std::vector<SummaryLine>& lines, const Earthwork& e)
{
    lines.push_back(
        {QStringLiteral("ปริมาตรดินตัดแบบสี่มุม"), volumeText(e.fourCorner.cut), CubicMetres});
    lines.push_back(
        {QStringLiteral("ปริมาตรดินถมแบบสี่มุม"), volumeText(e.fourCorner.fill), CubicMetres});
    lines.push_back(
        {QStringLiteral("ผลต่างดินตัด"), formatPicture(e.cutDifferencePercent(), 2), Percent});
    lines.push_back(
        {QStringLiteral("ผลต่างดินถม"), formatPicture(e.fillDifferencePercent(), 2), Percent});
}

std::vector<SummaryLine> earthworkSummary(const Earthwork& e, bool sloped, double k)
{
    std::vector<SummaryLine> lines;
    appendAreaLines(lines, e.area);
    if (sloped) {
        lines.push_back({QStringLiteral("ค่าระดับที่กึ่งกลางพื้นที่"), elevation(e.plane.zc), Metres});
        lines.push_back(
            {QStringLiteral("ความลาดเอียงแกน X"), formatPicture(e.plane.slopeX, 2), Percent});
        lines.push_back(
            {QStringLiteral("ความลาดเอียงแกน Y"), formatPicture(e.plane.slopeY, 2), Percent});
    } else {
        lines.push_back({QStringLiteral("ค่าระดับในการปรับพื้นที่"), elevation(e.plane.zc), Metres});
    }
    lines.push_back({QStringLiteral("ตัวคูณการบดอัด (K)"), formatPicture(k, 2), QString()});
    lines.push_back({QStringLiteral("ปริมาตรดินตัดแบบแยก"), volumeText(e.gross.cut), CubicMetres});
    lines.push_back({QStringLiteral("ปริมาตรดินถมแบบแยก"), volumeText(e.gross.fill), CubicMetres});
    appendFourCornerLines(lines, e);
    // What the cut gives once compacted, and what is left over (+) or short (-) after it fills.
    lines.push_back(
        {QStringLiteral("ดินตัดเมื่อบดอัด (K × ดินตัด)"), volumeText(e.compactedCut(k)), CubicMetres});
    lines.push_back(
        {QStringLiteral("ดินเหลือ (+) / ขาด (-)"), volumeText(e.compactedNet(k)), CubicMetres});
    return lines;
}

TableTexts earthworkCells(const Earthwork& e)
{
    return {{QStringLiteral("หมายเลขกริด"), QStringLiteral("ดินตัด (ลบ.ม.)"),
             QStringLiteral("ดินถม (ลบ.ม.)"), QStringLiteral("สุทธิ (ลบ.ม.)")},
            int(e.cells.size()),
            [&e](int row) {
                const CutFill& c = e.cells[std::size_t(row)];
                return QStringList{QString::number(row + 1), volumeText(c.cut), volumeText(c.fill),
                                   volumeText(c.net())};
            },
            {}};
}

std::vector<SummaryLine> balanceSummary(const Balance& b, std::optional<double> fixedPlatform,
                                        std::optional<double> fixedNet)
{
    std::vector<SummaryLine> lines{
        {QStringLiteral("ตัวคูณการบดอัด (K)"), formatPicture(b.k, 2), QString()},
        {QStringLiteral("ค่าระดับที่สมดุล"), elevation(b.balanced), Metres},
        {QStringLiteral("ปริมาตรต่อระดับที่เปลี่ยน 1 ซม."), volumeText(b.perCentimetre), CubicMetres},
        {QStringLiteral("ค่าระดับต่ำสุด"), elevation(b.zMin), Metres},
        {QStringLiteral("ค่าระดับสูงสุด"), elevation(b.zMax), Metres},
    };
    appendAreaLines(lines, b.area);
    if (fixedPlatform) {
        lines.push_back({QStringLiteral("ค่าระดับที่กำหนด"), elevation(*fixedPlatform), Metres});
        if (fixedNet)
            lines.push_back(
                {QStringLiteral("ปริมาตรสุทธิที่ระดับที่กำหนด"), volumeText(*fixedNet), CubicMetres});
    }
    return lines;
}

std::vector<SummaryLine> suspectSummary(const SuspectCheck& c, double factor, double floor)
{
    return {
        {QStringLiteral("ตัวคูณค่าเบี่ยงเบน"), formatPicture(factor, 2), QString()},
        {QStringLiteral("ผลต่างขั้นต่ำ"), formatPicture(floor, 3), Metres},
        {QStringLiteral("ค่าเบี่ยงเบนมัธยฐาน"), formatPicture(c.deviation, 3), Metres},
        {QStringLiteral("จำนวนจุดที่ผิดปกติ"), QString::number(c.suspects.size()), QStringLiteral("จุด")},
    };
}

TableTexts suspectRows(const SuspectCheck& c)
{
    return {{QStringLiteral("จุดที่"), QStringLiteral("ค่าระดับ (ม.)"),
             QStringLiteral("ค่ากลางจุดข้างเคียง (ม.)"), QStringLiteral("ผลต่าง (ม.)")},
            int(c.suspects.size()),
            [&c](int row) {
                const SuspectHeight& s = c.suspects[std::size_t(row)];
                return QStringList{QString::number(s.node), elevation(s.elevation),
                                   elevation(s.median), elevation(s.elevation - s.median)};
            },
            {}};
}

} // namespace tervan
