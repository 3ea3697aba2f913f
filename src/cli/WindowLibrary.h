#pragma once
// The window library, loaded only when a command needs it (the windows, a plot picture), so
// that the command line starts without the window system.

#include <string>
#include <vector>

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

// The program's arguments after its name, as UTF-8 (on Windows read from the wide command line,
// since `argv` there holds the ANSI code page's approximation of each one).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// On Windows: standard output and error write their bytes as they are, so every line ends in LF
// as on the other platforms (a script's comparison or a pipe sees the same bytes), and a console
// shows them as UTF-8. Elsewhere nothing needs doing.
void PrepareStandardStreams();

} // namespace ode::cli
