#pragma once
// A single linear equation as its form holds it: the texts of the boxes, and the numbers
// ReadInputs takes from them. Power-series problems ("Pldif") and trigonometric ones
// ("Tldif") share the layout; the trigonometric form adds the period and counts terms instead
// of giving the degree.

#include "single/SingleProblem.h"

#include <optional>
#include <string>
#include <vector>

namespace ode {

// The magic word of a kind's problem file: "Pldif" or "Tldif".
const char* LinearMagic(SeriesKind kind);

// Every check a form applies before and at Solve, for a problem that did not come through the
// boxes (the command line): the first refusal as a message, or nothing when all pass.
std::optional<std::string> CheckLinearTexts(const SingleTexts& texts, SeriesKind kind);

} // namespace ode
