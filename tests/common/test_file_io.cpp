// Saving several files at once with the real file system: all or nothing, beside other writers'
// temporary files and another process saving the same names.
#include "common/FileIO.h"
#include "support/Program.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A save that cannot be made (a target in a folder that does not exist, a folder under a
// target's name, targets in two folders) fails with the message; what stood there stays as it
// was, and no temporary file is left.
TEST(FileIO, ASaveThatCannotBeMadeLeavesTheOldFilesAndNoTemporary)
{
    const ode::test::ScratchFolder dir("test");
    const std::string p = dir.file("p"), folder = dir.file("p.str"), missing = dir.file("missing/q");
    std::string error;
    ASSERT_TRUE(ode::WriteFilesAtomically({{p, "old"}}, error)) << error;
    fs::create_directories(folder);
    std::ofstream(folder + "/inside") << "kept";
    const std::pair<ode::FileTexts, std::string> rows[] = {
        {{{missing, "x"}}, "The file " + missing + " cannot be written: No such file or directory."},
        {{{p, "new"}, {folder, "x"}}, "The file " + folder + " cannot be written: it is a folder."},
        {{{p, "new"}, {missing, "x"}},
         "The file " + missing + " cannot be written with " + p + ": the files of one save share a folder."},
    };
    for (const auto& [files, message] : rows) {
        EXPECT_FALSE(ode::WriteFilesAtomically(files, error));
        EXPECT_EQ(error, message);
        EXPECT_EQ(ode::test::ReadText(p), "old");
        EXPECT_EQ(ode::test::ReadText(folder + "/inside"), "kept");
        EXPECT_EQ(dir.names().size(), 2u) << "no temporary file is left behind";
    }
}

// Another writer's temporary file beside the target (the name a fixed scheme would use) is
// neither written into nor removed.
TEST(FileIO, AnotherWritersTemporaryFileIsLeftAlone)
{
    const ode::test::ScratchFolder dir("test");
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
    EXPECT_EQ(dir.names().size(), 3u);
}

// Two programs saving the same name at once: every save lands whole (a reader never sees a
// mixture or a short file), the last one stands, and no temporary file is left.
TEST(FileIO, TwoProcessesSavingOneNameNeverMixTheirFiles)
{
    if (ode::test::Sanitized()) // two processes racing for 5 s there; the sanitized saves are tested elsewhere
        GTEST_SKIP();
    const ode::test::ScratchFolder dir("test");
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
    EXPECT_EQ(dir.names().size(), 2u) << "only the pair is left, no temporary file";
}

} // namespace
