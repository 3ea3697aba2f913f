#include "nonlinear/ChebyshevNewton.h"

#include "common/NumberFormat.h"
#include "linear/Elimination.h"
#include "script/ScriptErrors.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ode {

namespace {

struct Failure {};

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr int kHalvings = 10;    // the shortest step tried is 1/1024 of Newton's
constexpr double kArmijo = 1e-4; // the fall a step must bring, relative to its length
constexpr int kPolishPasses = 6; // at most this many passes after the bounds are met

// The residuals of all rows: the largest (what the bounds and the listing speak of) and the
// sum of squares (what a damped step must reduce: Newton's direction always lowers it).
struct ResidualNorms {
    double largest = 0, squares = 0;
    void add(double f)
    {
        largest = std::fmax(largest, std::fabs(f));
        squares += f * f;
    }
    static ResidualNorms Infinite() { return {kInfinity, kInfinity}; }
};

// The iteration's state for one problem: the points, the names, and the basis table of the
// point last set.
class ChebyshevNewton {
public:
    ChebyshevNewton(const NonlinearInputs& in, const std::vector<std::string>& expr, int degree,
                    script::ScriptHost& host)
        : in(in), expr(expr), host(host), n(in.order), N(degree), m(degree + 1 - in.order),
          scale(2 / (in.xupper - in.xlower))
    {
        for (int k = 0; k <= n; ++k)
            names.push_back("Y" + std::to_string(k));
        for (int i = 0; i < m; ++i)
            points.push_back((in.xlower + in.xupper) / 2 + ChebyshevPoint(i, m) * (in.xupper - in.xlower) / 2);
        for (int l = 1; l <= n; ++l)
            points.push_back(in.bcPoint[static_cast<size_t>(l - 1)]);
        values.assign(static_cast<size_t>(n) + 1, 0.0);
    }

    const NonlinearInputs& in;
    const std::vector<std::string>& expr;
    script::ScriptHost& host;
    const int n, N, m;
    const double scale;
    std::vector<std::string> names;
    std::vector<double> points; // the m collocation points, then the n condition points
    std::vector<double> basis, values;
    bool differenced = false;

    // Which residual row r holds: the equation at the collocation points, then condition l.
    int residualOf(int r) const { return r < m ? 0 : r - m + 1; }

    void check(bool ok)
    {
        if (!ok)
            throw Failure{};
    }

    // x and Y0 ... Yn at point r, from the coefficients c, unrounded.
    void setPoint(const std::vector<double>& c, int r)
    {
        const double x = points[static_cast<size_t>(r)];
        ChebyshevBasisDerivatives(n, N, (2 * x - in.xlower - in.xupper) / (in.xupper - in.xlower), basis);
        const size_t width = static_cast<size_t>(n) + 1;
        std::fill(values.begin(), values.end(), 0.0);
        for (int j = 0; j <= N; ++j)
            for (size_t k = 0; k < width; ++k)
                values[k] += c[static_cast<size_t>(j)] * basis[static_cast<size_t>(j) * width + k];
        double power = 1;
        for (size_t k = 0; k < width; ++k, power *= scale) {
            values[k] *= power;
            check(host.assignExact(names[k], values[k]));
        }
        check(host.assignExact(in.indepVarName, x));
    }

    double residual(int r)
    {
        double v = 0;
        check(host.evaluate(expr[static_cast<size_t>(residualOf(r))], v));
        return v;
    }

    // The residual of row r at the point set, and its partials with respect to Y0 ... Yn.
    double residualAndPartials(int r, double* p)
    {
        const std::string& text = expr[static_cast<size_t>(residualOf(r))];
        double v = 0;
        bool exact = true;
        check(host.evaluateWithPartials(text, names, v, p, exact));
        if (exact)
            return v;
        // Something in the text has no derivative the engine knows: central differences,
        // each step near the cube root of the rounding unit of its value.
        differenced = true;
        for (int k = 0; k <= n; ++k) {
            const double y = values[static_cast<size_t>(k)], h = 6e-6 * std::fmax(1.0, std::fabs(y));
            double plus = 0, minus = 0;
            check(host.assignExact(names[static_cast<size_t>(k)], y + h));
            check(host.evaluate(text, plus));
            check(host.assignExact(names[static_cast<size_t>(k)], y - h));
            check(host.evaluate(text, minus));
            check(host.assignExact(names[static_cast<size_t>(k)], y));
            p[k] = (plus - minus) / (2 * h);
        }
        return v;
    }

    // The Newton system at c; returns the residuals' norms.
    ResidualNorms assemble(const std::vector<double>& c, AugmentedMatrix& a)
    {
        ResidualNorms norms;
        double p[script::Engine::kMaxPartials];
        for (int r = 0; r < m + n; ++r) {
            setPoint(c, r);
            const double f = residualAndPartials(r, p);
            double* row = a.row(r);
            ChebyshevRowFromBasis(row, n, N, scale, p, basis);
            row[N + 1] = -f;
            norms.add(f);
        }
        return norms;
    }

    // The residuals' norms at c; infinite where the texts cannot be evaluated there.
    ResidualNorms residualNorms(const std::vector<double>& c)
    {
        ResidualNorms norms;
        try {
            for (int r = 0; r < m + n; ++r) {
                setPoint(c, r);
                const double f = residual(r);
                if (!std::isfinite(f))
                    return ResidualNorms::Infinite();
                norms.add(f);
            }
        } catch (const Failure&) {
            return ResidualNorms::Infinite();
        }
        return norms;
    }
};

double LargestMagnitude(const std::vector<double>& v)
{
    double largest = 0;
    for (double x : v)
        largest = std::fmax(largest, std::fabs(x));
    return largest;
}

// Damped step from c along delta: the first of 1, 1/2, ... 1/1024 whose sum of squared
// residuals falls by Armijo's rule (at least 2e-4 of the step's share of it), else the one
// of them with the smallest sum. Returns the step's norms; c is moved.
NewtonPassNorms DampedStep(ChebyshevNewton& newton, std::vector<double>& c, const std::vector<double>& delta,
                           const ResidualNorms& before)
{
    NewtonPassNorms best{0, kInfinity, 0};
    double bestSquares = kInfinity;
    std::vector<double> trial(c.size()), bestTrial;
    double lambda = 1;
    newton.host.setQuiet(true);
    for (int k = 0; k <= kHalvings; ++k, lambda /= 2) {
        for (size_t j = 0; j < c.size(); ++j)
            trial[j] = c[j] + lambda * delta[j];
        const ResidualNorms norms = newton.residualNorms(trial);
        if (norms.squares < bestSquares) {
            bestSquares = norms.squares;
            best = {lambda * LargestMagnitude(delta), norms.largest, lambda};
            bestTrial = trial;
        }
        if (norms.squares <= (1 - 2 * kArmijo * lambda) * before.squares)
            break;
    }
    newton.host.setQuiet(false);
    if (!bestTrial.empty())
        c = std::move(bestTrial);
    return best;
}

} // namespace

ChebyshevNewtonResult SolveNonlinearChebyshev(const NonlinearInputs& in, const std::vector<std::string>& residualExpr,
                                              const ChebyshevSeries& start, script::ScriptHost& host)
{
    ChebyshevNewtonResult result;
    result.series = start;
    const int N = static_cast<int>(start.coef.size()) - 1, n = in.order;
    if (n < 1 || N + 1 - n < 1 || !(in.xupper > in.xlower) || static_cast<int>(in.bcPoint.size()) < n ||
        static_cast<int>(residualExpr.size()) < n + 1) {
        host.report(N + 1 - n < 1 ? "The degree of the solution must be greater than the order."
                                  : "The problem needs an interval and one condition per order.");
        result.termination = Termination::Refused;
        return result;
    }
    ChebyshevNewton newton(in, residualExpr, N, host);
    std::vector<double>& c = result.series.coef;
    auto fault = [&](Termination t) {
        result.termination = t;
        result.error = host.fault();
        host.trap();
        return result;
    };
    bool met = false;
    double previousCorrection = kInfinity;
    int polish = 0;
    result.termination = Termination::NoConvergence;
    try {
        for (int pass = 1; pass <= in.maxIterations; ++pass) {
            AugmentedMatrix a(N + 1);
            const ResidualNorms before = newton.assemble(c, a);
            if (!a.allFinite()) {
                host.raise(script::ErrOverflow);
                return fault(Termination::ArithmeticFault);
            }
            std::vector<double> delta;
            const EliminationOutcome outcome = Eliminate(a, delta);
            if (outcome == EliminationOutcome::LinearlyDependent || outcome == EliminationOutcome::Inconsistent) {
                result.termination = outcome == EliminationOutcome::LinearlyDependent ? Termination::LinearlyDependent
                                                                                      : Termination::Inconsistent;
                break;
            }
            if (outcome == EliminationOutcome::ArithmeticFault) {
                host.raise(script::ErrOverflow);
                return fault(Termination::ArithmeticFault);
            }
            const std::vector<double> old = c;
            NewtonPassNorms norms = DampedStep(newton, c, delta, before);
            if (!std::isfinite(norms.residual)) {
                result.passes.push_back(norms);
                break; // no step along Newton's direction can be evaluated
            }
            result.correction.resize(c.size());
            for (size_t j = 0; j < c.size(); ++j)
                result.correction[j] = c[j] - old[j];
            result.passes.push_back(norms);
            const bool rounding = norms.correction <= 4 * std::numeric_limits<double>::epsilon() * LargestMagnitude(c);
            if (!met && rounding && norms.residual > in.errorBoundDE) {
                result.stalled = true; // nothing is left to correct, yet the residual stays above its bound
                break;
            }
            if (!met) {
                met = norms.correction <= in.errorBoundCoef && norms.residual <= in.errorBoundDE;
                if (met)
                    result.termination = Termination::Solved;
            } else if (++polish >= kPolishPasses || norms.correction > previousCorrection / 2 ||
                       norms.correction <= 4 * std::numeric_limits<double>::epsilon() * LargestMagnitude(c)) {
                break; // the corrections stopped halving: the digits are what the degree gives
            }
            if (met && norms.correction == 0)
                break;
            previousCorrection = norms.correction;
        }
        // The residuals the lists show, as Evaluate computes them (Clenshaw's values).
        for (int r = 0; r < newton.m + n; ++r) {
            const double x = newton.points[static_cast<size_t>(r)];
            double v = 0;
            newton.check(ChebyshevResidualAt(in, residualExpr, result.series, newton.residualOf(r), x, host, v));
            (r < newton.m ? result.gridResidual : result.conditionResidual).push_back(v);
            if (r < newton.m)
                result.gridX.push_back(x);
        }
    } catch (const Failure&) {
        host.setQuiet(false);
        return fault(Termination::ScriptError);
    }
    result.differencedPartials = newton.differenced;
    return result;
}

std::vector<std::string> NewtonPassLines(const ChebyshevNewtonResult& result)
{
    std::vector<std::string> lines;
    for (size_t k = 0; k < result.passes.size(); ++k) {
        const NewtonPassNorms& p = result.passes[k];
        lines.push_back("PASS " + std::to_string(k + 1) + ": CORRECTION " + FormatNumber(p.correction) + "  RESIDUAL " +
                        FormatNumber(p.residual) + "  STEP " + FormatNumber(p.step));
    }
    const std::string count = std::to_string(result.passes.size()) + (result.passes.size() == 1 ? " PASS" : " PASSES");
    switch (result.termination) {
    case Termination::Solved:
        lines.push_back("CONVERGED AFTER " + count);
        break;
    case Termination::NoConvergence:
        if (result.stalled)
            lines.push_back("NOT CONVERGED: THE CORRECTIONS REACHED ROUNDING LEVEL WITH THE RESIDUAL " +
                            FormatNumber(result.passes.back().residual) + " STILL ABOVE ITS BOUND");
        else
            lines.push_back("NOT CONVERGED AFTER " + count);
        break;
    case Termination::LinearlyDependent:
        lines.push_back("STOPPED: LINEARLY DEPENDENT SYSTEM");
        break;
    case Termination::Inconsistent:
        lines.push_back("STOPPED: INCONSISTENT SYSTEM");
        break;
    default:
        lines.push_back("STOPPED BY AN ERROR");
        break;
    }
    if (result.differencedPartials)
        lines.push_back("PARTIAL DERIVATIVES BY DIFFERENCES: THE EQUATION USES A TEXT FUNCTION");
    return lines;
}

NewtonResult AsPowerNewtonResult(const NonlinearInputs& in, const ChebyshevNewtonResult& result,
                                 std::vector<double>& powerCoef)
{
    NewtonResult r;
    static_cast<SolveEnd&>(r) = result;
    r.passes = static_cast<int>(result.passes.size());
    powerCoef = ChebyshevToPower(result.series, in.xcenter);
    ChebyshevSeries correction = result.series;
    correction.coef = result.correction;
    correction.coef.resize(result.series.coef.size(), 0.0);
    r.correction = ChebyshevToPower(correction, in.xcenter);
    r.gridX = result.gridX;
    r.gridResidual = result.gridResidual;
    r.conditionResidual = result.conditionResidual;
    r.lstCoeff = NewtonListing(in, powerCoef, r);
    return r;
}

bool ChebyshevResidualAt(const NonlinearInputs& in, const std::vector<std::string>& residualExpr,
                         const ChebyshevSeries& s, int l, double x, script::ScriptHost& host, double& value)
{
    if (!host.assignExact(in.indepVarName, x))
        return false;
    for (int k = 0; k <= in.order; ++k)
        if (!host.assignExact("Y" + std::to_string(k), ChebyshevDerivative(s, k, x)))
            return false;
    return host.evaluate(residualExpr[static_cast<size_t>(l)], value);
}

} // namespace ode
