#include "common/NumberFormat.h"
#include "linear/LinearSession.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using ode::LinearSession;
using ode::SeriesKind;
using ode::SingleTexts;

// Rounding level for a well-conditioned collocation solve of modest degree.
constexpr double kRounding = 1e-12;

struct Solver {
    std::shared_ptr<ode::script::Class1> shared;
    std::vector<std::string> messages;
    LinearSession session;

    explicit Solver(SeriesKind kind) : session(kind, shared, [this](const std::string& m) { messages.push_back(m); }) {}

    Solver& problem(const std::string& order, const std::string& equation, std::vector<std::string> conditions,
                    std::vector<std::string> points, const std::string& lower, const std::string& upper,
                    const std::string& centre, const std::string& terms)
    {
        SingleTexts& t = session.boxes;
        t.order = order;
        t.equation = equation;
        t.bcText = std::move(conditions);
        t.bcPoint = std::move(points);
        t.xlower = lower;
        t.xupper = upper;
        t.expansion = centre;
        t.terms = terms;
        return *this;
    }
    double value(double x, int d = 0) const { return ode::SeriesDerivative(session.series(), d, x); }
};

TEST(LinearSolver, ExponentialCoefficientsAboutTheMidpoint)
{
    Solver s(SeriesKind::Power);
    s.problem("1", "y'-y=0", {"y=1"}, {"0"}, "0", "1", "*", "8");
    ASSERT_TRUE(s.session.solve()) << (s.messages.empty() ? "" : s.messages[0]);
    const auto& c = s.session.coef();
    ASSERT_EQ(c.size(), 9u);
    // Collocation at degree 8: the low coefficients agree closely, the top ones to a percent.
    for (size_t k = 0; k < c.size(); ++k) {
        const double exact = std::exp(0.5) / ode::Factorials()[k];
        EXPECT_NEAR(c[k], exact, (k <= 5 ? 1e-3 : 3e-2) * exact) << k;
    }
    // The condition is a row of the system: its residual is at rounding level.
    const auto& bc = s.session.lstBCError();
    ASSERT_EQ(bc.size(), 4u);
    EXPECT_EQ(bc[0], "B.C. #1");
    EXPECT_EQ(bc[2], "RHS=1");
    EXPECT_LT(std::fabs(ode::ParseNumber(bc[3].substr(8))), 1e-14);
    EXPECT_EQ(s.session.lstCoeff().size(), 10u);
    EXPECT_EQ(s.session.lstCoeff()[0], "EXPANSION COEFFICIENTS:");
    EXPECT_EQ(s.session.lstCoeff()[1].rfind("y(0)=1.6487212", 0), 0u);
}

TEST(LinearSolver, OscillatorGivesTheSine)
{
    Solver s(SeriesKind::Power);
    s.problem("2", "y''+y=0", {"y=0", "y'=1"}, {"0", "0"}, "-1", "1", "0", "20");
    ASSERT_TRUE(s.session.solve());
    for (double x : {-1.0, -0.3, 0.5, 1.0}) {
        EXPECT_NEAR(s.value(x), std::sin(x), kRounding);
        EXPECT_NEAR(s.value(x, 1), std::cos(x), 1e-11);
    }
    EXPECT_NEAR(s.session.coef()[0], 0.0, kRounding);
    EXPECT_NEAR(s.session.coef()[3], -1.0 / 6, kRounding);
}

TEST(LinearSolver, AiryFunctionFromItsInitialValues)
{
    // Ai(0) and Ai'(0); Ai(1) = 0.135292416312881, Ai(-2) = 0.227407428201528.
    Solver s(SeriesKind::Power);
    s.problem("2", "y''-x*y=0", {"y=0.355028053887817", "y'=-0.258819403792807"}, {"0", "0"}, "-2", "2", "0", "30");
    ASSERT_TRUE(s.session.solve());
    EXPECT_NEAR(s.value(1), 0.135292416312881, 1e-12);
    EXPECT_NEAR(s.value(-2), 0.227407428201528, 1e-12);
    s.session.boxes.xestimation = "1";
    s.session.boxes.derNum = "2";
    ASSERT_TRUE(s.session.evaluate());
    EXPECT_NEAR(ode::ParseNumber(s.session.lblValue()), 0.135292416312881, 1e-12) << "y'' = x y at x = 1";
    ASSERT_EQ(s.session.lstDError().size(), 3u);
    EXPECT_EQ(s.session.lstDError()[1], "RHS=0");
    EXPECT_LT(std::fabs(ode::ParseNumber(s.session.lstDError()[2].substr(8))), 1e-10);
}

TEST(LinearSolver, TrigonometricSolutionIsRecoveredToRounding)
{
    // y'' + 2y' + 4y = 8 + 2 sin x - 12 cos 2x - 3 cos x has the periodic solution
    // 2 - cos x - 3 sin 2x: c0 = 2, c2 = -1, c3 = -3, everything else 0.
    Solver s(SeriesKind::Trigonometric);
    s.problem("2", "y''+2*y'+4*y=8+2*sin(x)-12*cos(2*x)-3*cos(x)", {"y=1", "y'=-6"}, {"0", "0"}, "-5", "5", "*", "15");
    ASSERT_TRUE(s.session.solve()) << (s.messages.empty() ? "" : s.messages[0]);
    const auto& c = s.session.coef();
    ASSERT_EQ(c.size(), 15u) << "15 terms: N = 14";
    std::vector<double> exact(15, 0.0);
    exact[0] = 2;
    exact[2] = -1;
    exact[3] = -3;
    for (size_t k = 0; k < c.size(); ++k)
        EXPECT_NEAR(c[k], exact[k], 1e-12) << k;
}

TEST(LinearSolver, SingularSystemsAreListedNotShown)
{
    Solver dependent(SeriesKind::Power);
    dependent.problem("2", "y''=0", {"y=1", "y=1"}, {"0", "0"}, "0", "1", "0", "4");
    EXPECT_FALSE(dependent.session.solve());
    EXPECT_EQ(dependent.session.lstCoeff(), std::vector<std::string>{"ENCOUNTERED LINEARLY DEPENDENT SYSTEM"});
    EXPECT_TRUE(dependent.session.lstBCError().empty());
    EXPECT_TRUE(dependent.messages.empty());

    Solver inconsistent(SeriesKind::Power);
    inconsistent.problem("2", "y''=0", {"y=1", "y=2"}, {"0", "0"}, "0", "1", "0", "4");
    EXPECT_FALSE(inconsistent.session.solve());
    EXPECT_EQ(inconsistent.session.lstCoeff(), std::vector<std::string>{"ENCOUNTERED INCONSISTENT SYSTEM"});

    Solver nameNeverFound(SeriesKind::Power);
    nameNeverFound.problem("1", "z'=1", {"y=1"}, {"0"}, "0", "1", "0", "3");
    EXPECT_FALSE(nameNeverFound.session.solve());
    EXPECT_EQ(nameNeverFound.session.lstCoeff().size(), 1u);
}

struct FailureCase {
    const char* name;
    const char* equation;
    const char* condition;
    const char* terms;
    const char* period;
    const char* message;
    friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
};

class LinearFailures : public testing::TestWithParam<FailureCase> {};

TEST_P(LinearFailures, EndTheSolveWithOneMessageAndNoCoefficients)
{
    const FailureCase& c = GetParam();
    Solver s(std::string(c.period).empty() ? SeriesKind::Power : SeriesKind::Trigonometric);
    s.problem("1", c.equation, {c.condition}, {"0"}, "0", "2", "0", c.terms);
    if (!std::string(c.period).empty())
        s.session.boxes.period = c.period;
    EXPECT_FALSE(s.session.solve());
    EXPECT_EQ(s.messages, std::vector<std::string>{c.message});
    EXPECT_TRUE(s.session.lstCoeff().empty());
    EXPECT_FALSE(s.session.solved());
    s.session.boxes.xestimation = "1";
    EXPECT_FALSE(s.session.evaluate()) << "Evaluate does nothing without a solution";
}

INSTANTIATE_TEST_SUITE_P(
    Table, LinearFailures,
    testing::Values(FailureCase{"PoleOnTheGrid", "y'+1/(x-1)*y=0", "y=1", "5", "", "division by zero"},
                    FailureCase{"SquareRootOfNegative", "y'+Sqr(x-2)*y=0", "y=1", "4", "",
                                "Invalid procedure call or argument"},
                    FailureCase{"Overflow", "y'+Exp(1000*x)*y=0", "y=1", "4", "", "overflow"},
                    FailureCase{"MisspeltFunction", "y'+Sinn(x)*y=0", "y=1", "4", "", "Type mismatch: 'sinn'"},
                    FailureCase{"ConditionWithoutEquals", "y'-y=0", "y", "4", "", "Boundary condition 1 has no \"=\"."},
                    FailureCase{"TermAboveTheOrder", "y''+y'-y=0", "y=1", "4", "",
                                "The differential equation has a derivative of order 2, above the order 1."},
                    FailureCase{"DegreeRoundsToTheOrder", "y'-y=0", "y=1", "1.4", "", "division by zero"},
                    FailureCase{"ZeroPeriod", "y'-y=0", "y=1", "5", "0", "division by zero"}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST(LinearSolver, ConstantsReachTheEquationAndUndefinedOnesAreZero)
{
    Solver s(SeriesKind::Power);
    s.problem("1", "y'-k*y=0", {"y=a"}, {"0"}, "0", "1", "0", "12");
    s.session.boxes.constants = {"a=2", "k=a/2"};
    ASSERT_TRUE(s.session.solve());
    EXPECT_NEAR(s.value(1), 2 * std::exp(1.0), 1e-9);

    Solver undefined(SeriesKind::Power);
    undefined.problem("1", "y'-q*y=0", {"y=1"}, {"0"}, "0", "1", "0", "6");
    ASSERT_TRUE(undefined.session.solve());
    EXPECT_NEAR(undefined.value(1), 1.0, kRounding) << "q is empty, so y' = 0";
}

TEST(LinearSolver, GridPointOnTheCentreContributesFactorialTimesCoefficient)
{
    // y'' = 2 on [-1, 1] about 0, y(0) = 0, y'(0) = 0: exactly x^2. The grid's middle point
    // is the centre, where only the j = k term survives (0^0 = 1).
    Solver s(SeriesKind::Power);
    s.problem("2", "y''=2", {"y=0", "y'=0"}, {"0", "0"}, "-1", "1", "0", "4");
    ASSERT_TRUE(s.session.solve());
    EXPECT_EQ(s.session.coef(), (std::vector<double>{0, 0, 1, 0, 0}));
}

TEST(LinearSolver, HighDegreesSolveWithoutLargeFactorials)
{
    Solver s(SeriesKind::Power);
    s.problem("2", "y''+y=0", {"y=0", "y'=1"}, {"0", "0"}, "-1", "1", "0", "200");
    ASSERT_TRUE(s.session.solve());
    EXPECT_NEAR(s.value(0.5), std::sin(0.5), 1e-9);
    for (double c : s.session.coef())
        ASSERT_TRUE(std::isfinite(c));
}

} // namespace
