#pragma once
// The lines every kind's lists and printed reports share: the coefficients' list, a number as a
// report prints it, and the Newton iteration's settings in a report.

#include <string>
#include <vector>

namespace ode {

// "EXPANSION COEFFICIENTS:" and one line name(k)=value per coefficient.
std::vector<std::string> CoefficientLines(const std::string& depVarName, const std::vector<double>& coef);

// A number as a printed report item: FormatSigned and one blank.
std::string PrintedNumber(double x);

// The Newton iteration's report lines, as the nonlinear kinds print them: the two error
// bounds, the iteration limit, the interval and the centre.
void AppendNewtonReportLines(double errorBoundDE, double errorBoundCoef, int maxIterations, double xlower,
                             double xupper, double xcenter, std::vector<std::string>& lines);

} // namespace ode
