#pragma once
// The names each language keeps for itself, as the tools that run the code exports know them:
// keywords, built-ins and library names. Space-separated and sorted; generated into
// ReservedNames.cpp by scripts/reserved-names.

namespace ode::reserved {

// Python's keywords, soft keywords and built-in names.
extern const char* const kPython;
// The keywords of C and C++, every function and macro of the ISO C headers, gcc's built-in
// functions and predefined macros.
extern const char* const kC;
// Octave's keywords and every function a NAME.m file would shadow.
extern const char* const kOctave;

} // namespace ode::reserved
