#pragma once
// Where in the problem an expression error lies. The engine says what went wrong ("Syntax
// error", "Type mismatch: 'sinn'") in the text it was given, which for an equation is one of
// its pieces or its translated residual; the user typed the equation. `LocateFault` finds the
// text the user typed that holds the error, and the column there:
// - an error that names a word: the first text holding that word (whole, in any case);
// - any other: the first text that does not parse, at the column where its parsing stops
//   (an equation or condition parsed as its two sides, derivative marks taken as letters).
// The texts are tried in the order a solve reads them: constants, equations, conditions.

#include "script/ScriptErrors.h"

#include <optional>
#include <string>
#include <vector>

namespace ode {

struct TextPlace {
    enum class Kind { Constant, Equation, Condition };
    Kind kind = Kind::Equation;
    int index = 1;      // the constant's, equation's or condition's number, from 1
    bool only = false;  // the one text of its kind ("the equation" rather than "equation 1")
    std::string text;
};

struct PlacedFault {
    TextPlace place;
    int column = 0; // from 1 in the place's text
};

std::optional<PlacedFault> LocateFault(const script::ScriptError& error, const std::vector<TextPlace>& places);

// "In condition 2, at column 5: y'=(1" (a long text cut as Excerpt cuts it).
std::string FaultPlaceLine(const PlacedFault& fault);

} // namespace ode
