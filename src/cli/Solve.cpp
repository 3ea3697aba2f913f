#include "cli/Cli.h"

#include "cli/WindowLibrary.h"
#include "common/FileIO.h"
#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "common/Paths.h"
#include "common/PrivateFolder.h"
#include "common/ProblemKind.h"
#include "common/TextRecords.h"
#include "common/Utf8.h"
#include "equations/BoxChecks.h"
#include "linear/LinearFiles.h"
#include "linear/LinearSession.h"
#include "nonlinear/NonlinearSession.h"
#include "plot/PictureWriter.h"
#include "plot/PlotFit.h"
#include "session/Demos.h"
#include "systems/SystemFiles.h"
#include "systems/SystemSession.h"

#include "cli/Results.h"
#include "cli/TerminalOutput.h"
#include "output/Exports.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>

namespace ode::cli {

namespace {

// Set by the first Ctrl+C (SIGINT) or SIGTERM of a `solve` command: the solve under way stops
// with what it has found, the lists are printed as usual and later problems are not started.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler stores to it");

// Only a lock-free atomic exchange and, for a second signal, the default action again and the
// signal raised anew: all async-signal-safe.
extern "C" void OnStopSignal(int signal)
{
    if (stopRequested.exchange(true)) {
        std::signal(signal, SIG_DFL);
        std::raise(signal); // a second Ctrl+C ends the program at once
    }
}

// The handlers of SIGINT and SIGTERM for the length of a `solve` command, the earlier ones back
// afterwards. A signal the program was started ignoring (a job in the background of a shell,
// nohup) stays ignored: that Ctrl+C was meant for another program.
class StopOnSignals {
public:
    StopOnSignals()
    {
        stopRequested = false;
#ifdef _WIN32
        m_int = std::signal(SIGINT, OnStopSignal);
        m_term = std::signal(SIGTERM, OnStopSignal);
        if (m_int == SIG_IGN)
            std::signal(SIGINT, SIG_IGN);
        if (m_term == SIG_IGN)
            std::signal(SIGTERM, SIG_IGN);
#else
        struct sigaction action = {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        for (auto [number, earlier] : {std::pair{SIGINT, &m_int}, std::pair{SIGTERM, &m_term}})
            if (sigaction(number, nullptr, earlier) == 0 && earlier->sa_handler != SIG_IGN)
                sigaction(number, &action, nullptr);
#endif
    }
    ~StopOnSignals()
    {
#ifdef _WIN32
        std::signal(SIGINT, m_int);
        std::signal(SIGTERM, m_term);
#else
        sigaction(SIGINT, &m_int, nullptr);
        sigaction(SIGTERM, &m_term, nullptr);
#endif
    }
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

private:
#ifdef _WIN32
    void (*m_int)(int) = nullptr;
    void (*m_term)(int) = nullptr;
#else
    struct sigaction m_int = {}, m_term = {};
#endif
};

// The exit status of a command stopped by the user: 128 + SIGINT, as a shell reports a program
// that Ctrl+C ended.
constexpr int kStoppedStatus = 130;
// The exit status of a solution that stands although the accurate method's readout says it is not
// converged (or its continuation stopped short of the end): usable, but not what was asked.
constexpr int kNotConvergedStatus = 3;

// The status of several problems: the worst of theirs, a failure (2, then 1) above a solution
// that is not converged (3) above a solution (0).
int WorseStatus(int a, int b)
{
    auto rank = [](int s) { return s == kNotConvergedStatus ? 1 : s == 0 ? 0 : s + 1; };
    return rank(a) >= rank(b) ? a : b;
}

// A line on the terminal saying what a long solve is doing, drawn once the solve has run half a
// second and redrawn at most five times a second, then wiped. Only when standard error is a
// terminal (and the command writes its messages there), so nothing a program reads changes.
class TerminalProgress {
public:
    explicit TerminalProgress(bool shown) : m_shown(shown) {}

    ProgressCallback callback()
    {
        if (!m_shown)
            return {};
        return [this](const ProgressInfo& info) { draw(info); };
    }
    void start() { m_start = m_last = std::chrono::steady_clock::now(); }
    void wipe()
    {
        if (m_drawn)
            std::cerr << "\r\033[K" << std::flush;
        m_drawn = false;
    }

private:
    void draw(const ProgressInfo& info)
    {
        const auto now = std::chrono::steady_clock::now();
        if (now - m_start < std::chrono::milliseconds(500) ||
            (m_drawn && now - m_last < std::chrono::milliseconds(200)))
            return;
        m_last = now;
        const std::string line = "odeseries: " + ProgressLine(info);
        std::cerr << "\r\033[K" << line << " (Ctrl+C stops)" << std::flush;
        m_drawn = true;
    }

    bool m_shown;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_start, m_last;
};

bool StderrIsTerminal(const std::ostream& err)
{
#ifdef _WIN32
    (void)err;
    return false;
#else
    // The program's messages reach standard error through the terminal filter.
    const auto* filter = dynamic_cast<const TerminalSafeBuffer*>(err.rdbuf());
    return (&err == &std::cerr || (filter && filter->target() == std::cerr.rdbuf())) && isatty(STDERR_FILENO);
#endif
}

struct SolveOptions {
    std::string file;                                        // the problem being run
    std::vector<std::string> files;                          // every problem of the command, in turn
    std::vector<std::pair<ExportKind, std::string>> exports; // --export KIND=PATH
    int exportGrid = 0;                                      // --export-grid N
    bool json = false;                                       // --format json
    std::optional<std::string> example;                      // --example NAME: the demo's pair in place of FILE
    std::vector<std::string> evalPoints;
    std::string derivative = "0";
    bool solve = true;
    std::optional<std::string> saveAs;
    bool report = false;
    // --plot and its settings
    std::optional<std::string> plotFile;
    int plotWidth = 640, plotHeight = 480;
    int plotDerivative = 0;
    std::optional<std::vector<double>> plotWindow; // xmin, xmax, ymin, ymax
    bool plotGrid = false, plotLabels = false;
    // nonlinear kinds
    std::string approximation = "2";
    bool approximationGiven = false;
    std::optional<uint64_t> seed;
    std::optional<std::string> series;
    std::optional<std::string> saveSeparately;
    // --method chebyshev: the accurate method (a single equation, power series); --method
    // equally-spaced: the equally spaced one, whatever the problem was saved in
    bool chebyshev = false;
    bool equallySpaced = false;
    // --continuation NAME=FROM:TO:STEPS: the accurate Newton iteration's sweep of a constant
    std::optional<Continuation> continuation;
    bool autoDegree = false;           // --degree auto
    std::optional<std::string> degree; // --degree N: the degree box (the terms of a trigonometric series)
    std::optional<double> tolerance;   // --tol T: the automatic degree's relative tolerance
    std::optional<int> maxDegree;      // --max-degree N
    bool showProgress = false;         // a progress line on the terminal
};

// An output name for the problem being run: "%n" stands for the problem's own name (its file
// name without folder), so that one command solving several problems writes each its own.
std::string ForProblem(const std::string& pattern, const SolveOptions& o)
{
    const std::string name = Utf8Path(NativePath(o.file).filename());
    std::string out = pattern;
    for (size_t at = 0; (at = out.find("%n", at)) != std::string::npos; at += name.size())
        out.replace(at, 2, name);
    return out;
}

// Numbers separated by commas ("1,2,3,4").
std::vector<double> numberList(const std::string& text)
{
    std::vector<double> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        out.push_back(ParseNumber(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return out;
}

// The first field of FILE.str names the problem's kind (read once an interrupted save of the
// pair is settled, so that the kind is the pair's).
std::optional<std::string> ProblemMagic(const std::string& file, std::string& error)
{
    std::string text;
    if (!RecoverFiles(PairFiles(file), error) || !ReadWholeFile(file + ".str", text, error))
        return std::nullopt;
    RecordReader r(text);
    std::string magic;
    if (!r.readText(magic)) {
        error = "The file " + file + ".str cannot be read: " + r.error();
        return std::nullopt;
    }
    return magic;
}

// The solution drawn as the plot window draws it, into the file --plot names, through the window
// library.
bool plotPicture(const SolveOptions& o, const Solution& solution, std::ostream& err)
{
    std::string error;
    const auto writer = reinterpret_cast<OdePictureWriter>(WindowLibrarySymbol("odeseries_picture_writer", error));
    if (!writer) {
        err << "odeseries: the plot cannot be drawn (" << error << ")\n";
        return false;
    }
    plot::PictureRequest request;
    request.file = ForProblem(*o.plotFile, o);
    request.width = o.plotWidth;
    request.height = o.plotHeight;
    request.derivative = o.plotDerivative;
    const plot::PlotSource source = PlotSourceOf(solution);
    if (o.plotWindow) {
        // The window asked for, drawn as it always was.
        const std::vector<double>& window = *o.plotWindow;
        request.state = plot::PictureState(window[0], window[1], window[2], window[3], o.plotGrid, o.plotLabels);
    } else {
        // Fitted to the interval and the curves, framed with numbered divisions and axis titles.
        plot::FittedWindow fitted;
        fitted.xmin = solution.xlower;
        fitted.xmax = solution.xupper;
        fitted.ymin = -15;
        fitted.ymax = 15;
        if (const auto fit = plot::FitSource(source, o.plotDerivative))
            fitted = *fit;
        request.state =
            plot::PictureState(fitted.xmin, fitted.xmax, fitted.ymin, fitted.ymax, o.plotGrid, o.plotLabels);
        request.state.LabelDivisionsFlag = true;
        request.state.DivX = static_cast<float>(fitted.divx);
        request.state.DivY = static_cast<float>(fitted.divy);
        request.framed = true;
    }
    if (const std::optional<std::string> failed = writer()->write(source, request)) {
        err << "odeseries: " << *failed << '\n';
        return false;
    }
    return true;
}

std::optional<std::string> checkTexts(const LinearSession& s) { return CheckLinearTexts(s.boxes, s.kind()); }
std::optional<std::string> checkTexts(const NonlinearSession& s) { return CheckNonlinearTexts(s.boxes, s.kind()); }
std::optional<std::string> checkTexts(const SystemSession& s) { return CheckSystemTexts(s.boxes, s.nonlinear()); }

// The accurate method's choices and the degree box (`terms`), for every kind.
void applyMethodOptions(const SolveOptions& o, Session& session, std::string& terms)
{
    // A problem saved in the accurate method opens in it; the options choose otherwise.
    if (o.chebyshev)
        session.method = CollocationMethod::Chebyshev;
    if (o.equallySpaced)
        session.method = CollocationMethod::EquallySpaced;
    if (o.autoDegree)
        session.autoDegree = true;
    if (o.maxDegree)
        session.maxDegree = *o.maxDegree;
    if (o.tolerance)
        session.tolerance = *o.tolerance;
    if (o.degree)
        terms = *o.degree;
}

// The options a form's iteration inputs take from the command line; false ends the command.
bool applyIterationOptions(const SolveOptions& o, LinearSession& session)
{
    applyMethodOptions(o, session, session.texts().terms);
    return true;
}

// The accurate method's own lists (the single-equation and the systems sessions have them alike).
template <typename Session> void printMethodLists(Results& r, const Session& session)
{
    if (!session.accuracyLines().empty())
        r.list("lblAccuracy", session.accuracyLines());
    if (!session.lstPasses().empty())
        r.list("lstPasses", session.lstPasses());
    if (!session.lstChebyshev().empty())
        r.list("lstChebyshev", session.lstChebyshev());
}
bool applyIterationOptions(const SolveOptions& o, NonlinearSession& session)
{
    applyMethodOptions(o, session, session.texts().terms);
    if (o.continuation)
        session.continuation = *o.continuation;
    if (o.seed)
        session.seedRandom(*o.seed);
    const int choice = static_cast<int>(ParseNumber(o.approximation));
    session.boxes.approximation = kApproximationItems[choice >= 0 && choice <= 4 ? choice : 2];
    if (choice == 3)
        return o.series && session.loadSeries(*o.series);
    return true;
}
bool applyIterationOptions(const SolveOptions& o, SystemSession& session)
{
    applyMethodOptions(o, session, session.boxes.terms);
    if (o.continuation)
        session.continuation = *o.continuation;
    if (o.seed)
        session.seedRandom(*o.seed);
    const int choice = static_cast<int>(ParseNumber(o.approximation));
    session.boxes.approximation = kSystemApproximationItems[choice >= 0 && choice <= 3 ? choice : 2];
    return true;
}

// What Evaluate shows: the value label of a single equation, the value list of a system.
template <typename Session> void printEvaluation(Results& r, const SolveOptions& o, const Session& session)
{
    r.evaluation(session.boxes.xestimation, o.derivative, "lblValue", {session.lblValue()}, session.evaluatedValues(),
                 session.lstDError(), session.evaluationWarning());
}
void printEvaluation(Results& r, const SolveOptions& o, const SystemSession& session)
{
    r.evaluation(session.boxes.xestimation, o.derivative, "lstValue", session.lstValue(), session.evaluatedValues(),
                 session.lstDError(), session.evaluationWarning());
}

// The exports asked for, of the solution that stands; false (with the message) when one
// cannot be written.
bool writeExports(const SolveOptions& o, const std::optional<Solution>& solution, Results& r)
{
    for (const auto& [kind, path] : o.exports) {
        if (!solution) {
            r.messages() << "odeseries: there is no solution to export\n";
            return false;
        }
        std::string error;
        std::vector<std::string> files;
        ExportOptions options;
        options.gridIntervals = o.exportGrid;
        if (!WriteExport(*solution, kind, ForProblem(path, o), options, error, &files)) {
            r.messages() << "odeseries: " << error << '\n';
            return false;
        }
        for (const std::string& f : files)
            r.written(ExportKindWord(kind), f);
    }
    return true;
}

// A private folder of the run for the systems' scratch file, so that runs side by side in one
// folder do not read each other's AMAT.MAT and nobody can put one in its way; removed when the
// run ends. Without one the per-user data folder takes the file.
// Only the systems write the scratch file; the other kinds make no folder.
template <typename Session> void useScratch(Session&, std::optional<PrivateFolder>&) {}
void useScratch(SystemSession& session, std::optional<PrivateFolder>& folder)
{
    const std::string& path = folder.emplace().path();
    session.scratchPath = path.empty() ? UserScratchPath() : Utf8Path(NativePath(path) / "AMAT.MAT");
}

// Save Separately, which only the systems have.
template <typename Session> bool saveSeparately(const SolveOptions&, Session&) { return true; }
bool saveSeparately(const SolveOptions& o, SystemSession& session)
{
    return !o.saveSeparately || session.saveSeparately(ForProblem(*o.saveSeparately, o));
}

// One problem pair through its form's workflow: open, solve, lists, evaluations, files,
// report, plot. `shape` is what the session is made with (the series kind, or nonlinear).
template <typename Session, typename Shape> int RunSession(const SolveOptions& o, Shape shape, Results& r)
{
    std::ostream& err = r.messages();
    std::shared_ptr<script::Class1> shared;
    TerminalProgress progress(o.showProgress);
    Session session(shape, shared, [&](const std::string& m) {
        progress.wipe();
        err << "odeseries: " << m << '\n';
    });
    session.setCancelFlag(&stopRequested);
    session.setProgressCallback(progress.callback());
    std::optional<PrivateFolder> scratch;
    useScratch(session, scratch);
    if (!session.open(o.file))
        return 2;
    if (o.solve) {
        if (!applyIterationOptions(o, session)) {
            if (!o.series)
                err << "odeseries: --approximation 3 needs --series FILE\n";
            return 2;
        }
        if (auto refusal = checkTexts(session)) {
            err << "odeseries: " << *refusal << '\n';
            session.clearResults();
        } else {
            progress.start();
            session.solve();
            progress.wipe();
        }
    }
    r.list("lstCoeff", session.lstCoeff());
    r.list("lstBCError", session.lstBCError());
    printMethodLists(r, session);
    if (!session.gridCheckLine().empty())
        r.list("lblGridCheck", {session.gridCheckLine()});
    for (const std::string& x : o.evalPoints) {
        session.boxes.xestimation = x;
        session.boxes.derNum = o.derivative;
        if (session.evaluate())
            printEvaluation(r, o, session);
    }
    const std::optional<Solution> solution = DescribeSolution(session);
    r.solution(solution);
    // A stopped run writes nothing: the files it would replace (a saved solution, say) are worth
    // more than what stood when the user stopped it.
    const bool writes = o.saveAs || o.saveSeparately || !o.exports.empty() || o.plotFile;
    if (stopRequested && writes) {
        err << "odeseries: stopped: nothing was saved, exported or drawn\n";
        if (o.report)
            r.list("report", session.report());
        return session.solved() ? 0 : 1;
    }
    if (o.saveAs) {
        if (!session.save(ForProblem(*o.saveAs, o)))
            return 2;
        r.written("pair", ForProblem(*o.saveAs, o));
    }
    if (!saveSeparately(o, session))
        return 2;
    if (!writeExports(o, solution, r))
        return 2;
    if (o.report)
        r.list("report", session.report());
    if (o.plotFile) {
        if (!session.solved()) {
            err << "odeseries: there is no solution to plot\n";
            return 1;
        }
        if (!plotPicture(o, *solution, err))
            return 1;
        r.written("plot", ForProblem(*o.plotFile, o));
    }
    if (!session.solved())
        return 1;
    // The trigonometric automatic terms (the equally spaced method) keep 0, as before.
    const std::optional<AccuracyReadout>& readout = session.lastReport().readout;
    // One solution of many is no answer a script should take unread either.
    const bool notConverged = o.solve && readout && !readout->terms &&
                              (readout->verdict == AccuracyReadout::Verdict::NotConverged || readout->notUnique);
    return notConverged ? kNotConvergedStatus : 0;
}

// One option of `solve`: its name, whether a value follows it, and what it does to the
// options (false, with the message on `err`, refuses the command line).
struct OptionRule {
    const char* name;
    bool takesValue;
    bool (*apply)(const std::string& v, SolveOptions& o, std::ostream& err);
};

// The options that only keep their value, or only set a flag.
template <auto Field> bool Store(const std::string& v, SolveOptions& o, std::ostream&)
{
    o.*Field = v;
    return true;
}
template <auto Field, bool Value> bool Set(const std::string&, SolveOptions& o, std::ostream&)
{
    o.*Field = Value;
    return true;
}

bool Refuse(std::ostream& err, const char* message)
{
    err << "odeseries: " << message << '\n';
    return false;
}

// --points and --method: the word for the equally spaced method, or "chebyshev".
bool ReadPoints(const std::string& v, const char* equalWord, SolveOptions& o)
{
    o.chebyshev = v == "chebyshev";
    o.equallySpaced = v == equalWord;
    return o.equallySpaced || o.chebyshev;
}

// --export KIND=PATH.
bool ReadExport(const std::string& v, SolveOptions& o, std::ostream& err)
{
    const size_t eq = v.find('=');
    const auto kind = ExportKindNamed(v.substr(0, eq));
    if (eq == std::string::npos || eq + 1 == v.size() || !kind) {
        err << "odeseries: --export needs KIND=PATH, KIND one of " << ExportKindWords() << '\n';
        return false;
    }
    o.exports.emplace_back(*kind, v.substr(eq + 1));
    return true;
}

bool ReadPlotSize(const std::string& v, SolveOptions& o, std::ostream& err)
{
    const size_t x = v.find_first_of("xX");
    o.plotWidth = static_cast<int>(ParseWholeNumber(v.substr(0, x)));
    o.plotHeight = x == std::string::npos ? 0 : static_cast<int>(ParseWholeNumber(v.substr(x + 1)));
    if (o.plotWidth < 1 || o.plotHeight < 1 || o.plotWidth > 10000 || o.plotHeight > 10000)
        return Refuse(err, "--plot-size needs WIDTHxHEIGHT, each from 1 to 10000");
    return true;
}

// NAME=FROM:TO:STEPS, or NAME=FROM:TO:STEPS:geometric.
bool ReadContinuation(const std::string& v, SolveOptions& o, std::ostream& err)
{
    const size_t eq = v.find('='), first = v.find(':', eq), second = v.find(':', first + 1);
    Continuation c;
    bool known = true;
    if (eq != std::string::npos && first != std::string::npos && second != std::string::npos) {
        c.name = v.substr(0, eq);
        c.from = ParseNumber(v.substr(eq + 1, first - eq - 1));
        c.to = ParseNumber(v.substr(first + 1, second - first - 1));
        const size_t third = v.find(':', second + 1);
        c.steps = static_cast<int>(ParseWholeNumber(v.substr(second + 1, third - second - 1)));
        if (third != std::string::npos) {
            const std::string kind = v.substr(third + 1);
            c.geometric = kind == "geometric";
            known = c.geometric || kind == "linear";
        }
    }
    if (c.name.empty() || !CheckContinuationSteps(c.steps)) {
        err << "odeseries: --continue needs NAME=FROM:TO:STEPS, with 1 to " << kMaxContinuationSteps << " steps\n";
        return false;
    }
    if (!known) {
        err << "odeseries: --continue takes :geometric (or :linear) after its steps\n";
        return false;
    }
    if (c.geometric && !(c.from * c.to > 0)) {
        err << "odeseries: a geometric --continue needs FROM and TO of the same sign, neither of them 0\n";
        return false;
    }
    o.continuation = c;
    return true;
}

const OptionRule kSolveOptions[] = {
    {"--eval", true,
     [](const std::string& v, SolveOptions& o, std::ostream&) {
         o.evalPoints.push_back(v);
         return true;
     }},
    {"--derivative", true,
     [](const std::string& v, SolveOptions& o, std::ostream& err) {
         o.derivative = v;
         return ParseWholeNumber(v) >= 0 || Refuse(err, "--derivative needs an order of 0 or more");
     }},
    {"--example", true, Store<&SolveOptions::example>},
    {"--no-solve", false, Set<&SolveOptions::solve, false>},
    {"--save", true, Store<&SolveOptions::saveAs>},
    {"--report", false, Set<&SolveOptions::report, true>},
    {"--plot", true, Store<&SolveOptions::plotFile>},
    {"--plot-size", true, ReadPlotSize},
    {"--plot-derivative", true,
     [](const std::string& v, SolveOptions& o, std::ostream& err) {
         o.plotDerivative = static_cast<int>(ParseWholeNumber(v));
         return (o.plotDerivative >= 0 && o.plotDerivative <= 9) ||
                Refuse(err, "--plot-derivative needs an order from 0 to 9");
     }},
    {"--plot-window", true,
     [](const std::string& v, SolveOptions& o, std::ostream& err) {
         o.plotWindow = numberList(v);
         return o.plotWindow->size() == 4 || Refuse(err, "--plot-window needs XMIN,XMAX,YMIN,YMAX");
     }},
    {"--plot-grid", false, Set<&SolveOptions::plotGrid, true>},
    {"--plot-labels", false, Set<&SolveOptions::plotLabels, true>},
    {"--approximation", true,
     [](const std::string& v, SolveOptions& o, std::ostream&) {
         o.approximation = v;
         o.approximationGiven = true;
         return true;
     }},
    {"--seed", true,
     [](const std::string& v, SolveOptions& o, std::ostream&) {
         o.seed = static_cast<uint64_t>(ParseNumber(v));
         return true;
     }},
    {"--series", true, Store<&SolveOptions::series>},
    {"--save-separately", true, Store<&SolveOptions::saveSeparately>},
    {"--points", true,
     [](const std::string& v, SolveOptions& o, std::ostream& err) {
         return ReadPoints(v, "equal", o) || Refuse(err, "--points is equal or chebyshev");
     }},
    {"--method", true,
     [](const std::string& v, SolveOptions& o, std::ostream& err) {
         return ReadPoints(v, "equally-spaced", o) || Refuse(err, "--method is equally-spaced or chebyshev");
     }},
    {"--export", true, ReadExport},
    {"--export-grid", true,
     [](const std::string& v, SolveOptions& o, std::ostream& err) {
         o.exportGrid = static_cast<int>(ParseWholeNumber(v));
         if (CheckGridIntervalsText(v, 1))
             return true;
         err << "odeseries: --export-grid needs a whole number of intervals from 1 to " << kMaxGridIntervals << '\n';
         return false;
     }},
    {"--format", true,
     [](const std::string& v, SolveOptions& o, std::ostream& err) {
         o.json = v == "json";
         return o.json || v == "text" || Refuse(err, "--format is text or json");
     }},
    {"--degree", true,
     [](const std::string& v, SolveOptions& o, std::ostream& err) {
         // The number goes into the degree box, whose rule (above the order, at most the largest
         // degree; a fraction rounded as the box rounds it) the problem's check applies as Solve does.
         o.autoDegree = v == "auto";
         double n = 0;
         if (!o.autoDegree && !ParseNumberText(v, n)) {
             err << "odeseries: --degree takes auto or a number\n";
             return false;
         }
         if (!o.autoDegree)
             o.degree = v;
         return true;
     }},
    {"--tol", true,
     [](const std::string& v, SolveOptions& o, std::ostream& err) {
         o.tolerance = ParseNumber(v);
         return CheckTolerance(*o.tolerance) || Refuse(err, "--tol needs a number above 0 and below 1");
     }},
    {"--continue", true, ReadContinuation},
    {"--continuation", true, ReadContinuation},
    {"--max-degree", true,
     [](const std::string& v, SolveOptions& o, std::ostream& err) {
         o.maxDegree = static_cast<int>(ParseWholeNumber(v));
         if (CheckMaxDegree(*o.maxDegree))
             return true;
         err << "odeseries: --max-degree needs a whole number from " << kMinAutoDegree << " to " << kMaxAutoDegree
             << '\n';
         return false;
     }},
};

// The options of `solve` into `o`; false (with the message on `err`) for bad usage.
bool ParseSolveOptions(const std::vector<std::string>& args, SolveOptions& o, std::ostream& err)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto rule = std::find_if(std::begin(kSolveOptions), std::end(kSolveOptions),
                                       [&](const OptionRule& r) { return a == r.name; });
        if (rule != std::end(kSolveOptions)) {
            if (rule->takesValue && i + 1 >= args.size()) {
                err << "odeseries: " << a << " needs a value\n";
                return false;
            }
            if (!rule->apply(rule->takesValue ? args[++i] : std::string(), o, err))
                return false;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            err << "odeseries: unknown option " << Excerpt(a) << '\n';
            return false;
        } else if (a == "-") {
            // The names of the problems, one a line, on standard input.
            for (std::string line; std::getline(std::cin, line);) {
                while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                    line.pop_back();
                if (!line.empty())
                    o.files.push_back(line);
            }
        } else {
            o.files.push_back(a);
        }
    }
    if (o.example) {
        if (!o.files.empty()) {
            err << "odeseries: solve takes a problem file or --example, not both\n";
            return false;
        }
        const DemoLibrary library = LoadDemoLibrary(FindDemoFolder(ProgramFolder()));
        const Demo* demo = FindDemo(library, *o.example);
        if (!demo) {
            err << "odeseries: there is no demo called " << Excerpt(*o.example)
                << " ('odeseries examples' lists them)\n";
            return false;
        }
        o.files.push_back(demo->path);
        // The settings the demo opens with, where the options do not choose.
        if (demo->start >= 0 && !o.approximationGiven)
            o.approximation = std::to_string(demo->start);
        if (demo->chebyshev && !o.chebyshev && !o.equallySpaced)
            o.chebyshev = true;
        if (demo->autoDegree && o.chebyshev && !o.autoDegree && !o.degree)
            o.autoDegree = true;
    }
    if (o.files.empty()) {
        err << "odeseries: solve needs a problem file\n" << Usage();
        return false;
    }
    // Several problems: every file written needs the problem's name in it.
    std::vector<std::string> outputs;
    for (const auto& e : o.exports)
        outputs.push_back(e.second);
    for (const auto* one : {&o.saveAs, &o.plotFile, &o.saveSeparately})
        if (*one)
            outputs.push_back(**one);
    if (o.files.size() > 1 && !outputs.empty()) {
        for (const std::string& name : outputs)
            if (name.find("%n") == std::string::npos) {
                err << "odeseries: with several problems, " << Excerpt(name)
                    << " would be written by each; put %n (the problem's name) in it\n";
                return false;
            }
        // %n is the name without its folder: two problems of one name would write the same files.
        std::map<std::string, const std::string*> byName;
        for (const std::string& file : o.files) {
            const auto [first, added] = byName.emplace(Utf8Path(NativePath(file).filename()), &file);
            if (!added) {
                err << "odeseries: " << Excerpt(*first->second) << " and " << Excerpt(file)
                    << " have the same name, so %n would write the files of both under it; solve them in two "
                       "commands\n";
                return false;
            }
        }
    }
    return true;
}

} // namespace

namespace {

// One problem of the command, through its kind's session.
int SolveOne(const SolveOptions& o, Results& r)
{
    std::ostream& err = r.messages();
    std::string error;
    auto magic = ProblemMagic(o.file, error);
    if (!magic) {
        err << "odeseries: " << error << '\n';
        return 2;
    }
    const std::optional<ProblemKind> kind = KindOfMagicWord(*magic);
    if (!kind) {
        err << "odeseries: Incompatible file\n";
        return 2;
    }
    const SeriesKind series = IsPowerSeries(*kind) ? SeriesKind::Power : SeriesKind::Trigonometric;
    if ((o.autoDegree || o.maxDegree || o.tolerance) && !DegreeGrows(*kind, o.chebyshev)) {
        err << "odeseries: --degree auto, --max-degree and --tol go with --points chebyshev, or a trigonometric "
               "series\n";
        return 2;
    }
    if (o.continuation && !TakesContinuation(*kind, o.chebyshev)) {
        err << "odeseries: --continue goes with --points chebyshev on a nonlinear power-series problem\n";
        return 2;
    }
    if (o.chebyshev && !TakesAccurateMethod(*kind)) {
        err << "odeseries: --points chebyshev solves the power-series kinds (a trigonometric series is spectral "
               "already)\n";
        return 2;
    }
    if (o.saveSeparately && !IsSystem(*kind)) {
        err << "odeseries: --save-separately writes one series file a variable of a system; this problem is a "
               "single equation (--save writes its pair)\n";
        return 2;
    }
    if (IsSystem(*kind))
        return RunSession<SystemSession>(o, IsNonlinear(*kind), r);
    if (IsNonlinear(*kind))
        return RunSession<NonlinearSession>(o, series, r);
    return RunSession<LinearSession>(o, series, r);
}

} // namespace

int Solve(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const StopOnSignals signals;
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        out << Usage();
        return 0;
    }
    SolveOptions o;
    if (!ParseSolveOptions(args, o, err))
        return 2;
    o.showProgress = StderrIsTerminal(err);
    const std::unique_ptr<Results> results = o.json ? JsonResults(out) : TextResults(out, err);
    // Each problem in turn, one result each; the status is the worst of them. A stop ends the
    // problem under way as usual, with its own status, and starts no other.
    int status = 0;
    for (size_t k = 0; k < o.files.size(); ++k) {
        o.file = o.files[k];
        results->begin(o.file, o.files.size() > 1);
        int one = 2;
        // A fault in one problem ends that problem with a message; the batch goes on.
        try {
            one = SolveOne(o, *results);
        } catch (const std::bad_alloc&) {
            results->messages() << "odeseries: there is not enough memory to solve this problem\n";
        } catch (const std::exception& e) {
            results->messages() << "odeseries: unexpected error: " << Excerpt(e.what()) << '\n';
        }
        const bool stopped = stopRequested;
        results->end(stopped ? kStoppedStatus : one);
        status = WorseStatus(status, one);
        if (stopped) {
            if (k + 1 < o.files.size())
                err << "odeseries: stopped; " << o.files.size() - k - 1 << " more problem"
                    << (o.files.size() - k - 1 == 1 ? " was" : "s were") << " not started\n";
            return kStoppedStatus;
        }
    }
    return status;
}

} // namespace ode::cli
