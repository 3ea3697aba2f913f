#include "nonlinear/NonlinearSession.h"

#include "collocation/Elimination.h"
#include "common/NumberFormat.h"
#include "equations/BoxChecks.h"
#include "session/Listing.h"
#include "single/SingleReport.h"

#include <algorithm>
#include <chrono>
#include <new>

namespace ode {

NonlinearSession::NonlinearSession(SeriesKind kind, std::shared_ptr<script::Class1>& shared,
                                   script::ScriptHost::MessageSink sink)
    : ProblemSession(shared, sink), boxes(DefaultNonlinearTexts(kind)), m_kind(kind),
      m_random(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()))
{
    m_host.extension().h = 0.000005;
    maxDegree = DefaultAutoDegreeLimit(problemKind()); // this class's own: the kind is final here
}

bool NonlinearSession::prepare()
{
    m_inputs = ReadNonlinearInputs(boxes, m_kind, m_host.Pi);
    m_inputsRead = true;
    if (!runConstants(m_inputs.constants))
        return false;
    if (auto refusal = NamesRefusal(m_inputs.indepVarName, {m_inputs.depVarName})) {
        m_host.report(*refusal);
        return false;
    }
    if (auto problem = PrepareExpressions(m_inputs.equation, m_inputs.bcText, m_inputs.depVarName, m_inputs.order,
                                          m_residualExpr)) {
        m_host.report(*problem);
        return false;
    }
    return true;
}

bool NonlinearSession::solveProblem()
{
    clearResults();
    m_result = NewtonResult{};
    m_accurate = ChebyshevNewtonResult{};
    if (!prepare())
        return false;
    if (accurate())
        return solveChebyshev();
    if (autoDegree && m_kind == SeriesKind::Trigonometric)
        return solveTrigonometricAuto();
    ApplyInitialApproximation(static_cast<int>(ParseNumber(boxes.approximation)), m_inputs.seriesDegree, m_coef,
                              m_random);
    m_result = SolveNonlinear(m_inputs, m_residualExpr, m_coef, m_host, solveProgress());
    m_lastChebyshev.reset(); // the coefficients of this iteration are the current approximation
    m_lstCoeff = m_result.lstCoeff;
    m_solved = m_result.solved();
    m_end = m_result;
    if (m_solved)
        listConditionResiduals();
    return m_solved;
}

// The automatic number of terms of a trigonometric series: 17, 33, 65 ... terms, each Newton
// iteration from the last one's coefficients (the new harmonics 0), until the last harmonics
// are rounding noise; the result that stands is that of the number of terms found.
bool NonlinearSession::solveTrigonometricAuto()
{
    const int choice = static_cast<int>(ParseNumber(boxes.approximation));
    bool first = true;
    std::vector<std::pair<NewtonResult, std::vector<double>>> tried;
    const AutoDegreeSolution found = GrowChebyshevDegree(
        std::max(16, m_inputs.order + 2), maxDegree, tolerance,
        [&](int degree, const Progress& at) {
            NonlinearInputs in = m_inputs;
            in.seriesDegree = degree;
            ApplyInitialApproximation(first ? choice : 4, degree, m_coef, m_random);
            first = false;
            NewtonResult r = SolveNonlinear(in, m_residualExpr, m_coef, m_host, at);
            tried.push_back({r, m_coef});
            ChebyshevSolution out;
            static_cast<SolveEnd&>(out) = r;
            if (r.solved())
                out.series.coef = m_coef;
            return out;
        },
        true, solveProgress());
    m_readout = found.readout;
    for (const auto& [result, coef] : tried)
        if (static_cast<int>(coef.size()) == found.degree + 1) {
            m_result = result;
            m_coef = coef;
        }
    m_lastChebyshev.reset();
    m_lstCoeff = m_result.lstCoeff;
    m_end = m_result;
    if (found.stopped)
        m_end.termination = Termination::Cancelled;
    m_solved = found.best.solved();
    if (m_solved) {
        m_inputs.seriesDegree = found.degree;
        boxes.terms = std::to_string(found.degree + 1);
        listConditionResiduals();
    }
    return m_solved;
}

ChebyshevSeries NonlinearSession::chebyshevStart(int choice, int N)
{
    const NonlinearInputs& in = m_inputs;
    if (choice == 4 && m_lastChebyshev && m_lastChebyshev->a == in.xlower && m_lastChebyshev->b == in.xupper) {
        ChebyshevSeries s = *m_lastChebyshev;
        s.coef.resize(static_cast<size_t>(N) + 1, 0.0);
        return s;
    }
    // Newton's matrix must fit before the start (O(N^2) to convert) is worth making.
    if (!NewtonMatricesFit(N + 1))
        throw std::bad_alloc();
    ApplyInitialApproximation(choice, N, m_coef, m_random);
    return PowerToChebyshev(m_coef, in.xcenter, in.xlower, in.xupper, N);
}

// The accurate method: Newton on the Chebyshev coefficients at a fixed degree, or at growing
// degrees each started from the last solution. The coefficient list shows the power series
// about the centre in the equally spaced method's listing form; the pass list shows both norms.
bool NonlinearSession::solveChebyshev()
{
    const int choice = static_cast<int>(ParseNumber(boxes.approximation));
    if (continuation.active())
        return sweepChebyshev(continuation, choice);
    const bool solved = solveChebyshevFrom(choice, solveProgress());
    if (!autoDegree)
        return solved;
    LayerProbe probe;
    probe.equations = {m_residualExpr[0]};
    probe.variables.emplace_back();
    for (int k = 0; k <= m_inputs.order; ++k)
        probe.variables[0].push_back("Y" + std::to_string(k));
    probe.indepVarName = m_inputs.indepVarName;
    probe.a = m_inputs.xlower;
    probe.b = m_inputs.xupper;
    return sweepTheLayerWhereNeeded(
        solved, probe, m_inputs.constants, m_lstPasses,
        [&](const Continuation& layer) { return sweepChebyshev(layer, choice); },
        [&]() -> std::function<bool()> { return [this, kept = standing()] { return stand(kept); }; });
}

NonlinearSession::Standing NonlinearSession::standing() const
{
    return {m_accurate, m_readout, boxes.terms, m_inputs.seriesDegree};
}

bool NonlinearSession::stand(const Standing& kept)
{
    clearResults();
    m_accurate = kept.accurate;
    m_readout = kept.readout;
    boxes.terms = kept.terms;
    m_inputs.seriesDegree = kept.degree;
    return showAccurate();
}

bool NonlinearSession::sweepChebyshev(const Continuation& sweep, int choice)
{
    using Kept = Standing;
    const SweepEnd end = SweepConstant<Kept>(
        sweep, m_host, solveProgress(), m_inputs.constants,
        [&](bool first, bool full, const Progress& at) {
            clearResults();
            const StepBounds bounds(full, {&m_inputs.errorBoundDE, &m_inputs.errorBoundCoef, &tolerance}, m_inputs.polish);
            const StepPasses passes(first, m_inputs.maxIterations);
            // The automatic degree goes on from the degree the last step found.
            m_firstAutoDegree = !first && m_lastChebyshev ? static_cast<int>(m_lastChebyshev->coef.size()) - 1 : 0;
            const bool solved = solveChebyshevFrom(first ? choice : 4, at, first, full);
            // A later step whose growth met a degree without a solution went too far at once.
            return solved && (first || !m_unsolvedDegree);
        },
        [&] { return standing(); }, [&](const Kept& k) { m_lastChebyshev = k.accurate.series; },
        [&](const Kept& k, const Kept& before, double w) {
            m_lastChebyshev = Extrapolated(k.accurate.series, before.accurate.series, w);
        },
        [&](const Kept& k) { stand(k); }, m_lstPasses, [&] { return readoutAtItsLimit(); });
    m_firstAutoDegree = 0;
    return finishSweep(end, sweep.name, sweep.to);
}

bool NonlinearSession::solveChebyshevFrom(int choice, const Progress& progress, bool findWay, bool show)
{
    // Newton's iteration from `start`, as `attempt` asks.
    // (`loose`: only to that share of the start's largest coefficient, without polishing.)
    auto solve = [&](const ChebyshevSeries& start, const Progress& at, NewtonAttempt attempt, double loose = 0) {
        NonlinearInputs in = m_inputs;
        in.maxIterations = attempt.passesWithin(in.maxIterations);
        in.homotopy = attempt.homotopy;
        if (loose > 0) {
            in.errorBoundCoef = std::fmax(in.errorBoundCoef, loose * LargestMagnitude(start.coef));
            in.polish = false;
        }
        return SolveNonlinearChebyshev(in, m_residualExpr, start, m_host, at, attempt.findWay);
    };
    std::vector<ChebyshevNewtonResult> tried; // the automatic degree's solves
    bool stopped = false;
    m_unsolvedDegree = false;
    if (autoDegree) {
        std::optional<ChebyshevSeries> previous;
        const int firstDegree = m_firstAutoDegree > 0 ? m_firstAutoDegree : std::max(16, m_inputs.order + 2);
        auto atDegree = [&](int degree, const Progress& at, double loose) {
            const ChebyshevSeries fresh = chebyshevStart(choice, degree);
            ChebyshevSeries start = fresh;
            if (previous) {
                start = *previous;
                start.coef.resize(static_cast<size_t>(degree) + 1, 0.0);
            }
            // From the last degree's solution, plain Newton: a start that close either converges
            // in a few passes or is not to be trusted. A coarser degree's solution that missed a
            // layer can lead Newton astray where the problem's own start does not, so the degree
            // is then solved from that start, finding its way where a pass is cheap.
            // A finer first degree, tried where the first found nothing, finds its way without
            // the homotopy, which failed there already and costs most where it crawls.
            tried.push_back(solve(start, at,
                                  previous && findWay ? GrownDegreeFromCoarser()
                                                      : NewtonAttempt{findWay && !previous, 0, degree == firstDegree},
                                  loose));
            if (previous && findWay && tried.back().termination == Termination::NoConvergence && !at.cancelled()) {
                ChebyshevNewtonResult again = solve(fresh, at, GrownDegreeFromTheStart(degree), loose);
                if (again.solved() || again.termination == Termination::Cancelled)
                    tried.back() = std::move(again);
            }
            if (tried.back().solved())
                previous = tried.back().series;
            ChebyshevSolution s;
            static_cast<SolveEnd&>(s) = tried.back();
            s.series = tried.back().series;
            s.rounding = RemainingCorrection(tried.back());
            return s;
        };
        AutoDegreeSolution found = GrowChebyshevDegree(
            firstDegree, maxDegree, tolerance, [&](int degree, const Progress& at) { return atDegree(degree, at, 0); },
            false, progress, {}, findWay && m_firstAutoDegree == 0,
            {[&](int degree, double loose, const Progress& at) { return atDegree(degree, at, loose); },
             m_firstAutoDegree > 0 && m_lastChebyshev ? ChebyshevTail(m_lastChebyshev->coef) : -1.0});
        m_readout = found.readout;
        stopped = found.stopped;
        m_unsolvedDegree = found.unsolvedDegree;
        for (const ChebyshevNewtonResult& r : tried)
            if (static_cast<int>(r.series.coef.size()) == found.degree + 1)
                m_accurate = r;
        if (found.best.solved()) {
            m_inputs.seriesDegree = found.degree;
            boxes.terms = std::to_string(found.degree);
        }
    } else {
        m_accurate = solve(chebyshevStart(choice, m_inputs.seriesDegree), progress, {findWay, 0});
        if (m_accurate.solved())
            m_readout = FixedDegreeReadout({m_accurate.series}, tolerance, RemainingCorrection(m_accurate));
    }
    m_lstPasses = NewtonPassLines(m_accurate);
    if (autoDegree && !tried.empty()) {
        // Every degree tried, each with its passes.
        m_lstPasses.clear();
        for (const ChebyshevNewtonResult& r : tried) {
            m_lstPasses.push_back("DEGREE " + std::to_string(r.series.coef.size() - 1) + ":");
            for (const std::string& line : NewtonPassLines(r))
                m_lstPasses.push_back(line);
        }
    }
    if (!show && !stopped && m_accurate.solved()) {
        m_end = m_accurate;
        m_lastChebyshev = m_accurate.series;
        return m_solved = true;
    }
    const bool shown = showAccurate();
    if (stopped)
        m_end.termination = Termination::Cancelled;
    return shown;
}

bool NonlinearSession::showAccurate()
{
    m_end = m_accurate;
    if (m_accurate.termination == Termination::Cancelled && m_accurate.shownPass == 0) {
        m_result = NewtonResult{};
        static_cast<SolveEnd&>(m_result) = m_accurate;
        m_lstCoeff = ListEndLines(ListStyle::NewtonPower, Termination::Cancelled);
        return false;
    }
    if (m_accurate.termination == Termination::Refused || m_accurate.termination == Termination::ScriptError ||
        m_accurate.termination == Termination::ArithmeticFault) {
        m_result = NewtonResult{};
        static_cast<SolveEnd&>(m_result) = m_accurate;
        return false;
    }
    m_lastChebyshev = m_accurate.series;
    m_result = AsPowerNewtonResult(m_inputs, m_accurate, m_coef);
    m_lstCoeff = m_result.lstCoeff;
    m_lstChebyshev = ChebyshevCoefficientLines(m_inputs.depVarName, m_accurate.series);
    m_solved = m_accurate.solved();
    if (m_solved) {
        m_chebyshev = m_accurate.series;
        listConditionResiduals();
    }
    return m_solved;
}

SolveReport NonlinearSession::describe() const
{
    SolveReport r =
        singleReport(m_kind == SeriesKind::Power ? ListStyle::NewtonPower : ListStyle::NewtonTrigonometric);
    TakeNewtonNumbers(m_result, m_solved, {m_coef}, r);
    if (accurate())
        r.passNorms = m_accurate.passes;
    return r;
}

void NonlinearSession::listConditionResiduals()
{
    std::vector<double> residuals;
    if (m_chebyshev) {
        for (int l = 1; l <= m_inputs.order; ++l) {
            double v = 0;
            if (!ChebyshevResidualAt(m_inputs, m_residualExpr, *m_chebyshev, l,
                                     m_inputs.bcPoint[static_cast<size_t>(l - 1)], m_host, v)) {
                m_host.trap();
                return;
            }
            residuals.push_back(v);
        }
    } else if (!NonlinearBCErrors(m_inputs, m_residualExpr, series(), m_host, residuals)) {
        return;
    }
    showConditionResiduals(std::move(residuals));
}

bool NonlinearSession::termsAt(double x, double& residual, double& terms)
{
    return NonlinearTermsAt(m_inputs, m_residualExpr, m_coef, x, m_host, residual, terms);
}

bool NonlinearSession::residualLinesAt(double x, std::vector<std::string>& lines)
{
    if (m_chebyshev) {
        double v = 0;
        if (!ChebyshevResidualAt(m_inputs, m_residualExpr, *m_chebyshev, 0, x, m_host, v)) {
            m_host.trap();
            return false;
        }
        lines = {"LHS-RHS=" + FormatNumber(v)};
        return true;
    }
    std::string line;
    if (!NonlinearResidualLine(m_inputs, m_residualExpr, series(), x, m_host, line))
        return false;
    lines = {line};
    return true;
}

bool NonlinearSession::openProblem(const std::string& path)
{
    NonlinearOpenResult r = OpenNonlinearProblem(path, m_kind, m_host.Pi);
    if (!r.ok) {
        m_host.report(r.message);
        return false;
    }
    clearResults();
    m_lastChebyshev.reset();
    m_result = NewtonResult{};
    m_accurate = ChebyshevNewtonResult{};
    NonlinearTexts shown = r.texts;
    shown.approximation = boxes.approximation;
    shown.xestimation = boxes.xestimation;
    shown.derNum = boxes.derNum;
    boxes = shown;
    m_solved = r.content.solved;
    if (m_solved)
        m_coef = r.content.coef;
    const bool prepared = prepare();
    if (!prepared)
        m_solved = false; // shown, but Solve will refuse its texts with the message
    openAccurateFile(path, m_inputs);
    if (prepared && m_solved) {
        m_lstCoeff = CoefficientLines(m_inputs.depVarName, m_coef);
        listConditionResiduals();
    }
    return true;
}

std::string NonlinearSession::problemFileText() const { return NonlinearProblemFileText(m_kind, boxes); }

bool NonlinearSession::save(const std::string& path)
{
    if (const auto refusal = UnsavableText(boxes)) {
        m_host.report(*refusal);
        return false;
    }
    std::string error;
    if (SaveNonlinearProblem(path, m_kind, boxes, m_solved, m_coef, error, accurateFiles(path)))
        return true;
    m_host.report(error);
    return false;
}

bool NonlinearSession::loadSeries(const std::string& path)
{
    ApproximationSeries s = LoadApproximationSeries(path, m_kind);
    if (!s.ok) {
        m_host.report(s.message);
        boxes.approximation = "2 Random coefficients";
        return false;
    }
    m_coef = s.coef;
    boxes.expansion = FormatNumber(s.centre);
    if (m_kind == SeriesKind::Power) {
        boxes.terms = FormatNumber(s.degree);
    } else {
        boxes.terms = FormatNumber(s.degree + 1);
        boxes.period = s.periodText;
    }
    // The boxes changed under the solution: the results go (the form clears them when its
    // boxes change), the loaded coefficients stay for the next solve.
    clearResults();
    return true;
}

std::vector<std::string> NonlinearSession::report()
{
    if (!m_inputsRead) {
        m_inputs = ReadNonlinearInputs(boxes, m_kind, m_host.Pi);
        m_inputsRead = true;
    }
    const NonlinearInputs& in = m_inputs;
    std::vector<std::string> lines = ReportHeadLines(in, boxes);
    lines.push_back("");
    lines.push_back("                        ORDER:" + PrintedNumber(in.order));
    if (m_kind == SeriesKind::Power)
        lines.push_back("          DEGREE OF EXPANSION:" + PrintedNumber(in.seriesDegree));
    else
        lines.push_back("              NUMBER OF TERMS:" + PrintedNumber(in.seriesDegree + 1));
    AppendNewtonReportLines(in.errorBoundDE, in.errorBoundCoef, in.maxIterations, in.xlower, in.xupper, in.xcenter,
                            lines);
    if (m_kind == SeriesKind::Trigonometric)
        lines.push_back("                       PERIOD:" + PrintedNumber(in.period));
    if (m_solved) {
        lines.push_back("");
        lines.push_back("EXPANSION COEFFICIENTS:");
        for (size_t k = 0; k < m_coef.size(); ++k)
            lines.push_back(in.depVarName + "(" + PrintedNumber(static_cast<double>(k)) +
                            ")=" + PrintedNumber(m_coef[k]));
        AppendAccurateReport(accuracyLines(), m_lstChebyshev, lines);
    }
    return lines;
}

} // namespace ode
