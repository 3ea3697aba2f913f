#pragma once
// The Newton iteration on series coefficients that the single nonlinear equation and the
// nonlinear systems share: assemble the Jacobian rows with the negated residuals, eliminate,
// add the corrections, and stop on convergence (every correction within its bound, then every
// residual within its bound), on a singular system, after the last allowed pass, or when the
// caller asks it to. The kind supplies the rows and the residual test; an engine failure inside
// them leaves by the kind's own exception, which passes through unchanged.

#include "collocation/Elimination.h"
#include "session/Progress.h"
#include "session/Termination.h"

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace ode {

struct NewtonPassSteps {
    // Fills the rows and right-hand sides of `a` (already reset to the unknowns); false when
    // `progress` asked it to stop (it asks between rows).
    std::function<bool(AugmentedMatrix& a, const Progress& progress)> assemble;
    // After the update, with every correction within its bound: true when every residual is.
    std::function<bool()> residualsWithinBound;
    // The elimination overflowed: reports it and leaves by the kind's exception.
    std::function<void()> overflow;
};

struct NewtonPasses {
    // Solved, NoConvergence, LinearlyDependent, Inconsistent or Cancelled
    Termination termination = Termination::Refused;
    int passes = 0;                 // the passes finished
    std::vector<double> correction; // the correction that gave the coefficients left in `coef`
    // Stopped: the pass whose result `coef` holds, the finished one with the smallest largest
    // residual (each pass's rows carry the residuals of the pass before; the last pass, not yet
    // measured, counts only when no other was); 0 when none had finished and `coef` is as it was.
    int shownPass = 0;
};

// Runs passes on `coef` (updated in place) until one of the endings above, at most
// kMaxNewtonPasses of them whatever `maxIterations` says. `run` is kept up to date pass by pass,
// so it still tells how far the iteration came when a step throws.
void RunNewtonPasses(int unknowns, int maxIterations, double coefficientBound, std::vector<double>& coef,
                     const NewtonPassSteps& steps, NewtonPasses& run, const Progress& progress = {});

// Applies the initial-approximation choice (the leading number of the combo's text) to
// `coef` for degree N: 0 zeros, 1 ones, 2 random in (-0.5, 0.5], 3 unchanged (a loaded
// series), 4 resized keeping its values; any other number leaves it unchanged.
void ApplyInitialApproximation(int choice, int degree, std::vector<double>& coef, std::mt19937_64& random);

// "PROBLEMS ENCOUNTERED:" and the line of the problem the iteration ended with (no
// convergence, inconsistence or linear dependence); nothing for any other ending.
void AppendProblemLines(Termination termination, std::vector<std::string>& lines);

} // namespace ode
