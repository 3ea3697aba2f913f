// Stopping a solve: each long loop (the automatic degree of every kind, the trigonometric
// automatic terms, Newton's passes in both methods, the continuation, a system's elimination
// and its Newton passes) is stopped from another thread and must return at once, its ending
// Cancelled, keeping the best it had found; a flag set before the solve finds nothing; and a
// solve that is watched but not stopped gives exactly the results of one that is not watched.
#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "nonlinear/NonlinearProblems.h"
#include "support/SystemProblems.h"

#include "SessionTools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <thread>
#include <tuple>

namespace {

using namespace ode;
using ode::test::Made;
using ode::test::Open;
using Clock = std::chrono::steady_clock;

// A stopped solve returns within this: loose, so that a sanitizer build on a busy machine never
// fails it (bench_elimination measures the real latency: hundredths of a second).
constexpr double kStopBound = 1.0;

// What a session shows, whatever its kind.
struct Shown {
    bool solved = false;
    Termination termination = Termination::Refused;
    std::vector<double> coef;
    std::vector<std::string> lstCoeff, lstBCError, passes, chebyshev;
    std::string accuracy, terms;
};

Shown Show(Session& s)
{
    Shown r{s.solved(), s.lastEnd().termination, s.coef(), s.lstCoeff(), s.lstBCError(), {}, {}, s.accuracy(), {}};
    const auto lists = [&r](auto& k, const std::string& terms) {
        r.passes = k.lstPasses();
        r.chebyshev = k.lstChebyshev();
        r.terms = terms;
    };
    if (auto* p = dynamic_cast<ProblemSession*>(&s))
        lists(*p, p->texts().terms);
    else if (auto* q = dynamic_cast<SystemSession*>(&s))
        lists(*q, q->boxes.terms);
    return r;
}

// A session with its problem set up, made afresh for each solve.
using Setup = std::function<void(Made&)>;

std::unique_ptr<Made> Make(const Setup& setup)
{
    auto m = std::make_unique<Made>();
    setup(*m);
    return m;
}

// The solve on a worker thread, stopped from this thread a tenth of a second after the progress
// callback has seen `ready`. Each report may also pause the solving thread: that stretches a
// solve of quick passes so it is surely stopped in the middle, without touching its arithmetic.
struct StopRun {
    bool stoppedInTime = false; // the solve was still running when asked to stop
    double latency = 0;         // seconds from the request to solve()'s return
};

StopRun SolveAndStop(Session& session, const std::function<bool(const ProgressInfo&)>& ready,
                     std::chrono::milliseconds pause)
{
    std::atomic<bool> stop{false}, seen{false}, done{false};
    session.setCancelFlag(&stop);
    session.setProgressCallback([&](const ProgressInfo& info) {
        if (ready(info))
            seen = true;
        std::this_thread::sleep_for(pause);
    });
    Clock::time_point returned;
    std::thread worker([&] {
        session.solve();
        returned = Clock::now();
        done = true;
    });
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(300);
    while (!seen && !done && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    StopRun run;
    if (seen && !done) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const Clock::time_point asked = Clock::now();
        run.stoppedInTime = !done;
        stop = true;
        worker.join();
        run.latency = std::chrono::duration<double>(returned - asked).count();
    } else {
        stop = true;
        worker.join();
    }
    session.setProgressCallback({});
    session.setCancelFlag(nullptr);
    return run;
}

// The degree in "... (DEGREE 512) IS SHOWN" or "... (33 TERMS) IS SHOWN".
const std::string kBestSoFar = "STOPPED BY THE USER: THE BEST SOLUTION FOUND SO FAR (";

double EvaluateAt(ProblemSession& s, double x)
{
    s.texts().xestimation = FormatNumber(x);
    s.texts().derNum = "0";
    EXPECT_TRUE(s.evaluate());
    return ParseNumber(s.lblValue());
}

// y' = sqrt|x|, y(0) = 0 on [-1, 1] at degree 16: y = 2/3 x |x|^(1/2), whose Chebyshev
// coefficients fall only as k^-2.5, so the automatic degree grows to its limit (the tail is 1E-9
// at degree 4000).
LinearSession& SlowTail(Made& m)
{
    return Open<LinearSession>(m, ProblemKind::LinearPower, "../tests/cli/data/slow-tail");
}

void SlowTailAutomatic(Made& m)
{
    auto& s = SlowTail(m);
    s.method = CollocationMethod::Chebyshev;
    s.autoDegree = true;
    s.maxDegree = kMaxAutoDegree;
}

// y'' + 2y' + 4y = |sin x|, y(0) = y'(0) = 0: the forcing's kink keeps the harmonics falling slowly.
void KinkedPeriodic(Made& m)
{
    auto& s = Open<LinearSession>(m, ProblemKind::LinearTrig, "trig-default");
    s.boxes.equation = "y''+2*y'+4*y=Abs(Sin(x))";
    s.boxes.bcText = {"y=0", "y'=0"};
    s.autoDegree = true;
    s.maxDegree = kMaxAutoDegree;
}

// y'' = 2y^3, y(1) = 1, y'(3) + y(3)^2 = 0 (y = 1/x), with bounds no iteration meets and a limit
// of 1E308 passes: it runs to the bound of passes.
void EndlessReciprocal(Made& m)
{
    auto& s = Open<NonlinearSession>(m, ProblemKind::NonlinearPower, "nonlinear-reciprocal");
    s.boxes.approximation = kApproximationItems[0];
    s.boxes.errorD = s.boxes.errorC = "1E-300";
    s.boxes.maxcy = "1E308";
}

void BratuAccurate(Made& m)
{
    auto& s = Open<NonlinearSession>(m, ProblemKind::NonlinearPower, "bratu");
    s.boxes.approximation = kApproximationItems[0];
    s.method = CollocationMethod::Chebyshev;
}

void BratuSweep(Made& m)
{
    BratuAccurate(m);
    static_cast<NonlinearSession&>(*m.session).continuation = Continuation{"lambda", 0.5, 3.5, kMaxContinuationSteps};
}

// Troesch's y'' = 10 sinh(10 y), y(0) = 0, y(1) = 1 at degree 16 from zero: Newton's iteration
// with residual-led steps runs its 60 passes without converging, the error-oriented one from
// the same start converges in 17. The watch sees the passes start again (the second attempt).
struct AttemptWatch {
    int last = 0;
    bool again = false;
} attempts;

void TroeschFromZero(Made& m)
{
    auto& s = Open<NonlinearSession>(m, ProblemKind::NonlinearPower);
    static_cast<NonlinearTexts&>(s.boxes) = test::Troesch("10", "1E-9");
    s.boxes.terms = "16";
    s.boxes.approximation = kApproximationItems[0];
    s.method = CollocationMethod::Chebyshev;
    attempts = {};
}

// y' + y^2 = sqrt|x| + 1, y(-1) = 0: nonlinear, with the slow tail of sqrt|x|.
void SlowTailNonlinear(Made& m)
{
    auto& s = Open<NonlinearSession>(m, ProblemKind::NonlinearPower);
    s.boxes.order = "1";
    s.boxes.equation = "y'+y^2=Sqr(Abs(x))+1";
    s.boxes.bcText = {"y=0"};
    s.boxes.bcPoint = {"-1"};
    s.boxes.xlower = "-1";
    s.boxes.xupper = "1";
    s.boxes.expansion = "0";
    s.boxes.terms = "16";
    s.boxes.approximation = kApproximationItems[0];
    s.boxes.errorD = s.boxes.errorC = "1E-9";
    s.method = CollocationMethod::Chebyshev;
    s.autoDegree = true;
    s.maxDegree = kMaxAutoDegree;
}

// y' - z = sqrt|x|, y + z' = 0, y(0) = z(0) = 0 on [-1, 1].
void SlowTailSystem(SystemTexts& b, const std::string& degree)
{
    test::TwoVariableSystem(b, {"y'-z=Sqr(Abs(x))", "y+z'=0"}, {"y=0", "z=0"}, {"0", "0"}, "-1", "1", degree);
}

// y' = z, z + x z' = 0, y(0) = 0, y(1) = 1 on [-1, 1]: z = c/x has no regular solution, so the
// linear system's automatic degree grows in its banded form up to 100000 without converging.
void SingularBandedSystem(SystemTexts& b, const std::string& degree)
{
    test::TwoVariableSystem(b, {"y'-z=0", "z+x*z'=0"}, {"y=0", "y=1"}, {"0", "1"}, "-1", "1", degree);
}

// A linear system made by `make` at `degree`, in the accurate method.
SystemSession& AccurateSystem(Made& m, void (*make)(SystemTexts&, const std::string&), const std::string& degree)
{
    auto& s = Open<SystemSession>(m, ProblemKind::LinearSystem);
    make(s.boxes, degree);
    s.method = CollocationMethod::Chebyshev;
    return s;
}

// The list line of a Newton iteration stopped with the iterate of `pass` kept.
std::string BestIterate(int pass)
{
    return "STOPPED BY THE USER: THE BEST ITERATE SO FAR (PASS " + std::to_string(pass) + ") IS SHOWN";
}

struct StopCase {
    const char* name;
    Setup setup;
    std::function<bool(const ProgressInfo&)> ready;
    std::chrono::milliseconds pause;
    std::function<void(Made&, const Shown&)> check;
};

void PrintTo(const StopCase& c, std::ostream* out) { *out << c.name; }

class StopEachLoop : public ::testing::TestWithParam<StopCase> {};

TEST_P(StopEachLoop, ReturnsAtOnceKeepingTheBestFound)
{
    const StopCase& c = GetParam();
    std::unique_ptr<Made> m = Make(c.setup);
    const StopRun run = SolveAndStop(*m->session, c.ready, c.pause);
    ASSERT_TRUE(run.stoppedInTime) << "the solve ended before it was stopped: "
                                   << (m->messages.empty() ? "" : m->messages.front())
                                   << (m->session->lstCoeff().empty() ? "" : m->session->lstCoeff().front());
    EXPECT_LT(run.latency, kStopBound);
    const Shown shown = Show(*m->session);
    EXPECT_EQ(TerminationName(shown.termination), std::string("Cancelled"));
    c.check(*m, shown);
}

// The automatic degree keeps the best degree finished, says so in the readout (in terms for a
// trigonometric series), and what it keeps is exactly what a solve at that degree gives.
void KeepsTheBestDegree(const Shown& shown, bool terms, const Setup& atDegree)
{
    ASSERT_TRUE(shown.solved);
    EXPECT_EQ(shown.accuracy, kBestSoFar + (terms ? shown.terms + " TERMS" : "DEGREE " + shown.terms) + ") IS SHOWN");
    EXPECT_GE(std::stoi(shown.terms), 64);
    std::unique_ptr<Made> fresh = Make(atDegree);
    ASSERT_TRUE(fresh->session->solve());
    EXPECT_EQ(fresh->session->coef(), shown.coef);
}

const StopCase kStopCases[] = {
    {"AutomaticDegree", SlowTailAutomatic, [](const ProgressInfo& p) { return p.degree >= 128; },
     std::chrono::milliseconds(5),
     [](Made& m, const Shown& shown) {
         KeepsTheBestDegree(shown, false, [&](Made& f) {
             auto& s = SlowTail(f);
             s.boxes.terms = shown.terms;
             s.method = CollocationMethod::Chebyshev;
         });
         // The error of this series falls as the degree^-1.5: 2E-4 at degree 64.
         auto& s = static_cast<LinearSession&>(*m.session);
         for (double x : {1.0, -0.5, 0.3})
             EXPECT_NEAR(EvaluateAt(s, x), 2.0 / 3 * x * std::sqrt(std::fabs(x)), 1e-3) << "at " << x;
     }},
    {"TrigonometricAutomaticTerms", KinkedPeriodic, [](const ProgressInfo& p) { return p.degree >= 128; },
     std::chrono::milliseconds(5),
     [](Made&, const Shown& shown) {
         KeepsTheBestDegree(shown, true, [&](Made& f) {
             KinkedPeriodic(f);
             auto& s = static_cast<LinearSession&>(*f.session);
             s.autoDegree = false;
             s.boxes.terms = shown.terms;
         });
     }},
    {"NewtonPasses", EndlessReciprocal, [](const ProgressInfo& p) { return p.pass >= 5; }, std::chrono::milliseconds(2),
     [](Made& m, const Shown& shown) {
         auto& s = static_cast<NonlinearSession&>(*m.session);
         EXPECT_FALSE(shown.solved) << "an iterate that has not converged is listed, it does not stand";
         const int pass = s.lastReport().shownPass;
         EXPECT_GE(pass, 4);
         EXPECT_LE(pass, s.lastReport().passes);
         ASSERT_GE(shown.lstCoeff.size(), 2u);
         EXPECT_EQ(shown.lstCoeff[0], BestIterate(pass));
         EXPECT_EQ(shown.lstCoeff[1], "COEFFICIENTS:   ( LAST CORRECTION: )");
         EXPECT_EQ(std::find(shown.lstCoeff.begin(), shown.lstCoeff.end(), "PROBLEMS ENCOUNTERED:"),
                   shown.lstCoeff.end());
         for (double x : {1.0, 2.0, 3.0})
             EXPECT_NEAR(SeriesDerivative(s.series(), 0, x), 1 / x, 1e-6) << "at " << x;
     }},
    {"AccurateNewtonPasses", BratuAccurate, [](const ProgressInfo& p) { return p.pass >= 3; },
     std::chrono::milliseconds(150),
     [](Made& m, const Shown& shown) {
         auto& s = static_cast<NonlinearSession&>(*m.session);
         EXPECT_FALSE(shown.solved);
         const int pass = s.lastReport().shownPass;
         EXPECT_GE(pass, 1);
         EXPECT_LE(pass, 2);
         ASSERT_EQ(shown.passes.size(), 3u);
         EXPECT_EQ(shown.passes.back(), BestIterate(pass));
         EXPECT_EQ(shown.lstCoeff.front(), BestIterate(pass));
         // What was kept is the current approximation the next solve goes on from.
         s.boxes.approximation = kApproximationItems[4];
         EXPECT_TRUE(s.solve());
         EXPECT_LE(static_cast<int>(s.lastReport().passes), 12);
     }},
    {"Continuation", BratuSweep, [](const ProgressInfo& p) { return p.step >= 3; }, std::chrono::milliseconds(3),
     [](Made& m, const Shown& shown) {
         auto& s = static_cast<NonlinearSession&>(*m.session);
         ASSERT_TRUE(shown.solved);
         double lambda = 0;
         ASSERT_TRUE(s.host().evaluate("lambda", lambda));
         EXPECT_GE(lambda, 0.5 + 2 * 3.0 / kMaxContinuationSteps);
         EXPECT_LT(lambda, 3.5);
         EXPECT_EQ(shown.passes.back(),
                   "STOPPED BY THE USER: THE SOLUTION AT lambda=" + FormatNumber(lambda) + " STANDS");
         EXPECT_FALSE(shown.chebyshev.empty());
         s.boxes.xestimation = "0.5";
         ASSERT_TRUE(s.evaluate());
         ASSERT_EQ(s.lstDError().size(), 1u);
         // A step on the way stands as it was solved: to the steps' bounds.
         EXPECT_LT(std::fabs(ParseNumber(s.lstDError()[0].substr(std::string("LHS-RHS=").size()))),
                   kContinuationStepBound)
             << s.lstDError()[0];
     }},
    {"ErrorOrientedAttempt", TroeschFromZero,
     [](const ProgressInfo& p) {
         AttemptWatch& w = attempts;
         w.again = w.again || p.pass < w.last;
         w.last = p.pass;
         return w.again && p.pass >= 3;
     },
     std::chrono::milliseconds(10),
     [](Made& m, const Shown& shown) {
         auto& s = static_cast<NonlinearSession&>(*m.session);
         EXPECT_FALSE(shown.solved);
         const int pass = s.lastReport().shownPass; // the pass of least residual
         EXPECT_GE(pass, 1);
         ASSERT_GE(shown.passes.size(), 3u + 2);
         // The passes shown are the second attempt's, and say so.
         EXPECT_EQ(shown.passes.front(), "NEWTON'S ITERATION FROM THE START DID NOT CONVERGE WITH STEPS THAT "
                                         "LOWER THE RESIDUALS; WITH STEPS THAT LOWER ITS CORRECTIONS:");
         EXPECT_EQ(shown.passes.back(), BestIterate(pass));
         // From the iterate kept, Newton's iteration goes on to the solution.
         s.boxes.approximation = kApproximationItems[4];
         EXPECT_TRUE(s.solve());
     }},
    {"NonlinearAutomaticDegree", SlowTailNonlinear, [](const ProgressInfo& p) { return p.degree >= 128; },
     std::chrono::milliseconds(20),
     [](Made& m, const Shown& shown) {
         auto& s = static_cast<NonlinearSession&>(*m.session);
         ASSERT_TRUE(shown.solved);
         EXPECT_EQ(shown.accuracy, kBestSoFar + "DEGREE " + shown.terms + ") IS SHOWN");
         // The degree kept, solved afresh from zero, gives the same solution.
         std::unique_ptr<Made> fresh = Make(SlowTailNonlinear);
         auto& f = static_cast<NonlinearSession&>(*fresh->session);
         f.autoDegree = false;
         f.boxes.terms = shown.terms;
         ASSERT_TRUE(f.solve());
         for (double x : {-0.7, 0.0, 0.9})
             EXPECT_NEAR(EvaluateAt(s, x), EvaluateAt(f, x), 1e-9) << "at " << x;
     }},
    {"SystemAutomaticDegree",
     [](Made& m) {
         auto& s = AccurateSystem(m, SlowTailSystem, "16");
         s.autoDegree = true;
         s.maxDegree = kMaxAutoDegree;
     },
     [](const ProgressInfo& p) { return p.degree >= 128; }, std::chrono::milliseconds(5),
     [](Made&, const Shown& shown) {
         KeepsTheBestDegree(shown, false, [&](Made& f) { AccurateSystem(f, SlowTailSystem, shown.terms); });
     }},
    {"SystemBandedAutomaticDegree", [](Made& m) { AccurateSystem(m, SingularBandedSystem, "16").autoDegree = true; },
     [](const ProgressInfo& p) { return p.degree >= 4096; }, std::chrono::milliseconds(0),
     [](Made&, const Shown& shown) {
         KeepsTheBestDegree(shown, false, [&](Made& f) { AccurateSystem(f, SingularBandedSystem, shown.terms); });
     }},
    {"SystemElimination", [](Made& m) { AccurateSystem(m, SlowTailSystem, "2000"); },
     [](const ProgressInfo& p) { return p.fraction >= 0; }, std::chrono::milliseconds(0),
     [](Made&, const Shown& shown) {
         EXPECT_FALSE(shown.solved);
         EXPECT_EQ(shown.lstCoeff, std::vector<std::string>{"STOPPED BY THE USER: NO SOLUTION WAS FOUND YET"});
         EXPECT_TRUE(shown.lstBCError.empty());
     }},
    {"SystemNewtonPasses",
     [](Made& m) {
         auto& s = Open<SystemSession>(m, ProblemKind::NonlinearSystem);
         test::ReciprocalSystem(s.boxes);
         s.boxes.errorD = s.boxes.errorC = "1E-300";
         s.boxes.maxcy = "1E308";
     },
     [](const ProgressInfo& p) { return p.pass >= 5; }, std::chrono::milliseconds(2),
     [](Made& m, const Shown& shown) {
         auto& s = static_cast<SystemSession&>(*m.session);
         EXPECT_FALSE(shown.solved);
         const int pass = s.lastReport().shownPass;
         EXPECT_GE(pass, 4);
         EXPECT_EQ(shown.lstCoeff.at(0), BestIterate(pass));
         const auto rows = SplitByVariable(shown.coef, s.orders());
         EXPECT_NEAR(VarDerivative(rows[0], 0, 0, 0.5), 1 / 1.5, 1e-6);
         EXPECT_NEAR(VarDerivative(rows[1], 0, 0, 0.5), 1 / 2.25, 1e-6);
     }},
};

INSTANTIATE_TEST_SUITE_P(Stop, StopEachLoop, ::testing::ValuesIn(kStopCases),
                         [](const ::testing::TestParamInfo<StopCase>& info) { return std::string(info.param.name); });

// Short problems of every kind and method, solved to the end: an example opened in its kind (the
// nonlinear ones from zero coefficients), in the accurate method or not, its degree automatic or
// not, swept by a continuation of so many steps or not.
struct ShortCase {
    const char* name;
    ProblemKind kind;
    const char* example;
    bool chebyshev, automatic;
    int sweep;
};

const ShortCase kShortCases[] = {
    {"LinearEquation", ProblemKind::LinearPower, "airy", false, false, 0},
    {"LinearAutomaticDegree", ProblemKind::LinearPower, "airy", true, true, 0},
    {"TrigonometricAutomaticTerms", ProblemKind::LinearTrig, "trig-default", false, true, 0},
    {"NewtonPasses", ProblemKind::NonlinearPower, "nonlinear-reciprocal", false, false, 0},
    {"NonlinearAutomaticDegree", ProblemKind::NonlinearPower, "nonlinear-reciprocal", true, true, 0},
    {"Continuation", ProblemKind::NonlinearPower, "bratu", true, false, 3},
    {"LinearSystem", ProblemKind::LinearSystem, "system-exponential", false, false, 0},
    {"LinearSystemAutomaticDegree", ProblemKind::LinearSystem, "system-exponential", true, true, 0},
    {"NonlinearSystem", ProblemKind::NonlinearSystem, "system-nonlinear", false, false, 0},
    {"NonlinearSystemAccurate", ProblemKind::NonlinearSystem, "system-nonlinear", true, false, 0},
};

std::unique_ptr<Made> Make(const ShortCase& c)
{
    return Make([&c](Made& m) {
        Session& s = Open(m, c.kind, c.example);
        if (auto* n = dynamic_cast<NonlinearSession*>(&s))
            n->boxes.approximation = kApproximationItems[0];
        if (auto* n = dynamic_cast<SystemSession*>(&s); n && IsNonlinear(c.kind))
            n->boxes.approximation = kSystemApproximationItems[0];
        if (c.chebyshev)
            s.method = CollocationMethod::Chebyshev;
        if (c.automatic)
            s.autoDegree = true;
        if (c.sweep)
            static_cast<NonlinearSession&>(s).continuation = Continuation{"lambda", 0.5, 3.5, c.sweep};
    });
}

void PrintTo(const ShortCase& c, std::ostream* out) { *out << c.name; }

class ShortSolves : public ::testing::TestWithParam<ShortCase> {};

// Watched (a flag never set, a callback) or not, a solve gives the same lists and coefficients to
// the last bit; the callback hears of the loops it runs.
TEST_P(ShortSolves, WatchingChangesNothing)
{
    std::unique_ptr<Made> plain = Make(GetParam()), watched = Make(GetParam());
    plain->session->solve();
    std::atomic<bool> stop{false};
    int reports = 0;
    watched->session->setCancelFlag(&stop);
    watched->session->setProgressCallback([&](const ProgressInfo&) { ++reports; });
    watched->session->solve();
    const Shown a = Show(*plain->session), b = Show(*watched->session);
    EXPECT_TRUE(a.solved);
    const auto all = [](const Shown& s) {
        return std::tie(s.solved, s.termination, s.coef, s.lstCoeff, s.lstBCError, s.passes, s.chebyshev, s.accuracy);
    };
    EXPECT_EQ(all(a), all(b));
    EXPECT_EQ(plain->messages, watched->messages);
    if (IsNonlinear(GetParam().kind) || GetParam().automatic) { // a loop to hear of
        EXPECT_GT(reports, 0);
    }
}

// A flag already set when Solve is pressed: nothing is solved, the ending is Cancelled and a
// list says so.
TEST_P(ShortSolves, AStopBeforeTheSolveFindsNothing)
{
    std::unique_ptr<Made> m = Make(GetParam());
    std::atomic<bool> stop{true};
    m->session->setCancelFlag(&stop);
    EXPECT_FALSE(m->session->solve());
    const Shown shown = Show(*m->session);
    EXPECT_EQ(TerminationName(shown.termination), std::string("Cancelled"));
    const std::string line = "STOPPED BY THE USER: NO SOLUTION WAS FOUND YET";
    const bool said = (!shown.lstCoeff.empty() && shown.lstCoeff.front() == line) ||
                      std::find(shown.passes.begin(), shown.passes.end(), line) != shown.passes.end();
    EXPECT_TRUE(said) << (shown.lstCoeff.empty() ? "(no coefficient list)" : shown.lstCoeff.front());
}

INSTANTIATE_TEST_SUITE_P(Stop, ShortSolves, ::testing::ValuesIn(kShortCases),
                         [](const ::testing::TestParamInfo<ShortCase>& info) { return std::string(info.param.name); });

} // namespace
