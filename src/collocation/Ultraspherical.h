#pragma once
// The banded form of the accurate method for a linear equation with smooth coefficients (the
// ultraspherical spectral method of Olver and Townsend). The unknowns are the same Chebyshev
// coefficients c0 ... cN as the collocation's; what differs is how the equation is written.
// Differentiating k times maps Chebyshev polynomials T to ultraspherical polynomials C(k) by
// one diagonal, d^k/ds^k Tj = 2^(k-1) (k-1)! j C(k)(j-k); converting C(l) to C(l+1) takes two
// diagonals; multiplying by a coefficient a(s) of m Chebyshev coefficients is a band of width
// 2m - 1 in every basis. So the equation's C(n) coefficients 0 ... N-n are a band of rows,
// and only the n conditions are full rows. Householder QR solves such an almost banded system
// in O(N (bandwidth + n)^2): degree 100 000 in well under a second, where the dense collocation
// needs O(N^3). The rows keep the size of the unknowns' growth (about N for the highest
// derivative, against N^(2n) for collocation rows), so the conditioning grows like N.
//
// Here: the Chebyshev coefficients of a sampled function, the operators, the almost banded
// system and its solve. The linear kinds decide when to use it (LinearChebyshev).

#include "script/ScriptHost.h"
#include "session/Progress.h"
#include "session/Termination.h"

#include <functional>
#include <string>
#include <vector>

namespace ode {

// Chebyshev coefficients c0 ... c(M-1) of the polynomial of degree M-1 through the values
// f(t_i) at the zeros t_i = cos((i + 1/2) pi / M) of T_M, i = 0 ... M-1 (a discrete cosine
// transform; the zeros avoid the ends, where a coefficient may be singular).
std::vector<double> ChebyshevCoefficientsAtZeros(const std::vector<double>& values);

// A smooth function's Chebyshev coefficients on [-1, 1]: sampled at the zeros of T_M for
// M = 17, 33, 65 ... up to `maxPoints`, until the last quarter of the coefficients lies below
// four units in the last place of the largest, or stops falling at the level of the function's
// own evaluation noise (at most 1E-12 of the largest); the coefficients below that floor at the
// end are dropped. `sample(t, value)` gives f(t), false when it cannot. Empty (and false) when the
// function is not resolved within maxPoints or a sample failed; {} with true for f = 0.
bool ResolveChebyshev(const std::function<bool(double t, double& value)>& sample, int maxPoints,
                      std::vector<double>& coef);

// A text's Chebyshev coefficients on [a, b] (`name` the independent variable, the engine's
// quietness the caller's): ResolveChebyshev of its values with kBandedSamplePoints at most, and
// false where it is not resolved, fails, or its size is one the band's products would lose
// (its largest coefficient neither 0 nor within 1E-200 ... 1E200; the collocation's rows,
// equilibrated one at a time, stand it).
bool ResolveText(script::ScriptHost& host, const std::string& name, double a, double b, const std::string& text,
                 std::vector<double>& coef);

// A square band matrix of order `size`: entry (r, c) is kept for -lower <= c - r <= upper.
struct BandMatrix {
    BandMatrix() = default;
    BandMatrix(int size, int lower, int upper);
    int size = 0, lower = 0, upper = 0;
    std::vector<double> v; // row r from r * width(), column c at c - r + lower

    int width() const { return lower + upper + 1; }
    bool holds(int r, int c) const { return c - r >= -lower && c - r <= upper && c >= 0 && c < size; }
    double get(int r, int c) const { return holds(r, c) ? v[index(r, c)] : 0.0; }
    double& at(int r, int c) { return v[index(r, c)]; }
    size_t index(int r, int c) const { return static_cast<size_t>(r) * width() + (c - r + lower); }
};

// The product of two band matrices of one order (entries beyond the order are cut off).
BandMatrix BandProduct(const BandMatrix& a, const BandMatrix& b);

// The operator of the equation sum over k of a_k(s) d^k y/ds^k scale^k, k = 0 ... n, from the
// Chebyshev coefficients of each a_k (an empty vector for a zero coefficient), as a band
// matrix of order `size` from the Chebyshev coefficients of y to the C(n) coefficients of the
// result. Rows 0 ... size - 1 - (the bandwidth) are exact; callers make `size` large enough
// for the rows they keep (UltrasphericalSize). Stopped through `progress`, it is empty (size 0).
BandMatrix UltrasphericalOperator(const std::vector<std::vector<double>>& coefficients, double scale, int size,
                                  const Progress& progress = {});

// The band width (lower + upper + 1) of that operator's system for order n: known before it is
// built, from the coefficients' lengths.
int UltrasphericalBandWidth(const std::vector<std::vector<double>>& coefficients);

// The order to build the operator in so that its rows 0 ... N - n and columns 0 ... N are exact.
int UltrasphericalSize(const std::vector<std::vector<double>>& coefficients, int N);

// The C(n) coefficients of a function from its Chebyshev coefficients (n conversions), `count`
// of them.
std::vector<double> ConvertToUltraspherical(std::vector<double> coef, int n, int count);

// A square system whose first `dense` rows are full and whose other rows i have their entries in
// columns i - lower ... i + upper (an equation's band below its conditions).
struct AlmostBandedSystem {
    int unknowns = 0;
    int dense = 0;
    int lower = 0, upper = 0;
    std::vector<double> denseRows; // dense x unknowns, row by row
    std::vector<double> band;      // row i >= dense from (i - dense) * (lower + upper + 1), column c at c - i + lower
    std::vector<double> rhs;       // one a row
    // The band's rows come in groups of this many, one row of each of a system's equations
    // (interleaved): the data's rounding is probed with signs alternating from group to group.
    int stride = 1;

    AlmostBandedSystem(int unknowns, int dense, int lower, int upper);
    // Whether such a system and its solve's QR (the band widened by the fill, the dense rows'
    // multiples, the reflectors) stay within kLargestMatrixShare of the machine's memory.
    static bool Fits(int unknowns, int dense, int lower, int upper);
    int bandWidth() const { return lower + upper + 1; }
    double* denseRow(int r) { return denseRows.data() + static_cast<size_t>(r) * unknowns; }
    double& bandAt(int r, int c) { return band[static_cast<size_t>(r - dense) * bandWidth() + (c - r + lower)]; }
    double bandGet(int r, int c) const;
    // Every row times the power of two that brings its largest entry into [1, 2) (the right-hand
    // side with it): no digit is rounded, and the rounding of the solve is relative to rows of
    // one size. Zero rows stay.
    void equilibrate();
    bool allFinite() const;
};

enum class BandedOutcome { Solved, Singular, NotFinite, Cancelled };

// Solves the system by Householder QR, then refines twice (the residual in extended precision)
// as the dense accurate solve does; `rounding` is what the second refinement still moves and
// what the data's rounding (a unit in the last place of every right-hand side and of every
// condition row's entries) moves, the larger of the two, as sum |delta c_j|. The conditions'
// fill is kept as multiples of the dense rows, so the cost is O(unknowns (lower + upper +
// dense)^2) in time and O(unknowns (lower + upper + dense)) in memory. Singular when an
// exactly zero pivot turns up, or one at rounding level of the largest (1E-13), or the data's
// rounding moves the solution in its ninth digit (a singular system rounding made look
// regular); `progress` is told the fraction done and may stop it.
// `Plain` solves only (no refinement, no rounding measured: `rounding` stays 0), for a probe
// that needs the coefficients' sizes and not their last digits.
enum class BandedSolve { Refined, Plain };
BandedOutcome SolveAlmostBanded(const AlmostBandedSystem& system, std::vector<double>& x, double& rounding,
                                const Progress& progress = {}, BandedSolve how = BandedSolve::Refined);

// Whether a banded system of this many unknowns that is singular or not finite ends there: the
// collocation that would otherwise solve it instead is O(n^3), beyond kMaxCollocationAutoDegree
// unknowns hours of it.
bool BandedFailureStands(int unknowns);
// The ending of a banded solve: Solved, Cancelled, LinearlyDependent for a singular system, and
// ArithmeticFault for one that is not finite (the overflow raised in `host` and trapped, as the
// collocation's own check does).
Termination BandedTermination(BandedOutcome outcome, script::ScriptHost& host);

} // namespace ode
