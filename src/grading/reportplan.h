#pragma once

namespace tervan {

struct Project;

// The three families of printed reports, as the Print menu groups them.
enum class ReportFamily { Data, Graphics, Grades };

// What a print command may produce from a project: nothing (the project lacks what the report
// needs; the incomplete-data message says so), or the report at `index` (1, 2, or 4 for all).
// A grid without cells has no balanced platform, while the fixed one is still defined: "all
// grading results" then prints the fixed report alone and `leftOut` says the balanced one is
// missing. The window and the batch front end both ask here, so they refuse and shorten alike.
struct ReportPlan
{
    bool refused = false;
    int index = 0;
    bool leftOut = false;
};

// `index` is a printing item of the family's menu (1, 2 or 4); the fixed grade is taken at the
// project's FixGradeElevation.
ReportPlan planReport(const Project& p, ReportFamily family, int index);

} // namespace tervan
