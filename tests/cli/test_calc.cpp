#include "cli/Cli.h"

#include "support/Program.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

namespace {

struct CalcCase {
    const char* name;
    std::vector<std::string> args;
    const char* out;
    const char* err;
    int status;
    friend void PrintTo(const CalcCase& c, std::ostream* os) { *os << c.name; }
};

class CalcTest : public testing::TestWithParam<CalcCase> {};

TEST_P(CalcTest, PrintsOneLineAnExpression)
{
    const CalcCase& c = GetParam();
    std::ostringstream out, err;
    int status = ode::cli::Run(c.args, out, err);
    EXPECT_EQ(out.str(), c.out);
    if (c.err)
        EXPECT_EQ(err.str(), c.err);
    else
        EXPECT_FALSE(err.str().empty());
    EXPECT_EQ(status, c.status);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CalcTest,
    testing::Values(CalcCase{"ValuesAndMessages",
                             {"calc", "Asin(0.5)", "1/0", "pi", "Sinn(1)", "1E-5"},
                             "0.523598775598299\ndivision by zero\n3.14159265358979\nType mismatch: 'Sinn'\n1E-05\n",
                             "",
                             1},
                    CalcCase{"Constants", {"calc", "--const", "a=2", "--const", "b=a*3", "a+b"}, "8\n", "", 0},
                    CalcCase{"BadConstant",
                             {"calc", "--const", "2a=1", "1"},
                             "",
                             "odeseries: not a constant: 2a=1 (expected NAME=VALUE)\n",
                             2},
                    CalcCase{"FailingConstant",
                             {"calc", "--const", "a=Sqr(-1)", "a"},
                             "",
                             "odeseries: Invalid procedure call or argument\n",
                             1},
                    CalcCase{"NoExpression", {"calc"}, "", "odeseries: calc needs at least one expression\n", 2},
                    CalcCase{"DashDash", {"calc", "--", "--1"}, "1\n", "", 0},
                    CalcCase{"UnknownCommand", {"frobnicate"}, "", nullptr, 2}),
    [](const testing::TestParamInfo<CalcCase>& info) { return std::string(info.param.name); });

TEST(Cli, HelpAndVersion)
{
    std::ostringstream out, err;
    EXPECT_EQ(ode::cli::Run({"--help"}, out, err), 0);
    EXPECT_NE(out.str().find("calc"), std::string::npos);
    const std::string usage = out.str();
    out.str("");
    EXPECT_EQ(ode::cli::Run({"solve", "--help"}, out, err), 0);
    EXPECT_EQ(out.str(), usage);
    EXPECT_EQ(err.str(), "");
    out.str("");
    EXPECT_EQ(ode::cli::Run({"--version"}, out, err), 0);
    EXPECT_EQ(out.str().rfind("odeseries ", 0), 0u);
}

// The real executable as a user runs it: its status, and its output and messages as one text.
int runQuiet(const std::string& args, std::string& output)
{
    int status = 0;
    output = ode::test::RunShell(ode::test::Program() + " " + args + " 2>&1", status);
    return status;
}

TEST(Cli, ExecutableRunsCalc)
{
    std::string output;
    EXPECT_EQ(runQuiet("calc \"Asin(0.5)\" \"1/0\"", output), 1);
    EXPECT_EQ(output, "0.523598775598299\ndivision by zero\n");
}

// Width and height from a PNG file's header, or (0, 0).
std::pair<int, int> pngSize(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return {0, 0};
    unsigned char h[24] = {};
    size_t n = std::fread(h, 1, sizeof h, f);
    std::fclose(f);
    if (n < 24 || h[1] != 'P' || h[2] != 'N' || h[3] != 'G')
        return {0, 0};
    auto be = [&](int at) { return (h[at] << 24) | (h[at + 1] << 16) | (h[at + 2] << 8) | h[at + 3]; };
    return {be(16), be(20)};
}

} // namespace

// The plot picture, headless, through the window library.
TEST(Cli, SolvePlotWritesAPngOfTheAskedSize)
{
    if (!ode::test::ProgramDrawsPictures())
        GTEST_SKIP() << "the windows, which draw the pictures, are not built";
    const std::string examples = std::string(ODESERIES_EXAMPLES) + "/";
    const std::string png = testing::TempDir() + "odeseries-airy.png";
    std::remove(png.c_str());
    std::string output;
    EXPECT_EQ(runQuiet("solve " + examples + "airy --plot " + png +
                           " --plot-size 320x200 --plot-derivative 1 "
                           "--plot-window -2,2,-1,1 --plot-grid --plot-labels",
                       output),
              0)
        << output;
    EXPECT_EQ(pngSize(png), std::make_pair(320, 200));
    EXPECT_EQ(output.find("odeseries:"), std::string::npos) << output;
    EXPECT_EQ(runQuiet("solve " + examples + "airy --plot " + png + " --plot-window 1,1,0,1", output), 1);
    EXPECT_NE(output.find("odeseries: The plot window is empty"), std::string::npos) << output;
    EXPECT_EQ(runQuiet("solve " + examples + "airy --plot " + png + " --plot-size 0x5", output), 2);
    EXPECT_EQ(runQuiet("solve " + examples + "bessel-default --no-solve --plot " + png, output), 1);
    EXPECT_NE(output.find("no solution to plot"), std::string::npos);
    std::remove(png.c_str());
}
