#pragma once

#include "project/georeference.h"

#include <QDialog>
#include <optional>

class QComboBox;
class QDoubleSpinBox;

namespace tervan {

// Shows and edits where the grid lies: the world easting and northing of node 1 and the
// coordinate system. Node 1 at 0, 0 with no system means the grid has no georeference.
class GeoreferenceDialog final : public QDialog
{
    Q_OBJECT
public:
    explicit GeoreferenceDialog(const std::optional<Georeference>& current,
                                QWidget* parent = nullptr);

    // What the boxes say, keeping the estimated nodes of the current one; nothing when the
    // boxes describe no georeference. OK stays closed on an unknown system.
    std::optional<Georeference> georeference() const;

private:
    // 0 for none; nothing for a code the coordinate library does not know.
    std::optional<int> typedEpsg() const;

    std::optional<Georeference> m_current;
    QDoubleSpinBox* m_easting;
    QDoubleSpinBox* m_northing;
    QComboBox* m_crs;
};

} // namespace tervan
