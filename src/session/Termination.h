#pragma once
// How a solve ended: the one reason every solver states, with the fault that ended it.

#include "script/ScriptErrors.h"

#include <string>

namespace ode {

enum class Termination {
    Solved,            // a solution stands
    LinearlyDependent, // the elimination found no pivot in a column
    Inconsistent,      // a zero row with a non-zero right-hand side
    NoConvergence,     // the Newton iteration used its passes; the best result is listed
    ScriptError,       // the engine failed on a text (the error says which and where)
    ArithmeticFault,   // overflow or division by zero in the solver's own arithmetic
    Refused,           // the inputs were refused before anything was solved
    Cancelled,         // the caller asked the solve to stop; the best found so far is kept
};

// The enum's name, for diagnostics and test output ("Solved", "NoConvergence" ...).
const char* TerminationName(Termination t);

// The one line a stopped solve shows: "STOPPED BY THE USER: " and what stands, such as "THE
// BEST SOLUTION FOUND SO FAR (DEGREE 512) IS SHOWN"; without it, "NO SOLUTION WAS FOUND YET".
std::string StoppedLine(const std::string& whatStands = {});

// A solver's ending: the reason, and for ScriptError and ArithmeticFault the error (number,
// description and, for the engine's errors, the line and column in the text).
struct SolveEnd {
    Termination termination = Termination::Refused;
    script::ScriptError error;
    bool solved() const { return termination == Termination::Solved; }
};

} // namespace ode
