#pragma once

namespace tervan {

struct Project;

// Earthwork over the grid cells with the mean-of-four-corners prism: each cell's plan area times
// the difference between its corner mean and the platform; cut positive, fill negative, a zero
// volume counted as fill, totals summed in cell-number order. Every named quantity is stored as
// a 32-bit float after its step, with double arithmetic between stores, so results match to the
// bit. Cells are numbered from the lower left, row by row.

// The balanced platform, at which cut and fill are equal. Returns false for a grid without
// cells, whose platform is undefined; the results are then those of no cells (count, area and
// totals zero, empty arrays).
bool AutoGradeElev(Project& p);

// The platform at FixGradeElevation.
void FixGradeElev(Project& p);

} // namespace tervan
