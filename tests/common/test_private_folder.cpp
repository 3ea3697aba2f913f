// A run's private folder: a new, owner-only folder of an unguessable name, gone afterwards; and
// the folders of killed runs removed, while nothing else in the temporary folder is touched.
#include "common/PrivateFolder.h"

#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

using ode::test::DeadProcess;

TEST(PrivateFolder, IsNewOwnerOnlyAndGoesAfterwards)
{
    const ode::test::ScratchFolder parent("private-test");
    std::string made;
    {
        ode::PrivateFolder a("odeseries", parent.path.string()), b("odeseries", parent.path.string());
        ASSERT_FALSE(a.path().empty()) << a.error();
        ASSERT_NE(a.path(), b.path());
        made = a.path();
        const std::string name = fs::path(made).filename().string();
        const std::string stem = "odeseries-" + std::to_string(::getpid()) + "-";
        EXPECT_EQ(name.rfind(stem, 0), 0u) << name;
        EXPECT_EQ(name.size(), stem.size() + 6) << name;
        struct stat info;
        ASSERT_EQ(::lstat(made.c_str(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        std::ofstream(made + "/AMAT.MAT") << "scratch";
    }
    EXPECT_FALSE(fs::exists(made));
    EXPECT_TRUE(fs::is_empty(parent.path));
}

// What a new private folder does to what is already in the temporary folder.
TEST(PrivateFolder, OnlyKilledRunsFoldersAreRemoved)
{
    const ode::test::ScratchFolder parent("private-test");
    const fs::path victim = parent.path / "victim";
    fs::create_directories(victim);
    std::ofstream(victim / "AMAT.MAT") << "someone else's";
    const std::string dead = std::to_string(DeadProcess()), live = std::to_string(::getppid());
    struct Entry {
        std::string name;
        enum { Folder, Link, File, ForeignFolder } what;
        bool stays;
    };
    const Entry entries[] = {
        {"odeseries-" + dead + "-a1B2c3", Entry::Folder, false},       // a killed run's
        {"odeseries-" + dead + "-1", Entry::Folder, false},            // a killed older run's
        {"odeseries-" + live + "-a1B2c3", Entry::Folder, true},        // a running one's
        {"odeseries-" + dead + "-link01", Entry::Link, true},          // a link planted there
        {"odeseries-" + dead + "-file01", Entry::File, true},          // not a folder
        {"odeseries-" + dead + "-other1", Entry::ForeignFolder, true}, // another user's
        {"odeseries-test-" + dead, Entry::Folder, true},               // not the pattern
        {"odeseries-" + dead + "-a.b", Entry::Folder, true},           // nor this
        {"odeseries-" + dead, Entry::Folder, true},                    // nor this
    };
    for (const Entry& e : entries) {
        const fs::path path = parent.path / e.name;
        if (e.what == Entry::Link) {
            fs::create_directory_symlink(victim, path);
        } else if (e.what == Entry::File) {
            std::ofstream(path) << "x";
        } else {
            fs::create_directories(path / "inside");
            std::ofstream(path / "inside" / "AMAT.MAT") << "left";
            if (e.what == Entry::ForeignFolder && ::chown(path.c_str(), 65534, 65534) != 0)
                GTEST_SKIP() << "another user's folder cannot be made here";
        }
    }
    {
        ode::PrivateFolder folder("odeseries", parent.path.string());
        ASSERT_FALSE(folder.path().empty()) << folder.error();
        for (const Entry& e : entries)
            EXPECT_EQ(fs::exists(fs::symlink_status(parent.path / e.name)), e.stays) << e.name;
    }
    std::string text;
    std::getline(std::ifstream(victim / "AMAT.MAT"), text);
    EXPECT_EQ(text, "someone else's");
    EXPECT_TRUE(fs::exists(victim / "AMAT.MAT"));
}

} // namespace
