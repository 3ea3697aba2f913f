// Every kind states how its Solve ended as a value: the termination, the fault's number, and
// the residuals as numbers. These tests read that value, not the list texts.
#include "linear/LinearSession.h"
#include "nonlinear/NonlinearSession.h"
#include "support/SystemProblems.h"
#include "support/Tolerances.h"
#include "systems/SystemSession.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using namespace ode;
using ode::test::Close;

struct Messages {
    std::vector<std::string> seen;
    script::ScriptHost::MessageSink sink()
    {
        return [this](const std::string& m) { seen.push_back(m); };
    }
};

struct Ending {
    Termination termination;
    int errorNumber;
};

void expectEnding(const SolveEnd& end, const Ending& expected, const std::string& what)
{
    EXPECT_EQ(TerminationName(end.termination), std::string(TerminationName(expected.termination))) << what;
    EXPECT_EQ(end.error.number, expected.errorNumber) << what;
    EXPECT_EQ(end.solved(), expected.termination == Termination::Solved) << what;
}

TEST(Termination, LinearEquationEndings)
{
    struct Case {
        const char* what;
        std::function<void(SingleTexts&)> edit;
        Ending expected;
    };
    const Case cases[] = {
        {"the default problem", [](SingleTexts&) {}, {Termination::Solved, 0}},
        {"the same condition twice",
         [](SingleTexts& b) {
             b.bcText = {"y=0", "y=0"};
             b.bcPoint = {"0", "0"};
         },
         {Termination::LinearlyDependent, 0}},
        {"a pole on the grid",
         [](SingleTexts& b) { b.equation = "y''+y=1/(x-0.5)"; },
         {Termination::ScriptError, script::ErrDivisionByZero}},
        {"no grid interval (degree = order)",
         [](SingleTexts& b) { b.terms = "2"; },
         {Termination::ArithmeticFault, script::ErrDivisionByZero}},
        {"a constant that fails",
         [](SingleTexts& b) { b.constants = {"a=Log(0)"}; },
         {Termination::ScriptError, script::ErrInvalidCall}},
        {"an unknown function",
         [](SingleTexts& b) { b.equation = "y''+Sinn(x)*y=0"; },
         {Termination::ScriptError, script::ErrTypeMismatch}},
    };
    for (const Case& c : cases) {
        std::shared_ptr<script::Class1> shared;
        Messages m;
        LinearSession s(SeriesKind::Power, shared, m.sink());
        s.boxes.equation = "y''+y=0";
        s.boxes.bcText = {"y=0", "y'=1"};
        s.boxes.bcPoint = {"0", "0"};
        s.boxes.xlower = "0";
        s.boxes.xupper = "1";
        s.boxes.terms = "12";
        c.edit(s.boxes);
        s.solve();
        expectEnding(s.lastEnd(), c.expected, c.what);
        if (c.expected.termination == Termination::Solved) {
            EXPECT_TRUE(Close(SeriesDerivative(s.series(), 0, 0.5), std::sin(0.5), test::kCollocation));
        }
        if (c.expected.termination == Termination::ScriptError) {
            EXPECT_FALSE(s.lastEnd().error.description.empty()) << c.what;
        }
    }
}

TEST(Termination, NewtonEndingsWithTheirResiduals)
{
    struct Case {
        const char* what;
        std::function<void(NonlinearTexts&)> edit;
        Ending expected;
        int passes; // 0: not checked
    };
    const Case cases[] = {
        {"the default problem from unit coefficients", [](NonlinearTexts&) {}, {Termination::Solved, 0}, 9},
        {"one pass allowed", [](NonlinearTexts& b) { b.maxcy = "1"; }, {Termination::NoConvergence, 0}, 1},
        {"a logarithm of a negative value",
         [](NonlinearTexts& b) { b.equation = "y''-Log(y-5)=0"; },
         {Termination::ScriptError, script::ErrInvalidCall},
         1},
        {"no approximation to start from",
         [](NonlinearTexts& b) { b.approximation = "3 - Series from file"; },
         {Termination::Refused, 0},
         0},
    };
    for (const Case& c : cases) {
        std::shared_ptr<script::Class1> shared;
        Messages m;
        NonlinearSession s(SeriesKind::Power, shared, m.sink());
        s.boxes.bcText = {"y=1", "y'+y^2=0"};
        s.boxes.bcPoint = {"1", "3"};
        s.boxes.approximation = "1 - Unit coefficients";
        c.edit(s.boxes);
        s.solve();
        const NewtonResult& r = s.lastResult();
        expectEnding(s.lastEnd(), c.expected, c.what);
        expectEnding(r, c.expected, c.what);
        if (c.passes) {
            EXPECT_EQ(r.passes, c.passes) << c.what;
        }
        const bool listed =
            c.expected.termination == Termination::Solved || c.expected.termination == Termination::NoConvergence;
        EXPECT_EQ(r.gridResidual.size(), listed ? 21u : 0u) << c.what; // degree 22, order 2: M = 20
        EXPECT_EQ(r.conditionResidual.size(), listed ? 2u : 0u) << c.what;
        if (c.expected.termination == Termination::Solved) {
            EXPECT_EQ(r.gridX.front(), 1);
            EXPECT_EQ(r.gridX.back(), 3);
            for (double v : r.gridResidual)
                EXPECT_LE(std::fabs(v), test::kDefaultBound);
            for (double v : r.conditionResidual)
                EXPECT_LE(std::fabs(v), test::kDefaultBound);
            EXPECT_TRUE(Close(SeriesDerivative(s.series(), 0, 2), 0.5, 1e-3)) << "y = 1/x";
            EXPECT_TRUE(r.beep());
        }
        if (c.expected.termination == Termination::NoConvergence) {
            // Not converged: a correction or a residual is still above its bound.
            double worst = 0;
            for (double v : r.correction)
                worst = std::fmax(worst, std::fabs(v));
            for (double v : r.gridResidual)
                worst = std::fmax(worst, std::fabs(v));
            EXPECT_GT(worst, test::kDefaultBound) << c.what;
        }
    }
}

TEST(Termination, SystemsEndings)
{
    std::shared_ptr<script::Class1> shared;
    Messages m;
    SystemSession linear(false, shared, m.sink());
    linear.boxes.equations = {"y''-y+x*z'=2*x^2", "z'=1"};
    linear.boxes.bcText = {"y=0", "y'=0", "z=0"};
    linear.boxes.bcPoint = {"0", "0", "0"};
    linear.solve();
    expectEnding(linear.lastEnd(), {Termination::Solved, 0}, "a linear system");
    linear.boxes.bcText = {"y=0", "y=0", "z=0"};
    linear.solve();
    EXPECT_TRUE(linear.lastEnd().termination == Termination::LinearlyDependent ||
                linear.lastEnd().termination == Termination::Inconsistent)
        << TerminationName(linear.lastEnd().termination);

    // y' + z = 0, z' + 2yz = 0, y(0) = z(0) = 1 from zero coefficients.
    SystemSession n(true, shared, m.sink());
    n.seedRandom(2);
    test::ReciprocalSystem(n.boxes);
    n.solve();
    const SystemNewtonResult& r = n.lastResult();
    expectEnding(r, {Termination::Solved, 0}, "the reciprocal system");
    EXPECT_EQ(r.gridX.size(), 11u);
    EXPECT_EQ(r.gridResidual.size(), 22u);
    for (double v : r.gridResidual)
        EXPECT_LE(std::fabs(v), 1e-9);
    ASSERT_EQ(r.conditionResidual.size(), 2u);
    EXPECT_LE(std::fabs(r.conditionResidual[1]), 1e-9);
    n.boxes.maxcy = "1";
    n.solve();
    expectEnding(n.lastEnd(), {Termination::NoConvergence, 0}, "one pass of the system");
    n.boxes.equations = {"y'+z=0", "z'+Sqr(y-3)=0"};
    n.boxes.maxcy = "20";
    n.solve();
    expectEnding(n.lastEnd(), {Termination::ScriptError, script::ErrInvalidCall}, "a square root of a negative value");
}

TEST(Termination, ANameTakenTwiceIsRefusedBeforeSolving)
{
    const std::string message = "The dependent variable needs a name of its own, not the independent variable's.";
    SingleTexts l = DefaultSingleTexts(SeriesKind::Power);
    l.depVarName = "X";
    EXPECT_EQ(CheckLinearTexts(l, SeriesKind::Power).value_or(""), message);
    NonlinearTexts n = DefaultNonlinearTexts(SeriesKind::Trigonometric);
    n.indepVarName = "y";
    EXPECT_EQ(CheckNonlinearTexts(n, SeriesKind::Trigonometric).value_or(""), message);
}

} // namespace
