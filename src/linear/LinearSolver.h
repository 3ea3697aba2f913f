#pragma once
// Collocation solver of a single linear equation (power or trigonometric series), the
// residuals the form lists after a solve, and the equation residual at a point.
//
// The unknowns c0 ... cN satisfy the equation exactly at M+1 equally spaced grid points
// (both ends included, M = N - n) and each of the n conditions at its point: rows 0 ... M
// are the grid points, rows M+1 ... N the conditions in order, column N+1 the right-hand
// sides. Coefficient texts are evaluated by the engine; the system is solved by Eliminate.
//
// Every failure goes through the host: engine errors show their messages as the engine's
// Error event and the solver's trap do; an arithmetic fault of the assembly or elimination
// shows "overflow" or "division by zero".

#include "collocation/Elimination.h"
#include "linear/LinearProblem.h"
#include "script/ScriptHost.h"
#include "session/Listing.h"
#include "session/Termination.h"

#include <functional>
#include <string>
#include <vector>

namespace ode {

// How the solve ended (termination, error) and what it found.
struct LinearSolution : SolveEnd {
    std::vector<double> coef;          // c0 ... cN when solved
    std::vector<std::string> lstCoeff; // the coefficient list, or the singular system's line
};

// The coefficient texts of equation and conditions (ExtractDECoefficients and
// ExtractBCCoefficients), or the message that refuses the texts before solving.
struct LinearCoefficientTexts {
    std::vector<std::string> de;              // DECoefText(0 ... n+1)
    std::vector<std::vector<std::string>> bc; // BCCoefText(i, 0 ... n+1), condition i at i-1
};
std::optional<std::string> ExtractLinearCoefficients(const SingleInputs& in, LinearCoefficientTexts& out);

// SolveLinear: inputs as ReadInputs left them, constants already run in `host`. Stopped through
// `progress`, it ends Cancelled with the stopped line as its list and no coefficients.
LinearSolution SolveLinear(const SingleInputs& in, const LinearCoefficientTexts& texts, script::ScriptHost& host,
                           const Progress& progress = {});

// A solution's derivative of order k at x, whatever represents it.
using DerivativeAt = std::function<double(int k, double x)>;

// ListBCErrors: "B.C. #i", "LHS=", "RHS=", "LHS-RHS=" for each condition, and each
// LHS - RHS as a number. False (with the messages shown through the host) when the engine fails.
bool ListBCErrors(const SingleInputs& in, const LinearCoefficientTexts& texts, const SeriesView& series,
                  script::ScriptHost& host, std::vector<std::string>& lines, std::vector<double>& residuals);
bool ListBCErrors(const SingleInputs& in, const LinearCoefficientTexts& texts, const DerivativeAt& solution,
                  script::ScriptHost& host, std::vector<std::string>& lines, std::vector<double>& residuals);

// The equation residual at x: "LHS=", "RHS=", "LHS-RHS=".
bool EquationResidualLines(const SingleInputs& in, const LinearCoefficientTexts& texts, const SeriesView& series,
                           double x, script::ScriptHost& host, std::vector<std::string>& lines);
bool EquationResidualLines(const SingleInputs& in, const LinearCoefficientTexts& texts, const DerivativeAt& solution,
                           double x, script::ScriptHost& host, std::vector<std::string>& lines);

// The equation at x for the check between the grid points: its residual (left side minus right
// side, as EquationResidualLines has it) and the size of its terms, the sum of |p_k(x) y^(k)(x)|
// and |f(x)|. False when the engine fails there; nothing is shown.
bool EquationTermsAt(const SingleInputs& in, const LinearCoefficientTexts& texts, const DerivativeAt& solution,
                     double x, script::ScriptHost& host, double& residual, double& terms);

} // namespace ode
