// Cost of solving a single linear equation: the whole Solve path, and the elimination alone.
#include "linear/LinearChebyshev.h"
#include "linear/LinearSession.h"
#include "series/PowerForm.h"

#include <benchmark/benchmark.h>

#include <cmath>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using ode::LinearSession;
using ode::SeriesKind;

// The linear form's default problem (Bessel's equation of order 1) with the conditions
// y'(0) = 0.5 and y(1) = 0, at `degree`. Above degree 23 the interval is [-1, 1] so that the
// powers of the offsets stay in range.
void defaultProblem(LinearSession& s, int degree)
{
    s.boxes.bcText = {"y'=0.5", "y=0"};
    s.boxes.bcPoint = {"0", "1"};
    s.boxes.terms = std::to_string(degree);
    if (degree > 23) {
        s.boxes.xlower = "-1";
        s.boxes.xupper = "1";
    }
}

void BM_SolveLinear(benchmark::State& state)
{
    std::shared_ptr<ode::script::Class1> shared;
    LinearSession s(SeriesKind::Power, shared, {});
    defaultProblem(s, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        bool ok = s.solve();
        if (!ok)
            state.SkipWithError("no solution");
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_SolveLinear)
    ->Arg(23)
    ->Arg(50)
    ->Arg(100)
    ->Arg(200)
    ->Arg(500)
    ->Arg(1000)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond);

// The accurate method on the same problem.
void BM_SolveLinearChebyshev(benchmark::State& state)
{
    std::shared_ptr<ode::script::Class1> shared;
    LinearSession s(SeriesKind::Power, shared, {});
    defaultProblem(s, static_cast<int>(state.range(0)));
    s.method = LinearSession::Method::Chebyshev;
    for (auto _ : state) {
        bool ok = s.solve();
        if (!ok)
            state.SkipWithError("no solution");
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_SolveLinearChebyshev)->Arg(23)->Arg(100)->Arg(500)->Unit(benchmark::kMillisecond);

// The elimination alone, on the matrix of the same problem, for its share and its speed.
void BM_Eliminate(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0)) + 1;
    ode::AugmentedMatrix source(n);
    // A well-conditioned dense matrix: diagonally dominant, every entry non-zero.
    for (int r = 0; r < n; ++r)
        for (int c = 0; c <= n; ++c)
            source.at(r, c) = (r == c) ? n : 1.0 / (1 + r + 2 * c);
    ode::AugmentedMatrix a;
    std::vector<double> coef;
    for (auto _ : state) {
        state.PauseTiming();
        a = source;
        state.ResumeTiming();
        benchmark::DoNotOptimize(ode::Eliminate(a, coef));
    }
    // Forward elimination: sum over j of (n-1-j) rows x (n+1-j) columns, one multiply and one
    // subtract each; back substitution: n^2.
    double flops = 0;
    for (int j = 0; j < n - 1; ++j)
        flops += 2.0 * (n - 1 - j) * (n + 1 - j);
    flops += static_cast<double>(n) * n;
    state.counters["FLOPS"] = benchmark::Counter(flops, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Eliminate)->Arg(23)->Arg(200)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

// `odeseries solve` as a whole process on the default problem.
void BM_SolveProcess(benchmark::State& state)
{
    const char* exe = ODESERIES_EXECUTABLE;
    std::string file = std::string(ODESERIES_EXAMPLES) + "/bessel-default";
    for (auto _ : state) {
        pid_t pid;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        char* argv[] = {const_cast<char*>(exe), const_cast<char*>("solve"), file.data(), nullptr};
        if (posix_spawn(&pid, exe, &actions, nullptr, argv, environ) != 0) {
            state.SkipWithError("cannot start odeseries");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        posix_spawn_file_actions_destroy(&actions);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("odeseries solve failed");
    }
}
BENCHMARK(BM_SolveProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

// Known problems solved to rounding with the automatic degree, one whole Solve each, for the
// comparison with scipy's solve_bvp (bench/solve_bvp_comparison.py): sin on [-10, 10] and
// Airy on [-5, 5].
void BM_KnownAutomatic(benchmark::State& state)
{
    std::shared_ptr<ode::script::Class1> shared;
    LinearSession s(SeriesKind::Power, shared, {});
    s.boxes.order = "2";
    if (state.range(0) == 0) {
        s.boxes.equation = "y''+y=0";
        s.boxes.bcText = {"y=0", "y'=1"};
        s.boxes.xlower = "-10";
        s.boxes.xupper = "10";
    } else {
        s.boxes.equation = "y''-x*y=0";
        s.boxes.bcText = {"y=0.355028053887817239", "y'=-0.258819403792806798"};
        s.boxes.xlower = "-5";
        s.boxes.xupper = "5";
    }
    s.boxes.bcPoint = {"0", "0"};
    s.boxes.expansion = "0";
    s.method = LinearSession::Method::Chebyshev;
    s.autoDegree = true;
    for (auto _ : state) {
        if (!s.solve())
            state.SkipWithError("no solution");
        s.boxes.terms = "23"; // each solve grows the degree afresh
    }
    state.SetLabel(state.range(0) == 0 ? "sin" : "airy");
}
BENCHMARK(BM_KnownAutomatic)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The power series about the centre of an accurate solution (StablePowerForm): Airy on
// [-2, 2] solved at the degree given, its series taken about 0.
void BM_PowerForm(benchmark::State& state)
{
    std::shared_ptr<ode::script::Class1> shared;
    LinearSession s(SeriesKind::Power, shared, {});
    s.boxes.equation = "y''-x*y=0";
    s.boxes.bcText = {"y=0.355028053887817", "y'=-0.258819403792807"};
    s.boxes.bcPoint = {"0", "0"};
    s.boxes.xlower = "-2";
    s.boxes.xupper = "2";
    s.boxes.expansion = "0";
    s.boxes.terms = std::to_string(state.range(0));
    s.method = ode::CollocationMethod::Chebyshev;
    if (!s.solve() || !s.chebyshev()) {
        state.SkipWithError("no solution");
        return;
    }
    const ode::ChebyshevSeries series = *s.chebyshev();
    for (auto _ : state) {
        ode::ForgetPowerForms(); // each form made afresh
        benchmark::DoNotOptimize(ode::StablePowerForm(series, 0));
    }
}
BENCHMARK(BM_PowerForm)->Arg(30)->Arg(200)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

// The worst case: a series that is not resolved keeps every coefficient (here they fall only as
// k^-2.5, as |x|^(3/2)'s do), so every circle sums all of them.
void BM_PowerFormUnresolved(benchmark::State& state)
{
    ode::ChebyshevSeries series;
    for (int j = 0; j <= state.range(0); ++j)
        series.coef.push_back((j % 2 ? -1.0 : 1.0) * std::pow(j + 1.0, -2.5));
    for (auto _ : state) {
        ode::ForgetPowerForms(); // each form made afresh
        benchmark::DoNotOptimize(ode::StablePowerForm(series, 0));
    }
}
BENCHMARK(BM_PowerFormUnresolved)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
