#include "systems/LinearSystem.h"

#include "common/NumberFormat.h"
#include "linear/Elimination.h"
#include "script/ScriptErrors.h"
#include "series/Series.h"

#include <algorithm>
#include <cmath>

namespace ode {

namespace {

bool value(script::ScriptHost& host, const std::string& text, double& out)
{
    if (host.evaluate(text, out))
        return true;
    host.trap();
    return false;
}

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
            if (!value(host, split.coef[static_cast<size_t>(j)][static_cast<size_t>(q)],
                       cv[static_cast<size_t>(j)][static_cast<size_t>(q)]))
                return false;
    }
    return value(host, split.rhs, rhs);
}

// The solved unknowns as each variable's coefficients, and their list.
void StoreSolution(const SystemInputs& in, const OrdersAndDegrees& od, const std::vector<double>& x,
                   SystemSolution& result)
{
    result.termination = Termination::Solved;
    result.coef.resize(static_cast<size_t>(in.lastVar) + 1);
    result.lstCoeff.push_back("EXPANSION COEFFICIENTS:");
    for (int j = 0; j <= in.lastVar; ++j) {
        const int off = od.offset(j);
        auto& c = result.coef[static_cast<size_t>(j)];
        c.assign(x.begin() + off, x.begin() + off + od.varDegree[static_cast<size_t>(j)] + 1);
        for (size_t p = 0; p < c.size(); ++p)
            result.lstCoeff.push_back(in.depVarNames[static_cast<size_t>(j)] + "(" + std::to_string(p) +
                                      ")=" + FormatNumber(c[p]));
        result.lstCoeff.push_back("");
    }
}

} // namespace

SystemSolution SolveSystem(const SystemInputs& in, const OrdersAndDegrees& od, const std::vector<SystemSplit>& de,
                           const std::vector<SystemSplit>& bc, script::ScriptHost& host)
{
    SystemSolution result;
    // Every early return states why: the engine's error, or the solver's own fault.
    auto scriptFailure = [&] {
        result.termination = Termination::ScriptError;
        result.error = host.fault();
        return result;
    };
    auto overflow = [&] {
        host.raise(script::ErrOverflow);
        host.trap();
        result.termination = Termination::ArithmeticFault;
        result.error = host.fault();
        return result;
    };
    const int vars = in.lastVar + 1, m = od.degree, N = od.numUnknowns;
    // Values of the conditions' pieces, without the independent variable set.
    std::vector<std::vector<std::vector<double>>> bcv(static_cast<size_t>(in.numBC));
    std::vector<double> bcRhs(static_cast<size_t>(in.numBC));
    for (int b = 0; b < in.numBC; ++b)
        if (!splitValues(host, bc[static_cast<size_t>(b)], od, vars, bcv[static_cast<size_t>(b)],
                         bcRhs[static_cast<size_t>(b)]))
            return scriptFailure();
    const double h = (in.xupper - in.xlower) / m;
    AugmentedMatrix a(N);
    auto fillRow = [&](int r, double t, const std::vector<std::vector<double>>& cv, double rhs) {
        SystemRow(od, vars, N, t, cv, rhs, a.row(r));
    };
    std::vector<std::vector<double>> cv(static_cast<size_t>(vars));
    for (int i = 0; i <= m; ++i) {
        const double x = i * h + in.xlower;
        if (!host.assignVariable(in.indepVarName, x)) {
            host.trap();
            return scriptFailure();
        }
        for (int e = 0; e < vars; ++e) {
            double rhs = 0;
            if (!splitValues(host, de[static_cast<size_t>(e)], od, vars, cv, rhs))
                return scriptFailure();
            fillRow(e * (m + 1) + i, i * h + (in.xlower - in.xcenter), cv, rhs);
        }
    }
    for (int b = 0; b < in.numBC; ++b)
        fillRow(vars * (m + 1) + b, in.bcPoint[static_cast<size_t>(b)] - in.xcenter, bcv[static_cast<size_t>(b)],
                bcRhs[static_cast<size_t>(b)]);
    if (!a.allFinite())
        return overflow();
    std::vector<double> x;
    switch (Eliminate(a, x)) {
    case EliminationOutcome::LinearlyDependent:
        result.termination = Termination::LinearlyDependent;
        result.lstCoeff = {"YIELDS LINEARLY DEPENDENT SYSTEM"};
        return result;
    case EliminationOutcome::Inconsistent:
        result.termination = Termination::Inconsistent;
        result.lstCoeff = {"YIELDS INCONSISTENT SYSTEM"};
        return result;
    case EliminationOutcome::ArithmeticFault:
        return overflow();
    case EliminationOutcome::Solved:
        break;
    }
    StoreSolution(in, od, x, result);
    return result;
}

bool SystemBCErrors(const SystemInputs& in, const OrdersAndDegrees& od, const std::vector<SystemSplit>& bc,
                    const std::vector<std::vector<double>>& coef, script::ScriptHost& host,
                    std::vector<std::string>& lines)
{
    for (int b = 0; b < in.numBC; ++b) {
        const double point = in.bcPoint[static_cast<size_t>(b)];
        double error = 0;
        for (size_t j = 0; j < coef.size(); ++j)
            for (int q = 0; q <= od.varOrder[j]; ++q) {
                double v = 0;
                if (!value(host, bc[static_cast<size_t>(b)].coef[j][static_cast<size_t>(q)], v))
                    return false;
                error = error + v * VarDerivative(coef[j], in.xcenter, q, point);
            }
        double rhs = 0;
        if (!value(host, bc[static_cast<size_t>(b)].rhs, rhs))
            return false;
        lines.push_back("B.C. #" + std::to_string(b + 1) + "=" + FormatNumber(error - rhs));
    }
    return true;
}

bool SystemEvaluate(const SystemInputs& in, const OrdersAndDegrees& od, const std::vector<SystemSplit>& de,
                    const std::vector<std::vector<double>>& coef, double x, int order, script::ScriptHost& host,
                    std::vector<std::string>& values, std::vector<std::string>& residuals)
{
    values.clear();
    residuals.clear();
    for (size_t j = 0; j < coef.size(); ++j)
        values.push_back(in.depVarNames[j] + "=" + FormatNumber(VarDerivative(coef[j], in.xcenter, order, x)));
    if (!host.assignVariable(in.indepVarName, x)) {
        host.trap();
        return false;
    }
    for (size_t e = 0; e < de.size(); ++e) {
        double residual = 0;
        for (size_t j = 0; j < coef.size(); ++j)
            for (int q = 0; q <= od.varOrder[j]; ++q) {
                double v = 0;
                if (!value(host, de[e].coef[j][static_cast<size_t>(q)], v))
                    return false;
                residual = residual + v * VarDerivative(coef[j], in.xcenter, q, x);
            }
        double rhs = 0;
        if (!value(host, de[e].rhs, rhs))
            return false;
        residuals.push_back("D.E. #" + std::to_string(e + 1) + "=" + FormatNumber(residual - rhs));
    }
    return true;
}

} // namespace ode
