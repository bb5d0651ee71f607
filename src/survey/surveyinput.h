#pragma once

#include "survey/coordinates.h"
#include "survey/surveypoints.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <variant>
#include <vector>

namespace tervan {

// What the user said of the points' coordinates. Empty fromCrs: what the file says; no
// toEpsg: chosen from the points (their UTM zone when they are latitude/longitude, else the
// points' own system); empty datumShift: the RTSD shift.
struct CoordinateChoice
{
    QString fromCrs;
    std::optional<int> toEpsg;
    QString datumShift;
};

// The shots ready for gridding: in the project's system, to the millimetre, so the same shots
// given in any system land on the same grid.
struct PreparedPoints
{
    std::vector<SurveyPoint> points;
    int epsg = 0;            // the project's system; 0 none
    QString fromCrs;         // the system the shots came in, as used
    DatumShiftUsed shift;    // empty key: no datum changed
    std::vector<int> offers; // systems the points fit when none was named (UTM 47N/48N)
};

struct PrepareProblem
{
    enum class Kind {
        NeedsFromCrs, // latitude/longitude without a named system: the user must say which
        Other,
    };
    Kind kind;
    QString text; // Thai
};

// Heights beyond this are no ground on Earth; they are refused with the shot's name.
inline constexpr double HighestHeight = 100000;

std::variant<PreparedPoints, PrepareProblem> preparePoints(PointsFile file,
                                                           const CoordinateChoice& choice);

// The report's lines on coordinates: the system, where the shots came from and the datum shift.
QStringList coordinateLines(int epsg, const QString& fromCrs, const QString& shiftKey);

} // namespace tervan
