#include "equations/Derivatives.h"

#include <gtest/gtest.h>

namespace {

using namespace ode;

struct TranslateCase {
    const char* text;
    const char* dep;
    int order;
    const char* translated;
    friend void PrintTo(const TranslateCase& c, std::ostream* os) { *os << c.text; }
};

class TranslateTest : public testing::TestWithParam<TranslateCase> {};

TEST_P(TranslateTest, WritesTheEnginesVariables)
{
    const TranslateCase& c = GetParam();
    EXPECT_EQ(TranslateDerivatives(c.text, c.dep, c.order), c.translated);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TranslateTest,
    testing::Values(TranslateCase{"y''-2*y^3", "y", 2, "Y2-2*Y0^3"}, TranslateCase{"y''+y'*y", "y", 2, "Y2+Y1*Y0"},
                    TranslateCase{"exp(e)+e'", "e", 1, "exp(Y0)+Y1"}, TranslateCase{"y'+y^2", "Y", 2, "Y1+Y0^2"},
                    TranslateCase{"xy+y2+sin(y)", "y", 1, "xy+y2+sin(Y0)"}, TranslateCase{"Y''+X*Y", "y", 2, "Y2+x*Y0"},
                    TranslateCase{"u''+u", "u", 2, "Y2+Y0"}, TranslateCase{"y", "y", 1, "Y0"}));

TEST(PrepareExpressions, ResidualsMoveTheRightSideOver)
{
    std::vector<std::string> r;
    ASSERT_FALSE(PrepareExpressions("y''-2*y^3=0", {"y=1", "y'+y^2=x"}, "y", 2, r));
    EXPECT_EQ(r, (std::vector<std::string>{"Y2-2*Y0^3", "Y0-(1)", "Y1+Y0^2-(x)"}));
    ASSERT_FALSE(PrepareExpressions("y'=y", {"y"}, "y", 1, r));
    EXPECT_EQ(r[1], "Y0") << "a condition without = stays whole";
    EXPECT_TRUE(PrepareExpressions("y'''=0", {"y=1", "y=2"}, "y", 2, r)) << "an order above n is refused";
}

TEST(NonlinearSystemTexts, TranslationAndDeclarations)
{
    EXPECT_EQ(TranslateSystemText("y''+z", {"y", "z"}, {2, 1}), "y2+z0");
    EXPECT_EQ(TranslateSystemText("z'-y", {"y", "z"}, {2, 1}), "z1-y0");
    EXPECT_EQ(TranslateSystemText("exp(e)+Y*e'", {"y", "e"}, {0, 1}), "exp(e0)+y0*e1");
    EXPECT_EQ(DeclarationStatements({"y", "z"}, {2, 1}),
              (std::vector<std::string>{"public y0", "public y1", "public y2", "public z0", "public z1"}));
}

} // namespace
