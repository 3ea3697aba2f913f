#include "linear/LinearSession.h"

#include "common/NumberFormat.h"
#include "equations/BoxChecks.h"
#include "linear/LinearChebyshev.h"
#include "linear/LinearReport.h"
#include "session/Listing.h"

namespace ode {

LinearSession::LinearSession(SeriesKind kind, std::shared_ptr<script::Class1>& shared,
                             script::ScriptHost::MessageSink sink)
    : ProblemSession(shared, sink), boxes(DefaultSingleTexts(kind)), m_kind(kind)
{
    maxDegree = DefaultAutoDegreeLimit(problemKind()); // this class's own: the kind is final here
}

SeriesView LinearSession::series() const
{
    SeriesView v;
    v.kind = m_kind;
    v.coef = m_coef.data();
    v.degree = static_cast<int>(m_coef.size()) - 1;
    v.center = m_inputs.xcenter;
    v.period = m_inputs.period;
    return v;
}

bool LinearSession::readInputs()
{
    m_inputs = ReadSingleInputs(boxes, m_kind, m_host.Pi);
    m_inputsRead = true;
    return runConstants(m_inputs.constants);
}

bool LinearSession::extract(bool report)
{
    if (auto problem = ExtractLinearCoefficients(m_inputs, m_texts)) {
        if (report && m_sink)
            m_sink(*problem);
        return false;
    }
    return true;
}

void LinearSession::listCoefficientsAndResiduals()
{
    m_lstCoeff = CoefficientLines(m_inputs.depVarName, m_coef);
    std::vector<std::string> lines;
    std::vector<double> residuals;
    // From the solution that stands: the Chebyshev one where the accurate method found it.
    if (ListBCErrors(
            m_inputs, m_texts, [this](int k, double x) { return derivativeAt(k, x); }, m_host, lines, residuals)) {
        m_lstBCError = lines;
        m_bcResiduals = residuals;
    }
}

// The accurate method: the Chebyshev solution stands for Evaluate; the coefficient list shows
// its power series about the centre, the Chebyshev list its own coefficients.
bool LinearSession::solveChebyshev()
{
    ChebyshevSolution solution;
    if (autoDegree) {
        AutoDegreeSolution found =
            SolveLinearChebyshevAuto(m_inputs, m_texts, m_host, maxDegree, tolerance, solveProgress());
        solution = std::move(found.best);
        m_readout = found.readout;
        if (solution.solved()) {
            m_inputs.seriesDegree = found.degree;
            boxes.terms = std::to_string(found.degree);
        }
        m_end = solution;
        if (found.stopped)
            m_end.termination = Termination::Cancelled;
    } else {
        solution = SolveLinearChebyshev(m_inputs, m_texts, m_host, solveProgress());
        if (solution.solved())
            m_readout = FixedDegreeReadout({solution.series}, tolerance, solution.rounding);
        m_end = solution;
    }
    if (!solution.solved()) {
        m_lstCoeff = ListEndLines(ListStyle::Expansion, solution.termination);
        return false;
    }
    if (m_readout)
        m_readout->notUnique = solution.notUnique;
    m_coef = ChebyshevToPower(solution.series, m_inputs.xcenter);
    m_lstChebyshev = ChebyshevCoefficientLines(m_inputs.depVarName, solution.series);
    m_chebyshev = std::move(solution.series);
    m_solved = true;
    listCoefficientsAndResiduals();
    return true;
}

bool LinearSession::solveProblem()
{
    clearResults();
    if (!readInputs() || !extract(true))
        return false;
    if (auto refusal = NamesRefusal(m_inputs.indepVarName, {m_inputs.depVarName})) {
        m_host.report(*refusal);
        return false;
    }
    if (accurate())
        return solveChebyshev();
    if (autoDegree && m_kind == SeriesKind::Trigonometric)
        return solveTrigonometricAuto();
    LinearSolution solution = SolveLinear(m_inputs, m_texts, m_host, solveProgress());
    m_end = solution;
    if (!solution.solved()) {
        m_lstCoeff = solution.lstCoeff;
        return false;
    }
    m_coef = std::move(solution.coef);
    m_solved = true;
    listCoefficientsAndResiduals();
    return true;
}

// The trigonometric series is spectral already on its equally spaced grid: the automatic
// number of terms grows it (17, 33, 65 ... terms) until its last harmonics are rounding noise.
bool LinearSession::solveTrigonometricAuto()
{
    std::vector<double> best;
    std::vector<std::string> bestList;
    const AutoDegreeSolution found = GrowChebyshevDegree(
        std::max(16, m_inputs.order + 2), maxDegree, tolerance,
        [&](int degree, const Progress& at) {
            SingleInputs in = m_inputs;
            in.seriesDegree = degree;
            LinearSolution s = SolveLinear(in, m_texts, m_host, at);
            ChebyshevSolution out;
            static_cast<SolveEnd&>(out) = s;
            out.series.coef = s.solved() ? s.coef : std::vector<double>{};
            if (!s.solved())
                bestList = s.lstCoeff;
            return out;
        },
        true, solveProgress());
    m_readout = found.readout;
    m_end = found.best;
    if (found.stopped)
        m_end.termination = Termination::Cancelled;
    if (!found.best.solved()) {
        m_lstCoeff = bestList;
        return false;
    }
    m_inputs.seriesDegree = found.degree;
    boxes.terms = std::to_string(found.degree + 1);
    m_coef = found.best.series.coef;
    m_solved = true;
    listCoefficientsAndResiduals();
    return true;
}

SolveReport LinearSession::describe() const { return singleReport(ListStyle::Expansion); }

bool LinearSession::termsAt(double x, double& residual, double& terms)
{
    return EquationTermsAt(
        m_inputs, m_texts, [this](int k, double at) { return derivativeAt(k, at); }, x, m_host, residual, terms);
}

bool LinearSession::residualLinesAt(double x, std::vector<std::string>& lines)
{
    return EquationResidualLines(
        m_inputs, m_texts, [this](int k, double at) { return derivativeAt(k, at); }, x, m_host, lines);
}

bool LinearSession::openProblem(const std::string& path)
{
    LinearOpenResult r = OpenLinearProblem(path, m_kind, m_host.Pi);
    if (!r.ok) {
        if (m_sink)
            m_sink(r.message);
        return false;
    }
    clearResults();
    SingleTexts shown = r.content.texts;
    shown.xestimation = boxes.xestimation;
    shown.derNum = boxes.derNum;
    boxes = shown;
    m_coef = r.content.coef;
    m_solved = r.content.solved;
    // Names are checked as the other kinds check them, and said at once as they say it: a
    // solution under names that are not valid never stands (the exports and the lists would
    // carry them).
    bool ready = readInputs() && extract(false);
    if (const auto refusal = NamesRefusal(m_inputs.indepVarName, {m_inputs.depVarName})) {
        if (m_sink)
            m_sink(*refusal);
        ready = false;
    }
    if (!ready)
        m_solved = false; // the problem is shown; Solve will refuse its texts with the message
    openAccurateFile(path, m_inputs);
    if (ready && m_solved)
        listCoefficientsAndResiduals();
    return true;
}

std::string LinearSession::problemFileText() const { return LinearProblemFileText(m_kind, boxes); }

bool LinearSession::save(const std::string& path)
{
    if (const auto refusal = UnsavableText(boxes)) {
        if (m_sink)
            m_sink(*refusal);
        return false;
    }
    std::string error;
    if (SaveLinearProblem(path, m_kind, boxes, m_solved, m_coef, error, accurateFiles(path)))
        return true;
    if (m_sink)
        m_sink(error);
    return false;
}

std::vector<std::string> LinearSession::report()
{
    if (!m_inputsRead) {
        m_inputs = ReadSingleInputs(boxes, m_kind, m_host.Pi);
        m_inputsRead = true;
    }
    std::vector<std::string> lines = LinearReportLines(m_inputs, boxes, m_solved, m_coef);
    if (m_solved)
        AppendAccurateReport(accuracyLines(), m_lstChebyshev, lines);
    return lines;
}

} // namespace ode
