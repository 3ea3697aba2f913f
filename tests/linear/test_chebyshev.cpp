// The accurate method: Chebyshev collocation of a single linear equation.
#include "common/NumberFormat.h"
#include "linear/LinearChebyshev.h"
#include "linear/LinearProblems.h"
#include "linear/LinearSolver.h"
#include "support/Scratch.h"
#include "support/Tolerances.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using namespace ode;
using ode::test::Close;

struct Problem {
    std::shared_ptr<script::Class1> shared;
    std::vector<std::string> messages;
    script::ScriptHost host{shared, [this](const std::string& m) { messages.push_back(m); }};
    SingleInputs in;
    LinearCoefficientTexts texts;

    Problem(const std::string& equation, std::vector<std::string> bcText, std::vector<std::string> bcPoint,
            const std::string& lower, const std::string& upper, int degree, const std::string& order = "2")
    {
        host.prepare();
        SingleTexts t = DefaultSingleTexts(SeriesKind::Power);
        t.order = order;
        t.equation = equation;
        t.bcText = std::move(bcText);
        t.bcPoint = std::move(bcPoint);
        t.xlower = lower;
        t.xupper = upper;
        t.expansion = "0";
        t.terms = std::to_string(degree);
        in = ReadSingleInputs(t, SeriesKind::Power, host.Pi);
        EXPECT_FALSE(ExtractLinearCoefficients(in, texts));
    }
    ChebyshevSolution solve() { return SolveLinearChebyshev(in, texts, host); }
};

// c(0) ... c(N).
std::vector<double> Coefficients(int N, const std::function<double(int k)>& c)
{
    std::vector<double> coef(static_cast<size_t>(N) + 1);
    for (int k = 0; k <= N; ++k)
        coef[static_cast<size_t>(k)] = c(k);
    return coef;
}

// What a solve the growth calls might return: solved at `degree` with coefficients c(k), or an
// ending without them.
ChebyshevSolution Synthetic(int degree, const std::function<double(int k)>& c, Termination ending = Termination::Solved)
{
    ChebyshevSolution s;
    s.termination = ending;
    if (s.solved())
        s.series.coef = Coefficients(degree, c);
    return s;
}

double worstError(const ChebyshevSeries& s, int derivative, double (*exact)(double))
{
    return test::Largest(s.a, s.b, 400, [&](double x) { return ChebyshevDerivative(s, derivative, x) - exact(x); });
}

// Endings are stated like the other solvers', at low degrees and where the banded form does not
// apply, from degree 512 on (up to the collocation's own bound) as below it: two equal
// conditions or two that contradict each other (QR without pivoting left them a pivot far from
// 0, so the data's rounding decided). A degree below the order is refused, and said; an error in
// a condition is said once (the banded form's attempt is quiet).
TEST(Chebyshev, EndingsAreStatedLikeTheOtherSolvers)
{
    const std::string low = "The degree of the solution must be greater than the order.";
    const struct {
        const char* equation;
        std::vector<std::string> bc, at;
        const char* lower; // of [lower, 1]
        int degree;
        Termination ending;
        std::vector<std::string> messages;
    } cases[] = {
        {"y''+y=0", {"y=0", "y=0"}, {"0", "0"}, "-1", 12, Termination::LinearlyDependent, {}},
        {"y''+y=0", {"y=1", "y=1"}, {"0", "0"}, "0", 512, Termination::LinearlyDependent, {}},
        {"y''+y=0", {"y=1", "y=2"}, {"0", "0"}, "0", 512, Termination::Inconsistent, {}},
        {"y''+y=1/(x-x)", {"y=0", "y'=1"}, {"0", "0"}, "-1", 12, Termination::ScriptError, {"division by zero"}},
        {"y''+y=0", {"y=1/0", "y=1"}, {"0", "1"}, "0", 600, Termination::ScriptError, {"division by zero"}},
        {"y''+y=0", {"y=0", "y'=1"}, {"0", "0"}, "-1", 1, Termination::Refused, {low}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.equation + (" " + c.bc[0]) + " at degree " + std::to_string(c.degree));
        Problem p(c.equation, c.bc, c.at, c.lower, "1", c.degree);
        const ChebyshevSolution s = p.solve();
        EXPECT_EQ(s.termination, c.ending);
        EXPECT_EQ(p.messages, c.messages);
        if (s.termination == Termination::ScriptError) {
            EXPECT_EQ(s.error.number, script::ErrDivisionByZero);
        }
    }
    // Beyond the collocation's own bound its O(N^3) would take hours: the banded form's finding
    // stands (at once, without solving again).
    Problem same("y''+y=0", {"y=1", "y=1"}, {"0", "0"}, "0", "1", 512);
    same.in.seriesDegree = 20000;
    EXPECT_EQ(same.solve().termination, Termination::LinearlyDependent);
}

// The band is refused before it is built where a coefficient's Chebyshev series makes it wider
// than kBandedWidth or a quarter of the degree (1/(1 + 400x^2) has 982 terms and took a minute;
// no degree makes a band of 1970 cheap: its operator alone took minutes), and where a
// coefficient is below 1E-200. A right-hand side computed to about 60 units (sin(60 x)) is
// resolved at its own noise.
TEST(Chebyshev, WhereTheBandedFormDoesNotApply)
{
    Problem wide("y''+1/(1+400*x^2)*y=1", {"y=0", "y=0"}, {"-1", "1"}, "-1", "1", 600);
    EXPECT_FALSE(LinearBandedSystem(wide.in, wide.texts, wide.host));
    wide.in.seriesDegree = 100000;
    EXPECT_FALSE(LinearBandedSystem(wide.in, wide.texts, wide.host));
    Problem tiny("1E-320*y''+1E-320*y=0", {"y=0", "y'=1"}, {"0", "0"}, "0", "3", 600);
    EXPECT_FALSE(LinearBandedSystem(tiny.in, tiny.texts, tiny.host));
    Problem noisy("y''+2*y=sin(60*x)", {"y=0", "y=0"}, {"-1", "1"}, "-1", "1", 600);
    EXPECT_TRUE(LinearBandedSystem(noisy.in, noisy.texts, noisy.host));
    EXPECT_TRUE(noisy.messages.empty());
}

// y'' + y = 0 on [-10, 10], y(0) = 0, y'(0) = 1: sin x. The equally spaced power-series
// collocation stops near 5E-8 here; the Chebyshev basis reaches the rounding level and stays
// there as the degree grows. y' - y = 0, y(0) = 1 on [-1, 2]: e^x (its power series about 0, the
// list of the Chebyshev coefficients and their text are PowerForm's tests' and the command
// line's cases').
TEST(Chebyshev, SineOnAWideIntervalAndTheExponentialToTheLastDigits)
{
    for (int degree : {40, 60, 120, 300}) {
        Problem p("y''+y=0", {"y=0", "y'=1"}, {"0", "0"}, "-10", "10", degree);
        const ChebyshevSolution s = p.solve();
        ASSERT_EQ(s.termination, Termination::Solved) << degree;
        EXPECT_LT(worstError(s.series, 0, [](double x) { return std::sin(x); }), 1e-12) << degree;
        EXPECT_LT(worstError(s.series, 1, [](double x) { return std::cos(x); }), 1e-11) << degree;
        EXPECT_LT(worstError(s.series, 2, [](double x) { return -std::sin(x); }), 1e-9) << degree;
    }
    Problem p("y'-y=0", {"y=1"}, {"0"}, "-1", "2", 30, "1");
    const ChebyshevSolution s = p.solve();
    ASSERT_EQ(s.termination, Termination::Solved);
    EXPECT_LT(worstError(s.series, 0, [](double x) { return std::exp(x); }), 1e-13);
}

// Through the session, as a form or the command line uses it: after the accurate method the
// Chebyshev solution stands for Evaluate (the equally spaced method's result is kept apart).
TEST(Chebyshev, TheSessionEvaluatesTheAccurateSolution)
{
    test::Linear linear;
    linear.set("2", "y''+y=0", {"y=0", "y'=1"}, {"0", "0"}, "-10", "10", "0", "100");
    LinearSession& s = linear.s;
    ASSERT_TRUE(s.solve());
    EXPECT_TRUE(s.lstChebyshev().empty()) << "the equally spaced method lists no Chebyshev coefficients";
    s.method = LinearSession::Method::Chebyshev;
    ASSERT_TRUE(s.solve());
    EXPECT_EQ(s.lstChebyshev().size(), 102u);
    for (double x : {7.0, 9.9, -9.9, 0.1}) {
        s.boxes.xestimation = FormatNumber(x);
        ASSERT_TRUE(s.evaluate());
        EXPECT_TRUE(Close(ParseNumber(s.lblValue()), std::sin(x), 1e-13)) << x << ": " << s.lblValue();
    }
    s.clearResults();
    EXPECT_TRUE(s.lstChebyshev().empty());
}

TEST(Chebyshev, AutomaticDegreeStopsWhenTheTailIsRoundingNoise)
{
    Problem sine("y''+y=0", {"y=0", "y'=1"}, {"0", "0"}, "-10", "10", 10);
    const AutoDegreeSolution s = SolveLinearChebyshevAuto(sine.in, sine.texts, sine.host);
    // How close it comes, and what the readout says, KnownSolutions checks through the session.
    ASSERT_TRUE(s.converged && s.readout);
    EXPECT_LE(s.degree, 128);
    EXPECT_EQ(s.best.series.coef.size(), static_cast<size_t>(s.degree) + 1);

    // sin(100 x) on [-10, 10] needs about a thousand terms: not reached by degree 64.
    Problem fast("y''+10000*y=0", {"y=0", "y'=100"}, {"0", "0"}, "-10", "10", 10);
    const AutoDegreeSolution f = SolveLinearChebyshevAuto(fast.in, fast.texts, fast.host, 64);
    EXPECT_FALSE(f.converged);
    EXPECT_TRUE(f.best.solved()) << "the best solution tried is shown";
    EXPECT_GT(f.estimatedError, 1e-3);
    ASSERT_TRUE(f.readout);
    EXPECT_EQ(ReadoutLine(*f.readout), "NOT CONVERGED BY DEGREE 64: ESTIMATED ERROR " + FormatNumber(f.estimatedError) +
                                           "; THE BEST SOLUTION (DEGREE " + std::to_string(f.degree) + ") IS SHOWN");

    EXPECT_EQ(ChebyshevTail({}), 0);
    EXPECT_EQ(ChebyshevTail({0, 0, 0}), 0);
    EXPECT_EQ(ChebyshevTail({4, 2, 1}), 1);
    EXPECT_EQ(ChebyshevTail({4, 3, 2, 0, 1, 0, 0, 0, 0, 0, 0, 0}), 0.25) << "the last eight hold 1, the largest is 4";
}

// Conditions that leave a multiple of a solution of the equation free: (eps + x^2)^2 y'' + 3 eps y = 0
// on [-0.1, 0.1] at eps = 1E-2, whose even solution (x^2 - eps)/sqrt(eps + x^2) vanishes at both
// ends, and y'' + y = 0 with y(0) = y(pi) = 0 (any multiple of sin x): the solution with the
// smallest coefficients (the odd x/sqrt(eps + x^2), and 0), and the readout says so. Near them,
// eps = 1E-3 has a single solution, y(pi) = 1 none, and y'' + (1 + 1E-10) y = sin 2x with
// y(pi) = 1E-11 a single one fixed to a few digits only (B sin(kx), B = 1E-11 / sin(k pi), is
// most of it): all three are judged as the elimination leaves them, with no direction taken away.
TEST(Chebyshev, ConditionsThatDoNotFixTheSolutionGiveTheSmallestAndSaySo)
{
    const std::string pi = "3.14159265358979";
    const std::string note = "; THE CONDITIONS DO NOT FIX THE SOLUTION TO WORKING PRECISION: THE ONE WITH THE SMALLEST "
                             "COEFFICIENTS IS SHOWN";
    const double k = std::sqrt(1 + 1e-10), b = 1e-11 / std::sin(k * 3.141592653589793);
    const struct {
        const char* name;
        std::string equation, left, right, lower, upper;
        std::function<double(double)> exact; // none where the problem has no solution
        double within;
        bool free, converged;
    } cases[] = {
        {"eps = 1E-2", "(0.01+x^2)^2*y''+0.03*y=0", "y=-0.1/Sqr(0.02)", "y=0.1/Sqr(0.02)", "-0.1", "0.1",
         [](double x) { return x / std::sqrt(0.01 + x * x); }, 1e-12, true, true},
        {"eps = 1E-3", "(0.001+x^2)^2*y''+0.003*y=0", "y=-0.1/Sqr(0.011)", "y=0.1/Sqr(0.011)", "-0.1", "0.1",
         [](double x) { return x / std::sqrt(0.001 + x * x); }, 1e-12, false, true},
        {"sin x free", "y''+y=0", "y=0", "y=0", "0", pi, [](double) { return 0.0; }, 1e-12, true, true},
        {"no solution", "y''+y=0", "y=0", "y=1", "0", pi, nullptr, 0, false, false},
        {"near resonance", "y''+(1+1E-10)*y=Sin(2*x)", "y=0", "y=1E-11", "0", pi,
         [k, b](double x) { return std::sin(2 * x) / (k * k - 4) + b * std::sin(k * x); }, 1e-4, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::Linear linear;
        linear.set("2", c.equation, {c.left, c.right}, {c.lower, c.upper}, c.lower, c.upper, "0", "16");
        LinearSession& s = linear.s;
        s.method = LinearSession::Method::Chebyshev;
        s.autoDegree = true;
        ASSERT_TRUE(s.solve()) << linear.firstMessage();
        const std::string readout = s.accuracy();
        EXPECT_EQ(readout.size() > note.size() && readout.substr(readout.size() - note.size()) == note, c.free)
            << readout;
        EXPECT_EQ(readout.rfind("CONVERGED AT DEGREE ", 0) == 0, c.converged) << readout;
        if (!c.exact)
            continue;
        const double a = ParseNumber(c.lower), e = ParseNumber(c.upper);
        for (int i = 0; i <= 50; ++i) {
            const double x = a + (e - a) * i / 50;
            EXPECT_NEAR(ChebyshevDerivative(*s.chebyshev(), 0, x), c.exact(x), c.within) << x;
        }
    }
}

// The next degree the growth tries, from series of known decay (tolerance 1E-13).
TEST(Chebyshev, TheNextDegreeIsTheOneTheDecayAsksFor)
{
    const struct {
        const char* what;
        std::vector<double> coef;
        int next;
    } cases[] = {
        // flat: not resolved, the degree doubles
        {"flat", Coefficients(64, [](int) { return 1.0; }), 128},
        {"a short series doubles", Coefficients(5, [](int k) { return std::pow(0.1, k); }), 10},
        // Extrapolated, the terms still to go are taken 15 % more than the rate gives. 10^-k/8
        // from c63 on: 41 terms to 1E-13 for the tail of eight (degree 118), 48 to an eighth of it
        // for the last two, 56 with the margin: degree 63 + 56 + 1 = 120
        {"geometric", Coefficients(64, [](int k) { return std::pow(10.0, -k / 8.0); }), 120},
        // falling 5 % a term the last two stand for 20.5 times themselves: 1E-13 / 20.5 is 261
        // terms past c399, 300 with the margin: degree 700, past the tail of eight's
        {"slow", Coefficients(400, [](int k) { return std::exp(-0.05 * k); }), 700},
        // only odd ones, 10^-k/4: the zeros between do not hide the decay (degree 63)
        {"odd", Coefficients(40, [](int k) { return k % 2 ? std::pow(10.0, -k / 4.0) : 0.0; }), 63},
        // tenfold every two terms from degree 16, steadily: the prediction (35) is followed past
        // twice the degree
        {"steady", Coefficients(16, [](int k) { return std::pow(10.0, -k / 2.0); }), 35},
        // reached inside the series already (k = 26): a few more coefficients, at least N + 4
        {"reached", Coefficients(32, [](int k) { return std::pow(10.0, -k / 2.0); }), 36},
        // falling, but still above 1E-4 at the end: at most half as far again
        {"rough", Coefficients(24, [](int k) { return std::pow(10.0, -0.17 * k); }), 36},
        {"zero", Coefficients(16, [](int) { return 0.0; }), 32},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NextChebyshevDegree(c.coef, 1e-13), c.next) << c.what;
}

// Degrees solved loosely: a series falling tenfold every eight terms (still far from resolved for
// several degrees, each next one a cap's choice, not the prediction's) is solved loosely, to a
// thousandth of the degree before's tail, at every capped degree after the first, and to the full
// bounds at the first degree and wherever the decay predicted the degree. A loose solution whose
// tail is its own looseness (Newton stopped in the noise it leaves) is solved again at once.
TEST(Chebyshev, DegreesACapChoseAreSolvedLooselyAndAgainWhereTheirTailCannotTell)
{
    auto at = [](int degree) { return Synthetic(degree, [](int k) { return std::pow(10.0, -k / 8.0); }); };
    for (const bool noisy : {false, true}) {
        SCOPED_TRACE(noisy ? "a loose solve leaves noise at its bound" : "a loose solve is exact");
        std::vector<std::pair<int, double>> calls; // degree, looseness (0: full)
        const AutoDegreeSolution found = GrowChebyshevDegree(
            16, 1000, 1e-13,
            [&](int degree, const Progress&) {
                calls.push_back({degree, 0.0});
                return at(degree);
            },
            false, {}, {}, false,
            {[&](int degree, double loose, const Progress&) {
                 calls.push_back({degree, loose});
                 return noisy ? Synthetic(degree, [loose](int k) { return std::fmax(std::pow(10.0, -k / 8.0), loose); })
                              : at(degree);
             },
             -1.0});
        EXPECT_TRUE(found.converged);
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ(calls.front(), std::make_pair(16, 0.0)) << "the first degree in full";
        EXPECT_EQ(calls.back().second, 0.0) << "the degree found in full";
        int loose = 0, again = 0;
        for (size_t i = 1; i < calls.size(); ++i) {
            const auto [degree, looseness] = calls[i];
            if (looseness == 0)
                continue;
            ++loose;
            const int before = calls[i - 1].first;
            EXPECT_DOUBLE_EQ(looseness, kLooseShare * ChebyshevTail(at(before).series.coef)) << degree;
            EXPECT_GT(ChebyshevTail(at(before).series.coef), kLooselySolvedAbove) << degree;
            bool capped = false;
            EXPECT_EQ(NextChebyshevDegree(at(before).series.coef, 1e-13, &capped), degree);
            EXPECT_TRUE(capped) << degree << ": a predicted degree is solved in full";
            if (noisy && ChebyshevTail(at(degree).series.coef) <= 10 * looseness) {
                ASSERT_LT(i + 1, calls.size());
                EXPECT_EQ(calls[i + 1], std::make_pair(degree, 0.0)) << "solved again where the tail cannot tell";
                ++again;
            }
        }
        EXPECT_GE(loose, 2);
        EXPECT_EQ(again > 0, noisy);
    }
}

// The automatic degree with probes: a series that falls tenfold every four terms, the same at
// every degree. The probes find where it falls below the tolerance (from kFirstProbeDegree, then
// as the solver would grow: 32, 63), and the solver solves once, at the degree they point to: the degree whose last two
// terms are below the tolerance over eight times the aliasing's 1 / (1 - q^2) twice over (q =
// 10^-1/4 a term: 17.1; c57 and c58 below 5.9E-15: 58). Where no probe can be had, or one fails,
// the solver grows as it did without.
TEST(Chebyshev, ProbesFindTheDegreeAndTheSolverSolvesItOnce)
{
    auto at = [](int degree) { return Synthetic(degree, [](int k) { return std::pow(10.0, -k / 4.0); }); };
    EXPECT_EQ(LookAheadDegree(at(80).series.coef, 1e-13, 16), 58);
    EXPECT_EQ(LookAheadDegree(at(80).series.coef, 1e-13, 70), 70) << "never below the first degree";
    EXPECT_EQ(TruncationFactor(at(80).series.coef), 8) << "a fast fall: the last terms eight times";
    EXPECT_EQ(TruncationFactor(std::vector<double>(40, 1.0)), 8) << "no fall";
    const std::vector<double> slow = Coefficients(400, [](int k) { return std::exp(-0.01 * k); });
    EXPECT_NEAR(TruncationFactor(slow), 1 / (1 - std::exp(-0.01)), 1e-6) << "1 % a term: the whole tail";

    auto ending = [](Termination t) { return [t](int) { return std::optional(Synthetic(0, {}, t)); }; };
    const struct {
        const char* what;
        std::function<std::optional<ChebyshevSolution>(int)> probe;
        std::vector<int> probed, solved;
        bool stopped;
    } cases[] = {
        {"probes", [&](int d) { return std::optional<ChebyshevSolution>(at(d)); }, {32, 63}, {58}, false},
        {"none to be had", [](int) { return std::optional<ChebyshevSolution>(); }, {32}, {16, 24, 64}, false},
        {"a singular probe", ending(Termination::LinearlyDependent), {32}, {16, 24, 64}, false},
        {"stopped", ending(Termination::Cancelled), {32}, {}, true},
    };
    for (const auto& c : cases) {
        std::vector<int> probed, solved;
        const AutoDegreeSolution found = GrowChebyshevDegree(
            16, 1000, 1e-13,
            [&](int degree, const Progress&) {
                solved.push_back(degree);
                return at(degree);
            },
            false, {},
            [&](int degree, const Progress&) {
                probed.push_back(degree);
                return c.probe(degree);
            });
        EXPECT_EQ(probed, c.probed) << c.what;
        EXPECT_EQ(solved, c.solved) << c.what;
        EXPECT_EQ(found.stopped, c.stopped) << c.what;
        if (c.stopped) {
            EXPECT_EQ(found.best.termination, Termination::Cancelled);
            EXPECT_FALSE(found.readout) << "a stop among the probes finds nothing";
        } else {
            EXPECT_TRUE(found.converged) << c.what;
            EXPECT_EQ(found.degree, c.solved.back()) << c.what;
        }
    }
}

// A solution whose coefficients fall fast at every degree while its value moves from one degree
// to the next by far more than the degree before said of itself (a coefficient with a kink, such
// as sqrt|x|, which the collocation meets only at its points): the growth does not call that
// converged, and its estimate is the move (its c0 moves by 1/N^2: from degree 16, whose last two
// terms said 1E-7, to 35, 1/16^2 - 1/35^2). A move away from a degree whose coefficients had not
// begun to fall (an oscillation not yet resolved, its last two terms small by chance) is that
// degree's own error: the resolved degree keeps its own estimate.
TEST(Chebyshev, ASolutionThatMovesMoreThanItsEstimateIsNotConverged)
{
    enum Case { Steady, Kinked, ResolvedLate };
    for (Case c : {Steady, Kinked, ResolvedLate}) {
        const AutoDegreeSolution found = GrowChebyshevDegree(16, 1000, 1e-13, [&](int degree, const Progress&) {
            ChebyshevSolution s = Synthetic(degree, [&](int k) {
                return c == ResolvedLate && degree < 100 ? std::cos(k * degree) / (k + 1) : std::pow(10.0, -k / 2.0);
            });
            if (c == ResolvedLate && degree < 100)
                s.series.coef[degree] = s.series.coef[degree - 1] = 1e-9;
            if (c == Kinked)
                s.series.coef[0] += 1.0 / (degree * degree);
            return s;
        });
        ASSERT_TRUE(found.readout) << c;
        EXPECT_EQ(found.converged, c != Kinked) << c;
        if (c == Kinked) {
            EXPECT_EQ(found.degree, 35);
            EXPECT_NEAR(found.estimatedError, 1.0 / (16 * 16) - 1.0 / (35 * 35), 1e-8); // and c17 ... c35
        }
        if (c == ResolvedLate) {
            EXPECT_GE(found.degree, 100);
            EXPECT_LT(found.estimatedError, 1e-13);
        }
    }
}

// A series the growth cannot resolve by its limit (c_k = 1.01^-k at every degree: a shock's
// slow fall) is estimated by the sum of the terms cut off, about a hundred times its last ones,
// where its last terms alone said twelve times less than that sum. The same fall scaled down
// until its tail is within the tolerance at the limit is still cut off there: not converged
// (grown from 250: from lower, its tail's slow fall below 1E-11 reads as rounding noise).
TEST(Chebyshev, AnUnresolvedSeriesIsEstimatedByWhatItsTailSums)
{
    for (double size : {1.0, 1.2e-13}) {
        SCOPED_TRACE(size);
        const int first = size < 1 ? 250 : 16;
        const AutoDegreeSolution found = GrowChebyshevDegree(first, 256, 1e-13, [&](int degree, const Progress&) {
            return Synthetic(degree, [&](int k) { return k == 0 ? 1.0 : size * std::pow(1.01, -k); });
        });
        ASSERT_TRUE(found.readout);
        EXPECT_FALSE(found.converged);
        EXPECT_EQ(found.degree, 256);
        const double cutOff = size * std::pow(1.01, -257) / (1 - 1 / 1.01); // the sum of c257, c258 ...
        EXPECT_GT(found.estimatedError, cutOff / 2);
        EXPECT_LT(found.estimatedError, 2 * cutOff);
        EXPECT_EQ(found.readout->estimatedError, found.estimatedError);
    }
}

// A Newton iteration from the problem's own start that finds nothing at the first degree (a
// layer the degree cannot hold) is tried at twice the degree, up to 128 and the limit, before the
// growth gives up; not once a degree has been solved, not without `retryFromTheStart` (a
// continuation's steps, the trigonometric terms), and only for NoConvergence.
TEST(Chebyshev, AFirstDegreeWithoutASolutionIsFollowedByFinerOnes)
{
    const struct {
        bool retry;
        int maxDegree, solvedFrom, failsFrom; // solved at degrees in [solvedFrom, failsFrom)
        Termination failure;
        std::vector<int> tried;
        bool solved;
    } cases[] = {
        {true, 1000, 64, 100000, Termination::NoConvergence, {16, 32, 64}, true},
        {false, 1000, 64, 100000, Termination::NoConvergence, {16}, false},
        {true, 1000, 64, 100000, Termination::Refused, {16}, false},
        {true, 40, 64, 100000, Termination::NoConvergence, {16, 32, 40}, false},
        {true, 1000, 256, 100000, Termination::NoConvergence, {16, 32, 64, 128}, false},
        {true, 1000, 16, 17, Termination::NoConvergence, {16}, true}, // then one failure ends it
    };
    for (const auto& c : cases) {
        std::vector<int> tried;
        const AutoDegreeSolution found = GrowChebyshevDegree(
            16, c.maxDegree, 1e-13,
            [&](int degree, const Progress&) {
                tried.push_back(degree);
                return Synthetic(
                    degree, [](int k) { return std::pow(10.0, -k / 2.0); },
                    degree >= c.solvedFrom && degree < c.failsFrom ? Termination::Solved : c.failure);
            },
            false, {}, {}, c.retry);
        const std::vector<int> first(tried.begin(), tried.begin() + std::min(tried.size(), c.tried.size()));
        EXPECT_EQ(first, c.tried) << c.maxDegree << " " << c.solvedFrom;
        EXPECT_EQ(found.best.solved(), c.solved) << c.maxDegree << " " << c.solvedFrom;
        if (c.failsFrom == 17) {
            EXPECT_EQ(tried.size(), 2u);
            EXPECT_EQ(found.degree, 16);
        } else if (!c.solved) {
            EXPECT_EQ(tried, c.tried);
        }
    }
}

// A next degree within a tenth of the limit is the limit itself: a prediction that falls short
// there would leave only the limit to try after it. Further from the limit the prediction stands
// (c_k = 10^-k/8 asks for 122 after 48; 0.9 x 135 = 121.5).
TEST(Chebyshev, ADegreeNearTheLimitIsTheLimit)
{
    const struct {
        int limit;
        std::vector<int> tried;
    } cases[] = {{1000, {16, 32, 48, 122}}, {136, {16, 32, 48, 122}}, {135, {16, 32, 48, 135}}};
    for (const auto& c : cases) {
        std::vector<int> tried;
        const AutoDegreeSolution found = GrowChebyshevDegree(16, c.limit, 1e-13, [&](int degree, const Progress&) {
            tried.push_back(degree);
            return Synthetic(degree, [](int k) { return std::pow(10.0, -k / 8.0); });
        });
        EXPECT_EQ(tried, c.tried) << c.limit;
        EXPECT_TRUE(found.converged) << c.limit;
    }
}

// The size a readout's tolerance is taken of: the largest value or coefficient; 0, within which
// nothing lies, for a series that is not finite or whose values overflow.
TEST(Chebyshev, TheSolutionSizeIsItsLargestValueOrCoefficient)
{
    EXPECT_EQ(SolutionSize(std::vector<double>(10, 1.0)), 10); // T0 + ... + T9 at t = 1
    EXPECT_EQ(SolutionSize({0.5, 0, -3}), 3.5);                // 0.5 - 3 T2 at t = 0
    EXPECT_EQ(SolutionSize({}), 0);
    EXPECT_EQ(SolutionSize({1, std::nan("")}), 0);
    EXPECT_EQ(SolutionSize({1e308, 1e308, 1e308}), 0);
}

TEST(Chebyshev, DerivativeCoefficientsOfKnownPolynomials)
{
    // T3 = 4s^3 - 3s, T3' = 12 s^2 - 3 = 6 T2 + 3 T0.
    EXPECT_EQ(ChebyshevDerivativeCoefficients({0, 0, 0, 1}), (std::vector<double>{3, 0, 6}));
    // T1' = T0; a constant's derivative is 0.
    EXPECT_EQ(ChebyshevDerivativeCoefficients({0, 1}), std::vector<double>{1});
    EXPECT_EQ(ChebyshevDerivativeCoefficients({5}), std::vector<double>{0});
}

// The pair of an accurate solution holds its power series about the centre, true on the interval:
// opened without its NAME.acc it evaluates Ai(2) as the Chebyshev solution does, at every degree
// (repeated differentiation gave -3.7E7 at degree 80 and non-finite numbers at degree 500);
// the readout's second line says how far the power series is true.
TEST(Chebyshev, APairOpenedWithoutItsAccurateFileEvaluatesAsTheAccurateSolution)
{
    const double ai2 = 0.0349241304232743791; // Ai(2)
    test::ScratchFolder folder("airy-pair");
    // 1/(1 + x^2) on [-3, 3]: its power series about 0 converges only up to 1, so the pair holds a
    // series cut at degree 0, and says so when it is opened without its NAME.acc.
    test::Linear runge, rungeOpened;
    runge.set("1", "(1+x^2)*y'+2*x*y=0", {"y=1"}, {"0"}, "-3", "3", "0", "100");
    runge.s.method = CollocationMethod::Chebyshev;
    ASSERT_TRUE(runge.s.solve());
    ASSERT_TRUE(runge.s.lastReport().powerSeries);
    EXPECT_GT(runge.s.lastReport().powerSeries->accuracy, 0.5);
    ASSERT_TRUE(runge.s.save(folder.file("runge")));
    std::filesystem::remove(folder.file("runge.acc"));
    ASSERT_TRUE(rungeOpened.s.open(folder.file("runge")));
    ASSERT_TRUE(rungeOpened.s.lastReport().gridCheck);
    EXPECT_EQ(rungeOpened.s.gridCheckLine(), "THE SERIES OPENED MEETS THE EQUATION BETWEEN THE GRID POINTS TO 1 OF "
                                             "ITS TERMS; SOLVING AGAIN WITH CHEBYSHEV POINTS MAY DO BETTER");
    for (int degree : {30, 80, 500}) {
        SCOPED_TRACE("degree " + std::to_string(degree));
        const std::string pair = folder.file("airy" + std::to_string(degree));
        test::Linear airy, reopened;
        LinearSession &s = airy.s, &opened = reopened.s;
        ASSERT_TRUE(s.open(std::string(ODESERIES_EXAMPLES) + "/airy"));
        s.method = CollocationMethod::Chebyshev;
        s.boxes.terms = std::to_string(degree);
        ASSERT_TRUE(s.solve());
        ASSERT_TRUE(s.lastReport().powerSeries);
        const PowerSeriesReadout& p = *s.lastReport().powerSeries;
        EXPECT_LT(p.accuracy, 1e-13);
        EXPECT_GT(p.radius, 2);
        const std::vector<std::string> lines = s.accuracyLines();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[1], PowerSeriesLine(p));
        ASSERT_TRUE(s.save(pair));
        std::filesystem::remove(pair + ".acc");
        ASSERT_TRUE(opened.open(pair));
        EXPECT_FALSE(opened.lastReport().powerSeries) << "the equally spaced method has no such line";
        ASSERT_TRUE(opened.lastReport().gridCheck);
        EXPECT_LT(opened.lastReport().gridCheck->relative(), 1e-12) << opened.gridCheckLine();
        opened.boxes.xestimation = "2";
        ASSERT_TRUE(opened.evaluate());
        EXPECT_NEAR(ParseNumber(opened.lblValue()), ai2, 1e-13);
    }
}

} // namespace
