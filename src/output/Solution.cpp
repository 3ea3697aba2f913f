#include "output/Solution.h"

#include "common/NumberFormat.h"
#include "single/ProblemSession.h"
#include "systems/SystemSession.h"

namespace ode {

namespace {

// The lists as the window shows them, and each condition with its residual as the conditions'
// list shows it (its 15 significant digits, so that what a file says and what the window shows
// agree), none where the list has none.
void AddListsAndConditions(const Session& session, const std::vector<std::string>& texts,
                           const std::vector<double>& points, Solution& s)
{
    s.lstCoeff = session.lstCoeff();
    s.lstBCError = session.lstBCError();
    const std::vector<double>& residuals = s.report.conditionResiduals;
    for (size_t b = 0; b < texts.size(); ++b) {
        std::optional<double> residual;
        if (b < residuals.size())
            residual = RoundTo15Digits(residuals[b]) + 0.0; // -0 shows as 0
        s.conditions.push_back({texts[b], b < points.size() ? points[b] : 0.0, residual});
    }
}

} // namespace

double VariableDerivative(const Solution& s, size_t j, int derivative, double x)
{
    const SolvedVariable& v = s.variables[j];
    if (v.chebyshev)
        return ChebyshevDerivative(*v.chebyshev, derivative, x);
    SeriesView view;
    view.kind = s.series;
    view.coef = v.coef.data();
    view.degree = static_cast<int>(v.coef.size()) - 1;
    view.center = s.centre;
    view.period = s.period;
    return SeriesDerivative(view, derivative, x);
}

plot::PlotSource PlotSourceOf(const Solution& s)
{
    plot::PlotSource src;
    src.kind = s.series;
    src.xlower = s.xlower;
    src.xupper = s.xupper;
    src.xcenter = s.centre;
    src.period = s.period;
    src.periodText = s.periodText;
    src.seriesDegree = s.degree;
    src.indepVarName = s.indepVarName;
    for (const SolvedVariable& v : s.variables) {
        src.coefOffset.push_back(static_cast<int>(src.coef.size()));
        src.varDegree.push_back(static_cast<int>(v.coef.size()) - 1);
        src.coef.insert(src.coef.end(), v.coef.begin(), v.coef.end());
        src.depVarNames.push_back(v.name);
        if (v.chebyshev)
            src.chebyshev.insert(src.chebyshev.end(), v.chebyshev->coef.begin(), v.chebyshev->coef.end());
    }
    return src;
}

const char* MethodName(const Solution& s) { return s.accurate ? "Chebyshev" : "equally spaced"; }

std::optional<Solution> DescribeSolution(const ProblemSession& session)
{
    const SolveReport& report = session.lastReport();
    if (!session.solved() || !report.standing || report.series.size() != 1)
        return std::nullopt;
    const SingleInputs& in = session.inputs();
    Solution s;
    s.report = report;
    s.series = report.kind;
    s.kind = session.problemKind();
    s.indepVarName = in.indepVarName;
    s.equations = {in.equation};
    s.constants = in.constants;
    s.xlower = in.xlower;
    s.xupper = in.xupper;
    s.centre = report.centre;
    s.period = report.period;
    if (report.kind == SeriesKind::Trigonometric)
        s.periodText = session.texts().period;
    s.degree = in.seriesDegree;
    s.accurate = !report.chebyshev.empty();
    s.lstPasses = session.lstPasses();
    s.lstChebyshev = session.lstChebyshev();
    SolvedVariable v;
    v.name = in.depVarName;
    v.order = in.order;
    v.coef = report.series.front();
    if (!report.chebyshev.empty())
        v.chebyshev = report.chebyshev.front();
    s.variables.push_back(std::move(v));
    AddListsAndConditions(session, in.bcText, in.bcPoint, s);
    return s;
}

std::optional<Solution> DescribeSolution(const SystemSession& session)
{
    const SolveReport& report = session.lastReport();
    if (!session.solved() || !report.standing)
        return std::nullopt;
    const SystemInputs& in = session.inputs();
    const OrdersAndDegrees& od = session.orders();
    Solution s;
    s.report = report;
    s.kind = session.nonlinear() ? ProblemKind::NonlinearSystem : ProblemKind::LinearSystem;
    s.series = SeriesKind::Power;
    s.indepVarName = in.indepVarName;
    s.equations = in.equations;
    s.constants = in.constants;
    s.xlower = in.xlower;
    s.xupper = in.xupper;
    s.centre = in.xcenter;
    s.degree = od.degree;
    s.accurate = !report.chebyshev.empty();
    s.lstPasses = session.lstPasses();
    s.lstChebyshev = session.lstChebyshev();
    for (size_t j = 0; j < report.series.size(); ++j) {
        SolvedVariable v;
        v.name = j < in.depVarNames.size() ? in.depVarNames[j] : std::string();
        v.order = j < od.varOrder.size() ? od.varOrder[j] : 0;
        v.coef = report.series[j];
        if (j < report.chebyshev.size())
            v.chebyshev = report.chebyshev[j];
        s.variables.push_back(std::move(v));
    }
    AddListsAndConditions(session, in.bcText, in.bcPoint, s);
    return s;
}

} // namespace ode
