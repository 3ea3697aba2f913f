#include "nonlinear/NonlinearSession.h"

#include "common/NumberFormat.h"
#include "linear/LinearReport.h"
#include "linear/LinearSolver.h"

#include <chrono>

namespace ode {

NonlinearSession::NonlinearSession(SeriesKind kind, std::shared_ptr<script::Class1>& shared,
                                   script::ScriptHost::MessageSink sink)
    : ProblemSession(shared, sink), boxes(DefaultNonlinearTexts(kind)), m_kind(kind),
      m_random(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()))
{
    m_host.extension().h = 0.000005;
}

bool NonlinearSession::prepare()
{
    m_inputs = ReadNonlinearInputs(boxes, m_kind, m_host.Pi);
    m_inputsRead = true;
    if (!runConstants(m_inputs.constants))
        return false;
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
    if (!prepare())
        return false;
    ApplyInitialApproximation(static_cast<int>(ParseNumber(boxes.approximation)), m_inputs.seriesDegree, m_coef,
                              m_random);
    m_result = SolveNonlinear(m_inputs, m_residualExpr, m_coef, m_host);
    m_lstCoeff = m_result.lstCoeff;
    m_solved = m_result.solved();
    m_end = m_result;
    if (m_solved) {
        std::vector<std::string> lines;
        if (NonlinearBCErrors(m_inputs, m_residualExpr, series(), m_host, lines))
            m_lstBCError = lines;
    }
    return m_solved;
}

bool NonlinearSession::residualLinesAt(double x, std::vector<std::string>& lines)
{
    std::string line;
    if (!NonlinearResidualLine(m_inputs, m_residualExpr, series(), x, m_host, line))
        return false;
    lines = {line};
    return true;
}

bool NonlinearSession::open(const std::string& path)
{
    NonlinearOpenResult r = OpenNonlinearProblem(path, m_kind, m_host.Pi);
    if (!r.ok) {
        m_host.report(r.message);
        return false;
    }
    clearResults();
    NonlinearTexts shown = r.texts;
    shown.approximation = boxes.approximation;
    shown.xestimation = boxes.xestimation;
    shown.derNum = boxes.derNum;
    boxes = shown;
    m_solved = r.content.solved;
    if (m_solved)
        m_coef = r.content.coef;
    if (!prepare()) {
        m_solved = false;
        return true;
    }
    if (m_solved) {
        m_lstCoeff = CoefficientLines(m_inputs.depVarName, m_coef);
        std::vector<std::string> lines;
        if (NonlinearBCErrors(m_inputs, m_residualExpr, series(), m_host, lines))
            m_lstBCError = lines;
    }
    return true;
}

bool NonlinearSession::save(const std::string& path)
{
    std::string error;
    if (SaveNonlinearProblem(path, m_kind, boxes, m_solved, m_coef, error))
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
    m_solved = false;
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
    }
    return lines;
}

} // namespace ode
