// The data exports through the command line: CSV and JSON parsed, LaTeX compared whole, every
// kind written at a high degree, and bad targets refused without a file written. (The code
// exports run against Evaluate in the hostile exports' test.)
#include "cli/Cli.h"

#include "ExportTools.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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

// CSV through the command line: the coefficients under their header, one row each, and a grid
// of values and derivatives on the points asked. (Every coefficient row's name, index and value
// and every grid value of every kind, to the bit, is HostileExports.CsvHoldsOnlyCheckedNamesAndNumbers.)
TEST(DataExports, CsvHoldsTheCoefficientsAndTheGrid)
{
    Folder dir;
    int status = 0;
    SolveJson({"--example", "rotation", "--export", "csv=" + (dir / "rotation.csv"), "--export-grid", "4"}, status);
    ASSERT_EQ(status, 0);
    const auto rows = CsvRows(Read(dir / "rotation.csv"));
    ASSERT_EQ(rows.size(), 1 + 2 * 26u); // y and z, each of degree 25
    EXPECT_EQ(rows[0], (std::vector<std::string>{"variable", "index", "coefficient"}));

    const auto grid = CsvRows(Read(dir / "rotation-grid.csv"));
    std::vector<std::string> points;
    for (const auto& row : grid)
        points.push_back(row.at(0));
    EXPECT_EQ(points, (std::vector<std::string>{"t", "0", "1.5", "3", "4.5", "6"}));
    EXPECT_EQ(grid[0], (std::vector<std::string>{"t", "y", "y'", "z", "z'"}));
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
    const json fields = {{"kind", "Pndif"},
                         {"kindName", "Nonlinear, power series"},
                         {"method", "equally spaced"},
                         {"independentVariable", "x"},
                         {"equations", {"y''-2*y^3=0"}},
                         {"interval", {1, 3}},
                         {"centre", 2},
                         {"outcome", "COEFFICIENTS:   ( LAST CORRECTION: )"}};
    for (const auto& [field, value] : fields.items())
        EXPECT_EQ(file[field], value) << field;
    ASSERT_EQ(file["conditions"].size(), 2u);
    EXPECT_EQ(file["conditions"][1]["text"], "y'+y^2=0");
    EXPECT_EQ(file["conditions"][1]["point"], 3);
    EXPECT_TRUE(file["conditions"][1]["residual"].is_number());
    EXPECT_EQ(file["variables"][0]["degree"], 22);
    EXPECT_EQ(file["variables"][0]["coefficients"].size(), 23u);
    EXPECT_NEAR(file["variables"][0]["coefficients"][1].get<double>(), -0.25, 1e-3);
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

// LaTeX: the problem in comments, then the series as one formula, a term a non-zero coefficient
// with 15 significant digits (the first line names the program's version).
TEST(DataExports, LatexWritesTheSeriesAsAFormula)
{
    Folder dir;
    int status = 0;
    SolveJson({"--example", "exponential", "--export", "latex=" + (dir / "e.tex")}, status);
    ASSERT_EQ(status, 0);
    const std::string tex = Read(dir / "e.tex");
    EXPECT_EQ(tex.substr(tex.find('\n') + 1), R"(% equation: y'-y=0
% condition at 0: y=1
% y(x) on [0, 1]: power series of degree 8 about 0.5, equally spaced collocation
\begin{align*}
y(x) ={}& 1.64872127121643 + 1.64872127090861\,(x - 0.5) + 0.824360635454302\,(x - 0.5)^{2} \\
& + 0.274786902045477\,(x - 0.5)^{3} + 0.0686967255113911\,(x - 0.5)^{4} + 0.0137389216399076\,(x - 0.5)^{5} \\
& + 0.00228982027318527\,(x - 0.5)^{6} + 0.000329639936489705\,(x - 0.5)^{7} + 4.12049922992104 \times 10^{-5}\,(x - 0.5)^{8}
\end{align*}
)");
    // A trigonometric series names its argument.
    SolveJson({"--example", "trig-forced", "--export", "latex=" + (dir / "t.tex")}, status);
    const std::string t = Read(dir / "t.tex");
    EXPECT_NE(t.find("\\sin t"), std::string::npos);
    EXPECT_NE(t.find("\\cos 2t"), std::string::npos);
    EXPECT_NE(t.find("where $t = (x - 1.5)$ (the period is $2\\pi$)."), std::string::npos) << t;
}

// Every export works where Evaluate works: an accurate solution at a degree where the power
// series used to overflow (so CSV, JSON and the series file held 1.#INF and were refused) is
// written by every kind, all asked in one run, the JSON with the power series' readout.
TEST(DataExports, EveryKindWritesAnAccurateSolutionAtHighDegree)
{
    Folder dir;
    std::vector<std::string> args = {"--example", "airy", "--points", "chebyshev", "--degree", "600"};
    json written = json::array();
    for (const std::string kind : {"csv", "json", "latex", "python", "c", "octave"}) {
        const std::string path = dir / ("high-" + kind);
        args.insert(args.end(), {"--export", kind + "=" + path});
        // The file, or the Octave folder's one file a variable.
        written.push_back({{"what", kind}, {"file", kind == "octave" ? path + "/y.m" : path}});
    }
    int status = 0;
    const json run = SolveJson(args, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(run["written"], written);
    for (const json& w : written)
        EXPECT_TRUE(fs::exists(w["file"].get<std::string>())) << w.dump();
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
    };
    const Case cases[] = {
        {{"--export", "python=/nonexistent/folder/y.py"}, "cannot"},
        {{"--export", "octave=" + (dir / "plain")}, "The Octave export goes into a folder"},
        {{"--export", "fortran=" + (dir / "y.f")},
         "--export needs KIND=PATH, KIND one of csv, json, latex, python, c or octave"},
        {{"--export", "python="}, "--export needs KIND=PATH"},
        {{"--format", "xml"}, "--format is text or json"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"solve", "--example", "airy", "--export", "csv=" + (dir / "first.csv")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        std::ostringstream out, err;
        EXPECT_EQ(ode::cli::Run(args, out, err), 2) << c.message;
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
