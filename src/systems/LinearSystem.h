#pragma once
// Collocation solver of a system of linear equations in several dependent variables, one
// power series per variable. Unknowns are ordered variable by variable (powers 0 ... its
// degree); rows are the equations at the grid points, equation by equation, then the
// conditions in order. The conditions are shared out as extra degrees so that the system is
// square.

#include "collocation/Ultraspherical.h"
#include "equations/SystemText.h"
#include "script/ScriptHost.h"
#include "series/ChebyshevSeries.h"
#include "session/Progress.h"
#include "session/Termination.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ode {

// The numbers of a linear system, as ReadInputs takes them from the boxes.
struct SystemInputs {
    int lastVar = 0; // number of equations minus 1
    int numBC = 0;
    int degree = 0; // m: the degree typed (and the number of grid intervals)
    double xlower = 0, xupper = 0, xcenter = 0;
    std::string indepVarName;
    std::vector<std::string> depVarNames; // 0 ... lastVar
    std::vector<std::string> equations;   // 0 ... lastVar
    std::vector<std::string> bcText;      // condition b at b-1
    std::vector<double> bcPoint;
    std::vector<std::string> constants;
};

// How the solve ended (termination, error) and what it found.
struct SystemSolution : SolveEnd {
    std::vector<std::vector<double>> coef; // coef[j][p], p = 0 ... varDegree(j)
    std::vector<std::string> lstCoeff;     // the listing, or the singular system's line
};

// SolveSystem: constants already run in `host`. Engine errors and arithmetic faults show
// their messages through the host and leave no solution; so does a stop through `progress`
// (Cancelled, the stopped line as the listing).
SystemSolution SolveSystem(const SystemInputs& in, const OrdersAndDegrees& od, const std::vector<SystemSplit>& de,
                           const std::vector<SystemSplit>& bc, script::ScriptHost& host, const Progress& progress = {});

// The accurate method: each variable's Chebyshev series on the interval, with as many
// coefficients as its power series would have; the equations collocated at the m+1 zeros of
// T(m+1) on the interval (never an end), the conditions as their own rows, the same
// elimination. From m = kBandedFromDegree on, the banded form solves where it applies
// (LinearSystemBandedForm), the collocation elsewhere. The solution is the series; the listing
// of their power series about the centre is the caller's to make (an automatic degree's probes
// need none: at a high degree of a series that does not converge the power form is O(N^2)).
struct ChebyshevSystemSolution : SolveEnd {
    std::vector<ChebyshevSeries> series; // one per variable
    std::vector<std::string> lstCoeff;   // a singular system's or a stop's line, else empty
    double rounding = 0; // what rounding leaves in the coefficients, measured (EliminateRefined)
};
ChebyshevSystemSolution SolveSystemChebyshev(const SystemInputs& in, const OrdersAndDegrees& od,
                                             const std::vector<SystemSplit>& de, const std::vector<SystemSplit>& bc,
                                             script::ScriptHost& host, const Progress& progress = {});

// The banded form of the accurate method for a linear system (collocation/Ultraspherical.h): the
// same unknowns (each variable's Chebyshev coefficients 0 ... its degree), each equation written
// in the ultraspherical basis C(n) of the system's highest order n, its coefficients 0 ... m
// kept (a tau method, as the single equation's), the conditions as full rows. The unknowns are
// interleaved, coefficient k of every variable before coefficient k + 1 of any, and so are the
// equations' rows, so that the coupling of the variables stays inside one band:
// `column[j][k]` is the unknown of variable j's coefficient k. Every row equilibrated. None
// where a coefficient or right-hand side is not smooth (resolved by kBandedSamplePoints
// samples), a text fails, a size is beyond 1E-200 ... 1E200, one variable's band in one
// equation is wider than kBandedWidth or a quarter of m, or `progress` stops the build. The
// conditions' texts are read with the independent variable as it stands, as the collocation
// reads them.
struct SystemBandedForm {
    AlmostBandedSystem system;
    std::vector<std::vector<int>> column;
};
std::optional<SystemBandedForm> LinearSystemBandedForm(const SystemInputs& in, const OrdersAndDegrees& od,
                                                       const std::vector<SystemSplit>& de,
                                                       const std::vector<SystemSplit>& bc, script::ScriptHost& host,
                                                       const Progress& progress = {});

// Whether the banded form applies to the system at a degree high enough: its coefficients and
// right-hand sides smooth, no band wider than kBandedWidth (the automatic degree's growth beyond
// kMaxCollocationAutoDegree asks). The independent variable is left as it was.
bool LinearSystemBandedFormApplies(const SystemInputs& in, const OrdersAndDegrees& od,
                                   const std::vector<SystemSplit>& de, script::ScriptHost& host);

// "EXPANSION COEFFICIENTS:", then "name(p)=value" for each variable, a blank line after each.
std::vector<std::string> SystemCoefficientListing(const SystemInputs& in, const std::vector<std::vector<double>>& coef);

// VarDerivative: derivative `order` of variable j's series at x.
double VarDerivative(const std::vector<double>& coef, double center, int order, double x);

// The derivative of order q of variable j at x, from whatever represents the solution.
using VarDerivativeFn = std::function<double(size_t j, int q, double x)>;
VarDerivativeFn PowerDerivatives(const std::vector<std::vector<double>>& coef, double center);
VarDerivativeFn ChebyshevDerivatives(const std::vector<ChebyshevSeries>& series);

// ListBCErrors: the error of each condition, in order. False when the engine failed.
bool SystemBCErrors(const SystemInputs& in, const OrdersAndDegrees& od, const std::vector<SystemSplit>& bc,
                    const VarDerivativeFn& derivative, script::ScriptHost& host, std::vector<double>& errors);

// Evaluate: "name=value" for each variable (lstValue) and "D.E. #e=residual" (lstDError).
bool SystemEvaluate(const SystemInputs& in, const OrdersAndDegrees& od, const std::vector<SystemSplit>& de,
                    const VarDerivativeFn& derivative, double x, int order, script::ScriptHost& host,
                    std::vector<std::string>& values, std::vector<std::string>& residuals);

// The equations at x for the check between the grid points: the largest |left side - right side|
// (as Evaluate's residuals) and the largest size of an equation's terms (the sum of |coefficient *
// derivative| and |right side|). False when the engine fails there; nothing is shown.
bool SystemTermsAt(const SystemInputs& in, const OrdersAndDegrees& od, const std::vector<SystemSplit>& de,
                   const VarDerivativeFn& derivative, double x, script::ScriptHost& host, double& residual,
                   double& terms);

} // namespace ode
