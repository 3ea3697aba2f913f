#include "systems/NonlinearSystem.h"

#include "collocation/Chebyshev.h"
#include "collocation/Elimination.h"
#include "collocation/NewtonLoop.h"
#include "common/NumberFormat.h"
#include "common/Text.h"
#include "script/ScriptErrors.h"
#include "session/Listing.h"
#include "series/Series.h"

#include <algorithm>
#include <cmath>

namespace ode {

namespace {

constexpr double kSystemTwoH = 0.00001; // the divisor of the central differences: 2h

struct SystemFailure {};

} // namespace

std::vector<std::vector<double>> SplitByVariable(const std::vector<double>& coef, const OrdersAndDegrees& od)
{
    std::vector<std::vector<double>> rows;
    for (size_t j = 0; j < od.varDegree.size(); ++j) {
        const int off = od.offset(static_cast<int>(j));
        const int count = od.varDegree[j] + 1;
        if (off + count > static_cast<int>(coef.size()))
            rows.emplace_back(static_cast<size_t>(count), 0.0);
        else
            rows.emplace_back(coef.begin() + off, coef.begin() + off + count);
    }
    return rows;
}

bool SetSystemPoint(const SystemInputs& in, const OrdersAndDegrees& od, const std::vector<double>& coef, double x,
                    script::ScriptHost& host)
{
    if (!host.assignVariable(in.indepVarName, x))
        return false;
    std::vector<double> value;
    for (size_t j = 0; j < od.varDegree.size(); ++j) {
        SeriesView block;
        block.coef = coef.data() + od.offset(static_cast<int>(j));
        block.degree = od.varDegree[j];
        block.center = in.xcenter;
        const std::string& name = in.depVarNames[j];
        const int order = od.varOrder[j];
        value.resize(static_cast<size_t>(std::max(order, 0)) + 1);
        SeriesDerivatives(block, std::max(order, 0), x, value.data());
        if (!host.assignVariable(name + "0", value[0]))
            return false;
        for (int k = order; k >= 1; --k)
            if (!host.assignVariable(name + std::to_string(k), value[static_cast<size_t>(k)]))
                return false;
    }
    return true;
}

namespace {

// One solve's Newton machinery: the point set in the engine, the residuals, the h-step
// statements of every variable and order (written once), which variables each residual
// names, and the Jacobian rows by the chain rule. Engine failures leave as SystemFailure.
class SystemNewton {
public:
    SystemNewton(const NonlinearSystemInputs& in, const OrdersAndDegrees& od, const std::vector<std::string>& eqExpr,
                 const std::vector<std::string>& bcExpr, std::vector<double>& coef, script::ScriptHost& host)
        : in(in), od(od), eqExpr(eqExpr), bcExpr(bcExpr), coef(coef), host(host), vars(in.lastVar + 1), m(od.degree),
          N(od.numUnknowns), step((in.xupper - in.xlower) / od.degree)
    {
        steps.resize(static_cast<size_t>(vars));
        for (int j = 0; j < vars; ++j)
            for (int k = 0; k <= od.varOrder[static_cast<size_t>(j)]; ++k) {
                const std::string v = AsciiLower(in.depVarNames[static_cast<size_t>(j)]) + std::to_string(k);
                steps[static_cast<size_t>(j)].push_back({v, "YS=" + v + ":" + v + "=YS+h", v + "=YS-h", v + "=YS"});
            }
        for (const std::string& text : eqExpr)
            eqNames.push_back(namesIn(text));
        for (int b = 0; b < in.numBC; ++b)
            bcNames.push_back(namesIn(bcExpr[static_cast<size_t>(b)]));
    }

    void check(bool ok)
    {
        if (!ok) {
            host.trap();
            throw SystemFailure{};
        }
    }
    double residual(const std::string& text)
    {
        double v = 0;
        check(host.evaluate(text, v));
        return v;
    }
    void setPoint(double x) { check(SetSystemPoint(in, od, coef, x, host)); }
    double gridPoint(int i) const { return i * step + in.xlower; }

    // Every row: the equations at each grid point, then the conditions at their points; false
    // when `progress` asked to stop.
    bool assemble(AugmentedMatrix& a, const Progress& progress)
    {
        for (int i = 0; i <= m; ++i) {
            if (progress.cancelled())
                return false;
            const double x = gridPoint(i);
            setPoint(x);
            for (int e = 0; e < vars; ++e)
                row(a, e * (m + 1) + i, x, eqExpr[static_cast<size_t>(e)], eqNames[static_cast<size_t>(e)]);
        }
        for (int b = 0; b < in.numBC; ++b) {
            const double x = in.bcPoint[static_cast<size_t>(b)];
            setPoint(x);
            row(a, vars * (m + 1) + b, x, bcExpr[static_cast<size_t>(b)], bcNames[static_cast<size_t>(b)]);
        }
        return true;
    }

    bool residualsWithinBound()
    {
        bool converged = true;
        for (int i = 0; i <= m && converged; ++i) {
            setPoint(gridPoint(i));
            for (int e = 0; e < vars && converged; ++e)
                converged = std::fabs(residual(eqExpr[static_cast<size_t>(e)])) <= in.errorBoundDE;
        }
        for (int b = 0; b < in.numBC && converged; ++b) {
            setPoint(in.bcPoint[static_cast<size_t>(b)]);
            converged = std::fabs(residual(bcExpr[static_cast<size_t>(b)])) <= in.errorBoundDE;
        }
        return converged;
    }

    // The residuals the listing shows.
    void listResiduals(SystemNewtonResult& result)
    {
        for (int i = 0; i <= m; ++i) {
            const double x = gridPoint(i);
            setPoint(x);
            result.gridX.push_back(x);
            for (int e = 0; e < vars; ++e)
                result.gridResidual.push_back(residual(eqExpr[static_cast<size_t>(e)]));
        }
        for (int b = 0; b < in.numBC; ++b) {
            setPoint(in.bcPoint[static_cast<size_t>(b)]);
            result.conditionResidual.push_back(residual(bcExpr[static_cast<size_t>(b)]));
        }
    }

    // Equation e at x for the check between the grid points: its residual, and the size of its
    // terms, |F| plus the sum of |dF/dY * Y| over every variable and order named.
    void termsAt(double x, int e, double& residual, double& terms)
    {
        setPoint(x);
        const std::string& text = eqExpr[static_cast<size_t>(e)];
        residual = this->residual(text);
        terms = std::fabs(residual);
        for (int j = 0; j < vars; ++j)
            for (int k = 0; k <= od.varOrder[static_cast<size_t>(j)]; ++k) {
                if (!eqNames[static_cast<size_t>(e)][static_cast<size_t>(j)][static_cast<size_t>(k)])
                    continue;
                const Step& st = steps[static_cast<size_t>(j)][static_cast<size_t>(k)];
                double y = 0;
                check(host.evaluate(st.name, y));
                check(host.execute(st.up));
                const double plus = this->residual(text);
                check(host.execute(st.down));
                const double minus = this->residual(text);
                check(host.execute(st.back));
                terms += std::fabs((plus - minus) / kSystemTwoH * y);
            }
    }

private:
    struct Step {
        std::string name, up, down, back;
    };

    std::vector<std::vector<bool>> namesIn(const std::string& text) const
    {
        std::vector<std::vector<bool>> named(static_cast<size_t>(vars));
        for (int j = 0; j < vars; ++j)
            for (const Step& st : steps[static_cast<size_t>(j)])
                named[static_cast<size_t>(j)].push_back(text.find(st.name) != std::string::npos);
        return named;
    }

    // One row: the chain rule over every variable for residual `text` at the point set.
    void row(AugmentedMatrix& a, int r, double x, const std::string& text, const std::vector<std::vector<bool>>& named)
    {
        double* ar = a.row(r);
        const double t = x - in.xcenter;
        for (int j = 0; j < vars; ++j) {
            const int order = od.varOrder[static_cast<size_t>(j)], off = od.offset(j);
            py.assign(static_cast<size_t>(order) + 1, 0.0);
            df.assign(static_cast<size_t>(order) + 1, 0.0);
            for (int k = 0; k <= order; ++k) {
                if (!named[static_cast<size_t>(j)][static_cast<size_t>(k)])
                    continue;
                const Step& st = steps[static_cast<size_t>(j)][static_cast<size_t>(k)];
                check(host.execute(st.up));
                const double plus = residual(text);
                check(host.execute(st.down));
                const double minus = residual(text);
                py[static_cast<size_t>(k)] = (plus - minus) / kSystemTwoH;
                check(host.execute(st.back));
            }
            df[0] = 1;
            ar[off] = py[0];
            for (int p = 1; p <= od.varDegree[static_cast<size_t>(j)]; ++p) {
                for (int k = order; k >= 1; --k)
                    df[static_cast<size_t>(k)] = p * df[static_cast<size_t>(k - 1)];
                df[0] = t * df[0];
                double sum = 0;
                for (int k = 0; k <= order; ++k)
                    sum = sum + df[static_cast<size_t>(k)] * py[static_cast<size_t>(k)];
                ar[off + p] = ar[off + p] + sum;
            }
        }
        ar[N] = -residual(text);
    }

    const NonlinearSystemInputs& in;
    const OrdersAndDegrees& od;
    const std::vector<std::string>& eqExpr;
    const std::vector<std::string>& bcExpr;
    std::vector<double>& coef;
    script::ScriptHost& host;
    const int vars, m, N;
    const double step;
    std::vector<std::vector<Step>> steps;
    std::vector<std::vector<std::vector<bool>>> eqNames, bcNames;
    std::vector<double> py, df; // a row's scratch
};

} // namespace

SystemNewtonResult SolveNonlinearSystem(const NonlinearSystemInputs& in, const OrdersAndDegrees& od,
                                        const std::vector<std::string>& eqExpr, const std::vector<std::string>& bcExpr,
                                        std::vector<double>& coef, script::ScriptHost& host, const Progress& progress)
{
    SystemNewtonResult result;
    const int N = od.numUnknowns;
    if (static_cast<int>(coef.size()) != N) {
        host.report("The initial approximation has " + std::to_string(coef.size()) +
                    " coefficients; the system needs " + std::to_string(N) + ".");
        result.termination = Termination::Refused;
        return result;
    }
    SystemNewton newton(in, od, eqExpr, bcExpr, coef, host);
    bool arithmetic = false; // the failure is the solver's own overflow, not the engine's
    NewtonPassSteps pass;
    pass.assemble = [&](AugmentedMatrix& a, const Progress& at) { return newton.assemble(a, at); };
    pass.residualsWithinBound = [&] { return newton.residualsWithinBound(); };
    pass.overflow = [&] {
        host.raise(script::ErrOverflow);
        arithmetic = true;
        newton.check(false);
    };
    try {
        NewtonPasses run;
        RunNewtonPasses(N, in.maxIterations, in.errorBoundCoef, coef, pass, run, progress);
        result.termination = run.termination;
        result.passes = run.passes;
        result.shownPass = run.shownPass;
        result.correction = std::move(run.correction);
        if (result.termination == Termination::Solved || result.termination == Termination::NoConvergence ||
            result.shownPass > 0)
            newton.listResiduals(result);
    } catch (const SystemFailure&) {
        result = SystemNewtonResult{};
        result.termination = arithmetic ? Termination::ArithmeticFault : Termination::ScriptError;
        result.error = host.fault();
        return result;
    }
    result.lstCoeff = SystemNewtonListing(in, od, coef, result);
    return result;
}

std::vector<std::string> SystemNewtonListing(const NonlinearSystemInputs& in, const OrdersAndDegrees& od,
                                             const std::vector<double>& coef, const SystemNewtonResult& result)
{
    std::vector<std::string> out;
    const int vars = in.lastVar + 1;
    const bool stopped = result.termination == Termination::Cancelled;
    out = ListEndLines(ListStyle::NewtonPower, result.termination, result.shownPass);
    if ((result.termination == Termination::Solved || result.termination == Termination::NoConvergence ||
         (stopped && result.shownPass > 0)) &&
        result.correction.size() == coef.size() &&
        result.gridResidual.size() == result.gridX.size() * static_cast<size_t>(vars)) {
        out.push_back(ListHeading(ListStyle::NewtonPower));
        for (int j = 0; j < vars; ++j) {
            const int off = od.offset(j);
            for (int p = 0; p <= od.varDegree[static_cast<size_t>(j)]; ++p)
                out.push_back(in.depVarNames[static_cast<size_t>(j)] + "(" + std::to_string(p) +
                              ")=" + FormatNumber(coef[static_cast<size_t>(off + p)]) + "      ( " +
                              FormatNumber(result.correction[static_cast<size_t>(off + p)]) + " )");
            out.push_back("");
        }
        out.insert(out.end(), {"VALUE OF D.E.'s AT GRID POINTS:", ""});
        for (size_t i = 0; i < result.gridX.size(); ++i)
            for (int e = 0; e < vars; ++e)
                out.push_back(
                    "D.E.#" + std::to_string(e + 1) + " (" + in.indepVarName + " = " + FormatNumber(result.gridX[i]) +
                    ") = " + FormatNumber(result.gridResidual[i * static_cast<size_t>(vars) + static_cast<size_t>(e)]));
        out.insert(out.end(), {"", "VALUE OF B.C.'S:", ""});
        for (size_t b = 0; b < result.conditionResidual.size(); ++b)
            out.push_back("B.C. #" + std::to_string(b + 1) + "=" + FormatNumber(result.conditionResidual[b]));
    }
    AppendProblemLines(result.termination, out);
    return out;
}

SystemChebyshevResult SolveNonlinearSystemChebyshev(const NonlinearSystemInputs& in, const OrdersAndDegrees& od,
                                                    const std::vector<std::string>& equationExpr,
                                                    const std::vector<std::string>& conditionExpr,
                                                    std::vector<ChebyshevSeries> start, script::ScriptHost& host,
                                                    const Progress& progress, bool findWay)
{
    SystemChebyshevResult result;
    const int vars = in.lastVar + 1, m = od.degree;
    if (!(in.xupper > in.xlower) || static_cast<int>(start.size()) != vars) {
        host.report("The accurate method needs an interval whose upper end is above its lower end.");
        result.termination = Termination::Refused;
        return result;
    }
    ChebyshevNewtonShape shape;
    std::vector<double> coef;
    for (int j = 0; j < vars; ++j) {
        ChebyshevNewtonShape::Block block;
        block.order = od.varOrder[static_cast<size_t>(j)];
        block.degree = od.varDegree[static_cast<size_t>(j)];
        block.offset = od.offset(j);
        for (int k = 0; k <= block.order; ++k)
            block.names.push_back(in.depVarNames[static_cast<size_t>(j)] + std::to_string(k));
        shape.blocks.push_back(block);
        std::vector<double>& c = start[static_cast<size_t>(j)].coef;
        c.resize(static_cast<size_t>(block.degree) + 1, 0.0);
        coef.insert(coef.end(), c.begin(), c.end());
    }
    // Rows as the equally spaced method orders them: equation e at point i, then the conditions.
    std::vector<double> points;
    for (int i = 0; i <= m; ++i)
        points.push_back((in.xlower + in.xupper) / 2 + ChebyshevPoint(i, m + 1) * (in.xupper - in.xlower) / 2);
    for (int e = 0; e < vars; ++e)
        for (int i = 0; i <= m; ++i)
            shape.rows.push_back({points[static_cast<size_t>(i)], e});
    for (int b = 0; b < in.numBC; ++b)
        shape.rows.push_back({in.bcPoint[static_cast<size_t>(b)], vars + b});
    shape.conditions = in.numBC;
    SetShapeProblem(shape, in);
    std::vector<std::string> expr = equationExpr;
    expr.insert(expr.end(), conditionExpr.begin(), conditionExpr.end());
    static_cast<NewtonRunReport&>(result) = findWay ? RunChebyshevNewtonFindingItsWay(shape, expr, coef, host, progress)
                                                    : RunChebyshevNewton(shape, expr, coef, host, progress);
    for (int j = 0; j < vars; ++j) {
        const int off = od.offset(j);
        result.series.push_back(ChebyshevSeries{
            in.xlower, in.xupper, {coef.begin() + off, coef.begin() + off + od.varDegree[static_cast<size_t>(j)] + 1}});
    }
    if (result.termination == Termination::ScriptError || result.termination == Termination::ArithmeticFault ||
        result.termination == Termination::Refused ||
        (result.termination == Termination::Cancelled && result.shownPass == 0))
        return result;
    // The listing: power coefficients and corrections about the centre, residuals at the points.
    SystemNewtonResult& listed = result.listed;
    static_cast<SolveEnd&>(listed) = result;
    listed.passes = static_cast<int>(result.passes.size());
    listed.shownPass = result.shownPass;
    std::vector<double> power;
    for (int j = 0; j < vars; ++j) {
        const int off = od.offset(j), count = od.varDegree[static_cast<size_t>(j)] + 1;
        const std::vector<double> p = ChebyshevToPower(result.series[static_cast<size_t>(j)], in.xcenter);
        power.insert(power.end(), p.begin(), p.end());
        ChebyshevSeries correction{in.xlower, in.xupper, {}};
        if (result.correction.size() == coef.size())
            correction.coef.assign(result.correction.begin() + off, result.correction.begin() + off + count);
        correction.coef.resize(static_cast<size_t>(count), 0.0);
        const std::vector<double> d = ChebyshevToPower(correction, in.xcenter);
        listed.correction.insert(listed.correction.end(), d.begin(), d.end());
    }
    for (int i = 0; i <= m; ++i) {
        listed.gridX.push_back(points[static_cast<size_t>(i)]);
        for (int e = 0; e < vars; ++e) {
            double v = 0;
            if (!ShapeResidual(shape, expr, coef, e * (m + 1) + i, host, v)) {
                host.trap();
                return result;
            }
            listed.gridResidual.push_back(v);
        }
    }
    for (int b = 0; b < in.numBC; ++b) {
        double v = 0;
        if (!ShapeResidual(shape, expr, coef, vars * (m + 1) + b, host, v)) {
            host.trap();
            return result;
        }
        listed.conditionResidual.push_back(v);
    }
    listed.lstCoeff = SystemNewtonListing(in, od, power, listed);
    return result;
}

bool NonlinearSystemTermsAt(const NonlinearSystemInputs& in, const OrdersAndDegrees& od,
                            const std::vector<std::string>& eqExpr, const std::vector<std::string>& bcExpr,
                            std::vector<double> coef, double x, script::ScriptHost& host, double& residual,
                            double& terms)
{
    SystemNewton newton(in, od, eqExpr, bcExpr, coef, host);
    residual = terms = 0;
    try {
        for (int e = 0; e <= in.lastVar; ++e) {
            double r = 0, t = 0;
            newton.termsAt(x, e, r, t);
            residual = std::fmax(residual, std::fabs(r));
            terms = std::fmax(terms, t);
        }
    } catch (const SystemFailure&) {
        return false;
    }
    return std::isfinite(residual) && std::isfinite(terms);
}

} // namespace ode
