#include "session/Continuation.h"

#include "common/NumberFormat.h"
#include "equations/BoxChecks.h"

#include <optional>

namespace ode {

bool RunContinuation(const Continuation& sweep, script::ScriptHost& host, const ContinuationSteps& steps,
                     std::vector<std::string>& log)
{
    log.clear();
    if (!IsValidName(sweep.name) || sweep.steps < 1 || sweep.steps > 1000) {
        host.report("The continuation needs the name of a constant, the values it goes from and to, and from 1 "
                    "to 1000 steps.");
        return false;
    }
    std::optional<double> good;
    auto stepAt = [&](double value, bool first) {
        if (!host.assignExact(sweep.name, value)) {
            host.trap();
            return false;
        }
        return steps.solve(first);
    };
    for (int k = 0; k <= sweep.steps; ++k) {
        const double value = k == sweep.steps ? sweep.to : sweep.from + (sweep.to - sweep.from) * k / sweep.steps;
        const bool solved = stepAt(value, k == 0);
        log.push_back("STEP " + std::to_string(k) + ": " + sweep.name + "=" + FormatNumber(value) +
                      (solved ? "" : ": NO SOLUTION"));
        for (const std::string& line : steps.passes())
            log.push_back("  " + line);
        if (!solved) {
            if (!good) {
                log.push_back("CONTINUATION STOPPED AT ITS FIRST VALUE");
                return false;
            }
            steps.restore();
            const bool back = stepAt(*good, false);
            log.push_back("CONTINUATION STOPPED; THE SOLUTION AT " + sweep.name + "=" + FormatNumber(*good) +
                          " STANDS");
            return back;
        }
        good = value;
        steps.keep();
    }
    log.push_back("CONTINUATION ENDED AT " + sweep.name + "=" + FormatNumber(sweep.to));
    return true;
}

} // namespace ode
