#include "common/FileIO.h"

#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct TempDir : ode::test::ScratchFolder {
    TempDir() : ScratchFolder("test") {}
};

TEST(FileIO, WritesAPairAndReadsItBack)
{
    TempDir dir;
    std::string a = (dir.path / "p").string(), b = a + ".str", error;
    ASSERT_TRUE(ode::WriteFilesAtomically({{a, "one\r\n"}, {b, "two\r\n"}}, error)) << error;
    std::string content;
    ASSERT_TRUE(ode::ReadWholeFile(a, content, error));
    EXPECT_EQ(content, "one\r\n");
    ASSERT_TRUE(ode::ReadWholeFile(b, content, error));
    EXPECT_EQ(content, "two\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 2)
        << "no temporary file is left behind";
}

TEST(FileIO, AFailedWriteLeavesTheExistingFilesAlone)
{
    TempDir dir;
    std::string a = (dir.path / "p").string(), error;
    ASSERT_TRUE(ode::WriteFilesAtomically({{a, "old"}}, error));
    // The second target's folder does not exist: nothing may be replaced.
    std::string bad = (dir.path / "missing" / "q").string();
    EXPECT_FALSE(ode::WriteFilesAtomically({{a, "new"}, {bad, "x"}}, error));
    EXPECT_NE(error.find("cannot be written"), std::string::npos);
    std::string content;
    ASSERT_TRUE(ode::ReadWholeFile(a, content, error));
    EXPECT_EQ(content, "old");
}

size_t entries(const fs::path& folder)
{
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// A target that cannot be replaced (here a folder of that name) fails the save with the
// message; what stood there and the other targets stay as they were, and no temporary file
// is left.
TEST(FileIO, AFailingRenameLeavesTheOldFilesAndNoTemporary)
{
    TempDir dir;
    const std::string a = (dir.path / "p").string(), folder = (dir.path / "p.str").string();
    std::string error;
    ASSERT_TRUE(ode::WriteFilesAtomically({{a, "old"}}, error)) << error;
    fs::create_directories(folder);
    {
        std::ofstream(folder + "/inside") << "kept";
    }
    EXPECT_FALSE(ode::WriteFilesAtomically({{a, "new"}, {folder, "x"}}, error));
    EXPECT_EQ(error, "The file " + folder + " cannot be written: it is a folder.");
    std::string content;
    ASSERT_TRUE(ode::ReadWholeFile(a, content, error));
    EXPECT_EQ(content, "old");
    ASSERT_TRUE(ode::ReadWholeFile(folder + "/inside", content, error));
    EXPECT_EQ(content, "kept");
    EXPECT_EQ(entries(dir.path), 2u) << "no temporary file is left behind";
}

// Another writer's temporary file beside the target (the name a fixed scheme would use) is
// neither written into nor removed.
TEST(FileIO, AnotherWritersTemporaryFileIsLeftAlone)
{
    TempDir dir;
    const std::string target = (dir.path / "p").string();
    for (const std::string& other : {target + ".tmp~", target + ".tmp"}) {
        {
            std::ofstream(other) << "another save in progress";
        }
        std::string error, content;
        ASSERT_TRUE(ode::WriteFilesAtomically({{target, "mine"}}, error)) << error;
        ASSERT_TRUE(ode::ReadWholeFile(other, content, error)) << other;
        EXPECT_EQ(content, "another save in progress");
        ASSERT_TRUE(ode::ReadWholeFile(target, content, error));
        EXPECT_EQ(content, "mine");
    }
    EXPECT_EQ(entries(dir.path), 3u);
}

// Two programs saving the same name at once: every save lands whole (a reader never sees a
// mixture or a short file), the last one stands, and no temporary file is left.
TEST(FileIO, TwoProcessesSavingOneNameNeverMixTheirFiles)
{
    TempDir dir;
    const std::string target = (dir.path / "shared").string();
    const std::string contentA(300000, 'a'), contentB(200000, 'b');
    std::string error;
    ASSERT_TRUE(ode::WriteFilesAtomically({{target, contentA}}, error));
    // Both writers wait at a pipe until both exist, so that their saves overlap.
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    auto writer = [&](const std::string& content) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            char go = 0;
            if (::read(start[0], &go, 1) != 1)
                ::_exit(2);
            std::string e;
            for (int i = 0; i < 300; ++i)
                if (!ode::WriteFilesAtomically({{target, content}, {target + ".str", content.substr(0, 10)}}, e))
                    ::_exit(1);
            ::_exit(0);
        }
        return pid;
    };
    const pid_t a = writer(contentA), b = writer(contentB);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    ASSERT_EQ(::write(start[1], "go", 2), 2);
    ::close(start[0]);
    ::close(start[1]);
    int mixed = 0, reads = 0;
    for (bool running = true; running;) {
        std::string content;
        if (ode::ReadWholeFile(target, content, error)) {
            ++reads;
            if (content != contentA && content != contentB)
                ++mixed;
        }
        int status = 0;
        running = ::waitpid(a, &status, WNOHANG) == 0 || ::waitpid(b, &status, WNOHANG) == 0;
    }
    int statusA = 0, statusB = 0;
    ::waitpid(a, &statusA, 0);
    ::waitpid(b, &statusB, 0);
    EXPECT_TRUE(WIFEXITED(statusA) && WEXITSTATUS(statusA) == 0);
    EXPECT_TRUE(WIFEXITED(statusB) && WEXITSTATUS(statusB) == 0);
    EXPECT_GT(reads, 0);
    EXPECT_EQ(mixed, 0) << "a reader saw a file that neither save wrote";
    std::string content;
    ASSERT_TRUE(ode::ReadWholeFile(target, content, error));
    EXPECT_TRUE(content == contentA || content == contentB);
    EXPECT_EQ(entries(dir.path), 2u) << "only the pair is left, no temporary file";
}

TEST(FileIO, MissingFileIsAMessage)
{
    std::string content, error;
    EXPECT_FALSE(ode::ReadWholeFile("/nonexistent/file", content, error));
    EXPECT_NE(error.find("/nonexistent/file"), std::string::npos);
}

} // namespace
