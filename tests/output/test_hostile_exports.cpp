// Problems of every kind whose texts try to break out of the exports (a Python docstring
// closed early, a C comment ended, a LaTeX command, spreadsheet formulas, a NUL, bytes that are
// not UTF-8) and whose names are the target languages' own words. Every export is written, then
// imported, compiled and run (one python3, gcc and octave run for all the problems), parsed or
// read back: nothing in a text runs, every value of the code exports is the solution's to the bit
// and shows Evaluate's digits, and the texts come back as they are (with U+FFFD for a byte that
// is not UTF-8).
#include "cli/Results.h"
#include "common/FileIO.h"
#include "common/NumberFormat.h"
#include "equations/BoxChecks.h"
#include "linear/LinearProblems.h"
#include "output/ExportText.h"
#include "output/Exports.h"
#include "output/Json.h"
#include "session/SessionTools.h"

#include "ExportTools.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace {

using namespace ode;
using namespace std::string_literals;
namespace fs = std::filesystem;
using nlohmann::json;

// What the hostile texts would create if anything in them ran: "touch PWNED" (and "touch P",
// spelled with chr() so that it needs no quote the equation language would read).
const char* const kMarks[] = {"PWNED", "P"};

const std::string kEscape = R"(""" + str(__import__(chr(111)+chr(115)).system(chr(116)+chr(111)+chr(117)+chr(99)+)"
                            R"(chr(104)+chr(32)+chr(80))) + """)";
// A constant's comment may hold anything but a line break: everything at once.
const std::string kEverything = "k=2 ' \"\"\" + str(__import__('os').system('touch PWNED')) + \"\"\" "
                                "*/ int main(void) { system(\"touch PWNED\"); } /* ?\?/ "
                                "\\input{/etc/passwd}\\immediate\\write18{touch PWNED} % $x$ "
                                "=HYPERLINK(\"http://x\") +1 -1 @SUM(A1) \tcaf\xC3\xA9 \xE9 \x01\x7f\xC2\x85"
                                "\xE2\x80\xA8\xE2\x80\xAE end"s +
                                std::string("\0 after NUL", 11);
// A text no box or file gives (a line break in it), as a damaged file might one day: added to
// each solution after the solve, the exports must keep it out of their comments too.
const std::string kLineBreaks = "j=1\nsystem('touch PWNED')\r\n%{\n*/ system(\"touch PWNED\"); /*\n\\write18{x}";

struct Problem {
    const char* tag;
    ProblemKind kind;
    bool chebyshev;
    std::string indep;
    std::vector<std::string> names;
    std::vector<std::string> equations;
    std::vector<std::string> conditions; // all at 0
    std::string xlower, xupper, terms;
    std::vector<std::string> constants;
    std::vector<double> points;
    int maxDerivative;
    bool autoDegree = false; // the accurate method's degree grows from `terms`
    friend void PrintTo(const Problem& p, std::ostream* os) { *os << p.tag; }
};

// Python: range, float, lambda, print, input; C: asm, typeof, printf, y1, linux, unix; Octave:
// parfor, spmd and every "end..." keyword. The trigonometric series have an odd and an even number
// of terms; the accurate single equation grows its degree.
// clang-format off
const Problem kProblems[] = {
    {"LinearPower", ProblemKind::LinearPower, false, "endproperties", {"range"},
     {"range''+range=0*Len(\"$ % =SUM(1) +1 -1 @A1 */ /* caf\xC3\xA9 \xE9\")"},
     {"range=1+0*Len(" + kEscape + ")+0*(7\\N)", "-range'=0"},
     "-2", "2", "24", {"N=2", kEverything}, {-1.5, 0, 1.25}, 3},
    {"LinearTrig", ProblemKind::LinearTrig, false, "endarguments", {"asm"},
     {"asm''+0.5*asm'+4*asm=cos(endarguments)+0*Len(\"a\"\"\"\"\"\" */ \xE9\")"},
     {"asm=12/37+0*(7\\N)", "+asm'=2/37"},
     "0", "6", "15", {"N=3", kEverything}, {0.5, 4}, 3},
    {"NonlinearPower", ProblemKind::NonlinearPower, false, "typeof", {"parfor"},
     {"parfor'-r*parfor*(1-parfor)=0*Len(\"\\N \x01\x7f\xC2\x85\")"},
     {"parfor=0.5+0*Len(" + kEscape + ")"},
     "0", "2", "10", {"r=1", kEverything}, {0.25, 1.5}, 2},
    {"NonlinearTrig", ProblemKind::NonlinearTrig, false, "spmd", {"lambda"},
     {"lambda''+lambda^3=cos(spmd)^3-cos(spmd)+0*Len(\"*/ \xE9\")"},
     {"lambda=1", "lambda'=0+0*Len(\"=1+1\")"},
     "0", "6.28318530717959", "8", {kEverything}, {1, 3}, 2},
    {"LinearSystem", ProblemKind::LinearSystem, false, "endspmd", {"endclassdef", "printf", "y1", "endparfor"},
     {"endclassdef'+printf=0", "-endclassdef+printf'=0*Len(\"\xE9 */\")", "y1'-y1=0", "endparfor'+endparfor=0"},
     {"endclassdef=1", "printf=0+0*Len(" + kEscape + ")", "y1=1", "endparfor=1"},
     "0", "2", "16", {kEverything}, {0.5, 2}, 2},
    {"NonlinearSystem", ProblemKind::NonlinearSystem, false, "endenumeration", {"endevents", "endmethods", "float"},
     {"endevents'+endmethods*(endevents^2+endmethods^2)=0", "endmethods'-endevents*(endevents^2+endmethods^2)=0",
      "float'-float=0*Len(\"@x \xE9\")"},
     {"endevents=1", "endmethods=0+0*Len(" + kEscape + ")", "float=1"},
     "0", "1", "9", {kEverything}, {0.5}, 2},
    {"AccurateLinear", ProblemKind::LinearPower, true, "print", {"linux"},
     {"linux''-print*linux=0*Len(\"\\input{x} \xE9\")"},
     {"linux=0.355028053887817+0*Len(" + kEscape + ")", "linux'=-0.258819403792807"},
     "-2", "2", "30", {kEverything}, {-1, 1.5}, 3, true},
    {"AccurateSystem", ProblemKind::LinearSystem, true, "typeof", {"input", "unix"},
     {"input''+unix=0", "-input+unix'=0*Len(\"*/ \xE9\")"},
     {"input=1", "input'=-1", "unix=-1+0*Len(" + kEscape + ")"},
     "0", "2", "16", {kEverything}, {1}, 2},
    // A degree where the order of the sums decides the last bits.
    {"HighDegree", ProblemKind::LinearPower, false, "x", {"y"}, {"y''+y=0"}, {"y=0", "y'=1"},
     "0", "6", "175", {}, {0.5, 3}, 4},
};
// clang-format on

std::string Joined(const std::vector<std::string>& names)
{
    std::string out;
    for (const std::string& n : names)
        out += (out.empty() ? "" : ",") + n;
    return out;
}

// The boxes of every kind's form.
template <typename Texts> void SetShared(const Problem& p, Texts& b)
{
    b.indepVarName = p.indep;
    b.bcText = p.conditions;
    b.bcPoint.assign(p.conditions.size(), "0");
    b.xlower = p.xlower;
    b.xupper = p.xupper;
    b.expansion = "*";
    b.terms = p.terms;
    b.constants = p.constants;
}

template <typename Texts> void SetSingle(const Problem& p, Texts& b)
{
    SetShared(p, b);
    b.order = std::to_string(p.conditions.size());
    b.depVarName = p.names[0];
    b.equation = p.equations[0];
    b.period = "*";
}

// The problem solved by its kind's session, as the form would (zero start for the nonlinear
// kinds), with what Evaluate shows at each of its points and orders: `shown[point][order]`, one
// value a variable. `m.messages` gets what the session said.
std::optional<Solution> Solve(const Problem& p, std::vector<std::vector<std::vector<double>>>& shown,
                              ode::test::Made& m)
{
    Session& session = ode::test::Open(m, p.kind);
    const auto iterate = [](auto& b, const std::string& start) {
        b.errorD = b.errorC = "1E-9";
        b.maxcy = "30";
        b.approximation = start;
    };
    const auto solve = [&](auto& s) {
        s.method = p.chebyshev ? CollocationMethod::Chebyshev : CollocationMethod::EquallySpaced;
        s.autoDegree = p.autoDegree;
        if (!s.solve())
            m.messages.insert(m.messages.end(), s.lstCoeff().begin(), s.lstCoeff().end());
        for (double x : p.points) {
            shown.emplace_back();
            for (int d = 0; d <= p.maxDerivative; ++d) {
                s.boxes.xestimation = FormatShortest(x);
                s.boxes.derNum = std::to_string(d);
                EXPECT_TRUE(s.evaluate()) << p.tag;
                EXPECT_EQ(s.evaluatedValues().size(), p.names.size()) << p.tag;
                shown.back().push_back(s.evaluatedValues());
            }
        }
        return DescribeSolution(s);
    };
    if (auto* s = dynamic_cast<LinearSession*>(&session)) {
        SetSingle(p, s->boxes);
        return solve(*s);
    }
    if (auto* s = dynamic_cast<NonlinearSession*>(&session)) {
        SetSingle(p, s->boxes);
        iterate(s->boxes, kApproximationItems[0]);
        return solve(*s);
    }
    auto& s = dynamic_cast<SystemSession&>(session);
    SetShared(p, s.boxes);
    s.boxes.numDE = std::to_string(p.equations.size());
    s.boxes.numBC = std::to_string(p.conditions.size());
    s.boxes.depVarNames = Joined(p.names);
    s.boxes.equations = p.equations;
    iterate(s.boxes, kSystemApproximationItems[0]);
    return solve(s);
}

using ode::test::CsvRows;
using ode::test::Have;
using ode::test::Read;

// Runs `command` in `folder`: its output (stderr too), `ok` false when it failed.
std::string Shell(const fs::path& folder, const std::string& command, bool& ok)
{
    return ode::test::Shell("cd '" + folder.string() + "' && " + command, ok);
}

// Each text of a solution with its label, as the exports write them.
std::vector<std::pair<std::string, std::string>> Texts(const Solution& s)
{
    std::vector<std::pair<std::string, std::string>> texts;
    for (const std::string& e : s.equations)
        texts.emplace_back("equation: ", e);
    for (const SolvedCondition& c : s.conditions)
        texts.emplace_back("condition at " + FormatNumber(c.point) + ": ", c.text);
    for (const std::string& k : s.constants)
        texts.emplace_back("constant: ", k);
    return texts;
}

// Each text of the solution in `file` on a comment line after `lead`, or left out there when the
// language's comment cannot hold it.
void ExpectComments(const std::string& file, const std::string& lead, ExportKind language, const Solution& s)
{
    for (const auto& [label, text] : Texts(s)) {
        const std::optional<std::string> shown = CommentText(text, language);
        EXPECT_NE(file.find(lead + label + (shown ? *shown + "\n" : "[left out")), std::string::npos) << label << text;
    }
}

// Each of the language's own words that is a valid name is written with a "_" after it.
void ExpectOwnWordsAvoided(const std::vector<std::string>& words, ExportKind language)
{
    for (const std::string& word : words)
        if (IsValidName(word)) {
            EXPECT_EQ(CodeName(word, language), word + "_");
        }
}

// No raw control character: only line feeds (and the tab of the LaTeX and code files' own
// text, none here), no DEL, no C1 control, no U+2028/2029, and valid UTF-8.
void ExpectNoRawControl(const std::string& text, const std::string& what)
{
    EXPECT_EQ(ValidUtf8(text), text) << what << " is not valid UTF-8";
    for (size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        EXPECT_FALSE((b < 0x20 && b != '\n') || b == 0x7F) << what << ": byte " << int(b) << " at " << i;
        if (b == 0xC2 && i + 1 < text.size()) {
            EXPECT_FALSE(static_cast<unsigned char>(text[i + 1]) <= 0x9F) << what << ": a C1 control at " << i;
        }
        if (b == 0xE2 && i + 2 < text.size() && text[i + 1] == '\x80') {
            EXPECT_FALSE(text[i + 2] == '\xA8' || text[i + 2] == '\xA9' || text[i + 2] == '\xAE')
                << what << ": a separator or override at " << i;
        }
    }
}

struct Solved {
    const Problem* problem;
    Solution solution;
    std::vector<std::vector<std::vector<double>>> shown; // Evaluate's [point][order][variable]
    fs::path folder;
    std::string module; // the Python module and the C file's stem
};

// One value asked of every code export: a variable's derivative at the problem's point x.
struct Ask {
    size_t solved, variable, point;
    double x;
    int derivative;
};

class HostileExports : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_root = fs::temp_directory_path() / ("odeseries-hostile-exports-" + std::to_string(::getpid()));
        fs::remove_all(s_root);
        fs::create_directories(s_root);
        for (const Problem& p : kProblems) {
            ode::test::Made m;
            Solved one{&p, {}, {}, s_root / p.tag, "case_"s + p.tag};
            std::optional<Solution> s = Solve(p, one.shown, m);
            ASSERT_TRUE(s) << p.tag << " is not solved: " << (m.messages.empty() ? "" : m.messages.front());
            one.solution = *s;
            one.solution.constants.push_back(kLineBreaks);
            fs::create_directories(one.folder);
            s_solved.push_back(one);
        }
        for (size_t i = 0; i < s_solved.size(); ++i) {
            const Solved& s = s_solved[i];
            for (size_t j = 0; j < s.solution.variables.size(); ++j)
                for (size_t k = 0; k < s.problem->points.size(); ++k)
                    for (int d = 0; d <= s.problem->maxDerivative; ++d)
                        s_asks.push_back({i, j, k, s.problem->points[k], d});
        }
    }
    static void TearDownTestSuite() { fs::remove_all(s_root); }

    void TearDown() override
    {
        // Whatever ran, no hostile text did: none of the files they would make exists.
        for (const auto& entry : fs::recursive_directory_iterator(s_root))
            for (const char* mark : kMarks)
                EXPECT_NE(entry.path().filename().string(), mark) << entry.path();
    }

    static std::string Write(const Solved& s, ExportKind kind, const std::string& name, int grid = 0)
    {
        std::string error;
        ExportOptions options;
        options.gridIntervals = grid;
        const std::string path = (s.folder / name).string();
        EXPECT_TRUE(WriteExport(s.solution, kind, path, options, error)) << s.problem->tag << ": " << error;
        return path;
    }
    static double Expected(const Ask& a)
    {
        return VariableDerivative(s_solved[a.solved].solution, a.variable, a.derivative, a.x);
    }
    // The call of the asked function in `language`.
    static std::string Call(const Ask& a, ExportKind language)
    {
        return CodeName(s_solved[a.solved].solution.variables[a.variable].name, language) + "(" + FormatShortest(a.x) +
               ", " + std::to_string(a.derivative) + ")";
    }
    static std::string Where(const Ask& a)
    {
        return std::string(s_solved[a.solved].problem->tag) + " variable " + std::to_string(a.variable) + " at " +
               FormatShortest(a.x) + ", order " + std::to_string(a.derivative);
    }
    // Every printed value, one a line: Evaluate's digits, and every bit of the solution's value.
    static void ExpectValues(const std::string& output, const std::string& language)
    {
        std::istringstream lines(output);
        for (const Ask& a : s_asks) {
            std::string line;
            ASSERT_TRUE(std::getline(lines, line)) << language << " printed too little:\n" << output;
            const double value = std::strtod(line.c_str(), nullptr);
            EXPECT_EQ(value, Expected(a)) << language << ", " << Where(a) << ": " << line;
            EXPECT_EQ(FormatNumber(value),
                      FormatNumber(s_solved[a.solved].shown.at(a.point).at(a.derivative).at(a.variable)))
                << language << ", " << Where(a);
        }
    }

    static inline fs::path s_root;
    static inline std::vector<Solved> s_solved;
    static inline std::vector<Ask> s_asks;
};

TEST_F(HostileExports, PythonImportsEveryModuleAndItsDocstringHoldsTheTexts)
{
    ASSERT_TRUE(Have("python3"));
    std::string script = "import builtins, importlib, json, keyword, sys\nsys.path.insert(0, '.')\n"
                         "print(json.dumps(sorted(set(keyword.kwlist + keyword.softkwlist + dir(builtins)))))\n"
                         "modules = {}\n";
    for (const Solved& s : s_solved) {
        fs::copy_file(Write(s, ExportKind::Python, "e.py"), s_root / (s.module + ".py"));
        script += "modules['" + s.module + "'] = importlib.import_module('" + s.module + "')\n";
        script += "print(json.dumps(modules['" + s.module + "'].__doc__))\n";
    }
    for (const Ask& a : s_asks)
        script += "print(repr(modules['" + s_solved[a.solved].module + "']." + Call(a, ExportKind::Python) + "))\n";
    std::ofstream(s_root / "run.py") << script;
    bool ok = false;
    const std::string out = Shell(s_root, "python3 -I run.py", ok);
    ASSERT_TRUE(ok) << out;
    std::istringstream lines(out);
    std::string line;
    // Every keyword and built-in of this python3 that is a valid name gets its "_".
    ASSERT_TRUE(std::getline(lines, line));
    ExpectOwnWordsAvoided(json::parse(line).get<std::vector<std::string>>(), ExportKind::Python);
    for (const Solved& s : s_solved) {
        ASSERT_TRUE(std::getline(lines, line));
        const std::string doc = json::parse(line);
        for (const auto& [label, text] : Texts(s.solution)) {
            const std::string back = label + ValidUtf8(text) + "\n";
            EXPECT_NE(doc.find(back), std::string::npos) << s.problem->tag << ": " << back << "\nnot in\n" << doc;
        }
    }
    std::string rest((std::istreambuf_iterator<char>(lines)), std::istreambuf_iterator<char>());
    ExpectValues(rest, "Python");
}

TEST_F(HostileExports, CCompilesStrictlyBesideTheStandardHeadersAndGivesEvaluatesBits)
{
    ASSERT_TRUE(Have("cc"));
    std::string driver = "#include <math.h>\n#include <stdio.h>\n#include <stdlib.h>\n#include <string.h>\n"
                         "#include <errno.h>\n#include <ctype.h>\n#include <time.h>\n";
    std::string files;
    for (const Solved& s : s_solved) {
        const std::string source = Read(Write(s, ExportKind::C, s.module + ".c"));
        ExpectNoRawControl(source, s.problem->tag + ".c"s);
        files += " '" + (s.folder / (s.module + ".c")).string() + "'";
        for (const SolvedVariable& v : s.solution.variables)
            driver += "double " + CodeName(v.name, ExportKind::C) + "(double, int);\n";
    }
    driver += "int main(void)\n{\n";
    for (const Ask& a : s_asks)
        driver += "    printf(\"%.17g\\n\", " + Call(a, ExportKind::C) + ");\n";
    driver += "    return 0;\n}\n";
    std::ofstream(s_root / "main.c") << driver;
    bool ok = false;
    const std::string flags = " -Wall -Wextra -Werror -pedantic -O2 -ffp-contract=off ";
    // The GNU dialect declares more of the library (j0, y1 ...) and predefines linux and unix.
    const std::string gnu = Shell(s_root, "cc -std=gnu17 -fsyntax-only" + flags + "main.c" + files, ok);
    ASSERT_TRUE(ok) << gnu;
    const std::string build = Shell(s_root, "cc -std=c99" + flags + "-o run main.c" + files + " -lm", ok);
    ASSERT_TRUE(ok) << build;
    const std::string out = Shell(s_root, "./run", ok);
    ASSERT_TRUE(ok) << out;
    ExpectValues(out, "C");
}

TEST_F(HostileExports, OctaveRunsEveryFolderWithoutShadowingAnything)
{
    if (!Have("octave"))
        GTEST_SKIP() << "octave is installed by scripts/install-deps";
    std::string script = "printf('%s ', iskeyword(){:}); printf('\\n');\n", which;
    for (const Solved& s : s_solved) {
        const std::string folder = Write(s, ExportKind::Octave, "octave");
        for (const SolvedVariable& v : s.solution.variables) {
            const std::string name = CodeName(v.name, ExportKind::Octave);
            const std::string m = Read(folder + "/" + name + ".m");
            ExpectNoRawControl(m, name + ".m");
            ExpectComments(m, "  % ", ExportKind::Octave, s.solution);
            // Each function found is the export's own file.
            which += "printf('%s\\n', which('" + name + "'));\n";
        }
        script += "addpath('" + folder + "');\n";
    }
    script += which;
    for (const Ask& a : s_asks)
        script += "printf('%.17g\\n', " + Call(a, ExportKind::Octave) + ");\n";
    std::ofstream(s_root / "hostile_check.m") << script;
    bool ok = false;
    const std::string out = Shell(s_root, "octave --no-gui --no-window-system --quiet --norc hostile_check.m", ok);
    ASSERT_TRUE(ok) << out;
    EXPECT_EQ(out.find("warning"), std::string::npos) << out; // a shadowed function is warned of
    std::istringstream lines(out);
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    std::istringstream keywords(line);
    ExpectOwnWordsAvoided({std::istream_iterator<std::string>(keywords), {}}, ExportKind::Octave);
    for (const Solved& s : s_solved)
        for (const SolvedVariable& v : s.solution.variables) {
            ASSERT_TRUE(std::getline(lines, line));
            EXPECT_EQ(line, (s.folder / "octave" / (CodeName(v.name, ExportKind::Octave) + ".m")).string());
        }
    std::string rest((std::istreambuf_iterator<char>(lines)), std::istreambuf_iterator<char>());
    ExpectValues(rest, "Octave");
}

TEST_F(HostileExports, JsonHoldsTheTextsAndNoRawControl)
{
    const auto valid = [](const std::vector<std::string>& texts) {
        json out = json::array();
        for (const std::string& t : texts)
            out.push_back(ValidUtf8(t));
        return out;
    };
    for (const Solved& s : s_solved) {
        const std::string text = Read(Write(s, ExportKind::Json, "e.json"));
        ExpectNoRawControl(text, s.problem->tag + ".json"s);
        const json j = json::parse(text);
        EXPECT_EQ(j["equations"], valid(s.solution.equations));
        EXPECT_EQ(j["constants"], valid(s.solution.constants));
        for (size_t c = 0; c < s.solution.conditions.size(); ++c)
            EXPECT_EQ(j["conditions"][c]["text"], ValidUtf8(s.solution.conditions[c].text));
        for (size_t v = 0; v < s.solution.variables.size(); ++v) {
            EXPECT_EQ(j["variables"][v]["name"], s.solution.variables[v].name);
            EXPECT_EQ(j["variables"][v]["coefficients"].get<std::vector<double>>(), s.solution.variables[v].coef);
        }
    }
    // The command line's --format json: a file name and list lines that are not UTF-8 too.
    std::ostringstream out;
    auto results = cli::JsonResults(out);
    results->begin("caf\xE9\x7f", false);
    results->list("lstCoeff", {"y(0)=1 \xC2\x85\x01 \xE9"});
    results->solution(s_solved.front().solution);
    results->messages() << "odeseries: The file caf\xE9 cannot be read.\n";
    results->end(0);
    ExpectNoRawControl(out.str().substr(0, out.str().size() - 1), "--format json");
    const json run = json::parse(out.str());
    EXPECT_EQ(run["file"], "caf\xEF\xBF\xBD\x7f");
    EXPECT_EQ(run["lists"]["lstCoeff"][0], "y(0)=1 \xC2\x85\x01 \xEF\xBF\xBD");
    EXPECT_EQ(run["messages"][0], "The file caf\xEF\xBF\xBD cannot be read.");
    EXPECT_EQ(run["solution"]["constants"].back(), kLineBreaks);
}

TEST_F(HostileExports, CsvHoldsOnlyCheckedNamesAndNumbers)
{
    const std::regex name(R"([A-Za-z][A-Za-z0-9_]*'*)");
    for (const Solved& s : s_solved) {
        Write(s, ExportKind::Csv, "e.csv", 4);
        const auto coefficients = CsvRows(Read((s.folder / "e.csv").string())),
                   grid = CsvRows(Read((s.folder / "e-grid.csv").string()));
        for (const auto* table : {&coefficients, &grid})
            for (const auto& row : *table)
                for (const std::string& field : row) {
                    // A name in its checked form, or a number a spreadsheet reads as one.
                    char* end = nullptr;
                    std::strtod(field.c_str(), &end);
                    const bool number =
                        !field.empty() && *end == '\0' && field.find_first_of("=@\t\r") == std::string::npos;
                    EXPECT_TRUE(number || std::regex_match(field, name)) << s.problem->tag << ": " << field;
                }
        // The coefficients exactly, under the names' checked forms.
        size_t row = 1;
        for (const SolvedVariable& v : s.solution.variables)
            for (size_t k = 0; k < v.coef.size(); ++k, ++row) {
                ASSERT_LT(row, coefficients.size());
                EXPECT_EQ(coefficients[row][0], CodeName(v.name, ExportKind::Csv));
                EXPECT_EQ(coefficients[row][1], std::to_string(k));
                EXPECT_EQ(std::strtod(coefficients[row][2].c_str(), nullptr), v.coef[k]);
            }
        // The grid: Evaluate's values at its points.
        ASSERT_EQ(grid.size(), 6u);
        for (size_t r = 1; r < grid.size(); ++r) {
            const double x = std::strtod(grid[r][0].c_str(), nullptr);
            size_t column = 1;
            for (size_t j = 0; j < s.solution.variables.size(); ++j)
                for (int d = 0; d <= s.solution.variables[j].order; ++d, ++column)
                    EXPECT_EQ(std::strtod(grid[r][column].c_str(), nullptr), VariableDerivative(s.solution, j, d, x))
                        << s.problem->tag << " row " << r << " column " << column;
        }
    }
}

TEST_F(HostileExports, LatexHoldsTextsOnlyInCommentsAndItsNumbersReadBack)
{
    // Outside comments: the formula's own commands and characters, nothing else.
    const std::regex formula(R"(([A-Za-z0-9 _{}()^.,+=&*$/-]|\\(begin|end|times|sin|cos|pi|_|,|\\))*)");
    const std::regex term(R"((\d+(?:\.\d*)?)(?: \\times 10\^\{(-?\d+)\})?)");
    for (const Solved& s : s_solved) {
        const std::string tex = Read(Write(s, ExportKind::Latex, "e.tex"));
        ExpectNoRawControl(tex, s.problem->tag + ".tex"s);
        std::istringstream lines(tex);
        std::string body;
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("%", 0) == 0)
                continue;
            EXPECT_TRUE(std::regex_match(line, formula)) << s.problem->tag << ": " << line;
            body += line + "\n";
        }
        ExpectComments(tex, "% ", ExportKind::Latex, s.solution);
        // Each variable's non-zero coefficients, in order, to the 15 digits written.
        size_t at = 0;
        for (const SolvedVariable& v : s.solution.variables) {
            const std::string head = v.name + "(" + s.solution.indepVarName + ") ={}& ";
            at = body.find(head, at);
            ASSERT_NE(at, std::string::npos) << head;
            at += head.size();
            const size_t end = body.find("\\end{align*}", at);
            const std::string formula = body.substr(at, end - at);
            // The terms, cut at the signs between them (not at those inside a basis' brackets).
            std::vector<std::pair<double, std::string>> terms(1, {1.0, ""});
            int depth = 0;
            for (size_t k = 0; k < formula.size(); ++k) {
                const char ch = formula[k];
                depth += (ch == '(' || ch == '{') - (ch == ')' || ch == '}');
                if (depth == 0 && (ch == '+' || ch == '-') && (k == 0 || formula[k - 1] == ' ') &&
                    k + 1 < formula.size() && formula[k + 1] == ' ')
                    terms.push_back({ch == '-' ? -1.0 : 1.0, ""});
                else
                    terms.back().second += ch;
            }
            std::vector<double> read;
            for (const auto& [sign, text] : terms) {
                std::smatch m;
                const size_t first = text.find_first_not_of(" \\\n&");
                if (first == std::string::npos)
                    continue;
                const std::string rest = text.substr(first);
                ASSERT_TRUE(std::regex_search(rest, m, term, std::regex_constants::match_continuous)) << rest;
                read.push_back(sign * std::stod(m[1]) * (m[2].matched ? std::pow(10.0, std::stoi(m[2])) : 1.0));
            }
            std::vector<double> nonzero;
            for (double c : v.coef)
                if (c != 0)
                    nonzero.push_back(c);
            ASSERT_EQ(read.size(), nonzero.size()) << s.problem->tag << " " << v.name << ":\n" << formula;
            for (size_t k = 0; k < read.size(); ++k)
                EXPECT_NEAR(read[k], nonzero[k], 1e-14 * std::fabs(nonzero[k])) << s.problem->tag << " term " << k;
        }
    }
}

// The plot and the pictures draw each variable from the one plot input a solution gives: the
// curve of every variable and derivative is Evaluate's, and the legend names the variables.
TEST_F(HostileExports, ThePlotInputDrawsWhatEvaluateGives)
{
    for (const Ask& a : s_asks) {
        const Solution& s = s_solved[a.solved].solution;
        const plot::PlotSource source = PlotSourceOf(s);
        ASSERT_EQ(source.lastVar() + 1, static_cast<int>(s.variables.size()));
        EXPECT_EQ(source.depVarNames[a.variable], s.variables[a.variable].name);
        const double expected = Expected(a);
        EXPECT_NEAR(source.curveFunction(static_cast<int>(a.variable), a.derivative)(a.x), expected,
                    1e-12 * (1 + std::fabs(expected)))
            << Where(a);
    }
}

// Every kind's solution carries each condition's residual as a number, the one its list shows.
TEST_F(HostileExports, EveryConditionCarriesTheResidualItsListShows)
{
    for (const Solved& one : s_solved) {
        const Solution& s = one.solution;
        const std::string list = ode::test::Joined(s.lstBCError);
        for (size_t b = 0; b < s.conditions.size(); ++b) {
            const std::optional<double> residual = s.conditions[b].residual;
            ASSERT_TRUE(residual) << one.problem->tag << " condition " << b + 1;
            EXPECT_NE(list.find("=" + FormatNumber(*residual) + "\n"), std::string::npos)
                << one.problem->tag << " condition " << b + 1 << ":\n"
                << list;
        }
    }
}

} // namespace
