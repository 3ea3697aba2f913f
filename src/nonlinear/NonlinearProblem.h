#pragma once
// A single nonlinear equation as its form holds it ("Pndif" power series, "Tndif"
// trigonometric series): the linear form's boxes plus the Newton iteration's bounds, the
// iteration limit and the initial approximation; and the translation of the texts into
// residual expressions in the engine's variables Y0 ... Y9.

#include "equations/Derivatives.h"
#include "single/SingleProblem.h"

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace ode {

struct NonlinearTexts : SingleTexts {
    std::string errorD = ".01";                            // txtErrorD: bound on every residual
    std::string errorC = ".01";                            // txtErrorC: bound on every correction
    std::string maxcy = "10";                              // txtMaxcy: iteration limit
    std::string approximation = "2 - Random coefficients"; // cboApproximation
};

NonlinearTexts DefaultNonlinearTexts(SeriesKind kind);
const char* NonlinearMagic(SeriesKind kind); // "Pndif" or "Tndif"

// The items of cboApproximation.
extern const char* const kApproximationItems[5];

struct NonlinearInputs : SingleInputs {
    double errorBoundDE = 0, errorBoundCoef = 0;
    int maxIterations = 0;
    bool polish = true; // the accurate method's Newton goes on past the bounds (ChebyshevNewtonShape)
    bool homotopy = true; // ... and finding its way ends with the homotopy (ChebyshevNewtonShape)
    double omega = 0; // trigonometric: 2 Pi / Period
};

NonlinearInputs ReadNonlinearInputs(const NonlinearTexts& texts, SeriesKind kind, double pi);

// Every check of the boxes, for the command line: the first refusal, or nothing.
std::optional<std::string> CheckNonlinearTexts(const NonlinearTexts& texts, SeriesKind kind);

} // namespace ode
