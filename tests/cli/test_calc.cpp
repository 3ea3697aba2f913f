#include "CliTools.h"

#include <gtest/gtest.h>

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

// The real executable as a user runs it.
TEST(Cli, ExecutableRunsCalc)
{
    int status = 0;
    EXPECT_EQ(ode::test::RunProgram("calc \"Asin(0.5)\" \"1/0\"", status), "0.523598775598299\ndivision by zero\n");
    EXPECT_EQ(status, 1);
}

} // namespace
