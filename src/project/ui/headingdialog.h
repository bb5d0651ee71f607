#pragma once

#include "project/ui/centreddialog.h"

namespace tervan {

struct Project;
class SelectAllLineEdit;

// The report heading: project name and engineer, shown with all their padding and stored as
// fixed 40-character texts on OK only.
class HeadingDialog final : public CentredDialog
{
    Q_OBJECT
public:
    HeadingDialog(Project& project, QWidget* parent = nullptr);

private:
    void cmdOK_Click();

    Project& m_project;
    SelectAllLineEdit* m_txtProject;
    SelectAllLineEdit* m_txtEngineer;
};

} // namespace tervan
