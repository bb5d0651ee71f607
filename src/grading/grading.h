#pragma once

namespace tervan {

struct GradingResults;
struct Project;

// Earthwork over the grid cells with the mean-of-four-corners prism: each cell's plan area times
// the difference between its corner mean and the platform; cut positive, fill negative, a zero
// volume counted as fill, totals summed in cell-number order. Every named quantity is stored as
// a 32-bit float after its step, with double arithmetic between stores, so results match to the
// bit. Cells are numbered from the lower left, row by row.

// The balanced platform, at which cut and fill are equal. Returns false for a grid without
// cells or without area (spacing 0), whose platform is undefined, and when the sums overflow
// the float range; the platform and the totals are then 0 and no cell volume is kept.
// The results go to `out` (which may be the project itself).
bool AutoGradeElev(const Project& p, GradingResults& out);
bool AutoGradeElev(Project& p);

// The platform at FixGradeElevation of `out`. Returns false for cells without area and when a
// volume or total overflows the float range; the totals are then 0 and no cell volume is kept.
bool FixGradeElev(const Project& p, GradingResults& out);
bool FixGradeElev(Project& p);

// Whether the elevations grade to numbers: a grid without cells does, trivially. Computed into
// results of their own, for commands that check before they ask for anything.
bool ElevationsGradeable(const Project& p);
// Whether the fixed grade at `platform` comes out in numbers.
bool PlatformGradeable(const Project& p, float platform);

} // namespace tervan
