#include "equations/BoxChecks.h"
#include "plot/PlotSetup.h"

#include <gtest/gtest.h>

namespace {

using namespace ode;

struct BoxCase {
    bool (*check)(const std::string&);
    const char* checkName;
    const char* text;
    bool accepted;
};

TEST(BoxChecks, NumbersOrdersCentresAndBounds)
{
    const BoxCase cases[] = {
        {CheckOrderText, "order", "2", true},
        {CheckOrderText, "order", "10", true},
        {CheckOrderText, "order", "0.6", true},  // rounds to 1
        {CheckOrderText, "order", "0.5", false}, // rounds half to even: 0
        {CheckOrderText, "order", "0", false},
        {CheckOrderText, "order", "10.5", false},
        {CheckOrderText, "order", "abc", false},
        {CheckOrderText, "order", "-1", false},
        {CheckOrderText, "order", "0.4", false},
        {CheckNonlinearOrderText, "nonlinear order", "9", true},
        {CheckNonlinearOrderText, "nonlinear order", "10", false}, // no Y10
        {CheckCentreText, "centre", "*", true},
        {CheckCentreText, "centre", " -1.5E2 ", true},
        {CheckCentreText, "centre", "1,5", false},
        {CheckCentreText, "centre", "", false},
        {CheckCentreText, "centre", "**", false},
        {CheckErrorBoundText, "error bound", "1E-9", true},
        {CheckErrorBoundText, "error bound", "0", false},
        {CheckErrorBoundText, "error bound", "-1", false},
        {IsNumberText, "number", ".5", true},
        {IsNumberText, "number", "5.", true},
        {IsNumberText, "number", "1e", false},
        {IsNumberText, "number", "x", false},
        {IsNumberText, "number", " ", false},
        // A number box takes a whole number text, never its leading digits.
        {CheckOrderText, "order", "2x", false},
        {CheckErrorBoundText, "error bound", "1E-9x", false},
        {CheckToleranceText, "tolerance", "1E-13", true},
        {CheckToleranceText, "tolerance", "1E-1O", false},
        {CheckToleranceText, "tolerance", "1", false},
        {CheckMaxDegreeText, "max degree", "1OOO", false},
        {CheckMaxDegreeText, "max degree", "1000", true},
        {CheckContinuationStepsText, "steps", "1O", false},
        {CheckContinuationStepsText, "steps", "10", true},
        {CheckDerivativeOrderText, "derivative", "2", true},
        {CheckDerivativeOrderText, "derivative", "1.5", false},
        {CheckDerivativeOrderText, "derivative", "-1", false},
        {CheckDerivativeOrderText, "derivative", "1st", false},
        {CheckSystemDegreeText, "system degree", "2.5", true},
        {CheckSystemDegreeText, "system degree", "3O", false},
    };
    for (const BoxCase& c : cases)
        EXPECT_EQ(c.check(c.text), c.accepted) << c.checkName << " \"" << c.text << "\"";
}

TEST(BoxChecks, TermsAndIntervals)
{
    // Power series: the degree above the order; trigonometric: at least order + 2 terms.
    EXPECT_TRUE(CheckTermsText("3", 2, SeriesKind::Power));
    EXPECT_FALSE(CheckTermsText("2", 2, SeriesKind::Power));
    EXPECT_TRUE(CheckTermsText("4", 2, SeriesKind::Trigonometric));
    EXPECT_FALSE(CheckTermsText("3", 2, SeriesKind::Trigonometric));
    EXPECT_TRUE(CheckIntervalTexts("-1", "1"));
    EXPECT_FALSE(CheckIntervalTexts("1", "1"));
    EXPECT_FALSE(CheckIntervalTexts("2", "1"));
    // "3O" is no degree 3 (a letter O), "6x" no interval end 6, "3 0" no 30.
    EXPECT_FALSE(CheckTermsText("3O", 2, SeriesKind::Power));
    EXPECT_FALSE(CheckTermsText("3 0", 2, SeriesKind::Power));
    EXPECT_FALSE(CheckTermsText("1,5", 2, SeriesKind::Power));
    EXPECT_FALSE(CheckIntervalTexts("0", "6x"));
    EXPECT_FALSE(CheckIntervalTexts("abc", "1"));
    EXPECT_EQ(IntervalRule("0", "6x"), "The upper end must be a number.");
    EXPECT_EQ(IntervalRule("-", "6x"), "The lower end must be a number.");
    EXPECT_EQ(IntervalRule("2", "1"), "The upper end must be above the lower end.");
    EXPECT_EQ(IntervalRule("0", "1"), "");
}

TEST(BoxChecks, EquationMustHoldTheHighestDerivative)
{
    EXPECT_TRUE(CheckEquationText("x*x*y''+x*y'+(x*x-1)*y=0", "y", 2));
    EXPECT_TRUE(CheckEquationText("y'''=0", "y", 2)) << "a higher derivative passes the plain search";
    EXPECT_FALSE(CheckEquationText("2*y+y=0", "y", 1));
    EXPECT_FALSE(CheckEquationText("", "y", 1));
    EXPECT_FALSE(CheckEquationText("y''+y", "y", 2));
    EXPECT_FALSE(CheckEquationText("Y''+Y=0", "y", 2)) << "the check is case-sensitive";
    EXPECT_TRUE(CheckConditionText("y=1"));
    EXPECT_FALSE(CheckConditionText(""));
    for (const char* good : {"x", "t1", "Theta2"})
        EXPECT_TRUE(IsValidName(good)) << good;
    for (const char* bad : {"", "1x", "x_1", "x y", "é"})
        EXPECT_FALSE(IsValidName(bad)) << bad;
}

TEST(BoxChecks, EveryVariableHasANameOfItsOwn)
{
    struct Case {
        const char* indep;
        std::vector<std::string> deps;
        bool distinct;
    };
    const Case cases[] = {
        {"x", {"y"}, true},        {"x", {"x"}, false},           {"x", {"X"}, false},
        {"t", {"y", "z"}, true},   {"t", {"y", "Y"}, false},      {"t", {"y", "T"}, false},
        {"t", {"y1", "y2"}, true}, {"t", {"a", "b", "a"}, false}, {"x", {}, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NamesAreDistinct(c.indep, c.deps), c.distinct) << c.indep << " / " << c.deps.size();
}

// The rules as the windows say them, whole; the window tests show that each box says its rule.
TEST(BoxChecks, TheRulesInTheWindowsWords)
{
    const std::pair<std::string, std::string> rules[] = {
        {OrderRule(false), "The order must be a whole number from 1 to 10."},
        {OrderRule(true), "The order must be a whole number from 1 to 9."},
        {NameRule(), "A name starts with a letter and has only letters and digits."},
        {CentreRule(), "The centre of expansion is a number, or * for the middle of the interval."},
        {EquationRule("y", 2), "The equation needs an = and its highest derivative, y''."},
        {PointRule(), "The point must be a number."},
        {ErrorBoundRule(), "An error bound must be a number above 0."},
        {DerivativeOrderRule(), "Which derivative: a whole number, 0 for the function itself."},
        {ToleranceRule(), "The tolerance is a number above 0 and below 1 (1E-13 by default)."},
        {*FileTextRefusal("The equation", "y''+y=0*Len(\"a\")", TextItemForm::Quoted),
         "The equation cannot hold the character \": the problem file writes it between quotes and cannot keep a \" "
         "inside them."},
        {*FileTextRefusal("Condition 1", "y=Len(\"a,b\")-3", TextItemForm::AsNeeded),
         "Condition 1 cannot hold the character \" together with a comma, a \" at its start or a blank at either end: "
         "the problem file would write it between quotes and cannot keep a \" inside them."},
        {plot::PlotNumberRule(), "A window end or an origin must be a number."},
        {plot::DivisionRule("x"), "The divisions on the x axis need a size other than 0."},
        {plot::WindowRule("x"), "The window's greatest x must be above its least x."},
    };
    for (const auto& [rule, words] : rules)
        EXPECT_EQ(rule, words);
}

} // namespace
