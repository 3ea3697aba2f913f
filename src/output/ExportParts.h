#pragma once
// The pieces every export's text is made of: exact numbers, the line describing a series, the
// problem's lines for a comment, and lists of numbers. Used by the data exports (Exports.cpp)
// and the code exports (CodeExports.cpp).

#include "output/Solution.h"

#include <string>
#include <vector>

namespace ode::exportparts {

// Every number a code export or CSV holds: the shortest text that reads back exactly.
std::string Exact(double v);
// "y(x) on [a, b]: power series of degree N about C, ... collocation".
std::string Describe(const Solution& s, const SolvedVariable& v);
// The equations, conditions and constants, one a line, each after `prefix`.
std::string ProblemLines(const Solution& s, const std::string& prefix);
// The numbers exactly, `perLine` a line after `indent`, separated by commas.
std::string List(const std::vector<double>& values, size_t perLine, const std::string& indent);

} // namespace ode::exportparts
