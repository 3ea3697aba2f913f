// Ctrl+C (SIGINT) or SIGTERM during `odeseries solve`: the solve under way stops, its lists are
// printed with what stands and the stopped line, later problems are not started, and the
// status is 130; a second Ctrl+C ends the program at once.
#include "CliTools.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using ode::test::kExamples;
using ode::test::ReadText;
using Folder = ode::test::ScratchFolder;

// y' = sqrt|x| on [-1, 1]: its automatic degree grows to the limit, for seconds.
const std::string kSlowTail = kExamples + "/../tests/cli/data/slow-tail";

// `odeseries ARGS` run in `dir`, sent `signals` a second after it started: its wait status, and
// in `seconds` the time it took to end after them.
int StoppedRun(const std::vector<std::string>& args, const fs::path& dir, std::initializer_list<int> signals,
               double* seconds = nullptr)
{
    const pid_t pid = ode::test::StartProgram(args, (dir / "out").string(), (dir / "err").string());
    EXPECT_GT(pid, 0);
    if (pid <= 0)
        return -1;
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const auto asked = std::chrono::steady_clock::now();
    for (int signal : signals)
        EXPECT_EQ(::kill(pid, signal), 0);
    int status = 0;
    EXPECT_EQ(::waitpid(pid, &status, 0), pid);
    if (seconds)
        *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - asked).count();
    return status;
}

// The arguments of a solve of kSlowTail that runs for seconds.
std::vector<std::string> SlowSolve(std::vector<std::string> more)
{
    std::vector<std::string> args = {"solve",    kSlowTail, "--points",     "chebyshev",
                                     "--degree", "auto",    "--max-degree", "4000"};
    args.insert(args.begin() + 2, more.begin(), more.end());
    return args;
}

struct SignalCase {
    const char* name;
    int signal;
    bool json;
};

void PrintTo(const SignalCase& c, std::ostream* out) { *out << c.name; }

class StopSignal : public ::testing::TestWithParam<SignalCase> {};

TEST_P(StopSignal, PrintsWhatStandsAndEndsWith130)
{
    const SignalCase& c = GetParam();
    const Folder folder("stop");
    std::vector<std::string> args = SlowSolve({kExamples + "/airy"});
    if (c.json)
        args.insert(args.end(), {"--format", "json"});
    double seconds = 0;
    const int status = StoppedRun(args, folder.path, {c.signal}, &seconds);
    EXPECT_LT(seconds, 2.0);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 130);
    const std::string out = ReadText(folder.path / "out"), err = ReadText(folder.path / "err");
    EXPECT_EQ(out.find("/airy"), std::string::npos) << "the second problem was not started";
    EXPECT_EQ(err, "odeseries: stopped; 1 more problem was not started\n");
    if (c.json) {
        EXPECT_NE(out.find("\"status\":130"), std::string::npos);
        EXPECT_NE(out.find("\"STOPPED BY THE USER: THE BEST SOLUTION FOUND SO FAR (DEGREE "), std::string::npos);
        return;
    }
    EXPECT_EQ(out.rfind("[file]\n" + kSlowTail + "\n[lstCoeff]\nEXPANSION COEFFICIENTS:\ny(0)=", 0), 0u) << out;
    EXPECT_NE(out.find("\n[lstBCError]\nB.C. #1\n"), std::string::npos);
    const size_t readout = out.find("\n[lblAccuracy]\nSTOPPED BY THE USER: THE BEST SOLUTION FOUND SO FAR (DEGREE ");
    ASSERT_NE(readout, std::string::npos);
    // then the power series' line of the solution shown, then its Chebyshev coefficients
    const size_t power = out.find(") IS SHOWN\nPOWER SERIES ABOUT 0: RADIUS OF CONVERGENCE ", readout);
    ASSERT_NE(power, std::string::npos) << out.substr(readout, 400);
    EXPECT_NE(out.find("\n[lstChebyshev]\nCHEBYSHEV COEFFICIENTS ON [-1,1]:\n", power), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Stop, StopSignal,
                         ::testing::Values(SignalCase{"Interrupt", SIGINT, false},
                                           SignalCase{"Terminate", SIGTERM, false},
                                           SignalCase{"InterruptJson", SIGINT, true}),
                         [](const ::testing::TestParamInfo<SignalCase>& info) { return std::string(info.param.name); });

// A stopped run writes nothing: a pair it was to save over keeps its solution, byte for byte.
TEST(StopSignal, AStoppedRunWritesNothing)
{
    const Folder folder("stop");
    const fs::path pair = folder.path / "kept";
    fs::copy_file(kExamples + "/airy-solved", pair);
    fs::copy_file(kExamples + "/airy-solved.str", pair.string() + ".str");
    const std::string before = ReadText(pair);
    const int status =
        StoppedRun(SlowSolve({"--save", pair.string(), "--export", "json=" + (folder.path / "k.json").string()}),
                   folder.path, {SIGINT});
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_EQ(ReadText(folder.path / "err"), "odeseries: stopped: nothing was saved, exported or drawn\n");
    EXPECT_EQ(ReadText(pair), before);
    EXPECT_FALSE(fs::exists(pair.string() + ".acc"));
    EXPECT_FALSE(fs::exists(folder.path / "k.json"));
}

// The first stop signal asks the solve to stop; a second one, before the run has ended, ends it
// at once, as the signal's default would. (Two signals of one kind sent at once merge into one,
// so the test sends an interrupt and a termination together.)
TEST(StopSignal, ASecondInterruptEndsTheProgramAtOnce)
{
    const Folder folder("stop");
    const int status =
        StoppedRun(SlowSolve({"--save", (folder.path / "never").string()}), folder.path, {SIGINT, SIGTERM});
    ASSERT_TRUE(WIFSIGNALED(status)) << "exited with " << WEXITSTATUS(status) << ": " << ReadText(folder.path / "err");
    EXPECT_TRUE(WTERMSIG(status) == SIGINT || WTERMSIG(status) == SIGTERM) << WTERMSIG(status);
    EXPECT_FALSE(fs::exists(folder.path / "never"));
}

} // namespace
