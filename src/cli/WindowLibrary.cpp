#include "cli/WindowLibrary.h"

#ifdef _WIN32
#include <windows.h>
// after windows.h, which they need
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <stdio.h>
#else
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>
#endif

#include "common/Paths.h"

#include <filesystem>

namespace ode::cli {

namespace {

std::string g_argv0;

} // namespace

std::string ProgramFolder()
{
#ifdef _WIN32
    // A long path needs a larger buffer than MAX_PATH: the call says so by filling it.
    std::wstring path(MAX_PATH, L'\0');
    DWORD n = 0;
    while ((n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) == path.size())
        path.resize(path.size() * 2);
    path.resize(n);
    std::string p = Utf8Path(std::filesystem::path(path));
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

std::vector<std::string> ProgramArguments(int argc, char** argv)
{
#ifdef _WIN32
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        std::vector<std::string> args;
        for (int i = 1; i < count; ++i)
            args.push_back(Utf8Path(std::filesystem::path(wide[i])));
        LocalFree(wide);
        return args;
    }
#endif
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

void PrepareStandardStreams()
{
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
#endif
}

std::string WindowLibraryPath()
{
    // Beside the program (the build folder, Windows), or where a package installs it.
    const std::filesystem::path folder = NativePath(ProgramFolder());
    const std::filesystem::path beside = folder / ODESERIES_GUI_LIBRARY;
    const std::filesystem::path installed = folder / ".." / "lib" / "odeseries" / ODESERIES_GUI_LIBRARY;
    std::error_code ec;
    const bool packaged = !std::filesystem::exists(beside, ec) && std::filesystem::exists(installed, ec);
    return Utf8Path(packaged ? installed : beside);
}

void* WindowLibrarySymbol(const char* symbol, std::string& error)
{
    const std::string library = WindowLibraryPath();
#ifdef _WIN32
    static HMODULE module = LoadLibraryW(NativePath(library).c_str());
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
