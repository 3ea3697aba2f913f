#pragma once
// Newton iteration for a system of nonlinear equations in several dependent variables, one
// power series per variable, on the grid and unknown ordering of the linear systems. The
// script variables of variable y are y0 (its value), y1 (y'), y2 (y'') ...

#include "collocation/ChebyshevNewton.h"
#include "equations/Derivatives.h"
#include "session/Termination.h"
#include "systems/LinearSystem.h"

#include <random>

namespace ode {

struct NonlinearSystemInputs : SystemInputs {
    double errorBoundDE = 0, errorBoundCoef = 0;
    bool polish = true; // the accurate method's Newton goes on past the bounds (ChebyshevNewtonShape)
    bool homotopy = true; // ... and finding its way ends with the homotopy (ChebyshevNewtonShape)
    int maxIterations = 0;
};

// How the iteration ended and what it found, as numbers; lstCoeff is written from them.
struct SystemNewtonResult : SolveEnd {
    int passes = 0;
    int shownPass = 0;                     // stopped: the pass whose result is listed, 0 when none had finished
    std::vector<double> correction;        // the last pass's corrections, variable-major
    std::vector<double> gridX;             // the grid points, when the result is listed
    std::vector<double> gridResidual;      // residual of equation e at point i: [i * equations + e]
    std::vector<double> conditionResidual; // each condition's residual at its point
    std::vector<std::string> lstCoeff;
    // The form beeps once on convergence.
    bool beep() const { return solved(); }
};

// The coefficient list of a systems Newton result, as the nonlinear systems form shows it.
std::vector<std::string> SystemNewtonListing(const NonlinearSystemInputs& in, const OrdersAndDegrees& od,
                                             const std::vector<double>& coef, const SystemNewtonResult& result);

// SolveSystem of the nonlinear systems from `coef` (N values, variable-major; updated in place).
// Stopped through `progress`, it ends Cancelled with the best pass's result listed.
SystemNewtonResult SolveNonlinearSystem(const NonlinearSystemInputs& in, const OrdersAndDegrees& od,
                                        const std::vector<std::string>& equationExpr,
                                        const std::vector<std::string>& conditionExpr, std::vector<double>& coef,
                                        script::ScriptHost& host, const Progress& progress = {});

// The accurate method for a nonlinear system: each variable's Chebyshev series on the
// interval, the equations at the m+1 zeros of T(m+1) and the conditions at their points, by
// the accurate Newton iteration (exact partials, damped steps), finding its way from a start
// far from the solution (RunChebyshevNewtonFindingItsWay) unless `findWay` is false. `start`
// holds one series per variable with the degrees of `od`. The listing is the power series about
// the centre in the equally spaced method's form.
struct SystemChebyshevResult : NewtonRunReport {
    std::vector<ChebyshevSeries> series;
    SystemNewtonResult listed; // coefficients, corrections and residuals as the listing shows them
};
SystemChebyshevResult SolveNonlinearSystemChebyshev(const NonlinearSystemInputs& in, const OrdersAndDegrees& od,
                                                    const std::vector<std::string>& equationExpr,
                                                    const std::vector<std::string>& conditionExpr,
                                                    std::vector<ChebyshevSeries> start, script::ScriptHost& host,
                                                    const Progress& progress = {}, bool findWay = true);

// Sets the point x: the independent variable and every variable's value and derivatives.
bool SetSystemPoint(const SystemInputs& in, const OrdersAndDegrees& od, const std::vector<double>& coef, double x,
                    script::ScriptHost& host);

// The coefficient rows of a variable-major vector.
std::vector<std::vector<double>> SplitByVariable(const std::vector<double>& coef, const OrdersAndDegrees& od);

// The equations at x for the check between the grid points: the largest |residual| and the
// largest size of an equation's terms (|F| plus the sum of |dF/dY * Y| by the iteration's central
// differences). False when the engine fails there.
bool NonlinearSystemTermsAt(const NonlinearSystemInputs& in, const OrdersAndDegrees& od,
                            const std::vector<std::string>& eqExpr, const std::vector<std::string>& bcExpr,
                            std::vector<double> coef, double x, script::ScriptHost& host, double& residual,
                            double& terms);

} // namespace ode
