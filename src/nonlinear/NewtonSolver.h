#pragma once
// Newton iteration on the series coefficients of a single nonlinear equation. The residual
// of the equation must vanish at the M+1 grid points and each condition's residual at its
// point; the partial derivatives with respect to Y0 ... Yn come from central differences in
// the engine (step h = 0.000005 of the shared extension object, divisor 0.00001), the
// Jacobian with respect to the coefficients from the chain rule, each correction from the
// elimination. The listing lines are those the form shows.

#include "collocation/NewtonLoop.h"
#include "nonlinear/NonlinearProblem.h"
#include "script/ScriptHost.h"
#include "series/Series.h"
#include "session/Progress.h"
#include "session/Termination.h"

#include <random>
#include <string>
#include <vector>

namespace ode {

// How the iteration ended and what it found, as numbers; lstCoeff is written from them.
struct NewtonResult : SolveEnd {
    int passes = 0;
    int shownPass = 0;                     // stopped: the pass whose result is listed, 0 when none had finished
    std::vector<double> correction;        // the last pass's corrections
    std::vector<double> gridX;             // the grid points, when the result is listed
    std::vector<double> gridResidual;      // the equation's residual there
    std::vector<double> conditionResidual; // each condition's residual at its point
    std::vector<std::string> lstCoeff;
    // The form beeps once on convergence.
    bool beep() const { return solved(); }
};

// SolveNonlinear from `coef` (updated in place; it survives whatever happens). Stopped through
// `progress`, it ends Cancelled with `coef` the best pass's result (RunNewtonPasses), listed.
NewtonResult SolveNonlinear(const NonlinearInputs& in, const std::vector<std::string>& residualExpr,
                            std::vector<double>& coef, script::ScriptHost& host, const Progress& progress = {});

// SetDerivativeValues: Y0 and then Y(n) ... Y1 at x from the series.
bool SetDerivativeValues(const SeriesView& series, int n, double x, script::ScriptHost& host);

// The residual of each condition, in order. False when the engine failed.
bool NonlinearBCErrors(const NonlinearInputs& in, const std::vector<std::string>& residualExpr,
                       const SeriesView& series, script::ScriptHost& host, std::vector<double>& residuals);

// Evaluate's residual line "LHS-RHS=residual" at x.
bool NonlinearResidualLine(const NonlinearInputs& in, const std::vector<std::string>& residualExpr,
                           const SeriesView& series, double x, script::ScriptHost& host, std::string& line);

// The coefficient list of a Newton result: "NO CONVERGENCE.  BEST RESULTS WERE:" when it did
// not converge (the stopped line when it was stopped), the coefficients with their last
// corrections, the residuals at the grid points and at the conditions, and the problem lines.
std::vector<std::string> NewtonListing(const NonlinearInputs& in, const std::vector<double>& coef,
                                       const NewtonResult& result);

// The series of `coef` for the inputs.
SeriesView NonlinearSeries(const NonlinearInputs& in, const std::vector<double>& coef);

// The equation at x for the check between the grid points: its residual and the size of its
// terms, |F| plus the sum of |dF/dY_k * Y_k| (the partials by the iteration's central
// differences), a linear equation's terms for a linear F. False when the engine fails there.
bool NonlinearTermsAt(const NonlinearInputs& in, const std::vector<std::string>& residualExpr,
                      std::vector<double> coef, double x, script::ScriptHost& host, double& residual, double& terms);

} // namespace ode
