#pragma once

#include "grading/earthworktexts.h"

namespace tervan {

struct Earthwork;
struct PadResult;

namespace designtitle {
inline const QString Compare = QStringLiteral("เปรียบเทียบกับพื้นผิวออกแบบ");
inline const QString Pad = QStringLiteral("ปรับระดับแบบแท่นมีลาดด้านข้าง");
} // namespace designtitle

// The figures of a comparison with a design surface named `design`, and of a pad.
std::vector<SummaryLine> comparisonSummary(const Earthwork& e, double k, const QString& design);
std::vector<SummaryLine> padSummary(const PadResult& r);
// Cut, fill and net (cut x K + fill) of every cell.
TableTexts designCells(const Earthwork& e, double k);
// The same for paper: the cells with cut or fill only, unless `everyCell`, then a total line.
TableTexts printedDesignCells(const Earthwork& e, double k, bool everyCell);
// The plan areas a cut/fill map colours, in m2 and rai-ngan-wa.
void appendWorkedAreaLines(std::vector<SummaryLine>& lines, double cut, double fill);

} // namespace tervan
