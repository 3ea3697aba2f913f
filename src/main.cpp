#include "cli/Cli.h"

#include <iostream>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>
#endif

namespace {

// The folder of the running program, where the window library sits.
std::string programFolder(const char* argv0)
{
#ifdef _WIN32
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p(path, n);
#elif defined(__linux__)
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path);
    std::string p = n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string(argv0);
#else
    std::string p(argv0);
#endif
    size_t slash = p.find_last_of("/\\");
    return slash == std::string::npos ? std::string(".") : p.substr(0, slash);
}

using RunGui = int (*)(int, char**);

// Loads the window library and runs the windows; 2 with a message when it cannot be loaded.
int runWindows(int argc, char** argv)
{
    const std::string library = programFolder(argv[0]) + "/" + ODESERIES_GUI_LIBRARY;
#ifdef _WIN32
    HMODULE module = LoadLibraryA(library.c_str());
    RunGui run = module ? reinterpret_cast<RunGui>(GetProcAddress(module, "odeseries_run_gui")) : nullptr;
    const char* why = "the library cannot be loaded";
#else
    void* module = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    RunGui run = module ? reinterpret_cast<RunGui>(dlsym(module, "odeseries_run_gui")) : nullptr;
    const char* why = module ? "the library has no entry point" : dlerror();
#endif
    if (!run) {
        std::cerr << "odeseries: the windows cannot be started (" << library << ": " << why << ")\n";
        return 2;
    }
    return run(argc, argv);
}

} // namespace

// Without arguments the windows start; with a command the command line runs without loading
// the window system.
int main(int argc, char** argv)
{
    if (argc <= 1)
        return runWindows(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    return ode::cli::Run(args, std::cout, std::cerr);
}
