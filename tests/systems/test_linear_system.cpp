#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "support/Tolerances.h"
#include "systems/LinearSystem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>

namespace {

using namespace ode;

struct Solver {
    std::shared_ptr<script::Class1> shared;
    std::vector<std::string> messages;
    script::ScriptHost host{shared, [this](const std::string& m) { messages.push_back(m); }};
    Solver() { host.prepare(); }

    // The orders and degrees (each variable's own order's extra degrees with `byOwnOrder`, as
    // the accurate method shares them) and the equations' and conditions' splits, then `method`.
    template <typename Method>
    auto run(const SystemInputs& in, OrdersAndDegrees& od, Method method, bool byOwnOrder = false)
    {
        od = FindOrdersAndDegrees(in.equations, in.depVarNames, in.degree, in.numBC, byOwnOrder);
        return method(in, od, split(in.equations, in, od), split(in.bcText, in, od), host, Progress{});
    }
    // The equations' or the conditions' texts split by variable.
    static std::vector<SystemSplit> split(const std::vector<std::string>& texts, const SystemInputs& in,
                                          const OrdersAndDegrees& od)
    {
        std::vector<SystemSplit> splits;
        for (const std::string& text : texts)
            splits.push_back(SplitSystemText(text, in.depVarNames, od.sumOrder));
        return splits;
    }
    SystemSolution solve(SystemInputs in, OrdersAndDegrees& od) { return run(in, od, SolveSystem); }
    ChebyshevSystemSolution solveChebyshev(SystemInputs in, OrdersAndDegrees& od, bool byOwnOrder = false)
    {
        return run(in, od, SolveSystemChebyshev, byOwnOrder);
    }
    std::optional<SystemBandedForm> bandedForm(SystemInputs in, OrdersAndDegrees& od, bool byOwnOrder = false)
    {
        return run(in, od, LinearSystemBandedForm, byOwnOrder);
    }
};

SystemInputs inputs(std::vector<std::string> names, std::vector<std::string> equations, std::vector<std::string> bcs,
                    std::vector<double> points, double lower, double upper, int degree)
{
    SystemInputs in;
    in.depVarNames = std::move(names);
    in.lastVar = static_cast<int>(in.depVarNames.size()) - 1;
    in.equations = std::move(equations);
    in.bcText = std::move(bcs);
    in.bcPoint = std::move(points);
    in.numBC = static_cast<int>(in.bcText.size());
    in.xlower = lower;
    in.xupper = upper;
    in.xcenter = (lower + upper) / 2;
    in.degree = degree;
    in.indepVarName = "x";
    return in;
}

// The lists' whole texts are pinned by the command line's cases (LinearSystemExponential,
// LinearSystemStored): here the numbers against the exact solutions.
TEST(LinearSystem, KnownSolutionsOfTwoThreeAndTenVariables)
{
    Solver s;
    OrdersAndDegrees od;
    // y' = z, z' = 2, y(0) = 0, z(0) = 0: y = x^2, z = 2x, exactly.
    SystemSolution r = s.solve(inputs({"y", "z"}, {"y'-z=0", "z'=2"}, {"y=0", "z=0"}, {0, 0}, -1, 1, 3), od);
    ASSERT_TRUE(r.solved());
    for (double x : {-1.0, 0.3, 1.0}) {
        EXPECT_NEAR(VarDerivative(r.coef[0], 0, 0, x), x * x, 1e-13);
        EXPECT_NEAR(VarDerivative(r.coef[1], 0, 0, x), 2 * x, 1e-13);
    }
    // y'' + z = 0, z' - y = 0: y = exp(-x), z = -exp(-x); each variable's terms stand in the
    // order of the variables' list.
    SystemInputs in = inputs({"y", "z"}, {"y''+z=0", "-y+z'=0"}, {"y=1", "y'=-1", "z=-1"}, {0, 0, 0}, 0, 1, 14);
    in.xcenter = 0;
    r = s.solve(in, od);
    ASSERT_TRUE(r.solved()) << (r.lstCoeff.empty() ? std::string("-") : r.lstCoeff[0]);
    EXPECT_EQ(od.varDegree, (std::vector<int>{16, 15}));
    EXPECT_NEAR(VarDerivative(r.coef[0], 0, 0, 1), std::exp(-1.0), 1e-10);
    EXPECT_NEAR(VarDerivative(r.coef[1], 0, 1, 0.5), std::exp(-0.5), 1e-9);
    // u' = v, v' = w, w' = -u from 1, -1, 1: u = exp(-x).
    r = s.solve(inputs({"u", "v", "w"}, {"u'-v=0", "v'-w=0", "u+w'=0"}, {"u=1", "v=-1", "w=1"}, {0, 0, 0}, 0, 1, 16),
                od);
    ASSERT_TRUE(r.solved());
    EXPECT_NEAR(VarDerivative(r.coef[0], 0.5, 0, 1), std::exp(-1.0), 1e-10);
    EXPECT_NEAR(VarDerivative(r.coef[2], 0.5, 0, 0.2), std::exp(-0.2), 1e-10);
    // yk' = k/10 yk, yk(0) = 1 for k = 1 ... 10.
    std::vector<std::string> names, equations, bcs;
    for (int k = 1; k <= 10; ++k) {
        names.push_back("y" + std::to_string(k));
        equations.push_back(names.back() + "'-" + std::to_string(k) + "/10*" + names.back() + "=0");
        bcs.push_back(names.back() + "=1");
    }
    r = s.solve(inputs(names, equations, bcs, std::vector<double>(10, 0.0), 0, 1, 18), od);
    ASSERT_TRUE(r.solved());
    for (int k = 1; k <= 10; ++k)
        EXPECT_NEAR(VarDerivative(r.coef[static_cast<size_t>(k - 1)], 0.5, 0, 1), std::exp(k / 10.0), 1e-10) << k;
}

TEST(LinearSystem, TheAccurateMethodKeepsItsDigitsWhereEquallySpacedPowersLoseThem)
{
    // y'' + z = 0, z' - y = 0 on [-6, 6] about 0 (y = exp(-x), z = -exp(-x)), degree 40: the
    // equally spaced powers lose digits to ill-conditioning, the Chebyshev series do not.
    Solver s;
    OrdersAndDegrees od;
    SystemInputs in = inputs({"y", "z"}, {"y''+z=0", "-y+z'=0"}, {"y=1", "y'=-1", "z=-1"}, {0, 0, 0}, -6, 6, 40);
    const ChebyshevSystemSolution r = s.solveChebyshev(in, od);
    ASSERT_TRUE(r.solved()) << (r.lstCoeff.empty() ? std::string("-") : r.lstCoeff[0]);
    ASSERT_EQ(r.series.size(), 2u);
    EXPECT_EQ(r.series[0].coef.size(), static_cast<size_t>(od.varDegree[0]) + 1);
    double accurate = 0, spaced = 0;
    const SystemSolution plain = s.solve(in, od);
    ASSERT_TRUE(plain.solved());
    for (double x = -6; x <= 6; x += 0.25) {
        // Errors relative to the solution's scale on the interval, exp(6).
        accurate = std::fmax(accurate, std::fabs(ChebyshevDerivative(r.series[0], 0, x) - std::exp(-x)) / std::exp(6));
        spaced = std::fmax(spaced, std::fabs(VarDerivative(plain.coef[0], 0, 0, x) - std::exp(-x)) / std::exp(6));
        EXPECT_NEAR(ChebyshevDerivative(r.series[1], 1, x), std::exp(-x), 1e-13 * std::exp(6)) << x;
    }
    EXPECT_LT(accurate, 1e-14);
    EXPECT_GT(spaced, 100 * accurate);
    // Its power series about the centre (the session lists them): exp(-x)'s.
    EXPECT_TRUE(r.lstCoeff.empty());
    const std::vector<double> power = ChebyshevToPower(r.series[0], in.xcenter);
    EXPECT_TRUE(test::Close(power[0], 1, 1e-13)) << power[0];
    EXPECT_TRUE(test::Close(power[1], -1, 1e-13)) << power[1];
    // Residuals from the Chebyshev series.
    std::vector<std::string> values, residuals;
    ASSERT_TRUE(SystemEvaluate(in, od, Solver::split(in.equations, in, od), ChebyshevDerivatives(r.series), 5.5, 0,
                               s.host, values, residuals));
    for (const std::string& line : residuals)
        EXPECT_LT(std::fabs(ParseNumber(line.substr(8))), 1e-11) << line;
}

// From degree 512 on the banded form solves where it applies: the same unknowns, O(N) instead of
// O(N^3). Each case is solved at a degree below 512 (the collocation) and at one above (the
// banded form, which must apply), both against the exact solution: coupled equations of
// different orders, with a coefficient and a right-hand side that vary, and mixed orders 2 and
// 4 with each variable's own extra degrees.
TEST(LinearSystem, TheBandedFormSolvesHighDegreesAsTheCollocationDoesLowOnes)
{
    struct Case {
        const char* name;
        SystemInputs in;
        bool byOwnOrder;
        std::function<double(int j, double x)> exact;
        double scale; // of the solution on the interval
    };
    const Case cases[] = {
        // y'' + z = 0, z' - y = 0 on [-6, 6]: y = exp(-x), z = -exp(-x).
        {"orders 2 and 1", inputs({"y", "z"}, {"y''+z=0", "-y+z'=0"}, {"y=1", "y'=-1", "z=-1"}, {0, 0, 0}, -6, 6, 0),
         false, [](int j, double x) { return (j == 0 ? 1 : -1) * std::exp(-x); }, std::exp(6)},
        // y' - x z = -x, x y + z' = 0 on [0, 4] (each variable's terms in the list's order): y =
        // sin(x^2 / 2), z = cos(x^2 / 2) + 1.
        {"variable coefficients", inputs({"y", "z"}, {"y'-x*z=-x", "x*y+z'=0"}, {"y=0", "z=2"}, {0, 0}, 0, 4, 0), false,
         [](int j, double x) { return j == 0 ? std::sin(x * x / 2) : std::cos(x * x / 2) + 1; }, 2},
        // u'' = v, v'''' = v, u and v at both ends and v' too: u = v = e^x on [0, 1].
        {"orders 2 and 4",
         inputs({"u", "v"}, {"u''-v=0", "v''''-v=0"},
                {"u=1", "u=2.71828182845904523536", "v=1", "v'=1", "v=2.71828182845904523536",
                 "v'=2.71828182845904523536"},
                {0, 1, 0, 0, 1, 1}, 0, 1, 0),
         true, [](int, double x) { return std::exp(x); }, std::exp(1)},
        // u' = v, v' = -u and w = u + v (of order 0) on [0, 3]: u = sin, v = cos, w = sin + cos.
        {"three variables, one of order 0",
         inputs({"u", "v", "w"}, {"u'-v=0", "u+v'=0", "u+v-w=0"}, {"u=0", "v=1"}, {0, 0}, 0, 3, 0), true,
         [](int j, double x) { return j == 0   ? std::sin(x)
                                      : j == 1 ? std::cos(x)
                                               : std::sin(x) + std::cos(x); }, 2},
        // y' = z, z' = -y with three conditions for two orders (the third consistent): the extra
        // degrees by the sweeps, 2 and 1.
        {"more conditions than orders",
         inputs({"y", "z"}, {"y'-z=0", "y+z'=0"}, {"y=0", "z=1", "y=1"}, {0, 0, 1.5707963267948966}, 0, 2, 0), false,
         [](int j, double x) { return j == 0 ? std::sin(x) : std::cos(x); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int degree : {100, 700}) {
            SCOPED_TRACE(degree);
            Solver s;
            OrdersAndDegrees od;
            SystemInputs in = c.in;
            in.degree = degree;
            const ChebyshevSystemSolution r = s.solveChebyshev(in, od, c.byOwnOrder);
            ASSERT_TRUE(r.solved()) << (r.lstCoeff.empty() ? std::string("-") : r.lstCoeff[0]);
            if (degree >= kBandedFromDegree) { // the solution is the banded form's, read through its columns
                const std::optional<SystemBandedForm> form = s.bandedForm(in, od, c.byOwnOrder);
                ASSERT_TRUE(form);
                std::vector<double> x;
                double rounding = 0;
                ASSERT_EQ(SolveAlmostBanded(form->system, x, rounding), BandedOutcome::Solved);
                for (size_t j = 0; j < r.series.size(); ++j)
                    for (size_t k = 0; k < r.series[j].coef.size(); ++k)
                        ASSERT_EQ(r.series[j].coef[k], x[static_cast<size_t>(form->column[j][k])]) << j << ", " << k;
            }
            ASSERT_EQ(r.series.size(), od.varDegree.size());
            for (size_t j = 0; j < r.series.size(); ++j) {
                EXPECT_EQ(r.series[j].coef.size(), static_cast<size_t>(od.varDegree[j]) + 1);
                for (double t : {0.0, 0.13, 0.5, 0.77, 1.0}) {
                    const double x = in.xlower + t * (in.xupper - in.xlower);
                    EXPECT_NEAR(ChebyshevDerivative(r.series[j], 0, x), c.exact(static_cast<int>(j), x),
                                2e-13 * c.scale)
                        << "variable " << j << " at " << x;
                }
            }
            EXPECT_GT(r.rounding, 0) << "the data's rounding is measured";
            EXPECT_LT(r.rounding, 1e-12 * c.scale);
        }
    }
}

// Where the banded form does not apply (none is made) or finds its system singular, the
// collocation solves and says what it finds, as below 512.
TEST(LinearSystem, WhereTheBandedFormCannotTheCollocationSolves)
{
    Solver s;
    OrdersAndDegrees od;
    // A coefficient with a kink (|x|) is not resolved by its samples.
    const SystemInputs kinked = inputs({"y", "z"}, {"y'-Abs(x)*z=0", "y+z'=0"}, {"y=0", "z=1"}, {0, 0}, -1, 1, 520);
    EXPECT_FALSE(s.bandedForm(kinked, od));
    // Two equal conditions: singular in both forms, with the collocation's words.
    const SystemInputs twice = inputs({"y", "z"}, {"y'-z=0", "z'=2"}, {"y=0", "y=0"}, {0, 0}, -1, 1, 520);
    EXPECT_TRUE(s.bandedForm(twice, od));
    const ChebyshevSystemSolution singular = s.solveChebyshev(twice, od);
    EXPECT_FALSE(singular.solved());
    EXPECT_EQ(singular.lstCoeff, std::vector<std::string>{singular.termination == Termination::LinearlyDependent
                                                              ? "YIELDS LINEARLY DEPENDENT SYSTEM"
                                                              : "YIELDS INCONSISTENT SYSTEM"});
    // Beyond the collocation's own bound (4001 unknowns; here 20004) its O(N^3) would take hours:
    // the banded form's finding stands.
    SystemInputs high = twice;
    high.degree = 10000;
    const ChebyshevSystemSolution stands = s.solveChebyshev(high, od);
    EXPECT_EQ(stands.termination, Termination::LinearlyDependent);
    EXPECT_EQ(stands.lstCoeff, std::vector<std::string>{"YIELDS LINEARLY DEPENDENT SYSTEM"});
    // An error in a condition is said once: the banded form's attempt is quiet.
    EXPECT_TRUE(s.messages.empty());
    const SystemInputs failing = inputs({"y", "z"}, {"y'-z=0", "z'=2"}, {"y=1/0", "z=0"}, {0, 0}, -1, 1, 520);
    EXPECT_EQ(s.solveChebyshev(failing, od).termination, Termination::ScriptError);
    EXPECT_EQ(s.messages, std::vector<std::string>{"division by zero"});
}

TEST(LinearSystem, SingularSystemsAndErrors)
{
    Solver s;
    OrdersAndDegrees od;
    SystemSolution r = s.solve(inputs({"y", "z"}, {"y'-z=0", "z'=2"}, {"y=0", "y=0"}, {0, 0}, -1, 1, 3), od);
    EXPECT_FALSE(r.solved());
    EXPECT_TRUE(r.termination == Termination::LinearlyDependent || r.termination == Termination::Inconsistent)
        << TerminationName(r.termination);
    EXPECT_EQ(r.lstCoeff, std::vector<std::string>{r.termination == Termination::LinearlyDependent
                                                       ? "YIELDS LINEARLY DEPENDENT SYSTEM"
                                                       : "YIELDS INCONSISTENT SYSTEM"});
    r = s.solve(inputs({"y", "z"}, {"y'-z=0", "z'=1/(x-0.5)"}, {"y=0", "z=0"}, {0, 0}, 0, 1, 4), od);
    EXPECT_EQ(r.termination, Termination::ScriptError);
    EXPECT_EQ(r.error.number, script::ErrDivisionByZero);
    EXPECT_EQ(s.messages, std::vector<std::string>{"division by zero"});
}

} // namespace
