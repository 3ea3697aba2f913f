// The banded form of the accurate method for a linear equation: its cost against the degree, and
// its conditioning. The problem is the corner layer (eps + x^2) y'' + 4x y' + 2y = 0 on [-1, 1],
// y(-1) = y(1) = 1/(1 + eps), whose solution 1/(eps + x^2) needs degrees in the thousands for
// small eps (bench_conditioning.cpp has the collocation's figures on it).
//
// First a table: for eps = 1E-3 and degrees 250 ... 4000, the 1-norm condition estimate of the
// banded system as it is solved (rows equilibrated; a dense copy eliminated for the estimate),
// divided by N: a condition number that grows like N keeps that column flat. Then the timings:
// BM_BandedSolve/N is SolveLinearChebyshev at degree N (the coefficients sampled, the operator
// built, the QR solve and two refinements), eps = 1E-4; BM_BandedSession/N a whole Solve of
// the session at degree N, the lists, the power form and the residual checks included;
// BM_BandedSystemSession/N the same for the equation written as a first-order system.
#include "CornerLayer.h"
#include "collocation/Elimination.h"
#include "linear/LinearChebyshev.h"
#include "linear/LinearSession.h"
#include "systems/SystemSession.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

struct Problem {
    std::shared_ptr<ode::script::Class1> shared;
    ode::script::ScriptHost host{shared, [](const std::string&) {}};
    ode::SingleInputs in;
    ode::LinearCoefficientTexts texts;

    Problem(const std::string& eps, int degree)
    {
        host.prepare();
        const ode::SingleTexts t = CornerLayerTexts(eps, degree);
        in = ode::ReadSingleInputs(t, ode::SeriesKind::Power, host.Pi);
        host.executeConstants(t.constants);
        ode::ExtractLinearCoefficients(in, texts);
    }
};

// The 1-norm condition estimate of the banded system at degree N, through a dense copy.
double Condition(int N)
{
    Problem p("1E-3", N);
    const std::optional<ode::AlmostBandedSystem> s = ode::LinearBandedSystem(p.in, p.texts, p.host);
    if (!s)
        return NAN;
    ode::AugmentedMatrix a(N + 1);
    for (int r = 0; r <= N; ++r)
        for (int c = 0; c <= N; ++c)
            a.row(r)[c] = r < s->dense ? s->denseRows[static_cast<size_t>(r) * (N + 1) + c] : s->bandGet(r, c);
    const double norm = ode::UnknownsOneNorm(a);
    std::vector<double> coef;
    if (ode::Eliminate(a, coef) != ode::EliminationOutcome::Solved)
        return NAN;
    return norm * ode::TriangleInverseNormEstimate(a);
}

void BM_BandedSolve(benchmark::State& state)
{
    Problem p("1E-4", static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const ode::ChebyshevSolution s = ode::SolveLinearChebyshev(p.in, p.texts, p.host);
        if (!s.solved())
            state.SkipWithError("no solution");
        benchmark::DoNotOptimize(s.series.coef.data());
    }
}
BENCHMARK(BM_BandedSolve)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_BandedSession(benchmark::State& state)
{
    std::shared_ptr<ode::script::Class1> shared;
    ode::LinearSession s(ode::SeriesKind::Power, shared, {});
    s.boxes = CornerLayerTexts("1E-4", static_cast<int>(state.range(0)));
    s.method = ode::LinearSession::Method::Chebyshev;
    for (auto _ : state)
        if (!s.solve())
            state.SkipWithError("no solution");
}
BENCHMARK(BM_BandedSession)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same equation as a linear system, y' = z, 2y + 4x z + (eps + x^2) z' = 0: a whole Solve
// of the systems' session at degree N, in the system's banded form (two variables interleaved).
void BM_BandedSystemSession(benchmark::State& state)
{
    std::shared_ptr<ode::script::Class1> shared;
    ode::SystemSession s(false, shared, {});
    ode::SystemTexts& b = s.boxes;
    b.numDE = "2";
    b.numBC = "2";
    b.depVarNames = "y,z";
    b.equations = {"y'-z=0", "2*y+4*x*z+(eps+x^2)*z'=0"};
    b.bcText = {"y=1/(1+eps)", "y=1/(1+eps)"};
    b.bcPoint = {"-1", "1"};
    b.xlower = "-1";
    b.xupper = "1";
    b.expansion = "0";
    b.terms = std::to_string(state.range(0));
    b.constants = {"eps=1E-4"};
    s.method = ode::CollocationMethod::Chebyshev;
    for (auto _ : state)
        if (!s.solve())
            state.SkipWithError("no solution");
}
BENCHMARK(BM_BandedSystemSession)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    std::printf("%6s %10s %10s   (eps = 1E-3, rows equilibrated)\n", "N", "cond", "cond / N");
    for (int N : {250, 500, 1000, 2000, 4000}) {
        const double c = Condition(N);
        std::printf("%6d %10.2e %10.2e\n", N, c, c / N);
        std::fflush(stdout);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
