#include "common/NumberFormat.h"
#include "linear/LinearProblems.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using ode::SeriesKind;
using ode::test::Linear;

// The session after Solve; a Solve that fails fails the test.
std::unique_ptr<Linear> Solved(SeriesKind kind, const char* order, const char* equation,
                               std::vector<std::string> conditions, std::vector<std::string> points, const char* lower,
                               const char* upper, const char* centre, const char* terms,
                               std::vector<std::string> constants = {})
{
    auto s = std::make_unique<Linear>(kind);
    s->set(order, equation, std::move(conditions), std::move(points), lower, upper, centre, terms);
    s->s.boxes.constants = std::move(constants);
    EXPECT_TRUE(s->s.solve()) << equation << ": " << s->firstMessage();
    return s;
}

TEST(LinearSolver, KnownSolutionsInValuesAndCoefficients)
{
    const SeriesKind power = SeriesKind::Power;
    const auto sine = Solved(power, "2", "y''+y=0", {"y=0", "y'=1"}, {"0", "0"}, "-1", "1", "0", "20");
    for (double x : {-1.0, -0.3, 0.5, 1.0}) {
        EXPECT_NEAR(sine->value(x), std::sin(x), 1e-12) << x;
        EXPECT_NEAR(sine->value(x, 1), std::cos(x), 1e-11) << x;
    }
    // Ai from Ai(0) and Ai'(0).
    const auto airy = Solved(power, "2", "y''-x*y=0", {"y=0.355028053887817", "y'=-0.258819403792807"}, {"0", "0"},
                             "-2", "2", "0", "30");
    EXPECT_NEAR(airy->value(1), 0.135292416312881, 1e-12);
    EXPECT_NEAR(airy->value(-2), 0.227407428201528, 1e-12);
    // Constants reach the equation and the conditions; one never defined is 0.
    EXPECT_NEAR(Solved(power, "1", "y'-k*y=0", {"y=a"}, {"0"}, "0", "1", "0", "12", {"a=2", "k=a/2"})->value(1),
                2 * std::exp(1.0), 1e-9);
    EXPECT_NEAR(Solved(power, "1", "y'-q*y=0", {"y=1"}, {"0"}, "0", "1", "0", "6")->value(1), 1.0, 1e-12);
    // 200! is far past a double: the solve must not need it.
    EXPECT_NEAR(Solved(power, "2", "y''+y=0", {"y=0", "y'=1"}, {"0", "0"}, "-1", "1", "0", "200")->value(0.5),
                std::sin(0.5), 1e-9);
    // Exactly x^2: the grid's middle point is the centre, where only the j = k term survives
    // (0^0 = 1).
    EXPECT_EQ(Solved(power, "2", "y''=2", {"y=0", "y'=0"}, {"0", "0"}, "-1", "1", "0", "4")->s.coef(),
              (std::vector<double>{0, 0, 1, 0, 0}));
    // The periodic solution 2 - cos x - 3 sin 2x: c0 = 2, c2 = -1, c3 = -3, the others 0.
    const auto periodic = Solved(SeriesKind::Trigonometric, "2", "y''+2*y'+4*y=8+2*sin(x)-12*cos(2*x)-3*cos(x)",
                                 {"y=1", "y'=-6"}, {"0", "0"}, "-5", "5", "*", "15");
    ASSERT_EQ(periodic->s.coef().size(), 15u);
    for (size_t k = 0; k < 15; ++k)
        EXPECT_NEAR(periodic->s.coef()[k], k == 0 ? 2 : k == 2 ? -1 : k == 3 ? -3 : 0, 1e-12) << k;
}

TEST(LinearSolver, ExponentialAboutTheMidpoint)
{
    Linear s;
    s.set("1", "y'-y=0", {"y=1"}, {"0"}, "0", "1", "*", "8");
    ASSERT_TRUE(s.s.solve()) << s.firstMessage();
    const auto& c = s.s.coef();
    ASSERT_EQ(c.size(), 9u);
    // Collocation at degree 8: the low coefficients agree closely, the top ones to a percent.
    for (size_t k = 0; k < c.size(); ++k) {
        const double exact = std::exp(0.5) / ode::Factorials()[k];
        EXPECT_NEAR(c[k], exact, (k <= 5 ? 1e-3 : 3e-2) * exact) << k;
    }
    EXPECT_EQ(s.s.lstCoeff().at(1).rfind("y(0)=1.6487212", 0), 0u) << "y(1/2) to eight digits";
    // The condition is a row of the system: its residual is at rounding level.
    ASSERT_EQ(s.s.lstBCError().size(), 4u);
    EXPECT_LT(std::fabs(ode::ParseNumber(s.s.lstBCError()[3].substr(8))), 1e-14) << s.s.lstBCError()[3];
}

// A singular system is listed, not shown, without a message; each other failure ends the solve
// with one message and no coefficients. Either way no solution stands, no condition's error is
// listed, and Evaluate does nothing.
TEST(LinearSolver, FailuresEndTheSolveWithoutASolution)
{
    const struct {
        const char *what, *order, *equation;
        std::vector<std::string> conditions;
        const char *terms, *period, *listed, *message; // "": none listed, no message
    } cases[] = {
        // clang-format off
        {"dependent", "2", "y''=0", {"y=1", "y=1"}, "4", "", "ENCOUNTERED LINEARLY DEPENDENT SYSTEM", ""},
        {"inconsistent", "2", "y''=0", {"y=1", "y=2"}, "4", "", "ENCOUNTERED INCONSISTENT SYSTEM", ""},
        // The variable's name never appears in the equation: its rows are zero.
        {"no variable", "1", "z'=1", {"y=1"}, "4", "", "ENCOUNTERED INCONSISTENT SYSTEM", ""},
        {"pole on the grid", "1", "y'+1/(x-1)*y=0", {"y=1"}, "5", "", "", "division by zero"},
        {"square root of a negative", "1", "y'+Sqr(x-2)*y=0", {"y=1"}, "4", "", "", "Invalid procedure call or argument"},
        {"overflow", "1", "y'+Exp(1000*x)*y=0", {"y=1"}, "4", "", "", "overflow"},
        {"misspelt function", "1", "y'+Sinn(x)*y=0", {"y=1"}, "4", "", "", "Type mismatch: 'sinn'"},
        {"condition without =", "1", "y'-y=0", {"y"}, "4", "", "", "Boundary condition 1 has no \"=\"."},
        {"term above the order", "1", "y''+y'-y=0", {"y=1"}, "4", "", "",
         "The differential equation has a derivative of order 2, above the order 1."},
        {"degree rounds to the order", "1", "y'-y=0", {"y=1"}, "1.4", "", "", "division by zero"},
        {"zero period", "1", "y'-y=0", {"y=1"}, "5", "0", "", "division by zero"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const bool trigonometric = *c.period != 0;
        Linear s(trigonometric ? SeriesKind::Trigonometric : SeriesKind::Power);
        s.set(c.order, c.equation, c.conditions, std::vector<std::string>(c.conditions.size(), "0"), "0", "2", "0",
              c.terms);
        if (trigonometric)
            s.s.boxes.period = c.period;
        EXPECT_FALSE(s.s.solve());
        EXPECT_EQ(s.s.lstCoeff(), *c.listed ? std::vector<std::string>{c.listed} : std::vector<std::string>{});
        EXPECT_EQ(s.messages, *c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
        EXPECT_FALSE(s.s.solved());
        EXPECT_TRUE(s.s.lstBCError().empty());
        s.s.boxes.xestimation = "1";
        EXPECT_FALSE(s.s.evaluate()) << "Evaluate does nothing without a solution";
    }
}

// The solved reports' whole texts are pinned by the command line's cases (OscillatorWithConstant,
// TrigDefaultWithReport); this is the head they do not reach: no constants block, conditions at
// several points, a negative centre, and no solution yet.
TEST(LinearReport, UnsolvedProblemWithConditionsAtSeveralPoints)
{
    Linear a;
    a.set("3", "y'''=0", {"y=0", "y'=0", "y''=1"}, {"0", "0", "0.5"}, "-5", "5", "-0.25", "23");
    EXPECT_EQ(ode::test::Joined(a.s.report()), "  DEPENDENT VARIABLE: y\n"
                                               "INDEPENDENT VARIABLE: x\n"
                                               "\n"
                                               "DIFFERENTIAL EQUATION:\n"
                                               "y'''=0\n"
                                               "\n"
                                               "BOUNDARY CONDITION # 1 . EVALUATION POINT x=0\n"
                                               "y=0\n"
                                               "\n"
                                               "BOUNDARY CONDITION # 2 . EVALUATION POINT x=0\n"
                                               "y'=0\n"
                                               "\n"
                                               "BOUNDARY CONDITION # 3 . EVALUATION POINT x=0.5\n"
                                               "y''=1\n"
                                               "\n"
                                               "              ORDER: 3 \n"
                                               " DEGREE OF SOLUTION: 23 \n"
                                               "   INTERVAL STUDIED: [-5 , 5 ]\n"
                                               "CENTER OF EXPANSION:-.25 \n"
                                               "\n"
                                               "EXPANSION COEFFICIENTS:\n"
                                               "(NOT SOLVED)\n");
}

} // namespace
