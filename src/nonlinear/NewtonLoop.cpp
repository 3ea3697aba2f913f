#include "nonlinear/NewtonLoop.h"

#include <cmath>

namespace ode {

void RunNewtonPasses(int unknowns, int maxIterations, double coefficientBound, std::vector<double>& coef,
                     const NewtonPassSteps& steps, NewtonPasses& run)
{
    AugmentedMatrix a;
    std::vector<double> delta;
    for (int pass = 1;; ++pass) {
        run.passes = pass;
        a.reset(unknowns);
        steps.assemble(a);
        const EliminationOutcome outcome = Eliminate(a, delta);
        if (outcome == EliminationOutcome::ArithmeticFault)
            steps.overflow();
        if (outcome == EliminationOutcome::LinearlyDependent || outcome == EliminationOutcome::Inconsistent) {
            run.termination = outcome == EliminationOutcome::LinearlyDependent ? Termination::LinearlyDependent
                                                                               : Termination::Inconsistent;
            return;
        }
        for (int j = 0; j < unknowns; ++j)
            coef[static_cast<size_t>(j)] = coef[static_cast<size_t>(j)] + delta[static_cast<size_t>(j)];
        run.correction = delta;
        bool converged = true;
        for (int j = 0; j < unknowns && converged; ++j)
            converged = std::fabs(delta[static_cast<size_t>(j)]) <= coefficientBound;
        if (converged && steps.residualsWithinBound()) {
            run.termination = Termination::Solved;
            return;
        }
        if (pass >= maxIterations) {
            run.termination = Termination::NoConvergence;
            return;
        }
    }
}

} // namespace ode
