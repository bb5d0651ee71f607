#pragma once

#include "project/csvfields.h"
#include "project/project.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

class QIODevice;

namespace tervan {

// Node elevations as a spreadsheet, a total station or a GIS tool writes them: UTF-8 or Thai
// single-byte text, comma, semicolon, tab or blank separated, RFC 4180 quotes, LF, CRLF or CR
// line ends. The columns tell the layout: one elevation per line in node order; node number
// and elevation; or coordinates and elevation with an optional point name first and
// description last. A header line that names the columns (N/E/Z, X/Y/Z, ...) decides which
// coordinate is which, and lines above such a header are skipped and said; without one the
// order is the one given, or the one under which every point falls on the grid, or else it is
// asked for. Points (in world coordinates when the grid has a georeference) are matched to the
// grid node within 1 % of the spacing.
// Reading is all or nothing: any bad line and no height is taken.

struct NodeHeight
{
    int node = 0;
    float z = 0;
    bool operator==(const NodeHeight&) const = default;
};

// Line 0 speaks of the file as a whole.
struct HeightLineError
{
    int line = 0;
    QString reason;
    bool operator==(const HeightLineError&) const = default;
};

// Every height of the file, and what the reader did that the user should know.
struct HeightsTaken
{
    std::vector<NodeHeight> heights;
    QStringList notes;
    bool operator==(const HeightsTaken&) const = default;
};

// Coordinates without a header naming them, fitting the grid either way round: the caller
// asks for the order and reads again with it.
struct ColumnOrderUnknown
{
    int fields = 0;     // per line
    QStringList sample; // the first data lines, to show
    bool operator==(const ColumnOrderUnknown&) const = default;
};

using HeightsRead = std::variant<HeightsTaken, std::vector<HeightLineError>, ColumnOrderUnknown>;

struct HeightsCsvOptions
{
    // The order of coordinate columns, for a file whose header does not name it.
    std::optional<CsvColumns> columns;
    // Percent read, 0 to 100, called on the reading thread at most once per percent.
    std::function<void(int)> progress;
};

// At most this many errors are listed; one more line says how many more there were.
constexpr int MaxListedErrors = 200;

// Reads the whole device for the grid of p (which needs nodes). Safe on any thread.
HeightsRead readHeightsCsv(QIODevice& in, const Project& p, const HeightsCsvOptions& options = {});

// The nodes of p that none of the heights gives, in order.
std::vector<int> nodesNotGiven(const Project& p, const std::vector<NodeHeight>& heights);

// Nodes as runs for a list: "จุดที่ 4", "จุดที่ 17–19"; at most MaxListedErrors runs, then a
// line saying how many more.
QStringList nodeRuns(const std::vector<int>& nodes);

// Said when a file's coordinate order is not known: which column is north, which east.
QString columnOrderQuestion();

// "และอีก N รายการ".
QString andMore(qsizetype count);

// Stores the heights and recomputes the elevation range.
void applyHeights(Project& p, const std::vector<NodeHeight>& heights);

// "node,x,y,elevation" and one line per node, every float in its shortest exact text (world
// coordinates to the millimetre when georeferenced), so the file imports back unchanged.
QByteArray writeHeightsCsv(const Project& p);

} // namespace tervan
