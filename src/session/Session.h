#pragma once
// What every problem form's session does, whatever its kind: it owns the engine the texts
// are evaluated in, the coefficients of the solution that stands, and the lists the form
// shows; it clears them, runs the user's constants before a solve, and reads the point and
// derivative order of Evaluate. Each kind adds its boxes, its solver and its files.

#include "common/Limits.h"
#include "script/ScriptHost.h"
#include "session/Continuation.h"
#include "session/FaultPlace.h"
#include "session/Progress.h"
#include "session/SolveReport.h"
#include "session/Termination.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ode {

// The collocation of Solve: the equally spaced method (powers of x - C on an equally spaced
// grid), or the accurate one (Chebyshev polynomials at Chebyshev points).
enum class CollocationMethod { EquallySpaced, Chebyshev };

// The printed report's closing lines for a solution of the accurate method: which method found
// it, its readout, and the Chebyshev coefficients Evaluate and the plot use (the expansion
// coefficients above them are those rearranged about the centre). Nothing is added to a report
// of the equally spaced method.
void AppendAccurateReport(const std::vector<std::string>& accuracy, const std::vector<std::string>& lstChebyshev,
                          std::vector<std::string>& lines);

class Session {
public:
    Session(std::shared_ptr<script::Class1>& shared, script::ScriptHost::MessageSink sink);
    virtual ~Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The collocation of Solve, and the accurate method's automatic degree: grow the degree
    // until the Chebyshev tail is below `tolerance` (relative), at most `maxDegree`; the degree
    // found goes into the degree box.
    CollocationMethod method = CollocationMethod::EquallySpaced;
    bool autoDegree = false;
    int maxDegree = kDefaultAutoDegreeLimit;
    double tolerance = kDefaultTolerance;

    bool solved() const { return m_solved; }
    // How the last Solve ended: the termination and, for a fault, the error. Refused until a
    // Solve has run since the results were last cleared.
    const SolveEnd& lastEnd() const { return m_end; }
    const std::vector<double>& coef() const { return m_coef; }
    const std::vector<std::string>& lstCoeff() const { return m_lstCoeff; }
    const std::vector<std::string>& lstBCError() const { return m_lstBCError; }
    // The conditions' residuals (left side minus right side), one a condition in order, as numbers;
    // empty when the conditions' list shows none.
    const std::vector<double>& conditionResiduals() const { return m_bcResiduals; }
    // What the last Evaluate showed, as numbers: the value or derivative of each dependent
    // variable at the point, in order.
    const std::vector<double>& evaluatedValues() const { return m_values; }
    const std::vector<std::string>& lstDError() const { return m_lstDError; }
    // The last Evaluate's warning that its point lies outside the interval (OutsideIntervalLine),
    // or "".
    const std::string& evaluationWarning() const { return m_evaluationWarning; }
    script::ScriptHost& host() { return m_host; }

    // ClearResults: empties the lists, and no solution stands. The coefficients stay (the
    // nonlinear kinds start their next Newton iteration from them).
    virtual void clearResults();
    // The Solve button. True when a solution stands afterwards. A problem too large for the
    // memory ends in a message and no solution, with the form as it was.
    bool solve();
    // Stopping and watching Solve. The flag is the caller's: another thread or a signal handler
    // may set it while Solve runs, which then returns within a fraction of a second, its ending
    // Cancelled, keeping the best found so far (the automatic degree's best degree finished, a
    // Newton iteration's best pass, listed as an unconverged one is, a continuation's last step
    // solved), with a line saying it was stopped. Solve only reads the flag; the caller clears
    // it before the next Solve. The callback is told what Solve is doing, on the solving thread.
    // Neither is set at first.
    void setCancelFlag(const std::atomic<bool>* flag) { m_cancelFlag = flag; }
    void setProgressCallback(ProgressCallback callback) { m_progressCallback = std::move(callback); }
    // Engine errors with the place in the problem's texts where the error lies (LocateFault;
    // none when it cannot be found), for a window that shows and marks it; other messages go
    // to the sink as before. Not set at first: an engine error is its description alone.
    using PlacedSink = std::function<void(const std::string& message, const std::optional<PlacedFault>& place)>;
    void setPlacedMessages(PlacedSink sink);
    // The Evaluate button at the boxes' point and derivative order; does nothing (false)
    // unless a solution stands, or when the order is negative.
    virtual bool evaluate() = 0;
    // Open: reads the problem and shows it; a stored solution stands at once. On failure the
    // message goes to the sink and nothing changes.
    bool open(const std::string& path);
    // What the last Solve found, or the solution Open read, as numbers: every list, report,
    // export and picture of the solution is written from it. Empty (Refused, nothing standing)
    // after the results were cleared. A solution opened from a file is reported Solved, while
    // lastEnd() keeps saying that no solve has run.
    const SolveReport& lastReport() const { return m_report; }
    // The readout as the form shows it (lblAccuracy): the accurate method's (or an automatic
    // number of terms') line, then, for an accurate solution, the power series' line. The first
    // alone is accuracy().
    std::vector<std::string> accuracyLines() const;
    std::string accuracy() const { return m_readout ? ReadoutLine(*m_readout) : std::string(); }
    // The equally spaced method's check between its grid points (lblGridCheck), or "".
    std::string gridCheckLine() const { return m_report.gridCheck ? GridCheckLine(*m_report.gridCheck) : std::string(); }
    // Saves the problem under `path`; false with the message shown through the sink.
    virtual bool save(const std::string& path) = 0;
    // The printed report's lines (inputs of the last reading; read now if there was none).
    virtual std::vector<std::string> report() = 0;
    // True when the last Solve ended in a way the form announces with a beep (the Newton
    // iteration did not converge).
    virtual bool beepAfterSolve() const { return false; }

protected:
    // The kind's Solve and Open.
    virtual bool solveProblem() = 0;
    virtual bool openProblem(const std::string& path) = 0;
    // The kind's numbers of what its last Solve or Open left: the solution that stands (or the
    // Newton iteration's best result listed), its ending, readout, passes and residuals.
    virtual SolveReport describe() const = 0;
    // The fields every kind fills alike: the ending, the readout, the conditions' residuals.
    SolveReport commonReport(ListStyle style) const;
    // The equally spaced method's check between its grid points of the solution that stands, or
    // nothing where the kind has none or the engine fails at a midpoint (nothing is shown then).
    virtual std::optional<GridCheck> checkBetweenGridPoints() { return std::nullopt; }
    // The problem's texts as the user typed them, in the order a solve reads them (constants,
    // equations, conditions): where an engine error is looked for.
    virtual std::vector<TextPlace> textPlaces() const { return {}; }
    // What the kind's Solve gives its solvers: the flag and the callback set above.
    Progress solveProgress() const { return Progress(m_cancelFlag, &m_progressCallback); }
    // Runs the user's constants in the engine; on an engine error its message is shown and
    // the result is false.
    bool runConstants(const std::vector<std::string>& constants);
    // The point and derivative order Evaluate works at, from the boxes' texts: false unless
    // a solution stands and the order is not negative.
    bool evaluationPoint(const std::string& xText, const std::string& orderText, double& x, int& order) const;

    script::ScriptHost::MessageSink m_sink;
    script::ScriptHost m_host;
    bool m_solved = false;
    SolveEnd m_end;
    bool m_inputsRead = false;
    std::vector<double> m_coef;
    std::vector<std::string> m_lstCoeff, m_lstBCError, m_lstDError;
    std::vector<double> m_bcResiduals; // what m_lstBCError shows, as numbers
    std::vector<double> m_values;      // what Evaluate shows, as numbers
    std::string m_evaluationWarning;   // and whether its point is outside the interval
    std::optional<AccuracyReadout> m_readout; // the accurate method's (or an automatic degree's) readout
    // Keeps the residuals and lists them as "B.C. #b=r", the list of the nonlinear kinds and
    // the systems.
    void showConditionResiduals(std::vector<double> residuals);
    // The accurate method's readout takes in the conditions' residuals: the largest, where it is
    // above the estimate, becomes the estimate (a value condition missed by r is an error of r
    // at its point), and a "CONVERGED" it no longer allows becomes "NOT CONVERGED".
    void judgeConditionResiduals();
    // How a continuation ended, into the ending and the readout: a stop ends Cancelled; a sweep
    // short of its end makes the readout say so, naming the value reached, and not converged
    // (no readout: nothing to say it in). True when the sweep left a solution.
    bool finishSweep(const SweepEnd& end, const std::string& name, double to);
    // The automatic degree reached its limit without converging (a sweep's step beyond what
    // the degree resolves: ContinuationSteps::unresolved).
    bool readoutAtItsLimit() const
    {
        return autoDegree && m_readout && m_readout->verdict == AccuracyReadout::Verdict::NotConverged &&
               m_readout->lastTried >= maxDegree;
    }
    // After the accurate method's automatic degree (`solved`: whether a solution stands): where it
    // found no converged solution (Newton found none, or the readout says NOT CONVERGED; not
    // stopped, no engine error) and the problem has a layer parameter (LayerParameterSweep on
    // `probe`), `sweep` sweeps it. Where the sweep does better (LayerSweepStands) its solution
    // stands and `passes` start with a line saying so; otherwise the first solve's stands again:
    // `keep()`, called before the sweep, returns what shows it again (true when a solution
    // stands), the constants take their values again, and `passes` are the first solve's
    // followed by the sweep's, indented. A stop during the sweep leaves the first solve's,
    // Cancelled. True when a solution stands.
    bool sweepTheLayerWhereNeeded(bool solved, const LayerProbe& probe, const std::vector<std::string>& constants,
                                  std::vector<std::string>& passes,
                                  const std::function<bool(const Continuation&)>& sweep,
                                  const std::function<std::function<bool()>()>& keep);

private:
    // The power series' readout of an accurate solution that stands, into the report.
    void addPowerSeries();
    void checkOpenedSeries(); // the check between the grid points of a series opened alone
    SolveReport m_report;
    const std::atomic<bool>* m_cancelFlag = nullptr;
    ProgressCallback m_progressCallback;
};

} // namespace ode
