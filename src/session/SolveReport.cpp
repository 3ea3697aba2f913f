#include "session/SolveReport.h"

#include "common/NumberFormat.h"

namespace ode {

std::string ReadoutLine(const AccuracyReadout& r)
{
    // "DEGREE 32", or for a trigonometric series "33 TERMS".
    auto size = [&r](int degree) {
        return r.terms ? std::to_string(degree + 1) + " TERMS" : "DEGREE " + std::to_string(degree);
    };
    const std::string error = ": ESTIMATED ERROR " + FormatNumber(r.estimatedError);
    switch (r.verdict) {
    case AccuracyReadout::Verdict::Converged:
        return "CONVERGED AT " + size(r.degree) + error;
    case AccuracyReadout::Verdict::NotConverged:
        if (!r.grown)
            return "NOT CONVERGED AT " + size(r.degree) + error;
        return "NOT CONVERGED BY " + size(r.lastTried) + error + "; THE BEST SOLUTION (" + size(r.degree) + ") IS SHOWN";
    case AccuracyReadout::Verdict::Stopped:
        return StoppedLine("THE BEST SOLUTION FOUND SO FAR (" + size(r.degree) + ") IS SHOWN");
    }
    return {};
}

} // namespace ode
