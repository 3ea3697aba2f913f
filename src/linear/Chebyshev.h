#pragma once
// The accurate method for a single linear equation: the unknowns are the coefficients of
// Chebyshev polynomials on the interval, y(x) = c0 T0(s) + ... + cN TN(s) with
// s = (2x - a - b) / (b - a), collocated at the N+1-n Chebyshev points of the interval (the
// zeros of T(N+1-n), which never fall on an end) together with the n conditions at their
// points. The basis stays well conditioned where powers of x - C do not, so the digits hold to
// high degrees; values and derivatives come from the Chebyshev coefficients directly
// (Clenshaw's recurrence), and the power series about the centre is derived from them.

#include "linear/LinearProblem.h"
#include "linear/LinearSolver.h"
#include "script/ScriptHost.h"
#include "session/Termination.h"

#include <string>
#include <vector>

namespace ode {

struct ChebyshevSeries {
    double a = -1, b = 1;     // the interval
    std::vector<double> coef; // c0 ... cN (c0 not halved)
};

// The coefficients of d/ds of the series (one degree less; at least one coefficient).
std::vector<double> ChebyshevDerivativeCoefficients(const std::vector<double>& c);

// The derivative of order `derivative` (0: the value) at x, by Clenshaw's recurrence on the
// derivative's coefficients, scaled by (2 / (b - a))^derivative.
double ChebyshevDerivative(const ChebyshevSeries& s, int derivative, double x);

// The power series about `centre` with the same values: coefficient k is y^(k)(centre) / k!.
std::vector<double> ChebyshevToPower(const ChebyshevSeries& s, double centre);

struct ChebyshevSolution : SolveEnd {
    ChebyshevSeries series;
};

// Solves the problem of `in` (power kind, degree N, order n, conditions) in the Chebyshev
// basis; constants must already have run in `host`. Engine failures show their messages.
ChebyshevSolution SolveLinearChebyshev(const LinearInputs& in, const LinearCoefficientTexts& texts,
                                       script::ScriptHost& host);

// The list of the Chebyshev coefficients: "CHEBYSHEV COEFFICIENTS ON [a,b]:" and
// "name(k)=value" lines.
std::vector<std::string> ChebyshevCoefficientLines(const std::string& depVarName, const ChebyshevSeries& s);

} // namespace ode
