#include "equations/BoxChecks.h"
#include "equations/LinearSplit.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char* name;
    const char* text;
    const char* dep;
    int order;
    std::vector<std::string> texts; // orders 0 ... n, then the right-hand side
    bool refused = false;
    friend void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.text; }
};

class SplitTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, GivesOneCoefficientTextPerOrder)
{
    const SplitCase& c = GetParam();
    ode::SplitResult r = ode::SplitLinearText(c.text, c.dep, c.order);
    EXPECT_EQ(r.problem.has_value(), c.refused) << r.problem.value_or("");
    if (!c.refused) {
        EXPECT_EQ(r.texts, c.texts);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SplitTest,
    testing::Values(SplitCase{"Bessel", "x*x*y''+x*y'+(x*x-1)*y=0", "y", 2, {"+(x*x-1)", "+x", "x*x", "0"}},
                    SplitCase{"SignedUnitTerms", "y''-3*y'+y=exp(x)", "y", 2, {"1", "-3", "1", "exp(x)"}},
                    SplitCase{"Condition", "y'=0.5", "y", 2, {"0", "1", "0", "0.5"}},
                    SplitCase{"Oscillator", "y''+y=0", "y", 2, {"1", "0", "1", "0"}},
                    SplitCase{"LeadingMinus", "-y''+y=0", "y", 2, {"1", "0", "-1", "0"}},
                    SplitCase{"InsideIdentifier", "y''+xy*y=0", "y", 2, {"+xy", "0", "1", "0"}},
                    SplitCase{"InsideCall", "y''+sin(y)=0", "y", 2, {"+sin", "0", "1", "0"}},
                    SplitCase{"TrailingConstantDropped", "y''+y+3=0", "y", 2, {"1", "0", "1", "0"}},
                    SplitCase{"OrderOfTermsIrrelevant", "y+y''=0", "y", 2, {"1", "0", "1", "0"}},
                    SplitCase{"BlanksOnTheLeft", " x * y'' + 2 * y = 1 ", "y", 2, {"+2", "0", "x", " 1 "}},
                    SplitCase{"LaterTermReplaces", "y'+2*y'+y=0", "y", 1, {"1", "+2", "0"}},
                    SplitCase{"UpperCaseNameMatchesToo", "Y''+4*Y=x", "Y", 2, {"+4", "0", "1", "x"}},
                    SplitCase{"FunctionOfName", "yy''+y=0", "y", 2, {"yy''", "0", "0", "0"}},
                    SplitCase{"LongName", "u1''-x*u1=0", "u1", 2, {"-x", "0", "1", "0"}},
                    SplitCase{"NoEquals", "y''+y", "y", 2, {}, true},
                    SplitCase{"OrderAboveN", "y'''+y=0", "y", 2, {}, true},
                    SplitCase{"NameSecondAfterParenthesis", "(y)''=0", "y", 2, {}, true}),
    [](const testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

} // namespace
