#include "cli/WindowLibrary.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>
#endif

#include <filesystem>

namespace ode::cli {

namespace {

std::string g_argv0;

} // namespace

std::string ProgramFolder()
{
#ifdef _WIN32
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p(path, n);
#elif defined(__linux__)
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path);
    std::string p = n > 0 ? std::string(path, static_cast<size_t>(n)) : g_argv0;
#else
    std::string p = g_argv0;
#endif
    size_t slash = p.find_last_of("/\\");
    return slash == std::string::npos ? std::string(".") : p.substr(0, slash);
}

void SetProgramPath(const char* argv0) { g_argv0 = argv0 ? argv0 : ""; }

std::string WindowLibraryPath()
{
    // Beside the program (the build folder, Windows), or where a package installs it.
    const std::string beside = ProgramFolder() + "/" + ODESERIES_GUI_LIBRARY;
    const std::string installed = ProgramFolder() + "/../lib/odeseries/" + ODESERIES_GUI_LIBRARY;
    std::error_code ec;
    return !std::filesystem::exists(beside, ec) && std::filesystem::exists(installed, ec) ? installed : beside;
}

void* WindowLibrarySymbol(const char* symbol, std::string& error)
{
    const std::string library = WindowLibraryPath();
#ifdef _WIN32
    static HMODULE module = LoadLibraryA(library.c_str());
    void* address = module ? reinterpret_cast<void*>(GetProcAddress(module, symbol)) : nullptr;
    if (!address)
        error = library + ": the library or its entry point cannot be loaded";
#else
    static void* module = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* address = module ? dlsym(module, symbol) : nullptr;
    if (!address) {
        const char* why = dlerror();
        error = library + ": " + (why ? why : "the entry point is missing");
    }
#endif
    return address;
}

} // namespace ode::cli
