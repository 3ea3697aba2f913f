#include "session/Continuation.h"

#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "equations/BoxChecks.h"
#include "session/Termination.h"

#include <optional>

namespace ode {

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
    std::optional<double> good;
    auto assign = [&](double value) {
        if (host.assignExact(sweep.name, value))
            return true;
        host.trap();
        return false;
    };
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
    for (int k = 0; k <= sweep.steps; ++k) {
        if (progress.cancelled())
            return stopped();
        const double value = k == sweep.steps ? sweep.to : sweep.from + (sweep.to - sweep.from) * k / sweep.steps;
        const bool solved = assign(value) && steps.solve(k == 0, progress.atStep(k, sweep.steps));
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
            const bool back = assign(*good) && steps.solve(false, progress);
            log.push_back("CONTINUATION STOPPED; THE SOLUTION AT " + sweep.name + "=" + FormatNumber(*good) +
                          " STANDS");
            return {back, false};
        }
        good = value;
        steps.keep();
    }
    log.push_back("CONTINUATION ENDED AT " + sweep.name + "=" + FormatNumber(sweep.to));
    return {true, false};
}

} // namespace ode
