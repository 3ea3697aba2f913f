#include "session/SolveReport.h"

#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "series/PowerForm.h"

#include <cmath>

namespace ode {

namespace {

std::string VerdictLine(const AccuracyReadout& r)
{
    // "DEGREE 32", or for a trigonometric series "33 TERMS".
    auto size = [&r](int degree) {
        return r.terms ? std::to_string(degree + 1) + " TERMS" : "DEGREE " + std::to_string(degree);
    };
    const std::string error = ": ESTIMATED ERROR " + FormatNumber(r.estimatedError);
    if (!r.sweepReached.empty())
        return "NOT CONVERGED: THE CONTINUATION STOPPED AT " + r.sweepReached + " SHORT OF " + r.sweepEnd +
               "; THE SOLUTION THERE (" + size(r.degree) + ") HAS ESTIMATED ERROR " + FormatNumber(r.estimatedError);
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

} // namespace

std::string ReadoutLine(const AccuracyReadout& r)
{
    const std::string line = VerdictLine(r);
    return r.notUnique
               ? line + "; THE CONDITIONS DO NOT FIX THE SOLUTION TO WORKING PRECISION: THE ONE WITH THE SMALLEST "
                        "COEFFICIENTS IS SHOWN"
               : line;
}

std::optional<GridCheck> CheckBetweenGridPoints(double a, double b, int intervals, bool powerSeries, bool system,
                                                const std::function<bool(double, double&, double&)>& termsAt)
{
    if (intervals < 1 || !(b > a))
        return std::nullopt;
    GridCheck check;
    check.powerSeries = powerSeries;
    check.system = system;
    for (int i = 0; i < intervals; ++i) {
        double residual = 0, terms = 0;
        if (!termsAt(a + (i + 0.5) * (b - a) / intervals, residual, terms))
            return std::nullopt;
        check.residual = std::fmax(check.residual, std::fabs(residual));
        check.terms = std::fmax(check.terms, terms);
        ++check.points;
    }
    return check;
}

std::string GridCheckLine(const GridCheck& c)
{
    std::string line = std::string(c.opened ? "THE SERIES OPENED MEETS " : "") +
                       (c.opened ? std::string(c.system ? "THE EQUATIONS BETWEEN THE GRID POINTS TO "
                                                        : "THE EQUATION BETWEEN THE GRID POINTS TO ")
                                 : std::string(c.system ? "BETWEEN THE GRID POINTS THE EQUATIONS ARE MET TO "
                                                        : "BETWEEN THE GRID POINTS THE EQUATION IS MET TO ")) +
                       FormatNumber(RoundToSignificant(c.relative(), 2)) + (c.system ? " OF THEIR TERMS" : " OF ITS TERMS");
    if (!(c.relative() <= kGridCheckSuggestion))
        line += c.opened ? (c.powerSeries ? "; SOLVING AGAIN WITH CHEBYSHEV POINTS MAY DO BETTER"
                                          : "; SOLVING AGAIN WITH MORE TERMS MAY DO BETTER")
                         : (c.powerSeries ? "; CHEBYSHEV POINTS MAY DO BETTER" : "; MORE TERMS MAY DO BETTER");
    return line;
}

std::string OutsideIntervalLine(const std::string& indepVarName, double x, double a, double b)
{
    if (x >= a && x <= b)
        return {};
    return indepVarName + "=" + FormatNumber(x) + " IS OUTSIDE THE INTERVAL [" + FormatNumber(a) + "," +
           FormatNumber(b) + "]: THE SERIES IS NOT THE SOLUTION THERE";
}

std::string PowerSeriesLine(const PowerSeriesReadout& r)
{
    const std::string radius = std::isnan(r.radius)   ? std::string("UNKNOWN")
                               : std::isinf(r.radius) ? std::string("UNBOUNDED")
                                                      : std::string(r.radiusAtLeast ? "ABOVE " : "ABOUT ") +
                                                            FormatNumber(RoundToSignificant(r.radius, 2));
    std::string line = "POWER SERIES ABOUT " + FormatNumber(r.centre) + ": RADIUS OF CONVERGENCE " + radius +
                       "; ON THE INTERVAL IT IS ACCURATE TO " + FormatNumber(RoundToSignificant(r.accuracy, 2));
    if (!(r.accuracy <= r.tolerance)) {
        line += ", NOT TO THE TOLERANCE";
        if (r.cut >= 0)
            line += "; CUT AT DEGREE " + std::to_string(r.cut);
        line += ": EVALUATE AND THE PLOT USE THE CHEBYSHEV SERIES";
    }
    return line;
}

PowerSeriesReadout PowerSeriesReadoutOf(const std::vector<ChebyshevSeries>& series, double centre, double tolerance)
{
    PowerSeriesReadout r;
    r.centre = centre;
    r.tolerance = tolerance;
    r.radius = INFINITY;
    bool unknown = false; // for one variable, so for the system
    for (const ChebyshevSeries& s : series) {
        const PowerForm f = StablePowerForm(s, centre);
        r.accuracy = std::fmax(r.accuracy, f.accuracy);
        if (f.cut >= 0 && (r.cut < 0 || f.cut < r.cut))
            r.cut = f.cut;
        unknown = unknown || std::isnan(f.radius);
        if (f.radius < r.radius) {
            r.radius = f.radius;
            r.radiusAtLeast = f.radiusAtLeast;
        }
    }
    if (unknown) {
        r.radius = NAN;
        r.radiusAtLeast = false;
    }
    return r;
}

} // namespace ode
