#pragma once
// What tests that write files and run commands share: a folder of their own, the examples' folder,
// reading a file back, running a shell command, and the id of a process that has ended.

#include "common/FileIO.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace ode::test {

inline const std::string kExamples = ODESERIES_EXAMPLES;

// A new empty folder odeseries-WHAT-PID-N under the temporary folder (N counts the folders made),
// removed with what it holds.
struct ScratchFolder {
    explicit ScratchFolder(const std::string& what)
        : path(std::filesystem::temp_directory_path() /
               ("odeseries-" + what + "-" + std::to_string(::getpid()) + "-" + std::to_string(++made())))
    {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string file(const std::string& name) const { return (path / name).string(); }
    // The names in the folder, sorted.
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(path))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

    const std::filesystem::path path;

private:
    static int& made()
    {
        static int count = 0;
        return count;
    }
};

// The file's text, or "" when there is none.
inline std::string ReadText(const std::filesystem::path& path)
{
    std::string text, error;
    ReadWholeFile(path.string(), text, error);
    return text;
}

// What `command` prints on its standard output, run by the shell; `status` is its exit status
// (-1 when it did not run or did not exit).
inline std::string RunShell(const std::string& command, int& status)
{
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    char buffer[4096];
    for (size_t n; p && (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;)
        out.append(buffer, n);
    status = p ? ::pclose(p) : -1;
    status = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

// The id of a process that has ended.
inline long DeadProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

} // namespace ode::test
