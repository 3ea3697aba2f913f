#include "linear/LinearSolver.h"

#include "common/NumberFormat.h"
#include "common/Power.h"
#include "equations/LinearSplit.h"
#include "script/ScriptErrors.h"
#include "session/Listing.h"

#include <cmath>

namespace ode {

namespace {

// DerivativeSign(k mod 4): the sign of the k-th derivative of sin (and, shifted by one, cos).
constexpr int kDerivativeSign[4] = {1, 1, -1, -1};

// Evaluates a coefficient text; on failure the host has shown its message.

void arithmeticFault(script::ScriptHost& host, int number)
{
    host.raise(number);
    host.trap();
}

// u^0 ... u^N, each exactly the value Power(u, e) gives: one call per exponent instead of
// one per exponent, order and column.
void powersOf(double u, int N, std::vector<double>& out)
{
    out.resize(static_cast<size_t>(N) + 1);
    for (int e = 0; e <= N; ++e)
        out[static_cast<size_t>(e)] = Power(u, e);
}

// Adds to row `row` of `a` the columns of a power-series row at offset u from the centre with
// coefficient values av[0 ... n]; `powers` is scratch space for the powers of u.
void powerRow(AugmentedMatrix& a, int row, int n, int N, double u, const std::vector<double>& av,
              std::vector<double>& powers)
{
    const auto& fact = Factorials();
    powersOf(u, N, powers);
    const double* up = powers.data();
    double* r = a.row(row);
    for (int j = 0; j < n; ++j)
        for (int k = 0; k <= j; ++k)
            r[j] = r[j] + up[j - k] * ((fact[j] / fact[j - k]) * av[k]);
    for (int j = n; j <= N; ++j) {
        double g = 1.0;
        for (int k = 0; k <= n; ++k) {
            r[j] = r[j] + up[j - k] * (g * av[k]);
            g = g * (j - k);
        }
    }
}

// (m omega)^k for m = 0 ... (N+1)/2 and k = 0 ... n, as std::pow gives them; the same for
// every row of a trigonometric problem. Element m * (n+1) + k.
std::vector<double> frequencyPowers(int n, int N, double omega)
{
    const int harmonics = (N + 1) / 2;
    std::vector<double> p(static_cast<size_t>(harmonics + 1) * static_cast<size_t>(n + 1));
    for (int m = 0; m <= harmonics; ++m)
        for (int k = 0; k <= n; ++k)
            p[static_cast<size_t>(m) * static_cast<size_t>(n + 1) + static_cast<size_t>(k)] = Power(m * omega, k);
    return p;
}

// The trigonometric column rule at argument theta; `wk` from frequencyPowers.
void trigRow(AugmentedMatrix& a, int row, int n, int N, double theta, const std::vector<double>& wk,
             const std::vector<double>& av)
{
    double* r = a.row(row);
    for (int j = 0; j <= N; ++j) {
        const int m = j % 2 == 0 ? j / 2 : (j + 1) / 2;
        const double* w = wk.data() + static_cast<size_t>(m) * static_cast<size_t>(n + 1);
        const double cosine = std::cos(m * theta), sine = std::sin(m * theta);
        if (j % 2 == 0) {
            for (int k = 0; k <= n; ++k) {
                double t = k % 2 == 0 ? cosine : sine;
                r[j] = r[j] + w[k] * kDerivativeSign[(k + 1) % 4] * t * av[k];
            }
        } else {
            for (int k = 0; k <= n; ++k) {
                double t = k % 2 == 0 ? sine : cosine;
                r[j] = r[j] + w[k] * kDerivativeSign[k % 4] * t * av[k];
            }
        }
    }
}

// Values of the texts[n] ... texts[0] and then texts[n+1], as the solver evaluates them.
bool rowValues(script::ScriptHost& host, const std::vector<std::string>& texts, int n, std::vector<double>& av,
               double& rhs)
{
    av.assign(static_cast<size_t>(n) + 1, 0.0);
    for (int k = n; k >= 0; --k)
        if (!host.evaluateOrTrap(texts[static_cast<size_t>(k)], av[static_cast<size_t>(k)]))
            return false;
    return host.evaluateOrTrap(texts[static_cast<size_t>(n) + 1], rhs);
}

bool assign(script::ScriptHost& host, const std::string& name, double x)
{
    if (host.assignVariable(name, x))
        return true;
    host.trap();
    return false;
}

double lhsAt(const DerivativeAt& derivative, int n, const std::vector<double>& av, double x)
{
    double lhs = 0.0;
    for (int k = n; k >= 0; --k)
        lhs = lhs + derivative(k, x) * av[static_cast<size_t>(k)];
    return lhs;
}

// The evaluated coefficients of the equation at each grid point and of each condition, with
// their right-hand sides.
struct CollocationValues {
    const std::vector<std::vector<double>>& de;
    const std::vector<double>& deRhs;
    const std::vector<std::vector<double>>& bc;
    const std::vector<double>& bcRhs;
};

// A power series' rows: the grid points 0 ... M, then the conditions M+1 ... N. False when the
// caller asked to stop (a row at degree 8000 takes about a millisecond).
bool powerRows(const SingleInputs& in, int n, int N, int M, double h, const CollocationValues& v, AugmentedMatrix& a,
               const Progress& progress)
{
    std::vector<double> powers;
    for (int m = 0; m <= M; ++m) {
        if (progress.cancelled())
            return false;
        powerRow(a, m, n, N, m * h + (in.xlower - in.xcenter), v.de[static_cast<size_t>(m)], powers);
        a.at(m, N + 1) = v.deRhs[static_cast<size_t>(m)];
    }
    for (int r = M + 1; r <= N; ++r) {
        const size_t i = static_cast<size_t>(r - M - 1);
        powerRow(a, r, n, N, in.bcPoint[i] - in.xcenter, v.bc[i], powers);
        a.at(r, N + 1) = v.bcRhs[i];
    }
    return true;
}

// A trigonometric series' rows, in the same order (the period is not 0).
bool trigRows(const SingleInputs& in, int n, int N, int M, double h, const CollocationValues& v, AugmentedMatrix& a,
              const Progress& progress)
{
    const double omega = 8 * std::atan(1.0) / in.period;
    const std::vector<double> wk = frequencyPowers(n, N, omega);
    for (int m = 0; m <= M; ++m) {
        if (progress.cancelled())
            return false;
        trigRow(a, m, n, N, (m * h + (in.xlower - in.xcenter)) * omega, wk, v.de[static_cast<size_t>(m)]);
        a.at(m, N + 1) = v.deRhs[static_cast<size_t>(m)];
    }
    for (int r = M + 1; r <= N; ++r) {
        const size_t i = static_cast<size_t>(r - M - 1);
        trigRow(a, r, n, N, (in.bcPoint[i] - in.xcenter) * omega, wk, v.bc[i]);
        a.at(r, N + 1) = v.bcRhs[i];
    }
    return true;
}

} // namespace

std::optional<std::string> ExtractLinearCoefficients(const SingleInputs& in, LinearCoefficientTexts& out)
{
    SplitResult de = ExtractDECoefficients(in.equation, in.depVarName, in.order);
    if (de.problem)
        return "The differential equation " + *de.problem + ".";
    out.de = de.texts;
    out.bc.clear();
    auto rows = ExtractBCCoefficients(in.bcText, in.depVarName, in.order);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].problem)
            return "Boundary condition " + std::to_string(i + 1) + " " + *rows[i].problem + ".";
        out.bc.push_back(rows[i].texts);
    }
    return std::nullopt;
}

LinearSolution SolveLinear(const SingleInputs& in, const LinearCoefficientTexts& texts, script::ScriptHost& host,
                           const Progress& progress)
{
    LinearSolution result;
    auto cancelled = [&] {
        result.termination = Termination::Cancelled;
        result.lstCoeff = ListEndLines(ListStyle::Expansion, Termination::Cancelled);
        return result;
    };
    // Every early return states why: the engine's error, or the solver's own fault.
    auto scriptFailure = [&] {
        result.termination = Termination::ScriptError;
        result.error = host.fault();
        return result;
    };
    auto fault = [&](int number, Termination why) {
        arithmeticFault(host, number);
        result.termination = why;
        result.error = host.fault();
        return result;
    };
    const int n = in.order;
    const int N = in.seriesDegree;
    const int M = N - n;
    if (n < 1 || N < n || static_cast<int>(texts.bc.size()) < n)
        return fault(script::ErrInvalidCall, Termination::Refused);

    // Condition factors, before the independent variable is assigned.
    std::vector<std::vector<double>> bcValues(static_cast<size_t>(n));
    std::vector<double> bcRhs(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        if (!rowValues(host, texts.bc[static_cast<size_t>(i)], n, bcValues[static_cast<size_t>(i)],
                       bcRhs[static_cast<size_t>(i)]))
            return scriptFailure();

    if (M == 0)
        return fault(in.xupper - in.xlower == 0 ? script::ErrOverflow : script::ErrDivisionByZero,
                     Termination::ArithmeticFault);
    const double h = (in.xupper - in.xlower) / M;

    std::vector<std::vector<double>> deValues(static_cast<size_t>(M) + 1);
    std::vector<double> deRhs(static_cast<size_t>(M) + 1);
    for (int m = 0; m <= M; ++m) {
        if (progress.cancelled())
            return cancelled();
        const double x = m * h + in.xlower;
        if (!assign(host, in.indepVarName, x) ||
            !rowValues(host, texts.de, n, deValues[static_cast<size_t>(m)], deRhs[static_cast<size_t>(m)]))
            return scriptFailure();
    }

    if (in.kind == SeriesKind::Trigonometric && in.period == 0.0)
        return fault(script::ErrDivisionByZero, Termination::ArithmeticFault);
    AugmentedMatrix a(N + 1);
    const CollocationValues values{deValues, deRhs, bcValues, bcRhs};
    if (!(in.kind == SeriesKind::Power ? powerRows(in, n, N, M, h, values, a, progress)
                                       : trigRows(in, n, N, M, h, values, a, progress)))
        return cancelled();
    if (!a.allFinite())
        return fault(script::ErrOverflow, Termination::ArithmeticFault);

    std::vector<double> coef;
    switch (Eliminate(a, coef, progress)) {
    case EliminationOutcome::Solved:
        result.termination = Termination::Solved;
        result.coef = std::move(coef);
        result.lstCoeff = CoefficientLines(in.depVarName, result.coef);
        break;
    case EliminationOutcome::LinearlyDependent:
        result.termination = Termination::LinearlyDependent;
        result.lstCoeff = ListEndLines(ListStyle::Expansion, result.termination);
        break;
    case EliminationOutcome::Inconsistent:
        result.termination = Termination::Inconsistent;
        result.lstCoeff = ListEndLines(ListStyle::Expansion, result.termination);
        break;
    case EliminationOutcome::ArithmeticFault:
        return fault(script::ErrOverflow, Termination::ArithmeticFault);
    case EliminationOutcome::Cancelled:
        return cancelled();
    }
    return result;
}

bool ListBCErrors(const SingleInputs& in, const LinearCoefficientTexts& texts, const SeriesView& series,
                  script::ScriptHost& host, std::vector<std::string>& lines, std::vector<double>& residuals)
{
    return ListBCErrors(
        in, texts, [&series](int k, double x) { return SeriesDerivative(series, k, x); }, host, lines, residuals);
}

bool ListBCErrors(const SingleInputs& in, const LinearCoefficientTexts& texts, const DerivativeAt& series,
                  script::ScriptHost& host, std::vector<std::string>& lines, std::vector<double>& residuals)
{
    const int n = in.order;
    for (int i = 0; i < n && i < static_cast<int>(texts.bc.size()); ++i) {
        const double xi = in.bcPoint[static_cast<size_t>(i)];
        std::vector<double> bv;
        double d = 0.0;
        if (!assign(host, in.indepVarName, xi) || !rowValues(host, texts.bc[static_cast<size_t>(i)], n, bv, d))
            return false;
        const double lhs = lhsAt(series, n, bv, xi);
        lines.push_back("B.C. #" + std::to_string(i + 1));
        lines.push_back("LHS=" + FormatNumber(lhs));
        lines.push_back("RHS=" + FormatNumber(d));
        lines.push_back("LHS-RHS=" + FormatNumber(lhs - d));
        residuals.push_back(lhs - d);
    }
    return true;
}

bool EquationResidualLines(const SingleInputs& in, const LinearCoefficientTexts& texts, const SeriesView& series,
                           double x, script::ScriptHost& host, std::vector<std::string>& lines)
{
    return EquationResidualLines(
        in, texts, [&series](int k, double at) { return SeriesDerivative(series, k, at); }, x, host, lines);
}

bool EquationResidualLines(const SingleInputs& in, const LinearCoefficientTexts& texts, const DerivativeAt& series,
                           double x, script::ScriptHost& host, std::vector<std::string>& lines)
{
    std::vector<double> av;
    double f = 0.0;
    if (!assign(host, in.indepVarName, x) || !rowValues(host, texts.de, in.order, av, f))
        return false;
    const double lhs = lhsAt(series, in.order, av, x);
    lines = {"LHS=" + FormatNumber(lhs), "RHS=" + FormatNumber(f), "LHS-RHS=" + FormatNumber(lhs - f)};
    return true;
}


bool EquationTermsAt(const SingleInputs& in, const LinearCoefficientTexts& texts, const DerivativeAt& solution,
                     double x, script::ScriptHost& host, double& residual, double& terms)
{
    if (!host.assignVariable(in.indepVarName, x))
        return false;
    const int n = in.order;
    std::vector<double> av(static_cast<size_t>(n) + 1, 0.0);
    double f = 0;
    for (int k = n; k >= 0; --k)
        if (!host.evaluate(texts.de[static_cast<size_t>(k)], av[static_cast<size_t>(k)]))
            return false;
    if (!host.evaluate(texts.de[static_cast<size_t>(n) + 1], f))
        return false;
    residual = lhsAt(solution, n, av, x) - f;
    terms = std::fabs(f);
    for (int k = 0; k <= n; ++k)
        terms += std::fabs(av[static_cast<size_t>(k)] * solution(k, x));
    return std::isfinite(residual) && std::isfinite(terms);
}

} // namespace ode
