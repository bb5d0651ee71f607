#pragma once

#include "project/ui/centreddialog.h"

#include <functional>

namespace tervan {

struct Project;

// frmResGrade and frmResGradeFix: the summary of a grading run and the per-cell table, read
// from the project as the last run left it; changes nothing.
class GradeResultDialog final : public CentredDialog
{
    Q_OBJECT
public:
    enum class Grade { Balanced, Fixed };

    GradeResultDialog(const Project& project, Grade grade, QWidget* parent = nullptr);
    // A warning line below the table, when the suspect check finds `count` heights.
    void warnOfSuspects(int count, std::function<void()> showList);
};

} // namespace tervan
