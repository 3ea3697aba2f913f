#include "session/Session.h"

#include <cmath>
#include <new>

#include "common/NumberFormat.h"

namespace ode {

Session::Session(std::shared_ptr<script::Class1>& shared, script::ScriptHost::MessageSink sink)
    : m_sink(sink), m_host(shared, sink)
{
    m_host.prepare();
}

void Session::setPlacedMessages(PlacedSink sink)
{
    if (!sink) {
        m_host.setFaultSink({});
        return;
    }
    m_host.setFaultSink([this, sink](const script::ScriptError& error) { sink(error.description, LocateFault(error, textPlaces())); });
}

void Session::clearResults()
{
    m_lstCoeff.clear();
    m_lstBCError.clear();
    m_bcResiduals.clear();
    m_values.clear();
    m_evaluationWarning.clear();
    m_lstDError.clear();
    m_solved = false;
    m_end = SolveEnd{};
    m_readout.reset();
    m_report = SolveReport{};
}

void Session::showConditionResiduals(std::vector<double> residuals)
{
    m_lstBCError.clear();
    for (size_t b = 0; b < residuals.size(); ++b)
        m_lstBCError.push_back("B.C. #" + std::to_string(b + 1) + "=" + FormatNumber(residuals[b]));
    m_bcResiduals = std::move(residuals);
}

bool Session::finishSweep(const SweepEnd& end, const std::string& name, double to)
{
    if (end.stopped)
        m_end.termination = Termination::Cancelled;
    if (end.shortOfTheEnd && m_readout) {
        m_readout->verdict = AccuracyReadout::Verdict::NotConverged;
        m_readout->sweepReached = name + "=" + FormatNumber(end.reached);
        m_readout->sweepEnd = name + "=" + FormatNumber(to);
    }
    return end.solved;
}

bool Session::sweepTheLayerWhereNeeded(bool solved, const LayerProbe& probe, const std::vector<std::string>& constants,
                                       std::vector<std::string>& passes,
                                       const std::function<bool(const Continuation&)>& sweep,
                                       const std::function<std::function<bool()>()>& keep)
{
    const bool failed = solved ? m_readout && m_readout->verdict == AccuracyReadout::Verdict::NotConverged
                               : m_end.termination == Termination::NoConvergence;
    if (!failed)
        return solved;
    const std::optional<Continuation> layer = LayerParameterSweep(probe, constants, m_host, solveProgress());
    if (!layer)
        return solved;
    const std::vector<std::pair<std::string, double>> values = ConstantValues(m_host, constants);
    const std::optional<AccuracyReadout> firstReadout = m_readout;
    const std::vector<std::string> firstPasses = passes;
    const std::function<bool()> showFirst = keep();
    bool swept = false;
    {
        // The solver's own attempt: what the engine meets on the way only ends a step.
        script::ScriptHost::QuietScope quiet(m_host);
        swept = sweep(*layer);
    }
    const bool stopped = m_end.termination == Termination::Cancelled;
    if (!stopped && LayerSweepStands(swept, m_readout, solved, firstReadout)) {
        passes.insert(passes.begin(), LayerSweepLine(*layer, LayerSweepEnd::Stands));
        return true;
    }
    std::vector<std::string> log = firstPasses;
    log.push_back(LayerSweepLine(*layer, stopped ? LayerSweepEnd::Stopped : LayerSweepEnd::NoBetter));
    if (!stopped)
        for (const std::string& line : passes)
            log.push_back("  " + line);
    RestoreConstantValues(m_host, values);
    const bool shown = showFirst();
    passes = std::move(log);
    if (stopped)
        m_end.termination = Termination::Cancelled;
    return shown;
}

void Session::judgeConditionResiduals()
{
    if (!m_readout || m_readout->terms || m_readout->verdict == AccuracyReadout::Verdict::Stopped)
        return;
    double largest = 0;
    for (double r : m_bcResiduals)
        largest = std::fmax(largest, std::fabs(r));
    if (!(largest > m_readout->estimatedError))
        return;
    m_readout->estimatedError = largest;
    if (m_readout->verdict == AccuracyReadout::Verdict::Converged && m_readout->allowed > 0 &&
        largest > m_readout->allowed) {
        m_readout->verdict = AccuracyReadout::Verdict::NotConverged;
        m_readout->lastTried = m_readout->degree;
    }
}

bool Session::solve()
{
    try {
        const bool solved = solveProblem();
        judgeConditionResiduals();
        m_report = describe();
        addPowerSeries();
        if (m_report.standing && m_report.chebyshev.empty()) {
            // A midpoint where the engine fails only leaves the check out.
            script::ScriptHost::QuietScope quiet(m_host);
            m_report.gridCheck = checkBetweenGridPoints();
        }
        return solved;
    } catch (const std::bad_alloc&) {
        clearResults();
        m_end.termination = Termination::Refused;
        m_end.error =
            script::ScriptError{script::ErrOutOfMemory, script::ErrorDescription(script::ErrOutOfMemory), 0, 0};
        m_report.end = m_end;
        m_host.report("There is not enough memory to solve this problem at this degree.");
        return false;
    } catch (...) {
        m_report = describe(); // what stands is reported, whatever ended the solve
        throw;
    }
}

bool Session::open(const std::string& path)
{
    if (!openProblem(path))
        return false;
    m_report = describe();
    m_report.opened = true;
    if (m_solved)
        m_report.end.termination = Termination::Solved;
    addPowerSeries();
    checkOpenedSeries();
    return true;
}

// A series opened without a Chebyshev series beside it (an equally spaced solution, or an
// accurate one whose NAME.acc is not there) is tried against its equation the same way, so
// that a power series that does not hold on the interval says so as it is opened.
void Session::checkOpenedSeries()
{
    if (!m_report.standing || !m_report.chebyshev.empty())
        return;
    {
        script::ScriptHost::QuietScope quiet(m_host);
        m_report.gridCheck = checkBetweenGridPoints();
    }
    if (m_report.gridCheck)
        m_report.gridCheck->opened = true;
}

void Session::addPowerSeries()
{
    if (m_report.standing && !m_report.chebyshev.empty())
        m_report.powerSeries = PowerSeriesReadoutOf(m_report.chebyshev, m_report.centre, tolerance);
}

std::vector<std::string> Session::accuracyLines() const
{
    std::vector<std::string> lines;
    if (m_readout)
        lines.push_back(ReadoutLine(*m_readout));
    if (m_report.powerSeries)
        lines.push_back(PowerSeriesLine(*m_report.powerSeries));
    return lines;
}

SolveReport Session::commonReport(ListStyle style) const
{
    SolveReport r;
    r.end = m_end;
    r.style = style;
    r.standing = m_solved;
    r.readout = m_readout;
    r.conditionResiduals = m_bcResiduals;
    return r;
}

bool Session::runConstants(const std::vector<std::string>& constants)
{
    if (!m_host.executeConstants(constants)) {
        m_host.trap();
        m_end.termination = Termination::ScriptError;
        m_end.error = m_host.fault();
        return false;
    }
    return true;
}

bool Session::evaluationPoint(const std::string& xText, const std::string& orderText, double& x, int& order) const
{
    if (!m_solved)
        return false;
    x = ParseNumber(xText);
    const long k = ParseWholeNumber(orderText);
    if (k < 0)
        return false;
    order = static_cast<int>(k);
    return true;
}

void AppendAccurateReport(const std::vector<std::string>& accuracy, const std::vector<std::string>& lstChebyshev,
                          std::vector<std::string>& lines)
{
    if (lstChebyshev.empty())
        return;
    lines.push_back("");
    lines.push_back("COLLOCATION: CHEBYSHEV POLYNOMIALS AT CHEBYSHEV POINTS");
    lines.insert(lines.end(), accuracy.begin(), accuracy.end());
    lines.push_back("");
    lines.insert(lines.end(), lstChebyshev.begin(), lstChebyshev.end());
}

} // namespace ode
