// The library of ready problems: every kind, listed by `odeseries examples`, each solving to the
// exact solution its description names, and a damaged library keeping what it can.
#include "cli/WindowLibrary.h"
#include "common/FileIO.h"
#include "session/Demos.h"

#include "CliTools.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <set>
#include <tuple>

namespace {

using ode::DemoLibrary;
using ode::ProblemKind;

DemoLibrary Library() { return ode::LoadDemoLibrary(ode::FindDemoFolder(ode::cli::ProgramFolder())); }

TEST(Demos, LibraryCoversEveryKindWithDescribedReadyProblems)
{
    const DemoLibrary library = Library();
    ASSERT_FALSE(library.folder.empty());
    EXPECT_TRUE(library.problems.empty()) << library.problems.front();
    EXPECT_GE(library.demos.size(), 24u);
    std::set<std::string> names;
    std::set<ProblemKind> kinds;
    for (const auto& d : library.demos) {
        EXPECT_TRUE(names.insert(d.name).second) << d.name << " twice";
        kinds.insert(d.kind);
        EXPECT_GT(d.description.size(), 20u) << d.name;
        EXPECT_TRUE(std::filesystem::exists(d.path + ".str")) << d.name;
        EXPECT_EQ(d.name.find("-solved"), std::string::npos) << "a demo starts unsolved: " << d.name;
    }
    EXPECT_EQ(kinds.size(), ode::kProblemKinds.size());
}

TEST(Demos, ListedOneALineWithTheKindsMagicWord)
{
    std::ostringstream out, err;
    ASSERT_EQ(ode::cli::Run({"examples"}, out, err), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    std::string listed;
    for (const auto& d : Library().demos)
        listed += d.name + "\t" + ode::MagicWord(d.kind) + "\t" + d.description + "\n";
    EXPECT_EQ(out.str(), listed);
    EXPECT_EQ(out.str().rfind("harmonic-oscillator\tPldif\t", 0), 0u);
}

// What Evaluate shows at x (one value, or one a variable for a system) after `solve --example`,
// as the lines show it; `run` the whole run in JSON.
std::vector<double> SolvedValues(const std::string& name, const std::string& x, nlohmann::json* run = nullptr)
{
    int status = 0;
    const std::string out =
        ode::test::Solve({"--example", name, "--seed", "1", "--eval", x, "--format", "json"}, status);
    EXPECT_EQ(status, 0) << out;
    const nlohmann::json j = nlohmann::json::parse(out);
    if (run)
        *run = j;
    return j["evaluations"][0]["values"].get<std::vector<double>>();
}

struct KnownSolution {
    const char* demo;
    const char* x;
    std::vector<double> exact;
    double tolerance; // relative to max(1, |exact|)
    friend void PrintTo(const KnownSolution& k, std::ostream* os) { *os << k.demo; }
};

class DemoSolution : public testing::TestWithParam<KnownSolution> {};

// Each demo solves, as it stands, to the exact solution its description names.
TEST_P(DemoSolution, MatchesTheNamedExactSolution)
{
    const KnownSolution& k = GetParam();
    const std::vector<double> got = SolvedValues(k.demo, k.x);
    ASSERT_EQ(got.size(), k.exact.size());
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], k.exact[i], k.tolerance * std::max(1.0, std::fabs(k.exact[i]))) << k.demo << " #" << i;
}

const double kE = std::exp(1.0);

const KnownSolution kKnownSolutions[] = {
    {"harmonic-oscillator", "1", {std::sin(1.0)}, 1e-12},
    {"damped-oscillator", "1", {std::cos(1.0) / kE}, 1e-11},
    {"oscillator", "1", {std::cos(2.0)}, 1e-12},
    {"coupled-oscillators", "1", {std::cos(1.0), std::cos(1.0)}, 1e-11},
    {"airy", "1", {0.135292416312881}, 1e-12},
    {"bessel-j0", "1", {0.765197686557967}, 1e-12},
    {"bessel-j1", "2", {0.576724807756874}, 1e-9},
    {"legendre-p3", "0.5", {(5 * 0.125 - 1.5) / 2}, 1e-13},
    {"hermite-h4", "1", {-20}, 1e-13},
    {"chebyshev-t4", "0.5", {-0.5}, 1e-13},
    {"laguerre-l3", "2", {-1.0 / 3}, 1e-13},
    {"exponential", "1", {kE}, 1e-8},
    {"exponential-growth", "1", {std::exp(1.5)}, 1e-12},
    {"exponential-decay", "1", {100 * std::exp(-0.5)}, 1e-12},
    {"reciprocal", "2", {0.5}, 1e-10},
    {"boundary-layer", "0.5", {(1 - std::exp(-5.0)) / (1 - std::exp(-10.0))}, 1e-10},
    {"clamped-beam", "0.5", {0.0625}, 1e-13},
    {"trig-default", "1", {2 - std::cos(1.0) - 3 * std::sin(2.0)}, 1e-12},
    {"forced-oscillator", "1", {(12 * std::cos(1.0) + 2 * std::sin(1.0)) / 37}, 1e-13},
    {"trig-forced", "2", {(std::cos(2.0) + std::sin(2.0)) / 2}, 1e-13},
    {"logistic", "1", {1 / (1 + std::exp(-1.0))}, 1e-7},
    {"riccati-tanh", "1", {std::tanh(1.0)}, 1e-5},
    {"nonlinear-reciprocal", "2", {0.5}, 1e-3},
    {"bratu-mild", "0.5", {0.140539214400472}, 1e-9},
    {"viscous-shock", "0.6", {1.1}, 1e-9}, // y = x + 1/2 beyond the shock, to e^(-25)
    {"nonlinear-trig", "1", {std::sin(1.0)}, 1e-8},
    {"periodic-cubic", "1", {std::cos(1.0)}, 1e-12},
    {"system-exponential", "1", {1 / kE, -1 / kE}, 1e-9},
    {"rotation", "1", {std::cos(1.0), std::sin(1.0)}, 1e-10},
    {"system-nonlinear", "1", {0.5, 0.25}, 1e-4},
    {"rotation-nonlinear", "0.5", {std::cos(0.5), std::sin(0.5)}, 1e-9}};

INSTANTIATE_TEST_SUITE_P(Demos, DemoSolution, testing::ValuesIn(kKnownSolutions),
                         [](const testing::TestParamInfo<KnownSolution>& info) {
                             std::string n = info.param.demo;
                             for (char& c : n)
                                 if (c == '-')
                                     c = '_';
                             return n;
                         });

// Lotka-Volterra has no closed form; its invariant u - log u + v - log v holds along the series.
TEST(Demos, PredatorPreyKeepsItsInvariant)
{
    for (const char* x : {"0.25", "0.5", "1"}) {
        const std::vector<double> uv = SolvedValues("predator-prey", x);
        ASSERT_EQ(uv.size(), 2u);
        EXPECT_NEAR(uv[0] - std::log(uv[0]) + uv[1] - std::log(uv[1]), 3 - std::log(2.0), 5e-5) << x; // degree 6
    }
}

// A demo opens with its settings (bratu: Chebyshev points from the zero start) unless the
// options choose otherwise.
TEST(Demos, OpenWithTheirSettings)
{
    nlohmann::json run;
    EXPECT_EQ(SolvedValues("bratu", "0.5", &run), std::vector<double>{1.08515894779401});
    EXPECT_EQ(run["lists"]["lblAccuracy"][0].get<std::string>().rfind("CONVERGED AT DEGREE 40", 0), 0u) << run.dump();
    int status = 0;
    const std::string out =
        ode::test::Solve({"--example", "bratu", "--points", "equal", "--approximation", "0"}, status);
    EXPECT_EQ(out.find("[lblAccuracy]"), std::string::npos); // the equally spaced method, as asked
    EXPECT_NE(out.find("NO CONVERGENCE"), std::string::npos);
    // viscous-shock: the automatic degree too, which finds the shock by sweeping its layer parameter.
    EXPECT_EQ(SolvedValues("viscous-shock", "0.6", &run).size(), 1u);
    EXPECT_EQ(run["lists"]["lblAccuracy"][0].get<std::string>().rfind("CONVERGED AT DEGREE ", 0), 0u) << run.dump();
    EXPECT_EQ(run["lists"]["lstPasses"][0].get<std::string>(),
              "NO CONVERGED SOLUTION FROM THE START: THE LAYER PARAMETER eps WAS SWEPT FROM 1 TO 0.01, THEN:");
    for (const auto& d : Library().demos)
        if (ode::IsNonlinear(d.kind)) {
            EXPECT_EQ(d.start, 0) << d.name << ": every nonlinear demo starts from zero, which converges every time";
        }
}

// Every demo of the library has a known-solution case (or a test of its own).
TEST(Demos, EveryDemoIsCheckedAgainstItsSolution)
{
    std::set<std::string> checked = {"predator-prey", "bratu"}; // bratu: OpenWithTheirSettings
    for (const KnownSolution& k : kKnownSolutions)
        checked.insert(k.demo);
    for (const auto& d : Library().demos)
        EXPECT_EQ(checked.count(d.name), 1u) << d.name << " has no known-solution case";
}

TEST(Demos, UnknownDemoOrBothFileAndDemoAreRefused)
{
    struct Case {
        std::vector<std::string> args;
        const char* err;
    };
    const Case cases[] = {
        {{"solve", "--example", "no-such-demo"},
         "odeseries: there is no demo called no-such-demo ('odeseries examples' lists them)\n"},
        {{"solve", "airy", "--example", "airy"}, "odeseries: solve takes a problem file or --example, not both\n"},
        {{"examples", "extra"}, "odeseries: examples takes no arguments\n"},
    };
    for (const Case& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(ode::cli::Run(c.args, out, err), 2);
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(err.str(), c.err);
    }
}

// A damaged library: the usable demos stay offered, every unusable line is reported.
TEST(Demos, DamagedIndexKeepsTheUsablePairs)
{
    const ode::test::ScratchFolder scratch("demos");
    const auto& folder = scratch.path;
    std::string error;
    const auto at = [&](const char* n) { return scratch.file(n); };
    ASSERT_TRUE(ode::WriteFilesAtomically(
        {{at("good"), "0,\"x\",0,1\r\n 0 \r\n1,\"*\",4,#FALSE#\r\n"},
         {at("good.str"), "\"Pldif\",1,\"x\",\"y\",\"y'=y\"\r\n 0 y=1\r\n 0 \r\n"},
         {at("alien"), "x"},
         {at("alien.str"), "\"Qqdif\",1\r\n"},
         {at(ode::kDemoIndexName), "# comment\n\ngood\tfine\r\nmissing\tgone\n"
                                   "alien\tstrange\n../good\tescape\ngood\tset\tstart=0 points=chebyshev\n"
                                   "good\twrong\tstart=9\n"}},
        error))
        << error;
    const DemoLibrary library = ode::LoadDemoLibrary(folder.string());
    std::vector<std::tuple<std::string, std::string, int, bool>> demos;
    for (const auto& d : library.demos)
        demos.emplace_back(d.name, d.description, d.start, d.chebyshev);
    EXPECT_EQ(demos, (decltype(demos){{"good", "fine", -1, false}, {"good", "set", 0, true}}));
    ASSERT_EQ(library.problems.size(), 4u);
    EXPECT_EQ(library.problems[0].rfind("missing: ", 0), 0u) << library.problems[0];
    EXPECT_EQ(std::vector<std::string>(library.problems.begin() + 1, library.problems.end()),
              (std::vector<std::string>{
                  "alien: not a problem file of any kind", "demos.txt:6: no demo name",
                  "good: the setting start=9 is not one of start=0...4, points=equal, points=chebyshev, degree=auto"}));
    EXPECT_TRUE(ode::LoadDemoLibrary((folder / "none").string()).demos.empty());
    EXPECT_FALSE(ode::LoadDemoLibrary("").problems.empty());
}

} // namespace
