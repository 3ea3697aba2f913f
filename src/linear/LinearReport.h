#pragma once
// The printed report of a single linear problem, as a list of lines in a fixed-pitch font.
// Items on a line follow each other directly; numbers are printed as FormatSigned gives
// them followed by one blank; texts from the boxes are printed unchanged.

#include "linear/LinearProblem.h"
#include "session/Listing.h"
#include "single/SingleReport.h"

#include <string>
#include <vector>

namespace ode {

// `in`: the inputs of the last reading (order, degree, interval, centre, period, names);
// `boxes`: the equation, conditions, points and constants as they stand. Without a solution
// the coefficient heading is followed by "(NOT SOLVED)".
std::vector<std::string> LinearReportLines(const SingleInputs& in, const SingleTexts& boxes, bool solved,
                                           const std::vector<double>& coef);

} // namespace ode
