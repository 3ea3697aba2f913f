#include "systems/LinearSystem.h"

#include "collocation/Chebyshev.h"
#include "collocation/Elimination.h"
#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "common/Power.h"
#include "script/ScriptErrors.h"
#include "series/Series.h"
#include "session/Listing.h"

#include <algorithm>
#include <cmath>
#include <new>

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
                sum = sum + cv[static_cast<size_t>(j)][static_cast<size_t>(d)] * factor * Power(t, p - d);
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

namespace {

// The equations' coefficients as Chebyshev series in s on the interval: coefficients[e][j][q]
// of variable j's derivative q in equation e (orders above j's own, and zero ones, empty;
// every list n + 1 long for the system's highest order n), rhs[e] the right-hand side. None
// where one is not resolved by kBandedSamplePoints samples, a text fails, or a size is beyond
// 1E-200 ... 1E200 (the band's products would lose it). The engine is quiet.
struct SystemPieces {
    std::vector<std::vector<std::vector<std::vector<double>>>> coefficients;
    std::vector<std::vector<double>> rhs;
    int width = 0; // the widest band of one variable in one equation (UltrasphericalBandWidth)
};
std::optional<SystemPieces> ResolveSystemPieces(const SystemInputs& in, const OrdersAndDegrees& od,
                                                const std::vector<SystemSplit>& de, script::ScriptHost& host)
{
    const int vars = in.lastVar + 1, n = od.maxOrder;
    if (!(in.xupper > in.xlower) || n < 1 || static_cast<int>(de.size()) < vars ||
        static_cast<int>(od.varOrder.size()) < vars)
        return std::nullopt;
    script::ScriptHost::QuietScope quiet(host);
    auto resolve = [&](const std::string& text, std::vector<double>& coef) {
        return ResolveText(host, in.indepVarName, in.xlower, in.xupper, text, coef);
    };
    SystemPieces pieces;
    pieces.coefficients.resize(static_cast<size_t>(vars));
    pieces.rhs.resize(static_cast<size_t>(vars));
    for (int e = 0; e < vars; ++e) {
        const SystemSplit& split = de[static_cast<size_t>(e)];
        for (int j = 0; j < vars; ++j) {
            std::vector<std::vector<double>> coefficients(static_cast<size_t>(n) + 1);
            bool any = false;
            for (int q = 0; q <= od.varOrder[static_cast<size_t>(j)]; ++q) {
                if (!resolve(split.coef[static_cast<size_t>(j)][static_cast<size_t>(q)],
                             coefficients[static_cast<size_t>(q)]))
                    return std::nullopt;
                any = any || !coefficients[static_cast<size_t>(q)].empty();
            }
            if (any)
                pieces.width = std::max(pieces.width, UltrasphericalBandWidth(coefficients));
            else
                coefficients.clear(); // the variable is not in the equation
            pieces.coefficients[static_cast<size_t>(e)].push_back(std::move(coefficients));
        }
        if (!resolve(split.rhs, pieces.rhs[static_cast<size_t>(e)]))
            return std::nullopt;
    }
    return pieces;
}

// Keeps the independent variable's value over a scope that samples the equations, so that the
// collocation after it reads the conditions as it always has (before its grid rows).
class KeptIndependentVariable {
public:
    KeptIndependentVariable(script::ScriptHost& host, const std::string& name) : m_host(host), m_name(name)
    {
        script::ScriptHost::QuietScope quiet(host);
        m_kept = host.evaluate(name, m_value);
    }
    ~KeptIndependentVariable()
    {
        script::ScriptHost::QuietScope quiet(m_host);
        if (m_kept)
            m_host.assignExact(m_name, m_value);
    }
    KeptIndependentVariable(const KeptIndependentVariable&) = delete;
    KeptIndependentVariable& operator=(const KeptIndependentVariable&) = delete;

private:
    script::ScriptHost& m_host;
    std::string m_name;
    double m_value = 0;
    bool m_kept = false;
};

} // namespace

bool LinearSystemBandedFormApplies(const SystemInputs& in, const OrdersAndDegrees& od,
                                   const std::vector<SystemSplit>& de, script::ScriptHost& host)
{
    const KeptIndependentVariable kept(host, in.indepVarName);
    const std::optional<SystemPieces> pieces = ResolveSystemPieces(in, od, de, host);
    return pieces && pieces->width <= kBandedWidth;
}

std::optional<SystemBandedForm> LinearSystemBandedForm(const SystemInputs& in, const OrdersAndDegrees& od,
                                                       const std::vector<SystemSplit>& de,
                                                       const std::vector<SystemSplit>& bc, script::ScriptHost& host,
                                                       const Progress& progress)
{
    const int vars = in.lastVar + 1, m = od.degree, n = od.maxOrder, conditions = in.numBC;
    if (!(in.xupper > in.xlower) || n < 1 || m < 1 || static_cast<int>(de.size()) < vars ||
        static_cast<int>(bc.size()) < conditions || static_cast<int>(od.varDegree.size()) < vars ||
        od.numUnknowns != vars * (m + 1) + conditions)
        return std::nullopt;
    const double middle = (in.xlower + in.xupper) / 2, half = (in.xupper - in.xlower) / 2, scale = 1 / half;
    // The conditions' pieces first, with the independent variable as the collocation has it.
    std::vector<PieceValues> bcv(static_cast<size_t>(conditions));
    std::vector<double> bcRhs(static_cast<size_t>(conditions));
    {
        script::ScriptHost::QuietScope quiet(host); // the collocation reports what fails here
        for (int b = 0; b < conditions; ++b)
            if (!splitValues(host, bc[static_cast<size_t>(b)], od, vars, bcv[static_cast<size_t>(b)],
                             bcRhs[static_cast<size_t>(b)]))
                return std::nullopt;
    }
    const std::optional<SystemPieces> pieces = ResolveSystemPieces(in, od, de, host);
    if (!pieces || pieces->width > std::min(kBandedWidth, m / 4)) // known before the operators are built
        return std::nullopt;
    // Equation e's operator on variable j, from j's Chebyshev coefficients to e's C(n)
    // coefficients, and its right-hand side in C(n).
    std::vector<std::vector<BandMatrix>> op(static_cast<size_t>(vars),
                                            std::vector<BandMatrix>(static_cast<size_t>(vars)));
    std::vector<std::vector<double>> f(static_cast<size_t>(vars));
    for (int e = 0; e < vars; ++e) {
        for (int j = 0; j < vars; ++j) {
            const auto& coefficients = pieces->coefficients[static_cast<size_t>(e)][static_cast<size_t>(j)];
            if (coefficients.empty())
                continue;
            op[static_cast<size_t>(e)][static_cast<size_t>(j)] = UltrasphericalOperator(
                coefficients, scale,
                UltrasphericalSize(coefficients, std::max(od.varDegree[static_cast<size_t>(j)], m + n)), progress);
            if (progress.cancelled())
                return std::nullopt;
        }
        f[static_cast<size_t>(e)] = ConvertToUltraspherical(pieces->rhs[static_cast<size_t>(e)], n, m + 1);
    }
    // The unknowns interleaved: coefficient k of each variable in turn, while k is within its degree.
    std::vector<std::vector<int>> column(static_cast<size_t>(vars));
    for (int k = 0, next = 0; k <= od.maxDegree; ++k)
        for (int j = 0; j < vars; ++j)
            if (k <= od.varDegree[static_cast<size_t>(j)])
                column[static_cast<size_t>(j)].push_back(next++);
    // Equation e's coefficient r is row conditions + r vars + e; the band is what the entries need.
    auto rowOf = [&](int r, int e) { return conditions + r * vars + e; };
    int lower = 0, upper = 0;
    auto eachEntry = [&](const std::function<void(int row, int col, double value)>& visit) {
        for (int e = 0; e < vars; ++e)
            for (int j = 0; j < vars; ++j) {
                const BandMatrix& a = op[static_cast<size_t>(e)][static_cast<size_t>(j)];
                if (a.size == 0)
                    continue;
                const int degree = od.varDegree[static_cast<size_t>(j)];
                for (int r = 0; r <= m; ++r)
                    for (int c = std::max(0, r - a.lower); c <= std::min(degree, r + a.upper); ++c)
                        if (const double v = a.get(r, c); v != 0)
                            visit(rowOf(r, e), column[static_cast<size_t>(j)][static_cast<size_t>(c)], v);
            }
    };
    eachEntry([&](int row, int col, double) {
        lower = std::max(lower, row - col);
        upper = std::max(upper, col - row);
    });
    if (!AlmostBandedSystem::Fits(od.numUnknowns, conditions, lower, upper))
        throw std::bad_alloc(); // the band of many variables grows with their count
    AlmostBandedSystem system(od.numUnknowns, conditions, lower, upper);
    system.stride = vars;
    eachEntry([&](int row, int col, double value) { system.bandAt(row, col) += value; });
    for (int e = 0; e < vars; ++e)
        for (int r = 0; r <= m; ++r)
            system.rhs[static_cast<size_t>(rowOf(r, e))] = f[static_cast<size_t>(e)][static_cast<size_t>(r)];
    // The conditions: each variable's block as the collocation writes it, put in its columns.
    std::vector<double> basis, row(static_cast<size_t>(od.maxDegree) + 1);
    for (int b = 0; b < conditions; ++b) {
        const double t = (in.bcPoint[static_cast<size_t>(b)] - middle) / half;
        for (int j = 0; j < vars; ++j) {
            const int order = od.varOrder[static_cast<size_t>(j)], degree = od.varDegree[static_cast<size_t>(j)];
            ChebyshevBasisDerivatives(order, degree, t, basis);
            ChebyshevRowFromBasis(row.data(), order, degree, scale,
                                  bcv[static_cast<size_t>(b)][static_cast<size_t>(j)].data(), basis.data());
            for (int k = 0; k <= degree; ++k)
                system.denseRow(b)[column[static_cast<size_t>(j)][static_cast<size_t>(k)]] =
                    row[static_cast<size_t>(k)];
        }
        system.rhs[static_cast<size_t>(b)] = bcRhs[static_cast<size_t>(b)];
    }
    system.equilibrate();
    return SystemBandedForm{std::move(system), std::move(column)};
}

namespace {

// The banded form's solve: none where it does not apply or its system is singular or not
// finite (the collocation then solves, and says what it finds), except beyond the collocation's
// own bound (BandedFailureStands), where the failure ends the solve.
std::optional<ChebyshevSystemSolution> SolveSystemBanded(const SystemInputs& in, const OrdersAndDegrees& od,
                                                         const std::vector<SystemSplit>& de,
                                                         const std::vector<SystemSplit>& bc, script::ScriptHost& host,
                                                         const Progress& progress)
{
    std::optional<SystemBandedForm> form;
    {
        const KeptIndependentVariable kept(host, in.indepVarName); // for the collocation, where none is made
        form = LinearSystemBandedForm(in, od, de, bc, host, progress);
    }
    ChebyshevSystemSolution result;
    if (progress.cancelled()) {
        result.termination = Termination::Cancelled;
        result.lstCoeff = ListEndLines(ListStyle::SystemExpansion, Termination::Cancelled);
        return result;
    }
    if (!form)
        return std::nullopt;
    std::vector<double> unknowns;
    const BandedOutcome outcome = SolveAlmostBanded(form->system, unknowns, result.rounding, progress);
    if (outcome != BandedOutcome::Solved && outcome != BandedOutcome::Cancelled &&
        !BandedFailureStands(form->system.unknowns))
        return std::nullopt;
    result.termination = BandedTermination(outcome, host);
    if (result.termination == Termination::ArithmeticFault)
        result.error = host.fault();
    if (!result.solved()) {
        result.lstCoeff = ListEndLines(ListStyle::SystemExpansion, result.termination);
        return result;
    }
    for (size_t j = 0; j < form->column.size(); ++j) {
        ChebyshevSeries series{in.xlower, in.xupper, {}};
        for (int c : form->column[j])
            series.coef.push_back(unknowns[static_cast<size_t>(c)]);
        result.series.push_back(std::move(series));
    }
    return result;
}

} // namespace

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
    if (m >= kBandedFromDegree)
        if (std::optional<ChebyshevSystemSolution> banded = SolveSystemBanded(in, od, de, bc, host, progress))
            return *banded;
    const double scale = 2 / (in.xupper - in.xlower);
    auto sOf = [&](double x) { return (2 * x - in.xlower - in.xupper) / (in.xupper - in.xlower); };
    std::vector<double> basis;
    // Each variable's block: its pieces' values times the derivatives of its Chebyshev basis.
    auto chebyshevRow = [&](double s, const PieceValues& cv, double rhs, double* row) {
        for (int j = 0; j < vars; ++j) {
            const int order = od.varOrder[static_cast<size_t>(j)], degree = od.varDegree[static_cast<size_t>(j)];
            ChebyshevBasisDerivatives(order, degree, s, basis);
            ChebyshevRowFromBasis(row + od.offset(j), order, degree, scale, cv[static_cast<size_t>(j)].data(),
                                  basis.data());
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
    for (const std::vector<double>& c : ByVariable(od, vars, x))
        result.series.push_back(ChebyshevSeries{in.xlower, in.xupper, c});
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
