#include "grading/reportplan.h"

#include "grading/grading.h"
#include "project/project.h"

namespace tervan {

ReportPlan planReport(const Project& p, ReportFamily family, int index)
{
    ReportPlan plan{false, index, false};
    switch (family) {
    case ReportFamily::Data:
        plan.refused = !p.HasNodes();
        return plan;
    case ReportFamily::Graphics:
        plan.refused = !p.HasGrid();
        return plan;
    case ReportFamily::Grades:
        break;
    }
    const bool cells = p.GridRows >= 2 && p.GridCols >= 2;
    const bool fixed = index == 2 || index == 4;
    plan.refused = !p.HasNodes() || (index == 1 && !cells) || !ElevationsGradeable(p) ||
                   (fixed && !PlatformGradeable(p, p.FixGradeElevation));
    if (!plan.refused && index == 4 && !cells) {
        plan.index = 2;
        plan.leftOut = true;
    }
    return plan;
}

} // namespace tervan
