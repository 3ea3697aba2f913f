#include "cli/Cli.h"

#include "common/FileIO.h"
#include "common/NumberFormat.h"
#include "common/TextRecords.h"
#include "linear/LinearSession.h"

#include <optional>

namespace ode::cli {

namespace {

struct SolveOptions {
    std::string file;
    std::vector<std::string> evalPoints;
    std::string derivative = "0";
    bool solve = true;
    std::optional<std::string> saveAs;
    bool report = false;
};

void printList(std::ostream& out, const char* name, const std::vector<std::string>& lines)
{
    out << '[' << name << "]\n";
    for (const auto& line : lines)
        out << line << '\n';
}

// The first field of FILE.str names the problem's kind.
std::optional<std::string> ProblemMagic(const std::string& file, std::string& error)
{
    std::string text;
    if (!ReadWholeFile(file + ".str", text, error))
        return std::nullopt;
    RecordReader r(text);
    std::string magic;
    if (!r.readText(magic)) {
        error = "The file " + file + ".str cannot be read: " + r.error();
        return std::nullopt;
    }
    return magic;
}

int SolveLinearKind(const SolveOptions& o, SeriesKind kind, std::ostream& out, std::ostream& err)
{
    std::shared_ptr<script::Class1> shared;
    int messages = 0;
    LinearSession session(kind, shared, [&](const std::string& m) {
        err << "odeseries: " << m << '\n';
        ++messages;
    });
    if (!session.open(o.file))
        return 2;
    if (o.solve) {
        if (auto refusal = CheckLinearTexts(session.boxes, kind)) {
            err << "odeseries: " << *refusal << '\n';
            session.clearResults();
        } else {
            session.solve();
        }
    }
    printList(out, "lstCoeff", session.lstCoeff());
    printList(out, "lstBCError", session.lstBCError());
    for (const std::string& x : o.evalPoints) {
        session.boxes.xestimation = x;
        session.boxes.derNum = o.derivative;
        if (session.evaluate()) {
            out << "[lblValue]\n" << session.lblValue() << '\n';
            printList(out, "lstDError", session.lstDError());
        }
    }
    if (o.saveAs && !session.save(*o.saveAs))
        return 2;
    if (o.report)
        printList(out, "report", session.report());
    return session.solved() ? 0 : 1;
}

} // namespace

int Solve(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    SolveOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) {
                err << "odeseries: " << a << " needs a value\n";
                return false;
            }
            into = args[++i];
            return true;
        };
        std::string v;
        if (a == "--eval") {
            if (!value(v))
                return 2;
            o.evalPoints.push_back(v);
        } else if (a == "--derivative") {
            if (!value(o.derivative))
                return 2;
            if (ParseWholeNumber(o.derivative) < 0) {
                err << "odeseries: --derivative needs an order of 0 or more\n";
                return 2;
            }
        } else if (a == "--no-solve") {
            o.solve = false;
        } else if (a == "--save") {
            if (!value(v))
                return 2;
            o.saveAs = v;
        } else if (a == "--report") {
            o.report = true;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            err << "odeseries: unknown option " << a << '\n';
            return 2;
        } else if (o.file.empty()) {
            o.file = a;
        } else {
            err << "odeseries: solve takes one problem file\n";
            return 2;
        }
    }
    if (o.file.empty()) {
        err << "odeseries: solve needs a problem file\n" << Usage();
        return 2;
    }
    std::string error;
    auto magic = ProblemMagic(o.file, error);
    if (!magic) {
        err << "odeseries: " << error << '\n';
        return 2;
    }
    if (*magic == "Pldif")
        return SolveLinearKind(o, SeriesKind::Power, out, err);
    if (*magic == "Tldif")
        return SolveLinearKind(o, SeriesKind::Trigonometric, out, err);
    if (*magic == "Pndif" || *magic == "Tndif" || *magic == "Sldif" || *magic == "Sndif") {
        err << "odeseries: problems of kind " << *magic << " cannot be solved from the command line yet\n";
        return 2;
    }
    err << "odeseries: Incompatible file\n";
    return 2;
}

} // namespace ode::cli
