#pragma once

#include "project/project.h"
#include "survey/gridding.h"
#include "survey/surveyinput.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;

namespace tervan {

// Survey points to a new project: the file and how to read it (columns, the points' and the
// project's coordinate systems, the datum shift), the grid (spacing, node 1, size, method, or
// those of an earlier project of the site) with a picture of the points, their outline and the
// nodes to be made, redrawn as the numbers change. "Make" grids and closes; project(),
// quality() and reportHeading() then hold the result.
class SurveyDialog final : public QDialog
{
    Q_OBJECT
public:
    // pickFile answers the file buttons with a name to open for the filter given (empty when
    // the user cancels).
    using Picker = std::function<QString(const QString& filter)>;
    explicit SurveyDialog(Picker pickFile, QWidget* parent = nullptr);

    // Lays the grid out as the project's (its georeference, spacing and size); false, with the
    // reason in the status line, when the project cannot be read or has no georeference.
    bool useGridOf(const QString& projectFile);

    // Reads the file as the boxes say; on a problem the status line says why.
    void loadPoints(const QString& fileName);

    const Project& project() const { return m_project; }
    const GridQuality& quality() const { return m_quality; }
    const GridFrame& frame() const { return m_frame; }
    const std::vector<SurveyPoint>& points() const { return m_points; }
    // The coordinate system and datum shift, for the top of the report.
    const QStringList& reportHeading() const { return m_heading; }

private:
    void reload();
    void frameChanged();
    void drawPicture();
    void make();
    GridFrame frameInBoxes() const;
    std::optional<int> projectEpsg() const;

    Picker m_pickFile;
    QLineEdit* m_file;
    QComboBox* m_columns;
    QTableWidget* m_preview;
    QComboBox* m_fromCrs;
    QComboBox* m_crs;
    QComboBox* m_shift;
    QLabel* m_like;
    QSpinBox* m_spacing;
    QDoubleSpinBox* m_originX;
    QDoubleSpinBox* m_originY;
    QSpinBox* m_rows;
    QSpinBox* m_cols;
    QComboBox* m_method;
    QLabel* m_picture;
    QLabel* m_status;
    QPushButton* m_make;

    std::vector<SurveyPoint> m_points;
    int m_pointsRead = 0;
    PreparedPoints m_prepared;
    std::optional<GridFrame> m_likeFrame;
    QStringList m_heading;
    std::vector<std::pair<double, double>> m_outline;
    GridFrame m_frame;
    Project m_project;
    GridQuality m_quality;
};

// The quality report in a scrollable list, with a button that prints it.
class SurveyReportDialog final : public QDialog
{
    Q_OBJECT
public:
    explicit SurveyReportDialog(const QStringList& lines, QWidget* parent = nullptr);
};

} // namespace tervan
