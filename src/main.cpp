#include "cli/Cli.h"
#include "cli/TerminalOutput.h"
#include "cli/WindowLibrary.h"

#include <iostream>
#include <new>
#include <string>

// Without arguments the windows start; with a command the command line runs without loading
// the window system. Nothing a command prints reaches the terminal unfiltered, and no exception
// ends the program unexplained: it becomes a message and exit status 2.
int main(int argc, char** argv)
{
    ode::cli::TerminalSafeBuffer out(std::cout.rdbuf()), err(std::cerr.rdbuf());
    std::ostream safeOut(&out), safeErr(&err);
    safeErr.setf(std::ios::unitbuf); // messages appear as they are written
    try {
        ode::cli::SetProgramPath(argv[0]);
        ode::cli::PrepareStandardStreams();
        if (argc <= 1) {
            std::string error;
            using RunGui = int (*)(int, char**);
            auto run = reinterpret_cast<RunGui>(ode::cli::WindowLibrarySymbol("odeseries_run_gui", error));
            if (!run) {
                safeErr << "odeseries: the windows cannot be started (" << error << ")\n";
                return 2;
            }
            return run(argc, argv);
        }
        return ode::cli::Run(ode::cli::ProgramArguments(argc, argv), safeOut, safeErr);
    } catch (const std::bad_alloc&) {
        safeOut.flush();
        safeErr << "odeseries: there is not enough memory to go on\n";
    } catch (const std::exception& e) {
        safeOut.flush();
        safeErr << "odeseries: unexpected error: " << e.what() << '\n';
    } catch (...) {
        safeOut.flush();
        safeErr << "odeseries: unexpected error\n";
    }
    return 2;
}
