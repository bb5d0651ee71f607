#pragma once

#include "grading/earthwork.h"
#include "grading/pads.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace tervan {

// One pad typed or checked: its name, level (or balanced), slopes, cross-fall with its
// direction (a bearing or one of its edges, downhill from a corner to the next) and its
// corners, one "E, N" a line in the project's world coordinates, or in grid metres when
// asked (or when the project has no georeference: `origin` is then 0,0). OK keeps the dialog
// open and says why while the pad cannot be used.
class PadEditDialog final : public QDialog
{
    Q_OBJECT
public:
    PadEditDialog(const PadShape& pad, const EarthworkGrid& ground, QPointF origin,
                  QWidget* parent = nullptr);

    // The pad, in grid metres.
    PadShape pad() const { return m_pad; }
    void accept() override;

private:
    // The pad the boxes describe, or why not.
    std::variant<PadShape, QString> read() const;
    void cornersChanged();
    void showCorners(const std::vector<QPointF>& corners);

    const EarthworkGrid& m_ground;
    QPointF m_origin;
    PadShape m_pad;
    QLineEdit* m_name;
    QCheckBox* m_balanced;
    QLineEdit* m_level;
    QLineEdit* m_cut;
    QLineEdit* m_fill;
    QLineEdit* m_fall;
    QComboBox* m_direction;
    QLineEdit* m_bearing;
    QCheckBox* m_gridCoords;
    QPlainTextEdit* m_corners;
    QLabel* m_problem;
};

} // namespace tervan
