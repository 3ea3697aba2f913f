#pragma once
// Watching and stopping a long solve. A `Progress` is what a solver's long loops are given:
// they tell it what they are doing (the degree being solved, the Newton pass, the continuation
// step, how much of an elimination is done) and ask it whether the caller wants them to stop.
//
// The caller keeps the cancel flag, an std::atomic<bool> it may set from another thread or from
// a signal handler (a lock-free atomic store is safe there); the solver only reads it, between
// elimination blocks, collocation rows and passes, so a stop request is seen within a fraction
// of a second. The callback runs on the solving thread, after each step of each loop; it must
// be quick, and it may itself set the flag.
//
// A default-made Progress has neither: nothing is reported and nothing is ever cancelled, at the
// cost of one pointer test per check.

#include <atomic>
#include <functional>
#include <string>

namespace ode {

// What a solve is doing when it reports. Each field is the innermost loop's business; the loops
// around it keep theirs, so a report inside a continuation step's automatic degree's Newton pass
// carries all three.
struct ProgressInfo {
    int degree = 0;       // the degree being solved, 0 when the solve has no automatic degree
    int pass = 0;         // the Newton pass under way (1, 2 ...), 0 outside a Newton iteration
    int step = 0;         // the continuation step under way (0 ... steps), with
    int steps = 0;        // the continuation's number of steps, 0 outside a continuation
    double fraction = -1; // how much of the elimination under way is done (0 to 1), -1 when none is
};

using ProgressCallback = std::function<void(const ProgressInfo&)>;

// What a solve is doing, in words: "solving, step 2 of 5, degree 200, pass 3, elimination 40%"
// (the parts a report has). The terminal's progress line and the window's say it alike.
inline std::string ProgressLine(const ProgressInfo& info)
{
    std::string line = "solving";
    if (info.steps > 0)
        line += ", step " + std::to_string(info.step) + " of " + std::to_string(info.steps);
    if (info.degree > 0)
        line += ", degree " + std::to_string(info.degree);
    if (info.pass > 0)
        line += ", pass " + std::to_string(info.pass);
    if (info.fraction >= 0)
        line += ", elimination " + std::to_string(static_cast<int>(info.fraction * 100)) + "%";
    return line;
}

class Progress {
public:
    Progress() = default;
    // Neither pointer is owned; both must outlive every solve that is given this Progress.
    Progress(const std::atomic<bool>* cancel, const ProgressCallback* report) : m_cancel(cancel), m_report(report) {}

    // True once the caller has asked the solve to stop.
    bool cancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed); }

    // A copy for the loop inside: the same flag and callback, with the loop's own field set;
    // the new state is reported at once.
    Progress atDegree(int degree) const;
    Progress atPass(int pass) const;
    Progress atStep(int step, int steps) const;
    // Reports how much of the elimination under way is done.
    void eliminated(double fraction) const;

    const ProgressInfo& info() const { return m_info; }

private:
    void report(const ProgressInfo& info) const
    {
        if (m_report && *m_report)
            (*m_report)(info);
    }

    const std::atomic<bool>* m_cancel = nullptr;
    const ProgressCallback* m_report = nullptr;
    ProgressInfo m_info;
};

inline Progress Progress::atDegree(int degree) const
{
    Progress p = *this;
    p.m_info.degree = degree;
    p.m_info.pass = 0;
    p.m_info.fraction = -1;
    p.report(p.m_info);
    return p;
}

inline Progress Progress::atPass(int pass) const
{
    Progress p = *this;
    p.m_info.pass = pass;
    p.m_info.fraction = -1;
    p.report(p.m_info);
    return p;
}

inline Progress Progress::atStep(int step, int steps) const
{
    Progress p = *this;
    p.m_info.step = step;
    p.m_info.steps = steps;
    p.m_info.degree = 0;
    p.m_info.pass = 0;
    p.m_info.fraction = -1;
    p.report(p.m_info);
    return p;
}

inline void Progress::eliminated(double fraction) const
{
    if (!m_report)
        return;
    ProgressInfo info = m_info;
    info.fraction = fraction;
    report(info);
}

} // namespace ode
