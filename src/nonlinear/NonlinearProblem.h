#pragma once
// A single nonlinear equation as its form holds it ("Pndif" power series, "Tndif"
// trigonometric series): the linear form's boxes plus the Newton iteration's bounds, the
// iteration limit and the initial approximation; and the translation of the texts into
// residual expressions in the engine's variables Y0 ... Y9.

#include "linear/LinearProblem.h"

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace ode {

struct NonlinearTexts : LinearTexts {
    std::string errorD = ".01";                            // txtErrorD: bound on every residual
    std::string errorC = ".01";                            // txtErrorC: bound on every correction
    std::string maxcy = "10";                              // txtMaxcy: iteration limit
    std::string approximation = "2 - Random coefficients"; // cboApproximation
};

NonlinearTexts DefaultNonlinearTexts(SeriesKind kind);
const char* NonlinearMagic(SeriesKind kind); // "Pndif" or "Tndif"

// The items of cboApproximation.
extern const char* const kApproximationItems[5];

struct NonlinearInputs : LinearInputs {
    double errorBoundDE = 0, errorBoundCoef = 0;
    int maxIterations = 0;
    double omega = 0; // trigonometric: 2 Pi / Period
};

NonlinearInputs ReadNonlinearInputs(const NonlinearTexts& texts, SeriesKind kind, double pi);

// The order box of these forms: 1 to 9 (the derivative variables stop at Y9).
bool CheckNonlinearOrderText(const std::string& text);
// An error bound: a number above 0.
bool CheckErrorBoundText(const std::string& text);

// Every check of the boxes, for the command line: the first refusal, or nothing.
std::optional<std::string> CheckNonlinearTexts(const NonlinearTexts& texts, SeriesKind kind);

// TranslateDerivatives: lower case; the name followed by k apostrophes becomes Yk (k = n ... 1);
// the name alone becomes Y0 unless it is part of a longer word or a call. Names compare
// without regard to case.
std::string TranslateDerivatives(const std::string& text, const std::string& depVarName, int n);

// The replacement both translations make, in a lower-cased text: the name followed by k
// apostrophes becomes prefix & k (k = maxOrder ... 1), the name alone prefix & "0" outside
// longer words and calls.
std::string ReplaceDerivativeNames(std::string loweredText, const std::string& depVarName, int maxOrder,
                                   const std::string& prefix);

// PrepareExpressions: the equation and each condition as residual texts, "L-(R)" ("L" when R
// is exactly "0"), translated. Element 0 the equation, element l condition l. A text with
// a derivative above the order is refused with a message.
std::optional<std::string> PrepareExpressions(const std::string& equation, const std::vector<std::string>& conditions,
                                              const std::string& depVarName, int n,
                                              std::vector<std::string>& residualExpr);

} // namespace ode
