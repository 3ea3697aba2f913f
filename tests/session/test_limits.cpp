// The bounds of what a box, an option or a file may ask (common/Limits.h): each is enforced
// alike by the form's rule, the command line's option and the file reader (or, where no file
// holds it, the core's own check), with the same numbers in every message.
#include "cli/Cli.h"
#include "collocation/AccurateFile.h"
#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "equations/BoxChecks.h"
#include "output/Exports.h"
#include "plot/PlotSetup.h"
#include "session/Continuation.h"
#include "support/Scratch.h"
#include "support/SystemProblems.h"

#include "SessionTools.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace {

using namespace ode;
using ode::test::kExamples;
using ode::test::Made;
using ode::test::Open;

// The message `odeseries solve ARGS` refuses `option` with, or "" when the option was taken
// (whatever became of the run afterwards).
std::string OptionRefusal(std::vector<std::string> args, const std::string& option)
{
    args.insert(args.begin(), "solve");
    std::ostringstream out, err;
    const int status = cli::Run(args, out, err);
    const std::string refusal = "odeseries: " + option + " ";
    return status == 2 && err.str().rfind(refusal, 0) == 0 ? err.str() : "";
}

// The refusal of a NAME.acc with these settings, "" when it opens; `settings` what it opened with.
std::string AccurateFileRefusal(const std::string& maxDegree, const std::string& tolerance,
                                AccurateSettings* opened = nullptr)
{
    AccurateSettings settings;
    std::string why;
    const bool read =
        ReadAccurateFile("ODE Series accurate method 1\nmethod chebyshev\nautomatic-degree yes\nmax-degree " +
                             maxDegree + "\ntolerance " + tolerance + "\n",
                         opened ? *opened : settings, why);
    return read ? "" : why;
}

// A continuation whose steps solve at once: how it ended, the steps solved, its message and log.
struct Sweep {
    SweepEnd end;
    int solved = 0;
    std::string message;
    std::vector<std::string> log;
};

// The steps' progress reports say which step of how many each is: `stepsShown` collects them.
Sweep RunSweep(const Continuation& continuation, std::vector<int>* stepsShown = nullptr)
{
    std::shared_ptr<script::Class1> shared;
    Sweep sweep;
    script::ScriptHost host(shared, [&](const std::string& m) { sweep.message = m; });
    host.prepare();
    ContinuationSteps each;
    each.solve = [&](bool, bool, const Progress& at) {
        if (stepsShown)
            stepsShown->push_back(at.info().step);
        return ++sweep.solved > 0;
    };
    each.passes = [] { return std::vector<std::string>{}; };
    each.keep = each.restore = each.stand = [] {};
    each.extrapolate = [](double w) { EXPECT_TRUE(std::isfinite(w)); };
    sweep.end = RunContinuation(continuation, host, each, sweep.log);
    return sweep;
}

// The continuation's own check of its steps: its refusal, or "" when every step was solved.
std::string ContinuationRefusal(double steps)
{
    const Sweep sweep = RunSweep({"lambda", 0, 1, static_cast<int>(steps)});
    EXPECT_EQ(sweep.end.solved, sweep.message.empty());
    if (sweep.end.solved) {
        EXPECT_EQ(sweep.solved, steps + 1);
    }
    return sweep.message;
}

struct Bound {
    const char* name;
    int least, most;
    std::function<bool(double)> box;
    std::string boxRule;
    std::function<std::string(double)> option; // its refusal, "" when taken; none for a box alone
    std::string optionRefusal;
    std::function<std::string(double)> file; // the reader's or the core's refusal, "" when taken
    std::string fileRefusal;
};

void PrintTo(const Bound& b, std::ostream* out) { *out << b.name; }

class Bounds : public ::testing::TestWithParam<Bound> {};

TEST_P(Bounds, TheBoxTheOptionAndTheFileAgree)
{
    const Bound& b = GetParam();
    for (double v : {double(b.least), double(b.most), b.least - 1.0, b.most + 1.0, 10.0 * b.most}) {
        const bool within = v >= b.least && v <= b.most;
        SCOPED_TRACE(FormatNumber(v));
        EXPECT_EQ(b.box(v), within);
        if (b.option) {
            EXPECT_EQ(b.option(v), within ? "" : b.optionRefusal);
        }
        if (b.file) {
            EXPECT_EQ(b.file(v), within ? "" : b.fileRefusal);
        }
    }
}

const Bound kBounds[] = {
    {"AutomaticDegree", kMinAutoDegree, kMaxAutoDegree, [](double v) { return CheckMaxDegreeText(FormatNumber(v)); },
     "The largest degree must be a whole number from 2 to 100000.",
     [](double v) {
         return OptionRefusal({kExamples + "/airy-solved", "--points", "chebyshev", "--degree", "auto", "--max-degree",
                               FormatNumber(v), "--no-solve"},
                              "--max-degree");
     },
     "odeseries: --max-degree needs a whole number from 2 to 100000\n",
     [](double v) { return AccurateFileRefusal(FormatNumber(v), "1e-13"); },
     "line 4: the maximum degree must be a whole number from 2 to 100000."},
    {"ContinuationSteps", 1, kMaxContinuationSteps, [](double v) { return CheckContinuationSteps(v); },
     "The steps must be a whole number from 1 to 1000.",
     [](double v) {
         return OptionRefusal({kExamples + "/bratu", "--points", "chebyshev", "--continue",
                               "lambda=0:1:" + FormatNumber(v), "--no-solve"},
                              "--continue");
     },
     "odeseries: --continue needs NAME=FROM:TO:STEPS, with 1 to 1000 steps\n", ContinuationRefusal,
     "The continuation needs the name of a constant, the values it goes from and to, and from 1 to 1000 steps."},
    {"GridIntervals", 1, kMaxGridIntervals, [](double v) { return CheckGridIntervalsText(FormatNumber(v), 1); }, "",
     [](double v) {
         // An unsolved problem: a grid the option takes ends in "there is no solution to export".
         return OptionRefusal({kExamples + "/airy", "--no-solve", "--export", "csv=/nonexistent/grid.csv",
                               "--export-grid", FormatNumber(v)},
                              "--export-grid");
     },
     "odeseries: --export-grid needs a whole number of intervals from 1 to 1000000\n", nullptr, ""},
    {"PlotStep", 1, kMaxPlotStep, [](double v) { return plot::CheckPlotStep(FormatNumber(v)); },
     "The plot step is a whole number of pixels from 1 to 80.", nullptr, "", nullptr, ""},
};

INSTANTIATE_TEST_SUITE_P(Limits, Bounds, ::testing::ValuesIn(kBounds),
                         [](const ::testing::TestParamInfo<Bound>& info) { return std::string(info.param.name); });

// A step below the rounding of the constant's value would not move it: the sweep goes to its
// end instead of solving one value again and again (and extrapolating through 0/0).
TEST(Limits, AContinuationStepTooSmallToMoveTheValueGoesToTheEnd)
{
    const Sweep sweep = RunSweep({"lambda", 1e6, 1e6 + 1e-9, 1000});
    EXPECT_TRUE(sweep.end.solved);
    EXPECT_EQ(sweep.solved, 2);
    EXPECT_EQ(sweep.log.back(), "CONTINUATION ENDED AT lambda=" + FormatNumber(1e6 + 1e-9));
    // A sweep from a value to itself has no length: one step, shown as the last (its share of
    // the way was 0/0).
    std::vector<int> shown;
    const Sweep still = RunSweep({"lambda", 2, 2, 4}, &shown);
    EXPECT_TRUE(still.end.solved);
    EXPECT_EQ(shown, std::vector<int>{4});
}

// The automatic degree's tolerance: what the box takes, --tol and NAME.acc take, and the other
// way round.
TEST(Limits, TheToleranceBoxTheOptionAndTheFileAgree)
{
    for (const char* text : {"1E-13", "0.5", "0.999", "1", "0", "-1E-13", "2", "1E-300"}) {
        SCOPED_TRACE(text);
        const bool box = CheckTolerance(ParseNumber(text));
        const std::string option = OptionRefusal(
            {kExamples + "/airy-solved", "--points", "chebyshev", "--degree", "auto", "--tol", text, "--no-solve"},
            "--tol");
        EXPECT_EQ(option.empty(), box) << option;
        const std::string file = AccurateFileRefusal("1000", text);
        EXPECT_EQ(file.empty(), box) << file;
    }
}

// What the degree box of a problem's form takes, --degree takes, and what it refuses the command
// line refuses with the same words: the number goes into the box and meets the box's rule (a
// fraction passes when it is above the order, and is rounded as the box rounds it).
TEST(Limits, TheDegreeBoxAndTheOptionAgree)
{
    const std::vector<std::string> texts = {"2.4", "2", "3", "3.5", "4", "12.5", "0", "-1", "100002", "1E9"};
    const std::pair<const char*, ProblemKind> examples[] = {{"airy", ProblemKind::LinearPower},
                                                            {"trig-default", ProblemKind::LinearTrig},
                                                            {"system-exponential", ProblemKind::LinearSystem}};
    for (const auto& [example, kind] : examples) {
        const std::string pair = kExamples + "/" + example;
        for (const std::string& text : texts) {
            SCOPED_TRACE(std::string(example) + " --degree " + text);
            Made m;
            Session& session = Open(m, kind, example);
            std::optional<std::string> box;
            if (auto* system = dynamic_cast<SystemSession*>(&session)) {
                system->boxes.terms = text;
                box = CheckSystemTexts(system->boxes, false);
            } else {
                auto& single = static_cast<LinearSession&>(session);
                single.boxes.terms = text;
                box = CheckLinearTexts(single.boxes, single.kind());
            }
            std::ostringstream out, err;
            cli::Run({"solve", pair, "--degree", text}, out, err);
            const std::string said = err.str().substr(0, err.str().find('\n') + 1);
            if (box)
                EXPECT_EQ(said, "odeseries: " + *box + "\n");
            else // taken: whatever the solve then says, it is no refusal of the degree
                EXPECT_TRUE(said.find("--degree") == std::string::npos && said.find(" must ") == std::string::npos &&
                            said.find("at most") == std::string::npos)
                    << said;
        }
    }
}

// A NAME.acc keeps the limit it holds, any up to the largest degree (files written while the
// bound was 4000 among them; the bounds themselves are Bounds.TheBoxTheOptionAndTheFileAgree);
// a fraction is damaged.
TEST(Limits, AnAccurateFileKeepsAnyLimitUpToTheLargestDegree)
{
    for (double limit : {4000.0, 4001.0, 100000.0}) {
        AccurateSettings settings;
        EXPECT_EQ(AccurateFileRefusal(FormatNumber(limit), "1e-13", &settings), "");
        EXPECT_EQ(settings.maxDegree, limit);
    }
    EXPECT_EQ(AccurateFileRefusal("2.5", "1e-13"), kBounds[0].fileRefusal);
}

// The rules the windows show name the same numbers as the checks.
TEST(Limits, TheRulesNameTheBounds)
{
    EXPECT_EQ(MaxDegreeRule(), kBounds[0].boxRule);
    EXPECT_EQ(ContinuationStepsRule(), kBounds[1].boxRule);
    EXPECT_EQ(plot::PlotStepRule(), kBounds[3].boxRule);
    EXPECT_TRUE(CheckGridIntervalsText("0", 0)) << "the export window's grid may be left out";
    EXPECT_FALSE(CheckGridIntervalsText("", 0));
    EXPECT_FALSE(CheckGridIntervalsText("2.5", 1));
    EXPECT_FALSE(CheckMaxDegree(2.5));
    // The degree itself keeps the files' bound.
    EXPECT_EQ(TermsRule(2, SeriesKind::Power),
              "The degree must be above the order (2) and at most 100000, a fraction rounded to a whole number; or "
              "auto.");
    EXPECT_EQ(SystemDegreeRule(), "The degree must be at least 1 and at most 100000, a fraction rounded to a whole "
                                  "number; or auto.");
    EXPECT_EQ(*LargestDegreeRefusal("100001", SeriesKind::Power), "The degree can be at most 100000.");
    EXPECT_EQ(*LargestDegreeRefusal("100002", SeriesKind::Trigonometric), "The number of terms can be at most 100001.");
}

// A degree within the bound whose matrix would not fit ends at once in the message, for every
// kind and both methods but the banded forms of a linear equation and a linear system (which
// fit), before a page of it is touched.
TEST(Limits, AMatrixBeyondTheMemoryIsRefusedAtOnce)
{
    const double matrixBytes = 100001.0 * 100002.0 * sizeof(double);
    if (matrixBytes <= kLargestMatrixShare * static_cast<double>(PhysicalMemory()))
        GTEST_SKIP() << "this machine could hold the largest matrix";
    const std::vector<std::vector<std::string>> runs = {{"airy"},
                                                        {"nonlinear-reciprocal"},
                                                        {"nonlinear-reciprocal", "--method", "chebyshev"},
                                                        {"coupled-oscillators"},
                                                        {"system-nonlinear", "--method", "chebyshev"}};
    for (const auto& run : runs) {
        std::vector<std::string> args = {"solve", kExamples + "/" + run[0], "--degree", "100000"};
        args.insert(args.end(), run.begin() + 1, run.end());
        std::ostringstream out, err;
        cli::Run(args, out, err);
        EXPECT_NE(err.str().find("There is not enough memory to solve this problem at this degree."), std::string::npos)
            << run[0] << ": " << err.str();
    }
}

// A limit of iterations beyond the bound (1E308 in the box or the file) is kept as it is by the
// files; the iteration makes at most kMaxNewtonPasses passes, for a single equation and a system.
TEST(Limits, NewtonPassesAreBoundedWhateverTheLimitSays)
{
    Made m, r, y;
    auto& single = Open<NonlinearSession>(m, ProblemKind::NonlinearPower, "nonlinear-reciprocal");
    single.boxes.terms = "6";
    single.boxes.approximation = kApproximationItems[0];
    single.boxes.errorD = single.boxes.errorC = "1E-300"; // never met
    single.boxes.maxcy = "1E308";
    EXPECT_FALSE(single.solve());
    EXPECT_EQ(TerminationName(single.lastEnd().termination), std::string("NoConvergence"));
    EXPECT_EQ(single.lastReport().passes, kMaxNewtonPasses);

    const ode::test::ScratchFolder dir("limits");
    ASSERT_TRUE(single.save(dir.file("endless")));
    EXPECT_EQ(Open<NonlinearSession>(r, ProblemKind::NonlinearPower, dir.file("endless")).boxes.maxcy, "1E+308");

    auto& system = Open<SystemSession>(y, ProblemKind::NonlinearSystem);
    test::ReciprocalSystem(system.boxes);
    system.boxes.errorD = system.boxes.errorC = "1E-300";
    system.boxes.maxcy = "1E308";
    EXPECT_FALSE(system.solve());
    EXPECT_EQ(system.lastReport().passes, kMaxNewtonPasses);
    EXPECT_TRUE(m.messages.empty()) << m.messages.front();
    EXPECT_TRUE(y.messages.empty()) << y.messages.front();
}

} // namespace
