#pragma once

#include "project/project.h"
#include "survey/gridding.h"
#include "survey/surveyinput.h"
#include "survey/ui/surveywork.h"

#include <QDialog>
#include <QFutureWatcher>
#include <QTimer>
#include <functional>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QSpinBox;
class QTableWidget;
class QThreadPool;

namespace tervan {

// Survey points to a new project: the file and how to read it (columns, the points' and the
// project's coordinate systems, the datum shift), the site's outline and breaklines, the grid
// (spacing, node 1, size, method, or those of an earlier project of the site) with a picture
// of the points, outline, breaklines, suspect shots and nodes to be made. Reading and gridding
// run on a worker as the choices change, with progress and a button that stops them; the
// suspect shots found are listed with a tick box each, and unticking one makes the grid again
// without it. "Make" closes once the grid of the current choices is made; project(),
// quality() and reportHeading() then hold the result.
class SurveyDialog final : public QDialog
{
    Q_OBJECT
public:
    // pickFile answers the file buttons with a name to open for the filter given (empty when
    // the user cancels).
    using Picker = std::function<QString(const QString& filter)>;
    explicit SurveyDialog(Picker pickFile, QWidget* parent = nullptr);
    ~SurveyDialog() override;

    // Lays the grid out as the project's (its georeference, spacing and size); false, with the
    // reason in the status line, when the project cannot be read or has no georeference.
    bool useGridOf(const QString& projectFile);

    // Reads the file as the boxes say; on a problem the status line says why.
    void loadPoints(const QString& fileName);

    // Whose the project is: the engineer last named, offered again; the name the user typed.
    void setEngineer(const QString& name);
    QString engineer() const;

    const Project& project() const { return m_project; }
    const GridQuality& quality() const { return m_quality; }
    const GridFrame& frame() const { return m_frame; }
    // The coordinate system and datum shift, for the top of the report.
    const QStringList& reportHeading() const { return m_heading; }

    // True while points are read or a grid is made for the choices shown.
    bool isWorking() const;
    // The threads the dialogs' reading and gridding run on.
    static QThreadPool* workers();
    // The thread the current grid was made on; never the window's.
    const QThread* gridMadeOn() const { return m_made ? m_made->madeOn : nullptr; }

signals:
    // The work for the choices shown has ended: done, refused or stopped.
    void workEnded();

protected:
    void done(int result) override;

private:
    void reload();
    void pointsRead();
    void takePoints(PointsMade read);
    void frameChanged();
    void surfaceChanged();
    void startSurface();
    void surfaceMade();
    void stopWork();
    void workState();
    void showStatus();
    void drawPicture();
    void make();
    void finish();
    void suspectsTicked();
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
    QLineEdit* m_projectName;
    QLineEdit* m_engineer;
    QDoubleSpinBox* m_interval;
    QDoubleSpinBox* m_originX;
    QDoubleSpinBox* m_originY;
    QSpinBox* m_rows;
    QSpinBox* m_cols;
    QComboBox* m_method;
    QComboBox* m_boundary;
    QLineEdit* m_breaklines;
    QLabel* m_picture;
    QListWidget* m_suspects;
    QLabel* m_status;
    QProgressBar* m_progress;
    QPushButton* m_cancelWork;
    QPushButton* m_make;

    // The points as read, and what the read said; the surface made from them last.
    PointsMade m_read;
    QString m_readNote;
    std::shared_ptr<const SurfaceMade> m_shown; // drawn, perhaps for earlier choices
    std::optional<SurfaceMade> m_made;          // for the choices shown
    QString m_workProblem;
    QString m_stopped;
    QString m_boundaryFile;
    int m_boundaryIndex = 0;
    bool m_makeWhenDone = false;
    enum class Work { None, Reading, Gridding } m_work = Work::None;
    QFutureWatcher<PointsMade> m_reading;
    QFutureWatcher<SurfaceMade> m_gridding;
    // Boxes typed into start the grid once the typing pauses, not at every digit.
    QTimer m_settle;

    std::optional<GridFrame> m_likeFrame;
    QStringList m_heading;
    GridFrame m_frame;
    Project m_project;
    GridQuality m_quality;
};

} // namespace tervan
