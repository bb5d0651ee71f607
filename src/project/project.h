#pragma once

#include "project/fixedtext.h"
#include "project/georeference.h"

#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>
#include <vector>

namespace tervan {

// One surveyed grid node; the 12-byte record of the node file, fields in this order.
struct NodePoint
{
    float X = 0;
    float Y = 0;
    float Z = 0;
    bool operator==(const NodePoint&) const = default;
};

// The ".gnd" header record's fields, in file order.
struct ProjectHeader
{
    FixedText40 ProjectName;
    FixedText40 EngineerName;
    qint16 GridRows = 0;
    qint16 GridCols = 0;
    qint16 GridSpacing = 0;
    qint16 NodeCount = 0;
    float ContourInterval = 0;

    ProjectHeader& header() { return *this; }
    const ProjectHeader& header() const { return *this; }
    bool operator==(const ProjectHeader&) const = default;
};

// The picture the window shows; the numbers are those the picture commands and menus use.
enum class PictureKind : qint16 {
    None = 0,
    Grid = 1,
    GridWithContours = 2,
    Surface = 3,
};

// How contour levels are told apart: every level labelled, or only whole levels, drawn bold.
enum class ContourEmphasis : qint16 {
    EveryLevel = 0,
    WholeLevels = -1,
};

// What the window shows and how: the world window in metres, the line colour, the picture and
// its choices.
struct ViewState
{
    float ViewXMin = 0;
    float ViewXMax = 0;
    float ViewYMin = 0;
    float ViewYMax = 0;
    float ViewStepX = 0;
    float ViewStepY = 0;

    // Line colour choice: -1 once the user picked a colour.
    qint16 UseChosenColor = 0;
    std::optional<qint16> ChosenColorIndex;

    PictureKind DisplayMode = PictureKind::None;
    // Surface picture: its angle, its base at the lowest node rather than at 0 m, and how many
    // times elevations are stretched.
    qint16 RotationAngle = 0;
    ContourEmphasis BoldWholeContours = ContourEmphasis::EveryLevel;
    bool SurfaceBaseLowest = false;
    qint16 SurfaceExaggeration = 1;
    // Contour picture: whole levels labelled along their lines as well.
    bool ContourLabelsAlong = false;
    // Contour levels at whole multiples of the interval (95, 100, 105), index levels every five
    // intervals, as CAD and GIS draw them; off, the picture's own levels and whole metres.
    bool ContourLevelsFromZero = false;

    bool operator==(const ViewState&) const = default;
};

// Grading results; each grading command overwrites its own set. Cell arrays hold 0..CellCount.
struct GradingResults
{
    qint32 CellCount = 0;
    float TotalArea = 0;
    float AutoGradeElevation = 0;
    float FixGradeElevation = 0;
    // Whether the user has given the fixed grade a platform yet.
    bool FixGradeGiven = false;
    std::vector<float> AutoCellMeanElev;
    std::vector<float> AutoCellVolume;
    std::vector<float> FixCellMeanElev;
    std::vector<float> FixCellVolume;
    float AutoCutVolume = 0;
    float AutoFillVolume = 0;
    float FixCutVolume = 0;
    float FixFillVolume = 0;

    bool operator==(const GradingResults&) const = default;
};

// The window's last scroll bar values.
struct ScrollPositions
{
    qint16 HScrollPos = 0;
    qint16 VScrollPos = 0;
    bool operator==(const ScrollPositions&) const = default;
};

// The project's files and the title reports print.
struct ProjectFiles
{
    QString FileTitle;
    QString DataFileBase;
    QString GndFileName;
    QString NodFileName;
    bool operator==(const ProjectFiles&) const = default;
};

// The whole state of the one open project, owned by the main window. Commands change it;
// drawing and printing read it, and a drawing on a worker reads an immutable copy. Fields keep
// their established names because file layout, reports and dialogs refer to them; the parts
// group them without renaming. Invariants: counts are 16-bit; when Nodes exists it holds
// indices 0..NodeCount (index 0 is never read).
struct Project : ProjectHeader, ViewState, GradingResults, ScrollPositions, ProjectFiles
{
    // Empty until the first grid is defined or opened.
    std::vector<NodePoint> Nodes;

    float ElevMin = 0;
    float ElevMax = 0;

    float NodeXMin = 0;
    float NodeXMax = 0;
    float NodeYMin = 0;
    float NodeYMax = 0;
    float NodeXRange = 0;
    float NodeYRange = 0;

    // Where node 1 lies on the ground; none for a grid in its own coordinates.
    std::optional<Georeference> Georef;

    void ComputeElevationRange();
    void ComputeNodeExtents();
    bool HasData() const;
    bool HasNodes() const { return NodeCount != 0; }
    // The grid test of graphics printing: HasData without its node-count term.
    bool HasGrid() const;

    // World window 14 steps wide and about three quarters of that high, origin two steps in.
    void setNormalWindow(float step);

    bool operator==(const Project&) const = default;
};

// A state drawn or printed away from the window: shared, never changed.
using ProjectSnapshot = std::shared_ptr<const Project>;

inline const QString DefaultProjectName = QStringLiteral("Project01");
inline const QString DefaultEngineerName = QStringLiteral("Noname");
inline const QString UntitledFileTitle = QStringLiteral("********");

// The normal view for the current steps (steps may differ in X and Y).
void applyNormalView(Project& p);

// The state the program starts with.
Project startupProject();

// File > New: the default heading, an undefined grid, no nodes and no file names. Grading
// results, colour choice, steps and angle survive.
void resetForNew(Project& p);

} // namespace tervan
