#pragma once
// The evaluators the code exports write beside a solution's coefficients: the same operations in
// the same order as the program's Evaluate, in each language. They are kept as files of their own
// language in output/evaluators (checked there by that language's tools) and built into the
// program from them, byte for byte.

namespace ode::evaluators {

extern const char* const kPython;        // evaluators.py: import math, _power, _trig, _chebyshev
extern const char* const kCDeclarations; // declarations.c: the maths functions the C evaluators call
extern const char* const kCPower;        // power.c: power_series
extern const char* const kCTrig;         // trig.c: trig_series
extern const char* const kCChebyshev;    // chebyshev.c: chebyshev_series
extern const char* const kOctave;        // evaluators.m: power_series, trig_series, chebyshev_series

} // namespace ode::evaluators
