// The plot's picture drawn headless by `odeseries solve --plot`, through the window library: the
// format by the file's extension, the size and setup asked, what cannot be drawn refused, and a
// picture that cannot be written (a full disk) failing with the old file kept.
#include "CliTools.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using ode::test::kExamples;
using ode::test::ReadText;
using ode::test::RunProgram;
using ode::test::RunShell;

const std::string kAiry = "'" + kExamples + "/airy'";

struct Format {
    const char* file;
    std::string starts;
};

// Each format is written by its extension (a name without one of ours is a PNG). A disk that
// takes no more than 1 KB a file (the shell's `ulimit -f 2`, with the signal that would end the
// program ignored, so that the write fails as on a full disk) fails with the reason and a status
// other than 0, and the file there before stays.
TEST(Pictures, AreWrittenInTheFormatOfTheirExtensionOrKeepTheOldFileOnAFullDisk)
{
    if (!ode::test::ProgramDrawsPictures())
        GTEST_SKIP() << "the windows, which draw the pictures, are not built";
    const ode::test::ScratchFolder dir("pictures");
    const Format formats[] = {
        {"p.svg", "<?xml"}, {"p.pdf", "%PDF-"}, {"p.png", "\x89PNG"}, {"p.bmp", "BM"}, {"p.picture", "\x89PNG"}};
    for (const Format& f : formats) {
        SCOPED_TRACE(f.file);
        const std::string file = dir.file(f.file);
        int status = 0;
        const std::string said =
            RunProgram("solve " + kAiry + " --plot-window -2,2,-15,15 --plot-labels --plot '" + file + "' >/dev/null", status);
        EXPECT_EQ(status, 0) << said;
        EXPECT_EQ(ReadText(file).substr(0, f.starts.size()), f.starts);
        if (f.starts == "%PDF-") {
            const std::string words = RunShell("pdftotext '" + file + "' -", status);
            EXPECT_NE(words.find("15"), std::string::npos) << words; // the y window's edge, labelled
        }

        std::ofstream(file) << "the old picture";
        const std::string out = RunShell("ulimit -f 2; trap '' XFSZ; exec '" + ode::test::Program() + "' solve " +
                                             kAiry + " --plot '" + file + "' 2>&1 >/dev/null",
                                         status);
        EXPECT_NE(status, 0);
        EXPECT_EQ(out, "odeseries: The file " + file + " cannot be written: File too large.\n");
        EXPECT_EQ(ReadText(file), "the old picture");
        EXPECT_EQ(dir.names(), std::vector<std::string>{f.file}) << "no temporary file is left";
        fs::remove(file);
    }
}

// The size, derivative, window, grid and labels asked; a window or a size that cannot be drawn,
// and a problem without a solution, are refused.
TEST(Pictures, AreDrawnAsAskedOrRefused)
{
    if (!ode::test::ProgramDrawsPictures())
        GTEST_SKIP() << "the windows, which draw the pictures, are not built";
    const ode::test::ScratchFolder dir("pictures");
    const std::string png = dir.file("airy.png");
    int status = 0;
    std::string output = RunProgram("solve " + kAiry + " --plot '" + png +
                                        "' --plot-size 320x200 --plot-derivative 1 --plot-window -2,2,-1,1 "
                                        "--plot-grid --plot-labels",
                                    status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output.find("odeseries:"), std::string::npos) << output;
    // Width and height, from the PNG header.
    const std::string head = ReadText(png).substr(0, 24);
    ASSERT_EQ(head.size(), 24u);
    const auto big = [&](size_t at) {
        int n = 0;
        for (size_t i = at; i < at + 4; ++i)
            n = n << 8 | static_cast<unsigned char>(head[i]);
        return n;
    };
    EXPECT_EQ(std::make_pair(big(16), big(20)), std::make_pair(320, 200));

    const std::pair<std::string, std::pair<int, std::string>> refused[] = {
        {"airy --plot-window 1,1,0,1",
         {1, "odeseries: The plot window is empty: each upper limit must exceed its lower limit.\n"}},
        {"airy --plot-size 0x5", {2, "odeseries: --plot-size needs WIDTHxHEIGHT, each from 1 to 10000\n"}},
        {"bessel-default --no-solve", {1, "odeseries: there is no solution to plot\n"}},
    };
    for (const auto& [args, expected] : refused) {
        output = RunProgram("solve " + kExamples + "/" + args + " --plot '" + png + "'", status);
        EXPECT_EQ(status, expected.first) << args;
        EXPECT_NE(output.find(expected.second), std::string::npos) << args << ": " << output;
    }
}

} // namespace
