#pragma once
// The JSON form of a standing solution, shared by the JSON export and the command line's
// --format json.

#include "output/Solution.h"

#include <nlohmann/json.hpp>

#include <string>

namespace ode {

// Every field of the problem and solution; numbers keep every bit (they read back exactly).
nlohmann::ordered_json SolutionJson(const Solution& s);

// The one writer of every JSON text the program gives (the export, --format json): `indent`
// spaces a level (-1: one line). It never fails: bytes that are not UTF-8 become U+FFFD, and no
// control character (C0, DEL, C1) or line separator is left raw, each is a \u escape.
std::string JsonDump(const nlohmann::ordered_json& j, int indent);

} // namespace ode
