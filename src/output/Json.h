#pragma once
// The JSON form of a standing solution, shared by the JSON export and the command line's
// --format json.

#include "output/Solution.h"

#include <nlohmann/json.hpp>

namespace ode {

// Every field of the problem and solution; numbers keep every bit (they read back exactly).
nlohmann::ordered_json SolutionJson(const Solution& s);

} // namespace ode
