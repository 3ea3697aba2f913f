#include "nonlinear/NewtonSolver.h"

#include "collocation/Elimination.h"
#include "collocation/NewtonLoop.h"
#include "common/NumberFormat.h"
#include "common/Power.h"
#include "script/ScriptErrors.h"
#include "session/Listing.h"

#include <algorithm>
#include <cmath>

namespace ode {

namespace {

// The divisor of the central differences: 2h.
constexpr double kTwoH = 0.00001;

constexpr int kSineSign[10] = {1, 1, -1, -1, 1, 1, -1, -1, 1, 1};
constexpr int kCosineSign[10] = {1, -1, -1, 1, 1, -1, -1, 1, 1, -1};

struct Failure {};

class Newton {
public:
    Newton(const NonlinearInputs& in, const std::vector<std::string>& expr, std::vector<double>& coef,
           script::ScriptHost& host)
        : in(in), expr(expr), coef(coef), host(host)
    {
        // The h-steps' statements, written once; the engine keeps each compiled.
        for (int k = 0; k <= in.order; ++k) {
            const std::string v = "Y" + std::to_string(k);
            steps.push_back({v, "YS=" + v + ":" + v + "=YS+h", v + "=YS-h", v + "=YS"});
        }
        // Which Yk each residual's text names: a partial is taken only for those.
        for (const std::string& text : expr)
            for (const Step& step : steps)
                named.push_back(text.find(step.name) != std::string::npos);
        py.assign(static_cast<size_t>(in.order) + 1, 0.0);
        if (in.kind == SeriesKind::Power)
            df.assign((static_cast<size_t>(in.order) + 1) * (static_cast<size_t>(in.seriesDegree) + 1), 0.0);
        else
            wp.assign(static_cast<size_t>(in.order) + 1, 0.0);
    }

    struct Step {
        std::string name, up, down, back;
    };
    std::vector<Step> steps;
    std::vector<bool> named;        // named[l * (n + 1) + k]: residual l names Yk
    std::vector<double> py, df, wp; // a row's scratch: partials, chain-rule factors

    const NonlinearInputs& in;
    const std::vector<std::string>& expr;
    std::vector<double>& coef;
    script::ScriptHost& host;

    void check(bool ok)
    {
        if (!ok) {
            host.trap();
            throw Failure{};
        }
    }
    void execute(const std::string& statement) { check(host.execute(statement)); }
    double residual(int l)
    {
        double v = 0;
        check(host.evaluate(expr[static_cast<size_t>(l)], v));
        return v;
    }
    void setPoint(double x)
    {
        check(host.assignVariable(in.indepVarName, x));
        check(SetDerivativeValues(NonlinearSeries(in, coef), in.order, x, host));
    }

    // PartialY(0 ... n) of residual l at the point set, into py.
    void partials(int l)
    {
        const int n = in.order;
        std::fill(py.begin(), py.end(), 0.0);
        for (int k = 0; k <= n; ++k) {
            if (!named[static_cast<size_t>(l) * (static_cast<size_t>(n) + 1) + static_cast<size_t>(k)])
                continue;
            const Step& step = steps[static_cast<size_t>(k)];
            execute(step.up);
            const double plus = residual(l);
            execute(step.down);
            const double minus = residual(l);
            py[static_cast<size_t>(k)] = (plus - minus) / kTwoH;
            execute(step.back);
        }
    }

    // One Newton row at x for residual l.
    void row(AugmentedMatrix& a, int r, double x, int l)
    {
        const int n = in.order, N = in.seriesDegree;
        setPoint(x);
        partials(l);
        double* ar = a.row(r);
        const double t = x - in.xcenter;
        if (in.kind == SeriesKind::Power) {
            // d^k/dx^k of (x-C)^j for every j, as factors f_k(j): f_0(j) = t f_0(j-1) and
            // f_k(j) = j f_(k-1)(j-1), from f_0(0) = 1 and f_k(0) = 0. Built one order at a
            // time (only f_0 is a chain; the others vectorise), then summed over k in order.
            const size_t width = static_cast<size_t>(N) + 1;
            double* f0 = df.data();
            f0[0] = 1;
            for (int j = 1; j <= N; ++j)
                f0[j] = t * f0[j - 1];
            for (int k = 1; k <= n; ++k) {
                const double* prev = df.data() + (static_cast<size_t>(k) - 1) * width;
                double* fk = df.data() + static_cast<size_t>(k) * width;
                fk[0] = 0;
                for (int j = 1; j <= N; ++j)
                    fk[j] = j * prev[j - 1];
            }
            ar[0] = py[0];
            for (int j = 1; j <= N; ++j)
                ar[j] = 0;
            for (int k = 0; k <= n; ++k) {
                const double* fk = df.data() + static_cast<size_t>(k) * width;
                const double p = py[static_cast<size_t>(k)];
                for (int j = 1; j <= N; ++j)
                    ar[j] = ar[j] + fk[j] * p;
            }
        } else {
            const double tau = in.omega * t;
            ar[0] = py[0];
            for (int k = 1; k <= N; k += 2) {
                const int j = (k + 1) / 2;
                const double theta = j * tau, sigma = std::sin(theta), kappa = std::cos(theta);
                const double q = j * in.omega;
                wp[0] = py[0];
                if (n >= 1)
                    wp[1] = q * py[1];
                for (int m = 2; m <= n; ++m)
                    wp[static_cast<size_t>(m)] = Power(q, m) * py[static_cast<size_t>(m)];
                for (int m = 0; m <= n - 1; m += 2) {
                    const size_t i = static_cast<size_t>(m);
                    ar[k] = ar[k] + (kSineSign[m] * sigma * wp[i] + kSineSign[m + 1] * kappa * wp[i + 1]);
                    ar[k + 1] = ar[k + 1] + (kCosineSign[m] * kappa * wp[i] + kCosineSign[m + 1] * sigma * wp[i + 1]);
                }
                if (n % 2 == 0) {
                    ar[k] = ar[k] + kSineSign[n] * sigma * wp[static_cast<size_t>(n)];
                    ar[k + 1] = ar[k + 1] + kCosineSign[n] * kappa * wp[static_cast<size_t>(n)];
                }
            }
        }
        ar[N + 1] = -residual(l);
    }

    double gridPoint(int i, double step) const { return in.xlower + i * step; }
};

std::string coefficientLine(const NonlinearInputs& in, int j, double a, double d)
{
    const std::string head = in.depVarName + "(" + std::to_string(j) + ")=" + FormatNumber(a);
    if (in.kind == SeriesKind::Power)
        return head + "      ( " + FormatNumber(d) + " )";
    return head + "      " + FormatNumber(d);
}

} // namespace

std::vector<std::string> NewtonListing(const NonlinearInputs& in, const std::vector<double>& coef,
                                       const NewtonResult& result)
{
    std::vector<std::string> out;
    const bool stopped = result.termination == Termination::Cancelled;
    const bool listed = result.termination == Termination::Solved || result.termination == Termination::NoConvergence ||
                        (stopped && result.shownPass > 0);
    const ListStyle style = in.kind == SeriesKind::Power ? ListStyle::NewtonPower : ListStyle::NewtonTrigonometric;
    out = ListEndLines(style, result.termination, result.shownPass);
    if (listed) {
        out.push_back(ListHeading(style));
        for (size_t j = 0; j < coef.size() && j < result.correction.size(); ++j)
            out.push_back(coefficientLine(in, static_cast<int>(j), coef[j], result.correction[j]));
        out.insert(out.end(), {"", "VALUE OF D.E. AT GRID POINTS:", ""});
        for (size_t i = 0; i < result.gridX.size() && i < result.gridResidual.size(); ++i)
            out.push_back("D.E. ( " + in.indepVarName + " =" + FormatNumber(result.gridX[i]) +
                          ")=" + FormatNumber(result.gridResidual[i]));
        out.insert(out.end(), {"", "VALUE OF B.C.'S:", ""});
        for (size_t l = 0; l < result.conditionResidual.size(); ++l)
            out.push_back("B.C. #" + std::to_string(l + 1) + "=" + FormatNumber(result.conditionResidual[l]));
    }
    AppendProblemLines(result.termination, out);
    return out;
}

SeriesView NonlinearSeries(const NonlinearInputs& in, const std::vector<double>& coef)
{
    SeriesView v;
    v.kind = in.kind;
    v.coef = coef.data();
    v.degree = static_cast<int>(coef.size()) - 1;
    v.center = in.xcenter;
    v.period = in.period;
    return v;
}

bool SetDerivativeValues(const SeriesView& series, int n, double x, script::ScriptHost& host)
{
    static const std::string names[10] = {"Y0", "Y1", "Y2", "Y3", "Y4", "Y5", "Y6", "Y7", "Y8", "Y9"};
    double small[10];
    std::vector<double> large;
    double* value = small;
    if (n > 9) {
        large.resize(static_cast<size_t>(n) + 1);
        value = large.data();
    }
    SeriesDerivatives(series, std::max(n, 0), x, value);
    if (!host.assignVariable(names[0], value[0]))
        return false;
    for (int k = n; k >= 1; --k)
        if (!host.assignVariable(k <= 9 ? names[k] : "Y" + std::to_string(k), value[k]))
            return false;
    return true;
}

NewtonResult SolveNonlinear(const NonlinearInputs& in, const std::vector<std::string>& residualExpr,
                            std::vector<double>& coef, script::ScriptHost& host, const Progress& progress)
{
    NewtonResult result;
    const int n = in.order, N = in.seriesDegree, M = N - n;
    if (static_cast<int>(coef.size()) != N + 1) {
        host.report("The initial approximation has " + std::to_string(coef.size()) + " coefficients; the degree " +
                    std::to_string(N) + " needs " + std::to_string(N + 1) + ".");
        result.termination = Termination::Refused;
        return result;
    }
    if (M <= 0) {
        host.raise(in.xupper - in.xlower == 0 ? script::ErrOverflow : script::ErrDivisionByZero);
        host.trap();
        result.termination = Termination::ArithmeticFault;
        result.error = host.fault();
        return result;
    }
    const double step = (in.xupper - in.xlower) / M;
    Newton newton(in, residualExpr, coef, host);
    bool arithmetic = false; // the failure is the solver's own overflow, not the engine's
    NewtonPassSteps steps;
    steps.assemble = [&](AugmentedMatrix& a, const Progress& at) {
        for (int i = 0; i <= M; ++i) {
            if (at.cancelled())
                return false;
            newton.row(a, i, newton.gridPoint(i, step), 0);
        }
        for (int l = 1; l <= n; ++l)
            newton.row(a, M + l, in.bcPoint[static_cast<size_t>(l - 1)], l);
        return true;
    };
    steps.residualsWithinBound = [&] {
        bool converged = true;
        for (int i = 0; i <= M && converged; ++i) {
            newton.setPoint(newton.gridPoint(i, step));
            converged = std::fabs(newton.residual(0)) <= in.errorBoundDE;
        }
        for (int l = 1; l <= n && converged; ++l) {
            newton.setPoint(in.bcPoint[static_cast<size_t>(l - 1)]);
            converged = std::fabs(newton.residual(l)) <= in.errorBoundDE;
        }
        return converged;
    };
    steps.overflow = [&] {
        host.raise(script::ErrOverflow);
        arithmetic = true;
        newton.check(false);
    };
    NewtonPasses run;
    try {
        RunNewtonPasses(N + 1, in.maxIterations, in.errorBoundCoef, coef, steps, run, progress);
        result.termination = run.termination;
        result.passes = run.passes;
        result.shownPass = run.shownPass;
        result.correction = std::move(run.correction);
        if (result.termination == Termination::Solved || result.termination == Termination::NoConvergence ||
            result.shownPass > 0) {
            // The residuals the listing shows.
            for (int i = 0; i <= M; ++i) {
                const double x = newton.gridPoint(i, step);
                newton.setPoint(x);
                result.gridX.push_back(x);
                result.gridResidual.push_back(newton.residual(0));
            }
            for (int l = 1; l <= n; ++l) {
                newton.setPoint(in.bcPoint[static_cast<size_t>(l - 1)]);
                result.conditionResidual.push_back(newton.residual(l));
            }
        }
    } catch (const Failure&) {
        result.termination = arithmetic ? Termination::ArithmeticFault : Termination::ScriptError;
        result.error = host.fault();
        result.passes = run.passes;
        result.correction = std::move(run.correction);
        result.gridX.clear();
        result.gridResidual.clear();
        result.conditionResidual.clear();
        return result;
    }
    result.lstCoeff = NewtonListing(in, coef, result);
    return result;
}

bool NonlinearBCErrors(const NonlinearInputs& in, const std::vector<std::string>& residualExpr,
                       const SeriesView& series, script::ScriptHost& host, std::vector<double>& residuals)
{
    for (int l = 1; l <= in.order; ++l) {
        const double x = in.bcPoint[static_cast<size_t>(l - 1)];
        double v = 0;
        if (!SetDerivativeValues(series, in.order, x, host) || !host.assignVariable(in.indepVarName, x) ||
            !host.evaluate(residualExpr[static_cast<size_t>(l)], v)) {
            host.trap();
            return false;
        }
        residuals.push_back(v);
    }
    return true;
}

bool NonlinearResidualLine(const NonlinearInputs& in, const std::vector<std::string>& residualExpr,
                           const SeriesView& series, double x, script::ScriptHost& host, std::string& line)
{
    double v = 0;
    if (!SetDerivativeValues(series, in.order, x, host) || !host.assignVariable(in.indepVarName, x) ||
        !host.evaluate(residualExpr[0], v)) {
        host.trap();
        return false;
    }
    line = "LHS-RHS=" + FormatNumber(v);
    return true;
}

bool NonlinearTermsAt(const NonlinearInputs& in, const std::vector<std::string>& residualExpr,
                      std::vector<double> coef, double x, script::ScriptHost& host, double& residual, double& terms)
{
    Newton newton(in, residualExpr, coef, host);
    try {
        newton.setPoint(x);
        residual = newton.residual(0);
        newton.partials(0);
    } catch (const Failure&) {
        return false;
    }
    std::vector<double> y(static_cast<size_t>(in.order) + 1);
    SeriesDerivatives(NonlinearSeries(in, coef), in.order, x, y.data());
    terms = std::fabs(residual);
    for (int k = 0; k <= in.order; ++k)
        terms += std::fabs(newton.py[static_cast<size_t>(k)] * y[static_cast<size_t>(k)]);
    return std::isfinite(residual) && std::isfinite(terms);
}

} // namespace ode
