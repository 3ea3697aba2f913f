// The accurate method's rounding at high degree, with and without row equilibration, on
// (eps + x^2) y'' + 4x y' + 2y = 0 on [-1, 1] with y(-1) = y(1) = 1/(1 + eps), whose solution
// is y = 1/(eps + x^2): the left side is ((eps + x^2) y)'', so (eps + x^2) y is linear, and the
// symmetric conditions make it 1. The solution peaks at 1/eps at 0 and its Chebyshev
// coefficients fall like (1 + sqrt(eps))^-k, so it needs a high degree.
//
// The rows are assembled here as the accurate method assembles them (the Chebyshev points of
// the collocation, the two conditions last) and solved twice: as they are ("raw") and with
// EquilibrateRows first ("scaled", what the program does). For each: the largest error on 2001
// points relative to the solution's largest value, and the 1-norm condition estimate
// (UnknownsOneNorm times TriangleInverseNormEstimate).
// The last column is what a whole Solve of the same problem gives (LinearSession). Then the
// timings of both eliminations are registered: BM_Raw/EPS/N and BM_Scaled/EPS/N.
// CONDITIONING_HIGH=1 adds the degrees 4000 (about ten seconds a solve).
#include "CornerLayer.h"
#include "collocation/Chebyshev.h"
#include "collocation/Elimination.h"
#include "linear/LinearSession.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

// The matrix of degree N: collocation at the N - 1 Chebyshev points, then y(-1) and y(1).
ode::AugmentedMatrix Assemble(double eps, int N)
{
    const int m = N - 1;
    ode::AugmentedMatrix a(N + 1);
    std::vector<double> d;
    for (int i = 0; i < m; ++i) {
        const double t = ode::ChebyshevPoint(i, m);
        const double p[3] = {2, 4 * t, eps + t * t};
        ode::ChebyshevBasisDerivatives(2, N, t, d);
        ode::ChebyshevRowFromBasis(a.row(i), 2, N, 1.0, p, d.data());
    }
    const double value[3] = {1, 0, 0};
    for (int c = 0; c < 2; ++c) {
        ode::ChebyshevBasisDerivatives(2, N, c == 0 ? -1.0 : 1.0, d);
        ode::ChebyshevRowFromBasis(a.row(m + c), 2, N, 1.0, value, d.data());
        a.at(m + c, N + 1) = 1 / (1 + eps);
    }
    return a;
}

struct Outcome {
    double error = NAN, condition = NAN;
};

// The largest error on 2001 points relative to the solution's largest value, 1/eps.
double Error(const ode::ChebyshevSeries& s, double eps)
{
    double err = 0;
    for (int i = 0; i <= 2000; ++i) {
        const double x = -1 + i / 1000.0;
        err = std::fmax(err, std::fabs(ode::ChebyshevDerivative(s, 0, x) - 1 / (eps + x * x)));
    }
    return err * eps;
}

Outcome Solve(double eps, int N, bool scaled)
{
    ode::AugmentedMatrix a = Assemble(eps, N);
    if (scaled)
        ode::EquilibrateRows(a);
    const double norm = ode::UnknownsOneNorm(a);
    std::vector<double> coef;
    Outcome out;
    if (ode::Eliminate(a, coef) != ode::EliminationOutcome::Solved)
        return out;
    out.condition = norm * ode::TriangleInverseNormEstimate(a);
    out.error = Error(ode::ChebyshevSeries{-1, 1, coef}, eps);
    return out;
}

// A whole Solve at degree N, as the form or the command line runs it.
double SessionError(const std::string& eps, int N)
{
    std::shared_ptr<ode::script::Class1> shared;
    ode::LinearSession s(ode::SeriesKind::Power, shared, {});
    s.boxes = CornerLayerTexts(eps, N);
    s.method = ode::LinearSession::Method::Chebyshev;
    if (!s.solve() || s.lastReport().chebyshev.empty())
        return NAN;
    return Error(s.lastReport().chebyshev[0], std::stod(eps));
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    struct Case {
        const char* eps;
        int degree;
    };
    std::vector<Case> cases = {{"1E-3", 250},  {"1E-3", 500},  {"1E-3", 1000},
                               {"1E-3", 2000}, {"1E-4", 1000}, {"1E-4", 2000}};
    if (std::getenv("CONDITIONING_HIGH"))
        cases.insert(cases.end(), {{"1E-3", 4000}, {"1E-4", 4000}});
    std::printf("%-5s %5s %10s %10s %10s %10s %10s   (errors relative to the largest value, 1/eps)\n", "eps", "N",
                "raw error", "raw cond", "error", "cond", "Solve");
    for (const Case& c : cases) {
        const double eps = std::stod(c.eps);
        const Outcome raw = Solve(eps, c.degree, false), scaled = Solve(eps, c.degree, true);
        std::printf("%-5s %5d %10.2e %10.2e %10.2e %10.2e %10.2e\n", c.eps, c.degree, raw.error, raw.condition,
                    scaled.error, scaled.condition, SessionError(c.eps, c.degree));
        std::fflush(stdout);
        const std::string name = std::string(c.eps) + "/" + std::to_string(c.degree);
        for (bool s : {false, true})
            benchmark::RegisterBenchmark(((s ? "BM_Scaled/" : "BM_Raw/") + name).c_str(), [eps, N = c.degree,
                                                                                           s](benchmark::State& state) {
                for (auto _ : state)
                    benchmark::DoNotOptimize(Solve(eps, N, s));
            })->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
