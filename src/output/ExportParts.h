#pragma once
// The pieces every export's text is made of: exact numbers, the line describing a series, the
// problem's lines for a comment, and lists of numbers. Used by the data exports (Exports.cpp)
// and the code exports (CodeExports.cpp).

#include "output/Exports.h"
#include "output/Solution.h"

#include <string>
#include <utility>
#include <vector>

namespace ode::exportparts {

// Every number a code export or CSV holds: the shortest text that reads back exactly.
std::string Exact(double v);
// "y(x) on [a, b]: power series of degree N about C, ... collocation", the names in their
// checked form (so the line can stand in any comment).
std::string Describe(const Solution& s, const SolvedVariable& v);
// The equations, conditions and constants as (label, text) pairs: ("equation: ", "y''=-y"),
// ("condition at 0: ", "y=1"), ("constant: ", "a=2").
std::vector<std::pair<std::string, std::string>> ProblemTexts(const Solution& s);
// The same as comment lines of `language`, each after `prefix`: the text as it is where such a
// comment can hold it, else a note that it is left out.
std::string ProblemLines(const Solution& s, const std::string& prefix, ExportKind language);
// The identifiers of the variables' functions in a code export (CodeName), in the variables'
// order; false with the reason when two would be alike or one would be a name the file gives
// its evaluators or tables.
bool CodeIdentifiers(const Solution& s, ExportKind language, std::vector<std::string>& identifiers, std::string& error);
// The numbers exactly, `perLine` a line after `indent`, separated by commas.
std::string List(const std::vector<double>& values, size_t perLine, const std::string& indent);

} // namespace ode::exportparts
