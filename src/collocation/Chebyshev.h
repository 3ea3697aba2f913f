#pragma once
// The accurate method's tools, for every kind: the unknowns are the coefficients of Chebyshev
// polynomials on the interval, y(x) = c0 T0(s) + ... + cN TN(s) with s = (2x - a - b) / (b - a),
// collocated at the Chebyshev points of the interval (the zeros of a Chebyshev polynomial, which
// never fall on an end) together with the conditions at their points. The basis stays well
// conditioned where powers of x - C do not, so the digits hold to high degrees; values and
// derivatives come from the Chebyshev coefficients directly (Clenshaw's recurrence), and the
// power series about the centre is derived from them. Here: the basis and its rows, the growth
// of the degree, the readout and the coefficients' list.

#include "common/Limits.h"
#include "series/ChebyshevSeries.h"
#include "session/Progress.h"
#include "session/SolveReport.h"
#include "session/Termination.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ode {

// The basis at s = t: d[j * (n + 1) + k] = d^k/ds^k Tj(t) for j = 0 ... N and k = 0 ... n,
// by T(j+1)^(k) = 2t Tj^(k) + 2k Tj^(k-1) - T(j-1)^(k).
void ChebyshevBasisDerivatives(int n, int N, double t, std::vector<double>& d);

// A collocation row from that table: row[j] = sum over k of p[k] scale^k d^k/ds^k Tj(t), for
// j = 0 ... N (scale = 2 / (b - a) turns d/ds into d/dx).
void ChebyshevRowFromBasis(double* row, int n, int N, double scale, const double* p, const double* d);

struct ChebyshevSolution : SolveEnd {
    ChebyshevSeries series;
    // What rounding leaves in the solution's values, as the solver measured it (the last
    // refinement's or Newton pass's correction, sum |delta c_j|); 0 when not measured.
    double rounding = 0;
    // Which of a system's variables `series` is (the automatic degree compares a degree's
    // solution with the one before only where they are the same variable's).
    int variable = 0;
    // The conditions do not fix the solution (EliminateRefined's null direction): `series` is
    // the one of least size.
    bool notUnique = false;
};

// Automatic degree: from 16 (or the order + 2) up to `maxDegree` until the tail of the
// Chebyshev coefficients (the largest of the last eight) falls below `tolerance` times the
// largest coefficient and the last two, times what they stand for (TruncationFactor), do too,
// or the tail stops falling while below 1E-11 of it (rounding noise, not signal);
// each next degree is the one the coefficients' decay asks for (NextChebyshevDegree). The
// estimated error comes from the last two coefficients and the rounding the solver measured
// (AccurateEstimatedError), and the growth has converged only where it is within the tolerance
// of the scale; the trigonometric series (the equally spaced method) keep EstimatedError and the
// tail alone.
struct AutoDegreeSolution {
    ChebyshevSolution best; // the solution at the degree found, or the best one tried
    bool converged = false;
    int degree = 0;
    double estimatedError = 0;
    // Converged or not at the degree found, or stopped with the best degree finished shown; none
    // when nothing was found (a failure, or stopped before any degree finished).
    std::optional<AccuracyReadout> readout;
    // The caller stopped the growth: `best` is the best degree finished (or, when none was,
    // the stopped solve, Cancelled, and there is no readout).
    bool stopped = false;
    // The growth ended short of its limit at a degree where the solver found no solution (the
    // best degree before it stands, not converged).
    bool unsolvedDegree = false;
};
// The degree to try after a solution at degree N = coef.size() - 1 whose tail is above the
// tolerance. Where the envelope (the largest |c| from k on) has not fallen tenfold over the last
// quarter the series is not resolved and the degree doubles. Otherwise: the degree that puts
// the first of the last eight where the envelope reaches the tolerance (found in the series, or
// extrapolated at the rate of the last quarter, growing as it grew from the quarter before),
// at least N + 4, at most N + N/2 while the tail is above 1E-4 (a rough prediction), else 2N.
// Landing near the degree needed matters: a solve costs about N^2.7. `capped`: whether the
// degree returned is short of what the tolerance needs (a doubling, or a cap), not predicted.
int NextChebyshevDegree(const std::vector<double>& coef, double tolerance, bool* capped = nullptr);
// A next degree at least this share of the growth's limit is the limit: a prediction that falls
// short of the degree needed there leaves only the limit to try after it, so landing on the
// limit at once costs at most (1/0.9)^2.7 = 1.33 times the solve it replaces, where falling short
// costs that whole solve (the gas-dynamics shock eps = 1E-3: degree 4008, then 4096).
constexpr double kLimitAtOnceFrom = 0.9;

// A cheaper solve at a degree, which only has to show how far the coefficients reach (the
// banded form where the collocation solves); none where it cannot be had.
using ProbeSolver = std::function<std::optional<ChebyshevSolution>(int degree, const Progress&)>;

// The degree a converged probe asks for: the smallest (never below `first`) whose last two
// coefficients in the probe are below the tolerance over eight times the aliasing's
// 1 / (1 - q^2) twice over, q the rate the series falls at there: the solver's estimate is eight
// times its last two, and the collocation's last coefficients carry the ones beyond folded back
// (the layer eps = 1E-3 at degree 172: three times the probe's). The probe, with eight
// coefficients below the tolerance past that degree, shows that the series does not rise again.
int LookAheadDegree(const std::vector<double>& coef, double tolerance, int first);

// A solver that may stop early at `degree`: once its coefficients are within `bound` of the
// solution, relative to their largest (a Newton iteration's simplified correction).
using LooseSolver = std::function<ChebyshevSolution(int degree, double bound, const Progress&)>;
// Where the degree before had its tail above this (relative to its largest coefficient), a
// degree a cap chose is solved with `LooseDegrees::solveAt`, to kLooseShare of that tail: six
// digits short of the default tolerance, a degree is rarely the last, and its passes past the
// truncation it keeps are what the growth spends most on (the interior corner
// eps y'' + y'^2 = 1, eps = 1E-3: six passes at degree 640 and six at 1000, three each now).
constexpr double kLooselySolvedAbove = 1e-7;
constexpr double kLooseShare = 1e-3;
// Degrees solved loosely on the way: the solver, and where the growth goes on from another (a
// sweep's step from the last step's solution) the tail of the series its first degree starts
// from, which stands for the degree before.
struct LooseDegrees {
    LooseSolver solveAt;
    double tailBefore = -1;
};

// The same growth for any solver: `solveAt(degree, progress)` solves at that degree, from the
// degree `first` up to `maxDegree` (never above kMaxAutoDegree). A trigonometric series
// (`terms`, the equally spaced method) doubles its degree each time and is judged by its last
// coefficients the same way (its last four harmonics); its line counts terms, degree + 1.
// `solveAt` is given `progress` at its degree and ends Cancelled when it was stopped. With
// `probe`, the degrees are found by probes first (from kFirstProbeDegree), as long as they can be
// had: once one has converged, the degree it asks for (LookAheadDegree) is solved, and that
// solution converges when its last two coefficients are within the tolerance (the probe has seen
// the rest fall); otherwise the growth goes on with `solveAt`, from the degree no probe could be
// had at, or from `first` where a probe failed or stopped falling. A stop among the probes finds
// nothing. With `retryFromTheStart` (a Newton iteration from the problem's own start), a first
// degree where it finds nothing (NoConvergence) is followed by twice the degree, up to
// kLastRetriedFirstDegree, before the growth gives up. With `loosely`, a degree after one still
// far from resolved (kLooselySolvedAbove) is solved loosely, and again with `solveAt` where its
// tail cannot tell whether it is the last.
AutoDegreeSolution GrowChebyshevDegree(int first, int maxDegree, double tolerance,
                                       const std::function<ChebyshevSolution(int degree, const Progress&)>& solveAt,
                                       bool terms = false, const Progress& progress = {}, const ProbeSolver& probe = {},
                                       bool retryFromTheStart = false, const LooseDegrees& loosely = {});

// The last two coefficients' size relative to the largest (0 for a zero series): the
// truncation error of a converging series is of their order.
double LastTerms(const std::vector<double>& coef);

// The error the last terms stand for: eight times their relative size times the scale, never
// less than the rounding of a sum of N+1 terms (N+1 units in the last place of the scale).
double EstimatedError(double lastTerms, double scale, int degree);

// The accurate method's estimate: the error the last terms stand for, never less than the
// rounding the solver measured (`rounding`) nor what a sum of N+1 rounded terms typically keeps
// (sqrt(N+1) units in the last place of the scale: the rounding is measured, not bounded).
double AccurateEstimatedError(double lastTerms, double scale, int degree, double rounding);

// The size a readout's tolerance is taken of: the larger of the series' largest coefficient and
// its largest value at 201 Chebyshev extreme points of [-1, 1] (both ends among them). A layer
// or an oscillation has values far larger than its largest coefficient (exp(-x/1E-4) on [0, 1]:
// 1 against 0.011), and its error is an error of its values.
double SolutionSize(const std::vector<double>& coef);

// The readout of an accurate solution at a fixed degree: converged when the largest tail of the
// series (one, or one a variable) is within the tolerance, with the error the last terms give.
// The estimate takes in the rounding the solver measured (AccurateEstimatedError), and the
// verdict is "converged" only where that estimate too is within the tolerance of the solution's
// size (SolutionSize).
AccuracyReadout FixedDegreeReadout(const std::vector<ChebyshevSeries>& series, double tolerance, double rounding = 0);

// What the last two coefficients stand for: the sum of the terms cut off, as a multiple of them,
// from the rate the envelope falls at over the last quarter (1 / (1 - e^-rate): a series that
// falls by 1 % a term leaves about a hundred times its last terms), and never less than 8.
double TruncationFactor(const std::vector<double>& coef);

// The tail the automatic degree judges by: the largest |c| of the last eight coefficients,
// relative to the largest of all (0 for a zero series).
double ChebyshevTail(const std::vector<double>& coef);

// The list of the Chebyshev coefficients: "CHEBYSHEV COEFFICIENTS ON [a,b]:" and
// "name(k)=value" lines.
std::vector<std::string> ChebyshevCoefficientLines(const std::string& depVarName, const ChebyshevSeries& s);

} // namespace ode
