#include "linear/LinearChebyshev.h"

#include "collocation/Elimination.h"
#include "collocation/Ultraspherical.h"
#include "common/Limits.h"
#include "common/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

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
    ChebyshevRowFromBasis(row, n, N, scale, p.data(), d.data());
    row[N + 1] = rhs;
}

// The banded system solved, on the interval of `in`; `outcome` says how it ended.
ChebyshevSolution SolveBandedOn(const SingleInputs& in, const AlmostBandedSystem& system, BandedOutcome& outcome,
                                const Progress& progress, BandedSolve how = BandedSolve::Refined)
{
    ChebyshevSolution result;
    result.series.a = in.xlower;
    result.series.b = in.xupper;
    outcome = SolveAlmostBanded(system, result.series.coef, result.rounding, progress, how);
    return result;
}

// The banded form's solve: none where it does not apply (no system) or its system is singular
// or not finite (the collocation then solves, and says what it finds), except beyond the
// collocation's own bound (kMaxCollocationAutoDegree unknowns), where solving again densely would
// take hours: a singular system then ends LinearlyDependent, one that is not finite
// ArithmeticFault.
std::optional<ChebyshevSolution> SolveLinearBanded(const SingleInputs& in,
                                                   const std::optional<AlmostBandedSystem>& system,
                                                   script::ScriptHost& host, const Progress& progress)
{
    if (!system)
        return std::nullopt;
    BandedOutcome outcome;
    ChebyshevSolution result = SolveBandedOn(in, *system, outcome, progress);
    if (outcome != BandedOutcome::Solved && outcome != BandedOutcome::Cancelled &&
        !BandedFailureStands(system->unknowns))
        return std::nullopt;
    result.termination = BandedTermination(outcome, host);
    if (result.termination == Termination::ArithmeticFault)
        result.error = host.fault();
    if (!result.solved())
        result.series.coef.clear();
    return result;
}

// A probe of the automatic degree: the banded form at a degree where the collocation solves,
// with only the band's own bound on its width. None where it does not apply or is singular.
std::optional<ChebyshevSolution> ProbeLinearBanded(const SingleInputs& in, const LinearBandedPieces& pieces,
                                                   const LinearCoefficientTexts& texts, script::ScriptHost& host,
                                                   const Progress& progress)
{
    const std::optional<AlmostBandedSystem> system = LinearBandedSystem(in, pieces, texts, host, true, progress);
    if (!system)
        return std::nullopt;
    BandedOutcome outcome;
    ChebyshevSolution result = SolveBandedOn(in, *system, outcome, progress, BandedSolve::Plain);
    if (outcome == BandedOutcome::Cancelled)
        result.termination = Termination::Cancelled;
    else if (outcome != BandedOutcome::Solved)
        return std::nullopt;
    else
        result.termination = Termination::Solved;
    return result;
}

// The collocation, or from kBandedFromDegree on the banded form where `bandedSystem` gives one.
ChebyshevSolution SolveLinearChebyshevWith(const SingleInputs& in, const LinearCoefficientTexts& texts,
                                           script::ScriptHost& host, const Progress& progress,
                                           const std::function<std::optional<AlmostBandedSystem>()>& bandedSystem);

} // namespace

std::optional<LinearBandedPieces> ResolveLinearPieces(const SingleInputs& in, const LinearCoefficientTexts& texts,
                                                     script::ScriptHost& host)
{
    const int n = in.order;
    if (n < 1 || static_cast<int>(texts.de.size()) < n + 2 || !(in.xupper > in.xlower))
        return std::nullopt;
    LinearBandedPieces pieces;
    pieces.coefficients.resize(static_cast<size_t>(n) + 1);
    script::ScriptHost::QuietScope quiet(host); // the collocation reports what fails here
    for (int k = n; k >= 0; --k)
        if (!ResolveText(host, in.indepVarName, in.xlower, in.xupper, texts.de[static_cast<size_t>(k)],
                         pieces.coefficients[static_cast<size_t>(k)]))
            return std::nullopt;
    if (pieces.coefficients[static_cast<size_t>(n)].empty() ||
        !ResolveText(host, in.indepVarName, in.xlower, in.xupper, texts.de[static_cast<size_t>(n) + 1], pieces.rhs))
        return std::nullopt;
    return pieces;
}

std::optional<AlmostBandedSystem> LinearBandedSystem(const SingleInputs& in, const LinearCoefficientTexts& texts,
                                                     script::ScriptHost& host, const Progress& progress)
{
    const std::optional<LinearBandedPieces> resolved = ResolveLinearPieces(in, texts, host);
    if (!resolved)
        return std::nullopt;
    return LinearBandedSystem(in, *resolved, texts, host, false, progress);
}

std::optional<AlmostBandedSystem> LinearBandedSystem(const SingleInputs& in, const LinearBandedPieces& resolved,
                                                     const LinearCoefficientTexts& texts, script::ScriptHost& host,
                                                     bool probe, const Progress& progress)
{
    const int n = in.order, N = in.seriesDegree, m = N + 1 - n;
    if (m < 1 || static_cast<int>(texts.bc.size()) < n ||
        UltrasphericalBandWidth(resolved.coefficients) > (probe ? kBandedWidth : std::min(kBandedWidth, N / 4)))
        return std::nullopt; // (the band's width is known before the build)
    const double middle = (in.xlower + in.xupper) / 2, half = (in.xupper - in.xlower) / 2, scale = 1 / half;
    const BandMatrix op =
        UltrasphericalOperator(resolved.coefficients, scale, UltrasphericalSize(resolved.coefficients, N), progress);
    if (op.size == 0) // stopped
        return std::nullopt;
    const int lower = op.lower + n, upper = std::max(0, op.upper - n);
    AlmostBandedSystem system(N + 1, n, lower, upper);
    const std::vector<double> f = ConvertToUltraspherical(resolved.rhs, n, m);
    for (int r = 0; r < m; ++r) {
        const int i = n + r;
        for (int c = std::max(0, i - lower); c <= std::min(N, i + upper); ++c)
            system.bandAt(i, c) = op.get(r, c);
        system.rhs[static_cast<size_t>(i)] = f[static_cast<size_t>(r)];
    }
    // The conditions, with the independent variable where the collocation leaves it (its last
    // point), as their texts are read there.
    script::ScriptHost::QuietScope quiet(host);
    if (!host.assignVariable(in.indepVarName, middle + ChebyshevPoint(m - 1, m) * half))
        return std::nullopt;
    std::vector<double> p, d, row(static_cast<size_t>(N) + 2);
    double value = 0;
    for (int c = 0; c < n; ++c) {
        if (!pieces(host, texts.bc[static_cast<size_t>(c)], n, p, value))
            return std::nullopt;
        const double t = (in.bcPoint[static_cast<size_t>(c)] - middle) / half;
        chebyshevRow(row.data(), n, N, t, scale, p, value, d);
        std::copy(row.begin(), row.begin() + N + 1, system.denseRow(c));
        system.rhs[static_cast<size_t>(c)] = value;
    }
    system.equilibrate();
    return system;
}

ChebyshevSolution SolveLinearChebyshev(const SingleInputs& in, const LinearCoefficientTexts& texts,
                                       script::ScriptHost& host, const Progress& progress)
{
    return SolveLinearChebyshevWith(in, texts, host, progress,
                                    [&] { return LinearBandedSystem(in, texts, host, progress); });
}

namespace {

ChebyshevSolution SolveLinearChebyshevWith(const SingleInputs& in, const LinearCoefficientTexts& texts,
                                           script::ScriptHost& host, const Progress& progress,
                                           const std::function<std::optional<AlmostBandedSystem>()>& bandedSystem)
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
    if (N >= kBandedFromDegree)
        if (std::optional<ChebyshevSolution> banded = SolveLinearBanded(in, bandedSystem(), host, progress))
            return banded->termination == Termination::Cancelled ? cancelled() : *banded;
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
    std::vector<double> freeDirection;
    switch (EliminateRefined(a, result.series.coef, result.rounding, progress, n, &freeDirection)) {
    case EliminationOutcome::Solved:
        result.termination = Termination::Solved;
        result.notUnique = !freeDirection.empty();
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

} // namespace

AutoDegreeSolution SolveLinearChebyshevAuto(SingleInputs in, const LinearCoefficientTexts& texts,
                                            script::ScriptHost& host, int maxDegree, double tolerance,
                                            const Progress& progress)
{
    std::optional<LinearBandedPieces> pieces = ResolveLinearPieces(in, texts, host);
    if (pieces && UltrasphericalBandWidth(pieces->coefficients) > kBandedWidth)
        pieces.reset();
    // Without the banded form the collocation grows, O(N^3) a degree: not beyond its own bound.
    if (!pieces)
        maxDegree = std::min(maxDegree, kMaxCollocationAutoDegree);
    // Below the degree where the banded form solves, it still tells cheaply how far the
    // coefficients reach: O(N) a probe where the collocation is O(N^3).
    ProbeSolver probe;
    if (pieces)
        probe = [&](int degree, const Progress& at) -> std::optional<ChebyshevSolution> {
            if (degree >= kBandedFromDegree)
                return std::nullopt;
            in.seriesDegree = degree;
            return ProbeLinearBanded(in, *pieces, texts, host, at);
        };
    return GrowChebyshevDegree(
        std::max(16, in.order + 2), maxDegree, tolerance,
        [&](int degree, const Progress& at) {
            in.seriesDegree = degree;
            // The pieces resolved above serve every banded degree.
            return SolveLinearChebyshevWith(in, texts, host, at, [&]() -> std::optional<AlmostBandedSystem> {
                if (!pieces)
                    return std::nullopt;
                return LinearBandedSystem(in, *pieces, texts, host, false, at);
            });
        },
        false, progress, probe);
}

} // namespace ode
