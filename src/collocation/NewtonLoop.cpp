#include "collocation/NewtonLoop.h"

#include "common/Limits.h"

#include <algorithm>
#include <cmath>

namespace ode {

void RunNewtonPasses(int unknowns, int maxIterations, double coefficientBound, std::vector<double>& coef,
                     const NewtonPassSteps& steps, NewtonPasses& run, const Progress& progress)
{
    AugmentedMatrix a;
    std::vector<double> delta;
    // The best result of a finished pass, by its largest residual.
    std::vector<double> best, bestCorrection;
    double bestResidual = 0;
    int bestPass = 0;
    auto stop = [&](int pass) {
        run.termination = Termination::Cancelled;
        run.passes = pass - 1;
        run.shownPass = run.passes;
        if (bestPass > 0) {
            coef = best;
            run.correction = bestCorrection;
            run.shownPass = bestPass;
        }
    };
    maxIterations = std::min(maxIterations, kMaxNewtonPasses);
    for (int pass = 1;; ++pass) {
        run.passes = pass;
        const Progress at = progress.atPass(pass);
        a.reset(unknowns);
        if (!steps.assemble(a, at))
            return stop(pass);
        if (pass > 1) {
            double residual = 0;
            for (int r = 0; r < unknowns; ++r) {
                const double v = std::fabs(a.at(r, unknowns));
                residual = std::isnan(v) ? HUGE_VAL : std::fmax(residual, v);
            }
            if (bestPass == 0 || residual < bestResidual) {
                bestResidual = residual;
                bestPass = pass - 1;
                best = coef;
                bestCorrection = run.correction;
            }
        }
        const EliminationOutcome outcome = Eliminate(a, delta, at);
        if (outcome == EliminationOutcome::Cancelled)
            return stop(pass);
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

void ApplyInitialApproximation(int choice, int degree, std::vector<double>& coef, std::mt19937_64& random)
{
    const size_t size = static_cast<size_t>(degree) + 1;
    switch (choice) {
    case 0:
        coef.assign(size, 0.0);
        break;
    case 1:
        coef.assign(size, 1.0);
        break;
    case 2: {
        coef.assign(size, 0.0);
        std::uniform_real_distribution<double> uniform(0.0, 1.0);
        for (double& a : coef)
            a = 0.5 - uniform(random);
        break;
    }
    case 4:
        coef.resize(size, 0.0);
        break;
    default:
        break;
    }
}

void AppendProblemLines(Termination termination, std::vector<std::string>& lines)
{
    const char* problem = termination == Termination::NoConvergence       ? "-CONVERGENCE PROBLEMS."
                          : termination == Termination::Inconsistent      ? "-POSSIBLE INCONSISTENCE PROBLEMS."
                          : termination == Termination::LinearlyDependent ? "-POSSIBLE LINEAR DEPENDENCE PROBLEMS."
                                                                          : nullptr;
    if (!problem)
        return;
    lines.push_back("PROBLEMS ENCOUNTERED:");
    lines.push_back(problem);
}

} // namespace ode
