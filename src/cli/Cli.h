#pragma once
// The command line: `odeseries calc EXPR...` and the options every command shares.

#include <ostream>
#include <string>
#include <vector>

namespace ode::cli {

// Runs the command in `args` (without the program name). Output goes to `out`, messages that
// a form would show in a box go to `err` as "odeseries: MESSAGE".
// Exit status: 0 success, 1 a computation failed, 2 bad usage.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

std::string Usage();

// `odeseries solve FILE [options]` (arguments after "solve").
int Solve(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace ode::cli
