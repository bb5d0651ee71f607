#pragma once

#include "graphics/gridplot.h"
#include "project/project.h"

#include <QObject>
#include <QSize>
#include <optional>

class QLabel;
class QProgressBar;
class QStatusBar;
class QTimer;

namespace tervan {

class BackgroundRedraw;
class PlotWidget;

// Keeps the plot widget's picture in step with the project. A picture already shown for the
// same state is kept; a new one is drawn by a worker from a snapshot of the project, made only
// when the project differs from the last snapshot. Quick pictures are waited for and swap
// in at once; a long one leaves the previous picture up, with progress in the status bar after
// a moment, and gives way to any newer request. When contours cannot be drawn the status bar
// says why. The status bar keeps one height whatever it shows.
class PictureDrawing final : public QObject
{
    Q_OBJECT
public:
    PictureDrawing(Project& project, PlotWidget* plot, QStatusBar* bar, QObject* parent);
    ~PictureDrawing() override;

    void request(const NodeLabels& labels);
    // Drops the picture and stops any drawing.
    void clear();
    bool drawing() const;
    // Blocks until the requested picture is shown.
    void waitForPicture();
    // Sets the project's window to show its picture whole in the plot as it is now, captions
    // included (see fitPicture).
    void fitView();

signals:
    // A finished picture was swapped in.
    void shown();

private:
    struct State
    {
        ProjectSnapshot project;
        NodeLabels labels;
        QSize size;
    };
    bool showsOrDraws(const std::optional<State>& state, const NodeLabels& labels) const;
    void finished(const QImage& image, const ProjectSnapshot& drawn);
    void showProgress();
    void setNotice(const Project& p);

    Project& m_project;
    PlotWidget* m_plot;
    BackgroundRedraw* m_worker;
    QProgressBar* m_progress;
    QLabel* m_notice;
    QTimer* m_progressTimer;
    // The project as last handed to a drawing; states drawn or shown hold this same pointer.
    ProjectSnapshot m_snapshot;
    std::optional<State> m_shown;
    std::optional<State> m_drawing;
};

} // namespace tervan
