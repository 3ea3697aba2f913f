#include "cli/Cli.h"

#include "cli/WindowLibrary.h"
#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "common/Utf8.h"
#include "script/Constants.h"
#include "script/ScriptHost.h"
#include "session/Demos.h"

namespace ode::cli {

std::string Usage()
{
    return "Usage: odeseries [COMMAND] [ARGUMENTS]\n"
           "\n"
           "Solves ordinary differential equations as finite series.\n"
           "\n"
           "Commands:\n"
           "  calc [--const NAME=VALUE]... [--seed S] EXPR...\n"
           "                    evaluate each expression in an engine prepared as a problem\n"
           "                    form prepares it (pi, halfpi, e, Asin ... Atanh), one result a\n"
           "                    line; constants are added in order before the first expression\n"
           "  examples          list the demos: NAME, kind, description (tab-separated)\n"
           "  solve FILE... [OPTIONS]\n"
           "                    open the problem pair FILE and FILE.str as its form does,\n"
           "                    solve it and print each list as [controlName] and its lines;\n"
           "                    several FILEs (or -, names read one a line from standard\n"
           "                    input) are solved in turn, each result after [file] NAME,\n"
           "                    and %n in a file written stands for the problem's name\n"
           "      --example NAME    solve the demo NAME in place of FILE\n"
           "      --eval X          evaluate at X (repeatable): [lblValue] and [lstDError]\n"
           "      --derivative K    the derivative order --eval shows (default 0)\n"
           "      --no-solve        only open: a stored solution stands as it is\n"
           "      --save NAME       afterwards write the pair NAME and NAME.str\n"
           "      --report          afterwards print the report's lines under [report]\n"
           "      --plot OUT        draw the solution as the plot window does, into a PNG,\n"
           "                        SVG or PDF file (by OUT's extension)\n"
           "      --plot-size WxH   its size in pixels (default 640x480)\n"
           "      --plot-derivative K   plot derivative K (0 to 9, default 0)\n"
           "      --plot-window XMIN,XMAX,YMIN,YMAX   (default: fitted to the interval and the\n"
           "                        curves, with numbered divisions and axis titles)\n"
           "      --plot-grid       a grid instead of ticks\n"
           "      --plot-labels     label the window edges and the divisions\n"
           "      --points P        equal (default) or chebyshev: the accurate method,\n"
           "                        Chebyshev polynomials at Chebyshev points (every power-\n"
           "                        series kind); adds [lblAccuracy], [lstChebyshev] and, for\n"
           "                        a nonlinear problem, [lstPasses]; Evaluate and the plot\n"
           "                        use it (--method equally-spaced|chebyshev says the same)\n"
           "      --degree N|auto   N replaces the file's degree (a trigonometric series: its\n"
           "                        terms); auto, with chebyshev or a trigonometric series,\n"
           "                        grows it until the coefficients' tail is below the\n"
           "                        tolerance\n"
           "      --tol T           the automatic degree's relative tolerance (default " +
           FormatNumber(kDefaultTolerance) +
           ")\n"
           "      --max-degree N    the automatic degree's limit (default " +
           std::to_string(kDefaultBandedAutoDegreeLimit) +
           " for a linear equation's\n"
           "                        power series and a linear system, " +
           std::to_string(kDefaultNewtonAutoDegreeLimit) +
           " for a nonlinear\n"
           "                        equation's power series, " +
           std::to_string(kDefaultAutoDegreeLimit) + " for the others; at most " + std::to_string(kMaxAutoDegree) +
           ")\n"
           "      --continue NAME=FROM:TO:STEPS[:geometric]   with chebyshev, nonlinear: sweep\n"
           "                        the constant NAME (in equal ratios with :geometric),\n"
           "                        each solve from the last solution\n"
           "      --approximation N the nonlinear kinds' start: 0 zero, 1 unit, 2 random\n"
           "                        (default), 3 series from --series FILE, 4 current\n"
           "      --seed S          seed of the random start\n"
           "      --save-separately NAME   systems: one series file per variable, NAME_y ...\n"
           "      --export KIND=PATH   write the solution (repeatable): csv (coefficients),\n"
           "                        json (problem and solution), latex (the formula), python,\n"
           "                        c (code giving Evaluate's values), octave (PATH a folder,\n"
           "                        one NAME.m a variable)\n"
           "      --export-grid N   with csv: values and derivatives on N+1 points into\n"
           "                        PATH-grid.csv\n"
           "      --format json     one JSON object a problem (lists, evaluations, solution,\n"
           "                        files written, messages, status) in place of the blocks\n"
           "                    systems print [lstValue] in place of [lblValue] for --eval\n"
           "                    exit status 0: a solution stands, 1: none does,\n"
           "                    2: bad usage or a file that cannot be opened,\n"
           "                    3: a solution stands but the accurate method's readout\n"
           "                    says NOT CONVERGED (or its continuation stopped short),\n"
           "                    130: stopped by Ctrl+C (or SIGTERM): the lists of what\n"
           "                    stands are printed with a line saying so, later problems\n"
           "                    are not started; a second Ctrl+C ends it at once\n"
           "  --help            show this text\n"
           "  --version         show the version\n";
}

namespace {

int Calc(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    script::ConstantList constants;
    std::vector<std::string> expressions;
    bool seeded = false;
    uint64_t seed = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--const" || a == "--seed") && i + 1 >= args.size()) {
            err << "odeseries: " << a << " needs a value\n";
            return 2;
        }
        if (a == "--const") {
            const std::string& entry = args[++i];
            auto result = constants.add(entry);
            if (result == script::ConstantList::AddResult::Ignored) {
                err << "odeseries: not a constant: " << Excerpt(entry) << " (expected NAME=VALUE)\n";
                return 2;
            }
            if (result == script::ConstantList::AddResult::Full) {
                err << "odeseries: too many constants\n";
                return 2;
            }
        } else if (a == "--seed") {
            seed = static_cast<uint64_t>(ParseNumber(args[++i]));
            seeded = true;
        } else if (a == "--") {
            expressions.insert(expressions.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        } else {
            expressions.push_back(a);
        }
    }
    if (expressions.empty()) {
        err << "odeseries: calc needs at least one expression\n";
        return 2;
    }
    std::shared_ptr<script::Class1> shared;
    std::vector<std::string> messages;
    script::ScriptHost host(shared, [&messages](const std::string& m) { messages.push_back(m); });
    host.prepare();
    if (seeded)
        host.engine().seedRandom(seed);
    int status = 0;
    if (!host.executeConstants(constants.entries())) {
        host.trap();
        for (const auto& m : messages)
            err << "odeseries: " << m << '\n';
        return 1;
    }
    for (const std::string& text : expressions) {
        messages.clear();
        double value = 0.0;
        if (host.evaluate(text, value)) {
            out << FormatNumber(value) << '\n';
        } else {
            host.trap();
            out << (messages.empty() ? host.lastError().description : messages.front()) << '\n';
            status = 1;
        }
    }
    return status;
}

// One demo a line: NAME, its kind's magic word and its description, tab-separated.
int Examples(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (!args.empty()) {
        err << "odeseries: examples takes no arguments\n";
        return 2;
    }
    const DemoLibrary library = LoadDemoLibrary(FindDemoFolder(ProgramFolder()));
    for (const std::string& problem : library.problems)
        err << "odeseries: " << problem << '\n';
    for (const Demo& demo : library.demos)
        out << DemoListLine(demo) << '\n';
    return library.demos.empty() ? 2 : 0;
}

} // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.empty()) {
        out << Usage();
        return 0;
    }
    const std::string& command = args[0];
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "--help" || command == "-h" || command == "help") {
        out << Usage();
        return 0;
    }
    if (command == "--version") {
        out << "odeseries " << ODESERIES_VERSION << '\n';
        return 0;
    }
    if (command == "calc")
        return Calc(rest, out, err);
    if (command == "solve")
        return Solve(rest, out, err);
    if (command == "examples")
        return Examples(rest, out, err);
    err << "odeseries: unknown command '" << Excerpt(command) << "'\n" << Usage();
    return 2;
}

} // namespace ode::cli
