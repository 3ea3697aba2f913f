#pragma once
// The accurate method for a single linear equation: its collocation in the Chebyshev basis
// (collocation/Chebyshev.h) at the N+1-n Chebyshev points together with the n conditions, at a
// fixed degree or with the degree grown.

#include "collocation/Chebyshev.h"
#include "common/Limits.h"
#include "linear/LinearProblem.h"
#include "linear/LinearSolver.h"
#include "script/ScriptHost.h"
#include "session/Progress.h"

namespace ode {

// Solves the problem of `in` (power kind, degree N, order n, conditions) in the Chebyshev
// basis; constants must already have run in `host`. Engine failures show their messages.
// Stopped through `progress`, it ends Cancelled without coefficients.
ChebyshevSolution SolveLinearChebyshev(const SingleInputs& in, const LinearCoefficientTexts& texts,
                                       script::ScriptHost& host, const Progress& progress = {});

// The same with the degree grown (GrowChebyshevDegree) from 16, or the order + 2.
AutoDegreeSolution SolveLinearChebyshevAuto(SingleInputs in, const LinearCoefficientTexts& texts,
                                            script::ScriptHost& host, int maxDegree = kDefaultAutoDegreeLimit,
                                            double tolerance = kDefaultTolerance, const Progress& progress = {});

} // namespace ode
