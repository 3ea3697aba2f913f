#pragma once
// What the command-line tests share: `odeseries` run in this process, and the program itself run
// as a user runs it, to its end or started in the background.

#include "cli/Cli.h"
#include "support/Program.h"
#include "support/Scratch.h"

#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>

extern char** environ;

namespace ode::test {

// `odeseries solve ARGS` in this process: what it prints; `status` its exit status, `err` (when
// asked for) its messages.
inline std::string Solve(std::vector<std::string> args, int& status, std::string* err = nullptr)
{
    args.insert(args.begin(), "solve");
    std::ostringstream out, errors;
    status = cli::Run(args, out, errors);
    if (err)
        *err = errors.str();
    return out.str();
}

// The program run by the shell with `args` (as the shell reads them): its output and messages as
// one text; `status` its exit status.
inline std::string RunProgram(const std::string& args, int& status)
{
    return RunShell("'" + Program() + "' " + args + " 2>&1", status);
}

// The program started with `args`, its output and messages into the files `out` and `err`.
inline pid_t StartProgram(const std::vector<std::string>& args, const std::string& out = "/dev/null",
                          const std::string& err = "/dev/null")
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> all = {Program()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, all[0].c_str(), &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

} // namespace ode::test
