// Cost of the expression engine on the solvers' hot path.
#include "script/ScriptHost.h"

#include <benchmark/benchmark.h>

namespace {

using ode::script::Class1;
using ode::script::ScriptHost;

// A coefficient text evaluated through its cached compiled form, x assigned beforehand.
void BM_EvalCoefficient(benchmark::State& state)
{
    std::shared_ptr<Class1> shared;
    ScriptHost host(shared, {});
    host.prepare();
    host.assignVariable("x", 0.75);
    double v = 0;
    for (auto _ : state) {
        host.evaluate("(x*x-1)", v);
        benchmark::DoNotOptimize(v);
    }
}
BENCHMARK(BM_EvalCoefficient);

// What a solver does at each grid point: assign x through its statement text, then evaluate.
void BM_AssignAndEvalCoefficient(benchmark::State& state)
{
    std::shared_ptr<Class1> shared;
    ScriptHost host(shared, {});
    host.prepare();
    double x = 0.0, v = 0;
    for (auto _ : state) {
        x += 0.001;
        host.assignVariable("x", x);
        host.evaluate("(x*x-1)", v);
        benchmark::DoNotOptimize(v);
    }
}
BENCHMARK(BM_AssignAndEvalCoefficient);

// The reference: the same coefficient as compiled C++.
void BM_LambdaCoefficient(benchmark::State& state)
{
    auto coefficient = [](double x) { return x * x - 1; };
    double x = 0.75;
    for (auto _ : state) {
        benchmark::DoNotOptimize(x);
        double v = coefficient(x);
        benchmark::DoNotOptimize(v);
    }
}
BENCHMARK(BM_LambdaCoefficient);

// A richer coefficient with function calls and the extension object.
void BM_EvalRichCoefficient(benchmark::State& state)
{
    std::shared_ptr<Class1> shared;
    ScriptHost host(shared, {});
    host.prepare();
    host.assignVariable("x", 0.75);
    double v = 0;
    for (auto _ : state) {
        host.evaluate("Sin(x)*Exp(-x/2) + Asinh(x)^2 - 3*x", v);
        benchmark::DoNotOptimize(v);
    }
}
BENCHMARK(BM_EvalRichCoefficient);

const char* kLongExpression = "(x*x-1)*Sin(2*pi*x/3) + Exp(-x*x/2)*Cos(x) - 3.25*x^3 + Sqr(Abs(x)+1)/(1+x*x) "
                              "+ Atn(x)*halfpi - Log(1+Abs(x))*e + Asinh(x)/2 - Tanh(x)*Cosh(x/4) + 0.125*x^4 - 17 "
                              "+ Sgn(x)*Int(x*10)/10 - 1.5E-3*x^5";

void BM_ParseLongExpression(benchmark::State& state)
{
    for (auto _ : state) {
        auto program = ode::script::ParseExpression(kLongExpression);
        benchmark::DoNotOptimize(program.root);
    }
    state.SetLabel(std::to_string(std::char_traits<char>::length(kLongExpression)) + " characters");
}
BENCHMARK(BM_ParseLongExpression);

// Parse and link on a cache miss, in a fresh engine each time.
void BM_CompileLongExpressionInEngine(benchmark::State& state)
{
    std::shared_ptr<Class1> shared;
    for (auto _ : state) {
        state.PauseTiming();
        auto host = std::make_unique<ScriptHost>(shared, ScriptHost::MessageSink{});
        host->prepare();
        host->assignVariable("x", 0.5);
        state.ResumeTiming();
        double v = 0;
        host->evaluate(kLongExpression, v);
        benchmark::DoNotOptimize(v);
        state.PauseTiming();
        host.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CompileLongExpressionInEngine);

} // namespace

BENCHMARK_MAIN();
