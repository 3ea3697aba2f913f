#include "nonlinear/NonlinearChebyshev.h"

#include "common/Limits.h"
#include "common/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace ode {

ChebyshevNewtonResult SolveNonlinearChebyshev(const NonlinearInputs& in, const std::vector<std::string>& residualExpr,
                                              const ChebyshevSeries& start, script::ScriptHost& host,
                                              const Progress& progress, bool findWay)
{
    ChebyshevNewtonResult result;
    result.series = start;
    const int N = static_cast<int>(start.coef.size()) - 1, n = in.order, m = N + 1 - n;
    if (n < 1 || m < 1 || !(in.xupper > in.xlower) || static_cast<int>(in.bcPoint.size()) < n ||
        static_cast<int>(residualExpr.size()) < n + 1) {
        host.report(m < 1 ? "The degree of the solution must be greater than the order."
                          : "The problem needs an interval and one condition per order.");
        result.termination = Termination::Refused;
        return result;
    }
    // One block, Y0 ... Yn; the equation at the m Chebyshev points, then condition l at its point.
    ChebyshevNewtonShape shape;
    ChebyshevNewtonShape::Block block;
    for (int k = 0; k <= n; ++k)
        block.names.push_back("Y" + std::to_string(k));
    block.order = n;
    block.degree = N;
    shape.blocks = {block};
    for (int i = 0; i < m; ++i)
        shape.rows.push_back({(in.xlower + in.xupper) / 2 + ChebyshevPoint(i, m) * (in.xupper - in.xlower) / 2, 0});
    for (int l = 1; l <= n; ++l)
        shape.rows.push_back({in.bcPoint[static_cast<size_t>(l - 1)], l});
    shape.conditions = n;
    SetShapeProblem(shape, in);
    static_cast<NewtonRunReport&>(result) =
        findWay ? RunChebyshevNewtonFindingItsWay(shape, residualExpr, result.series.coef, host, progress)
                : RunChebyshevNewton(shape, residualExpr, result.series.coef, host, progress);
    if (result.termination == Termination::ScriptError || result.termination == Termination::ArithmeticFault ||
        (result.termination == Termination::Cancelled && result.shownPass == 0))
        return result;
    // The residuals the lists show, as Evaluate computes them (Clenshaw's values).
    const ChebyshevDerivativeTable table(result.series, n);
    for (int r = 0; r < m + n; ++r) {
        const ChebyshevNewtonShape::Row& row = shape.rows[static_cast<size_t>(r)];
        double v = 0;
        if (!ChebyshevResidualAt(in, residualExpr, table, row.residual, row.x, host, v)) {
            result.termination = Termination::ScriptError;
            result.error = host.fault();
            host.trap();
            return result;
        }
        (r < m ? result.gridResidual : result.conditionResidual).push_back(v);
        if (r < m)
            result.gridX.push_back(row.x);
    }
    return result;
}

NewtonResult AsPowerNewtonResult(const NonlinearInputs& in, const ChebyshevNewtonResult& result,
                                 std::vector<double>& powerCoef)
{
    NewtonResult r;
    static_cast<SolveEnd&>(r) = result;
    r.passes = static_cast<int>(result.passes.size());
    r.shownPass = result.shownPass;
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
                         const ChebyshevDerivativeTable& s, int l, double x, script::ScriptHost& host, double& value)
{
    if (!host.assignExact(in.indepVarName, x))
        return false;
    for (int k = 0; k <= in.order; ++k)
        if (!host.assignExact("Y" + std::to_string(k), s(k, x)))
            return false;
    return host.evaluate(residualExpr[static_cast<size_t>(l)], value);
}

bool ChebyshevResidualAt(const NonlinearInputs& in, const std::vector<std::string>& residualExpr,
                         const ChebyshevSeries& s, int l, double x, script::ScriptHost& host, double& value)
{
    return ChebyshevResidualAt(in, residualExpr, ChebyshevDerivativeTable(s, in.order), l, x, host, value);
}

} // namespace ode
