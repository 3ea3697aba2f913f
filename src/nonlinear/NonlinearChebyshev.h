#pragma once
// The accurate method for a single nonlinear equation: the Newton iteration of
// collocation/ChebyshevNewton.h on one block, its listing in the equally spaced method's form,
// and the residuals of the Chebyshev solution.

#include "collocation/ChebyshevNewton.h"
#include "nonlinear/NewtonSolver.h"
#include "nonlinear/NonlinearProblem.h"

#include <string>
#include <vector>

namespace ode {

struct ChebyshevNewtonResult : NewtonRunReport {
    ChebyshevSeries series;
    std::vector<double> gridX, gridResidual, conditionResidual; // at the collocation and condition points
};

// Newton from `start` (its degree is the solution's; its interval must be the problem's).
// Constants must already have run in `host`; engine failures show their messages. A stopped
// iteration's best result is listed with its residuals, unless no pass had finished. With
// `findWay`, the iteration finds its way from a start far from the solution
// (RunChebyshevNewtonFindingItsWay) in place of the plain iteration.
ChebyshevNewtonResult SolveNonlinearChebyshev(const NonlinearInputs& in, const std::vector<std::string>& residualExpr,
                                              const ChebyshevSeries& start, script::ScriptHost& host,
                                              const Progress& progress = {}, bool findWay = false);

// The result in the equally spaced method's listing (power coefficients about the centre with
// their last corrections, the residuals at the points), for the coefficient list.
NewtonResult AsPowerNewtonResult(const NonlinearInputs& in, const ChebyshevNewtonResult& result,
                                 std::vector<double>& powerCoef);

// The equation's residual (l = 0) or condition l's at x for the Chebyshev solution. False on
// an engine error (the caller traps it).
bool ChebyshevResidualAt(const NonlinearInputs& in, const std::vector<std::string>& residualExpr,
                         const ChebyshevSeries& s, int l, double x, script::ScriptHost& host, double& value);
// The same with the derivatives prepared once, for many points.
bool ChebyshevResidualAt(const NonlinearInputs& in, const std::vector<std::string>& residualExpr,
                         const ChebyshevDerivativeTable& s, int l, double x, script::ScriptHost& host, double& value);

} // namespace ode
