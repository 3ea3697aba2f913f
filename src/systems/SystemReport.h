#pragma once
// The printed report of a system: names, constants, equations, conditions with their points,
// the bounds (nonlinear systems), the interval and centre, and the coefficient lines when
// solved.

#include "systems/NonlinearSystem.h"
#include "systems/SystemProblem.h"

#include <string>
#include <vector>

namespace ode {

// The report's lines for the inputs as read from `boxes`; `coefficientLines` (the form's
// coefficient list) follow a blank line when `solved`.
std::vector<std::string> SystemReportLines(bool nonlinear, const NonlinearSystemInputs& in, const SystemTexts& boxes,
                                           bool solved, const std::vector<std::string>& coefficientLines);

} // namespace ode
