// A save of a set of files under every fault: each operation of the save in turn fails, or the
// writer dies there; the set found afterwards (after a recovery, for a death) is the whole old
// set or the whole new set, with no temporary file and no journal beside it.
#include "common/FileIO.h"
#include "support/FaultyFileSystem.h"

#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using testsupport::FaultyFileSystem;
using Fault = FaultyFileSystem::Fault;
using Files = std::map<std::string, std::string>; // name in the folder -> content

struct Folder : ode::test::ScratchFolder {
    Folder() : ScratchFolder("sets") {}
    void put(const Files& files) const
    {
        for (const auto& [name, text] : files)
            std::ofstream(file(name), std::ios::binary) << text;
    }
    // Everything in the folder, read back.
    Files read() const
    {
        Files out;
        for (const auto& entry : fs::directory_iterator(path)) {
            std::string text, error;
            ode::ReadWholeFile(entry.path().string(), text, error);
            out[entry.path().filename().string()] = text;
        }
        return out;
    }
};

std::string Show(const Files& files)
{
    std::string out;
    for (const auto& [name, text] : files)
        out += "[" + name + "]=" + text + " ";
    return out;
}

// One save: the files there before, what it writes and what it removes.
struct SaveCase {
    const char* name;
    Files before;
    Files written;
    std::vector<std::string> removed;
};

Files After(const SaveCase& c)
{
    Files out = c.before;
    for (const std::string& r : c.removed)
        out.erase(r);
    for (const auto& [name, text] : c.written)
        out[name] = text;
    return out;
}

ode::FileSet SetIn(const Folder& dir, const SaveCase& c)
{
    ode::FileSet set;
    for (const auto& [name, text] : c.written)
        set.write.push_back({dir.file(name), text});
    // The series file first, as every save writes it: its name names the journal.
    std::stable_partition(set.write.begin(), set.write.end(),
                          [&](const auto& f) { return fs::path(f.first).filename() == "p"; });
    for (const std::string& r : c.removed)
        set.remove.push_back(dir.file(r));
    return set;
}

std::vector<std::string> PathsOf(const Folder& dir, const SaveCase& c)
{
    std::vector<std::string> paths;
    for (const auto& [name, text] : After(c))
        paths.push_back(dir.file(name));
    for (const auto& [name, text] : c.before)
        paths.push_back(dir.file(name));
    return paths;
}

const SaveCase kCases[] = {
    {"PairWithAccurateFile",
     {{"p", "old series"}, {"p.str", "old problem"}, {"p.acc", "old accurate"}},
     {{"p", "new series"}, {"p.str", "new problem"}, {"p.acc", "new accurate"}},
     {}},
    {"StaleAccurateFileRemoved",
     {{"p", "old series"}, {"p.str", "old problem"}, {"p.acc", "old accurate"}},
     {{"p", "new series"}, {"p.str", "new problem"}},
     {"p.acc"}},
    {"AccurateFileAdded",
     {{"p", "old series"}, {"p.str", "old problem"}},
     {{"p", "new series"}, {"p.str", "new problem"}, {"p.acc", "new accurate"}},
     {}},
    {"FirstSaveOfAPair", {}, {{"p", "new series"}, {"p.str", "new problem"}}, {"p.acc"}},
    {"NamesWithBlanksPercentsAndLineBreaks",
     {{"p", "old"}, {"p 100%\tx\n.str", "old problem"}},
     {{"p", "new"}, {"p 100%\tx\n.str", "new problem"}},
     {}},
};

void PrintTo(const SaveCase& c, std::ostream* out) { *out << c.name; }

// The case's save in `dir`, its writer killed at operation k: whether its journal is left there.
bool SaveKilledAt(const Folder& dir, const SaveCase& c, int k)
{
    FaultyFileSystem dying(Fault::Die, k);
    std::string error;
    ode::SaveFileSet(SetIn(dir, c), error, dying);
    return fs::exists(ode::JournalPath(dir.file("p")));
}

class SetSave : public ::testing::TestWithParam<SaveCase> {};

// How many operations a save of the case makes without a fault.
int OperationsOf(const SaveCase& c)
{
    Folder dir;
    dir.put(c.before);
    FaultyFileSystem counting;
    std::string error;
    EXPECT_TRUE(ode::SaveFileSet(SetIn(dir, c), error, counting)) << error;
    EXPECT_EQ(dir.read(), After(c));
    return counting.count();
}

TEST_P(SetSave, AFailureAtAnyOperationLeavesTheOldSetAndNoTemporary)
{
    const SaveCase& c = GetParam();
    const int operations = OperationsOf(c);
    ASSERT_GT(operations, 10);
    for (int k = 0; k < operations; ++k) {
        Folder dir;
        dir.put(c.before);
        FaultyFileSystem faulty(Fault::Fail, k);
        std::string error;
        const bool saved = ode::SaveFileSet(SetIn(dir, c), error, faulty);
        const std::string& operation = faulty.operations().at(static_cast<size_t>(k));
        const Files found = dir.read();
        // A query, a listing or a removal of what is already done may fail without harm (the
        // save then stands); every write, flush and rename that fails stops the save.
        if (saved) {
            EXPECT_TRUE(operation == "is-folder" || operation == "list" || operation == "remove")
                << "operation " << k << " (" << operation << ") failed unnoticed";
            EXPECT_EQ(found, After(c)) << "operation " << k << " (" << operation << "): " << Show(found);
        } else {
            EXPECT_NE(error.find("cannot be"), std::string::npos) << error;
            EXPECT_EQ(found, c.before) << "operation " << k << " (" << operation << "): " << Show(found);
        }
    }
}

TEST_P(SetSave, AKillAtAnyOperationIsTheOldOrTheNewSetAfterRecovery)
{
    const SaveCase& c = GetParam();
    const int operations = OperationsOf(c);
    int oldSets = 0, newSets = 0;
    for (int k = 0; k <= operations; ++k) {
        Folder dir;
        dir.put(c.before);
        SaveKilledAt(dir, c, k);
        std::string error;
        ASSERT_TRUE(ode::RecoverFiles(PathsOf(dir, c), error)) << error;
        const Files found = dir.read();
        if (found == c.before)
            ++oldSets;
        else if (found == After(c))
            ++newSets;
        else
            ADD_FAILURE() << "killed at operation " << k << ": " << Show(found);
    }
    EXPECT_GT(oldSets, 0);
    EXPECT_GT(newSets, 0);
}

// A recovery killed in its turn is completed by the next one: for every moment of a save with its
// journal in place, and every operation of the recovery.
TEST_P(SetSave, AKilledRecoveryIsCompletedByTheNext)
{
    const SaveCase& c = GetParam();
    const int operations = OperationsOf(c);
    int completed = 0;
    for (int k = 0; k < operations; ++k) {
        Files interrupted;
        {
            Folder dir;
            dir.put(c.before);
            if (!SaveKilledAt(dir, c, k))
                continue; // no journal: nothing to complete
            interrupted = dir.read();
        }
        for (int r = 0;; ++r) {
            Folder dir;
            dir.put(interrupted); // the journal names the files beside it: it moves with them
            FaultyFileSystem dyingRecovery(Fault::Die, r);
            std::string error;
            ode::RecoverFiles(PathsOf(dir, c), error, dyingRecovery);
            ASSERT_TRUE(ode::RecoverFiles(PathsOf(dir, c), error)) << error;
            EXPECT_EQ(dir.read(), After(c)) << "save killed at " << k << ", recovery at " << r;
            ++completed;
            if (!dyingRecovery.died())
                break;
        }
    }
    EXPECT_GT(completed, 10);
}

INSTANTIATE_TEST_SUITE_P(FileSets, SetSave, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SaveCase>& info) { return std::string(info.param.name); });

// A save killed after its journal, in a folder where nothing can be renamed or removed (as a
// read-only one): the recovery says so, and leaves every file, the journal too, as it was.
TEST(FileSets, ARecoveryThatCannotCompleteSaysSoAndChangesNothing)
{
    const SaveCase& c = kCases[0];
    std::unique_ptr<Folder> dir;
    for (int k = 0;; ++k) { // the first moment with the journal in place and a file still to rename
        ASSERT_LT(k, 100);
        dir = std::make_unique<Folder>();
        dir->put(c.before);
        if (SaveKilledAt(*dir, c, k))
            break;
    }
    const Files interrupted = dir->read();
    FaultyFileSystem readOnly(Fault::ReadOnly);
    std::string error;
    EXPECT_FALSE(ode::RecoverFiles(PathsOf(*dir, c), error, readOnly));
    EXPECT_EQ(error, "An interrupted save of " + dir->file("p") + " cannot be completed (" + dir->file("p") +
                         ": Read-only file system); its files are not opened until it is.");
    EXPECT_EQ(dir->read(), interrupted);
}

// Leftovers of saves beside a set: a dead writer's go, a running writer's stay, and so does
// anything that is not a leftover of this set.
TEST(FileSets, RecoveryRemovesOnlyDeadWritersLeftovers)
{
    Folder dir;
    const std::string live = std::to_string(::getppid()), dead = std::to_string(FaultyFileSystem::kDeadWriter);
    struct Entry {
        std::string name;
        bool stays;
    };
    const Entry entries[] = {
        {"p", true},
        {"p.str", true},
        {"p.tmp~" + dead + "-0-0a1b2c3d", false},
        {"p.str.tmp~" + dead + "-1-0a1b2c3d", false},
        {"p.acc.old~" + dead + "-2-ff", false},
        {"p.journal~.tmp~" + dead + "-3-12345678", false},
        {"p.tmp~" + live + "-4-0a1b2c3d", true}, // a running writer's
        {"q.tmp~" + dead + "-5-0a1b2c3d", true}, // another set's
        {"p.tmp~", true},                        // not a save's name
        {"p.tmp~" + dead + "-x-0a1b2c3d", true}, // nor this
        {"p.tmp~" + dead + "-6-0A1B2C3D", true}, // nor this (upper-case digits)
        {"notes.old~" + dead + "-7-ab", true},   // not a file of the set
    };
    for (const Entry& e : entries)
        std::ofstream(dir.file(e.name)) << e.name;
    std::string error;
    ASSERT_TRUE(ode::RecoverFiles({dir.file("p"), dir.file("p.str"), dir.file("p.acc")}, error)) << error;
    for (const Entry& e : entries)
        EXPECT_EQ(fs::exists(dir.file(e.name)), e.stays) << e.name;
}

// A journal whose writer still runs is a save in progress: the recovery waits for it to end and
// does not touch its files.
TEST(FileSets, ASaveInProgressIsWaitedFor)
{
    Folder dir;
    const pid_t writer = ::fork();
    if (writer == 0) {
        ::pause();
        ::_exit(0);
    }
    ASSERT_GT(writer, 0);
    const std::string temp = "p.tmp~" + std::to_string(writer) + "-0-1";
    const long long now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    dir.put({{"p", "old"},
             {temp, "new"},
             {"p.journal~", "ODE Series save journal 1\nwriter " + std::to_string(writer) + "\nwritten " +
                                std::to_string(now) + "\nreplace\t" + temp + "\tp\tp.old~" + std::to_string(writer) +
                                "-0-1\nend 1\n"}});
    std::thread finisher([&]() {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        fs::remove(dir.file("p.journal~")); // the writer's save ends (as it would, undone)
    });
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    EXPECT_TRUE(ode::RecoverFiles({dir.file("p")}, error)) << error;
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
    finisher.join();
    EXPECT_EQ(dir.read(), (Files{{"p", "old"}, {temp, "new"}}));
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
}

// A damaged journal, or one that names files it could not have written, cannot say which files
// are whose: nothing is opened and nothing changes.
TEST(FileSets, ADamagedJournalStopsTheOpen)
{
    const std::string head = "ODE Series save journal 1\nwriter 999999999\nwritten 0\n";
    const std::string damaged[] = {
        head + "replace\tp.tmp~1-0-1\tp\tp.old~1-0-1\nend 2\n",
        head + "replace\tp.tmp~1-0-1\tp\tp.old~1-0-1\n",
        head + "rename\tp.tmp~1-0-1\tp\nend 1\n",
        head + "replace\tp.tmp~1-0-1\tp\tp.old~1-0-1\nend 1",
        "writer 999999999\nend 0\n",
        std::string(),
        // Files outside the journal's folder, or not the leftovers of the files they replace.
        head + "remove\t/etc/passwd\t/etc/passwd.old~1-0-1\nend 1\n",
        head + "remove\t../q\t../q.old~1-0-1\nend 1\n",
        head + "replace\tq\tp\tp.old~1-0-1\nend 1\n",
        head + "remove\tp\tq.old~1-0-1\nend 1\n",
    };
    for (const std::string& text : damaged) {
        Folder dir;
        dir.put({{"p", "old"}, {"p.journal~", text}});
        std::string error;
        EXPECT_FALSE(ode::RecoverFiles({dir.file("p"), dir.file("p.str")}, error)) << text;
        EXPECT_NE(error.find("p.journal~ of an interrupted save is damaged"), std::string::npos) << error;
        EXPECT_EQ(dir.read().size(), 2u);
    }
}

// A journal acts only on the files being opened, and only a journal of this user's: one planted
// beside a problem (in an archive, or by another user in a shared folder) that names other files
// changes none of them, and a timestamp to come makes nobody wait.
TEST(FileSets, APlantedJournalChangesNothingButTheFilesBeingOpened)
{
    Folder dir;
    const std::string head = "ODE Series save journal 1\nwriter 1\nwritten 99999999999\n";
    dir.put({{"p", "old"},
             {"p.tmp~1-0-1", "new"},
             {"thesis.tex", "thesis"},
             {".bashrc", "settings"},
             {".bashrc.tmp~1-0-1", "planted"},
             {"p.journal~", head + "replace\tp.tmp~1-0-1\tp\tp.old~1-0-1\n"
                                   "replace\t.bashrc.tmp~1-0-1\t.bashrc\t.bashrc.old~1-0-1\n"
                                   "remove\tthesis.tex\tthesis.tex.old~1-0-1\nend 3\n"}});
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    EXPECT_TRUE(ode::RecoverFiles({dir.file("p"), dir.file("p.str"), dir.file("p.acc")}, error)) << error;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    const Files after = dir.read();
    EXPECT_EQ(after.at("p"), "new"); // the file being opened is settled
    EXPECT_EQ(after.at("thesis.tex"), "thesis");
    EXPECT_EQ(after.at(".bashrc"), "settings");
    EXPECT_EQ(after.count("p.journal~"), 1u) << "the other files' steps wait for their own Open";

    if (::geteuid() != 0)
        GTEST_SKIP() << "another user's journal needs root to make";
    Folder shared;
    shared.put({{"q", "mine"}, {"q.journal~", head + "remove\tq\tq.old~1-0-1\nend 1\n"}});
    ASSERT_EQ(::chown(shared.file("q.journal~").c_str(), 4242, 4242), 0);
    EXPECT_TRUE(ode::RecoverFiles({shared.file("q")}, error)) << error;
    EXPECT_EQ(shared.read().at("q"), "mine");
    ode::FileSet set;
    set.write = {{shared.file("q"), "new"}, {shared.file("q.str"), "new problem"}};
    EXPECT_FALSE(ode::SaveFileSet(set, error));
    EXPECT_NE(error.find("an unfinished save of another user, is in the way"), std::string::npos) << error;
    EXPECT_EQ(shared.read(), (Files{{"q", "mine"}, {"q.journal~", head + "remove\tq\tq.old~1-0-1\nend 1\n"}}));
}

} // namespace
