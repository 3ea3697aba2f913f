#include "session/Continuation.h"

#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "equations/BoxChecks.h"
#include "session/Termination.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>

namespace ode {

std::string ConstantLineName(const std::string& line)
{
    const size_t eq = line.find('=');
    if (eq == std::string::npos)
        return {};
    size_t a = 0, b = eq;
    while (a < b && (line[a] == ' ' || line[a] == '\t'))
        ++a;
    while (b > a && (line[b - 1] == ' ' || line[b - 1] == '\t'))
        --b;
    return line.substr(a, b - a);
}

bool ConstantLineSets(const std::string& line, const std::string& name)
{
    const std::string set = ConstantLineName(line);
    if (set.empty() || set.size() != name.size())
        return false;
    for (size_t k = 0; k < name.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(set[k])) != std::tolower(static_cast<unsigned char>(name[k])))
            return false;
    return true;
}

bool AssignSweptConstant(script::ScriptHost& host, const std::vector<std::string>& constants, const std::string& name,
                         double value)
{
    bool ok = host.assignExact(name, value);
    for (size_t k = 0; ok && k < constants.size(); ++k)
        ok = ConstantLineSets(constants[k], name) ? host.assignExact(name, value)
                                                  : host.executeConstants({constants[k]});
    if (ok)
        return true;
    host.trap();
    return false;
}

std::vector<std::pair<std::string, double>> ConstantValues(script::ScriptHost& host,
                                                           const std::vector<std::string>& constants)
{
    script::ScriptHost::QuietScope quiet(host);
    std::vector<std::pair<std::string, double>> values;
    for (const std::string& line : constants) {
        const std::string name = ConstantLineName(line);
        double value = 0;
        if (IsValidName(name) && host.evaluate(name, value))
            values.emplace_back(name, value);
    }
    host.trap();
    return values;
}

void RestoreConstantValues(script::ScriptHost& host, const std::vector<std::pair<std::string, double>>& values)
{
    for (const auto& [name, value] : values)
        host.assignExact(name, value);
}

std::optional<Continuation> LayerParameterSweep(const LayerProbe& probe, const std::vector<std::string>& constants,
                                                script::ScriptHost& host, const Progress& progress)
{
    const std::vector<std::pair<std::string, double>> values = ConstantValues(host, constants);
    script::ScriptHost::QuietScope quiet(host);
    // The coefficient of every variable's highest derivative in every equation, at points across
    // the interval, the variables' values and derivatives set to unremarkable values: the change
    // of the residual as the highest derivative goes from 0.75 to 1.75. Empty where the engine fails.
    constexpr int kPoints = 7;
    auto leading = [&]() {
        std::vector<double> out;
        for (int i = 0; i < kPoints; ++i) {
            if (!host.assignExact(probe.indepVarName, probe.a + (probe.b - probe.a) * (i + 0.5) / kPoints))
                return std::vector<double>{};
            for (size_t j = 0; j < probe.variables.size(); ++j)
                for (size_t k = 0; k < probe.variables[j].size(); ++k)
                    if (!host.assignExact(probe.variables[j][k],
                                          0.6 + 0.15 * static_cast<double>(k) + 0.05 * static_cast<double>(j)))
                        return std::vector<double>{};
            for (const std::string& equation : probe.equations)
                for (const std::vector<std::string>& names : probe.variables) {
                    const std::string& top = names.back();
                    double low = 0, high = 0;
                    if (!host.assignExact(top, 0.75) || !host.evaluate(equation, low) || !host.assignExact(top, 1.75) ||
                        !host.evaluate(equation, high))
                        return std::vector<double>{};
                    out.push_back(high - low);
                }
        }
        return out;
    };
    // The constants run again in order with `name` at `value` give every constant the value it
    // has: what the sweep solves at its end is the problem as it stands (not so where a line
    // uses a constant defined after it, or changes one each time it runs).
    auto reproduces = [&](const std::string& name, double value) {
        if (!AssignSweptConstant(host, constants, name, value))
            return false;
        for (const auto& [other, kept] : values) {
            double now = 0;
            if (!host.evaluate(other, now) || !(now == kept || (std::isnan(now) && std::isnan(kept))))
                return false;
        }
        return true;
    };
    std::optional<Continuation> found;
    const size_t pairs = probe.equations.size() * probe.variables.size();
    for (const auto& [name, value] : values) {
        if (progress.cancelled())
            break;
        if (!(value != 0) || !(std::fabs(value) <= kLargestLayerParameter) ||
            !(std::fabs(value) >= kSmallestLayerParameter) || (found && std::fabs(value) >= std::fabs(found->to)))
            continue;
        const std::vector<double> at = leading();
        const double from = value < 0 ? -1 : 1;
        const bool startRuns = AssignSweptConstant(host, constants, name, from);
        const std::vector<double> doubled =
            AssignSweptConstant(host, constants, name, 2 * value) ? leading() : std::vector<double>{};
        const bool same = reproduces(name, value);
        RestoreConstantValues(host, values);
        if (!startRuns || !same || at.size() != pairs * kPoints || doubled.size() != at.size())
            continue;
        // Some variable's highest derivative in some equation whose coefficient at least doubles
        // at every point.
        bool weighs = false;
        for (size_t p = 0; p < pairs && !weighs; ++p) {
            weighs = true;
            for (int i = 0; i < kPoints && weighs; ++i) {
                const double c = at[static_cast<size_t>(i) * pairs + p],
                             d = doubled[static_cast<size_t>(i) * pairs + p];
                weighs = c != 0 && std::isfinite(c) && std::isfinite(d) && d / c >= 1.99;
            }
        }
        if (!weighs)
            continue;
        Continuation sweep;
        sweep.name = name;
        sweep.from = from;
        sweep.to = value;
        sweep.geometric = true;
        sweep.steps =
            std::clamp(static_cast<int>(std::ceil(-kLayerSweepStepsPerDecade * std::log10(std::fabs(value)) - 1e-9)), 1,
                       kMaxContinuationSteps);
        sweep.toTheEndOnceUnresolved = true;
        found = sweep;
    }
    RestoreConstantValues(host, values);
    host.trap();
    return found;
}

bool LayerSweepStands(bool swept, const std::optional<AccuracyReadout>& readout, bool firstSolved,
                      const std::optional<AccuracyReadout>& firstReadout)
{
    if (!swept || !readout || !readout->sweepReached.empty())
        return false;
    if (readout->verdict == AccuracyReadout::Verdict::Converged)
        return true;
    return readout->verdict == AccuracyReadout::Verdict::NotConverged &&
           (!firstSolved || !firstReadout || readout->estimatedError < firstReadout->estimatedError / 2);
}

std::string LayerSweepLine(const Continuation& sweep, LayerSweepEnd end)
{
    const std::string range = " FROM " + FormatNumber(sweep.from) + " TO " + FormatNumber(sweep.to);
    const std::string swept = "THE LAYER PARAMETER " + sweep.name + " WAS SWEPT" + range;
    switch (end) {
    case LayerSweepEnd::Stands:
        return "NO CONVERGED SOLUTION FROM THE START: " + swept + ", THEN:";
    case LayerSweepEnd::NoBetter:
        return "NO CONVERGED SOLUTION FROM THE START; " + swept +
               " WITHOUT A BETTER ONE, SO THE SOLUTION FROM THE START STANDS. THE SWEEP:";
    case LayerSweepEnd::Stopped:
        break;
    }
    return "NO CONVERGED SOLUTION FROM THE START; THE SWEEP OF THE LAYER PARAMETER " + sweep.name + range +
           " WAS STOPPED BY THE USER, SO THE SOLUTION FROM THE START STANDS";
}

SweepEnd RunContinuation(const Continuation& sweep, script::ScriptHost& host, const ContinuationSteps& steps,
                         std::vector<std::string>& log, const Progress& progress)
{
    log.clear();
    if (!IsValidName(sweep.name) || !CheckContinuationSteps(sweep.steps)) {
        host.report("The continuation needs the name of a constant, the values it goes from and to, and from 1 "
                    "to " +
                    std::to_string(kMaxContinuationSteps) + " steps.");
        return {};
    }
    if (sweep.geometric && !(sweep.from * sweep.to > 0 && std::isfinite(sweep.from / sweep.to))) {
        host.report("A geometric continuation needs two values of the same sign, neither of them 0.");
        return {};
    }
    std::optional<double> good;
    auto assign = [&](double value) { return AssignSweptConstant(host, steps.constants, sweep.name, value); };
    // Stopped: the last step solved stands, with its value of the constant.
    auto stopped = [&]() -> SweepEnd {
        if (!good) {
            log.push_back(StoppedLine());
            return {false, true};
        }
        assign(*good);
        steps.stand();
        log.push_back(StoppedLine("THE SOLUTION AT " + sweep.name + "=" + FormatNumber(*good) + " STANDS"));
        return {true, true};
    };
    // The values go from `from` towards `to` by the planned step; a step that finds no solution
    // is halved and tried again from the last solution, down to a 1024th of the planned step,
    // below which the sweep is taken to have met a turning point (or the end of the solutions).
    // After two steps solved in a row a halved step doubles again, up to the planned one.
    // The steps are taken in a parameter u: the value itself, or for a geometric sweep the
    // logarithm of its size, so that the halving and doubling below need not know which.
    const double sign = sweep.from < 0 ? -1 : 1;
    auto toU = [&](double v) { return sweep.geometric ? std::log(std::fabs(v)) : v; };
    auto fromU = [&](double u) { return sweep.geometric ? sign * std::exp(u) : u; };
    const double uFrom = toU(sweep.from), uTo = toU(sweep.to);
    const double planned = (uTo - uFrom) / sweep.steps;
    double step = planned, value = sweep.from;
    int solvedInARow = 0;
    // Once a step has found no solution the sweep is near a difficulty, where a solution met
    // only to the steps' loose bounds may be none: every later step is solved to the full ones.
    bool careful = false;
    std::optional<double> before; // the value solved before `good`
    const int most = 4 * sweep.steps + 64; // steps tried, halved ones included
    // The value a step of `length` from `from` goes to: the end when that is within the step (or
    // the step is below the rounding of the value, which it would not move).
    auto stepFrom = [&](double from, double length) {
        const double u = toU(from), next = fromU(u + length);
        return std::fabs(uTo - u) <= std::fabs(length) * 1.000001 || next == from ? sweep.to : next;
    };
    for (int k = 0;; ++k) {
        if (progress.cancelled())
            return stopped();
        const bool last = value == sweep.to, full = last || careful;
        // From the second step on, the start is the secant through the last two solutions.
        if (good && before && *good != *before && steps.extrapolate) {
            const double w = (toU(value) - toU(*good)) / (toU(*good) - toU(*before));
            if (std::isfinite(w))
                steps.extrapolate(w);
        }
        // (A sweep from a value to itself has no length: its one step is the last.)
        const int shown =
            planned == 0 ? sweep.steps
                         : std::min(sweep.steps, static_cast<int>(std::lround((toU(value) - uFrom) / planned)));
        const bool solved = assign(value) && steps.solve(k == 0, full, progress.atStep(shown, sweep.steps));
        log.push_back("STEP " + std::to_string(k) + ": " + sweep.name + "=" + FormatNumber(value) +
                      (solved                 ? ""
                       : progress.cancelled() ? ": STOPPED"
                                              : ": NO SOLUTION"));
        for (const std::string& line : steps.passes())
            log.push_back("  " + line);
        if (!solved && progress.cancelled())
            return stopped();
        if (!solved) {
            if (!good) {
                log.push_back("CONTINUATION STOPPED AT ITS FIRST VALUE");
                return {};
            }
            steps.restore();
            careful = true;
            if (std::fabs(step) > std::fabs(planned) / 1024 && k + 1 < most) {
                step /= 2;
                solvedInARow = 0;
                value = stepFrom(*good, step);
                log.push_back("THE STEP IS HALVED");
                continue;
            }
            // The last value solved is solved again to the full bounds (the steps on the way are
            // solved only as closely as the next one needs).
            const bool back = assign(*good) && steps.solve(false, true, progress);
            log.push_back("CONTINUATION CANNOT PASS " + sweep.name + "=" + FormatNumber(*good) +
                          ": A TURNING POINT, OR NO SOLUTION BEYOND IT");
            log.push_back("CONTINUATION STOPPED; THE SOLUTION AT " + sweep.name + "=" + FormatNumber(*good) +
                          " STANDS");
            return {back, false, true, *good};
        }
        before = good;
        good = value;
        steps.keep();
        if (last)
            break;
        if (++solvedInARow >= 2 && std::fabs(step) < std::fabs(planned)) {
            step *= 2;
            solvedInARow = 0;
        }
        // The next value, never past the end (nor short of it by a sliver of a step); a sweep
        // that has taken as many steps as it may goes to its end at once, and so does one whose
        // step its degree could not resolve where it asks for that.
        const bool unresolved = sweep.toTheEndOnceUnresolved && steps.unresolved && steps.unresolved();
        value = k + 1 < most && !unresolved ? stepFrom(value, step) : sweep.to;
    }
    log.push_back("CONTINUATION ENDED AT " + sweep.name + "=" + FormatNumber(sweep.to));
    return {true, false};
}

} // namespace ode
