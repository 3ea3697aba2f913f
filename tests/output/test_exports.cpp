// The exports read back: code run and compared with Evaluate, CSV and JSON parsed, LaTeX's
// numbers read, and bad targets refused without a file written.
#include "cli/Cli.h"
#include "common/FileIO.h"
#include "common/NumberFormat.h"
#include "output/Exports.h"

#include "ExportTools.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

struct Folder : ode::test::ScratchFolder {
    Folder() : ScratchFolder("exports") {}
    std::string operator/(const std::string& name) const { return file(name); }
};

using ode::test::CsvRows;
using ode::test::Have;
using ode::test::Read;
using ode::test::Shell;

// `odeseries solve ARGS --format json`, parsed.
json SolveJson(std::vector<std::string> args, int& status)
{
    args.insert(args.begin(), "solve");
    args.push_back("--format");
    args.push_back("json");
    std::ostringstream out, err;
    status = ode::cli::Run(args, out, err);
    EXPECT_EQ(err.str(), "");
    return json::parse(out.str());
}

struct ExportCase {
    const char* name;
    std::vector<std::string> problem; // --example NAME and the method's options
    std::vector<double> points;
    int maxDerivative;
    friend void PrintTo(const ExportCase& c, std::ostream* os) { *os << c.name; }
};

class CodeExport : public testing::TestWithParam<ExportCase> {};

// What Evaluate shows for every point and order: (variable index, x, order) -> the text.
struct Shown {
    size_t variable;
    double x;
    int order;
    std::string text;
};

std::vector<Shown> Evaluations(const ExportCase& c, json& solution)
{
    std::vector<Shown> shown;
    for (int d = 0; d <= c.maxDerivative; ++d) {
        std::vector<std::string> args = c.problem;
        args.insert(args.end(), {"--seed", "1", "--derivative", std::to_string(d)});
        for (double x : c.points)
            args.insert(args.end(), {"--eval", ode::FormatShortest(x)});
        int status = 0;
        json run = SolveJson(args, status);
        EXPECT_EQ(status, 0) << run.dump();
        solution = run["solution"];
        for (const json& e : run["evaluations"]) {
            const json& lines = e.contains("lblValue") ? e["lblValue"] : e["lstValue"];
            for (size_t j = 0; j < lines.size(); ++j) {
                std::string text = lines[j];
                if (e.contains("lstValue"))
                    text = text.substr(text.find('=') + 1);
                shown.push_back({j, e["x"].get<double>(), d, text});
            }
        }
    }
    return shown;
}

// One line of code a value shown: `before`, the call of the variable's function in `language`,
// `after`.
std::string Calls(const std::vector<Shown>& shown, const json& solution, ode::ExportKind language,
                  const std::string& before, const std::string& after)
{
    std::string code;
    for (const Shown& s : shown)
        code += before + ode::CodeName(solution["variables"][s.variable]["name"], language) + "(" +
                ode::FormatShortest(s.x) + ", " + std::to_string(s.order) + ")" + after + "\n";
    return code;
}

// Python, C and (when it is installed) Octave, from the same solution: each value at every
// point and order has Evaluate's digits, and the languages agree to the last bit.
TEST_P(CodeExport, GivesWhatEvaluateShows)
{
    const ExportCase& c = GetParam();
    ASSERT_TRUE(Have("python3") && Have("cc")) << "python3 and cc are installed with the build";
    Folder dir;
    std::vector<std::string> args = c.problem;
    args.insert(args.end(), {"--seed", "1", "--export", "python=" + (dir / "solution.py"), "--export",
                             "c=" + (dir / "solution.c"), "--export", "octave=" + (dir / "octave")});
    int status = 0;
    json run = SolveJson(args, status);
    ASSERT_EQ(status, 0) << run.dump();
    ASSERT_EQ(run["written"].size(), 2 + run["solution"]["variables"].size());
    json solution;
    const std::vector<Shown> shown = Evaluations(c, solution);
    ASSERT_EQ(solution, run["solution"]); // every run found the same solution

    // Python: repr() keeps every bit.
    std::ofstream(dir / "run.py") << "import sys\nsys.path.insert(0, '" + (dir / "") + "')\nimport solution\n" +
                                         Calls(shown, solution, ode::ExportKind::Python, "print(repr(solution.", "))");
    bool ok = false;
    std::vector<std::pair<const char*, std::string>> printed = {{"Python", Shell("python3 " + (dir / "run.py"), ok)}};
    ASSERT_TRUE(ok) << printed.back().second;

    // C: compiled strictly, printed with 17 digits.
    std::string driver = "#include <stdio.h>\n";
    for (const json& v : solution["variables"])
        driver += "double " + ode::CodeName(v["name"], ode::ExportKind::C) + "(double, int);\n";
    std::ofstream(dir / "main.c") << driver + "int main(void)\n{\n" +
                                         Calls(shown, solution, ode::ExportKind::C, "    printf(\"%.17g\\n\", ", ");") +
                                         "    return 0;\n}\n";
    const std::string build = Shell("cc -std=c99 -Wall -Wextra -Werror -pedantic -O2 -ffp-contract=off -o " +
                                        (dir / "run") + " " + (dir / "solution.c") + " " + (dir / "main.c") + " -lm",
                                    ok);
    ASSERT_TRUE(ok) << build;
    printed.emplace_back("C", Shell(dir / "run", ok));
    ASSERT_TRUE(ok) << printed.back().second;

    if (Have("octave")) {
        std::ofstream(dir / "run.m") << "addpath('" + (dir / "octave") + "');\nformat long;\n" +
                                            Calls(shown, solution, ode::ExportKind::Octave, "printf('%.17g\\n', ",
                                                  ");");
        printed.emplace_back("Octave", Shell("octave --no-gui --quiet " + (dir / "run.m"), ok));
        ASSERT_TRUE(ok) << printed.back().second;
    }

    std::vector<std::istringstream> lines;
    for (const auto& p : printed)
        lines.emplace_back(p.second);
    for (const Shown& s : shown) {
        const std::string where = " at x=" + ode::FormatShortest(s.x) + ", order " + std::to_string(s.order);
        double first = 0;
        for (size_t k = 0; k < printed.size(); ++k) {
            std::string line;
            ASSERT_TRUE(std::getline(lines[k], line)) << printed[k].first << " printed too little";
            const double value = std::strtod(line.c_str(), nullptr);
            EXPECT_EQ(ode::FormatNumber(value), s.text) << printed[k].first << where;
            if (k == 0)
                first = value;
            EXPECT_EQ(value, first) << printed[k].first << " and Python differ" << where;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Exports, CodeExport,
    testing::Values(
        ExportCase{"LinearPower", {"--example", "airy"}, {-2, -0.3, 0, 1, 2}, 3},
        ExportCase{"HighDegreePower", {"--example", "harmonic-oscillator", "--degree", "175"}, {0.5, 3}, 4},
        ExportCase{"LinearTrigOddTerms", {"--example", "forced-oscillator"}, {0, 1.5, 5}, 4},
        ExportCase{"LinearTrigEvenTerms", {"--example", "trig-forced", "--degree", "8"}, {0.25, 2}, 5},
        ExportCase{"NonlinearPower", {"--example", "logistic"}, {0, 1, 2}, 2},
        ExportCase{"NonlinearTrig", {"--example", "periodic-cubic"}, {0.5, 2.5}, 3},
        ExportCase{"LinearSystem", {"--example", "rotation"}, {0, 2.5, 6}, 2},
        ExportCase{"NonlinearSystem", {"--example", "rotation-nonlinear"}, {0.5}, 2},
        ExportCase{"AccurateSingle", {"--example", "airy", "--points", "chebyshev", "--degree", "auto"}, {-1.5, 1}, 3},
        ExportCase{"AccurateSystem", {"--example", "coupled-oscillators", "--points", "chebyshev"}, {1, 4.5}, 3}),
    [](const testing::TestParamInfo<ExportCase>& info) { return std::string(info.param.name); });

// CSV: every coefficient exactly, and a grid of values and derivatives whose numbers are the
// evaluation's at those points.
TEST(DataExports, CsvHoldsTheCoefficientsAndTheGrid)
{
    Folder dir;
    int status = 0;
    json run = SolveJson(
        {"--example", "rotation", "--export", "csv=" + (dir / "rotation.csv"), "--export-grid", "4", "--eval", "1.5"},
        status);
    ASSERT_EQ(status, 0);
    const json& solution = run["solution"];
    const auto rows = CsvRows(Read(dir / "rotation.csv"));
    ASSERT_EQ(rows[0], (std::vector<std::string>{"variable", "index", "coefficient"}));
    size_t row = 1;
    for (const json& v : solution["variables"])
        for (size_t k = 0; k < v["coefficients"].size(); ++k, ++row) {
            ASSERT_LT(row, rows.size());
            EXPECT_EQ(rows[row][0], v["name"].get<std::string>());
            EXPECT_EQ(rows[row][1], std::to_string(k));
            EXPECT_EQ(std::strtod(rows[row][2].c_str(), nullptr), v["coefficients"][k].get<double>());
        }
    EXPECT_EQ(row, rows.size());

    const auto grid = CsvRows(Read(dir / "rotation-grid.csv"));
    ASSERT_EQ(grid.size(), 6u);
    EXPECT_EQ(grid[0], (std::vector<std::string>{"t", "y", "y'", "z", "z'"}));
    EXPECT_EQ(grid[1][0], "0");
    EXPECT_EQ(grid[3][0], "3");
    EXPECT_EQ(grid[5][0], "6");
    json at3 = SolveJson({"--example", "rotation", "--eval", "3", "--derivative", "1"}, status);
    const std::string yPrime = at3["evaluations"][0]["lstValue"][0];
    EXPECT_EQ("y=" + ode::FormatNumber(std::strtod(grid[3][2].c_str(), nullptr)), yPrime);
    EXPECT_NEAR(std::strtod(grid[3][1].c_str(), nullptr), std::cos(3.0), 1e-9);
    // An accurate solution's grid: each value and derivative is the one Evaluate shows.
    SolveJson(
        {"--example", "airy", "--points", "chebyshev", "--export", "csv=" + (dir / "airy.csv"), "--export-grid", "4"},
        status);
    const auto accurate = CsvRows(Read(dir / "airy-grid.csv"));
    ASSERT_EQ(accurate.size(), 6u);
    EXPECT_EQ(accurate[4][0], "1");
    for (int d = 0; d <= 2; ++d) {
        json at1 = SolveJson(
            {"--example", "airy", "--points", "chebyshev", "--eval", "1", "--derivative", std::to_string(d)}, status);
        EXPECT_EQ(ode::FormatNumber(std::strtod(accurate[4][static_cast<size_t>(d) + 1].c_str(), nullptr)),
                  at1["evaluations"][0]["lblValue"][0].get<std::string>())
            << "derivative " << d;
    }
    EXPECT_NEAR(std::strtod(grid[3][3].c_str(), nullptr), std::sin(3.0), 1e-9);
}

// JSON: the whole problem and solution, numbers read back exactly.
TEST(DataExports, JsonHoldsTheProblemAndTheSolution)
{
    Folder dir;
    int status = 0;
    json run = SolveJson(
        {"--example", "nonlinear-reciprocal", "--approximation", "1", "--export", "json=" + (dir / "r.json")}, status);
    ASSERT_EQ(status, 0);
    const json file = json::parse(Read(dir / "r.json"));
    EXPECT_EQ(file, run["solution"]);
    EXPECT_EQ(file["kind"], "Pndif");
    EXPECT_EQ(file["kindName"], "Nonlinear, power series");
    EXPECT_EQ(file["method"], "equally spaced");
    EXPECT_EQ(file["independentVariable"], "x");
    EXPECT_EQ(file["equations"], json::array({"y''-2*y^3=0"}));
    ASSERT_EQ(file["conditions"].size(), 2u);
    EXPECT_EQ(file["conditions"][1]["text"], "y'+y^2=0");
    EXPECT_EQ(file["conditions"][1]["point"], 3);
    EXPECT_TRUE(file["conditions"][1]["residual"].is_number());
    EXPECT_EQ(file["interval"], json::array({1, 3}));
    EXPECT_EQ(file["centre"], 2);
    EXPECT_EQ(file["variables"][0]["degree"], 22);
    EXPECT_EQ(file["variables"][0]["coefficients"].size(), 23u);
    EXPECT_NEAR(file["variables"][0]["coefficients"][1].get<double>(), -0.25, 1e-3);
    EXPECT_EQ(file["outcome"], "COEFFICIENTS:   ( LAST CORRECTION: )");
    EXPECT_EQ(file["lists"]["lstCoeff"][0], file["outcome"]);
    // The accurate method adds its Chebyshev series and readout.
    json accurate = SolveJson({"--example", "airy", "--points", "chebyshev", "--degree", "auto"}, status);
    const json& a = accurate["solution"];
    EXPECT_EQ(a["method"], "Chebyshev");
    EXPECT_EQ(a["accuracy"].get<std::string>().rfind("CONVERGED AT DEGREE", 0), 0u);
    EXPECT_EQ(a["variables"][0]["chebyshev"]["interval"], json::array({-2, 2}));
    // A linear equation lists each condition's LHS, RHS and LHS-RHS: the residual is the last.
    ASSERT_EQ(a["conditions"].size(), 2u);
    for (const json& c : a["conditions"]) {
        ASSERT_TRUE(c["residual"].is_number()) << c.dump();
        EXPECT_LT(std::fabs(c["residual"].get<double>()), 1e-14);
    }
    EXPECT_EQ(a["conditions"][1]["text"], "y'=-0.258819403792807");
    EXPECT_EQ(a["variables"][0]["chebyshev"]["coefficients"].size(), a["variables"][0]["coefficients"].size());
}

// LaTeX: one term a non-zero coefficient, each with 15 significant digits.
TEST(DataExports, LatexWritesTheSeriesAsAFormula)
{
    Folder dir;
    int status = 0;
    json run = SolveJson({"--example", "exponential", "--export", "latex=" + (dir / "e.tex")}, status);
    ASSERT_EQ(status, 0);
    const std::string tex = Read(dir / "e.tex");
    EXPECT_NE(tex.find("\\begin{align*}\ny(x) ={}& 1.64872"), std::string::npos) << tex;
    EXPECT_NE(tex.find("\\,(x - 0.5)^{8}"), std::string::npos) << tex;
    const std::regex number(R"(([+-] )?(\d+\.?\d*)( \\times 10\^\{(-?\d+)\})?\\,\(x - 0\.5\)(\^\{(\d+)\})?)");
    const json& coef = run["solution"]["variables"][0]["coefficients"];
    int found = 0;
    for (auto it = std::sregex_iterator(tex.begin(), tex.end(), number); it != std::sregex_iterator(); ++it) {
        const auto& m = *it;
        const int k = m[6].matched ? std::stoi(m[6]) : 1;
        double v = std::stod(m[2]) * (m[4].matched ? std::pow(10.0, std::stoi(m[4])) : 1.0);
        if (m[1].matched && m[1].str()[0] == '-')
            v = -v;
        EXPECT_NEAR(v, coef[static_cast<size_t>(k)].get<double>(), 1e-14 * std::fabs(v)) << "term " << k;
        ++found;
    }
    EXPECT_EQ(found, 8); // c1 ... c8 (c0 stands alone)
    // A trigonometric series names its argument.
    json trig = SolveJson({"--example", "trig-forced", "--export", "latex=" + (dir / "t.tex")}, status);
    const std::string t = Read(dir / "t.tex");
    EXPECT_NE(t.find("\\sin t"), std::string::npos);
    EXPECT_NE(t.find("\\cos 2t"), std::string::npos);
    EXPECT_NE(t.find("where $t = (x - 1.5)$ (the period is $2\\pi$)."), std::string::npos) << t;
}

// Every export works where Evaluate works: an accurate solution at a degree where the power
// series used to overflow (so CSV, JSON and the series file held 1.#INF and were refused) is
// written by every kind, the JSON with the power series' readout.
TEST(DataExports, EveryKindWritesAnAccurateSolutionAtHighDegree)
{
    Folder dir;
    for (const char* kind : {"csv", "json", "latex", "python", "c", "octave"}) {
        const std::string path = dir / (std::string("high-") + kind);
        std::ostringstream out, err;
        EXPECT_EQ(ode::cli::Run({"solve", "--example", "airy", "--points", "chebyshev", "--degree", "600", "--export",
                                 std::string(kind) + "=" + path},
                                out, err),
                  0)
            << kind << ": " << err.str();
        EXPECT_TRUE(fs::exists(path)) << kind;
    }
    const json j = json::parse(Read(dir / "high-json"));
    EXPECT_LT(j["powerSeries"]["accuracy"].get<double>(), 1e-13);
    EXPECT_EQ(j["powerSeries"]["line"].get<std::string>().rfind("POWER SERIES ABOUT 0: RADIUS OF CONVERGENCE ", 0), 0u);
    for (const json& c : j["variables"][0]["coefficients"])
        EXPECT_TRUE(c.is_number()) << "a finite number, never null";
}

// A target that cannot be written, or an unknown kind, is refused with a message and nothing
// is written.
TEST(DataExports, BadTargetsAreRefusedAndNothingIsWritten)
{
    Folder dir;
    std::ofstream(dir / "plain") << "a file";
    struct Case {
        std::vector<std::string> args;
        const char* message;
        int status;
    };
    const Case cases[] = {
        {{"--export", "python=/nonexistent/folder/y.py"}, "cannot", 2},
        {{"--export", "octave=" + (dir / "plain")}, "The Octave export goes into a folder", 2},
        {{"--export", "fortran=" + (dir / "y.f")},
         "--export needs KIND=PATH, KIND one of csv, json, latex, python, c or octave",
         2},
        {{"--export", "python="}, "--export needs KIND=PATH", 2},
        {{"--export-grid", "0"}, "--export-grid needs a whole number", 2},
        {{"--format", "xml"}, "--format is text or json", 2},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"solve", "--example", "airy", "--export", "csv=" + (dir / "first.csv")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        std::ostringstream out, err;
        EXPECT_EQ(ode::cli::Run(args, out, err), c.status) << c.message;
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
        std::error_code ec;
        EXPECT_FALSE(fs::exists(dir / "y.py", ec));
        EXPECT_FALSE(fs::exists(dir / "y.f", ec));
    }
    // An unsolved problem has nothing to export.
    std::ostringstream out, err;
    EXPECT_EQ(ode::cli::Run({"solve", "--example", "bessel-j0", "--no-solve", "--export", "json=" + (dir / "n.json")},
                            out, err),
              2);
    EXPECT_EQ(err.str(), "odeseries: there is no solution to export\n");
    EXPECT_FALSE(fs::exists(dir / "n.json"));
}

} // namespace
