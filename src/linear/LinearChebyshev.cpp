#include "linear/LinearChebyshev.h"

#include "collocation/Elimination.h"
#include "common/Limits.h"
#include "common/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace ode {

namespace {

// Coefficient texts of orders 0 ... n and the right-hand side, at the point set in the engine.
bool pieces(script::ScriptHost& host, const std::vector<std::string>& texts, int n, std::vector<double>& p, double& rhs)
{
    p.assign(static_cast<size_t>(n) + 1, 0.0);
    for (int k = n; k >= 0; --k)
        if (!host.evaluateOrTrap(texts[static_cast<size_t>(k)], p[static_cast<size_t>(k)]))
            return false;
    return host.evaluateOrTrap(texts[static_cast<size_t>(n) + 1], rhs);
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

ChebyshevSolution SolveLinearChebyshev(const SingleInputs& in, const LinearCoefficientTexts& texts,
                                       script::ScriptHost& host, const Progress& progress)
{
    ChebyshevSolution result;
    auto cancelled = [&] {
        result.termination = Termination::Cancelled;
        result.series.coef.clear();
        return result;
    };
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
        if (progress.cancelled())
            return cancelled();
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
        const double t = (2 * in.bcPoint[static_cast<size_t>(c)] - in.xlower - in.xupper) / (in.xupper - in.xlower);
        chebyshevRow(a.row(m + c), n, N, t, scale, p, rhs, d);
    }
    if (!a.allFinite()) {
        host.raise(script::ErrOverflow);
        host.trap();
        result.termination = Termination::ArithmeticFault;
        result.error = host.fault();
        return result;
    }
    EquilibrateRows(a); // the collocation rows grow like N^(2n), the conditions' do not
    switch (EliminateRefined(a, result.series.coef, result.rounding, progress, n)) {
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
    case EliminationOutcome::Cancelled:
        return cancelled();
    }
    return result;
}

AutoDegreeSolution SolveLinearChebyshevAuto(SingleInputs in, const LinearCoefficientTexts& texts,
                                            script::ScriptHost& host, int maxDegree, double tolerance,
                                            const Progress& progress)
{
    return GrowChebyshevDegree(
        std::max(16, in.order + 2), maxDegree, tolerance,
        [&](int degree, const Progress& at) {
            in.seriesDegree = degree;
            return SolveLinearChebyshev(in, texts, host, at);
        },
        false, progress);
}

} // namespace ode
