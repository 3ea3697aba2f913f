#pragma once
// The demos library: ready problems of every kind, each a problem pair in the examples folder
// with one line of description in its index, demos.txt ("NAME<tab>DESCRIPTION" a line, in the
// order they are offered, and optionally a third field of settings the demo opens with:
// "start=N", the nonlinear kinds' initial approximation, "points=chebyshev", the accurate
// method, and "degree=auto", its automatic degree). The kind of each demo is its problem file's
// magic word.

#include "common/ProblemKind.h"

#include <string>
#include <vector>

namespace ode {

struct Demo {
    std::string name;
    ProblemKind kind = ProblemKind::LinearPower;
    std::string description;
    std::string path; // the pair's series file; the problem file is path + ".str"
    // The settings it opens with: the initial approximation's number (-1: the form's own
    // choice), the accurate method and its automatic degree.
    int start = -1;
    bool chebyshev = false;
    bool autoDegree = false;
};

struct DemoLibrary {
    std::string folder; // empty when no library was found
    std::vector<Demo> demos;
    std::vector<std::string> problems; // index lines or pairs that could not be used, and why
};

// The index's name inside the examples folder.
inline constexpr const char* kDemoIndexName = "demos.txt";

// The examples folder: $ODESERIES_EXAMPLES when set, else the first of PROGRAM/examples,
// PROGRAM/../share/odeseries/examples and the source tree's examples (a program run from its
// build folder) that holds an index. Empty when none does.
std::string FindDemoFolder(const std::string& programFolder);

// Reads the index of `folder`. A line naming a pair that is missing, unreadable or of no
// known kind is left out and reported in `problems`; a missing index gives an empty library
// with its reason.
DemoLibrary LoadDemoLibrary(const std::string& folder);

// The demo called `name` (exactly), or nullptr.
const Demo* FindDemo(const DemoLibrary& library, const std::string& name);

// "NAME<tab>MAGIC<tab>DESCRIPTION", as `odeseries examples` lists a demo.
std::string DemoListLine(const Demo& demo);

// The kind in a few words, for the demos chooser ("Linear, power series" ... "Nonlinear system").
const char* DemoKindCaption(ProblemKind kind);

} // namespace ode
