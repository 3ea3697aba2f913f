// The automatic degree against the smallest fixed degree that reaches the same error, on
// problems with known solutions: sin on [-10, 10], Airy on [-5, 5], the boundary layers
// eps y'' + y' = 0 (eps = 1E-2, 1E-3, 1E-4) and Bratu's problem at lambda = 3.5.
//
// Before the timings, each problem is solved once with the automatic degree and its error
// against the exact solution measured; the fixed degrees are then tried upwards (by 2 % above degree 100) until one is
// as accurate (within a factor 2 at rounding level), and both solves are registered as
// benchmarks: BM_AutoDegree/NAME and BM_SmallestFixedDegree/NAME/N. The table printed first
// gives the degrees, the errors and the Newton passes.
#include "linear/LinearSession.h"
#include "nonlinear/NonlinearSession.h"
#include "series/PowerForm.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using ode::LinearSession;
using ode::NonlinearSession;
using ode::SeriesKind;

struct Problem {
    std::string name;
    bool nonlinear = false;
    std::string equation;
    std::vector<std::string> conditions, points, constants;
    std::string lower, upper;
    std::function<double(double)> exact;
};

double BratuExact(double x)
{
    // y = -2 ln(cosh((x - 1/2) t / 2) / cosh(t / 4)) with t = sqrt(2 lambda) cosh(t / 4), the
    // lower root (the branch the zero start finds), by bisection below the turning point.
    const double lambda = 3.5;
    double lo = 0, hi = 4.798714560; // the turning point's t
    for (int i = 0; i < 200; ++i) {
        const double t = 0.5 * (lo + hi);
        (t - std::sqrt(2 * lambda) * std::cosh(t / 4) < 0 ? lo : hi) = t;
    }
    const double t = 0.5 * (lo + hi);
    return -2 * std::log(std::cosh((x - 0.5) * t / 2) / std::cosh(t / 4));
}

std::vector<Problem> Problems()
{
    std::vector<Problem> p;
    p.push_back({"sin", false, "y''+y=0", {"y=0", "y'=1"}, {"0", "0"}, {}, "-10", "10",
                 [](double x) { return std::sin(x); }});
    p.push_back({"airy", false, "y''-x*y=0", {"y=0.355028053887817239", "y'=-0.258819403792806798"}, {"0", "0"}, {},
                 "-5", "5", nullptr}); // against a solve at degree 200
    for (const char* eps : {"1E-2", "1E-3", "1E-4"}) {
        const double e = std::stod(eps);
        p.push_back({std::string("layer") + eps, false, "eps*y''+y'=0", {"y=0", "y=1"}, {"0", "1"},
                     {std::string("eps=") + eps}, "0", "1",
                     [e](double x) { return -std::expm1(-x / e) / -std::expm1(-1 / e); }});
    }
    p.push_back({"bratu", true, "y''+lambda*exp(y)=0", {"y=0", "y=0"}, {"0", "1"}, {"lambda=3.5"}, "0", "1",
                 BratuExact});
    return p;
}

struct Outcome {
    bool solved = false;
    ode::ChebyshevSeries series;
    int degree = 0, passes = 0;
};

// One whole Solve: the automatic degree when `degree` is 0.
Outcome Solve(const Problem& p, int degree)
{
    ode::ForgetPowerForms(); // each solve a first one
    std::shared_ptr<ode::script::Class1> shared;
    Outcome out;
    auto fill = [&](auto& s) {
        s.boxes.equation = p.equation;
        s.boxes.order = "2";
        s.boxes.bcText = p.conditions;
        s.boxes.bcPoint = p.points;
        s.boxes.constants = p.constants;
        s.boxes.xlower = p.lower;
        s.boxes.xupper = p.upper;
        s.boxes.expansion = "0";
        s.boxes.terms = std::to_string(degree > 0 ? degree : 16);
        s.autoDegree = degree == 0;
        if (!s.solve())
            return;
        const ode::SolveReport r = s.lastReport();
        out.solved = !r.chebyshev.empty();
        if (out.solved) {
            out.series = r.chebyshev[0];
            out.degree = static_cast<int>(out.series.coef.size()) - 1;
            out.passes = static_cast<int>(r.passNorms.size());
        }
    };
    if (p.nonlinear) {
        NonlinearSession s(SeriesKind::Power, shared, {});
        s.boxes.errorD = s.boxes.errorC = "1E-12";
        s.boxes.maxcy = "40";
        s.boxes.approximation = "0 - Zero coefficients";
        s.method = NonlinearSession::Method::Chebyshev;
        fill(s);
    } else {
        LinearSession s(SeriesKind::Power, shared, {});
        s.method = LinearSession::Method::Chebyshev;
        fill(s);
    }
    return out;
}

// The largest error on 2001 points relative to the solution's largest value.
double Error(const Outcome& o, const std::function<double(double)>& exact)
{
    const double a = o.series.a, b = o.series.b;
    double err = 0, scale = 0;
    for (int i = 0; i <= 2000; ++i) {
        const double x = a + (b - a) * i / 2000;
        const double y = exact(x);
        err = std::fmax(err, std::fabs(ode::ChebyshevDerivative(o.series, 0, x) - y));
        scale = std::fmax(scale, std::fabs(y));
    }
    return err / scale;
}

double Seconds(const std::function<void()>& f)
{
    double best = 1e300;
    for (int i = 0; i < 5; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        best = std::fmin(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    std::printf("%-10s %6s %9s %7s %6s %9s %7s %9s %9s %6s\n", "problem", "auto N", "error", "passes", "fixed",
                "error", "passes", "auto ms", "fixed ms", "ratio");
    const char* only = std::getenv("AUTODEGREE_PROBLEM"); // one problem's rows alone
    for (Problem p : Problems()) {
        if (only && p.name != only)
            continue;
        if (!p.exact) {
            const Outcome reference = Solve(p, 200);
            p.exact = [s = reference.series](double x) { return ode::ChebyshevDerivative(s, 0, x); };
        }
        const Outcome automatic = Solve(p, 0);
        if (!automatic.solved) {
            std::printf("%-10s not solved\n", p.name.c_str());
            continue;
        }
        const double autoError = Error(automatic, p.exact);
        if (std::getenv("CURVE")) {
            for (int n = 8; n <= automatic.degree; n += std::max(2, n / 8)) {
                const Outcome o = Solve(p, n);
                std::printf("  %5d %9.2e %8.3f ms\n", n, o.solved ? Error(o, p.exact) : NAN, Seconds([&] { Solve(p, n); }) * 1e3);
            }
        }
        // Rounding-level errors scatter by a factor of two from degree to degree.
        const double target = std::fmax(autoError, 2e-15) * 2;
        int fixed = 4;
        Outcome smallest;
        for (; fixed <= std::max(automatic.degree, 8); fixed += std::max(1, fixed / 50)) {
            smallest = Solve(p, fixed);
            if (smallest.solved && Error(smallest, p.exact) <= target)
                break;
        }
        const double autoSeconds = Seconds([&] { Solve(p, 0); });
        const double fixedSeconds = Seconds([&] { Solve(p, fixed); });
        std::printf("%-10s %6d %9.2e %7d %6d %9.2e %7d %9.3f %9.3f %6.2f\n", p.name.c_str(), automatic.degree, autoError,
                    automatic.passes, fixed, smallest.solved ? Error(smallest, p.exact) : NAN, smallest.passes,
                    autoSeconds * 1e3, fixedSeconds * 1e3, autoSeconds / fixedSeconds);
        benchmark::RegisterBenchmark(("BM_AutoDegree/" + p.name).c_str(),
                                     [p](benchmark::State& state) {
                                         for (auto _ : state)
                                             benchmark::DoNotOptimize(Solve(p, 0));
                                     })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_SmallestFixedDegree/" + p.name + "/" + std::to_string(fixed)).c_str(),
                                     [p, fixed](benchmark::State& state) {
                                         for (auto _ : state)
                                             benchmark::DoNotOptimize(Solve(p, fixed));
                                     })
            ->Unit(benchmark::kMillisecond);
    }
    std::fflush(stdout);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
