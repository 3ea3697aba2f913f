// What `odeseries solve` does where the files around it are hostile or the disk is full: a
// scratch folder planted under the name a run once used changes nothing, a killed run's
// folder is cleared away, and a picture that cannot be written keeps the old file and fails.
#include "cli/Cli.h"
#include "common/FileIO.h"

#include "support/Program.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const std::string kExamples = ODESERIES_EXAMPLES;
const std::string kProgram = ode::test::Program();

using ode::test::DeadProcess;
using ode::test::ReadText;
using ode::test::RunShell;
using Folder = ode::test::ScratchFolder;

std::string Solve(const std::vector<std::string>& args, int& status)
{
    std::vector<std::string> all = {"solve"};
    all.insert(all.end(), args.begin(), args.end());
    std::ostringstream out, errors;
    status = ode::cli::Run(all, out, errors);
    return out.str() + errors.str();
}

// The name each run's scratch folder once had (odeseries-PID-1, -2 …) taken in advance by links to
// someone else's folder and by a folder holding a scratch file: the runs print what they print
// alone, and every planted file stays as it was. A killed run's folder goes.
TEST(FileSafety, ScratchFoldersPlantedInAdvanceChangeNothing)
{
    Folder temp("scratch");
    const char* before = std::getenv("TMPDIR");
    const std::string saved = before ? before : "";
    setenv("TMPDIR", temp.path.c_str(), 1);
    const std::vector<std::string> args = {
        kExamples + "/system-nonlinear-solved", "--approximation", "3", "--degree", "12", "--eval", "0.5"};
    int aloneStatus = 0, status = 0;
    const std::string alone = Solve(args, aloneStatus);
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
    const std::string killed = "odeseries-" + std::to_string(DeadProcess()) + "-Ab12Cd";
    fs::create_directories(temp.path / killed);
    std::ofstream(temp.path / killed / "AMAT.MAT") << "left by a killed run";
    const std::vector<std::string> planted = temp.names();

    for (int run = 0; run < 3; ++run) {
        EXPECT_EQ(Solve(args, status), alone) << "run " << run;
        EXPECT_EQ(status, aloneStatus);
    }
    std::vector<std::string> expected = planted;
    expected.erase(std::find(expected.begin(), expected.end(), killed));
    EXPECT_EQ(temp.names(), expected) << "the killed run's folder goes; the runs' own folders go with them";
    EXPECT_EQ(ReadText(victim / "AMAT.MAT"), "someone else's");
    EXPECT_EQ(ReadText(temp.path / (stem + "9") / "AMAT.MAT"), "planted");
    for (int n = 1; n <= 8; ++n)
        EXPECT_TRUE(fs::is_symlink(temp.path / (stem + std::to_string(n))));
    if (before)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

// A disk that takes no more than 1 KB a file (the shell's `ulimit -f 2`, with the signal that
// would end the program ignored, so that write fails as on a full disk): every picture format
// fails with the reason and a status other than 0, and the file there before stays.
TEST(FileSafety, APictureThatCannotBeWrittenKeepsTheOldFile)
{
    if (!ode::test::ProgramDrawsPictures())
        GTEST_SKIP() << "the windows, which draw the pictures, are not built";
    Folder dir("pictures");
    for (const char* name : {"p.png", "p.svg", "p.pdf", "p.bmp", "p.picture"}) {
        const fs::path file = dir.path / name;
        std::ofstream(file) << "the old picture";
        int status = 0;
        const std::string out = RunShell("ulimit -f 2; trap '' XFSZ; exec '" + kProgram + "' solve '" + kExamples +
                                             "/airy' --plot '" + file.string() + "' 2>&1 >/dev/null",
                                         status);
        EXPECT_NE(status, 0) << name;
        EXPECT_EQ(out, "odeseries: The file " + file.string() + " cannot be written: File too large.\n") << name;
        EXPECT_EQ(ReadText(file), "the old picture") << name;
        EXPECT_EQ(dir.names(), std::vector<std::string>{name}) << "no temporary file is left";
        fs::remove(file);
    }
}

} // namespace
