#pragma once
// The accurate method for a single linear equation: its collocation in the Chebyshev basis
// (collocation/Chebyshev.h) at the N+1-n Chebyshev points together with the n conditions, at a
// fixed degree or with the degree grown.

#include "collocation/Chebyshev.h"
#include "collocation/Ultraspherical.h"
#include "common/Limits.h"
#include "linear/LinearProblem.h"
#include "linear/LinearSolver.h"
#include "script/ScriptHost.h"
#include "session/Progress.h"

#include <optional>
#include <vector>

namespace ode {

// The equation's coefficients of orders 0 ... n and its right-hand side as Chebyshev series in
// s on the interval (ResolveChebyshev, the engine quiet): none where one of them is not smooth,
// the engine fails at a sample, the highest order's coefficient is zero, or one of them is so
// small (below 1E-200) or so large (above 1E200) that the band's products would lose it.
struct LinearBandedPieces {
    std::vector<std::vector<double>> coefficients;
    std::vector<double> rhs;
};
std::optional<LinearBandedPieces> ResolveLinearPieces(const SingleInputs& in, const LinearCoefficientTexts& texts,
                                                     script::ScriptHost& host);

// The problem at degree N = in.seriesDegree in the banded form (collocation/Ultraspherical.h):
// the n conditions as full rows, then the equation's C(n) coefficients 0 ... N - n as a band,
// every row equilibrated. None where the pieces are not resolved, the engine fails, the band
// would be wider than kBandedWidth or a quarter of the degree (known before the operator is
// built), or `progress` stops the build.
std::optional<AlmostBandedSystem> LinearBandedSystem(const SingleInputs& in, const LinearCoefficientTexts& texts,
                                                     script::ScriptHost& host, const Progress& progress = {});
// The same from pieces already resolved; for a probe of the automatic degree the band may be
// as wide as kBandedWidth whatever the degree.
std::optional<AlmostBandedSystem> LinearBandedSystem(const SingleInputs& in, const LinearBandedPieces& resolved,
                                                     const LinearCoefficientTexts& texts, script::ScriptHost& host,
                                                     bool probe, const Progress& progress = {});

// Solves the problem of `in` (power kind, degree N, order n, conditions) in the Chebyshev
// basis; constants must already have run in `host`. Engine failures show their messages.
// Stopped through `progress`, it ends Cancelled without coefficients. From degree
// kBandedFromDegree on, the banded form solves where it applies (LinearBandedSystem), the
// collocation elsewhere.
ChebyshevSolution SolveLinearChebyshev(const SingleInputs& in, const LinearCoefficientTexts& texts,
                                       script::ScriptHost& host, const Progress& progress = {});

// The same with the degree grown (GrowChebyshevDegree) from 16, or the order + 2; not beyond
// kMaxCollocationAutoDegree where the banded form does not apply. Below kBandedFromDegree the
// banded form probes the degrees (ProbeLinearBanded), and the collocation solves at the one found.
AutoDegreeSolution SolveLinearChebyshevAuto(SingleInputs in, const LinearCoefficientTexts& texts,
                                            script::ScriptHost& host, int maxDegree = kDefaultAutoDegreeLimit,
                                            double tolerance = kDefaultTolerance, const Progress& progress = {});

} // namespace ode
