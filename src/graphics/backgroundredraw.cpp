#include "graphics/backgroundredraw.h"

#include "common/progress.h"
#include "graphics/imagesurface.h"

#include <QThread>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tervan {

struct BackgroundRedraw::Job
{
    ProjectSnapshot project;
    NodeLabels labels;
    QImage image;
    Progress progress;
    RedrawMeasures measured;
    std::mutex mutex;
    std::condition_variable doneChanged;
    bool done = false;
    bool delivered = false;

    void run()
    {
        // A drawing dropped before its turn came draws nothing.
        if (!progress.cancelled()) {
            ImageSurface surface(image);
            measured = Redraw(surface, *project, labels, &progress);
        }
        const std::lock_guard lock(mutex);
        done = true;
        doneChanged.notify_all();
    }

    bool finished()
    {
        const std::lock_guard lock(mutex);
        return done;
    }
};

BackgroundRedraw::BackgroundRedraw(QObject* parent) : QObject(parent)
{
    // A dropped drawing runs on to its next contour level; the newest must not queue behind it.
    m_pool.setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
}

BackgroundRedraw::~BackgroundRedraw()
{
    for (const auto& job : m_jobs)
        job->progress.cancel();
    m_pool.waitForDone();
}

void BackgroundRedraw::start(ProjectSnapshot project, const NodeLabels& labels, QSize size,
                             qreal ratio)
{
    cancel();
    forgetFinished();
    auto job = std::make_shared<Job>();
    job->project = std::move(project);
    job->labels = labels;
    job->image = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    job->image.setDevicePixelRatio(ratio);
    m_newest = job;
    m_jobs.push_back(job);
    m_pool.start([this, job] {
        job->run();
        QMetaObject::invokeMethod(
            this, [this, job] { deliver(job); }, Qt::QueuedConnection);
    });
}

void BackgroundRedraw::cancel()
{
    if (m_newest)
        m_newest->progress.cancel();
    m_newest.reset();
}

bool BackgroundRedraw::running() const
{
    return m_newest != nullptr;
}

int BackgroundRedraw::permille() const
{
    return m_newest ? m_newest->progress.permille() : 0;
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
    forgetFinished();
    if (job != m_newest || job->delivered)
        return;
    job->delivered = true;
    m_newest.reset();
    emit finished(job->image, job->project, job->measured);
}

void BackgroundRedraw::forgetFinished()
{
    std::erase_if(m_jobs, [](const auto& job) { return job->finished(); });
}

} // namespace tervan
