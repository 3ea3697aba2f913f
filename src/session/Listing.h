#pragma once
// The lines every kind's lists and printed reports share, written from numbers: the heads of the
// coefficients' list, the coefficients' list, a number as a report prints it, and the Newton
// iteration's settings in a report.

#include "session/SolveReport.h"

#include <string>
#include <vector>

namespace ode {

// The heading of the coefficients in a kind's list: "EXPANSION COEFFICIENTS:", or the Newton
// iteration's "COEFFICIENTS:   ( LAST CORRECTION: )" (its trigonometric columns for that series).
std::string ListHeading(ListStyle style);

// What the coefficients' list says before the coefficients, or instead of them, for a solve that
// ended in `termination`: "NO CONVERGENCE.  BEST RESULTS WERE:" or the Newton iteration's stopped
// line (NewtonStoppedLine); a singular system's line ("ENCOUNTERED LINEARLY DEPENDENT SYSTEM", a
// system's "YIELDS INCONSISTENT SYSTEM") or the stopped line of a linear solve; nothing otherwise.
std::vector<std::string> ListEndLines(ListStyle style, Termination termination, int shownPass = 0);

// The line of a stopped Newton iteration: "STOPPED BY THE USER: THE BEST ITERATE SO FAR (PASS 3)
// IS SHOWN", or, when no pass had finished, that no solution was found yet.
std::string NewtonStoppedLine(int shownPass);

// The first line of the coefficients' list of the solution a report holds (one opened from a file
// is listed as an expansion).
std::string OutcomeLine(const SolveReport& report);

// The heading and one line name(k)=value per coefficient.
std::vector<std::string> CoefficientLines(const std::string& depVarName, const std::vector<double>& coef);

// A number as a printed report item: FormatSigned and one blank.
std::string PrintedNumber(double x);

// The Newton iteration's report lines, as the nonlinear kinds print them: the two error
// bounds, the iteration limit, the interval and the centre.
void AppendNewtonReportLines(double errorBoundDE, double errorBoundCoef, int maxIterations, double xlower,
                             double xupper, double xcenter, std::vector<std::string>& lines);

} // namespace ode
