#include "output/Solution.h"

#include "common/NumberFormat.h"
#include "single/ProblemSession.h"
#include "systems/SystemSession.h"

namespace ode {

namespace {

void CopyLists(const Session& session, Solution& s)
{
    s.lstCoeff = session.lstCoeff();
    s.lstBCError = session.lstBCError();
    s.outcome = s.lstCoeff.empty() ? std::string() : s.lstCoeff.front();
}

// Each condition with its residual as the conditions' list shows it (its 15 significant digits,
// so that what a file says and what the window shows agree), none where the list has none.
void AddConditions(const Session& session, const std::vector<std::string>& texts, const std::vector<double>& points,
                   Solution& s)
{
    const std::vector<double>& residuals = session.conditionResiduals();
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
    if (!session.solved())
        return std::nullopt;
    const SingleInputs& in = session.inputs();
    const SeriesView view = session.series();
    Solution s;
    s.series = in.kind;
    s.kind = session.problemKind();
    s.indepVarName = in.indepVarName;
    s.equations = {in.equation};
    s.constants = in.constants;
    s.xlower = in.xlower;
    s.xupper = in.xupper;
    s.centre = view.center;
    s.period = in.kind == SeriesKind::Trigonometric ? view.period : 0.0;
    if (in.kind == SeriesKind::Trigonometric)
        s.periodText = session.texts().period;
    s.degree = in.seriesDegree;
    s.accurate = session.chebyshev().has_value();
    CopyLists(session, s);
    s.accuracy = session.accuracy();
    s.lstPasses = session.lstPasses();
    s.lstChebyshev = session.lstChebyshev();
    SolvedVariable v;
    v.name = in.depVarName;
    v.order = in.order;
    v.coef.assign(view.coef, view.coef + view.degree + 1);
    v.chebyshev = session.chebyshev();
    s.variables.push_back(std::move(v));
    AddConditions(session, in.bcText, in.bcPoint, s);
    return s;
}

std::optional<Solution> DescribeSolution(const SystemSession& session)
{
    if (!session.solved())
        return std::nullopt;
    const SystemInputs& in = session.inputs();
    const OrdersAndDegrees& od = session.orders();
    Solution s;
    s.kind = session.nonlinear() ? ProblemKind::NonlinearSystem : ProblemKind::LinearSystem;
    s.series = SeriesKind::Power;
    s.indepVarName = in.indepVarName;
    s.equations = in.equations;
    s.constants = in.constants;
    s.xlower = in.xlower;
    s.xupper = in.xupper;
    s.centre = in.xcenter;
    s.degree = od.degree;
    s.accurate = !session.chebyshev().empty();
    CopyLists(session, s);
    s.accuracy = session.accuracy();
    s.lstPasses = session.lstPasses();
    s.lstChebyshev = session.lstChebyshev();
    const auto rows = SplitByVariable(session.coef(), od);
    for (size_t j = 0; j < rows.size(); ++j) {
        SolvedVariable v;
        v.name = j < in.depVarNames.size() ? in.depVarNames[j] : std::string();
        v.order = j < od.varOrder.size() ? od.varOrder[j] : 0;
        v.coef = rows[j];
        if (j < session.chebyshev().size())
            v.chebyshev = session.chebyshev()[j];
        s.variables.push_back(std::move(v));
    }
    AddConditions(session, in.bcText, in.bcPoint, s);
    return s;
}

} // namespace ode
