#include "graphics/backgroundredraw.h"

#include "graphics/imagesurface.h"
#include "graphics/redraw.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tervan {

struct BackgroundRedraw::Job
{
    Project project;
    NodeLabels labels;
    QImage image;
    RedrawProgress progress;
    std::mutex mutex;
    std::condition_variable doneChanged;
    bool done = false;
    bool delivered = false;

    void run()
    {
        {
            ImageSurface surface(image);
            Redraw(surface, project, labels, &progress);
        }
        const std::lock_guard lock(mutex);
        done = true;
        doneChanged.notify_all();
    }
};

BackgroundRedraw::BackgroundRedraw(QObject* parent) : QObject(parent) {}

BackgroundRedraw::~BackgroundRedraw()
{
    for (auto& [job, thread] : m_threads) {
        job->progress.cancelled = true;
        thread.join();
    }
}

void BackgroundRedraw::start(const Project& p, const NodeLabels& labels, QSize size, qreal ratio)
{
    cancel();
    reapStopped();
    auto job = std::make_shared<Job>();
    job->project = p;
    job->labels = labels;
    job->image = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    job->image.setDevicePixelRatio(ratio);
    m_newest = job;
    m_threads.emplace_back(job, std::thread([this, job] {
                               job->run();
                               QMetaObject::invokeMethod(
                                   this, [this, job] { deliver(job); }, Qt::QueuedConnection);
                           }));
}

void BackgroundRedraw::cancel()
{
    if (m_newest)
        m_newest->progress.cancelled = true;
    m_newest.reset();
}

bool BackgroundRedraw::running() const
{
    return m_newest != nullptr;
}

int BackgroundRedraw::permille() const
{
    return m_newest ? m_newest->progress.permille.load() : 0;
}

bool BackgroundRedraw::wait(int ms)
{
    const std::shared_ptr<Job> job = m_newest;
    if (!job)
        return true;
    {
        std::unique_lock lock(job->mutex);
        const auto done = [&job] { return job->done; };
        if (ms < 0)
            job->doneChanged.wait(lock, done);
        else if (!job->doneChanged.wait_for(lock, std::chrono::milliseconds(ms), done))
            return false;
    }
    deliver(job);
    return true;
}

void BackgroundRedraw::deliver(const std::shared_ptr<Job>& job)
{
    reapStopped();
    if (job != m_newest || job->delivered)
        return;
    job->delivered = true;
    m_newest.reset();
    emit finished(job->image, job->project);
}

// Threads whose drawing has ended are joined; a join never waits for a running drawing.
void BackgroundRedraw::reapStopped()
{
    std::erase_if(m_threads, [](auto& entry) {
        {
            const std::lock_guard lock(entry.first->mutex);
            if (!entry.first->done)
                return false;
        }
        entry.second.join();
        return true;
    });
}

} // namespace tervan
