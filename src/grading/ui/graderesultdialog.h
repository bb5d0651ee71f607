#pragma once

#include "project/ui/centreddialog.h"

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
};

} // namespace tervan
