#pragma once
// What a single-equation problem form asks of its session, linear or nonlinear: the session's
// commands and lists, plus the boxes, the numbers read from them and the value Evaluate
// shows. One form serves all four single-equation kinds through this interface.

#include "collocation/Chebyshev.h"
#include "common/FileIO.h"
#include "common/ProblemKind.h"
#include "series/Series.h"
#include "session/Session.h"
#include "single/SingleProblem.h"

#include <optional>
#include <string>

namespace ode {

class ProblemSession : public Session {
public:
    using Session::Session;

    virtual SeriesKind kind() const = 0;
    virtual ProblemKind problemKind() const = 0;
    virtual SingleTexts& texts() = 0;
    virtual const SingleTexts& texts() const = 0;
    virtual const SingleInputs& inputs() const = 0;
    // The solution that stands (or the coefficients kept for the next solve).
    virtual SeriesView series() const = 0;
    // Session::method chooses the collocation (the accurate one for the power kinds only).
    using Method = CollocationMethod;
    // Solve uses the accurate method: chosen, and a power-series kind.
    bool accurate() const { return method == Method::Chebyshev && kind() == SeriesKind::Power; }
    // The Chebyshev coefficients of the solution that stands, when the accurate method found it.
    const std::vector<std::string>& lstChebyshev() const { return m_lstChebyshev; }
    // The accurate Newton iteration's passes with their correction and residual norms.
    const std::vector<std::string>& lstPasses() const { return m_lstPasses; }
    // The Chebyshev solution that stands, if the accurate method found it.
    const std::optional<ChebyshevSeries>& chebyshev() const { return m_chebyshev; }

    // lblValue: the derivative's value at the point of the last Evaluate.
    const std::string& lblValue() const { return m_lblValue; }
    void clearResults() override;
    // Evaluate: the derivative's value at the point, then the equation's residual lines there.
    bool evaluate() final;

protected:
    // The derivative Evaluate shows: from the Chebyshev solution where one stands, else from
    // the series.
    double derivativeAt(int order, double x) const;
    // Save's part for NAME.acc: written when the accurate method is chosen (its settings, and
    // the Chebyshev solution when one stands); otherwise one left by an earlier save is removed
    // in the same save, so the problem reopens in the method it was saved in.
    FileSet accurateFiles(const std::string& path) const;
    // The text Save writes into NAME.str for the boxes as they stand.
    virtual std::string problemFileText() const = 0;
    std::vector<TextPlace> textPlaces() const override;
    // Open's step after the inputs are read: NAME.acc, when there is one, chooses the accurate
    // method and its settings, and its solution stands when it fits the problem opened. A
    // damaged one is reported, and the problem stays in the equally spaced method.
    void openAccurateFile(const std::string& path, const SingleInputs& in);

    // The report's fields both single-equation kinds fill alike: the series (when a solution
    // stands) in the kind's basis, the Chebyshev solution, the readout, the conditions' residuals.
    SolveReport singleReport(ListStyle style) const;

    // The equation's residual and the size of its terms at x, for the check between the grid
    // points; false when the engine fails there.
    virtual bool termsAt(double x, double& residual, double& terms) = 0;
    std::optional<GridCheck> checkBetweenGridPoints() override;

    // The kind's residual lines of the equation at x (lstDError), or false on an engine error.
    virtual bool residualLinesAt(double x, std::vector<std::string>& lines) = 0;

    std::string m_lblValue;
    std::optional<ChebyshevSeries> m_chebyshev;
    std::vector<std::string> m_lstChebyshev, m_lstPasses;
};

} // namespace ode
