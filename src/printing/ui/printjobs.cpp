#include "printing/ui/printjobs.h"

#include "common/progress.h"

#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <atomic>

namespace tervan {

namespace {

constexpr int PollMs = 100;

// Passes everything to the real output (every drawing the page surface has, or the device's
// defaults would quietly drop fills and turn text level), counts the pages it finishes and, once
// cancelled, keeps measuring but draws nothing, so that the report runs out quickly. Without a real
// output it only counts: a first run that finds how many pages are due.
class PageCounter final : public PageBackend
{
public:
    PageCounter(PageBackend* output, QSizeF printable, const Progress& progress,
                std::atomic<int>& pages)
        : m_output(output), m_printable(printable), m_progress(progress), m_pages(pages)
    {
    }
    QSizeF printableTwips() const override
    {
        return m_output ? m_output->printableTwips() : m_printable;
    }
    double textWidthTwips(const QFont& font, const QString& text) override
    {
        return m_output ? m_output->textWidthTwips(font, text)
                        : font.pointSizeF() * 10 * text.size();
    }
    double lineHeightTwips(const QFont& font) override
    {
        return m_output ? m_output->lineHeightTwips(font) : font.pointSizeF() * 24;
    }
    void text(QPointF at, const QString& text, const QFont& font, int colour) override
    {
        if (draws())
            m_output->text(at, text, font, colour);
    }
    void line(QPointF from, QPointF to, int colour, int width) override
    {
        if (draws())
            m_output->line(from, to, colour, width);
    }
    void polyline(const std::vector<QPointF>& points, int colour, int width) override
    {
        if (draws())
            m_output->polyline(points, colour, width);
    }
    void rotatedText(QPointF centre, double degrees, const QString& text, const QFont& font,
                     int colour) override
    {
        if (draws())
            m_output->rotatedText(centre, degrees, text, font, colour);
    }
    void fillPolygon(const std::vector<QPointF>& points, QRgb rgb) override
    {
        if (draws())
            m_output->fillPolygon(points, rgb);
    }
    void setPaperA4() override
    {
        if (m_output && !m_progress.cancelled())
            m_output->setPaperA4();
    }
    void setLandscape(bool landscape) override
    {
        if (m_output && !m_progress.cancelled())
            m_output->setLandscape(landscape);
    }
    void beginReport(const QString& title) override
    {
        if (m_output && !m_progress.cancelled())
            m_output->beginReport(title);
    }
    void endDocument() override
    {
        if (m_open)
            ++m_pages;
        m_open = false;
        if (m_output && !m_progress.cancelled())
            m_output->endDocument();
    }
    bool failed() const override { return m_output && m_output->failed(); }
    bool cancelled() const override { return m_progress.cancelled(); }

private:
    bool draws()
    {
        m_open = true;
        return m_output && !m_progress.cancelled();
    }

    PageBackend* m_output;
    QSizeF m_printable;
    const Progress& m_progress;
    std::atomic<int>& m_pages;
    bool m_open = false;
};

} // namespace

struct PrintJobs::Job
{
    std::unique_ptr<PageBackend> output;
    Report report;
    std::atomic<int> due{0};
    std::atomic<int> done{0};
    Progress progress;
    std::atomic<bool> over{false};
    bool printed = false;
    bool gaveUp = false;
    std::unique_ptr<QThread> thread;
};

PrintJobs::PrintJobs(QStatusBar* bar, QObject* parent)
    : QObject(parent), m_timer(new QTimer(this)), m_label(new QLabel(bar)),
      m_cancel(new QPushButton(QStringLiteral("ยกเลิกการพิมพ์"), bar))
{
    m_label->setObjectName(QStringLiteral("lblPrintProgress"));
    m_cancel->setObjectName(QStringLiteral("cmdPrintCancel"));
    m_cancel->setFlat(true);
    bar->addPermanentWidget(m_label);
    bar->addPermanentWidget(m_cancel);
    m_label->hide();
    m_cancel->hide();
    m_timer->setInterval(PollMs);
    connect(m_timer, &QTimer::timeout, this, &PrintJobs::poll);
    connect(m_cancel, &QPushButton::clicked, this, &PrintJobs::cancel);
}

PrintJobs::~PrintJobs()
{
    blockSignals(true);
    cancel();
    wait();
}

void PrintJobs::start(std::unique_ptr<PageBackend> output, Report report, int pages)
{
    auto job = std::make_unique<Job>();
    job->output = std::move(output);
    job->report = std::move(report);
    job->due = pages;
    m_jobs.push_back(std::move(job));
    if (m_jobs.size() == 1)
        launchFront();
    m_label->setText(QStringLiteral("กำลังพิมพ์…"));
    m_label->show();
    m_cancel->show();
    m_timer->start();
}

void PrintJobs::launchFront()
{
    Job& job = *m_jobs.front();
    job.thread.reset(QThread::create([this, &job] { run(job); }));
    job.thread->start();
}

void PrintJobs::run(Job& job)
{
    if (job.due <= 0 && !job.progress.cancelled()) {
        std::atomic<int> pages{0};
        PageCounter counter(nullptr, job.output->printableTwips(), job.progress, pages);
        {
            PageSurface page(counter);
            job.report(page);
        }
        job.due = pages.load();
    }
    if (!job.progress.cancelled()) {
        PageCounter counter(job.output.get(), {}, job.progress, job.done);
        PageSurface page(counter);
        job.report(page);
    }
    // A cancel that comes after the last page is too late to matter.
    job.gaveUp = job.progress.cancelled();
    if (job.gaveUp)
        job.output->abort();
    else
        job.printed = job.output->finish();
    job.over = true;
}

void PrintJobs::cancel()
{
    for (const auto& job : m_jobs)
        job->progress.cancel();
}

std::pair<int, int> PrintJobs::progress() const
{
    if (m_jobs.empty())
        return {0, 0};
    const Job& job = *m_jobs.front();
    return {job.done.load(), job.due.load()};
}

void PrintJobs::poll()
{
    while (!m_jobs.empty() && m_jobs.front()->over) {
        std::unique_ptr<Job> job = std::move(m_jobs.front());
        m_jobs.pop_front();
        job->thread->wait();
        if (!m_jobs.empty())
            launchFront();
        emit finished(*job->output, job->printed, job->gaveUp);
    }
    if (!m_label || !m_cancel)
        return;
    if (m_jobs.empty()) {
        m_timer->stop();
        m_label->hide();
        m_cancel->hide();
        return;
    }
    const auto [done, due] = progress();
    m_label->setText(due > 0 ? QStringLiteral("กำลังพิมพ์ หน้า %1 / %2").arg(done).arg(due)
                             : QStringLiteral("กำลังพิมพ์…"));
}

void PrintJobs::wait()
{
    while (!m_jobs.empty()) {
        m_jobs.front()->thread->wait();
        poll();
    }
}

} // namespace tervan
