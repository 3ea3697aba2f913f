#include "systems/SystemSession.h"

#include "collocation/AccurateFile.h"
#include "collocation/Chebyshev.h"
#include "collocation/NewtonLoop.h"
#include "common/NumberFormat.h"
#include "common/ProblemKind.h"
#include "equations/BoxChecks.h"
#include "equations/LinearSplit.h"
#include "session/Listing.h"
#include "systems/SystemFiles.h"
#include "systems/SystemReport.h"

#include <chrono>
#include <map>

namespace ode {

SystemSession::SystemSession(bool nonlinear, std::shared_ptr<script::Class1>& shared,
                             script::ScriptHost::MessageSink sink)
    : Session(shared, sink), m_nonlinear(nonlinear),
      m_random(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()))
{
    if (nonlinear)
        m_host.extension().h = 0.000005;
    maxDegree = DefaultAutoDegreeLimit(nonlinear ? ProblemKind::NonlinearSystem : ProblemKind::LinearSystem);
}

void SystemSession::clearResults()
{
    Session::clearResults();
    m_lstValue.clear();
    m_chebyshev.clear();
    m_lstChebyshev.clear();
    m_lstPasses.clear();
}

bool SystemSession::readInputs()
{
    SystemInputs& in = m_inputs;
    const int vars = static_cast<int>(ParseWholeNumber(boxes.numDE));
    in.lastVar = vars - 1;
    in.numBC = static_cast<int>(ParseWholeNumber(boxes.numBC));
    in.degree = static_cast<int>(ParseWholeNumber(boxes.terms));
    in.xlower = ParseNumber(boxes.xlower);
    in.xupper = ParseNumber(boxes.xupper);
    in.xcenter = boxes.expansion == "*" ? (in.xlower + in.xupper) / 2 : ParseNumber(boxes.expansion);
    in.indepVarName = boxes.indepVarName;
    in.depVarNames = SplitNames(boxes.depVarNames);
    in.equations.assign(boxes.equations.begin(),
                        boxes.equations.begin() + std::min<size_t>(boxes.equations.size(), static_cast<size_t>(vars)));
    in.bcText.clear();
    in.bcPoint.clear();
    for (int b = 0; b < in.numBC && static_cast<size_t>(b) < boxes.bcText.size(); ++b) {
        in.bcText.push_back(boxes.bcText[static_cast<size_t>(b)]);
        in.bcPoint.push_back(ParseNumber(boxes.bcPoint[static_cast<size_t>(b)]));
    }
    in.constants = boxes.constants;
    m_inputs.errorBoundDE = ParseNumber(boxes.errorD);
    m_inputs.errorBoundCoef = ParseNumber(boxes.errorC);
    m_inputs.maxIterations = static_cast<int>(ParseWholeNumber(boxes.maxcy));
    m_inputsRead = true;
    return runConstants(in.constants);
}

OrdersAndDegrees SystemSession::ordersAndDegrees(int degree) const
{
    return FindOrdersAndDegrees(m_inputs.equations, m_inputs.depVarNames, degree, m_inputs.numBC,
                                method == CollocationMethod::Chebyshev);
}

bool SystemSession::prepare()
{
    if (!readInputs())
        return false;
    if (auto refusal = NamesRefusal(m_inputs.indepVarName, m_inputs.depVarNames)) {
        m_host.report(*refusal);
        return false;
    }
    m_od = ordersAndDegrees(m_inputs.degree);
    m_de.clear();
    m_bc.clear();
    if (!m_nonlinear) {
        for (size_t e = 0; e < m_inputs.equations.size(); ++e) {
            m_de.push_back(SplitSystemText(m_inputs.equations[e], m_inputs.depVarNames, m_od.sumOrder));
            if (auto problem = CheckSystemSplit(m_de.back(), m_od, m_inputs.depVarNames)) {
                m_host.report("Differential equation " + std::to_string(e + 1) + " " + *problem + ".");
                return false;
            }
        }
        for (size_t b = 0; b < m_inputs.bcText.size(); ++b) {
            m_bc.push_back(SplitSystemText(m_inputs.bcText[b], m_inputs.depVarNames, m_od.sumOrder));
            if (auto problem = CheckSystemSplit(m_bc.back(), m_od, m_inputs.depVarNames)) {
                m_host.report("Boundary condition " + std::to_string(b + 1) + " " + *problem + ".");
                return false;
            }
        }
        return true;
    }
    for (const std::string& statement : DeclarationStatements(m_inputs.depVarNames, m_od.varOrder))
        if (!m_host.execute(statement)) {
            m_host.trap();
            return false;
        }
    auto residual = [&](const std::string& text) {
        const size_t eq = text.find('=');
        std::string r = text;
        if (eq != std::string::npos) {
            const std::string left = text.substr(0, eq), right = text.substr(eq + 1);
            r = right == "0" ? left : left + "-(" + right + ")";
        }
        return TranslateSystemText(r, m_inputs.depVarNames, m_od.varOrder);
    };
    m_eqExpr.clear();
    m_bcExpr.clear();
    for (size_t e = 0; e < m_inputs.equations.size(); ++e) {
        m_eqExpr.push_back(residual(m_inputs.equations[e]));
        if (m_eqExpr.back().find('\'') != std::string::npos) {
            m_host.report("Differential equation " + std::to_string(e + 1) +
                          " has a derivative above the orders the equations give.");
            return false;
        }
    }
    for (size_t b = 0; b < m_inputs.bcText.size(); ++b) {
        m_bcExpr.push_back(residual(m_inputs.bcText[b]));
        if (m_bcExpr.back().find('\'') != std::string::npos) {
            m_host.report("Boundary condition " + std::to_string(b + 1) +
                          " has a derivative above the orders the equations give.");
            return false;
        }
    }
    return true;
}

std::vector<std::string> SystemSession::coefficientLines() const
{
    return SystemCoefficientListing(m_inputs, SplitByVariable(m_coef, m_od));
}

bool SystemSession::solveProblem()
{
    clearResults();
    m_newton = SystemNewtonResult{};
    m_accurate = SystemChebyshevResult{};
    if (!prepare())
        return false;
    if (method == CollocationMethod::Chebyshev && autoDegree) {
        if (!m_nonlinear)
            return solveAutoDegree(0, solveProgress());
        if (continuation.active())
            return sweepAutoDegree(continuation);
        LayerProbe probe;
        probe.equations = m_eqExpr;
        for (int j = 0; j <= m_inputs.lastVar; ++j) {
            probe.variables.emplace_back();
            for (int k = 0; k <= m_od.varOrder[static_cast<size_t>(j)]; ++k)
                probe.variables.back().push_back(m_inputs.depVarNames[static_cast<size_t>(j)] + std::to_string(k));
        }
        probe.indepVarName = m_inputs.indepVarName;
        probe.a = m_inputs.xlower;
        probe.b = m_inputs.xupper;
        return sweepTheLayerWhereNeeded(
            solveAutoDegree(0, solveProgress()), probe, m_inputs.constants, m_lstPasses,
            [&](const Continuation& layer) { return sweepAutoDegree(layer); },
            [&]() -> std::function<bool()> { return [this, kept = standing()] { return stand(kept); }; });
    }
    if (!m_nonlinear && method == CollocationMethod::Chebyshev)
        return solveChebyshev(solveProgress());
    if (!m_nonlinear) {
        SystemSolution s = SolveSystem(m_inputs, m_od, m_de, m_bc, m_host, solveProgress());
        m_end = s;
        m_lstCoeff = s.lstCoeff;
        if (!s.solved())
            return false;
        m_coef.clear();
        for (const auto& row : s.coef)
            m_coef.insert(m_coef.end(), row.begin(), row.end());
        m_coefDegrees = m_od.varDegree;
        m_solved = true;
        std::vector<double> errors;
        if (SystemBCErrors(m_inputs, m_od, m_bc, PowerDerivatives(s.coef, m_inputs.xcenter), m_host, errors))
            showConditionResiduals(std::move(errors));
        return true;
    }
    const int choice = static_cast<int>(ParseNumber(boxes.approximation));
    if (method == CollocationMethod::Chebyshev) {
        if (!continuation.active())
            return solveNonlinearAccurate(choice, solveProgress());
        const SweepEnd end = SweepConstant<SystemChebyshevResult>(
            continuation, m_host, solveProgress(), m_inputs.constants,
            [&](bool first, bool full, const Progress& at) {
                clearResults();
                const StepBounds bounds(full, {&m_inputs.errorBoundDE, &m_inputs.errorBoundCoef, &tolerance}, m_inputs.polish);
                const StepPasses passes(first, m_inputs.maxIterations);
                return solveNonlinearAccurate(first ? choice : 3, at);
            },
            [&] { return m_accurate; }, [&](const SystemChebyshevResult& k) { m_lastChebyshev = k.series; },
            [&](const SystemChebyshevResult& k, const SystemChebyshevResult& before, double w) {
                m_lastChebyshev = k.series;
                for (size_t j = 0; j < m_lastChebyshev.size() && j < before.series.size(); ++j)
                    m_lastChebyshev[j] = Extrapolated(k.series[j], before.series[j], w);
            },
            [&](const SystemChebyshevResult& k) {
                clearResults();
                showNonlinearChebyshev(k);
            },
            m_lstPasses);
        return finishSweep(end, continuation.name, continuation.to);
    }
    if (!startCoefficients(choice))
        return false;
    m_lastChebyshev.clear();
    m_newton = SolveNonlinearSystem(m_inputs, m_od, m_eqExpr, m_bcExpr, m_coef, m_host, solveProgress());
    m_lstCoeff = m_newton.lstCoeff;
    m_solved = m_newton.solved();
    m_end = m_newton;
    if (m_solved) {
        std::vector<double> residuals;
        for (int b = 0; b < m_inputs.numBC; ++b) {
            double v = 0;
            if (!SetSystemPoint(m_inputs, m_od, m_coef, m_inputs.bcPoint[static_cast<size_t>(b)], m_host) ||
                !m_host.evaluate(m_bcExpr[static_cast<size_t>(b)], v)) {
                m_host.trap();
                break;
            }
            residuals.push_back(v);
        }
        showConditionResiduals(std::move(residuals));
    }
    return m_solved;
}

// The accurate method for a linear system: each variable's Chebyshev series stands for
// Evaluate and the plot; the coefficient list shows their power series about the centre.
bool SystemSession::solveChebyshev(const Progress& progress, bool show)
{
    m_linearAccurate = SolveSystemChebyshev(m_inputs, m_od, m_de, m_bc, m_host, progress);
    if (show || !m_linearAccurate.solved())
        return showLinearChebyshev(m_linearAccurate);
    m_end = m_linearAccurate;
    m_chebyshev = m_linearAccurate.series;
    return true;
}

bool SystemSession::showLinearChebyshev(const ChebyshevSystemSolution& s)
{
    m_end = s;
    m_lstCoeff = s.lstCoeff;
    if (!s.solved())
        return false;
    m_chebyshev = s.series;
    if (!autoDegree)
        m_readout = FixedDegreeReadout(m_chebyshev, tolerance, s.rounding);
    m_coef.clear();
    std::vector<std::vector<double>> rows;
    for (const ChebyshevSeries& series : m_chebyshev) {
        rows.push_back(ChebyshevToPower(series, m_inputs.xcenter));
        m_coef.insert(m_coef.end(), rows.back().begin(), rows.back().end());
    }
    m_lstCoeff = SystemCoefficientListing(m_inputs, rows);
    listChebyshev();
    m_coefDegrees = m_od.varDegree;
    m_solved = true;
    std::vector<double> errors;
    if (SystemBCErrors(m_inputs, m_od, m_bc, ChebyshevDerivatives(m_chebyshev), m_host, errors))
        showConditionResiduals(std::move(errors));
    return true;
}

// The accurate method's automatic degree for a system: the typed degree doubles from 16 (every
// variable's degree follows it) until the variable with the largest Chebyshev tail has it
// below the tolerance, or it is rounding noise. The solution of the degree found stands: that
// degree is solved again (a nonlinear system from its own solution, a pass or two).
bool SystemSession::sweepAutoDegree(const Continuation& sweep)
{
    using Kept = Standing;
    int keptDegree = 0;
    const SweepEnd end = SweepConstant<Kept>(
        sweep, m_host, solveProgress(), m_inputs.constants,
        [&](bool first, bool full, const Progress& at) {
            clearResults();
            const StepBounds bounds(full, {&m_inputs.errorBoundDE, &m_inputs.errorBoundCoef, &tolerance},
                                    m_inputs.polish);
            const StepPasses passes(first, m_inputs.maxIterations);
            const bool solved = solveAutoDegree(first ? 0 : keptDegree, at);
            // A later step whose growth met a degree without a solution went too far at once.
            return solved && (first || !m_unsolvedDegree);
        },
        [&] {
            keptDegree = m_inputs.degree;
            return standing();
        },
        [&](const Kept& k) {
            m_lastChebyshev = k.accurate.series;
            keptDegree = k.degree;
        },
        [&](const Kept& k, const Kept& before, double w) {
            m_lastChebyshev = k.accurate.series;
            for (size_t j = 0; j < m_lastChebyshev.size() && j < before.accurate.series.size(); ++j)
                m_lastChebyshev[j] = Extrapolated(k.accurate.series[j], before.accurate.series[j], w);
            keptDegree = k.degree;
        },
        [&](const Kept& k) { stand(k); }, m_lstPasses, [&] { return readoutAtItsLimit(); });
    return finishSweep(end, sweep.name, sweep.to);
}

SystemSession::Standing SystemSession::standing() const
{
    return {m_accurate, m_readout, m_inputs.degree, boxes.terms};
}

bool SystemSession::stand(const Standing& kept)
{
    clearResults();
    m_inputs.degree = kept.degree;
    m_od = ordersAndDegrees(kept.degree);
    const bool shown = showNonlinearChebyshev(kept.accurate);
    m_readout = kept.readout;
    boxes.terms = kept.terms;
    return shown;
}

bool SystemSession::solveAutoDegree(int first, const Progress& progress)
{
    std::vector<ChebyshevSeries> previous;
    if (first > 0 && m_nonlinear)
        previous = m_lastChebyshev;
    std::map<int, std::vector<ChebyshevSeries>> byDegree; // the solutions found, by degree
    // and their results, which a stopped growth shows again
    std::map<int, std::pair<ChebyshevSystemSolution, SystemChebyshevResult>> resultByDegree;
    const int choice = static_cast<int>(ParseNumber(boxes.approximation));
    const int firstDegree = first > 0 ? first : std::max(16, m_od.maxOrder + 2);
    auto setDegree = [&](int degree) {
        m_inputs.degree = degree;
        m_od = ordersAndDegrees(degree);
    };
    auto solveAt = [&](int degree, bool listing, const Progress& progress) {
        setDegree(degree);
        const std::vector<std::string> passes = m_lstPasses;
        clearResults();
        bool solved = false;
        if (!m_nonlinear) {
            solved = solveChebyshev(progress, listing); // a probe: its series only
        } else {
            auto fresh = [&] {
                if (!NewtonMatricesFit(m_od.numUnknowns)) // before the O(N^2) conversion
                    throw std::bad_alloc();
                std::vector<ChebyshevSeries> start;
                ApplyInitialApproximation(choice >= 0 && choice <= 2 ? choice : 0, m_od.numUnknowns - 1, m_coef,
                                          m_random);
                for (const std::vector<double>& row : SplitByVariable(m_coef, m_od))
                    start.push_back(PowerToChebyshev(row, m_inputs.xcenter, m_inputs.xlower, m_inputs.xupper,
                                                     static_cast<int>(row.size()) - 1));
                return start;
            };
            // From the last degree's solution plain Newton (a start that close either converges
            // in a few passes or is not to be trusted); a coarser degree's solution that missed a
            // layer can lead Newton astray where the problem's own start does not, so the degree
            // is then solved from that start, finding its way where a pass is cheap (a
            // continuation's steps keep to their branch).
            const bool fromLast = !previous.empty() && first == 0;
            // A finer first degree, tried where the first found nothing, finds its way without the
            // homotopy, which failed there already and costs most where it crawls.
            solved = fromLast ? solveNonlinearChebyshev(previous, progress, GrownDegreeFromCoarser())
                              : solveNonlinearChebyshev(previous.empty() ? fresh() : previous, progress,
                                                        NewtonAttempt{true, 0, degree == firstDegree});
            if (!solved && fromLast && m_end.termination == Termination::NoConvergence && !progress.cancelled())
                solved = solveNonlinearChebyshev(fresh(), progress, GrownDegreeFromTheStart(degree));
            std::vector<std::string> log = passes;
            if (!listing) {
                log.push_back("DEGREE " + std::to_string(degree) + ":");
                log.insert(log.end(), m_lstPasses.begin(), m_lstPasses.end());
            }
            m_lstPasses = log;
        }
        if (solved) {
            previous = m_chebyshev;
            byDegree[degree] = m_chebyshev;
            resultByDegree[degree] = {m_linearAccurate, m_accurate};
        }
        return solved;
    };
    m_lstPasses.clear();
    // Without the banded form a linear system grows by collocation, O(N^3) a degree: not beyond
    // its own bound (the nonlinear systems' limits are the user's choice, as for one equation).
    int limit = maxDegree;
    if (!m_nonlinear && limit > kMaxCollocationAutoDegree &&
        !LinearSystemBandedFormApplies(m_inputs, m_od, m_de, m_host))
        limit = kMaxCollocationAutoDegree;
    const AutoDegreeSolution found = GrowChebyshevDegree(
        firstDegree, limit, tolerance,
        [&](int degree, const Progress& at) {
            ChebyshevSolution s;
            s.termination = solveAt(degree, false, at) ? Termination::Solved : m_end.termination;
            // The variable whose tail is largest decides.
            for (size_t j = 0; j < m_chebyshev.size(); ++j)
                if (s.series.coef.empty() || ChebyshevTail(m_chebyshev[j].coef) > ChebyshevTail(s.series.coef)) {
                    s.series = m_chebyshev[j];
                    s.variable = static_cast<int>(j);
                }
            s.rounding = m_nonlinear ? RemainingCorrection(m_accurate) : m_linearAccurate.rounding;
            return s;
        },
        false, progress, {}, m_nonlinear && first == 0);
    m_unsolvedDegree = found.unsolvedDegree;
    const std::vector<std::string> log = m_lstPasses;
    if (found.best.solved() && (found.stopped || found.degree != m_inputs.degree)) {
        if (!found.stopped) {
            previous = byDegree[found.degree]; // from its own solution
            solveAt(found.degree, true, progress);
        }
        if (found.stopped || m_end.termination == Termination::Cancelled) {
            // Stopped: the degree found stands as the growth found it, without solving again.
            setDegree(found.degree);
            clearResults();
            const auto& [linear, nonlinear] = resultByDegree[found.degree];
            if (m_nonlinear)
                showNonlinearChebyshev(nonlinear);
            else
                showLinearChebyshev(linear);
        }
    } else if (found.best.solved() && !m_nonlinear) {
        showLinearChebyshev(m_linearAccurate); // the last probe is the degree found: shown now
    }
    if (found.stopped)
        m_end.termination = Termination::Cancelled;
    m_readout = found.readout;
    if (found.best.solved())
        boxes.terms = std::to_string(found.degree);
    if (m_nonlinear)
        m_lstPasses = log;
    return m_solved;
}

// The start of a Newton iteration as power coefficients: the choice's, or the current
// approximation re-laid through the scratch file. False (the message shown) without one.
bool SystemSession::startCoefficients(int choice)
{
    if (choice == 3) {
        if (m_coef.empty()) {
            m_host.report("There is no current approximation yet: solve once or open a solved problem first.");
            return false;
        }
        std::string error;
        if (!RelayThroughScratchFile(scratchPath, m_coefDegrees, m_od, m_coef, error)) {
            m_host.report(error);
            return false;
        }
    } else if (choice >= 0 && choice <= 2) {
        ApplyInitialApproximation(choice, m_od.numUnknowns - 1, m_coef, m_random);
    }
    m_coefDegrees = m_od.varDegree;
    return true;
}

// The nonlinear accurate solve from the approximation `choice`: the current one is the last
// accurate solution where there is one.
bool SystemSession::solveNonlinearAccurate(int choice, const Progress& progress)
{
    if (choice == 3 && m_lastChebyshev.size() == m_od.varDegree.size())
        return solveNonlinearChebyshev(m_lastChebyshev, progress); // resized to the degrees
    // Newton's matrix must fit before the start (O(N^2) to convert) is worth making.
    if (!NewtonMatricesFit(m_od.numUnknowns))
        throw std::bad_alloc();
    if (!startCoefficients(choice))
        return false;
    // Each variable's power coefficients turned into its Chebyshev series.
    std::vector<ChebyshevSeries> start;
    for (const std::vector<double>& row : SplitByVariable(m_coef, m_od))
        start.push_back(PowerToChebyshev(row, m_inputs.xcenter, m_inputs.xlower, m_inputs.xupper,
                                         static_cast<int>(row.size()) - 1));
    return solveNonlinearChebyshev(start, progress);
}

// The accurate Newton iteration for a nonlinear system, from `start` (one series a variable).
bool SystemSession::solveNonlinearChebyshev(const std::vector<ChebyshevSeries>& start, const Progress& progress,
                                            NewtonAttempt attempt)
{
    NonlinearSystemInputs in = m_inputs;
    in.maxIterations = attempt.passesWithin(in.maxIterations);
    in.homotopy = attempt.homotopy;
    m_accurate = SolveNonlinearSystemChebyshev(in, m_od, m_eqExpr, m_bcExpr, start, m_host, progress, attempt.findWay);
    return showNonlinearChebyshev(m_accurate);
}

bool SystemSession::showNonlinearChebyshev(const SystemChebyshevResult& r)
{
    if (&r != &m_accurate)
        m_accurate = r; // a kept step shown again: its passes are the ones reported
    m_end = r;
    m_lstPasses = NewtonPassLines(r);
    m_newton = r.listed;
    if (r.termination == Termination::Cancelled && r.shownPass == 0) {
        m_lstCoeff = ListEndLines(ListStyle::NewtonPower, Termination::Cancelled);
        return false;
    }
    if (r.termination == Termination::ScriptError || r.termination == Termination::ArithmeticFault ||
        r.termination == Termination::Refused)
        return false;
    m_lastChebyshev = r.series;
    m_coef.clear();
    for (const ChebyshevSeries& s : r.series) {
        const std::vector<double> power = ChebyshevToPower(s, m_inputs.xcenter);
        m_coef.insert(m_coef.end(), power.begin(), power.end());
    }
    m_coefDegrees = m_od.varDegree;
    m_lstCoeff = r.listed.lstCoeff;
    m_solved = r.solved();
    if (!m_solved)
        return false;
    m_chebyshev = r.series;
    if (!autoDegree)
        m_readout = FixedDegreeReadout(m_chebyshev, tolerance, RemainingCorrection(r));
    listChebyshev();
    showConditionResiduals(r.listed.conditionResidual);
    return true;
}

// NAME.acc beside the pair chooses the accurate method; its series stand when they fit the
// problem (one a variable, with its degree, on its interval).
void SystemSession::openAccurateFile(const std::string& path)
{
    AccurateSettings settings;
    if (!TakeAccurateFile(path, *this, settings))
        return;
    if (!m_solved || settings.solution.empty())
        return;
    bool fits = settings.solution.size() == m_od.varDegree.size();
    for (size_t j = 0; fits && j < settings.solution.size(); ++j) {
        const ChebyshevSeries& series = settings.solution[j];
        fits = series.a == m_inputs.xlower && series.b == m_inputs.xupper &&
               static_cast<int>(series.coef.size()) == m_od.varDegree[j] + 1;
    }
    if (!fits) {
        m_host.report("The Chebyshev solution in " + AccurateFilePath(path) +
                      " does not fit the problem's interval and degrees; the power series stand.");
        return;
    }
    m_chebyshev = settings.solution;
    m_lastChebyshev = m_chebyshev;
    listChebyshev();
}

void SystemSession::listChebyshev()
{
    m_lstChebyshev.clear();
    for (size_t j = 0; j < m_chebyshev.size(); ++j) {
        if (j > 0)
            m_lstChebyshev.push_back("");
        for (const std::string& line : ChebyshevCoefficientLines(m_inputs.depVarNames[j], m_chebyshev[j]))
            m_lstChebyshev.push_back(line);
    }
}

bool SystemSession::setChebyshevPoint(double x)
{
    for (size_t j = 0; j < m_chebyshev.size(); ++j)
        for (int k = 0; k <= m_od.varOrder[j]; ++k)
            if (!m_host.assignExact(m_inputs.depVarNames[j] + std::to_string(k),
                                    ChebyshevDerivative(m_chebyshev[j], k, x)))
                return false;
    return m_host.assignExact(m_inputs.indepVarName, x);
}

bool SystemSession::evaluate()
{
    m_evaluationWarning.clear(); // an Evaluate that shows nothing warns of nothing
    double x = 0;
    int order = 0;
    if (!evaluationPoint(boxes.xestimation, boxes.derNum, x, order))
        return false;
    const auto rows = SplitByVariable(m_coef, m_od);
    const VarDerivativeFn derivative =
        m_chebyshev.empty() ? PowerDerivatives(rows, m_inputs.xcenter) : ChebyshevDerivatives(m_chebyshev);
    m_values.clear();
    for (size_t j = 0; j < rows.size(); ++j)
        m_values.push_back(derivative(j, order, x));
    m_evaluationWarning = OutsideIntervalLine(m_inputs.indepVarName, x, m_inputs.xlower, m_inputs.xupper);
    if (!m_nonlinear)
        return SystemEvaluate(m_inputs, m_od, m_de, derivative, x, order, m_host, m_lstValue, m_lstDError);
    m_lstValue.clear();
    m_lstDError.clear();
    for (size_t j = 0; j < rows.size(); ++j)
        m_lstValue.push_back(m_inputs.depVarNames[j] + "=" + FormatNumber(m_values[j]));
    if (!(m_chebyshev.empty() ? SetSystemPoint(m_inputs, m_od, m_coef, x, m_host) : setChebyshevPoint(x))) {
        m_host.trap();
        return false;
    }
    for (const std::string& e : m_eqExpr) {
        double v = 0;
        if (!m_host.evaluate(e, v)) {
            m_host.trap();
            return false;
        }
        m_lstDError.push_back("D.E. ( " + m_inputs.indepVarName + " =" + FormatNumber(x) + ")=" + FormatNumber(v));
    }
    return true;
}

bool SystemSession::save(const std::string& path)
{
    if (const auto refusal = UnsavableText(boxes)) {
        m_host.report(*refusal);
        return false;
    }
    if (!m_inputsRead)
        readInputs();
    const OrdersAndDegrees od = m_od.varOrder.empty() ? ordersAndDegrees(m_inputs.degree) : m_od;
    std::string error;
    // In the accurate method NAME.acc is written with the pair; otherwise one left from before goes.
    FileSet accurate{{}, {AccurateFilePath(path)}};
    if (method == CollocationMethod::Chebyshev) {
        AccurateSettings settings = SettingsOf(*this);
        settings.problem = ProblemFingerprint(SystemProblemFileText(m_nonlinear, boxes, m_inputs, od));
        if (m_solved)
            settings.solution = m_chebyshev;
        accurate = {{{AccurateFilePath(path), AccurateFileText(settings)}}, {}};
    }
    if (SaveSystemProblem(path, m_nonlinear, boxes, m_inputs, od, m_solved, m_coef, error, accurate))
        return true;
    m_host.report(error);
    return false;
}

bool SystemSession::saveSeparately(const std::string& path)
{
    if (!m_inputsRead)
        readInputs();
    std::string error;
    if (SaveSystemSeparately(path, boxes, m_inputs.depVarNames, m_od, m_solved, m_coef, error))
        return true;
    m_host.report(error);
    return false;
}

std::optional<GridCheck> SystemSession::checkBetweenGridPoints()
{
    const auto rows = SplitByVariable(m_coef, m_od);
    const VarDerivativeFn derivative = PowerDerivatives(rows, m_inputs.xcenter);
    return CheckBetweenGridPoints(m_inputs.xlower, m_inputs.xupper, m_od.degree, true, true,
                                  [&](double x, double& residual, double& terms) {
                                      return m_nonlinear ? NonlinearSystemTermsAt(m_inputs, m_od, m_eqExpr, m_bcExpr,
                                                                                  m_coef, x, m_host, residual, terms)
                                                         : SystemTermsAt(m_inputs, m_od, m_de, derivative, x, m_host,
                                                                         residual, terms);
                                  });
}

SolveReport SystemSession::describe() const
{
    SolveReport r = commonReport(m_nonlinear ? ListStyle::NewtonPower : ListStyle::SystemExpansion);
    r.kind = SeriesKind::Power;
    r.centre = m_inputs.xcenter;
    r.chebyshev = m_chebyshev;
    if (m_solved)
        r.series = SplitByVariable(m_coef, m_od);
    if (m_nonlinear) {
        TakeNewtonNumbers(m_newton, m_solved, SplitByVariable(m_coef, m_od), r);
        if (method == CollocationMethod::Chebyshev)
            r.passNorms = m_accurate.passes;
    }
    return r;
}

bool SystemSession::openProblem(const std::string& path)
{
    SystemOpenResult opened = OpenSystemProblem(path, m_nonlinear, boxes);
    if (!opened.ok) {
        m_host.report(opened.message);
        return false;
    }
    const bool solved = opened.content.solved;
    const std::vector<double>& coef = opened.content.coef;
    clearResults();
    m_lastChebyshev.clear();
    m_newton = SystemNewtonResult{};
    m_accurate = SystemChebyshevResult{};
    method = CollocationMethod::EquallySpaced;
    boxes = opened.content.texts;
    if (!prepare())
        return true;
    m_solved = solved;
    if (solved && coef.size() == static_cast<size_t>(m_od.numUnknowns)) {
        m_coef = coef;
        m_coefDegrees = m_od.varDegree;
        m_lstCoeff = coefficientLines();
    } else {
        m_solved = false;
    }
    openAccurateFile(path);
    if (m_solved && !m_nonlinear) {
        std::vector<double> errors;
        const auto rows = SplitByVariable(m_coef, m_od);
        if (SystemBCErrors(m_inputs, m_od, m_bc,
                           m_chebyshev.empty() ? PowerDerivatives(rows, m_inputs.xcenter)
                                               : ChebyshevDerivatives(m_chebyshev),
                           m_host, errors))
            showConditionResiduals(std::move(errors));
    }
    return true;
}

std::vector<std::string> SystemSession::report()
{
    if (!m_inputsRead)
        readInputs();
    std::vector<std::string> lines = SystemReportLines(m_nonlinear, m_inputs, boxes, m_solved,
                                                       m_solved ? coefficientLines() : std::vector<std::string>{});
    if (m_solved)
        AppendAccurateReport(accuracyLines(), m_lstChebyshev, lines);
    return lines;
}

} // namespace ode

namespace ode {

std::vector<TextPlace> SystemSession::textPlaces() const
{
    std::vector<TextPlace> places;
    for (size_t k = 0; k < boxes.constants.size(); ++k)
        places.push_back({TextPlace::Kind::Constant, static_cast<int>(k) + 1, false, boxes.constants[k]});
    for (size_t k = 0; k < boxes.equations.size(); ++k)
        places.push_back({TextPlace::Kind::Equation, static_cast<int>(k) + 1, false, boxes.equations[k]});
    for (size_t k = 0; k < boxes.bcText.size(); ++k)
        places.push_back({TextPlace::Kind::Condition, static_cast<int>(k) + 1, false, boxes.bcText[k]});
    return places;
}

} // namespace ode
