#pragma once
// The window library, loaded only when a command needs it (the windows, a plot picture), so
// that the command line starts without the window system.

#include <string>

namespace ode::cli {

// The address of `symbol` in the window library beside the program, or nullptr with the
// reason in `error`.
void* WindowLibrarySymbol(const char* symbol, std::string& error);

// The window library's file: beside the program, or in ../lib/odeseries where a package puts it.
std::string WindowLibraryPath();

// Where the running program is (its folder); `argv0` serves where the system cannot tell.
void SetProgramPath(const char* argv0);

// The running program's folder.
std::string ProgramFolder();

} // namespace ode::cli
