#pragma once
// What a single-equation problem form asks of its session, linear or nonlinear: the session's
// commands and lists, plus the boxes, the numbers read from them and the value Evaluate
// shows. One form serves all four single-equation kinds through this interface.

#include "linear/LinearProblem.h"
#include "series/Series.h"
#include "session/Session.h"

#include <string>

namespace ode {

class ProblemSession : public Session {
public:
    using Session::Session;

    virtual SeriesKind kind() const = 0;
    virtual LinearTexts& texts() = 0;
    virtual const LinearInputs& inputs() const = 0;
    // The solution that stands (or the coefficients kept for the next solve).
    virtual SeriesView series() const = 0;
    // lblValue: the derivative's value at the point of the last Evaluate.
    const std::string& lblValue() const { return m_lblValue; }
    void clearResults() override;
    // Evaluate: the derivative's value at the point, then the equation's residual lines there.
    bool evaluate() final;

protected:
    // The derivative Evaluate shows: from the series, unless the kind keeps a better form.
    virtual double derivativeAt(int order, double x) const { return SeriesDerivative(series(), order, x); }
    // The kind's residual lines of the equation at x (lstDError), or false on an engine error.
    virtual bool residualLinesAt(double x, std::vector<std::string>& lines) = 0;

    std::string m_lblValue;
};

} // namespace ode
