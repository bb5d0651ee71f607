#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace tervan {

struct Project;

struct Balance;
struct Earthwork;
struct SuspectCheck;

// The words and figures the earthwork dialogs show and their reports print, in one place so
// screen and paper read the same.

// One line of a summary block: caption, value, unit.
struct SummaryLine
{
    QString label;
    QString value;
    QString unit;
};

// A per-row table: headings and the texts of row `row` (from 0).
struct TableTexts
{
    QStringList headings;
    int rows = 0;
    std::function<QStringList(int row)> row;
    std::vector<double> columns; // where each column starts, cm; empty for the usual four
};

namespace earthworktitle {
inline const QString Gross = QStringLiteral("ปริมาตรดินตัด-ดินถมแบบแยก");
inline const QString Balance = QStringLiteral("กราฟสมดุลดินตัด-ดินถม");
inline const QString Sloped = QStringLiteral("ปรับระดับแบบมีความลาดเอียง");
inline const QString Suspects = QStringLiteral("ตรวจค่าระดับผิดปกติ");
} // namespace earthworktitle

// A volume as every earthwork figure shows it: two decimals.
QString volumeText(double v);
// For the level-platform grade, which counts every cell: the part of the grid outside the
// project's site outline it includes; empty for a project without an outline.
QString outsideAreaNote(const Project& p);

// The plan area the volumes cover, in m2 and then in rai-ngan-wa.
void appendAreaLines(std::vector<SummaryLine>& lines, double squareMetres);
// The four-corner cut and fill and how far the gross figures differ from them.
void appendFourCornerLines(std::vector<SummaryLine>& lines, const Earthwork& e);

std::vector<SummaryLine> earthworkSummary(const Earthwork& e, bool sloped, double k);
TableTexts earthworkCells(const Earthwork& e);

std::vector<SummaryLine> balanceSummary(const Balance& b, std::optional<double> fixedPlatform,
                                        std::optional<double> fixedNet);

std::vector<SummaryLine> suspectSummary(const SuspectCheck& c, double factor, double floor);
TableTexts suspectRows(const SuspectCheck& c);

} // namespace tervan
