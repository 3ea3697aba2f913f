#pragma once
// Gaussian elimination with partial pivoting by rows and back substitution, in place on a
// dense augmented matrix. The operation order is fixed: every element is updated as
// A(r,c) = A(r,c) - f*A(j,c) with f = A(r,j)/A(j,j), pivot ties go to the upper row, zero
// tests are exact, so results agree to the last digit with the plain triple loop.

#include "session/Progress.h"

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace ode {

// Rows 0 ... n-1, columns 0 ... n (column n holds the right-hand sides), row-major.
class AugmentedMatrix {
public:
    AugmentedMatrix() = default;
    explicit AugmentedMatrix(int unknowns) { reset(unknowns); }
    AugmentedMatrix(const AugmentedMatrix& other);
    AugmentedMatrix& operator=(const AugmentedMatrix& other);
    // A matrix moved from is empty.
    AugmentedMatrix(AugmentedMatrix&& other) noexcept { swap(other); }
    AugmentedMatrix& operator=(AugmentedMatrix&& other) noexcept
    {
        AugmentedMatrix(std::move(other)).swap(*this);
        return *this;
    }
    void swap(AugmentedMatrix& other) noexcept
    {
        std::swap(m_n, other.m_n);
        std::swap(m_cols, other.m_cols);
        std::swap(m_capacity, other.m_capacity);
        m_data.swap(other.m_data);
    }

    // n unknowns, every entry 0. Keeps the storage when it is large enough. New storage comes
    // from the system already zero and is touched only as rows are written, so a large matrix
    // costs nothing before its assembly starts, which a stop request can then interrupt. Throws
    // std::bad_alloc for a matrix above kLargestMatrixShare of the machine's memory.
    void reset(int unknowns);
    // Whether `matrices` matrices of n unknowns stay within kLargestMatrixShare of the machine's
    // memory (Newton's iteration keeps two: the pass's and the next one's).
    static bool Fits(int unknowns, int matrices = 1);
    int unknowns() const { return m_n; }
    int columns() const { return m_cols; }
    double& at(int r, int c) { return m_data.get()[static_cast<std::size_t>(r) * m_cols + c]; }
    double at(int r, int c) const { return m_data.get()[static_cast<std::size_t>(r) * m_cols + c]; }
    double* row(int r) { return m_data.get() + static_cast<std::size_t>(r) * m_cols; }
    const double* row(int r) const { return m_data.get() + static_cast<std::size_t>(r) * m_cols; }
    // True when every entry is a finite number.
    bool allFinite() const;

private:
    struct Free {
        void operator()(double* p) const;
    };
    int m_n = 0;
    int m_cols = 1;
    std::size_t m_capacity = 0; // entries the storage holds
    std::unique_ptr<double, Free> m_data;
};

enum class EliminationOutcome {
    Solved,
    LinearlyDependent, // a zero pivot whose row is satisfied by the values found so far
    Inconsistent,      // a zero pivot whose row is not satisfied
    ArithmeticFault,   // an overflow or an invalid operation (infinite or NaN values)
    Cancelled,         // the caller asked to stop: the matrix is half eliminated, `coef` means nothing
};

// Eliminates `a` (destroying it) and writes the unknowns into `coef` (resized to n and
// zero-filled first). On a zero pivot the back substitution stops at that row and the
// unknowns below it keep what was computed.
//
// The forward elimination runs in panels of columns: a panel's steps are taken at once on its
// own columns, and the columns to its right receive the panel's updates afterwards, in
// cache-sized blocks, vectorised (256 bits where the processor has AVX2), the rows of a large
// update shared among the processor's cores. Every element still receives exactly the updates
// of the plain loop, one multiply and one subtract each (no fused multiply-add), in the same
// order, so the matrix, the unknowns and the outcome are bit for bit those of
// EliminateUnblocked, whoever computed them.
//
// `progress` is asked between runs of rows of the trailing update (a few hundredths of a second
// of work each) and told the fraction done after each panel; a system too small for panels is
// done at once.
//
// With `kept`, the elimination also keeps what a later solve with the same matrix needs: each
// step's multipliers where the step made its zeros (the strictly lower triangle) and each step's
// pivot row. Nothing else changes: the unknowns and the upper triangle are bit for bit the same.
struct Factorisation {
    std::vector<int> pivots; // the row swapped with row j at step j (j itself when none)
};
EliminationOutcome Eliminate(AugmentedMatrix& a, std::vector<double>& coef, const Progress& progress = {},
                             Factorisation* kept = nullptr);

// x = A^-1 x for the matrix A that Eliminate turned into `lu` keeping `f` (its outcome Solved).
void SolveFactored(const AugmentedMatrix& lu, const Factorisation& f, std::vector<double>& x);

// What the data's rounding moves a condition row's value by, the unit aside: the products
// row[c] x[c] round each their own way, so together by the root of the sum of their squares
// (scaled by the largest, so that no square overflows or underflows), not by their sum.
double ProductsRounding(const double* row, const double* x, int n);
// +1 or -1 by a fixed scramble of a row's number: the sign a row's rounding is probed with where
// the rows' roundings err independently of each other (the same every run).
double RoundingSign(int row);

// The accurate method's solve: Eliminate, then two steps of iterative refinement (the residual
// of the original rows in extended precision, the correction from the kept factors, O(n^2) each
// with a copy of the matrix). The first step removes most of the elimination's rounding; the
// second's correction, sum |delta_j|, is what rounding still leaves in the unknowns. The data's
// own rounding counts too: the right-hand sides, and the entries of the last `conditionRows`
// rows (the conditions), each moved by half a unit in the last place, solved for with the same
// factors (an ill-posed start such as Airy's on a wide interval loses its digits there).
// `rounding` is the larger: for Chebyshev coefficients (|T_j| <= 1) an estimate of what
// rounding leaves in the solution's values. 0 when the copy found no room (the solution is then
// unrefined) or no solution stands.
//
// With `nullDirection`, a matrix singular to working precision in one direction (a problem whose
// conditions do not fix its solution: a multiple of a solution of the equation that meets them
// as zeros may be added) is found: `nullDirection` then holds that direction (else it is empty),
// and the solution, its refinement and the rounding estimate are taken without any part along it
// (of all the solutions, the one with the smallest coefficients in the least-squares sense).
EliminationOutcome EliminateRefined(AugmentedMatrix& a, std::vector<double>& coef, double& rounding,
                                    const Progress& progress = {}, int conditionRows = 0,
                                    std::vector<double>* nullDirection = nullptr);

// Singular to working precision along v: |A v| below this share of |A| |v| (largest row sum,
// largest entry), ten times what the rounding of A v itself can be. The accurate method's
// row-equilibrated collocation matrices fall to 1E-17 along the solution a problem's conditions
// leave free (from the degree that resolves that solution); a regular problem stays above, and
// where its smallest direction comes nearer (y'' + (1 + d) y = f on [0, pi], d = 1E-10: 1E-13)
// its solution is still fixed to some digits, which the elimination keeps.
constexpr double kSingularToWorkingPrecision = 1e-15;
// And the next direction, for a matrix taken as singular along one: shrunk by this at most
// (those with a free solution keep their other directions above 1E-5).
constexpr double kApartFromSingular = 1e-8;
// And the solution without that direction meets every row to this share of its terms: where
// the problem has solutions, what is taken away is rounding divided by the matrix's shrinking
// along v, and what is left meets the rows to rounding; where it has none (conditions the free
// solution cannot meet, by however little above the rounding) some row is missed by more.
constexpr double kMetToWorkingPrecision = 1e-13;

// Row equilibration, for the accurate method, where collocation rows (derivatives of the
// Chebyshev polynomials, whose size grows like N^(2k) with the order k) meet condition rows of
// size 1: each row, its right-hand side with it, is multiplied by the power of two that brings
// its largest entry among the unknowns' columns into [1, 2). A power of two changes no digit;
// what changes is which rows partial pivoting picks and that the elimination's rounding is
// relative to rows of one size (on the accurate method's matrices the condition number falls
// by several orders of magnitude, docs/PERFORMANCE.md). A zero row, or one with an entry that
// is not finite, is left as it is for the elimination to report. The equally spaced method's
// rows are never scaled: its results stay those of the plain elimination. With `shifts`, each
// row's power of two (the row was multiplied by 2^shift), for right-hand sides solved later
// with the same factors.
void EquilibrateRows(AugmentedMatrix& a, std::vector<int>* shifts = nullptr);

// Each entry of [begin, end) times 2^shift, rounded once as ldexp rounds it: the same bits, by a
// product wherever that power is a double itself.
void ScaleByPowerOfTwo(double* begin, double* end, int shift);

// The 1-norm of the unknowns' columns: the largest sum of |entries| of a column but the
// right-hand sides'. Taken before the elimination, with TriangleInverseNormEstimate after it.
double UnknownsOneNorm(const AugmentedMatrix& a);

// After Eliminate solved `a`: an estimate of the 1-norm of the inverse of its upper triangle
// U, by Hager's method as LAPACK's xLACON runs it (at most five pairs of triangular solves,
// O(n^2) each, and Higham's alternating vector as a floor). The multipliers of the elimination
// are not kept, but partial pivoting keeps them within 1, so ||U^-1|| is within a factor n of
// ||A^-1|| and in practice close to it: UnknownsOneNorm(A) times this is a cheap estimate of
// A's condition number. Infinite where a diagonal entry of U is 0.
double TriangleInverseNormEstimate(const AugmentedMatrix& eliminated);

// Chooses the 256-bit kernels (when the processor has AVX2) or the 128-bit ones that every
// x86-64 has; returns whether the 256-bit ones are in use. The results are the same either
// way; tests and benchmarks use this to exercise and time both.
bool UseWideVectors(bool wanted);

// The same elimination as the plain triple loop, one step at a time over the whole row: the
// reference the blocked one is tested and measured against.
EliminationOutcome EliminateUnblocked(AugmentedMatrix& a, std::vector<double>& coef);

} // namespace ode
