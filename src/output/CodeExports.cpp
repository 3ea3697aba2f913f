// The code exports: a Python module, a C99 file and Octave function files that evaluate a
// solution's series as the program's Evaluate does, operation for operation.
#include "output/Exports.h"

#include "output/Evaluators.h"
#include "output/ExportParts.h"
#include "output/ExportText.h"
#include "output/ReservedNames.h"

#include <set>
#include <sstream>

namespace ode {

using namespace exportparts;

namespace {

// The names a file of `language` defines besides the variables' functions: the evaluators, the
// tables, the modules it imports and the functions' own arguments. The variables' data are
// named after them: "_NAME_COEF" in Python, "NAME_coef" in C.
const std::set<std::string>& OwnNames(ExportKind language)
{
    static const std::set<std::string> python = {"math", "x",      "derivative", "_TWO_PI",    "_FACT",
                                                 "_k",   "_power", "_trig",      "_chebyshev", "__all__"};
    static const std::set<std::string> c = {
        "sin",        "cos",    "pow",       "atan",         "main",        "x",
        "derivative", "two_pi", "factorial", "power_series", "trig_series", "chebyshev_series",
        "malloc",     "free",   "nan",       "size_t"};
    static const std::set<std::string> octave = {"x",           "derivative",      "value", "power_series",
                                                 "trig_series", "chebyshev_series"};
    static const std::set<std::string> none;
    switch (language) {
    case ExportKind::Python:
        return python;
    case ExportKind::C:
        return c;
    case ExportKind::Octave:
        return octave;
    default:
        return none;
    }
}

std::set<std::string> Words(const char* list)
{
    std::set<std::string> words;
    std::istringstream in(list);
    for (std::string w; in >> w;)
        words.insert(w);
    return words;
}

// Every name an identifier of `language` must not be: the language's own and the file's.
const std::set<std::string>& Reserved(ExportKind language)
{
    static const auto joined = [](const char* list, ExportKind kind) {
        std::set<std::string> words = Words(list);
        words.insert(OwnNames(kind).begin(), OwnNames(kind).end());
        return words;
    };
    static const std::set<std::string> python = joined(reserved::kPython, ExportKind::Python);
    static const std::set<std::string> c = joined(reserved::kC, ExportKind::C);
    static const std::set<std::string> octave = joined(reserved::kOctave, ExportKind::Octave);
    static const std::set<std::string> none;
    switch (language) {
    case ExportKind::Python:
        return python;
    case ExportKind::C:
        return c;
    case ExportKind::Octave:
        return octave;
    default:
        return none;
    }
}

// The name of a variable's coefficient table.
std::string DataName(const std::string& identifier, ExportKind language)
{
    return language == ExportKind::Python ? "_" + identifier + "_COEF" : identifier + "_coef";
}

} // namespace

std::string CodeName(const std::string& name, ExportKind language)
{
    std::string identifier = CheckedName(name);
    if (Reserved(language).count(identifier))
        identifier += "_";
    return identifier;
}

namespace exportparts {

bool CodeIdentifiers(const Solution& s, ExportKind language, std::vector<std::string>& identifiers, std::string& error)
{
    identifiers.clear();
    std::set<std::string> taken = OwnNames(language);
    for (const SolvedVariable& v : s.variables) {
        const std::string name = CodeName(v.name, language);
        const bool tables = language == ExportKind::Python || language == ExportKind::C;
        if (!taken.insert(name).second || (tables && !taken.insert(DataName(name, language)).second)) {
            error = "Two variables would share the name " + name + " in the export.";
            return false;
        }
        identifiers.push_back(name);
    }
    return true;
}

} // namespace exportparts

std::string PythonModule(const Solution& s)
{
    // The docstring is an ordinary literal whose every text is escaped, so __doc__ reads each one
    // back as it is and nothing in it can end the string.
    std::string out = "\"\"\"The solution found by ODE Series " ODESERIES_VERSION ".\n\n";
    for (const SolvedVariable& v : s.variables)
        out += PythonStringBody(Describe(s, v)) + "\n";
    out += "\n";
    for (const auto& [label, text] : ProblemTexts(s))
        out += PythonStringBody(label + text) + "\n";
    out += "\nEach function NAME(" + CheckedName(s.indepVarName) +
           ", derivative=0) gives the value or a derivative at a point exactly as the program's\n"
           "Evaluate does (the same operations in the same order).\n\"\"\"\n\n";
    out += evaluators::kPython;
    std::string names;
    for (const SolvedVariable& v : s.variables) {
        const std::string name = CodeName(v.name, ExportKind::Python);
        const std::string data = DataName(name, ExportKind::Python);
        names += (names.empty() ? "" : ", ") + ("\"" + name + "\"");
        out += "\n\n" + data + " = [" + List(v.chebyshev ? v.chebyshev->coef : v.coef, 4, "    ") + "\n]\n\n\n";
        out += "def " + name + "(x, derivative=0):\n    \"\"\"" + PythonStringBody(Describe(s, v)) + ".\"\"\"\n";
        out += "    if derivative < 0:\n        raise ValueError(\"the derivative's order is 0 or more\")\n";
        if (v.chebyshev)
            out += "    return _chebyshev(" + data + ", " + Exact(v.chebyshev->a) + ", " + Exact(v.chebyshev->b) +
                   ", derivative, x)\n";
        else if (s.series == SeriesKind::Power)
            out += "    return _power(" + data + ", " + Exact(s.centre) + ", derivative, x)\n";
        else
            out += "    return _trig(" + data + ", " + Exact(s.centre) + ", " + Exact(s.period) + ", derivative, x)\n";
    }
    out += "\n\n__all__ = [" + names + "]\n";
    return out;
}

std::string CSource(const Solution& s)
{
    std::string out = "/* The solution found by ODE Series " ODESERIES_VERSION ".\n";
    for (const SolvedVariable& v : s.variables)
        out += " * " + Describe(s, v) + "\n";
    out += ProblemLines(s, " * ", ExportKind::C) +
           " *\n * Each function NAME(x, derivative) gives the value (derivative 0) or a derivative at a point\n"
           " * exactly as the program's Evaluate does. C99, self-contained; link with the maths library (-lm)\n"
           " * and compile without contracting multiplications and additions into fused ones\n"
           " * (-ffp-contract=off) to have the program's digits to the last bit. */\n";
    // Only the evaluators this solution uses: a strict compiler warns of unused ones.
    out += std::string("\n") + evaluators::kCDeclarations + "\n\n" +
           (s.accurate                      ? evaluators::kCChebyshev
            : s.series == SeriesKind::Power ? evaluators::kCPower
                                            : evaluators::kCTrig) +
           "\n";
    for (const SolvedVariable& v : s.variables) {
        const std::string name = CodeName(v.name, ExportKind::C);
        const std::vector<double>& data = v.chebyshev ? v.chebyshev->coef : v.coef;
        const std::string array = DataName(name, ExportKind::C);
        out += "\nstatic const double " + array + "[" + std::to_string(data.size()) + "] = {" + List(data, 4, "    ") +
               "\n};\n\n";
        out += "/* " + Describe(s, v) + ". */\ndouble " + name + "(double x, int derivative);\n";
        out += "double " + name + "(double x, int derivative)\n{\n";
        const std::string n = std::to_string(data.size() - 1);
        if (v.chebyshev)
            out += "    return chebyshev_series(" + array + ", " + n + ", " + Exact(v.chebyshev->a) + ", " +
                   Exact(v.chebyshev->b) + ", derivative, x);\n";
        else if (s.series == SeriesKind::Power)
            out += "    return power_series(" + array + ", " + n + ", " + Exact(s.centre) + ", derivative, x);\n";
        else
            out += "    return trig_series(" + array + ", " + n + ", " + Exact(s.centre) + ", " + Exact(s.period) +
                   ", derivative, x);\n";
        out += "}\n";
    }
    return out;
}

std::string OctaveFunction(const Solution& s, size_t variable)
{
    const SolvedVariable& v = s.variables[variable];
    const std::string name = CodeName(v.name, ExportKind::Octave);
    const std::vector<double>& data = v.chebyshev ? v.chebyshev->coef : v.coef;
    std::string out = "function value = " + name + "(x, derivative)\n";
    out += "  % " + name + "(X, DERIVATIVE): " + Describe(s, v) + ".\n";
    out += "  % Found by ODE Series " ODESERIES_VERSION "; gives the value (DERIVATIVE 0, the default) or a\n"
           "  % derivative at the point X exactly as the program's Evaluate does.\n";
    out += ProblemLines(s, "  % ", ExportKind::Octave);
    out += "  if nargin < 2\n    derivative = 0;\n  end\n";
    // One row: inside brackets a line end would start a new row, so each line is continued.
    std::string row = List(data, 4, "    ");
    for (size_t at = 0; (at = row.find('\n', at)) != std::string::npos; at += 5)
        row.replace(at, 1, " ...\n");
    out += "  c = [" + row + " ...\n  ];\n";
    if (v.chebyshev)
        out += "  value = chebyshev_series(c, " + Exact(v.chebyshev->a) + ", " + Exact(v.chebyshev->b) +
               ", derivative, x);\nend\n";
    else if (s.series == SeriesKind::Power)
        out += "  value = power_series(c, " + Exact(s.centre) + ", derivative, x);\nend\n";
    else
        out += "  value = trig_series(c, " + Exact(s.centre) + ", " + Exact(s.period) + ", derivative, x);\nend\n";
    out += std::string("\n") + evaluators::kOctave;
    return out;
}

} // namespace ode
