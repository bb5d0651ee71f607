#pragma once

#include <QLocale>
#include <QString>
#include <variant>

namespace tervan {

struct Project;

// The four texts of the control-data dialog, in the user's number format.
struct ControlDataTexts
{
    QString spacing;
    QString rows;
    QString cols;
    QString interval;
};

// Values that passed every check: each fits its 16-bit field, none is negative, the spacing
// is a whole number (counts are rounded), the interval
// is finite and the grid holds at most 32767 nodes.
struct ControlValues
{
    qint16 spacing = 0;
    qint16 rows = 0;
    qint16 cols = 0;
    float interval = 0;
};

// Which box holds the first value that cannot be taken.
enum class ControlField { Spacing, Rows, Cols, Interval };

std::variant<ControlValues, ControlField> readControlData(const ControlDataTexts& texts,
                                                          const QLocale& locale = QLocale());

// Defines the grid: counts, normal window for the spacing (for 10 when the spacing is 0),
// node table resized by node number keeping elevations, X and Y of every node rewritten.
// Node extents and the elevation range are left as they were.
void applyControlData(Project& p, const ControlValues& v);

} // namespace tervan
