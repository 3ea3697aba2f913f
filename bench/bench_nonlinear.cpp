// Cost of the Newton iteration of a single nonlinear equation.
#include "nonlinear/NonlinearSession.h"

#include <benchmark/benchmark.h>

namespace {

using ode::NonlinearSession;

// The nonlinear form's default equation y'' - 2y^3 = 0 on [1, 3], degree 22, with the
// conditions y(1) = 1 and y' + y^2 = 0 at 3 (the solution 1/x), from unit coefficients.
void BM_DefaultProblemToConvergence(benchmark::State& state)
{
    std::shared_ptr<ode::script::Class1> shared;
    NonlinearSession s(ode::SeriesKind::Power, shared, {});
    s.boxes.bcText = {"y=1", "y'+y^2=0"};
    s.boxes.bcPoint = {"1", "3"};
    s.boxes.approximation = "1 - Unit coefficients";
    int passes = 0;
    for (auto _ : state) {
        if (!s.solve())
            state.SkipWithError("no convergence");
        passes = s.lastReport().passes;
    }
    state.counters["passes"] = passes;
}
BENCHMARK(BM_DefaultProblemToConvergence)->Unit(benchmark::kMillisecond);

// One Newton pass at `degree` (the iteration stopped after the pass).
// The form's default problem y'' - 2y^3 = 0 on [1, 3] (y = 1/x) at `degree`, from zero, with
// one pass and a coefficient bound no pass meets: the cost of a pass.
void OnePassOfTheReciprocalProblem(NonlinearSession& s, long degree)
{
    s.boxes.bcText = {"y=1", "y'+y^2=0"};
    s.boxes.bcPoint = {"1", "3"};
    s.boxes.terms = std::to_string(degree);
    s.boxes.approximation = "0 - Zero coefficients";
    s.boxes.maxcy = "1";
    s.boxes.errorC = "1E-300";
}

void BM_NewtonPass(benchmark::State& state)
{
    std::shared_ptr<ode::script::Class1> shared;
    NonlinearSession s(ode::SeriesKind::Power, shared, {});
    OnePassOfTheReciprocalProblem(s, state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(s.solve());
}
BENCHMARK(BM_NewtonPass)->Arg(22)->Arg(200)->Unit(benchmark::kMillisecond);

// The accurate method on the same problem at `degree`, from unit coefficients, to `bound`;
// the passes it took.
void AccurateToConvergence(benchmark::State& state, const char* bound)
{
    std::shared_ptr<ode::script::Class1> shared;
    NonlinearSession s(ode::SeriesKind::Power, shared, {});
    s.boxes.bcText = {"y=1", "y'+y^2=0"};
    s.boxes.bcPoint = {"1", "3"};
    s.boxes.terms = std::to_string(state.range(0));
    s.boxes.approximation = "1 - Unit coefficients";
    s.boxes.errorD = s.boxes.errorC = bound;
    s.boxes.maxcy = "40";
    s.method = NonlinearSession::Method::Chebyshev;
    int passes = 0;
    for (auto _ : state) {
        if (!s.solve())
            state.SkipWithError("no convergence");
        passes = static_cast<int>(s.lstPasses().size()) - 1;
    }
    state.counters["passes"] = passes;
}

// Bounds 1E-9: what it takes to reach 1/x to rounding.
void BM_AccurateToConvergence(benchmark::State& state) { AccurateToConvergence(state, "1E-9"); }
BENCHMARK(BM_AccurateToConvergence)->Arg(22)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

// Degrees where the elimination is most of a pass, bounds 1E-12: at 1000 every pass eliminates;
// from 1024 unknowns on (1100, 2000) a pass whose simplified correction contracts to a quarter
// takes a chord step with the factors it has.
void BM_AccurateLargeDegree(benchmark::State& state) { AccurateToConvergence(state, "1E-12"); }
BENCHMARK(BM_AccurateLargeDegree)->Arg(1000)->Arg(1100)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_AccuratePass(benchmark::State& state)
{
    std::shared_ptr<ode::script::Class1> shared;
    NonlinearSession s(ode::SeriesKind::Power, shared, {});
    OnePassOfTheReciprocalProblem(s, state.range(0));
    s.method = NonlinearSession::Method::Chebyshev;
    for (auto _ : state)
        benchmark::DoNotOptimize(s.solve());
}
BENCHMARK(BM_AccuratePass)->Arg(22)->Arg(200)->Unit(benchmark::kMillisecond);

// Bratu's problem y'' + lambda e^y = 0, y(0) = y(1) = 0 at degree 40, lambda = 3.5 (a sweep
// sets it as it goes).
void bratu(NonlinearSession& s)
{
    s.boxes.equation = "y''+lambda*exp(y)=0";
    s.boxes.bcText = {"y=0", "y=0"};
    s.boxes.bcPoint = {"0", "1"};
    s.boxes.xlower = "0";
    s.boxes.xupper = "1";
    s.boxes.terms = "40";
    s.boxes.constants = {"lambda=3.5"};
}

// The reciprocal problem with bounds 1E-12 and the automatic degree, from zero coefficients,
// and Bratu's problem at lambda = 3.5 by continuation from 0.1 in 17 steps at degree 40: the
// nonlinear rows of the comparison with scipy's solve_bvp.
void BM_KnownNonlinear(benchmark::State& state)
{
    std::shared_ptr<ode::script::Class1> shared;
    NonlinearSession s(ode::SeriesKind::Power, shared, {});
    s.boxes.errorD = s.boxes.errorC = "1E-12";
    s.boxes.maxcy = "40";
    s.boxes.approximation = "0 - Zero coefficients";
    s.method = NonlinearSession::Method::Chebyshev;
    if (state.range(0) == 0) {
        s.boxes.bcText = {"y=1", "y'+y^2=0"};
        s.boxes.bcPoint = {"1", "3"};
        s.autoDegree = true;
    } else {
        bratu(s);
        s.continuation = {"lambda", 0.1, 3.5, 17};
    }
    for (auto _ : state) {
        if (!s.solve())
            state.SkipWithError("no solution");
        if (state.range(0) == 0)
            s.boxes.terms = "22";
    }
    state.SetLabel(state.range(0) == 0 ? "reciprocal" : "bratu");
}
BENCHMARK(BM_KnownNonlinear)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Bratu's problem at lambda = 3.5 (the file's bounds 1E-11, degree 40, zero start) directly
// (steps 0) and by continuation from 0.5 in 1, 2, 3 and 5 steps: the time and the Newton passes
// of the whole sweep ("passes"), against the direct start's.
void BM_BratuContinuation(benchmark::State& state)
{
    std::shared_ptr<ode::script::Class1> shared;
    NonlinearSession s(ode::SeriesKind::Power, shared, {});
    bratu(s);
    s.boxes.maxcy = "40";
    s.boxes.errorD = s.boxes.errorC = "1E-11";
    s.boxes.approximation = "0 - Zero coefficients";
    s.method = NonlinearSession::Method::Chebyshev;
    const int steps = static_cast<int>(state.range(0));
    if (steps > 0)
        s.continuation = {"lambda", 0.5, 3.5, steps};
    int passes = 0;
    for (auto _ : state) {
        if (!s.solve())
            state.SkipWithError("no solution");
        passes = 0;
        for (const std::string& line : s.lstPasses())
            passes += line.find("PASS ") != std::string::npos && line.find("CONVERGED") == std::string::npos;
    }
    state.counters["passes"] = passes;
}
BENCHMARK(BM_BratuContinuation)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Arg(5)->Arg(10)->Unit(benchmark::kMillisecond);

// Problems whose solution is far from the zero start, with the automatic degree: Troesch's
// y'' = 10 sinh(10 y), y(0) = 0, y(1) = 1 (bounds 1E-9; the error-oriented steps at degree 16),
// Carrier's eps y'' + 2(1 - x^2) y + y^2 = 1, y(-1) = y(1) = 0 at eps = 5E-3 (bounds 1E-10; a
// degree solved again from zero) and the corner layers eps y'' - y y' - y = 0, y(0) = 1/3,
// y(1) = -1/3 at eps = 1E-3 (bounds 1E-10; plain Newton).
void BM_FindingItsWay(benchmark::State& state)
{
    std::shared_ptr<ode::script::Class1> shared;
    NonlinearSession s(ode::SeriesKind::Power, shared, {});
    s.boxes.maxcy = "40";
    s.boxes.approximation = "0 - Zero coefficients";
    s.method = NonlinearSession::Method::Chebyshev;
    s.autoDegree = true;
    s.boxes.errorD = s.boxes.errorC = "1E-10";
    s.boxes.bcText = {"y=0", "y=0"};
    switch (state.range(0)) {
    case 0:
        s.boxes.equation = "y''-10*sinh(10*y)=0";
        s.boxes.bcText = {"y=0", "y=1"};
        s.boxes.bcPoint = {"0", "1"};
        s.boxes.xlower = "0";
        s.boxes.xupper = "1";
        s.boxes.errorD = s.boxes.errorC = "1E-9";
        break;
    case 1:
        s.boxes.equation = "eps*y''+2*(1-x^2)*y+y^2-1=0";
        s.boxes.bcPoint = {"-1", "1"};
        s.boxes.xlower = "-1";
        s.boxes.xupper = "1";
        s.boxes.constants = {"eps=5E-3"};
        break;
    default:
        s.boxes.equation = "eps*y''-y*y'-y=0";
        s.boxes.bcText = {"y=1/3", "y=-1/3"};
        s.boxes.bcPoint = {"0", "1"};
        s.boxes.xlower = "0";
        s.boxes.xupper = "1";
        s.boxes.constants = {"eps=1E-3"};
        break;
    }
    const std::string terms = s.boxes.terms;
    for (auto _ : state) {
        s.boxes.terms = terms;
        if (!s.solve() || s.accuracy().rfind("CONVERGED", 0) != 0)
            state.SkipWithError("not converged");
    }
    const char* names[] = {"troesch 10", "carrier 5E-3", "corner 1E-3"};
    state.SetLabel(names[state.range(0)]);
}
BENCHMARK(BM_FindingItsWay)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
