// What `odeseries solve` does where the files around it are hostile or the disk is full: a
// scratch folder planted under the name a run once used changes nothing, a killed run's
// folder is cleared away, and a picture that cannot be written keeps the old file and fails.
#include "cli/Cli.h"
#include "common/FileIO.h"

#include "support/Program.h"

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

struct Folder {
    fs::path path;
    explicit Folder(const std::string& what)
        : path(fs::temp_directory_path() / ("odeseries-" + what + "-test-" + std::to_string(::getpid())))
    {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~Folder() { fs::remove_all(path); }
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(path))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

std::string Read(const fs::path& path)
{
    std::string text, error;
    ode::ReadWholeFile(path.string(), text, error);
    return text;
}

std::string RunShell(const std::string& command, int& status)
{
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    char buffer[4096];
    size_t n;
    while (p && (n = fread(buffer, 1, sizeof buffer, p)) > 0)
        out.append(buffer, n);
    status = p ? pclose(p) : -1;
    status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

std::string Solve(const std::vector<std::string>& args, int& status)
{
    std::vector<std::string> all = {"solve"};
    all.insert(all.end(), args.begin(), args.end());
    std::ostringstream out, errors;
    status = ode::cli::Run(all, out, errors);
    return out.str() + errors.str();
}

long DeadProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
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
    EXPECT_EQ(Read(victim / "AMAT.MAT"), "someone else's");
    EXPECT_EQ(Read(temp.path / (stem + "9") / "AMAT.MAT"), "planted");
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
        EXPECT_EQ(Read(file), "the old picture") << name;
        EXPECT_EQ(dir.names(), std::vector<std::string>{name}) << "no temporary file is left";
        fs::remove(file);
    }
}

} // namespace
