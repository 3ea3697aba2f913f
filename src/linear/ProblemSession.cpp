#include "linear/ProblemSession.h"

#include "common/NumberFormat.h"

namespace ode {

void ProblemSession::clearResults()
{
    Session::clearResults();
    m_lblValue.clear();
    m_chebyshev.reset();
    m_lstChebyshev.clear();
    m_lstPasses.clear();
    m_convergence.clear();
}

double ProblemSession::derivativeAt(int order, double x) const
{
    return m_chebyshev ? ChebyshevDerivative(*m_chebyshev, order, x) : SeriesDerivative(series(), order, x);
}

bool ProblemSession::evaluate()
{
    double x = 0;
    int order = 0;
    if (!evaluationPoint(texts().xestimation, texts().derNum, x, order))
        return false;
    m_lblValue = FormatNumber(derivativeAt(order, x));
    m_lstDError.clear();
    std::vector<std::string> lines;
    if (!residualLinesAt(x, lines))
        return false;
    m_lstDError = lines;
    return true;
}

} // namespace ode
