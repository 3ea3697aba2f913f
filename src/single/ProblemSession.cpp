#include "single/ProblemSession.h"

#include <cmath>

#include "collocation/AccurateFile.h"
#include "common/NumberFormat.h"

namespace ode {

void ProblemSession::clearResults()
{
    Session::clearResults();
    m_lblValue.clear();
    m_chebyshev.reset();
    m_lstChebyshev.clear();
    m_lstPasses.clear();
}

SolveReport ProblemSession::singleReport(ListStyle style) const
{
    SolveReport r = commonReport(style);
    const SeriesView view = series();
    r.kind = kind();
    r.centre = view.center;
    r.period = kind() == SeriesKind::Trigonometric ? view.period : 0.0;
    if (m_solved)
        r.series = {m_coef};
    if (m_chebyshev)
        r.chebyshev = {*m_chebyshev};
    return r;
}

std::optional<GridCheck> ProblemSession::checkBetweenGridPoints()
{
    const SingleInputs& in = inputs();
    return CheckBetweenGridPoints(in.xlower, in.xupper, in.seriesDegree - in.order, kind() == SeriesKind::Power, false,
                                  [this](double x, double& residual, double& terms) {
                                      return termsAt(x, residual, terms);
                                  });
}

double ProblemSession::derivativeAt(int order, double x) const
{
    return m_chebyshev ? ChebyshevDerivative(*m_chebyshev, order, x) : SeriesDerivative(series(), order, x);
}

bool ProblemSession::evaluate()
{
    m_evaluationWarning.clear(); // an Evaluate that shows nothing warns of nothing
    double x = 0;
    int order = 0;
    if (!evaluationPoint(texts().xestimation, texts().derNum, x, order))
        return false;
    m_values = {derivativeAt(order, x)};
    m_evaluationWarning = OutsideIntervalLine(inputs().indepVarName, x, inputs().xlower, inputs().xupper);
    m_lblValue = FormatNumber(m_values.front());
    m_lstDError.clear();
    std::vector<std::string> lines;
    if (!residualLinesAt(x, lines))
        return false;
    m_lstDError = lines;
    return true;
}

FileSet ProblemSession::accurateFiles(const std::string& path) const
{
    if (!accurate())
        return {{}, {AccurateFilePath(path)}};
    AccurateSettings settings = SettingsOf(*this);
    settings.problem = ProblemFingerprint(problemFileText());
    if (m_solved && m_chebyshev)
        settings.solution = {*m_chebyshev};
    return {{{AccurateFilePath(path), AccurateFileText(settings)}}, {}};
}

void ProblemSession::openAccurateFile(const std::string& path, const SingleInputs& in)
{
    method = Method::EquallySpaced;
    AccurateSettings settings;
    if (kind() != SeriesKind::Power || !TakeAccurateFile(path, *this, settings))
        return;
    const std::string name = AccurateFilePath(path);
    const ChebyshevSeries* s = settings.solution.empty() ? nullptr : &settings.solution[0];
    if (!m_solved || !s)
        return;
    if (settings.solution.size() != 1 || s->a != in.xlower || s->b != in.xupper ||
        static_cast<int>(s->coef.size()) != in.seriesDegree + 1) {
        m_host.report("The Chebyshev solution in " + name +
                      " does not fit the problem's interval and degree; the power series stands.");
        return;
    }
    m_chebyshev = *s;
    m_lstChebyshev = ChebyshevCoefficientLines(in.depVarName, *s);
}

} // namespace ode

namespace ode {

std::vector<TextPlace> ProblemSession::textPlaces() const
{
    const SingleTexts& t = texts();
    std::vector<TextPlace> places;
    for (size_t k = 0; k < t.constants.size(); ++k)
        places.push_back({TextPlace::Kind::Constant, static_cast<int>(k) + 1, false, t.constants[k]});
    places.push_back({TextPlace::Kind::Equation, 1, true, t.equation});
    for (size_t k = 0; k < t.bcText.size(); ++k)
        places.push_back({TextPlace::Kind::Condition, static_cast<int>(k) + 1, false, t.bcText[k]});
    return places;
}

} // namespace ode
