#include "systems/LinearSystem.h"

#include "collocation/Chebyshev.h"
#include "collocation/Elimination.h"
#include "common/NumberFormat.h"
#include "script/ScriptErrors.h"
#include "session/Listing.h"
#include "series/Series.h"

#include <algorithm>
#include <cmath>

namespace ode {

namespace {

SeriesView seriesOf(const std::vector<double>& coef, double center)
{
    SeriesView v;
    v.coef = coef.data();
    v.degree = static_cast<int>(coef.size()) - 1;
    v.center = center;
    return v;
}

} // namespace

double VarDerivative(const std::vector<double>& coef, double center, int order, double x)
{
    return SeriesDerivative(seriesOf(coef, center), order, x);
}

VarDerivativeFn PowerDerivatives(const std::vector<std::vector<double>>& coef, double center)
{
    return [&coef, center](size_t j, int q, double x) { return VarDerivative(coef[j], center, q, x); };
}

VarDerivativeFn ChebyshevDerivatives(const std::vector<ChebyshevSeries>& series)
{
    return [&series](size_t j, int q, double x) { return ChebyshevDerivative(series[j], q, x); };
}

std::vector<std::string> SystemCoefficientListing(const SystemInputs& in, const std::vector<std::vector<double>>& coef)
{
    std::vector<std::string> lines = {ListHeading(ListStyle::SystemExpansion)};
    for (size_t j = 0; j < coef.size(); ++j) {
        for (size_t p = 0; p < coef[j].size(); ++p)
            lines.push_back(in.depVarNames[j] + "(" + std::to_string(p) + ")=" + FormatNumber(coef[j][p]));
        lines.push_back("");
    }
    return lines;
}

namespace {

// One row: the sum over the variables' powers of coefficient times the d-th derivative of
// (x-c)^p, with t = x - c; the right-hand side in column N.
void SystemRow(const OrdersAndDegrees& od, int vars, int N, double t, const std::vector<std::vector<double>>& cv,
               double rhs, double* ar)
{
    const auto& fact = Factorials();
    for (int j = 0; j < vars; ++j) {
        const int off = od.offset(j), order = od.varOrder[static_cast<size_t>(j)];
        for (int p = 0; p <= od.varDegree[static_cast<size_t>(j)]; ++p) {
            double sum = 0, g = 1;
            for (int d = 0; d <= std::min(p, order); ++d) {
                const double factor = p < order ? fact[p] / fact[p - d] : g;
                sum = sum + cv[static_cast<size_t>(j)][static_cast<size_t>(d)] * factor * std::pow(t, p - d);
                g = g * (p - d);
            }
            ar[off + p] = sum;
        }
    }
    ar[N] = rhs;
}

// The values of a split equation or condition: each variable's coefficient texts of orders
// 0 ... its order, then the right-hand side. False (the message shown) on an engine error.
bool splitValues(script::ScriptHost& host, const SystemSplit& split, const OrdersAndDegrees& od, int vars,
                 std::vector<std::vector<double>>& cv, double& rhs)
{
    cv.resize(static_cast<size_t>(vars));
    for (int j = 0; j < vars; ++j) {
        const int order = od.varOrder[static_cast<size_t>(j)];
        cv[static_cast<size_t>(j)].assign(static_cast<size_t>(order) + 1, 0.0);
        for (int q = 0; q <= order; ++q)
            if (!host.evaluateOrTrap(split.coef[static_cast<size_t>(j)][static_cast<size_t>(q)],
                                     cv[static_cast<size_t>(j)][static_cast<size_t>(q)]))
                return false;
    }
    return host.evaluateOrTrap(split.rhs, rhs);
}

} // namespace

namespace {

using PieceValues = std::vector<std::vector<double>>; // cv[j][q]: variable j's derivative q

// Where a method puts its rows: the point of grid row i (0 ... m), the row of an equation
// there, and a condition's row at its point.
struct Collocation {
    std::function<double(int i)> point;
    std::function<void(int i, const PieceValues& cv, double rhs, double* row)> gridRow;
    std::function<void(double point, const PieceValues& cv, double rhs, double* row)> conditionRow;
    bool equilibrate = false; // rows of different size meet (EquilibrateRows)
};

// The rows (the equations at the grid points, equation by equation, then the conditions) and
// the elimination; false with the ending in `end` and, for a singular system or a stop, its line
// in `lstCoeff`. Every early return states why: the engine's error, the solver's own fault, or
// the caller's request to stop.
bool AssembleAndEliminate(const SystemInputs& in, const OrdersAndDegrees& od, const std::vector<SystemSplit>& de,
                          const std::vector<SystemSplit>& bc, script::ScriptHost& host, const Collocation& method,
                          std::vector<double>& x, SolveEnd& end, std::vector<std::string>& lstCoeff,
                          const Progress& progress, double* rounding = nullptr)
{
    auto cancelled = [&] {
        end.termination = Termination::Cancelled;
        lstCoeff = ListEndLines(ListStyle::SystemExpansion, Termination::Cancelled);
        return false;
    };
    auto scriptFailure = [&] {
        end.termination = Termination::ScriptError;
        end.error = host.fault();
        return false;
    };
    auto overflow = [&] {
        host.raise(script::ErrOverflow);
        host.trap();
        end.termination = Termination::ArithmeticFault;
        end.error = host.fault();
        return false;
    };
    const int vars = in.lastVar + 1, m = od.degree, N = od.numUnknowns;
    // Values of the conditions' pieces, without the independent variable set.
    std::vector<PieceValues> bcv(static_cast<size_t>(in.numBC));
    std::vector<double> bcRhs(static_cast<size_t>(in.numBC));
    for (int b = 0; b < in.numBC; ++b)
        if (!splitValues(host, bc[static_cast<size_t>(b)], od, vars, bcv[static_cast<size_t>(b)],
                         bcRhs[static_cast<size_t>(b)]))
            return scriptFailure();
    AugmentedMatrix a(N);
    PieceValues cv(static_cast<size_t>(vars));
    for (int i = 0; i <= m; ++i) {
        if (progress.cancelled())
            return cancelled();
        if (!host.assignVariable(in.indepVarName, method.point(i))) {
            host.trap();
            return scriptFailure();
        }
        for (int e = 0; e < vars; ++e) {
            double rhs = 0;
            if (!splitValues(host, de[static_cast<size_t>(e)], od, vars, cv, rhs))
                return scriptFailure();
            method.gridRow(i, cv, rhs, a.row(e * (m + 1) + i));
        }
    }
    for (int b = 0; b < in.numBC; ++b)
        method.conditionRow(in.bcPoint[static_cast<size_t>(b)], bcv[static_cast<size_t>(b)],
                            bcRhs[static_cast<size_t>(b)], a.row(vars * (m + 1) + b));
    if (!a.allFinite())
        return overflow();
    if (method.equilibrate)
        EquilibrateRows(a);
    double measured = 0;
    const EliminationOutcome outcome =
        rounding ? EliminateRefined(a, x, measured, progress, in.numBC) : Eliminate(a, x, progress);
    if (rounding)
        *rounding = measured;
    switch (outcome) {
    case EliminationOutcome::LinearlyDependent:
        end.termination = Termination::LinearlyDependent;
        lstCoeff = ListEndLines(ListStyle::SystemExpansion, Termination::LinearlyDependent);
        return false;
    case EliminationOutcome::Inconsistent:
        end.termination = Termination::Inconsistent;
        lstCoeff = ListEndLines(ListStyle::SystemExpansion, Termination::Inconsistent);
        return false;
    case EliminationOutcome::ArithmeticFault:
        return overflow();
    case EliminationOutcome::Cancelled:
        return cancelled();
    case EliminationOutcome::Solved:
        break;
    }
    end.termination = Termination::Solved;
    return true;
}

// Variable j's coefficients out of the unknowns.
std::vector<std::vector<double>> ByVariable(const OrdersAndDegrees& od, int vars, const std::vector<double>& x)
{
    std::vector<std::vector<double>> rows(static_cast<size_t>(vars));
    for (int j = 0; j < vars; ++j) {
        const int off = od.offset(j);
        rows[static_cast<size_t>(j)].assign(x.begin() + off,
                                            x.begin() + off + od.varDegree[static_cast<size_t>(j)] + 1);
    }
    return rows;
}

} // namespace

SystemSolution SolveSystem(const SystemInputs& in, const OrdersAndDegrees& od, const std::vector<SystemSplit>& de,
                           const std::vector<SystemSplit>& bc, script::ScriptHost& host, const Progress& progress)
{
    SystemSolution result;
    const int vars = in.lastVar + 1, N = od.numUnknowns;
    const double h = (in.xupper - in.xlower) / od.degree;
    Collocation equallySpaced;
    equallySpaced.point = [&](int i) { return i * h + in.xlower; };
    equallySpaced.gridRow = [&](int i, const PieceValues& cv, double rhs, double* row) {
        SystemRow(od, vars, N, i * h + (in.xlower - in.xcenter), cv, rhs, row);
    };
    equallySpaced.conditionRow = [&](double point, const PieceValues& cv, double rhs, double* row) {
        SystemRow(od, vars, N, point - in.xcenter, cv, rhs, row);
    };
    std::vector<double> x;
    if (!AssembleAndEliminate(in, od, de, bc, host, equallySpaced, x, result, result.lstCoeff, progress))
        return result;
    result.coef = ByVariable(od, vars, x);
    result.lstCoeff = SystemCoefficientListing(in, result.coef);
    return result;
}

ChebyshevSystemSolution SolveSystemChebyshev(const SystemInputs& in, const OrdersAndDegrees& od,
                                             const std::vector<SystemSplit>& de, const std::vector<SystemSplit>& bc,
                                             script::ScriptHost& host, const Progress& progress)
{
    ChebyshevSystemSolution result;
    const int vars = in.lastVar + 1, N = od.numUnknowns, m = od.degree;
    if (!(in.xupper > in.xlower)) {
        host.report("The accurate method needs an interval whose upper end is above its lower end.");
        result.termination = Termination::Refused;
        return result;
    }
    const double scale = 2 / (in.xupper - in.xlower);
    auto sOf = [&](double x) { return (2 * x - in.xlower - in.xupper) / (in.xupper - in.xlower); };
    std::vector<double> basis;
    // Each variable's block: its pieces' values times the derivatives of its Chebyshev basis.
    auto chebyshevRow = [&](double s, const PieceValues& cv, double rhs, double* row) {
        for (int j = 0; j < vars; ++j) {
            const int order = od.varOrder[static_cast<size_t>(j)], degree = od.varDegree[static_cast<size_t>(j)];
            ChebyshevBasisDerivatives(order, degree, s, basis);
            ChebyshevRowFromBasis(row + od.offset(j), order, degree, scale, cv[static_cast<size_t>(j)].data(), basis);
        }
        row[N] = rhs;
    };
    Collocation chebyshev;
    chebyshev.point = [&](int i) {
        return (in.xlower + in.xupper) / 2 + ChebyshevPoint(i, m + 1) * (in.xupper - in.xlower) / 2;
    };
    chebyshev.gridRow = [&](int i, const PieceValues& cv, double rhs, double* row) {
        chebyshevRow(ChebyshevPoint(i, m + 1), cv, rhs, row);
    };
    chebyshev.conditionRow = [&](double point, const PieceValues& cv, double rhs, double* row) {
        chebyshevRow(sOf(point), cv, rhs, row);
    };
    chebyshev.equilibrate = true;
    std::vector<double> x;
    if (!AssembleAndEliminate(in, od, de, bc, host, chebyshev, x, result, result.lstCoeff, progress, &result.rounding))
        return result;
    std::vector<std::vector<double>> power;
    for (const std::vector<double>& c : ByVariable(od, vars, x)) {
        result.series.push_back(ChebyshevSeries{in.xlower, in.xupper, c});
        power.push_back(ChebyshevToPower(result.series.back(), in.xcenter));
    }
    result.lstCoeff = SystemCoefficientListing(in, power);
    return result;
}

bool SystemBCErrors(const SystemInputs& in, const OrdersAndDegrees& od, const std::vector<SystemSplit>& bc,
                    const VarDerivativeFn& derivative, script::ScriptHost& host, std::vector<double>& errors)
{
    const size_t vars = static_cast<size_t>(in.lastVar) + 1;
    for (int b = 0; b < in.numBC; ++b) {
        const double point = in.bcPoint[static_cast<size_t>(b)];
        double error = 0;
        for (size_t j = 0; j < vars; ++j)
            for (int q = 0; q <= od.varOrder[j]; ++q) {
                double v = 0;
                if (!host.evaluateOrTrap(bc[static_cast<size_t>(b)].coef[j][static_cast<size_t>(q)], v))
                    return false;
                error = error + v * derivative(j, q, point);
            }
        double rhs = 0;
        if (!host.evaluateOrTrap(bc[static_cast<size_t>(b)].rhs, rhs))
            return false;
        errors.push_back(error - rhs);
    }
    return true;
}

bool SystemEvaluate(const SystemInputs& in, const OrdersAndDegrees& od, const std::vector<SystemSplit>& de,
                    const VarDerivativeFn& derivative, double x, int order, script::ScriptHost& host,
                    std::vector<std::string>& values, std::vector<std::string>& residuals)
{
    values.clear();
    residuals.clear();
    const size_t vars = static_cast<size_t>(in.lastVar) + 1;
    for (size_t j = 0; j < vars; ++j)
        values.push_back(in.depVarNames[j] + "=" + FormatNumber(derivative(j, order, x)));
    if (!host.assignVariable(in.indepVarName, x)) {
        host.trap();
        return false;
    }
    for (size_t e = 0; e < de.size(); ++e) {
        double residual = 0;
        for (size_t j = 0; j < vars; ++j)
            for (int q = 0; q <= od.varOrder[j]; ++q) {
                double v = 0;
                if (!host.evaluateOrTrap(de[e].coef[j][static_cast<size_t>(q)], v))
                    return false;
                residual = residual + v * derivative(j, q, x);
            }
        double rhs = 0;
        if (!host.evaluateOrTrap(de[e].rhs, rhs))
            return false;
        residuals.push_back("D.E. #" + std::to_string(e + 1) + "=" + FormatNumber(residual - rhs));
    }
    return true;
}

bool SystemTermsAt(const SystemInputs& in, const OrdersAndDegrees& od, const std::vector<SystemSplit>& de,
                   const VarDerivativeFn& derivative, double x, script::ScriptHost& host, double& residual,
                   double& terms)
{
    residual = terms = 0;
    if (!host.assignVariable(in.indepVarName, x))
        return false;
    const size_t vars = static_cast<size_t>(in.lastVar) + 1;
    for (size_t e = 0; e < de.size(); ++e) {
        double lhs = 0, size = 0, rhs = 0;
        for (size_t j = 0; j < vars; ++j)
            for (int q = 0; q <= od.varOrder[j]; ++q) {
                double v = 0;
                if (!host.evaluate(de[e].coef[j][static_cast<size_t>(q)], v))
                    return false;
                const double term = v * derivative(j, q, x);
                lhs = lhs + term;
                size += std::fabs(term);
            }
        if (!host.evaluate(de[e].rhs, rhs))
            return false;
        residual = std::fmax(residual, std::fabs(lhs - rhs));
        terms = std::fmax(terms, size + std::fabs(rhs));
    }
    return std::isfinite(residual) && std::isfinite(terms);
}

} // namespace ode
