#pragma once

#include "graphics/gridplot.h"
#include "project/project.h"

#include <QImage>
#include <QObject>
#include <memory>
#include <thread>
#include <vector>

namespace tervan {

// Draws the picture of a project on a worker thread, into an image of its own, so the window
// stays responsive on pictures that take seconds. Only the newest drawing counts: starting
// another (or cancel()) tells the older one to stop at its next contour level and drops its
// picture. The finished picture arrives through `finished` on this object's thread, with the
// project as the drawing left it (dot counts, ContourLevel).
class BackgroundRedraw final : public QObject
{
    Q_OBJECT
public:
    explicit BackgroundRedraw(QObject* parent = nullptr);
    // Stops every drawing and waits for the threads.
    ~BackgroundRedraw() override;

    // `size` in device pixels; `ratio` is the screen's device pixel ratio (see ImageSurface).
    void start(const Project& p, const NodeLabels& labels, QSize size, qreal ratio = 1);
    void cancel();
    bool running() const;
    // Per mille of the newest drawing's contour levels.
    int permille() const;
    // Waits up to `ms` milliseconds (forever when negative) for the newest drawing and
    // delivers it at once when it finished in time.
    bool wait(int ms = -1);

signals:
    void finished(const QImage& image, const tervan::Project& drawn);

private:
    struct Job;
    void deliver(const std::shared_ptr<Job>& job);
    void reapStopped();

    std::shared_ptr<Job> m_newest;
    std::vector<std::pair<std::shared_ptr<Job>, std::thread>> m_threads;
};

} // namespace tervan
