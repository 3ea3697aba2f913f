#include "common/FileIO.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

struct TempDir {
    fs::path path;
    TempDir()
    {
        path = fs::temp_directory_path() /
               ("odeseries-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
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

TEST(FileIO, MissingFileIsAMessage)
{
    std::string content, error;
    EXPECT_FALSE(ode::ReadWholeFile("/nonexistent/file", content, error));
    EXPECT_NE(error.find("/nonexistent/file"), std::string::npos);
}

} // namespace
