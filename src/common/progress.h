#pragma once

#include <atomic>
#include <functional>

namespace tervan {

// What a long job (drawing, tracing, printing, gridding, exporting, designing) shares with
// whoever waits for it: how far it got and whether it should stop. The job reports the share
// done and reads cancelled() between its steps; any thread may cancel or read the share.
class Progress
{
public:
    // `heard` (on the job's thread) hears each share reported; `stopWhen`, asked by
    // cancelled(), lets a caller with a cancel of its own (a promise, say) stop the job too.
    explicit Progress(std::function<void(double)> heard = {}, std::function<bool()> stopWhen = {})
        : m_heard(std::move(heard)), m_stopWhen(std::move(stopWhen))
    {
    }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void cancel() { m_cancelled.store(true, std::memory_order_relaxed); }
    bool cancelled() const
    {
        return m_cancelled.load(std::memory_order_relaxed) || (m_stopWhen && m_stopWhen());
    }

    // The share done, from 0 to 1; kept in thousandths.
    void report(double share)
    {
        const int permille = share <= 0 ? 0 : share >= 1 ? 1000 : int(share * 1000);
        if (m_permille.exchange(permille, std::memory_order_relaxed) != permille && m_heard)
            m_heard(permille / 1000.0);
    }
    int permille() const { return m_permille.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> m_cancelled{false};
    std::atomic<int> m_permille{0};
    std::function<void(double)> m_heard;
    std::function<bool()> m_stopWhen;
};

// A step of a longer job: its own share from 0 to 1 is reported as [from, to] of the whole.
// Null-safe: a job given no progress gets none.
class ProgressStep
{
public:
    ProgressStep(Progress* whole, double from, double to) : m_whole(whole), m_from(from), m_to(to)
    {
    }
    void report(double share) const
    {
        if (m_whole)
            m_whole->report(m_from + share * (m_to - m_from));
    }
    bool cancelled() const { return m_whole && m_whole->cancelled(); }

private:
    Progress* m_whole;
    double m_from, m_to;
};

// For a job that may be given no progress at all.
inline bool cancelled(const Progress* progress)
{
    return progress && progress->cancelled();
}
inline void report(Progress* progress, double share)
{
    if (progress)
        progress->report(share);
}

} // namespace tervan
