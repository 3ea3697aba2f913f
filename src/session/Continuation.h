#pragma once
// Continuation: a user constant swept from one value to another in steps, each solve starting
// from the last one's solution, so a hard problem is reached from an easy one. At each step the
// user constants run again in their order with the swept one's own line taking the step's value,
// so a constant defined from it (lam=10^(-p)) follows it. The steps are equal, or (geometric)
// equal ratios, for a constant that spans decades. The steps on the way are solved only as closely as
// the next one needs; the last one to the full bounds. A step that finds no solution is halved
// and tried again, and the sweep stops when a step a 1024th of the planned one finds none
// (a turning point, where the solutions fold back): the last value solved is then solved again
// to the full bounds (from its own solution: a pass or two) and that solution stands.
// When the caller stops the sweep, the last step solved stands as that step left it, without
// solving again, and the constant has that step's value.

#include "common/Limits.h"
#include "script/ScriptHost.h"
#include "session/Progress.h"
#include "session/SolveReport.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ode {

struct Continuation {
    std::string name;
    double from = 0, to = 0;
    int steps = 0;
    bool geometric = false; // equal ratios from `from` to `to` (both nonzero, of one sign)
    // Once a step's automatic degree reaches its limit without resolving the step's solution,
    // the next step is the last: a layer parameter's later values only make the layer thinner.
    bool toTheEndOnceUnresolved = false;
    bool active() const { return !name.empty(); }
};

// The name a user constant's line ("name=expression") sets, as written (blanks around it
// dropped); empty without "=".
std::string ConstantLineName(const std::string& line);
// Whether a user constant's line sets `name` (case as the engine ignores it).
bool ConstantLineSets(const std::string& line, const std::string& name);

// The swept constant takes `value` and the user constants run again in their order with its own
// line replaced by the value, so that those defined from it follow. False (the engine trapped)
// when a line fails.
bool AssignSweptConstant(script::ScriptHost& host, const std::vector<std::string>& constants, const std::string& name,
                         double value);

// Where a singularly perturbed problem is looked for: the equations' residual texts, each
// variable's engine names (its value, then each derivative up to its order), the independent
// variable and the interval.
struct LayerProbe {
    std::vector<std::string> equations;
    std::vector<std::vector<std::string>> variables;
    std::string indepVarName;
    double a = -1, b = 1;
};

// The values of the user constants that a line sets ("name=..."), by name, and those values put
// back (the lines may do more than set them: a line that counts, say).
std::vector<std::pair<std::string, double>> ConstantValues(script::ScriptHost& host,
                                                           const std::vector<std::string>& constants);
void RestoreConstantValues(script::ScriptHost& host, const std::vector<std::pair<std::string, double>>& values);

// The sweep the accurate method makes by itself where its automatic degree finds no converged
// solution: in the layer parameter, a user constant from kSmallestLayerParameter to
// kLargestLayerParameter in size that weighs a highest derivative. It does where the
// coefficient of some variable's highest derivative in some equation, sampled across the
// interval, at least doubles wherever the constant is doubled (eps in eps y'' + y y' - y = 0, or
// in eps^2 y'' ...): the layers such a constant makes thin grow wider as it grows, and at 1 the
// problem has none. The sweep is geometric, from the constant's sign times 1 to its value,
// kLayerSweepStepsPerDecade steps a decade, going to its end once a step is beyond its degree
// limit (toTheEndOnceUnresolved). Only a constant whose lines run at 1, and which run again in
// order at its own value give every constant the value it has (the sweep ends on the problem as
// it stands). Where several qualify, the smallest. None where none does, where the engine fails
// on the way, or where `progress` is stopped; the constants have their values again after.
std::optional<Continuation> LayerParameterSweep(const LayerProbe& probe, const std::vector<std::string>& constants,
                                                script::ScriptHost& host, const Progress& progress = {});

// Whether the layer parameter's sweep (solved: `swept`, with `readout`) stands in place of the
// solve before it: where it reached the value and converged there, or where its solution there
// is clearly the better one (the first found none, or its estimate is more than twice as large;
// not one that differs in its rounding).
bool LayerSweepStands(bool swept, const std::optional<AccuracyReadout>& readout, bool firstSolved,
                      const std::optional<AccuracyReadout>& firstReadout);

// The pass list's line before the sweep's steps: where it stands, "NO CONVERGED SOLUTION FROM
// THE START: THE LAYER PARAMETER eps WAS SWEPT FROM 1 TO 0.01, THEN:"; where it does not, that
// the first solution stands again (the sweep's steps follow), or, stopped, that the user
// stopped the sweep (nothing follows).
enum class LayerSweepEnd { Stands, NoBetter, Stopped };
std::string LayerSweepLine(const Continuation& sweep, LayerSweepEnd end);

// What a kind does for each step.
struct ContinuationSteps {
    // Clears the results and solves; `first` starts from the chosen approximation, the others
    // from the last solution; `full` asks for the full bounds (the last step, and every step
    // after one that found no solution), the others may be solved to kContinuationStepBound; `progress` is the step's. True when a solution stands.
    std::function<bool(bool first, bool full, const Progress& progress)> solve;
    // The last step's passes, for the log.
    std::function<std::vector<std::string>()> passes;
    // Keeps the solution that stands (and what the lists show of it) as the start of a later solve.
    std::function<void()> keep;
    // Makes the kept solution the start again.
    std::function<void()> restore;
    // Makes the start the kept solution plus `w` times its change from the one kept before
    // (the secant through the last two steps, for a step `w` times as long as the last one).
    std::function<void(double w)> extrapolate;
    // Shows the kept solution again as its step left it, without solving (the sweep was stopped).
    std::function<void()> stand;
    // The user constants, run again in order at each step (the swept one's line takes the value).
    std::vector<std::string> constants;
    // Whether the step just solved is beyond the automatic degree's limit (its readout NOT
    // CONVERGED there); none where the kind cannot tell.
    std::function<bool()> unresolved;
};

// For the scope of a step on the way, bounds that ask more than kContinuationStepBound are
// raised to it and Newton stops at them without polishing (all put back after); the last step
// keeps them.
class StepBounds {
public:
    StepBounds(bool full, std::initializer_list<double*> bounds, bool& polish) : m_polish(polish), m_polished(polish)
    {
        if (full)
            return;
        polish = false;
        for (double* b : bounds) {
            m_kept.push_back({b, *b});
            *b = std::fmax(*b, kContinuationStepBound);
        }
    }
    ~StepBounds()
    {
        for (const auto& [b, value] : m_kept)
            *b = value;
        m_polish = m_polished;
    }
    StepBounds(const StepBounds&) = delete;
    StepBounds& operator=(const StepBounds&) = delete;

private:
    std::vector<std::pair<double*, double>> m_kept;
    bool& m_polish;
    bool m_polished;
};

// For the scope of a step after the first, Newton gets kPassesFromCoarserDegree passes at most
// (put back after): it starts from the last step's solution, close enough to converge in a few
// passes or not to be trusted, and a step that fails is halved; a hundred passes at degree 400
// that led nowhere took five seconds of a shock's sweep.
class StepPasses {
public:
    StepPasses(bool first, int& passes) : m_passes(passes), m_kept(passes)
    {
        if (!first)
            passes = std::min(passes, kPassesFromCoarserDegree);
    }
    ~StepPasses() { m_passes = m_kept; }
    StepPasses(const StepPasses&) = delete;
    StepPasses& operator=(const StepPasses&) = delete;

private:
    int& m_passes;
    int m_kept;
};

// How a sweep ended.
struct SweepEnd {
    bool solved = false;  // a solution stands
    bool stopped = false; // the caller stopped it: the last step solved, if any, stands
    // The sweep could not pass a value (a turning point, or no solution beyond it): the solution
    // at `reached` stands, short of the end.
    bool shortOfTheEnd = false;
    double reached = 0;
};

// The sweep: `log` gets every step with its passes and how the sweep ended. A continuation
// that names no constant or has not from 1 to kMaxContinuationSteps steps, or a geometric one
// whose ends are 0 or of different signs, is refused with the message (nothing solved, empty log). `progress` is asked
// before each step and given to it.
SweepEnd RunContinuation(const Continuation& sweep, script::ScriptHost& host, const ContinuationSteps& steps,
                         std::vector<std::string>& log, const Progress& progress = {});

// The sweep of a session: `solve(first, full, progress)` solves one step; `kept()` is what stands after
// it (the solution and whatever shows it), `start(k)` makes k's solution the current
// approximation of the next step, `startBeyond(k, before, w)` makes it k's plus w times its
// change from `before`, and `stand(k)` shows k again. The log replaces `passes` when there is one.
template <typename Kept>
SweepEnd SweepConstant(const Continuation& sweep, script::ScriptHost& host, const Progress& progress,
                       const std::vector<std::string>& constants,
                       std::function<bool(bool first, bool full, const Progress&)> solve, std::function<Kept()> kept,
                       std::function<void(const Kept&)> start,
                       std::function<void(const Kept&, const Kept&, double)> startBeyond,
                       std::function<void(const Kept&)> stand, std::vector<std::string>& passes,
                       std::function<bool()> unresolved = {})
{
    Kept last, before;
    int keptSteps = 0;
    ContinuationSteps steps;
    steps.solve = std::move(solve);
    steps.passes = [&] { return passes; };
    steps.keep = [&] {
        before = std::move(last);
        last = kept();
        ++keptSteps;
    };
    steps.restore = [&] { start(last); };
    steps.extrapolate = [&](double w) {
        if (keptSteps >= 2)
            startBeyond(last, before, w);
    };
    steps.stand = [&] { stand(last); };
    steps.constants = constants;
    steps.unresolved = std::move(unresolved);
    std::vector<std::string> log;
    const SweepEnd end = RunContinuation(sweep, host, steps, log, progress);
    if (!log.empty())
        passes = log;
    return end;
}

} // namespace ode
