#pragma once

#include "printing/pagesurface.h"

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <deque>
#include <functional>
#include <memory>

class QStatusBar;
class QTimer;

namespace tervan {

// Print commands' pages laid out and written on a worker, one command after the other, so that
// the window stays usable while they print. The status bar shows the pages done of the pages
// due and a button that cancels every command not finished: a file is then left as it was, a
// print job withdrawn. A report must work on its own copies of what it prints.
class PrintJobs final : public QObject
{
    Q_OBJECT
public:
    using Report = std::function<void(PageSurface&)>;

    PrintJobs(QStatusBar* bar, QObject* parent);
    // Cancels what is still printing and waits for the worker.
    ~PrintJobs() override;

    // Queues `report` for `output`; `pages` is how many pages it prints, 0 to have them counted
    // first by a run that draws nothing.
    void start(std::unique_ptr<PageBackend> output, Report report, int pages = 0);
    bool busy() const { return !m_jobs.empty(); }
    void cancel();
    // Blocks until every queued command has finished and been reported.
    void wait();
    // Pages finished and due of the command printing now.
    std::pair<int, int> progress() const;

signals:
    // A command's output is finished (or given up when cancelled); `printed` is false when
    // it failed. Still on the output's owner, before the output is closed for good.
    void finished(const PageBackend& output, bool printed, bool cancelled);

private:
    struct Job;
    void run(Job& job);
    void poll();
    void launchFront();

    std::deque<std::unique_ptr<Job>> m_jobs;
    QTimer* m_timer;
    // The status bar may go before the jobs do.
    QPointer<QLabel> m_label;
    QPointer<QPushButton> m_cancel;
};

} // namespace tervan
