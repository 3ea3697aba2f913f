// The code exports: a Python module, a C99 file and Octave function files that evaluate a
// solution's series as the program's Evaluate does, operation for operation.
#include "output/Exports.h"

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
        "derivative", "two_pi", "factorial", "power_series", "trig_series", "chebyshev_series"};
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

// The Python evaluators: PowerValue ... TrigHigherDerivative and the Chebyshev derivative,
// operation for operation.
const char* const kPythonEvaluators = R"PY(
_TWO_PI = 8.0 * math.atan(1.0)

_FACT = [1.0]
for _k in range(1, 171):
    _FACT.append(_k * _FACT[_k - 1])


def _power(c, centre, d, x):
    t = x - centre
    n = len(c) - 1
    s = 0.0
    if d == 0:
        for k in range(n, -1, -1):
            s = t * s + c[k]
    elif d == 1:
        for k in range(n, 0, -1):
            s = k * c[k] + t * s
    elif d == 2:
        for k in range(n, 1, -1):
            s = float((k - 1) * k) * c[k] + t * s
    elif n <= 170:
        for k in range(n, d - 1, -1):
            s = (_FACT[k] / _FACT[k - d]) * c[k] + t * s
    else:
        f = 1.0
        for i in range(n + 2 - d, n + 2):
            f = f * i
        for k in range(n, d - 1, -1):
            f = f / (k + 1) * (k + 1 - d)
            s = f * c[k] + t * s
    return s


def _trig(c, centre, period, d, x):
    t = _TWO_PI * (x - centre) / period
    n = len(c) - 1
    even = d % 2 == 0
    s = c[0] if d == 0 else 0.0
    a = 0.0
    j = 0
    k = 1
    while k <= n - 1:
        a = a + t
        j += 1
        if d == 0:
            s = s + math.sin(a) * c[k] + math.cos(a) * c[k + 1]
        elif d == 1:
            s = s + j * (c[k] * math.cos(a) - c[k + 1] * math.sin(a))
        elif d == 2:
            s = s - float(j * j) * (c[k] * math.sin(a) + c[k + 1] * math.cos(a))
        else:
            term = c[k] * math.sin(a) + c[k + 1] * math.cos(a) if even else c[k] * math.cos(a) - c[k + 1] * math.sin(a)
            s = s + math.pow(float(j), d) * term
        k += 2
    if n % 2 == 1:
        a = a + t
        j += 1
        if d == 0:
            s = s + math.sin(a) * c[n]
        elif d == 1:
            s = s + j * c[n] * math.cos(a)
        elif d == 2:
            s = s - float(j * j) * c[n] * math.sin(a)
        else:
            s = s + math.pow(float(j), d) * c[n] * (math.sin(a) if even else math.cos(a))
    if d == 0:
        return s
    if d == 1:
        return s * (_TWO_PI / period)
    if d == 2:
        return s * math.pow(_TWO_PI / period, 2.0)
    if d % 4 == 2 or d % 4 == 3:
        s = -s
    return s * math.pow(_TWO_PI / period, float(d))


def _chebyshev(c, a, b, d, x):
    scale = 2 / (b - a)
    factor = 1
    for _ in range(d):
        n = len(c) - 1
        if n < 1:
            c = [0.0]
        else:
            e = [0.0] * (n + 1)
            for k in range(n, 0, -1):
                e[k - 1] = (e[k + 1] if k + 1 <= n else 0.0) + 2 * k * c[k]
            e[0] /= 2
            c = e[:-1]
        factor *= scale
    t = (2 * x - a - b) / (b - a)
    b1 = 0.0
    b2 = 0.0
    for k in range(len(c) - 1, 0, -1):
        b0 = 2 * t * b1 - b2 + c[k]
        b2 = b1
        b1 = b0
    return factor * ((c[0] if c else 0.0) + t * b1 - b2)
)PY";

const char* const kCDeclarations = R"C(
double sin(double);
double cos(double);
double pow(double, double);
double atan(double);

)C";

const char* const kCPower = R"C(
static double factorial(int k)
{
    double f = 1.0;
    int i;
    for (i = 1; i <= k; ++i)
        f = i * f;
    return f;
}

static double power_series(const double* c, int n, double centre, int d, double x)
{
    const double t = x - centre;
    double s = 0.0;
    int k, i;
    if (d == 0) {
        for (k = n; k >= 0; --k)
            s = t * s + c[k];
    } else if (d == 1) {
        for (k = n; k >= 1; --k)
            s = k * c[k] + t * s;
    } else if (d == 2) {
        for (k = n; k >= 2; --k)
            s = (double)((k - 1) * k) * c[k] + t * s;
    } else if (n <= 170) {
        for (k = n; k >= d; --k)
            s = (factorial(k) / factorial(k - d)) * c[k] + t * s;
    } else {
        double f = 1.0;
        for (i = n + 2 - d; i <= n + 1; ++i)
            f = f * i;
        for (k = n; k >= d; --k) {
            f = f / (k + 1) * (k + 1 - d);
            s = f * c[k] + t * s;
        }
    }
    return s;
}

)C";

const char* const kCTrig = R"C(
static double two_pi(void) { return 8.0 * atan(1.0); }

static double trig_series(const double* c, int n, double centre, double period, int d, double x)
{
    const double t = two_pi() * (x - centre) / period;
    const int even = d % 2 == 0;
    double s = d == 0 ? c[0] : 0.0, a = 0.0;
    int j = 0, k;
    for (k = 1; k <= n - 1; k += 2) {
        a = a + t;
        ++j;
        if (d == 0)
            s = s + sin(a) * c[k] + cos(a) * c[k + 1];
        else if (d == 1)
            s = s + j * (c[k] * cos(a) - c[k + 1] * sin(a));
        else if (d == 2)
            s = s - (double)(j * j) * (c[k] * sin(a) + c[k + 1] * cos(a));
        else
            s = s + pow((double)j, d) * (even ? c[k] * sin(a) + c[k + 1] * cos(a) : c[k] * cos(a) - c[k + 1] * sin(a));
    }
    if (n % 2 == 1) {
        a = a + t;
        ++j;
        if (d == 0)
            s = s + sin(a) * c[n];
        else if (d == 1)
            s = s + j * c[n] * cos(a);
        else if (d == 2)
            s = s - (double)(j * j) * c[n] * sin(a);
        else
            s = s + pow((double)j, d) * c[n] * (even ? sin(a) : cos(a));
    }
    if (d == 0)
        return s;
    if (d == 1)
        return s * (two_pi() / period);
    if (d == 2)
        return s * pow(two_pi() / period, 2.0);
    if (d % 4 == 2 || d % 4 == 3)
        s = -s;
    return s * pow(two_pi() / period, (double)d);
}

)C";

const char* const kCChebyshev = R"C(
/* `work` holds room for 2 (n + 1) numbers: the coefficients differentiated so far, and the
   next derivative's as they are made. */
static double chebyshev_series(const double* coef, int n, double a, double b, int d, double x, double* work)
{
    const double scale = 2 / (b - a);
    double factor = 1, t, b0, b1 = 0.0, b2 = 0.0;
    double* next = work + n + 1;
    int size = n + 1, k, step;
    for (k = 0; k < size; ++k)
        work[k] = coef[k];
    for (step = 0; step < d; ++step) {
        const int m = size - 1;
        if (m < 1) {
            work[0] = 0.0;
            size = 1;
        } else {
            next[m] = 0.0;
            for (k = m; k >= 1; --k)
                next[k - 1] = (k + 1 <= m ? next[k + 1] : 0.0) + 2 * k * work[k];
            next[0] /= 2;
            for (k = 0; k < m; ++k)
                work[k] = next[k];
            size = m;
        }
        factor *= scale;
    }
    t = (2 * x - a - b) / (b - a);
    for (k = size - 1; k >= 1; --k) {
        b0 = 2 * t * b1 - b2 + work[k];
        b2 = b1;
        b1 = b0;
    }
    return factor * (work[0] + t * b1 - b2);
}
)C";

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
           "Evaluate does (the same operations in the same order).\n\"\"\"\n\nimport math\n";
    out += kPythonEvaluators;
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
    out += kCDeclarations;
    const bool chebyshev = s.accurate;
    out += chebyshev ? kCChebyshev : s.series == SeriesKind::Power ? kCPower : kCTrig;
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
            out += "    static double work[" + std::to_string(2 * data.size()) + "];\n    return chebyshev_series(" +
                   array + ", " + n + ", " + Exact(v.chebyshev->a) + ", " + Exact(v.chebyshev->b) +
                   ", derivative, x, work);\n";
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
    out += R"OCT(
function s = power_series(c, centre, d, x)
  t = x - centre;
  n = numel(c) - 1;
  s = 0.0;
  if d == 0
    for k = n:-1:0
      s = t * s + c(k + 1);
    end
  elseif d == 1
    for k = n:-1:1
      s = k * c(k + 1) + t * s;
    end
  elseif d == 2
    for k = n:-1:2
      s = ((k - 1) * k) * c(k + 1) + t * s;
    end
  elseif n <= 170
    fact = ones(1, 171);
    for k = 1:170
      fact(k + 1) = k * fact(k);
    end
    for k = n:-1:d
      s = (fact(k + 1) / fact(k - d + 1)) * c(k + 1) + t * s;
    end
  else
    f = 1.0;
    for i = (n + 2 - d):(n + 1)
      f = f * i;
    end
    for k = n:-1:d
      f = f / (k + 1) * (k + 1 - d);
      s = f * c(k + 1) + t * s;
    end
  end
end

function s = trig_series(c, centre, period, d, x)
  two_pi = 8.0 * atan(1.0);
  t = two_pi * (x - centre) / period;
  n = numel(c) - 1;
  even = mod(d, 2) == 0;
  if d == 0
    s = c(1);
  else
    s = 0.0;
  end
  a = 0.0;
  j = 0;
  for k = 1:2:(n - 1)
    a = a + t;
    j = j + 1;
    if d == 0
      s = s + sin(a) * c(k + 1) + cos(a) * c(k + 2);
    elseif d == 1
      s = s + j * (c(k + 1) * cos(a) - c(k + 2) * sin(a));
    elseif d == 2
      s = s - (j * j) * (c(k + 1) * sin(a) + c(k + 2) * cos(a));
    elseif even
      s = s + j ^ d * (c(k + 1) * sin(a) + c(k + 2) * cos(a));
    else
      s = s + j ^ d * (c(k + 1) * cos(a) - c(k + 2) * sin(a));
    end
  end
  if mod(n, 2) == 1
    a = a + t;
    j = j + 1;
    if d == 0
      s = s + sin(a) * c(n + 1);
    elseif d == 1
      s = s + j * c(n + 1) * cos(a);
    elseif d == 2
      s = s - (j * j) * c(n + 1) * sin(a);
    elseif even
      s = s + j ^ d * c(n + 1) * sin(a);
    else
      s = s + j ^ d * c(n + 1) * cos(a);
    end
  end
  if d == 1
    s = s * (two_pi / period);
  elseif d == 2
    s = s * (two_pi / period) ^ 2;
  elseif d > 2
    if mod(d, 4) == 2 || mod(d, 4) == 3
      s = -s;
    end
    s = s * (two_pi / period) ^ d;
  end
end

function s = chebyshev_series(c, a, b, d, x)
  scale = 2 / (b - a);
  factor = 1;
  for step = 1:d
    n = numel(c) - 1;
    if n < 1
      c = 0.0;
    else
      e = zeros(1, n + 1);
      for k = n:-1:1
        if k + 1 <= n
          above = e(k + 2);
        else
          above = 0.0;
        end
        e(k) = above + 2 * k * c(k + 1);
      end
      e(1) = e(1) / 2;
      c = e(1:n);
    end
    factor = factor * scale;
  end
  t = (2 * x - a - b) / (b - a);
  b1 = 0.0;
  b2 = 0.0;
  for k = (numel(c) - 1):-1:1
    b0 = 2 * t * b1 - b2 + c(k + 1);
    b2 = b1;
    b1 = b0;
  end
  s = factor * (c(1) + t * b1 - b2);
end
)OCT";
    return out;
}

} // namespace ode
