#include "cli/Cli.h"
#include "cli/WindowLibrary.h"

#include <iostream>
#include <string>

// Without arguments the windows start; with a command the command line runs without loading
// the window system.
int main(int argc, char** argv)
{
    ode::cli::SetProgramPath(argv[0]);
    if (argc <= 1) {
        std::string error;
        using RunGui = int (*)(int, char**);
        auto run = reinterpret_cast<RunGui>(ode::cli::WindowLibrarySymbol("odeseries_run_gui", error));
        if (!run) {
            std::cerr << "odeseries: the windows cannot be started (" << error << ")\n";
            return 2;
        }
        return run(argc, argv);
    }
    std::vector<std::string> args(argv + 1, argv + argc);
    return ode::cli::Run(args, std::cout, std::cerr);
}
