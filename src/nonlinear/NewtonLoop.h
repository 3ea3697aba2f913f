#pragma once
// The Newton iteration on series coefficients that the single nonlinear equation and the
// nonlinear systems share: assemble the Jacobian rows with the negated residuals, eliminate,
// add the corrections, and stop on convergence (every correction within its bound, then every
// residual within its bound), on a singular system, or after the last allowed pass. The kind
// supplies the rows and the residual test; an engine failure inside them leaves by the kind's
// own exception, which passes through unchanged.

#include "linear/Elimination.h"
#include "session/Termination.h"

#include <functional>
#include <vector>

namespace ode {

struct NewtonPassSteps {
    // Fills the rows and right-hand sides of `a` (already reset to the unknowns).
    std::function<void(AugmentedMatrix& a)> assemble;
    // After the update, with every correction within its bound: true when every residual is.
    std::function<bool()> residualsWithinBound;
    // The elimination overflowed: reports it and leaves by the kind's exception.
    std::function<void()> overflow;
};

struct NewtonPasses {
    Termination termination = Termination::Refused; // Solved, NoConvergence, LinearlyDependent or Inconsistent
    int passes = 0;
    std::vector<double> correction; // the last pass's corrections
};

// Runs passes on `coef` (updated in place) until one of the endings above. `run` is kept up
// to date pass by pass, so it still tells how far the iteration came when a step throws.
void RunNewtonPasses(int unknowns, int maxIterations, double coefficientBound, std::vector<double>& coef,
                     const NewtonPassSteps& steps, NewtonPasses& run);

} // namespace ode
