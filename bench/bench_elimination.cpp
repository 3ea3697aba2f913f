// The elimination: the plain loop, the panelled one with 128-bit and 256-bit kernels, and
// reference LAPACK's dgesv on the same matrix, with their speed against the machine's
// measured peak (one core, multiply and add kept apart as the elimination has them); the
// panelled one watched by a Progress, and how soon it stops when asked to.
#include "collocation/Elimination.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

extern "C" void dgesv_(const int* n, const int* nrhs, double* a, const int* lda, int* ipiv, double* b, const int* ldb,
                       int* info);

namespace {

ode::AugmentedMatrix problemMatrix(int n)
{
    // Diagonally dominant and dense, as in bench_linear.
    ode::AugmentedMatrix a(n);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c <= n; ++c)
            a.at(r, c) = (r == c) ? n : 1.0 / (1 + r + 2 * c);
    return a;
}

double eliminationFlops(int n)
{
    double flops = 0;
    for (int j = 0; j < n - 1; ++j)
        flops += 2.0 * (n - 1 - j) * (n + 1 - j);
    return flops + static_cast<double>(n) * n;
}

template <ode::EliminationOutcome (*Solve)(ode::AugmentedMatrix&, std::vector<double>&)>
void run(benchmark::State& state, bool wide)
{
    const bool used = ode::UseWideVectors(wide);
    if (wide && !used) {
        state.SkipWithError("no AVX2 here");
        return;
    }
    const int n = static_cast<int>(state.range(0)) + 1;
    const ode::AugmentedMatrix source = problemMatrix(n);
    ode::AugmentedMatrix a;
    std::vector<double> coef;
    for (auto _ : state) {
        state.PauseTiming();
        a = source;
        state.ResumeTiming();
        benchmark::DoNotOptimize(Solve(a, coef));
    }
    state.counters["FLOPS"] = benchmark::Counter(eliminationFlops(n), benchmark::Counter::kIsIterationInvariantRate);
    ode::UseWideVectors(true);
}

// The panelled elimination as a solver calls it, without a Progress.
ode::EliminationOutcome EliminatePanelled(ode::AugmentedMatrix& a, std::vector<double>& coef)
{
    return ode::Eliminate(a, coef);
}

void BM_EliminatePlainLoop(benchmark::State& state) { run<ode::EliminateUnblocked>(state, false); }
void BM_EliminatePanelled128(benchmark::State& state) { run<EliminatePanelled>(state, false); }
void BM_EliminatePanelled256(benchmark::State& state) { run<EliminatePanelled>(state, true); }

// LAPACK's LU with partial pivoting and the solve, on the same system (column-major copy).
void BM_LapackDgesv(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0)) + 1;
    const ode::AugmentedMatrix source = problemMatrix(n);
    std::vector<double> colMajor(static_cast<size_t>(n) * n), rhs(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c)
            colMajor[static_cast<size_t>(c) * n + r] = source.at(r, c);
        rhs[static_cast<size_t>(r)] = source.at(r, n);
    }
    std::vector<double> a, b;
    std::vector<int> ipiv(static_cast<size_t>(n));
    const int one = 1;
    for (auto _ : state) {
        state.PauseTiming();
        a = colMajor;
        b = rhs;
        state.ResumeTiming();
        int info = 0;
        dgesv_(&n, &one, a.data(), &n, ipiv.data(), b.data(), &n, &info);
        benchmark::DoNotOptimize(info);
    }
    state.counters["FLOPS"] = benchmark::Counter(eliminationFlops(n), benchmark::Counter::kIsIterationInvariantRate);
}

#define SIZES ->Arg(50)->Arg(200)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_EliminatePlainLoop) SIZES;
BENCHMARK(BM_EliminatePanelled128) SIZES;
BENCHMARK(BM_EliminatePanelled256) SIZES;
BENCHMARK(BM_LapackDgesv) SIZES;

// The same elimination watched by a Progress whose flag is never set and whose callback counts
// the reports: what watching costs a solve that is not stopped.
void BM_EliminateWatched(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0)) + 1;
    const ode::AugmentedMatrix source = problemMatrix(n);
    ode::AugmentedMatrix a;
    std::vector<double> coef;
    std::atomic<bool> stop{false};
    long reports = 0;
    const ode::ProgressCallback count = [&](const ode::ProgressInfo&) { ++reports; };
    const ode::Progress progress(&stop, &count);
    for (auto _ : state) {
        state.PauseTiming();
        a = source;
        state.ResumeTiming();
        benchmark::DoNotOptimize(ode::Eliminate(a, coef, progress));
    }
    state.counters["FLOPS"] = benchmark::Counter(eliminationFlops(n), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_EliminateWatched) SIZES;

// Stop latency: another thread sets the flag a quarter of the expected time into the
// elimination; the time measured is from the store to Eliminate's return.
void BM_EliminateStopLatency(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0)) + 1;
    const ode::AugmentedMatrix source = problemMatrix(n);
    ode::AugmentedMatrix a;
    std::vector<double> coef;
    const auto delay = std::chrono::milliseconds(n / 20); // well inside the run at every size measured
    for (auto _ : state) {
        a = source;
        std::atomic<bool> stop{false};
        const ode::Progress progress(&stop, nullptr);
        std::chrono::steady_clock::time_point stopped;
        std::thread stopper([&] {
            std::this_thread::sleep_for(delay);
            stopped = std::chrono::steady_clock::now();
            stop = true;
        });
        const ode::EliminationOutcome outcome = ode::Eliminate(a, coef, progress);
        const auto returned = std::chrono::steady_clock::now();
        stopper.join();
        if (outcome != ode::EliminationOutcome::Cancelled) {
            state.SkipWithError("the elimination ended before the stop");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(returned - stopped).count());
    }
}
BENCHMARK(BM_EliminateStopLatency)
    ->Arg(2000)
    ->Arg(4000)
    ->Arg(8000)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

// The peak: independent chains x = x * m - s in registers, so nothing waits for memory or for
// a previous result. Multiply and subtract are separate instructions, as in the elimination.
#if defined(__GNUC__) && defined(__x86_64__)
typedef double v2d __attribute__((vector_size(16)));
typedef double v4d __attribute__((vector_size(32)));

template <typename V> __attribute__((always_inline)) inline void peakLoop(benchmark::State& state)
{
    constexpr int chains = 12;
    V x[chains];
    for (int i = 0; i < chains; ++i)
        x[i] = V{} + (1.0 + i * 1e-3);
    const V m = V{} + 0.999999, s = V{} + 1e-7;
    constexpr int rounds = 1000;
    for (auto _ : state) {
        for (int k = 0; k < rounds; ++k)
            for (int i = 0; i < chains; ++i)
                x[i] = x[i] * m - s;
        benchmark::DoNotOptimize(x);
    }
    const double perIteration = 2.0 * rounds * chains * (sizeof(V) / sizeof(double));
    state.counters["FLOPS"] = benchmark::Counter(perIteration, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_PeakMulSub128(benchmark::State& state) { peakLoop<v2d>(state); }
__attribute__((target("avx2"))) void BM_PeakMulSub256(benchmark::State& state)
{
    if (!__builtin_cpu_supports("avx2")) {
        state.SkipWithError("no AVX2 here");
        return;
    }
    peakLoop<v4d>(state);
}
BENCHMARK(BM_PeakMulSub128);
BENCHMARK(BM_PeakMulSub256);
#endif

} // namespace

BENCHMARK_MAIN();
