#include "output/Exports.h"

#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "common/Paths.h"
#include "output/ExportParts.h"
#include "output/ExportText.h"
#include "output/Json.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>

namespace ode {

namespace exportparts {

// Every number a code export or CSV holds: the shortest text that reads back exactly.
std::string Exact(double v) { return FormatShortest(v); }

// One line describing the series, for the comments at the head of each export.
std::string Describe(const Solution& s, const SolvedVariable& v)
{
    std::ostringstream d;
    d << CheckedName(v.name) << "(" << CheckedName(s.indepVarName) << ") on [" << FormatNumber(s.xlower) << ", "
      << FormatNumber(s.xupper) << "]: ";
    if (s.series == SeriesKind::Power)
        d << "power series of degree " << v.coef.size() - 1 << " about " << FormatNumber(s.centre);
    else
        d << "trigonometric series of " << v.coef.size() << " terms, period " << FormatNumber(s.period);
    d << ", " << MethodName(s) << " collocation";
    if (v.chebyshev)
        d << " (evaluated from its " << v.chebyshev->coef.size() << " Chebyshev coefficients)";
    return d.str();
}

std::vector<std::pair<std::string, std::string>> ProblemTexts(const Solution& s)
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

std::string ProblemLines(const Solution& s, const std::string& prefix, ExportKind language)
{
    std::string out;
    for (const auto& [label, text] : ProblemTexts(s)) {
        const std::optional<std::string> shown = CommentText(text, language);
        out +=
            prefix + label +
            (shown ? *shown
                   : std::string("[left out: a comment here cannot hold this text as it is; the JSON export has it]")) +
            "\n";
    }
    return out;
}

std::string List(const std::vector<double>& values, size_t perLine, const std::string& indent)
{
    std::string out;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i % perLine == 0)
            out += "\n" + indent;
        else
            out += " ";
        out += Exact(values[i]);
        if (i + 1 < values.size())
            out += ",";
    }
    return out;
}

} // namespace exportparts

namespace {

using namespace exportparts;

const char* const kWords[] = {"csv", "json", "latex", "python", "c", "octave"};

bool AllFinite(const Solution& s)
{
    for (const SolvedVariable& v : s.variables) {
        for (double c : v.coef)
            if (!std::isfinite(c))
                return false;
        if (v.chebyshev)
            for (double c : v.chebyshev->coef)
                if (!std::isfinite(c))
                    return false;
    }
    return std::isfinite(s.xlower) && std::isfinite(s.xupper) && std::isfinite(s.centre) && std::isfinite(s.period);
}

std::string Primes(int order) { return std::string(static_cast<size_t>(order), '\''); }

// A name in math mode: its checked form, whose "_" (a mangled name's) LaTeX would read as a
// subscript.
std::string LatexName(const std::string& name)
{
    std::string out;
    for (const char c : CheckedName(name))
        out += c == '_' ? std::string("\\_") : std::string(1, c);
    return out;
}

std::string GridName(const std::string& path)
{
    const std::filesystem::path p = NativePath(path);
    std::filesystem::path name = p.stem();
    name += "-grid";
    name += p.extension();
    return Utf8Path(p.parent_path() / name);
}

// 15 significant digits, the exponent as a power of ten.
std::string LatexNumber(double v)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", std::fabs(v));
    std::string text(buffer);
    const size_t e = text.find('e');
    if (e == std::string::npos)
        return text;
    const int exponent = std::atoi(text.c_str() + e + 1);
    return text.substr(0, e) + " \\times 10^{" + std::to_string(exponent) + "}";
}

std::string LatexShift(const std::string& x, double centre)
{
    if (centre == 0)
        return x;
    return "(" + x + (centre < 0 ? " + " : " - ") + LatexNumber(centre) + ")";
}

// The terms of `v` as "c \, basis" pieces with their signs; zero coefficients are left out.
std::vector<std::pair<double, std::string>> LatexTerms(const Solution& s, const SolvedVariable& v)
{
    std::vector<std::pair<double, std::string>> terms;
    const std::string x = LatexName(s.indepVarName);
    for (size_t k = 0; k < v.coef.size(); ++k) {
        if (v.coef[k] == 0)
            continue;
        std::string basis;
        if (s.series == SeriesKind::Power) {
            if (k == 1)
                basis = LatexShift(x, s.centre);
            else if (k > 1)
                basis = LatexShift(x, s.centre) + "^{" + std::to_string(k) + "}";
        } else if (k > 0) {
            const size_t harmonic = (k + 1) / 2;
            basis =
                std::string(k % 2 == 1 ? "\\sin " : "\\cos ") + (harmonic > 1 ? std::to_string(harmonic) : "") + "t";
        }
        terms.emplace_back(v.coef[k], basis);
    }
    return terms;
}

// The Octave export's folder: one that exists, or the one the user named made in a parent that
// exists (as every other export needs its folder to exist, no parents are made).
bool MakeExportFolder(const std::string& path, bool& made, std::string& error)
{
    namespace fs = std::filesystem;
    made = false;
    std::error_code ec;
    if (fs::is_directory(NativePath(path), ec))
        return true;
    if (fs::exists(fs::symlink_status(NativePath(path), ec))) {
        error = "The Octave export goes into a folder; " + path + " is a file.";
        return false;
    }
    fs::path folder = NativePath(path).lexically_normal();
    if (folder.filename().empty()) // "out/"
        folder = folder.parent_path();
    const fs::path parent = folder.parent_path();
    if (!parent.empty() && !fs::is_directory(parent, ec)) {
        error = "The folder " + path + " cannot be made: " + Utf8Path(parent) + " is not a folder.";
        return false;
    }
    fs::create_directory(NativePath(path), ec);
    if (ec) {
        error = "The folder " + path + " cannot be made: " + ec.message() + ".";
        return false;
    }
    made = true;
    return true;
}

} // namespace

std::optional<ExportKind> ExportKindNamed(std::string_view word)
{
    for (size_t i = 0; i < std::size(kWords); ++i)
        if (word == kWords[i])
            return static_cast<ExportKind>(i);
    return std::nullopt;
}

const char* ExportKindWord(ExportKind kind) { return kWords[static_cast<size_t>(kind)]; }

std::string ExportKindWords() { return "csv, json, latex, python, c or octave"; }

bool CheckGridIntervalsText(const std::string& text, int least)
{
    const double v = ParseNumber(text);
    return !text.empty() && v >= least && v <= kMaxGridIntervals && v == std::floor(v);
}

std::string CsvCoefficients(const Solution& s)
{
    const bool chebyshev = std::any_of(s.variables.begin(), s.variables.end(),
                                       [](const SolvedVariable& v) { return v.chebyshev.has_value(); });
    std::string out = chebyshev ? "variable,index,coefficient,chebyshev\n" : "variable,index,coefficient\n";
    for (const SolvedVariable& v : s.variables)
        for (size_t k = 0; k < v.coef.size(); ++k) {
            out += CsvField(CodeName(v.name, ExportKind::Csv)) + "," + std::to_string(k) + "," + Exact(v.coef[k]);
            if (chebyshev)
                out += "," + (v.chebyshev && k < v.chebyshev->coef.size() ? Exact(v.chebyshev->coef[k]) : "");
            out += "\n";
        }
    return out;
}

std::string CsvGrid(const Solution& s, int intervals)
{
    std::string out = CsvField(CodeName(s.indepVarName, ExportKind::Csv));
    for (const SolvedVariable& v : s.variables)
        for (int d = 0; d <= v.order; ++d)
            out += "," + CsvField(CodeName(v.name, ExportKind::Csv) + Primes(d));
    out += "\n";
    // A Chebyshev series' derivatives are prepared once for all the points (bit for bit what
    // Evaluate computes one at a time).
    std::vector<std::optional<ChebyshevDerivativeTable>> tables(s.variables.size());
    for (size_t j = 0; j < s.variables.size(); ++j)
        if (s.variables[j].chebyshev)
            tables[j].emplace(*s.variables[j].chebyshev, s.variables[j].order);
    for (int i = 0; i <= intervals; ++i) {
        const double x = i == intervals ? s.xupper : s.xlower + i * ((s.xupper - s.xlower) / intervals);
        out += Exact(x);
        for (size_t j = 0; j < s.variables.size(); ++j)
            for (int d = 0; d <= s.variables[j].order; ++d)
                out += "," + Exact(tables[j] ? (*tables[j])(d, x) : VariableDerivative(s, j, d, x));
        out += "\n";
    }
    return out;
}

std::string JsonText(const Solution& s) { return JsonDump(SolutionJson(s), 2) + "\n"; }

std::string LatexText(const Solution& s)
{
    std::string out = "% ODE Series " ODESERIES_VERSION "\n" + ProblemLines(s, "% ", ExportKind::Latex);
    for (const SolvedVariable& v : s.variables) {
        out += "% " + Describe(s, v) + "\n";
        if (v.chebyshev)
            out += "% (the power series below is the Chebyshev series rearranged about the centre)\n";
        const auto terms = LatexTerms(s, v);
        out += "\\begin{align*}\n" + LatexName(v.name) + "(" + LatexName(s.indepVarName) + ") ={}& ";
        if (terms.empty())
            out += "0";
        for (size_t i = 0; i < terms.size(); ++i) {
            const auto& [c, basis] = terms[i];
            if (i > 0 && i % 3 == 0)
                out += " \\\\\n&";
            if (i > 0 || c < 0)
                out += c < 0 ? " - " : " + ";
            out += LatexNumber(c);
            if (!basis.empty())
                out += "\\," + basis;
        }
        out += "\n\\end{align*}\n";
    }
    if (s.series == SeriesKind::Trigonometric && s.period == TwoPi())
        out += "where $t = " + LatexShift(LatexName(s.indepVarName), s.centre) + "$ (the period is $2\\pi$).\n";
    else if (s.series == SeriesKind::Trigonometric)
        out += "where $t = 2\\pi\\," + LatexShift(LatexName(s.indepVarName), s.centre) + " / " + LatexNumber(s.period) +
               "$.\n";
    return out;
}

bool ExportFiles(const Solution& s, ExportKind kind, const std::string& path, const ExportOptions& options,
                 FileTexts& files, std::string& error)
{
    files.clear();
    if (path.empty()) {
        error = "The export needs a file name.";
        return false;
    }
    if (!AllFinite(s)) {
        error = "The solution holds a value that is not a finite number; it cannot be exported.";
        return false;
    }
    std::vector<std::string> identifiers;
    if ((kind == ExportKind::Python || kind == ExportKind::C || kind == ExportKind::Octave) &&
        !CodeIdentifiers(s, kind, identifiers, error))
        return false;
    switch (kind) {
    case ExportKind::Csv:
        files.push_back({path, CsvCoefficients(s)});
        if (options.gridIntervals > 0)
            files.push_back({GridName(path), CsvGrid(s, options.gridIntervals)});
        break;
    case ExportKind::Json:
        files.push_back({path, JsonText(s)});
        break;
    case ExportKind::Latex:
        files.push_back({path, LatexText(s)});
        break;
    case ExportKind::Python:
        files.push_back({path, PythonModule(s)});
        break;
    case ExportKind::C:
        files.push_back({path, CSource(s)});
        break;
    case ExportKind::Octave: {
        // Each file is named by its function's identifier, which holds only letters, digits and
        // "_": every one lands in the folder itself.
        const std::filesystem::path folder = NativePath(path) / "";
        for (size_t j = 0; j < s.variables.size(); ++j) {
            const std::filesystem::path file = folder / NativePath(identifiers[j] + ".m");
            if (file.parent_path() != folder.parent_path() || Utf8Path(file.filename()) != identifiers[j] + ".m") {
                error = "The Octave file of " + identifiers[j] + " would not be in the folder " + path + ".";
                files.clear();
                return false;
            }
            files.push_back({Utf8Path(file), OctaveFunction(s, j)});
        }
        break;
    }
    }
    return true;
}

bool WriteExport(const Solution& s, ExportKind kind, const std::string& path, const ExportOptions& options,
                 std::string& error, std::vector<std::string>* written)
{
    FileTexts files;
    if (!ExportFiles(s, kind, path, options, files, error))
        return false;
    bool madeFolder = false;
    if (kind == ExportKind::Octave && !MakeExportFolder(path, madeFolder, error))
        return false;
    if (!WriteFilesAtomically(files, error)) {
        // A folder this export made goes again with whatever it wrote, so a failed export
        // leaves nothing behind.
        if (madeFolder) {
            std::error_code ec;
            for (const auto& f : files)
                std::filesystem::remove(NativePath(f.first), ec);
            std::filesystem::remove(NativePath(path), ec);
        }
        return false;
    }
    if (written)
        for (const auto& f : files)
            written->push_back(f.first);
    return true;
}

} // namespace ode
