// A batch in one process (several problems, names on standard input), --format json, processes
// side by side in one folder, and scratch folders planted where a run would make its own.
#include "common/FileIO.h"

#include "CliTools.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <optional>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using ode::test::kExamples;
using ode::test::ReadText;
using ode::test::RunShell;
using ode::test::Solve;
using Folder = ode::test::ScratchFolder;

// Several problems in one command: each result in turn, each under its [file] (one problem
// alone prints none: the expected files of the solve cases), the status the worst of them.
TEST(Batch, SeveralProblemsOneResultEach)
{
    int status = 0;
    const std::string airy = Solve({kExamples + "/airy", "--eval", "1"}, status);
    ASSERT_EQ(status, 0);
    const std::string exponential = Solve({kExamples + "/exponential", "--eval", "1"}, status);
    const std::string both = Solve({kExamples + "/airy", kExamples + "/exponential", "--eval", "1"}, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(both,
              "[file]\n" + kExamples + "/airy\n" + airy + "[file]\n" + kExamples + "/exponential\n" + exponential);
    std::string err;
    Solve({kExamples + "/airy", kExamples + "/no-such-problem"}, status, &err);
    EXPECT_EQ(status, 2);
    EXPECT_NE(err.find("no-such-problem"), std::string::npos);
}

// Every file a run writes needs the problem's name in it when there are several problems;
// with %n each gets its own.
TEST(Batch, OutputsOfSeveralProblemsNeedTheirName)
{
    int status = 0;
    std::string err;
    const std::string airy = kExamples + "/airy", copy = kExamples + "/../examples/airy";
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{airy, kExamples + "/exponential", "--export", "json=/tmp/one.json"},
         "odeseries: with several problems, /tmp/one.json would be written by each; put %n (the problem's name) in "
         "it\n"},
        {{airy, copy, "--save", "/tmp/%n"},
         "odeseries: " + airy + " and " + copy +
             " have the same name, so %n would write the files of both under it; solve them in two commands\n"},
        {{airy, "--save-separately", "/tmp/%n"},
         "odeseries: --save-separately writes one series file a variable of a system; this problem is a single "
         "equation (--save writes its pair)\n"},
    };
    for (const auto& [args, message] : refused) {
        const std::string out = Solve(args, status, &err);
        EXPECT_EQ(status, 2) << message;
        EXPECT_EQ(err, message);
        EXPECT_EQ(out, "") << message;
    }
    // Without files written, a problem may come twice.
    Solve({airy, copy}, status, &err);
    EXPECT_EQ(status, 0) << err;
    const Folder scratch("batch");
    const fs::path& dir = scratch.path;
    const std::string json = Solve({kExamples + "/airy", kExamples + "/exponential", "--format", "json", "--export",
                                    "json=" + (dir / "%n.json").string(), "--save", (dir / "%n-saved").string()},
                                   status);
    EXPECT_EQ(status, 0);
    for (const char* name : {"airy", "exponential"}) {
        EXPECT_TRUE(fs::exists(dir / (std::string(name) + ".json"))) << name;
        EXPECT_TRUE(fs::exists(dir / (std::string(name) + "-saved.str"))) << name;
    }
}

// --format json for a batch: one object a line, a problem, with the report when asked and the
// derivative asked, the ill-posed problem's status, and a problem that cannot be opened as an
// object with its message and status.
// (One problem's whole object is the golden of SolveCommand.EvaluateOutsideTheIntervalJson.)
TEST(Batch, JsonHoldsOneObjectAProblem)
{
    int status = 0;
    const std::string out = Solve({kExamples + "/system-exponential", kExamples + "/bessel-default", "--format", "json",
                                   "--eval", "0.5", "--derivative", "1", "--report"},
                                  status);
    EXPECT_EQ(status, 0);
    std::istringstream lines(out);
    std::string first, second, rest;
    ASSERT_TRUE(std::getline(lines, first) && std::getline(lines, second));
    EXPECT_FALSE(std::getline(lines, rest));
    const json system = json::parse(first), bessel = json::parse(second);
    EXPECT_EQ(system["file"], kExamples + "/system-exponential");
    EXPECT_FALSE(system["report"].empty());
    const json& e = system["evaluations"][0];
    EXPECT_EQ(e["derivative"], 1);
    EXPECT_NEAR(e["values"].at(0).get<double>(), -std::exp(-0.5), 1e-9); // y = exp(-x)
    EXPECT_EQ(bessel["file"], kExamples + "/bessel-default");
    EXPECT_TRUE(bessel.contains("status"));
    // The text of the same run: its [lstValue] block holds the same lines.
    const std::string text = Solve({kExamples + "/system-exponential", "--eval", "0.5", "--derivative", "1"}, status);
    const json& lstValue = e["lstValue"];
    EXPECT_NE(text.find("[lstValue]\n" + lstValue[0].get<std::string>() + "\n" + lstValue[1].get<std::string>() + "\n"),
              std::string::npos);
    const json missing = json::parse(Solve({"/nonexistent/problem", "--format", "json"}, status));
    EXPECT_EQ(status, 2);
    EXPECT_EQ(missing["status"], 2);
    EXPECT_EQ(missing["messages"],
              json::array({"The file /nonexistent/problem.str does not exist or cannot be read."}));
}

// `-` reads the problems' names from standard input, one a line.
TEST(Batch, NamesFromStandardInput)
{
    int status = 0;
    const std::string out = RunShell("cd '" + kExamples + "' && printf 'airy\\n\\ntrig-forced\\r\\n' | '" +
                                         ode::test::Program() + "' solve - --format json",
                                     status);
    EXPECT_EQ(status, 0);
    std::istringstream lines(out);
    std::vector<json> runs;
    for (std::string line; std::getline(lines, line);)
        runs.push_back(json::parse(line));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0]["file"], "airy");
    EXPECT_EQ(runs[1]["file"], "trig-forced");
    EXPECT_EQ(runs[1]["solution"]["series"], "trigonometric");
}

// Processes side by side in one folder, each re-laying a system's current approximation
// through its scratch file: none reads another's, so each prints what it prints alone.
TEST(Batch, ProcessesSideBySideDoNotShareTheScratchFile)
{
    const std::string command = "cd '" + kExamples + "' && '" + ode::test::Program() +
                                "' solve system-nonlinear-solved --approximation 3 --degree ";
    int status = 0;
    std::vector<std::string> alone;
    for (int degree : {8, 12})
        alone.push_back(RunShell(command + std::to_string(degree), status));
    ASSERT_NE(alone[0], alone[1]);
    std::vector<std::future<std::string>> runs;
    for (int i = 0; i < 8; ++i)
        runs.push_back(std::async(std::launch::async, [&, i]() {
            int s = 0;
            return RunShell(command + (i % 2 ? "12" : "8"), s);
        }));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(runs[static_cast<size_t>(i)].get(), alone[static_cast<size_t>(i % 2)]) << "run " << i;
    EXPECT_FALSE(fs::exists(kExamples + "/AMAT.MAT"));
}

// The name each run's scratch folder once had (odeseries-PID-1, -2 …) taken in advance by links to
// someone else's folder and by a folder holding a scratch file: the runs print what they print
// alone, and every planted file stays as it was. A killed run's folder goes.
TEST(Batch, ScratchFoldersPlantedInAdvanceChangeNothing)
{
    const ode::test::ScratchFolder temp("scratch");
    // The runs' temporary folder, set back whatever happens.
    const std::optional<std::string> before =
        std::getenv("TMPDIR") ? std::optional<std::string>(std::getenv("TMPDIR")) : std::nullopt;
    const std::shared_ptr<void> restore(
        nullptr, [&](void*) { before ? setenv("TMPDIR", before->c_str(), 1) : unsetenv("TMPDIR"); });
    setenv("TMPDIR", temp.path.c_str(), 1);
    const std::vector<std::string> args = {
        kExamples + "/system-nonlinear-solved", "--approximation", "3", "--degree", "12", "--eval", "0.5"};
    int aloneStatus = 0, status = 0;
    std::string err;
    const std::string alone = Solve(args, aloneStatus, &err) + err;
    ASSERT_NE(alone.find("[lstCoeff]"), std::string::npos) << alone;
    EXPECT_TRUE(temp.names().empty());

    const fs::path victim = temp.path / "victim";
    fs::create_directories(victim);
    std::ofstream(victim / "AMAT.MAT") << "someone else's";
    const std::string stem = "odeseries-" + std::to_string(::getpid()) + "-";
    for (int n = 1; n <= 8; ++n)
        fs::create_directory_symlink(victim, temp.path / (stem + std::to_string(n)));
    fs::create_directories(temp.path / (stem + "9"));
    std::ofstream(temp.path / (stem + "9") / "AMAT.MAT") << "planted";
    const std::string killed = "odeseries-" + std::to_string(ode::test::DeadProcess()) + "-Ab12Cd";
    fs::create_directories(temp.path / killed);
    std::ofstream(temp.path / killed / "AMAT.MAT") << "left by a killed run";
    const std::vector<std::string> planted = temp.names();

    for (int run = 0; run < 3; ++run) {
        EXPECT_EQ(Solve(args, status, &err) + err, alone) << "run " << run;
        EXPECT_EQ(status, aloneStatus);
    }
    std::vector<std::string> expected = planted;
    expected.erase(std::find(expected.begin(), expected.end(), killed));
    EXPECT_EQ(temp.names(), expected) << "the killed run's folder goes; the runs' own folders go with them";
    EXPECT_EQ(ReadText(victim / "AMAT.MAT"), "someone else's");
    EXPECT_EQ(ReadText(temp.path / (stem + "9") / "AMAT.MAT"), "planted");
    for (int n = 1; n <= 8; ++n)
        EXPECT_TRUE(fs::is_symlink(temp.path / (stem + std::to_string(n))));
}

// A problem saved in the accurate method reopens in it; --points equal solves it in the equally
// spaced method all the same, systems as single equations.
TEST(Batch, PointsEqualOverridesTheSavedMethod)
{
    const Folder scratch("method");
    const fs::path& dir = scratch.path;
    for (const char* problem : {"system-exponential", "airy"}) {
        const std::string saved = (dir / problem).string();
        int status = 0;
        Solve({kExamples + "/" + problem, "--points", "chebyshev", "--save", saved}, status);
        // The system at its typed degree 16 stands short of the tolerance: saved, with status 3.
        ASSERT_EQ(status, std::string(problem) == "system-exponential" ? 3 : 0);
        ASSERT_TRUE(fs::exists(saved + ".acc")) << problem;
        EXPECT_NE(Solve({saved}, status).find("[lblAccuracy]"), std::string::npos) << problem;
        EXPECT_EQ(Solve({saved, "--points", "equal"}, status), Solve({kExamples + "/" + problem}, status)) << problem;
    }
}

// What a problem text holds reaches the terminal only escaped, and a text the problem file cannot
// keep is refused by --save with the character named, before anything is written.
TEST(Batch, HostileTextsAreEscapedAndRefusedBeforeSaving)
{
    const Folder scratch("hostile-cli");
    const fs::path& folder = scratch.path;
    // Texts a hand-edited file can hold but the program would never write: the equation unquoted
    // with quotes in it, a condition with escape sequences in a comment.
    const std::string pair = scratch.file("hostile");
    std::string error;
    ASSERT_TRUE(
        ode::WriteFilesAtomically({{pair, ReadText(kExamples + "/airy")},
                                   {pair + ".str", "\"Pldif\",2,\"x\",\"y\",y''-x*y=0*Len(\"a\")\r\n"
                                                   " 0            y=0.355028053887817 ' \x1b]0;owned\x07\x1b[2J\r\n"
                                                   " 0            y'=-0.258819403792807\r\n 0 \r\n"}},
                                  error))
        << error;
    int status = 0;
    const std::string report = ode::test::RunProgram("solve " + pair + " --report", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(report.find('\x1b'), std::string::npos);
    EXPECT_EQ(report.find('\x07'), std::string::npos);
    EXPECT_NE(report.find("' \\x1B]0;owned\\x07\\x1B[2J"), std::string::npos) << report;
    const std::string out = ode::test::RunProgram("solve " + pair + " --save " + (folder / "copy").string(), status);
    EXPECT_EQ(status, 2);
    EXPECT_NE(out.find("odeseries: The equation cannot hold the character \": the problem file writes it between "
                       "quotes and cannot keep a \" inside them.\n"),
              std::string::npos)
        << out;
    EXPECT_FALSE(fs::exists(folder / "copy"));
    EXPECT_FALSE(fs::exists(folder / "copy.str"));
}

// A message names an item by at most 80 of its characters, whatever the item: an option, a
// command, a demo's name, a name or a method read from a file.
TEST(Batch, MessagesQuoteAtMostEightyCharactersOfAnItem)
{
    const std::string longest(200000, 'A');
    const Folder scratch("long");
    const std::string pair = scratch.file("long");
    std::string error;
    ASSERT_TRUE(ode::WriteFilesAtomically({{pair, ReadText(kExamples + "/airy")},
                                           {pair + ".str", "\"Pldif\",2,\"x\",\"" + longest +
                                                               "\",\"y''=0\"\r\n 0  y=0\r\n"
                                                               " 0  y=0\r\n 0 \r\n"},
                                           {pair + ".acc", "ODE Series accurate method 1\nmethod " + longest + "\n"}},
                                          error))
        << error;
    const std::vector<std::vector<std::string>> commands = {{"solve", pair},
                                                            {"solve", "--" + longest},
                                                            {"solve", "--example", longest},
                                                            {longest},
                                                            {"calc", "--const", longest}};
    for (const auto& args : commands) {
        std::ostringstream out, err;
        ode::cli::Run(args, out, err);
        std::istringstream lines(err.str());
        size_t messages = 0;
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("odeseries: ", 0) == 0) {
                ++messages;
                EXPECT_LT(line.size(), 300u) << line.substr(0, 120);
                EXPECT_EQ(line.find(std::string(81, 'A')), std::string::npos);
            }
        EXPECT_GT(messages, 0u) << args.front();
    }
}

// The exit status says how a solve ended without the readout being read: 3 where a solution
// stands but the accurate method's readout says NOT CONVERGED (at a typed degree, or a sweep
// stopped short of its end, or conditions that leave a solution free); several problems give the worst, a failure above
// a solution not converged. (The statuses of a single solve that converged, did not at its typed degree, was equally
// spaced, grew trigonometric terms or swept to its end are pinned by the expected files AiryAutomaticDegree,
// AccurateReportNamesTheMethod, Airy, TrigonometricAutomaticTerms and BratuByContinuation.)
TEST(Batch, TheExitStatusSaysWhetherTheAccurateSolutionConverged)
{
    const std::string airy = kExamples + "/airy", bratu = kExamples + "/bratu";
    // y'' + y = 0, y(0) = y(pi) = 0: any multiple of sin x; the smallest, 0, is one answer of many.
    const Folder folder("status");
    std::ofstream(folder.file("free.str"))
        << "\"Pldif\",2,\"x\",\"y\",\"y''+y=0\"\n 0 y=0\n 3.14159265358979 y=0\n 0 \n";
    std::ofstream(folder.file("free")) << "0,\"x\",0,3.14159265358979\n*\n1,\"*\",16,#FALSE#\n";
    const struct {
        const char* what;
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {"a sweep short of its end",
         {bratu, "--points", "chebyshev", "--approximation", "0", "--continue", "lambda=3:4:2"},
         3},
        {"geometric, to its end",
         {bratu, "--points", "chebyshev", "--approximation", "0", "--continue", "lambda=0.01:3.5:3:geometric"},
         0},
        {"linear, said",
         {bratu, "--points", "chebyshev", "--approximation", "0", "--continue", "lambda=1:3.5:2:linear"},
         0},
        {"geometric through 0", {bratu, "--points", "chebyshev", "--continue", "lambda=0:3.5:3:geometric"}, 2},
        {"an unknown kind of steps", {bratu, "--points", "chebyshev", "--continue", "lambda=1:3.5:3:cubic"}, 2},
        {"opened, not solved", {kExamples + "/airy-solved", "--no-solve", "--points", "chebyshev"}, 0},
        {"conditions that do not fix the solution",
         {folder.file("free"), "--points", "chebyshev", "--degree", "auto"},
         3},
        {"two problems short of the tolerance", {airy, airy + "-solved", "--points", "chebyshev", "--degree", "12"}, 3},
        {"not converged, then no file",
         {airy, kExamples + "/no-such-problem", "--points", "chebyshev", "--degree", "12"},
         2},
    };
    for (const auto& c : cases) {
        int status = -1;
        std::string err;
        Solve(c.args, status, &err);
        EXPECT_EQ(status, c.status) << c.what << ": " << err;
    }
}

} // namespace
