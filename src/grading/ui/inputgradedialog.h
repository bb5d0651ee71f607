#pragma once

#include "project/ui/centreddialog.h"

class QLineEdit;

namespace tervan {

struct Project;
class Prompts;

// frmInputGrade: the platform elevation for the fixed grade. OK stores a finite number and
// closes; anything else is refused with a message and the dialog stays open. Escape or
// closing the window cancels and keeps the elevation the project holds.
class InputGradeDialog final : public CentredDialog
{
    Q_OBJECT
public:
    InputGradeDialog(Project& project, Prompts& prompts, QWidget* parent = nullptr);

private:
    void cmdOK_Click();

    Project& m_project;
    Prompts& m_prompts;
    QLineEdit* m_txtElevUse;
};

} // namespace tervan
