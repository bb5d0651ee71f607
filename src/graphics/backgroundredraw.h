#pragma once

#include "graphics/redraw.h"
#include "project/project.h"

#include <QImage>
#include <QObject>
#include <QThreadPool>
#include <memory>
#include <vector>

namespace tervan {

// Draws the picture of a project snapshot on a thread pool of its own, into an image of its
// own, so the window stays responsive on pictures that take seconds. The snapshot is shared,
// never copied: the worker reads it while the window goes on changing its own project. Only the
// newest drawing counts: starting another (or cancel()) tells the older one to stop at its next
// contour level and drops its picture. The finished picture arrives through `finished` on this
// object's thread, with the snapshot it shows and what the drawing measured.
class BackgroundRedraw final : public QObject
{
    Q_OBJECT
public:
    explicit BackgroundRedraw(QObject* parent = nullptr);
    // Stops every drawing and waits for them.
    ~BackgroundRedraw() override;

    // `size` in device pixels; `ratio` is the screen's device pixel ratio (see ImageSurface).
    void start(ProjectSnapshot project, const NodeLabels& labels, QSize size, qreal ratio = 1);
    void cancel();
    bool running() const;
    // Per mille of the newest drawing's contour levels.
    int permille() const;
    // Waits up to `ms` milliseconds (forever when negative) for the newest drawing and
    // delivers it at once when it finished in time.
    bool wait(int ms = -1);

signals:
    void finished(const QImage& image, const tervan::ProjectSnapshot& drawn,
                  const tervan::RedrawMeasures& measured);

private:
    struct Job;
    void deliver(const std::shared_ptr<Job>& job);
    void forgetFinished();

    std::shared_ptr<Job> m_newest;
    // Drawings not yet finished, the dropped ones included, so they can be told to stop.
    std::vector<std::shared_ptr<Job>> m_jobs;
    QThreadPool m_pool;
};

} // namespace tervan
