#pragma once

#include "project/ui/centreddialog.h"

class QLineEdit;

namespace tervan {

struct Project;
class Prompts;

// The grid definition: spacing, rows, columns and contour interval. Loads the current values
// when created; on OK refuses anything that cannot be stored (message, focus on the box) and
// otherwise defines the grid and closes. A spacing of 0 is stored with a warning.
class ControlDialog final : public CentredDialog
{
    Q_OBJECT
public:
    ControlDialog(Project& project, Prompts& prompts, QWidget* parent = nullptr);

private:
    void cmdOK_Click();

    Project& m_project;
    Prompts& m_prompts;
    QLineEdit* m_txtGrid;
    QLineEdit* m_txtRow;
    QLineEdit* m_txtCol;
    QLineEdit* m_txtInt;
};

} // namespace tervan
