// `odeseries solve` saving two different problems under one name in turn (one in the accurate
// method, so NAME.acc comes and goes), killed at random moments: every Open afterwards shows
// exactly one of the two problems, and leaves no temporary file or journal behind.
#include "CliTools.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include <signal.h>
#include <sys/wait.h>

namespace {

using Clock = std::chrono::steady_clock;
using ode::test::kExamples;
using ode::test::StartProgram;

// The loop's time: long enough for a few hundred kills, short enough for every `make test`.
constexpr auto kLoopTime = std::chrono::seconds(15);
constexpr int kMostKills = 600;

// What Open shows, with its exit status.
std::string RunCommand(const std::string& command)
{
    int status = 0;
    const std::string out = ode::test::RunShell(command, status);
    return out + "status " + std::to_string(status);
}

TEST(KilledSaves, EveryOpenFindsOneWholeProblem)
{
    const ode::test::ScratchFolder dir("kills");
    const std::string name = dir.file("p");
    const std::vector<std::string> saves[2] = {
        {"solve", kExamples + "/airy", "--points", "chebyshev", "--save", name},
        {"solve", kExamples + "/exponential", "--save", name},
    };
    const std::string open = "'" + ode::test::Program() + "' solve '" + name + "' --no-solve --eval 0.5 2>&1";
    // What Open shows of each problem saved whole, and how long a save takes.
    std::string shown[2];
    Clock::duration longest{};
    for (int i = 0; i < 2; ++i) {
        const auto start = Clock::now();
        int status = 0;
        ::waitpid(StartProgram(saves[i]), &status, 0);
        longest = std::max(longest, Clock::now() - start);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        shown[i] = RunCommand(open);
    }
    ASSERT_NE(shown[0], shown[1]);
    EXPECT_NE(shown[0].find("[lstChebyshev]"), std::string::npos) << shown[0];

    std::mt19937 random(12345);
    std::uniform_int_distribution<long> moment(0,
                                               std::chrono::duration_cast<std::chrono::microseconds>(longest).count());
    int kills = 0, interrupted = 0, seen[2] = {0, 0};
    const auto stop = Clock::now() + kLoopTime;
    for (; kills < kMostKills && Clock::now() < stop; ++kills) {
        const pid_t child = StartProgram(saves[kills % 2]);
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::vector<std::string> left = dir.names();
        interrupted +=
            left != std::vector<std::string>{"p", "p.str"} && left != std::vector<std::string>{"p", "p.acc", "p.str"};
        const std::string found = RunCommand(open);
        if (found == shown[0])
            ++seen[0];
        else if (found == shown[1])
            ++seen[1];
        else
            ADD_FAILURE() << "after kill " << kills << " Open shows:\n" << found;
        const std::vector<std::string> after = dir.names();
        EXPECT_TRUE(after == (std::vector<std::string>{"p", "p.str"}) ||
                    after == (std::vector<std::string>{"p", "p.acc", "p.str"}))
            << "after kill " << kills << ": " << ::testing::PrintToString(after);
        if (::testing::Test::HasFailure())
            break;
    }
    std::printf("%d kills, %d left a save unfinished; Open found the accurate problem %d times, the other %d\n", kills,
                interrupted, seen[0], seen[1]);
    EXPECT_GT(interrupted, 0) << "no kill landed in a save: the loop proves nothing";
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);
}

} // namespace
