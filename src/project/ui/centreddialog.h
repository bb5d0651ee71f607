#pragma once

#include <QDialog>

namespace tervan {

// Moves a window in the normal state to the centre of its screen; minimised and maximised
// windows stay where they are.
void centreOnScreen(QWidget* window);

// Base of every dialog of the program: it centres itself whenever it is resized.
class CentredDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CentredDialog(QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace tervan
