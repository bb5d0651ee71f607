#pragma once

#include "project/ui/centreddialog.h"

#include <array>

class QLabel;

namespace tervan {

struct Project;

// frmBasicColor: fifteen swatches; a click borders the swatch and stores its index at once,
// OK makes line drawings use it, Cancel returns them to the default green (the last pick is
// kept for a later OK).
class ColourDialog final : public CentredDialog
{
    Q_OBJECT
public:
    explicit ColourDialog(Project& project, QWidget* parent = nullptr);

    QLabel* swatch(int index) const { return m_swatches[index]; }
    void lblColor_Click(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setBordered(int index, bool bordered);

    Project& m_project;
    std::array<QLabel*, 15> m_swatches{};
    int m_pressed = -1;
};

} // namespace tervan
