#pragma once
// Continuation: a user constant swept from one value to another in steps, each solve starting
// from the last one's solution, so a hard problem is reached from an easy one. The constant
// is set after the user constants have run. When a step finds no solution the last value
// solved is solved again (from its own solution: a pass or two) and that solution stands.

#include "script/ScriptHost.h"

#include <functional>
#include <string>
#include <vector>

namespace ode {

struct Continuation {
    std::string name;
    double from = 0, to = 0;
    int steps = 0;
    bool active() const { return !name.empty(); }
};

// What a kind does for each step.
struct ContinuationSteps {
    // Clears the results and solves; `first` starts from the chosen approximation, the others
    // from the last solution. True when a solution stands.
    std::function<bool(bool first)> solve;
    // The last step's passes, for the log.
    std::function<std::vector<std::string>()> passes;
    // Keeps the solution that stands as the start of a later solve.
    std::function<void()> keep;
    // Makes the kept solution the start again.
    std::function<void()> restore;
};

// The sweep: true when a solution stands at the end; `log` gets every step with its passes
// and how the sweep ended. A continuation that names no constant or has from 1 to 1000 steps
// not is refused with the message (false, empty log).
bool RunContinuation(const Continuation& sweep, script::ScriptHost& host, const ContinuationSteps& steps,
                     std::vector<std::string>& log);

// The sweep of a session: `solve(first)` solves one step; `solution` is the solution that
// stands after it and `start` the current approximation the next step starts from (the same
// type: one series, or one a variable). The log replaces `passes` when there is one.
template <typename Solution>
bool SweepConstant(const Continuation& sweep, script::ScriptHost& host, std::function<bool(bool first)> solve,
                   const Solution& solution, Solution& start, std::vector<std::string>& passes)
{
    Solution kept;
    ContinuationSteps steps;
    steps.solve = std::move(solve);
    steps.passes = [&] { return passes; };
    steps.keep = [&] { kept = solution; };
    steps.restore = [&] { start = kept; };
    std::vector<std::string> log;
    const bool solved = RunContinuation(sweep, host, steps, log);
    if (!log.empty())
        passes = log;
    return solved;
}

} // namespace ode
