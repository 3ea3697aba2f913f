// Every kind states how its Solve ended as a value: the termination, the fault's number, and
// the residuals as numbers. These tests read that value, not the list texts.
#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "linear/LinearProblems.h"
#include "session/Listing.h"
#include "support/SystemProblems.h"
#include "support/Tolerances.h"

#include "SessionTools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

using namespace ode;
using ode::test::Close;
using ode::test::Made;
using ode::test::Open;

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
    using T = Termination;
    // clang-format off
    const Case cases[] = {
        {"the default problem", [](SingleTexts&) {}, {T::Solved, 0}},
        {"the same condition twice", [](SingleTexts& b) { b.bcText = {"y=0", "y=0"}; b.bcPoint = {"0", "0"}; },
         {T::LinearlyDependent, 0}},
        {"a pole on the grid", [](SingleTexts& b) { b.equation = "y''+y=1/(x-0.5)"; },
         {T::ScriptError, script::ErrDivisionByZero}},
        {"no grid interval (degree = order)", [](SingleTexts& b) { b.terms = "2"; },
         {T::ArithmeticFault, script::ErrDivisionByZero}},
        {"a constant that fails", [](SingleTexts& b) { b.constants = {"a=Log(0)"}; },
         {T::ScriptError, script::ErrInvalidCall}},
        {"an unknown function", [](SingleTexts& b) { b.equation = "y''+Sinn(x)*y=0"; },
         {T::ScriptError, script::ErrTypeMismatch}},
    };
    // clang-format on
    for (const Case& c : cases) {
        test::Linear linear;
        LinearSession& s = linear.set("2", "y''+y=0", {"y=0", "y'=1"}, {"0", "0"}, "0", "1", "0", "12").s;
        c.edit(s.boxes);
        s.solve();
        expectEnding(s.lastEnd(), c.expected, c.what);
        if (c.expected.termination == Termination::Solved) {
            EXPECT_TRUE(Close(linear.value(0.5), std::sin(0.5), test::kCollocation));
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
        Made m;
        auto& s = Open<NonlinearSession>(m, ProblemKind::NonlinearPower);
        s.boxes.bcText = {"y=1", "y'+y^2=0"};
        s.boxes.bcPoint = {"1", "3"};
        s.boxes.approximation = "1 - Unit coefficients";
        c.edit(s.boxes);
        s.solve();
        const SolveReport& r = s.lastReport();
        expectEnding(s.lastEnd(), c.expected, c.what);
        expectEnding(r.end, c.expected, c.what);
        if (c.passes) {
            EXPECT_EQ(r.passes, c.passes) << c.what;
        }
        const bool listed =
            c.expected.termination == Termination::Solved || c.expected.termination == Termination::NoConvergence;
        EXPECT_EQ(r.gridResidual.size(), listed ? 21u : 0u) << c.what; // degree 22, order 2: M = 20
        EXPECT_EQ(r.conditionResiduals.size(), listed ? 2u : 0u) << c.what;
        if (c.expected.termination == Termination::Solved) {
            EXPECT_EQ(r.gridX.front(), 1);
            EXPECT_EQ(r.gridX.back(), 3);
            for (double v : r.gridResidual)
                EXPECT_LE(std::fabs(v), test::kDefaultBound);
            for (double v : r.conditionResiduals)
                EXPECT_LE(std::fabs(v), test::kDefaultBound);
            EXPECT_TRUE(Close(SeriesDerivative(s.series(), 0, 2), 0.5, 1e-3)) << "y = 1/x";
            EXPECT_TRUE(s.beepAfterSolve());
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
    Made m;
    auto& linear = Open<SystemSession>(m, ProblemKind::LinearSystem);
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
    Made nm;
    auto& n = Open<SystemSession>(nm, ProblemKind::NonlinearSystem);
    n.seedRandom(2);
    test::ReciprocalSystem(n.boxes);
    n.solve();
    const SolveReport r = n.lastReport();
    expectEnding(r.end, {Termination::Solved, 0}, "the reciprocal system");
    EXPECT_EQ(r.gridX.size(), 11u);
    EXPECT_EQ(r.gridResidual.size(), 22u);
    for (double v : r.gridResidual)
        EXPECT_LE(std::fabs(v), 1e-9);
    ASSERT_EQ(r.conditionResiduals.size(), 2u);
    EXPECT_LE(std::fabs(r.conditionResiduals[1]), 1e-9);
    n.boxes.equations = {"y'+z=0", "z'+Sqr(y-3)=0"};
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

// The lines written from a report's numbers, as whole texts. (The lines a solve of the examples
// prints are pinned whole by tests/cli/expected: a converged and a not converged readout in
// degrees and in terms, the Newton list's headings and its NO CONVERGENCE line, the power series
// ABOUT and ABOVE a radius, the check between the grid points of an equation and of a system with
// and without its suggestion. These rows are the lines no example prints.)
TEST(SolveReport, ReadoutAndListLinesAreWrittenFromNumbers)
{
    using V = AccuracyReadout::Verdict;
    using T = Termination;
    const auto end = [](ListStyle style, Termination termination, int shownPass) {
        return test::Joined(ListEndLines(style, termination, shownPass));
    };
    const std::string stopped = "STOPPED BY THE USER: NO SOLUTION WAS FOUND YET\n";
    const double inf = INFINITY, unknown = NAN;
    const std::pair<std::string, std::string> rows[] = {
        {ReadoutLine({V::NotConverged, true, false, 512, 1000, 2.1e-06, 0, "", ""}),
         "NOT CONVERGED BY DEGREE 1000: ESTIMATED ERROR 2.1E-06; THE BEST SOLUTION (DEGREE 512) IS SHOWN"},
        {ReadoutLine({V::Stopped, true, false, 256, 0, 0, 0, "", ""}),
         "STOPPED BY THE USER: THE BEST SOLUTION FOUND SO FAR (DEGREE 256) IS SHOWN"},
        {ReadoutLine({V::Stopped, true, true, 32, 0, 0, 0, "", ""}),
         "STOPPED BY THE USER: THE BEST SOLUTION FOUND SO FAR (33 TERMS) IS SHOWN"},

        {end(ListStyle::Expansion, T::Solved, 0), ""},
        {end(ListStyle::Expansion, T::LinearlyDependent, 0), "ENCOUNTERED LINEARLY DEPENDENT SYSTEM\n"},
        {end(ListStyle::Expansion, T::Inconsistent, 0), "ENCOUNTERED INCONSISTENT SYSTEM\n"},
        {end(ListStyle::Expansion, T::Cancelled, 0), stopped},
        {end(ListStyle::Expansion, T::ScriptError, 0), ""},
        {end(ListStyle::SystemExpansion, T::LinearlyDependent, 0), "YIELDS LINEARLY DEPENDENT SYSTEM\n"},
        {end(ListStyle::SystemExpansion, T::Inconsistent, 0), "YIELDS INCONSISTENT SYSTEM\n"},
        {end(ListStyle::SystemExpansion, T::Cancelled, 2), stopped},
        {end(ListStyle::Expansion, T::NoConvergence, 0), ""},
        {end(ListStyle::NewtonTrigonometric, T::Cancelled, 3),
         "STOPPED BY THE USER: THE BEST ITERATE SO FAR (PASS 3) IS SHOWN\n"},
        {end(ListStyle::NewtonPower, T::Cancelled, 0), stopped},
        // said by "PROBLEMS ENCOUNTERED:" below the list
        {end(ListStyle::NewtonPower, T::LinearlyDependent, 0), ""},

        {PowerSeriesLine({2, inf, false, 0, 1e-13, -1}),
         "POWER SERIES ABOUT 2: RADIUS OF CONVERGENCE UNBOUNDED; ON THE INTERVAL IT IS ACCURATE TO 0"},
        {PowerSeriesLine({0, 2.7, false, 8.6e-11, 1e-13, -1}),
         "POWER SERIES ABOUT 0: RADIUS OF CONVERGENCE ABOUT 2.7; ON THE INTERVAL IT IS ACCURATE TO 8.6E-11, NOT TO "
         "THE TOLERANCE: EVALUATE AND THE PLOT USE THE CHEBYSHEV SERIES"},
        {PowerSeriesLine({0, unknown, false, 1, 1e-13, 0}),
         "POWER SERIES ABOUT 0: RADIUS OF CONVERGENCE UNKNOWN; ON THE INTERVAL IT IS ACCURATE TO 1, NOT TO THE "
         "TOLERANCE; CUT AT DEGREE 0: EVALUATE AND THE PLOT USE THE CHEBYSHEV SERIES"},

        {GridCheckLine({0, 0, 20, true}), "BETWEEN THE GRID POINTS THE EQUATION IS MET TO 0 OF ITS TERMS"},
        {GridCheckLine({2e-3, 4, 20, false}),
         "BETWEEN THE GRID POINTS THE EQUATION IS MET TO 0.0005 OF ITS TERMS; MORE TERMS MAY DO BETTER"},
    };
    for (const auto& [written, expected] : rows)
        EXPECT_EQ(written, expected);
}

// Every kind's report holds the numbers its lists show, solved in each method and opened from a
// file: the outcome is the list's first line, the readout the readout's line, the series the
// coefficients, the residuals the conditions'; cleared results leave an empty report.
TEST(SolveReport, EveryKindReportsWhatItsListsShow)
{
    struct Case {
        const char* file;
        ProblemKind kind;
        CollocationMethod method;
        bool autoDegree;
    };
    const auto E = CollocationMethod::EquallySpaced;
    const auto C = CollocationMethod::Chebyshev;
    const Case cases[] = {
        {"exponential", ProblemKind::LinearPower, E, false},
        {"exponential", ProblemKind::LinearPower, C, true},
        {"trig-forced", ProblemKind::LinearTrig, E, false},
        {"trig-forced", ProblemKind::LinearTrig, E, true},
        {"nonlinear-reciprocal", ProblemKind::NonlinearPower, E, false},
        {"nonlinear-reciprocal", ProblemKind::NonlinearPower, C, false},
        {"nonlinear-trig", ProblemKind::NonlinearTrig, E, false},
        {"system-exponential", ProblemKind::LinearSystem, E, false},
        {"system-exponential", ProblemKind::LinearSystem, C, false},
        {"system-nonlinear", ProblemKind::NonlinearSystem, E, false},
        {"system-nonlinear", ProblemKind::NonlinearSystem, C, true},
        {"exponential-solved", ProblemKind::LinearPower, E, false},
        {"nonlinear-reciprocal-solved", ProblemKind::NonlinearPower, E, false},
        {"system-nonlinear-solved", ProblemKind::NonlinearSystem, E, false},
    };
    for (const Case& c : cases) {
        const std::string what =
            std::string(c.file) + (c.method == C ? " accurate" : "") + (c.autoDegree ? " auto" : "");
        Made m;
        Session& s = Open(m, c.kind, c.file);
        if (auto* n = dynamic_cast<NonlinearSession*>(&s))
            n->seedRandom(3);
        if (auto* n = dynamic_cast<SystemSession*>(&s))
            n->seedRandom(3);
        const bool opened = std::string(c.file).find("-solved") != std::string::npos;
        if (opened) {
            EXPECT_TRUE(s.lastReport().opened) << what;
        } else {
            s.method = c.method;
            s.autoDegree = c.autoDegree;
            ASSERT_TRUE(s.solve()) << what << ": " << m.lastMessage();
            EXPECT_FALSE(s.lastReport().opened) << what;
        }
        const SolveReport& r = s.lastReport();
        EXPECT_TRUE(r.standing) << what;
        ASSERT_FALSE(s.lstCoeff().empty()) << what;
        EXPECT_EQ(OutcomeLine(r), s.lstCoeff().front()) << what;
        std::vector<double> flat;
        for (const auto& v : r.series)
            flat.insert(flat.end(), v.begin(), v.end());
        EXPECT_EQ(flat, s.coef()) << what;
        // Each condition's residual is the number its list line shows.
        // (an opened nonlinear system lists no residuals until it is solved)
        EXPECT_EQ(r.conditionResiduals.empty(), opened && c.kind == ProblemKind::NonlinearSystem) << what;
        const std::string list = test::Joined(s.lstBCError());
        for (double v : r.conditionResiduals)
            EXPECT_NE(list.find("=" + FormatNumber(v) + "\n"), std::string::npos) << what << ": " << v << " in\n"
                                                                                  << list;
        EXPECT_EQ(r.chebyshev.empty(), c.method == E || opened) << what;
        // The readout speaks of the solution shown: its degree is that solution's (a system's
        // automatic degree names the typed degree, which each variable's series exceeds by its
        // share of the conditions; at a fixed degree the largest variable's degree).
        EXPECT_EQ(r.readout.has_value(), !opened && (c.method == C || c.autoDegree)) << what;
        if (r.readout) {
            const size_t size = r.chebyshev.empty() ? r.series.front().size() : r.chebyshev.front().coef.size();
            size_t largest = size;
            for (const ChebyshevSeries& v : r.chebyshev)
                largest = std::max(largest, v.coef.size());
            const bool typed = IsSystem(c.kind) && r.readout->grown;
            EXPECT_EQ(r.readout->degree,
                      typed ? static_cast<SystemSession&>(s).orders().degree : static_cast<int>(largest) - 1)
                << what;
        }
        if (IsNonlinear(c.kind) && !opened) {
            EXPECT_GT(r.passes, 0) << what;
            EXPECT_EQ(r.passNorms.empty(), c.method == E) << what;
            EXPECT_FALSE(r.gridResidual.empty()) << what;
        }
        // The power series' line goes with an accurate solution, and only with one; the check
        // between the grid points with a solution of the equally spaced method, and with any
        // series opened without a Chebyshev series beside it (saying so).
        EXPECT_EQ(r.powerSeries.has_value(), !r.chebyshev.empty()) << what;
        EXPECT_EQ(r.gridCheck.has_value(), opened ? r.chebyshev.empty() : c.method == E) << what;
        if (r.gridCheck) {
            EXPECT_EQ(r.gridCheck->opened, opened) << what;
        }
        EXPECT_EQ(s.accuracyLines().size(), (r.readout ? 1u : 0u) + (r.powerSeries ? 1u : 0u)) << what;
        s.clearResults();
        EXPECT_FALSE(s.lastReport().standing) << what;
        EXPECT_TRUE(s.lastReport().series.empty()) << what;
    }
}

// A Newton iteration that did not converge lists its best coefficients without letting them
// stand: the report holds them and their conditions' residuals, and the list shows them under
// its two head lines.
TEST(SolveReport, TheBestResultOfAnIterationThatDidNotConverge)
{
    Made m, n;
    auto& single = Open<NonlinearSession>(m, ProblemKind::NonlinearPower, "nonlinear-reciprocal");
    auto& system = Open<SystemSession>(n, ProblemKind::NonlinearSystem);
    single.boxes.approximation = "1 - Unit coefficients";
    single.boxes.maxcy = "1";
    test::ReciprocalSystem(system.boxes);
    system.boxes.maxcy = "1";
    for (Session* s : {static_cast<Session*>(&single), static_cast<Session*>(&system)}) {
        EXPECT_FALSE(s->solve());
        const SolveReport& r = s->lastReport();
        EXPECT_EQ(r.end.termination, Termination::NoConvergence);
        EXPECT_FALSE(r.standing);
        EXPECT_EQ(r.passes, 1);
        ASSERT_FALSE(r.series.empty());
        EXPECT_EQ(r.conditionResiduals.size(), 2u);
        ASSERT_GE(s->lstCoeff().size(), 3u);
        EXPECT_EQ(s->lstCoeff()[0], "NO CONVERGENCE.  BEST RESULTS WERE:");
        EXPECT_EQ(s->lstCoeff()[1], ListHeading(ListStyle::NewtonPower));
        EXPECT_EQ(s->lstCoeff()[2].rfind("y(0)=" + FormatNumber(r.series[0][0]) + "      ( ", 0), 0u)
            << s->lstCoeff()[2];
        const std::vector<std::string>& listed = s->lstCoeff();
        EXPECT_NE(std::find(listed.begin(), listed.end(), "B.C. #2=" + FormatNumber(r.conditionResiduals[1])),
                  listed.end());
        EXPECT_TRUE(s->lstBCError().empty()) << "nothing stands, so the conditions' own list is empty";
    }
}

// The equally spaced method's residuals are zero on its grid by construction; between the grid
// points the check tells a poor answer from a good one, and points to the accurate method.
TEST(SolveReport, TheCheckBetweenTheGridPointsTellsAPoorAnswer)
{
    // Each on [0, 1]: the equation, its two conditions at their points, the degree.
    struct Case {
        const char* what;
        bool nonlinear;
        const char *equation, *bc1, *bc2, *point2, *terms;
        bool poor;
    };
    const Case cases[] = {
        {"y'' + y = 0 at degree 20", false, "y''+y=0", "y=0", "y'=1", "0", "20", false},
        {"0.001 y'' + y' = 0 at degree 100 (a boundary layer)", false, "0.001*y''+y'=0", "y=0", "y=1", "1", "100",
         true},
        {"the pendulum y'' = -Sin(y) at degree 10", true, "y''+Sin(y)=0", "y=0", "y'=1", "0", "10", true},
    };
    for (const Case& c : cases) {
        Made m;
        auto* s = &Open<ProblemSession>(m, c.nonlinear ? ProblemKind::NonlinearPower : ProblemKind::LinearPower);
        if (c.nonlinear)
            static_cast<NonlinearSession*>(s)->boxes.approximation = "0 - Zero coefficients";
        SingleTexts& b = s->texts();
        b.equation = c.equation;
        b.bcText = {c.bc1, c.bc2};
        b.bcPoint = {"0", c.point2};
        b.xlower = "0";
        b.xupper = "1";
        b.terms = c.terms;
        ASSERT_TRUE(s->solve()) << c.what << ": " << m.lastMessage();
        const std::optional<GridCheck>& g = s->lastReport().gridCheck;
        ASSERT_TRUE(g) << c.what;
        EXPECT_EQ(g->points, ParseWholeNumber(s->texts().terms) - 2) << c.what;
        EXPECT_EQ(g->relative() > kGridCheckSuggestion, c.poor) << c.what << ": " << g->relative();
        EXPECT_EQ(s->gridCheckLine().find("; CHEBYSHEV POINTS MAY DO BETTER") != std::string::npos, c.poor) << c.what;
        EXPECT_TRUE(m.messages.empty()) << c.what;
        // The accurate method checks itself otherwise: no such line.
        s->method = CollocationMethod::Chebyshev;
        ASSERT_TRUE(s->solve()) << c.what;
        EXPECT_FALSE(s->lastReport().gridCheck) << c.what;
        EXPECT_EQ(s->gridCheckLine(), "") << c.what;
    }
}

} // namespace
