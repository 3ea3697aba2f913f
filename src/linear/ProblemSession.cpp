#include "linear/ProblemSession.h"

#include "common/NumberFormat.h"
#include "linear/AccurateFile.h"

#include <filesystem>

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

FileTexts ProblemSession::accurateFiles(const std::string& path) const
{
    if (!accurate())
        return {};
    AccurateSettings settings;
    settings.autoDegree = autoDegree;
    settings.maxDegree = maxDegree;
    settings.tolerance = tolerance;
    if (m_solved && m_chebyshev)
        settings.solution = m_chebyshev;
    return {{AccurateFilePath(path), AccurateFileText(settings)}};
}

void ProblemSession::dropAccurateFile(const std::string& path) const
{
    if (accurate())
        return;
    std::error_code ec;
    std::filesystem::remove(AccurateFilePath(path), ec); // none there is fine
}

void ProblemSession::openAccurateFile(const std::string& path, const LinearInputs& in)
{
    method = Method::EquallySpaced;
    const std::string name = AccurateFilePath(path);
    std::error_code ec;
    if (kind() != SeriesKind::Power || !std::filesystem::exists(name, ec))
        return;
    std::string text, why;
    AccurateSettings settings;
    if (!ReadWholeFile(name, text, why) || !ReadAccurateFile(text, settings, why)) {
        m_host.report("The file " + name + " cannot be read: " + why +
                      " The problem opens in the equally spaced method.");
        return;
    }
    method = Method::Chebyshev;
    autoDegree = settings.autoDegree;
    maxDegree = settings.maxDegree;
    tolerance = settings.tolerance;
    const ChebyshevSeries* s = settings.solution ? &*settings.solution : nullptr;
    if (!m_solved || !s)
        return;
    if (s->a != in.xlower || s->b != in.xupper || static_cast<int>(s->coef.size()) != in.seriesDegree + 1) {
        m_host.report("The Chebyshev solution in " + name +
                      " does not fit the problem's interval and degree; the power series stands.");
        return;
    }
    m_chebyshev = *s;
    m_lstChebyshev = ChebyshevCoefficientLines(in.depVarName, *s);
}

} // namespace ode
