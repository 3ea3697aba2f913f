// Cost of the systems solvers.
#include "systems/SystemSession.h"

#include <benchmark/benchmark.h>

namespace {

using ode::SystemSession;

// The linear systems form's first problem: y'' - y + x z' = 2x^2, z' = y on [-1, 1], degree 10,
// conditions y(0) = 0, y'(0) = 0, z(0) = 1.
void BM_LinearSystemDefault(benchmark::State& state)
{
    std::shared_ptr<ode::script::Class1> shared;
    SystemSession s(false, shared, {});
    s.boxes.equations = {"y''-y+x*z'=2*x^2", "-y+z'=0"};
    s.boxes.bcText = {"y=0", "y'=0", "z=1"};
    s.boxes.bcPoint = {"0", "0", "0"};
    for (auto _ : state)
        if (!s.solve())
            state.SkipWithError("no solution");
}
BENCHMARK(BM_LinearSystemDefault)->Unit(benchmark::kMillisecond);

// A chain of `n` nonlinear equations y_k' + y_k * y_(k+1) = 0 (the last couples back to the
// first), all y_k(0) = 1, on [-1, 1] about 0 at degree 30, from unit coefficients to
// convergence (corrections within 1E-3: the top coefficients of a degree-30 series are only
// determined to that level by the differenced Jacobian).
void BM_NonlinearSystem(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    std::shared_ptr<ode::script::Class1> shared;
    SystemSession s(true, shared, {});
    std::string names;
    s.boxes.equations.clear();
    s.boxes.bcText.clear();
    s.boxes.bcPoint.clear();
    for (int k = 0; k < n; ++k) {
        const std::string y = "y" + std::string(1, static_cast<char>('a' + k));
        const std::string next = "y" + std::string(1, static_cast<char>('a' + (k + 1) % n));
        names += (k ? "," : "") + y;
        s.boxes.equations.push_back(y + "'+" + y + "*" + next + "/10=0");
        s.boxes.bcText.push_back(y + "=1");
        s.boxes.bcPoint.push_back("0");
    }
    s.boxes.numDE = std::to_string(n);
    s.boxes.numBC = std::to_string(n);
    s.boxes.depVarNames = names;
    s.boxes.xlower = "-1";
    s.boxes.xupper = "1";
    s.boxes.terms = "30";
    s.boxes.errorD = "1E-6";
    s.boxes.errorC = "1E-3"; // the top coefficients of a degree-30 monomial series are ill-determined
    s.boxes.maxcy = "30";
    s.boxes.approximation = "1 - Unit coefficients";
    int passes = 0;
    for (auto _ : state) {
        if (!s.solve())
            state.SkipWithError("no convergence");
        passes = s.lastReport().passes;
    }
    state.counters["passes"] = passes;
}
BENCHMARK(BM_NonlinearSystem)->Arg(2)->Arg(5)->Arg(10)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
