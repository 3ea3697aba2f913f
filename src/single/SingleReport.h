#pragma once
// The printed report's head that every single-equation kind shares, in a fixed-pitch font.

#include "session/Listing.h"
#include "single/SingleProblem.h"

#include <string>
#include <vector>

namespace ode {

// The head every single-equation report shares: names, constants, equation and conditions.
std::vector<std::string> ReportHeadLines(const SingleInputs& in, const SingleTexts& boxes);

} // namespace ode
