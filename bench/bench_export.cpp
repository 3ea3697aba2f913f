// The exports of a large solution: an accurate solution of degree N (Chebyshev coefficients and
// the power series about the centre) written as each kind, and the CSV grid of values and two
// derivatives at 1001 points.
#include "output/Exports.h"
#include "output/Json.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

ode::Solution LargeSolution(int degree)
{
    ode::Solution s;
    s.kind = ode::ProblemKind::LinearPower;
    s.indepVarName = "x";
    s.equations = {"y''+y=0"};
    s.conditions = {{"y=0", 0, 0.0}, {"y'=1", 0, 0.0}};
    s.xlower = -10;
    s.xupper = 10;
    s.accurate = true;
    ode::SolvedVariable v;
    v.name = "y";
    v.order = 2;
    ode::ChebyshevSeries c;
    c.a = -10;
    c.b = 10;
    for (int k = 0; k <= degree; ++k)
        c.coef.push_back(std::pow(0.9, k) * (k % 2 ? 1 : -1));
    v.coef = ode::ChebyshevToPower(c, 0);
    v.chebyshev = c;
    s.variables.push_back(v);
    return s;
}

void BM_Export(benchmark::State& state)
{
    const ode::Solution s = LargeSolution(static_cast<int>(state.range(1)));
    const auto kind = static_cast<ode::ExportKind>(state.range(0));
    ode::ExportOptions options;
    options.gridIntervals = kind == ode::ExportKind::Csv ? 1000 : 0;
    for (auto _ : state) {
        ode::FileTexts files;
        std::string error;
        ode::ExportFiles(s, kind, "/tmp/bench-export", options, files, error);
        benchmark::DoNotOptimize(files);
    }
    state.SetLabel(ode::ExportKindWord(kind));
}
BENCHMARK(BM_Export)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {100, 1000}})
    ->ArgNames({"kind", "degree"})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
