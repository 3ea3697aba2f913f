// The accurate method for a single nonlinear equation: Chebyshev collocation with Newton on
// exact partial derivatives and damped steps.

#include "collocation/ChebyshevNewton.h"
#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "equations/Derivatives.h"
#include "nonlinear/NonlinearChebyshev.h"
#include "nonlinear/NonlinearProblems.h"
#include "session/Continuation.h"
#include "support/Program.h"
#include "support/Tolerances.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <regex>
#include <tuple>

namespace {

using namespace ode;
using test::Reciprocal;

// A problem from its boxes, ready to solve: inputs, residual texts and a prepared engine.
struct Problem {
    std::shared_ptr<script::Class1> shared;
    std::vector<std::string> messages;
    script::ScriptHost host{shared, [this](const std::string& m) { messages.push_back(m); }};
    NonlinearInputs in;
    std::vector<std::string> expr;

    explicit Problem(const NonlinearTexts& t)
    {
        host.prepare();
        in = ReadNonlinearInputs(t, SeriesKind::Power, host.Pi);
        EXPECT_TRUE(host.executeConstants(in.constants));
        EXPECT_FALSE(PrepareExpressions(in.equation, in.bcText, in.depVarName, in.order, expr));
    }
    // The start the equally spaced method would take: power coefficients about the centre.
    ChebyshevSeries start(const std::vector<double>& power, int degree) const
    {
        return PowerToChebyshev(power, in.xcenter, in.xlower, in.xupper, degree);
    }
    // Solved from that start (or finding its way, with `findWay`).
    ChebyshevNewtonResult solve(const std::vector<double>& power, int degree, const Progress& progress = {},
                                bool findWay = false)
    {
        return SolveNonlinearChebyshev(in, expr, start(power, degree), host, progress, findWay);
    }
};

// A session with the accurate method on the boxes given, the constants given instead of theirs.
struct Accurate : test::Nonlinear {
    explicit Accurate(const NonlinearTexts& t, bool autoDegree = false, std::vector<std::string> constants = {})
    {
        static_cast<NonlinearTexts&>(s.boxes) = t;
        if (!constants.empty())
            s.boxes.constants = std::move(constants);
        s.method = ProblemSession::Method::Chebyshev;
        s.autoDegree = autoDegree;
    }
};

// The largest distance from 1/x on [1, 3].
double ReciprocalError(const ChebyshevSeries& s)
{
    return test::Largest(1, 3, 200, [&](double x) { return ChebyshevDerivative(s, 0, x) - 1 / x; });
}

// From unit coefficients the equally spaced method diverges at degree 40 on this problem. From
// y = -1/2 or y = -1 (the wrong sign) a full Newton step overshoots: the first step is cut, and
// the iteration still ends at 1/x.
TEST(ChebyshevNewton, ReachesTheReciprocalToRoundingFromEveryStartAtEveryDegree)
{
    struct Start {
        int degree;
        std::vector<double> power; // the start's power coefficients about the centre
        bool damped;               // the first step must be cut
    };
    std::vector<Start> starts = {{30, {-0.5}, true}, {30, {-1.0}, true}};
    for (int degree : {26, 40, 80, 200})
        for (double level : {0.0, 1.0})
            starts.push_back({degree, std::vector<double>(static_cast<size_t>(degree) + 1, level), false});
    for (const Start& start : starts) {
        SCOPED_TRACE("degree " + std::to_string(start.degree) + " from " + std::to_string(start.power.back()));
        Problem p(Reciprocal());
        const ChebyshevNewtonResult r = p.solve(start.power, start.degree);
        ASSERT_EQ(r.termination, Termination::Solved);
        EXPECT_LT(ReciprocalError(r.series), 1e-14);
        EXPECT_LE(r.passes.size(), 20u);
        EXPECT_FALSE(r.differencedPartials);
        EXPECT_LT(r.passes.back().residual, 1e-14);
        EXPECT_TRUE(!start.damped || r.passes[0].step < 1.0) << r.passes[0].step;
        // N+1 corrections, N+1-n collocation points, a residual for each condition.
        const size_t degree = static_cast<size_t>(start.degree);
        EXPECT_EQ(std::make_tuple(r.correction.size(), r.gridX.size(), r.conditionResidual.size()),
                  std::make_tuple(degree + 1, degree - 1, size_t{2}));
        EXPECT_TRUE(p.messages.empty());
        if (start.degree == 30) {
            // The coefficients the list shows: the power series about 2, y(2) = 1/2 and y'(2) = -1/4.
            // The list's and the passes' texts are pinned by the command line's case NonlinearChebyshev.
            std::vector<double> power;
            AsPowerNewtonResult(p.in, r, power);
            EXPECT_TRUE(test::Close(power.at(0), 0.5, test::kRounding));
            EXPECT_TRUE(test::Close(power.at(1), -0.25, test::kRounding));
        }
    }
}

TEST(ChebyshevNewton, ReachesBratusLowerBranchNearItsTurningPoint)
{
    // y'' + 3.5 exp(y) = 0, y(0) = y(1) = 0: two solutions close together (the turning point
    // is at 3.51); from zero the iteration must find the lower one.
    NonlinearTexts t = test::Bratu({"lambda=3.5"});
    t.errorD = t.errorC = "1E-12";
    Problem p(t);
    const ChebyshevNewtonResult r = p.solve({0.0}, 40);
    ASSERT_TRUE(r.solved()) << NewtonPassLines(r).back();
    for (double x : {0.1, 0.37, 0.5, 0.81}) {
        double residual = 1;
        ASSERT_TRUE(ChebyshevResidualAt(p.in, p.expr, r.series, 0, x, p.host, residual));
        EXPECT_LT(std::fabs(residual), 1e-11) << x;
    }
    for (double x : {0.0, 0.2, 0.5, 0.77, 1.0})
        EXPECT_NEAR(ChebyshevDerivative(r.series, 0, x), test::BratuLower(3.5, x), 1e-12) << x;
}

TEST(ChebyshevNewton, ABoundBelowTheRoundingOfTheTermsIsMetAtRoundingLevel)
{
    // Troesch's problem y'' = 10 sinh(10 y): its terms reach 1E+5, so rounding leaves residuals
    // near 1E-11; a bound of 1E-12 cannot be met. Once the corrections reach rounding level the
    // iteration stops converged, says so, and holds what the loose bound's iteration holds.
    Problem tight(test::Troesch("10", "1E-12"));
    const ChebyshevNewtonResult r = tight.solve({0.5, 1}, 60);
    EXPECT_EQ(r.termination, Termination::Solved);
    EXPECT_TRUE(r.stalled);
    EXPECT_LT(r.passes.size(), 30u);
    const std::regex stalled("CONVERGED AFTER \\d+ PASSES TO ROUNDING LEVEL: THE RESIDUAL \\S+ IS THE ROUNDING OF "
                             "THE EQUATION'S TERMS, ABOVE ITS BOUND.*");
    EXPECT_TRUE(std::regex_match(NewtonPassLines(r).back(), stalled)) << NewtonPassLines(r).back();
    Problem loose(test::Troesch("10", "1E-9"));
    const ChebyshevNewtonResult l = loose.solve({0.5, 1}, 60);
    ASSERT_TRUE(l.solved());
    EXPECT_FALSE(l.stalled);
    for (double x : {0.1, 0.5, 0.9, 0.99})
        EXPECT_NEAR(ChebyshevDerivative(r.series, 0, x), ChebyshevDerivative(l.series, 0, x), 1e-12) << x;
    // From kChordStepsFromUnknowns on, passes whose simplified correction contracts keep the
    // factors they have; at rounding level they stop as soon as the corrections no longer
    // contract. Degree 1100 (chord steps) and 1000 (every pass eliminating) from the same start,
    // both resolving the layer, give the same solution in a few passes.
    if (std::getenv("ODESERIES_SANITIZED"))
        return; // dense matrices of a thousand unknowns: the plain run's
    ChebyshevSeries resolved = r.series;
    std::vector<ChebyshevSeries> fine;
    for (int degree : {1000, 1100}) {
        SCOPED_TRACE(degree);
        Problem p(test::Troesch("10", "1E-12"));
        resolved.coef.resize(static_cast<size_t>(degree) + 1, 0.0);
        const ChebyshevNewtonResult f = SolveNonlinearChebyshev(p.in, p.expr, resolved, p.host);
        ASSERT_TRUE(f.solved());
        EXPECT_LE(f.passes.size(), 8u); // 4 eliminating, 7 with chord steps
        EXPECT_EQ(f.eliminations < static_cast<int>(f.passes.size()), degree == 1100) << f.eliminations;
        fine.push_back(f.series);
    }
    for (double x : {0.1, 0.5, 0.9, 0.99})
        EXPECT_NEAR(ChebyshevDerivative(fine[0], 0, x), ChebyshevDerivative(fine[1], 0, x), 1e-12) << x;
}

// Troesch's problem at lam = 10 from zero at degree 16: the steps that lower the residuals'
// squares crawl (1/32 ... 1/512 of Newton's) and do not converge; the error-oriented steps do.
// Their lengths come from Newton's corrections alone, so an equation multiplied by a constant
// (its rows scaled against the conditions') takes the same steps; the residual-led ones do not.
TEST(ChebyshevNewton, ErrorOrientedStepsAreTheSameWhateverTheRowsScale)
{
    std::vector<std::vector<double>> steps;
    for (const char* equation : {"", "3*(y''-10*sinh(10*y))=0", "(y''-10*sinh(10*y))/7=0"}) {
        Problem p(test::Troesch("10", "1E-9", equation));
        const ChebyshevNewtonResult r = p.solve({0.0}, 16, {}, true);
        ASSERT_TRUE(r.solved()) << equation << ": " << NewtonPassLines(r).back();
        EXPECT_TRUE(r.errorOriented) << equation;
        EXPECT_EQ(r.homotopySteps, 0) << equation;
        EXPECT_EQ(NewtonPassLines(r).front(), "NEWTON'S ITERATION FROM THE START DID NOT CONVERGE WITH STEPS THAT "
                                              "LOWER THE RESIDUALS; WITH STEPS THAT LOWER ITS CORRECTIONS IT DID:");
        steps.emplace_back();
        for (const NewtonPassNorms& pass : r.passes)
            if (pass.correction > 1e-6) // the way there; the polish at rounding may take a pass more
                steps.back().push_back(pass.step);
    }
    ASSERT_GT(steps[0].size(), 10u);
    for (size_t k = 1; k < steps.size(); ++k) {
        ASSERT_EQ(steps[k].size(), steps[0].size()) << k;
        for (size_t j = 0; j < steps[0].size(); ++j)
            EXPECT_NEAR(steps[k][j], steps[0][j], 1e-9 * steps[0][j]) << k << ", pass " << j + 1;
    }
    EXPECT_LT(steps[0].front(), 0.1); // the first step was cut, then grew to Newton's full one
    EXPECT_EQ(steps[0].back(), 1.0);
}

// A loose run (a continuation's step on the way: bounds 1E-3, no polish) stops on the full step
// whose simplified correction is within the bound: the iterate it stands on is then within the
// bound of the solution, and the correction it says is left is the distance still there (not the
// step it took). Bratu at lambda = 1 and 3 from zero and from the solution at 2.
TEST(ChebyshevNewton, ALooseRunStopsWithinItsBoundOfTheSolution)
{
    Problem atTwo(test::Bratu({"lambda=2"}));
    const ChebyshevNewtonResult two = atTwo.solve({0.0}, 40);
    ASSERT_TRUE(two.solved());
    const struct {
        const char* lambda;
        bool fromTwo;
    } cases[] = {{"lambda=1", false}, {"lambda=3", false}, {"lambda=1", true}, {"lambda=3", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.lambda) + (c.fromTwo ? " from 2" : " from zero"));
        Problem p(test::Bratu({c.lambda}));
        const ChebyshevSeries start = c.fromTwo ? two.series : p.start({0.0}, 40);
        const ChebyshevNewtonResult solution = SolveNonlinearChebyshev(p.in, p.expr, start, p.host);
        ASSERT_TRUE(solution.solved());
        p.in.polish = false;
        p.in.errorBoundDE = p.in.errorBoundCoef = kContinuationStepBound;
        const ChebyshevNewtonResult loose = SolveNonlinearChebyshev(p.in, p.expr, start, p.host);
        ASSERT_TRUE(loose.solved());
        EXPECT_LT(loose.passes.size(), solution.passes.size());
        ASSERT_GE(loose.remaining, 0) << "met on the simplified correction";
        double largest = 0, distance = 0;
        for (size_t j = 0; j < loose.series.coef.size(); ++j) {
            const double d = std::fabs(loose.series.coef[j] - solution.series.coef[j]);
            largest = std::fmax(largest, d);
            distance += d;
        }
        EXPECT_LE(largest, kContinuationStepBound);
        // What is left, to first order: the simplified correction is within a factor of the truth.
        EXPECT_GT(RemainingCorrection(loose), distance / 4);
        EXPECT_LT(RemainingCorrection(loose), distance * 4);
    }
}

// Stopped as the error-oriented attempt begins its first pass (the flag set by the report of
// pass 1 after the plain iteration's passes): nothing of that attempt is finished, so the plain
// iteration's last iterate stands, stopped, with its passes and no heading of a later attempt.
TEST(ChebyshevNewton, AStopBeforeALaterAttemptsFirstPassShowsThePlainIteration)
{
    Problem p(test::Troesch("10", "1E-9"));
    std::atomic<bool> stop{false};
    int last = 0;
    const ProgressCallback report = [&](const ProgressInfo& info) {
        if (info.pass == 1 && last > 1)
            stop = true;
        last = info.pass > 0 ? info.pass : last;
    };
    const ChebyshevNewtonResult r = p.solve({0.0}, 16, Progress(&stop, &report), true);
    ASSERT_TRUE(stop);
    EXPECT_EQ(r.termination, Termination::Cancelled);
    EXPECT_FALSE(r.errorOriented);
    ASSERT_GT(r.passes.size(), 1u);
    EXPECT_EQ(r.shownPass, static_cast<int>(r.passes.size()));
    const std::vector<std::string> lines = NewtonPassLines(r);
    EXPECT_EQ(lines.front().rfind("PASS 1: ", 0), 0u) << lines.front();
    EXPECT_EQ(lines.back(),
              "STOPPED BY THE USER: THE BEST ITERATE SO FAR (PASS " + std::to_string(r.passes.size()) + ") IS SHOWN");
}

// How a solve of the reciprocal problem from 1/2 ends: converged with partial derivatives by
// differences where the equation uses a text function (still within 1E-12 of 1/x), refused with
// no collocation point left, not converged in two passes, or stopped by the script's error; the
// last line of the passes says which, or a message tells the user why.
TEST(ChebyshevNewton, EndingsAndWhatTheyListOrSay)
{
    const struct {
        const char* equation;
        int degree;
        const char* maxcy;
        Termination expected;
        const char* last; // the passes' last line; "" where a message says why
    } cases[] = {
        {"y''-2*cdbl(cstr(y))^3=0", 26, "40", Termination::Solved,
         "PARTIAL DERIVATIVES BY DIFFERENCES: THE EQUATION USES A TEXT FUNCTION"},
        {"y''-2*y^3=0", 1, "40", Termination::Refused, ""},
        {"y''-2*y^3=0", 26, "2", Termination::NoConvergence, "NOT CONVERGED AFTER 2 PASSES"},
        {"y''-2*y^3+log(y-5)=0", 26, "40", Termination::ScriptError, ""}, // log of a negative
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.equation) + ", " + c.maxcy + " passes");
        NonlinearTexts t = Reciprocal("1E-7", "1E-7", c.maxcy);
        t.equation = c.equation;
        Problem p(t);
        const ChebyshevNewtonResult r = p.solve({0.5}, c.degree);
        EXPECT_EQ(r.termination, c.expected);
        EXPECT_EQ(r.differencedPartials, r.solved());
        if (r.solved()) {
            EXPECT_LT(ReciprocalError(r.series), 1e-12);
        }
        if (*c.last) {
            EXPECT_EQ(NewtonPassLines(r).back(), c.last);
        } else {
            EXPECT_FALSE(p.messages.empty()); // the user hears why
        }
    }
}

// Through the session as the forms use it; the lists' whole texts are pinned by the command
// line's cases (NonlinearChebyshev, BratuByContinuation).
TEST(AccurateNonlinearSession, SolveEvaluateAndTheCurrentApproximation)
{
    Accurate n(Reciprocal());
    NonlinearSession& s = n.s;
    s.boxes.terms = "30";
    s.boxes.approximation = "1 - Unit coefficients";
    ASSERT_TRUE(s.solve()) << (n.messages.empty() ? "" : n.messages[0]);
    ASSERT_TRUE(s.chebyshev());
    EXPECT_TRUE(s.beepAfterSolve());
    // Evaluate reads the Chebyshev solution: y'(2) = -1/4 to the last digits.
    s.boxes.xestimation = "2";
    s.boxes.derNum = "1";
    ASSERT_TRUE(s.evaluate());
    EXPECT_TRUE(test::Close(ParseNumber(s.lblValue()), -0.25, 1e-14)) << s.lblValue();
    ASSERT_EQ(s.lstDError().size(), 1u);
    EXPECT_LT(std::fabs(ParseNumber(s.lstDError()[0].substr(8))), 1e-13) << s.lstDError()[0];
    for (const std::string& line : s.lstBCError())
        EXPECT_LT(std::fabs(ParseNumber(line.substr(line.find('=') + 1))), 1e-14) << line;

    // "4 - Current approximation" starts from the standing Chebyshev solution: one pass to
    // confirm it, where unit coefficients took a dozen.
    const size_t first = s.lstPasses().size();
    s.boxes.approximation = "4 - Current approximation";
    ASSERT_TRUE(s.solve());
    EXPECT_LT(s.lstPasses().size(), first);
    EXPECT_LE(s.lstPasses().size(), 3u);

    // The equally spaced method again: its own lists, no accurate ones.
    s.method = ProblemSession::Method::EquallySpaced;
    s.boxes.approximation = "0 - Zero coefficients";
    s.solve();
    EXPECT_FALSE(s.chebyshev());
    EXPECT_TRUE(s.lstPasses().empty());
    EXPECT_TRUE(s.lstChebyshev().empty());
}

// Bratu's problem, whose solutions end at the turning point lambda = 3.51383.
TEST(AccurateNonlinearSession, ContinuationSweepsAConstantAndStopsWhereSolutionsEnd)
{
    Accurate n(test::Bratu());
    NonlinearSession& s = n.s;

    // The steps on the way stop at three digits, without polishing: the full step of a 3E-2
    // correction leaves a simplified correction below 1E-3, so one pass is enough there. The
    // last one is solved to its bounds. From 0.5 in up to five steps the whole sweep takes no
    // more than 1.5 times the passes of the zero start at 3.5 (9).
    for (int steps : {1, 3, 5}) {
        s.continuation = {"lambda", 0.5, 3.5, steps};
        ASSERT_TRUE(s.solve()) << (n.messages.empty() ? "" : n.messages[0]);
        EXPECT_EQ(s.lstPasses()[0], "STEP 0: lambda=0.5");
        EXPECT_EQ(s.lstPasses()[2], "  CONVERGED AFTER 1 PASS") << steps;
        EXPECT_LE(test::Starting(s.lstPasses(), "  PASS ").size(), 13u) << steps;
        EXPECT_EQ(s.lstPasses().back(), "CONTINUATION ENDED AT lambda=3.5");
        EXPECT_NEAR(ChebyshevDerivative(*s.chebyshev(), 0, 0.5), test::BratuLower(3.5, 0.5), 1e-11) << steps;
    }

    // Past the turning point there is no solution: a step that finds none is halved, down to a
    // 1024th of the planned one, and the sweep stops just short of the turning point, where that
    // solution stands, solved to the full bounds.
    s.continuation = {"lambda", 2.6, 4.1, 5}; // 2.6, 2.9, 3.2, 3.5, 3.8, 4.1 as planned
    EXPECT_TRUE(s.solve());
    const std::vector<std::string>& log = s.lstPasses();
    ASSERT_GE(log.size(), 2u);
    EXPECT_NE(std::find(log.begin(), log.end(), "STEP 5: lambda=3.65: NO SOLUTION"), log.end())
        << "3.8 found none, so 3.65 was tried next";
    const std::string& cannot = log[log.size() - 2];
    ASSERT_EQ(cannot.rfind("CONTINUATION CANNOT PASS lambda=", 0), 0u) << cannot;
    const double reached = ParseNumber(cannot.substr(32));
    EXPECT_GT(reached, 3.5138 - 1.5 / 5 / 1024 * 2);
    EXPECT_LT(reached, 3.51383);
    EXPECT_EQ(cannot, "CONTINUATION CANNOT PASS lambda=" + FormatNumber(reached) +
                          ": A TURNING POINT, OR NO SOLUTION BEYOND IT");
    EXPECT_EQ(log.back(), "CONTINUATION STOPPED; THE SOLUTION AT lambda=" + FormatNumber(reached) + " STANDS");
    // The readout names the value reached, not the last step's convergence.
    EXPECT_EQ(s.accuracy().rfind("NOT CONVERGED: THE CONTINUATION STOPPED AT lambda=" + FormatNumber(reached) +
                                     " SHORT OF lambda=4.1; THE SOLUTION THERE (DEGREE 40) HAS ESTIMATED ERROR ",
                                 0),
              0u)
        << s.accuracy();
    // The constant keeps the swept value for Evaluate: the residual there is tiny.
    s.boxes.xestimation = "0.3";
    ASSERT_TRUE(s.evaluate());
    EXPECT_LT(std::fabs(ParseNumber(s.lstDError()[0].substr(8))), 1e-9) << "solved at " << reached;

    // A continuation that names no constant is refused with the reason.
    s.continuation = {"2x", 0, 1, 3};
    n.messages.clear();
    EXPECT_FALSE(s.solve());
    ASSERT_EQ(n.messages.size(), 1u);
    EXPECT_EQ(n.messages[0].rfind("The continuation needs the name of a constant", 0), 0u);
}

// Known solutions from the zero start with the automatic degree: each converges without a
// message, within `within` of the references at the points given and y'(x1) within ten times
// that; or, where `relative`, within that share of the solution's scale there and of the slope,
// its readout within 100 times that real error.
//
// Troesch's problem y'' = lam sinh(lam y), y(0) = 0, y(1) = 1 (the zero start misses y(1) = 1):
// Newton's residual-led steps crawl (1/32 of a step a pass) and do not converge; the solver
// finds its way and says which way it took. At lam = 5 with bounds of 1E-12 the error-oriented
// steps from zero do not converge either, from the start moved to meet y(1) = 1 they do; at
// lam = 10 (bounds 1E-9, its terms reach 1E+5) the error-oriented steps from zero do, and with
// bounds of 1E-12, below the rounding of its terms, they do to rounding level. References: the
// first integral y'^2 = s^2 + 4 sinh^2(lam y / 2), x(y) by quadrature and y'(0) = s from
// x(1) = 1 (mpmath, 40 digits; at lam = 10 50 and 70 digits), and at lam = 10 shooting with
// mpmath's Taylor integrator at 50 digits, agreeing to 40 digits (references/).
//
// Public problems with layers: Carrier's eps y'' + 2(1 - x^2) y + y^2 = 1, y(-1) = y(1) = 0 (the
// symmetric solution Newton reaches from zero; at eps = 5E-3 degree 32 is solved again from
// zero, the last degree's solution leading astray) and the corner layers eps y'' - y y' - y = 0,
// y(0) = 1/3, y(1) = -1/3 (y near 1/3 - x, then 0, then 2/3 - x), within 1E-12 of the solution's
// scale. References: shooting with mpmath's Taylor integrator at 50 digits and with a fixed-step
// Taylor method of order 40-50 at 50-80 digits (the corner layers also by a quadrature of the
// first integral), all agreeing to 40 digits (the scripts and their outputs: references/).
TEST(KnownNonlinearSolutions, FromTheZeroStartAtTheAutomaticDegree)
{
    if (test::Sanitized()) // seconds there, for the CI's budget; the ways' code is plain vectors
        GTEST_SKIP();
    const std::string conditionsMet = "NEWTON'S ITERATION FROM THE START DID NOT CONVERGE; THE START, MOVED IN ITS "
                                      "LOWEST COEFFICIENTS TO MEET THE CONDITIONS, WITH STEPS THAT LOWER ITS "
                                      "CORRECTIONS DID:",
                      errorOriented = "NEWTON'S ITERATION FROM THE START DID NOT CONVERGE WITH STEPS THAT LOWER "
                                      "THE RESIDUALS; WITH STEPS THAT LOWER ITS CORRECTIONS IT DID:";
    const char* carrier = "eps*y''+2*(1-x^2)*y+y^2-1=0";
    const char* corner = "eps*y''-y*y'-y=0";
    const std::vector<std::pair<double, double>> at10 = {{0.5, 0.0026590204903510777813100037260441555},
                                                         {0.9, 0.15211407640471317805417429494113446},
                                                         {0.99, 0.57407649980148049122978314119901097}};
    const double slope10 = 0.00035833778463081369041250051823691905;
    const struct {
        NonlinearTexts texts;
        const char* constant;
        std::string way; // the pass list's line after "DEGREE 16:"; "" where it is not checked
        std::vector<std::pair<double, double>> y;
        double x1, slope; // y'(x1)
        double within;
        bool relative;
    } cases[] = {
        // clang-format off
        {test::Troesch("lam", "1E-12"), "lam=5", conditionsMet,
         {{0.25, 0.014658439665558976265}, {0.5, 0.055437396232938995884}, {0.75, 0.19832398429040608623},
          {0.9, 0.45506002729893471412}}, 0, 0.045750461406318740099, 1e-14, false},
        {test::Troesch("lam", "1E-9"), "lam=10", errorOriented, at10, 0, slope10, 1e-13, false},
        {test::Troesch("lam", "1E-12"), "lam=10", errorOriented, at10, 0, slope10, 1e-13, false},
        {test::TwoPoint(carrier, "-1", "1", {"y=0", "y=0"}, "1E-11"), "eps=1E-2", "",
         {{0, -0.74531112876578018778282625938359}, {0.5, -0.032802112476772652243362959692572583},
          {0.9, -0.64794013898381336972651210264914}}, -1, -11.169059987572121242311493271717782, 1e-12, true},
        {test::TwoPoint(carrier, "-1", "1", {"y=0", "y=0"}, "1E-10"), "eps=5E-3", "",
         {{0, 1.4506004270655337864308064327552123}, {0.5, -0.62543388604591640996063023812584175},
          {0.9, -1.0110556211153081422434825726407851}}, -1, -18.154673032956205271379334525914786, 1e-12, true},
        {test::TwoPoint(corner, "0", "1", {"y=1/3", "y=-1/3"}, "1E-10"), "eps=1E-3", "",
         {{0.25, 0.083455992258050689821899392075001239}, {1.0 / 3, 0.017236506965018535853851083624768205},
          {0.4, 0.0024733109127110548394735470986049233}}, 0, -0.99999999999999999999999972570099766, 1e-12, true},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.texts.equation + ", " + c.constant + ", bounds " + c.texts.errorD);
        Accurate n(c.texts, true, {c.constant});
        const bool solved = n.s.solve();
        EXPECT_TRUE(n.messages.empty()) << n.messages.front();
        ASSERT_TRUE(solved) << test::First(n.s.lstCoeff());
        EXPECT_EQ(n.s.accuracy().rfind("CONVERGED AT DEGREE ", 0), 0u) << n.s.accuracy();
        if (!c.way.empty()) {
            EXPECT_EQ(n.s.lstPasses().at(0), "DEGREE 16:");
            EXPECT_EQ(n.s.lstPasses().at(1), c.way);
        }
        const ChebyshevSeries& y = *n.s.chebyshev();
        double scale = 0;
        for (const auto& [x, value] : c.y)
            scale = std::fmax(scale, std::fabs(value));
        double real = std::fabs(ChebyshevDerivative(y, 1, c.x1) - c.slope) / std::fabs(c.slope);
        EXPECT_NEAR(ChebyshevDerivative(y, 1, c.x1), c.slope,
                    c.relative ? c.within * std::fabs(c.slope) : 10 * c.within);
        for (const auto& [x, value] : c.y) {
            EXPECT_NEAR(ChebyshevDerivative(y, 0, x), value, c.relative ? c.within * scale : c.within) << x;
            real = std::fmax(real, std::fabs(ChebyshevDerivative(y, 0, x) - value) / scale);
        }
        const double estimate = n.s.lastReport().readout->estimatedError;
        if (c.relative) {
            EXPECT_LE(real, 100 * estimate) << n.s.accuracy();
            EXPECT_LE(estimate, 100 * std::fmax(real, 2.2e-16)) << n.s.accuracy();
        }
    }
}

// The automatic degree from the zero start where the first degrees cannot hold a layer. The
// boundary layer eps y'' + y' + y^2 = 0, y(0) = 0, y(1) = 1/2, eps = 1E-3: Newton finds nothing
// at degrees 16 and 32, so the growth goes on to 64, converges there and grows on; the solution
// found meets the equation between the collocation points. The shock eps y'' + y y' - y = 0,
// y(0) = -7/6, y(1) = 3/2: its coarse degrees converge to a wrong shock and degree 512 fails
// from them; the failing degree is cut short (every way from the start at 512 took 45 s).
// Bratu's problem beyond its turning point (lambda = 4) has no solution: no way converges at any
// degree tried, NO CONVERGENCE without a message, within seconds.
TEST(AccurateNonlinearSession, TheGrowthGoesPastDegreesWithoutASolutionAndCutsFailuresShort)
{
    if (test::Sanitized()) // seconds there, for the CI's budget
        GTEST_SKIP();
    Accurate layer(test::TwoPoint("eps*y''+y'+y^2=0", "0", "1", {"y=0", "y=1/2"}, "1E-12", "100"), true, {"eps=1E-3"});
    ASSERT_TRUE(layer.s.solve()) << layer.s.lstCoeff().at(0);
    EXPECT_EQ(layer.s.accuracy().rfind("CONVERGED AT DEGREE ", 0), 0u) << layer.s.accuracy();
    std::vector<std::string> degrees = test::Starting(layer.s.lstPasses(), "DEGREE ");
    ASSERT_GE(degrees.size(), 4u);
    degrees.resize(3);
    EXPECT_EQ(degrees, (std::vector<std::string>{"DEGREE 16:", "DEGREE 32:", "DEGREE 64:"}));
    const ChebyshevSeries& y = *layer.s.chebyshev();
    const double worst = test::Largest(0, 1, 1000, [&](double x) {
        const double v = ChebyshevDerivative(y, 0, x);
        return 1e-3 * ChebyshevDerivative(y, 2, x) + ChebyshevDerivative(y, 1, x) + v * v;
    });
    EXPECT_LT(worst, 1e-9 * test::Largest(0, 1, 1000, [&](double x) { return ChebyshevDerivative(y, 1, x); }));
    EXPECT_NEAR(ChebyshevDerivative(y, 0, 0), 0, 1e-13);
    EXPECT_NEAR(ChebyshevDerivative(y, 0, 1), 0.5, 1e-13);

    Accurate shock(test::TwoPoint("eps*y''+y*y'-y=0", "0", "1", {"y=-7/6", "y=3/2"}, "1E-12", "100"), true,
                   {"eps=1E-3"});
    // Limited to 1000 (by default it converges at degree 4096 in about twelve seconds, too long for
    // a test; docs/PERFORMANCE.md), it still finds where the shock is.
    EXPECT_EQ(shock.s.maxDegree, kDefaultNewtonAutoDegreeLimit);
    shock.s.maxDegree = 1000;
    const auto began = std::chrono::steady_clock::now();
    shock.s.solve();
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(20));
    EXPECT_EQ(shock.s.accuracy().rfind("NOT CONVERGED BY DEGREE ", 0), 0u) << shock.s.accuracy();
    // Its coarse degrees place the shock wrongly; the sweep of eps from 1, whose solution stands,
    // finds it where it is, at x = 1/3 between y = x - 7/6 and y = x + 1/2.
    EXPECT_EQ(shock.s.lstPasses().at(0),
              "NO CONVERGED SOLUTION FROM THE START: THE LAYER PARAMETER eps WAS SWEPT FROM 1 TO 0.001, THEN:");
    const ChebyshevSeries& s = *shock.s.chebyshev();
    EXPECT_NEAR(ChebyshevDerivative(s, 0, 0.3), 0.3 - 7.0 / 6, 1e-3);
    EXPECT_NEAR(ChebyshevDerivative(s, 0, 0.37), 0.37 + 0.5, 1e-3);

    Accurate none(test::Bratu({"lambda=4"}), true);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(none.s.solve());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5))
        << "a way that fails is cut short (a homotopy took 46 s at degree 128 before its steps' passes were bounded)";
    EXPECT_TRUE(none.messages.empty()) << none.messages.front();
    EXPECT_EQ(none.s.lstCoeff().at(0), "NO CONVERGENCE.  BEST RESULTS WERE:");
    EXPECT_EQ(test::Starting(none.s.lstPasses(), "DEGREE "),
              (std::vector<std::string>{"DEGREE 16:", "DEGREE 32:", "DEGREE 64:", "DEGREE 128:"}));
}

// The layer parameter: the constant, no larger than 0.1, that weighs some highest derivative
// (doubled, the derivative's coefficient at least doubles everywhere), swept from 1 at three
// steps a decade; the smallest where several do; only one whose lines run at 1 and, run again
// at its own value, give every constant its value; the constants as they were after.
TEST(ChebyshevNewton, TheLayerParameterIsTheSmallConstantThatWeighsTheHighestDerivative)
{
    const struct {
        const char* equation;
        std::vector<std::string> constants;
        const char* name; // "" where none is
        double from, to;
        int steps;
    } cases[] = {
        // clang-format off
        {"eps*y''+y*y'-y=0", {"eps=1E-2"}, "eps", 1, 1e-2, 6},
        {"eps^2*y''=y", {"eps=0.05"}, "eps", 1, 0.05, 4},
        {"eps*y^2*y''+y'=0", {"eps=1E-3"}, "eps", 1, 1e-3, 9},               // its coefficient holds y
        {"eps*y''+y=0", {"eps=-1E-3"}, "eps", -1, -1e-3, 9},
        {"lam*y''+y=0", {"p=3", "lam=10^(-p)"}, "lam", 1, 1e-3, 9},         // defined from another
        {"a*y''+b*y'+y=0", {"a=1E-2", "b=1E-3"}, "a", 1, 1e-2, 6},           // b weighs y' only
        {"a*y''+b*y''+y=0", {"a=1E-2", "b=1E-3"}, "", 0, 0, 0},              // neither doubles it
        {"(a+b)*y''+y=0", {"b=1E-4", "a=1E-3", "c=b*a"}, "", 0, 0, 0},
        {"eps*y''+eps2*y''+y=0", {"eps=1E-2", "eps2=eps"}, "eps", 1, 1e-2, 6}, // one that follows it
        {"y''+eps*y=0", {"eps=1E-3"}, "", 0, 0, 0},
        {"eps*y''+y=0", {"eps=0.5"}, "", 0, 0, 0},                           // no layer to ease
        {"eps*y''+y=0", {"eps=1E-2", "c=Sqr(0.015-eps)"}, "", 0, 0, 0},      // the engine fails at 2 eps
        {"eps*y''+y=0", {"eps=1E-2", "c=Sqr(0.5-eps)"}, "", 0, 0, 0},        // ... and at 1
        {"eps*y''+y+e2=0", {"e2=eps*10", "eps=2E-3"}, "", 0, 0, 0},          // run again, e2 would change
        {"eps*y''+y+k=0", {"eps=2E-3", "k=k+1"}, "", 0, 0, 0},               // so would k, each time
        {"eps*y''+y=0", {"eps=1E-12"}, "eps", 1, 1e-12, 36},
        {"eps*y''+y=0", {"eps=1E-310"}, "", 0, 0, 0},                        // below any layer a degree holds
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.equation);
        NonlinearTexts t = test::TwoPoint(c.equation, "0", "1", {"y=0", "y=1"}, "1E-12");
        t.constants = c.constants;
        Problem p(t);
        const LayerProbe probe{{p.expr[0]}, {{"Y0", "Y1", "Y2"}}, "x", 0, 1};
        const auto values = [&] { // the constants' values, in their order
            std::vector<double> v(c.constants.size());
            for (size_t k = 0; k < v.size(); ++k)
                EXPECT_TRUE(p.host.evaluate(c.constants[k].substr(0, c.constants[k].find('=')), v[k]));
            return v;
        };
        const std::vector<double> before = values();
        const std::optional<Continuation> sweep = LayerParameterSweep(probe, p.in.constants, p.host);
        using Sweep = std::tuple<std::string, double, double, int, bool>;
        const Sweep found =
            sweep ? Sweep(sweep->name, sweep->from, sweep->to, sweep->steps, sweep->geometric) : Sweep();
        EXPECT_EQ(found, *c.name ? Sweep(c.name, c.from, c.to, c.steps, true) : Sweep());
        EXPECT_EQ(values(), before);
        EXPECT_TRUE(p.messages.empty()) << p.messages[0];
    }
}

// Where the automatic degree finds no converged solution from the zero start, the layer
// parameter is swept: eps y'' + y y' - y = 0, y(0) = -1, y(1) = 3/2 at eps = 1E-2 (outside a
// shock near x = 1/4 the solution is x - 1 and x + 1/2 exactly, up to terms like e^(-1/(4 eps)))
// converges by the sweep, which the pass list says first. Where the sweep does no better (a
// layer parameter whose value 1 has no solution: Bratu's equation beyond its turning point), the
// first solve stands again, its passes followed by the sweep's.
TEST(AccurateNonlinearSession, AProblemWithALayerParameterIsSweptWhereTheStartFails)
{
    if (test::Sanitized()) // seconds there, for the CI's budget
        GTEST_SKIP();
    Accurate shock(test::TwoPoint("eps*y''+y*y'-y=0", "0", "1", {"y=-1", "y=3/2"}, "1E-12", "100"), true, {"eps=1E-2"});
    ASSERT_TRUE(shock.s.solve());
    EXPECT_EQ(shock.s.lstPasses().at(0),
              "NO CONVERGED SOLUTION FROM THE START: THE LAYER PARAMETER eps WAS SWEPT FROM 1 TO 0.01, THEN:");
    EXPECT_EQ(shock.s.lstPasses().back(), "CONTINUATION ENDED AT eps=0.01");
    EXPECT_EQ(shock.s.accuracy().rfind("CONVERGED AT DEGREE ", 0), 0u) << shock.s.accuracy();
    const ChebyshevSeries& y = *shock.s.chebyshev();
    EXPECT_LT(test::Largest(0, 1, 1000,
                            [&](double x) {
                                const double v = ChebyshevDerivative(y, 0, x);
                                return 1e-2 * ChebyshevDerivative(y, 2, x) + v * ChebyshevDerivative(y, 1, x) - v;
                            }),
              1e-9);
    EXPECT_NEAR(ChebyshevDerivative(y, 0, 0.05), 0.05 - 1, 1e-6);
    EXPECT_NEAR(ChebyshevDerivative(y, 0, 0.6), 0.6 + 0.5, 1e-6);

    Accurate bratu(test::TwoPoint("eps*y''+3.6*Exp(y)=0", "0", "1", {"y=0", "y=0"}, "1E-12", "40"), true, {"eps=0.1"});
    EXPECT_FALSE(bratu.s.solve());
    const std::vector<std::string>& passes = bratu.s.lstPasses();
    const auto line = std::find(passes.begin(), passes.end(),
                                "NO CONVERGED SOLUTION FROM THE START; THE LAYER PARAMETER eps WAS SWEPT FROM 1 TO 0.1 "
                                "WITHOUT A BETTER ONE, SO THE SOLUTION FROM THE START STANDS. THE SWEEP:");
    ASSERT_NE(line, passes.end());
    EXPECT_EQ(passes.front(), "DEGREE 16:");
    EXPECT_EQ(*(line + 1), "  STEP 0: eps=1: NO SOLUTION");
    EXPECT_EQ(passes.back(), "  CONTINUATION STOPPED AT ITS FIRST VALUE");
    EXPECT_EQ(bratu.s.accuracy(), "");
}

// Where Newton's iteration does not converge from a start that misses a condition by far, the
// homotopy from that start takes its residuals away a share at a time: Troesch's problem at
// lam = 5 from zero at degree 16, whose right end moves from 0 to 1.
TEST(ChebyshevNewton, AHomotopyFromTheStartTakesItsResidualsAway)
{
    if (test::Sanitized()) // for the CI's budget; the homotopy's code is plain vectors
        GTEST_SKIP();
    Problem p(test::Troesch("5", "1E-12"));
    const int N = 16, m = N - 1;
    ChebyshevNewtonShape shape;
    shape.blocks = {{{"Y0", "Y1", "Y2"}, 2, N, 0}};
    for (int i = 0; i < m; ++i)
        shape.rows.push_back({0.5 + ChebyshevPoint(i, m) / 2, 0});
    shape.rows.push_back({0, 1});
    shape.rows.push_back({1, 2});
    SetShapeProblem(shape, p.in);
    shape.maxIterations = 20;
    std::vector<double> coef(N + 1, 0.0);
    ASSERT_EQ(RunChebyshevNewton(shape, p.expr, coef, p.host).termination, Termination::NoConvergence);
    coef.assign(N + 1, 0.0);
    const NewtonRunReport r = RunChebyshevHomotopy(shape, p.expr, coef, p.host);
    ASSERT_TRUE(r.solved()) << NewtonPassLines(r).back();
    EXPECT_GT(r.homotopySteps, 1);
    EXPECT_EQ(NewtonPassLines(r).front().rfind("NEWTON'S ITERATION FROM THE START DID NOT CONVERGE: A HOMOTOPY FROM "
                                               "THE START REACHED THE PROBLEM IN ",
                                               0),
              0u);
    // Degree 16 is short of the layer: the value at 1/2 to the truncation's 1E-4.
    EXPECT_NEAR(ChebyshevDerivative(ChebyshevSeries{0, 1, coef}, 0, 0.5), 0.055437396232938995884, 1e-4);

    // Finding its way comes to the homotopy last, and not where the shape leaves it out (the
    // finer first degrees the automatic degree retries): there the plain iteration's failure.
    for (bool homotopy : {true, false}) {
        shape.homotopy = homotopy;
        coef.assign(N + 1, 0.0);
        const NewtonRunReport way = RunChebyshevNewtonFindingItsWay(shape, p.expr, coef, p.host);
        EXPECT_EQ(way.solved(), homotopy) << NewtonPassLines(way).back();
        EXPECT_EQ(way.homotopySteps > 0, homotopy);
    }
}

// What a Newton iteration leaves for the readout: the last correction (sum over the
// coefficients) while the corrections have stopped falling, and about d^3 / d_before^2 while
// they still square: a largest correction of 1E-5 after 2E-3 leaves their sum 1E-4 times
// (1/200)^2.
TEST(ChebyshevNewton, WhatTheLastCorrectionLeaves)
{
    const struct {
        const char* what;
        std::vector<double> largest; // each pass's largest correction
        std::vector<double> last;    // the last pass's corrections
        double left;
    } cases[] = {
        {"no pass", {}, {}, 0},
        {"one pass: all of it", {0.5}, {0.5, -0.25}, 0.75},
        {"squaring", {2e-3, 1e-5}, {1e-5, -9e-5}, 1e-4 * 2.5e-5},
        {"stopped falling: rounding", {3e-16, 4e-16}, {4e-16, 1e-16}, 5e-16},
    };
    for (const auto& c : cases) {
        NewtonRunReport r;
        for (double d : c.largest)
            r.passes.push_back({d, 0, 1});
        r.correction = c.last;
        EXPECT_NEAR(RemainingCorrection(r), c.left, 1e-12 * c.left) << c.what;
    }
}

// The sweep's values and what each step sees of the constants: equal steps or equal ratios, and
// a constant defined from the swept one recomputed at every step (lambda = 3.5 p, p swept).
TEST(AccurateNonlinearSession, ContinuationStepsConstantsAndTheDegreeCarried)
{
    const struct {
        const char* what;
        Continuation sweep;
        std::vector<std::string> constants;
        std::vector<std::string> steps; // the log's STEP lines
        double lambda;                  // where the solution stands
    } cases[] = {
        // clang-format off
        {"equal steps", {"lambda", 0.5, 3.5, 3}, {"lambda=1"},
         {"STEP 0: lambda=0.5", "STEP 1: lambda=1.5", "STEP 2: lambda=2.5", "STEP 3: lambda=3.5"}, 3.5},
        {"equal ratios", {"lambda", 0.01, 2.56, 4, true}, {"lambda=1"},
         {"STEP 0: lambda=0.01", "STEP 1: lambda=" + FormatNumber(0.01 * 4), "STEP 2: lambda=" + FormatNumber(0.01 * 16),
          "STEP 3: lambda=" + FormatNumber(0.01 * 64), "STEP 4: lambda=2.56"}, 2.56},
        {"a constant defined from the swept one", {"p", 0.2, 0.8, 2}, {"p=1", "lambda=3.5*p"},
         {"STEP 0: p=0.2", "STEP 1: p=0.5", "STEP 2: p=0.8"}, 2.8},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Accurate n(test::Bratu(c.constants));
        NonlinearSession& s = n.s;
        s.continuation = c.sweep;
        ASSERT_TRUE(s.solve()) << (n.messages.empty() ? "" : n.messages[0]);
        EXPECT_EQ(test::Starting(s.lstPasses(), "STEP "), c.steps);
        EXPECT_NEAR(ChebyshevDerivative(*s.chebyshev(), 0, 0.5), test::BratuLower(c.lambda, 0.5), 1e-10);
    }

    // With the automatic degree each step's growth starts at the degree the last step solved
    // found (it started at 16 every time); past the turning point every step is solved to the
    // full bounds, at more than 16.
    NonlinearTexts t = test::Bratu();
    t.terms = Reciprocal().terms; // the automatic degree starts from the form's own degree
    Accurate n(t, true);
    NonlinearSession& s = n.s;
    s.continuation = {"lambda", 2.6, 4.1, 5};
    ASSERT_TRUE(s.solve());
    int kept = 0, carried = 0, above16 = 0;
    bool firstOfStep = false, failed = false;
    int degree = 0;
    for (const std::string& line : s.lstPasses()) {
        if (line.rfind("STEP ", 0) == 0 || line.rfind("CONTINUATION", 0) == 0) {
            if (!failed && degree > 0)
                kept = degree; // the step before was solved: its last degree is carried
            failed = line.find(": NO SOLUTION") != std::string::npos;
            firstOfStep = line.rfind("STEP ", 0) == 0;
            continue;
        }
        if (line.rfind("  DEGREE ", 0) != 0)
            continue;
        degree = std::stoi(line.substr(9));
        if (firstOfStep && kept > 0) {
            EXPECT_EQ(degree, kept) << line;
            ++carried;
            above16 += degree > 16;
        }
        firstOfStep = false;
    }
    EXPECT_GE(carried, 5);
    EXPECT_GE(above16, 1);
    EXPECT_EQ(s.accuracy().rfind("NOT CONVERGED: THE CONTINUATION STOPPED AT lambda=3.51", 0), 0u) << s.accuracy();
}

} // namespace
