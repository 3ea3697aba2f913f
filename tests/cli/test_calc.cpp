#include "cli/Cli.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>
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
    testing::Values(
        CalcCase{"ValuesAndMessages", {"calc", "Asin(0.5)", "1/0", "pi", "Sinn(1)", "1E-5"},
                 "0.523598775598299\ndivision by zero\n3.14159265358979\nType mismatch: 'Sinn'\n1E-05\n", "", 1},
        CalcCase{"Constants", {"calc", "--const", "a=2", "--const", "b=a*3", "a+b"}, "8\n", "", 0},
        CalcCase{"BadConstant", {"calc", "--const", "2a=1", "1"}, "", "odeseries: not a constant: 2a=1 (expected NAME=VALUE)\n", 2},
        CalcCase{"FailingConstant", {"calc", "--const", "a=Sqr(-1)", "a"}, "", "odeseries: Invalid procedure call or argument\n", 1},
        CalcCase{"NoExpression", {"calc"}, "", "odeseries: calc needs at least one expression\n", 2},
        CalcCase{"DashDash", {"calc", "--", "--1"}, "1\n", "", 0},
        CalcCase{"UnknownCommand", {"frobnicate"}, "", nullptr, 2}),
    [](const testing::TestParamInfo<CalcCase>& info) { return std::string(info.param.name); });

TEST(Cli, HelpAndVersion)
{
    std::ostringstream out, err;
    EXPECT_EQ(ode::cli::Run({"--help"}, out, err), 0);
    EXPECT_NE(out.str().find("calc"), std::string::npos);
    out.str("");
    EXPECT_EQ(ode::cli::Run({"--version"}, out, err), 0);
    EXPECT_EQ(out.str().rfind("odeseries ", 0), 0u);
}

// The real executable, as a user runs it.
TEST(Cli, ExecutableRunsCalc)
{
    std::string command = std::string(ODESERIES_EXECUTABLE) + " calc \"Asin(0.5)\" \"1/0\" 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buf[256];
    while (size_t n = fread(buf, 1, sizeof buf, pipe))
        output.append(buf, n);
    int status = pclose(pipe);
    EXPECT_EQ(output, "0.523598775598299\ndivision by zero\n");
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

} // namespace
