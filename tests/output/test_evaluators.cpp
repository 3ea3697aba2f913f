// The code exports' evaluators, kept as files of their own languages, read by those languages'
// own tools: Python's compiler and pyflakes, a strict C compiler, Octave's parser. A tool that is
// not installed makes its case skipped, never passed. And the C export keeps no writable storage,
// so its functions may run at once on several threads.
#include "ExportTools.h"
#include "cli/CliTools.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using ode::test::kExamples;
const std::string kEvaluators = kExamples + "/../src/output/evaluators/";

struct ToolCase {
    const char* name;
    const char* tool;  // the program the check needs
    const char* files; // the evaluator files, joined into one in this order
    const char* as;    // the joined file's name
    const char* check; // the command, with FILE for the joined file
};

void PrintTo(const ToolCase& c, std::ostream* out) { *out << c.name; }

const char* const kStrictC = "cc -std=c99 -pedantic -Wall -Wextra -Wconversion -Wshadow -Wstrict-prototypes "
                             "-Wno-unused-function -Werror -fsyntax-only FILE";

const ToolCase kToolCases[] = {
    {"PythonCompiles", "python3", "evaluators.py", "evaluators.py", "python3 -m py_compile FILE"},
    {"PythonHasNoFlaws", "pyflakes3", "evaluators.py", "evaluators.py", "pyflakes3 FILE"},
    {"CPower", "cc", "declarations.c power.c", "power.c", kStrictC},
    {"CTrigonometric", "cc", "declarations.c trig.c", "trig.c", kStrictC},
    {"CChebyshev", "cc", "declarations.c chebyshev.c", "chebyshev.c", kStrictC},
    {"OctaveParses", "octave", "evaluators.m", "power_series.m",
     "octave --no-gui --no-window-system --quiet --norc --eval \"__parse_file__('FILE')\""},
};

class EvaluatorFiles : public testing::TestWithParam<ToolCase> {};

TEST_P(EvaluatorFiles, PassTheirLanguagesTools)
{
    const ToolCase& c = GetParam();
    if (!ode::test::Have(c.tool))
        GTEST_SKIP() << c.tool << " is not installed (scripts/install-deps installs it)";
    const ode::test::ScratchFolder dir("evaluators");
    std::string joined;
    std::istringstream files(c.files);
    for (std::string file; files >> file;) {
        const std::string text = ode::test::ReadText(kEvaluators + file);
        ASSERT_FALSE(text.empty()) << file;
        joined += text;
    }
    std::string command = c.check;
    command.replace(command.find("FILE"), 4, dir.file(c.as));
    std::ofstream(dir.file(c.as), std::ios::binary) << joined;
    bool ok = false;
    const std::string out = ode::test::Shell(command, ok);
    EXPECT_TRUE(ok) << out;
    // Octave 7 says this on leaving after --eval, whatever it evaluated.
    std::string said;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);)
        if (line != "error: ignoring const execution_exception& while preparing to exit")
            said += line + "\n";
    EXPECT_EQ(said, "");
}

INSTANTIATE_TEST_SUITE_P(Exports, EvaluatorFiles, testing::ValuesIn(kToolCases),
                         [](const testing::TestParamInfo<ToolCase>& info) { return std::string(info.param.name); });

// Every series kind's C export, compiled as its comment says: only code and read-only tables.
TEST(CExport, KeepsNoWritableStorage)
{
    if (!ode::test::Have("cc") || !ode::test::Have("nm"))
        GTEST_SKIP() << "cc and nm are installed with the build";
    const ode::test::ScratchFolder dir("c-storage");
    const std::vector<std::vector<std::string>> solves = {
        {"airy"}, {"trig-default"}, {"airy", "--points", "chebyshev"}, {"system-exponential", "--points", "chebyshev"}};
    for (const auto& solve : solves) {
        std::vector<std::string> args = {kExamples + "/" + solve[0], "--export", "c=" + dir.file("s.c")};
        args.insert(args.end(), solve.begin() + 1, solve.end());
        int status = 0;
        std::string err;
        ode::test::Solve(args, status, &err);
        // The accurate system at its typed degree 16 is not converged (status 3); it stands all the same.
        ASSERT_EQ(status, solve[0] == "system-exponential" ? 3 : 0) << err;
        const std::string symbols =
            ode::test::RunShell("cc -std=c99 -pedantic -Wall -Wextra -Werror -ffp-contract=off -c " + dir.file("s.c") +
                                    " -o " + dir.file("s.o") + " 2>&1 && nm " + dir.file("s.o"),
                                status);
        ASSERT_EQ(status, 0) << symbols;
        std::istringstream lines(symbols);
        for (std::string line; std::getline(lines, line);) {
            const std::string kind = line.size() > 17 ? line.substr(17, 1) : "";
            EXPECT_TRUE(kind.find_first_of("bBdDcC") == std::string::npos) << solve[0] << ": " << line;
        }
    }
}

} // namespace
