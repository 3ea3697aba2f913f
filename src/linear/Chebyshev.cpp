#include "linear/Chebyshev.h"

#include "common/NumberFormat.h"
#include "linear/Elimination.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace ode {

namespace {

double sOf(const ChebyshevSeries& s, double x) { return (2 * x - s.a - s.b) / (s.b - s.a); }

// Clenshaw's recurrence for c0 T0(t) + ... + cN TN(t).
double clenshaw(const std::vector<double>& c, double t)
{
    double b1 = 0, b2 = 0;
    for (size_t k = c.size(); k-- > 1;) {
        const double b0 = 2 * t * b1 - b2 + c[k];
        b2 = b1;
        b1 = b0;
    }
    return (c.empty() ? 0.0 : c[0]) + t * b1 - b2;
}

bool valueOf(script::ScriptHost& host, const std::string& text, double& out)
{
    if (host.evaluate(text, out))
        return true;
    host.trap();
    return false;
}

// Coefficient texts of orders 0 ... n and the right-hand side, at the point set in the engine.
bool pieces(script::ScriptHost& host, const std::vector<std::string>& texts, int n, std::vector<double>& p, double& rhs)
{
    p.assign(static_cast<size_t>(n) + 1, 0.0);
    for (int k = n; k >= 0; --k)
        if (!valueOf(host, texts[static_cast<size_t>(k)], p[static_cast<size_t>(k)]))
            return false;
    return valueOf(host, texts[static_cast<size_t>(n) + 1], rhs);
}

// One collocation row: sum over k of p[k] (2/(b-a))^k d^k/ds^k Tj(s), for every j.
void chebyshevRow(double* row, int n, int N, double t, double scale, const std::vector<double>& p, double rhs,
                  std::vector<double>& d)
{
    ChebyshevBasisDerivatives(n, N, t, d);
    ChebyshevRowFromBasis(row, n, N, scale, p.data(), d);
    row[N + 1] = rhs;
}

} // namespace

void ChebyshevBasisDerivatives(int n, int N, double t, std::vector<double>& d)
{
    const size_t width = static_cast<size_t>(n) + 1;
    d.assign(static_cast<size_t>(N + 1) * width, 0.0);
    auto at = [&](int j, int k) -> double& { return d[static_cast<size_t>(j) * width + static_cast<size_t>(k)]; };
    at(0, 0) = 1;
    if (N >= 1) {
        at(1, 0) = t;
        if (n >= 1)
            at(1, 1) = 1;
    }
    for (int j = 1; j < N; ++j)
        for (int k = 0; k <= n; ++k)
            at(j + 1, k) = 2 * t * at(j, k) + (k > 0 ? 2 * k * at(j, k - 1) : 0.0) - at(j - 1, k);
}

void ChebyshevRowFromBasis(double* row, int n, int N, double scale, const double* p, const std::vector<double>& d)
{
    const size_t width = static_cast<size_t>(n) + 1;
    double factor[16];
    std::vector<double> many;
    double* f = factor;
    if (width > 16) {
        many.resize(width);
        f = many.data();
    }
    double power = 1;
    for (size_t k = 0; k < width; ++k, power *= scale)
        f[k] = p[k] * power;
    for (int j = 0; j <= N; ++j) {
        const double* dj = d.data() + static_cast<size_t>(j) * width;
        double sum = 0;
        for (size_t k = 0; k < width; ++k)
            sum += f[k] * dj[k];
        row[j] = sum;
    }
}

double ChebyshevPoint(int i, int m) { return std::cos(3.14159265358979323846 * (2 * i + 1) / (2 * m)); }

ChebyshevSeries PowerToChebyshev(const std::vector<double>& power, double centre, double a, double b, int degree)
{
    // Interpolation at the N+1 zeros of T(N+1): exact, but for rounding, for a power series of
    // degree N or less; a longer one is cut to its interpolant.
    ChebyshevSeries s;
    s.a = a;
    s.b = b;
    const int m = degree + 1;
    s.coef.assign(static_cast<size_t>(m), 0.0);
    for (int i = 0; i < m; ++i) {
        const double t = ChebyshevPoint(i, m), x = (a + b) / 2 + t * (b - a) / 2;
        double y = 0;
        for (size_t k = power.size(); k-- > 0;)
            y = y * (x - centre) + power[k];
        // T_j(t) by the recurrence, accumulated into every coefficient.
        double previous = 1, current = t;
        s.coef[0] += y;
        for (int j = 1; j < m; ++j) {
            s.coef[static_cast<size_t>(j)] += y * current;
            const double next = 2 * t * current - previous;
            previous = current;
            current = next;
        }
    }
    s.coef[0] /= m;
    for (int j = 1; j < m; ++j)
        s.coef[static_cast<size_t>(j)] *= 2.0 / m;
    return s;
}

std::vector<double> ChebyshevDerivativeCoefficients(const std::vector<double>& c)
{
    const int N = static_cast<int>(c.size()) - 1;
    if (N < 1)
        return {0.0};
    std::vector<double> d(static_cast<size_t>(N) + 1, 0.0); // d[N] stays 0
    for (int k = N; k >= 1; --k)
        d[static_cast<size_t>(k) - 1] =
            (k + 1 <= N ? d[static_cast<size_t>(k) + 1] : 0.0) + 2 * k * c[static_cast<size_t>(k)];
    d[0] /= 2;
    d.pop_back();
    return d;
}

double ChebyshevDerivative(const ChebyshevSeries& s, int derivative, double x)
{
    std::vector<double> c = s.coef;
    const double scale = 2 / (s.b - s.a);
    double factor = 1;
    for (int k = 0; k < derivative; ++k) {
        c = ChebyshevDerivativeCoefficients(c);
        factor *= scale;
    }
    return factor * clenshaw(c, sOf(s, x));
}

std::vector<double> ChebyshevToPower(const ChebyshevSeries& s, double centre)
{
    // y^(k)(C) / k!: each derivative is divided by k as it is taken, which keeps the factorials
    // out of range problems at any degree.
    std::vector<double> power;
    std::vector<double> c = s.coef;
    const double scale = 2 / (s.b - s.a), t = sOf(s, centre);
    for (size_t k = 0; k < s.coef.size(); ++k) {
        power.push_back(clenshaw(c, t));
        c = ChebyshevDerivativeCoefficients(c);
        for (double& v : c)
            v *= scale / static_cast<double>(k + 1);
    }
    return power;
}

ChebyshevSolution SolveLinearChebyshev(const LinearInputs& in, const LinearCoefficientTexts& texts,
                                       script::ScriptHost& host)
{
    ChebyshevSolution result;
    const int n = in.order, N = in.seriesDegree, m = N + 1 - n;
    auto scriptFailure = [&] {
        result.termination = Termination::ScriptError;
        result.error = host.fault();
        return result;
    };
    if (n < 1 || m < 1 || static_cast<int>(texts.bc.size()) < n || !(in.xupper > in.xlower)) {
        // The boxes' checks refuse these first; a caller that skipped them still hears why.
        host.report(m < 1 ? "The degree of the solution must be greater than the order."
                          : "The problem needs an interval and one condition per order.");
        result.termination = Termination::Refused;
        return result;
    }
    result.series.a = in.xlower;
    result.series.b = in.xupper;
    const double scale = 2 / (in.xupper - in.xlower);
    AugmentedMatrix a(N + 1);
    std::vector<double> p, d;
    double rhs = 0;
    for (int i = 0; i < m; ++i) {
        const double t = ChebyshevPoint(i, m);
        const double x = (in.xlower + in.xupper) / 2 + t * (in.xupper - in.xlower) / 2;
        if (!host.assignVariable(in.indepVarName, x)) {
            host.trap();
            return scriptFailure();
        }
        if (!pieces(host, texts.de, n, p, rhs))
            return scriptFailure();
        chebyshevRow(a.row(i), n, N, t, scale, p, rhs, d);
    }
    for (int c = 0; c < n; ++c) {
        if (!pieces(host, texts.bc[static_cast<size_t>(c)], n, p, rhs))
            return scriptFailure();
        chebyshevRow(a.row(m + c), n, N, sOf(result.series, in.bcPoint[static_cast<size_t>(c)]), scale, p, rhs, d);
    }
    if (!a.allFinite()) {
        host.raise(script::ErrOverflow);
        host.trap();
        result.termination = Termination::ArithmeticFault;
        result.error = host.fault();
        return result;
    }
    switch (Eliminate(a, result.series.coef)) {
    case EliminationOutcome::Solved:
        result.termination = Termination::Solved;
        break;
    case EliminationOutcome::LinearlyDependent:
        result.termination = Termination::LinearlyDependent;
        break;
    case EliminationOutcome::Inconsistent:
        result.termination = Termination::Inconsistent;
        break;
    case EliminationOutcome::ArithmeticFault:
        host.raise(script::ErrOverflow);
        host.trap();
        result.termination = Termination::ArithmeticFault;
        result.error = host.fault();
        break;
    }
    return result;
}

double ChebyshevTail(const std::vector<double>& coef)
{
    double scale = 0, tail = 0;
    for (size_t k = 0; k < coef.size(); ++k) {
        scale = std::fmax(scale, std::fabs(coef[k]));
        if (k + 8 >= coef.size())
            tail = std::fmax(tail, std::fabs(coef[k]));
    }
    return scale > 0 ? tail / scale : 0.0;
}

AutoDegreeSolution GrowChebyshevDegree(int first, int maxDegree, double tolerance,
                                       const std::function<ChebyshevSolution(int degree)>& solveAt)
{
    AutoDegreeSolution result;
    double bestTail = -1, previousTail = -1;
    int degree = first;
    for (;;) {
        const int tried = std::min(degree, maxDegree);
        ChebyshevSolution s = solveAt(tried);
        if (!s.solved()) {
            if (bestTail < 0) { // nothing better to show: the failure is the result
                result.best = std::move(s);
                result.degree = tried;
                return result;
            }
            break;
        }
        const double tail = ChebyshevTail(s.series.coef);
        double scale = 0;
        for (double c : s.series.coef)
            scale = std::fmax(scale, std::fabs(c));
        const bool plateau = previousTail >= 0 && tail > 0.5 * previousTail && tail < 1e-11;
        if (bestTail < 0 || tail < bestTail) {
            bestTail = tail;
            result.best = s;
            result.degree = tried;
            // Never below what rounding leaves in a sum of N+1 terms of this scale.
            result.estimatedError = std::fmax(8 * tail, 2.220446049250313e-16 * (tried + 1)) * scale;
        }
        if (tail <= tolerance || plateau) {
            result.converged = true;
            break;
        }
        previousTail = tail;
        if (tried >= maxDegree)
            break;
        degree *= 2;
    }
    if (result.converged)
        result.line = "CONVERGED AT DEGREE " + std::to_string(result.degree) + ": ESTIMATED ERROR " +
                      FormatNumber(result.estimatedError);
    else
        result.line = "NOT CONVERGED BY DEGREE " + std::to_string(std::min(degree, maxDegree)) + ": ESTIMATED ERROR " +
                      FormatNumber(result.estimatedError) + "; THE BEST SOLUTION (DEGREE " +
                      std::to_string(result.degree) + ") IS SHOWN";
    return result;
}

AutoDegreeSolution SolveLinearChebyshevAuto(LinearInputs in, const LinearCoefficientTexts& texts,
                                            script::ScriptHost& host, int maxDegree, double tolerance)
{
    return GrowChebyshevDegree(std::max(16, in.order + 2), maxDegree, tolerance, [&](int degree) {
        in.seriesDegree = degree;
        return SolveLinearChebyshev(in, texts, host);
    });
}

std::vector<std::string> ChebyshevCoefficientLines(const std::string& depVarName, const ChebyshevSeries& s)
{
    std::vector<std::string> lines = {"CHEBYSHEV COEFFICIENTS ON [" + FormatNumber(s.a) + "," + FormatNumber(s.b) +
                                      "]:"};
    for (size_t k = 0; k < s.coef.size(); ++k)
        lines.push_back(depVarName + "(" + std::to_string(k) + ")=" + FormatNumber(s.coef[k]));
    return lines;
}

} // namespace ode
