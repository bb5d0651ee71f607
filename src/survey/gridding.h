#pragma once

#include "common/progress.h"
#include "project/project.h"
#include "survey/breaklines.h"
#include "survey/surveypoints.h"

#include <QString>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace tervan {

// Survey points onto a grid of nodes: the points merged where they share a position, the grid
// laid out in world coordinates, heights made by the chosen method (linear over GEOS's
// Delaunay triangulation of the shots and any breaklines; inverse distance and nearest shot
// through a k-d tree), nodes outside the site's outline marked estimated, and a report of how
// well the grid honours the shots and which shots look like blunders.

class SurveyTin;
class PointIndex;

enum class GridMethod { Linear, InverseDistance, Nearest };

// Node 1 at (x0, y0); rows go north, columns east.
struct GridFrame
{
    double x0 = 0;
    double y0 = 0;
    int spacing = 1;
    int rows = 0;
    int cols = 0;
    bool operator==(const GridFrame&) const = default;
};

// Shots within a millimetre of each other become one at their mean height; groups in order of
// easting, names within a group likewise.
struct MergedPoints
{
    std::vector<SurveyPoint> points;
    int merged = 0; // shots folded into another
    // "A, B: 101.200 / 101.350" for the groups whose heights differ.
    QStringList differing;
};
MergedPoints mergeDuplicates(const std::vector<SurveyPoint>& points);

// The outline of the points (their convex hull), corners in order; empty for fewer than 3.
std::vector<std::pair<double, double>> outlineOf(const std::vector<SurveyPoint>& points);

// The points' extent at the spacing, node 1 rounded down to the spacing.
GridFrame frameAround(const std::vector<SurveyPoint>& points, int spacing);

// The grid of a georeferenced project, so a second survey of the site lands node for node on
// the first; nothing for a project without a georeference or nodes.
std::optional<GridFrame> frameOf(const Project& p);

// How many points lie off the frame's nodes' extent.
int pointsOutside(const std::vector<SurveyPoint>& points, const GridFrame& frame);

// Nothing when the frame fits the file's 32767 nodes; else the smallest whole spacing that
// would cover the same ground within the limit.
std::optional<int> spacingNeeded(const GridFrame& frame);

// The shots less those named; names that match no shot are listed, not guessed.
struct ExcludedShots
{
    std::vector<SurveyPoint> kept;
    QStringList left;    // as named, in the order given
    QStringList unknown; // named but not among the shots
};
ExcludedShots excludeShots(const std::vector<SurveyPoint>& points, const QStringList& names);

struct GridOptions
{
    std::vector<Breakline> breaklines; // in the project's coordinates
    // The site: a closed polygon in world coordinates; empty is the shots' convex hull.
    std::vector<std::pair<double, double>> outline;
    // Hears how far the leave-one-out of the quality report got, and stops it once cancelled
    // (the report then lists no suspects).
    Progress* progress = nullptr;
};

struct GridResult
{
    std::vector<double> z;       // row-major from node 1
    std::vector<bool> estimated; // nodes outside the outline, or outside the shots
    int estimatedCount = 0;
    int outsideOutline = 0; // of them, those outside the outline given
    std::shared_ptr<const SurveyTin> surface; // the shots' triangulation, when one was made
    std::shared_ptr<const PointIndex> index;  // of the shots, for the quality report
};

// Fewer than 3 points, points all on one line, a frame that holds none of them, heights a
// project cannot hold, breaklines crossing at different heights, or the triangulation failing,
// gives the reason in Thai.
std::variant<GridResult, QString> makeGrid(const std::vector<SurveyPoint>& points,
                                           const GridFrame& frame, GridMethod method,
                                           const GridOptions& options = {});

struct Residual
{
    QString name;
    double value = 0; // shot minus grid surface
};

struct GridQuality
{
    int pointsRead = 0;
    int pointsUsed = 0;
    int duplicates = 0;
    QStringList differing;
    int nodesEstimated = 0;
    int outsideGrid = 0;     // shots beyond the grid's edge, not honoured by it
    double farthestNode = 0; // node to its nearest shot, metres
    double rms = 0;
    std::vector<Residual> largest; // up to 10, largest first
    // Leave-one-out residuals beyond max(5 x their median size, 5 cm), largest first.
    std::vector<Residual> suspects;
    QStringList excluded; // shots the user left out
    int breaklines = 0;
};

// The surface between nodes is the one contours are drawn on: each cell two flat triangles
// split from its south-west to its north-east corner. `options` gives the breaklines of the
// surface the leave-one-out residuals are measured on.
GridQuality gridQuality(const std::vector<SurveyPoint>& used, const GridFrame& frame,
                        const GridResult& grid, int pointsRead, const MergedPoints& merged,
                        const GridOptions& options = {});

// Shots whose leave-one-out residual is beyond max(5 x the median size, 5 cm), largest first;
// shots on the hull have none.
std::vector<Residual> suspectShots(const std::vector<SurveyPoint>& shots,
                                   const std::vector<std::optional<double>>& leaveOneOut);

// The report as lines for the screen and the printer, Thai; `heading` (the coordinate system
// and datum shift) comes first.
QStringList qualityLines(const GridQuality& q, const GridFrame& frame,
                         const QStringList& heading = {});

// A round interval (1, 2 or 5 times a power of ten) giving 20 to 60 levels over the range.
float roundInterval(double range);

// The new project: heading from the source's name, the grid, heights, georeference.
Project projectFromGrid(const GridFrame& frame, const GridResult& grid, const QString& heading,
                        int epsg, float interval = 0);

} // namespace tervan
