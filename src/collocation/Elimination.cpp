#include "collocation/Elimination.h"

#include "common/Limits.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>
#include <numeric>
#include <thread>
#include <utility>

namespace ode {

void AugmentedMatrix::Free::operator()(double* p) const { std::free(p); }

bool AugmentedMatrix::Fits(int unknowns, int matrices)
{
    const double bytes = static_cast<double>(matrices) * unknowns * (unknowns + 1.0) * sizeof(double);
    const unsigned long long memory = PhysicalMemory();
    return memory == 0 || bytes <= kLargestMatrixShare * static_cast<double>(memory);
}

void AugmentedMatrix::reset(int unknowns)
{
    const std::size_t entries = static_cast<std::size_t>(unknowns) * static_cast<std::size_t>(unknowns + 1);
    if (entries > m_capacity) {
        if (!Fits(unknowns))
            throw std::bad_alloc();
        m_data.reset();
        m_capacity = 0;
        m_data.reset(static_cast<double*>(std::calloc(entries, sizeof(double))));
        if (!m_data)
            throw std::bad_alloc();
        m_capacity = entries;
    } else {
        std::fill(m_data.get(), m_data.get() + entries, 0.0);
    }
    m_n = unknowns;
    m_cols = unknowns + 1;
}

AugmentedMatrix::AugmentedMatrix(const AugmentedMatrix& other) { *this = other; }

AugmentedMatrix& AugmentedMatrix::operator=(const AugmentedMatrix& other)
{
    if (this != &other) {
        reset(other.m_n);
        const std::size_t entries = static_cast<std::size_t>(m_n) * static_cast<std::size_t>(m_cols);
        std::copy(other.m_data.get(), other.m_data.get() + entries, m_data.get());
    }
    return *this;
}

bool AugmentedMatrix::allFinite() const
{
    const std::size_t entries = static_cast<std::size_t>(m_n) * static_cast<std::size_t>(m_cols);
    for (std::size_t k = 0; k < entries; ++k)
        if (!std::isfinite(m_data.get()[k]))
            return false;
    return true;
}

namespace {

// Steps per panel, and the width of the column blocks the trailing update works through.
constexpr int kPanel = 48;
constexpr int kColumnBlock = 512;
// The rows of a column block done between two looks at the cancel flag: about 100 million
// operations, a few hundredths of a second.
constexpr int kRowsBetweenChecks = 2048;
// A trailing update shared among threads gives each at least this many multiply-subtracts
// (a thread costs tens of microseconds to start; this is about a millisecond of work), and no
// more threads than this.
constexpr double kWorkPerThread = 4e6;
constexpr unsigned kMostEliminationThreads = 8;

// Back substitution and the outcome, on the eliminated matrix.
EliminationOutcome backSubstitute(const AugmentedMatrix& a, std::vector<double>& coef)
{
    const int last = a.unknowns() - 1;
    const int rhs = a.unknowns();
    int singularRow = -1;
    for (int m = last; m >= 0; --m) {
        const double* pm = a.row(m);
        double s = 0.0;
        for (int c = m + 1; c <= last; ++c)
            s = s + pm[c] * coef[c];
        if (pm[m] == 0.0) {
            singularRow = m;
            break;
        }
        coef[m] = (pm[rhs] - s) / pm[m];
    }

    if (!a.allFinite())
        return EliminationOutcome::ArithmeticFault;
    for (double c : coef)
        if (!std::isfinite(c))
            return EliminationOutcome::ArithmeticFault;
    if (singularRow < 0)
        return EliminationOutcome::Solved;
    const double* pm = a.row(singularRow);
    double t = 0.0;
    for (int c = singularRow; c <= last; ++c)
        t = t + coef[c] * pm[c];
    return t == pm[rhs] ? EliminationOutcome::LinearlyDependent : EliminationOutcome::Inconsistent;
}

// Row j with the largest magnitude in column j among rows j ... last (ties to the upper row);
// -1 when the column is zero there.
int pivotRow(const AugmentedMatrix& a, int j, int last)
{
    double magnitude = std::fabs(a.at(j, j));
    int pivot = j;
    for (int r = j + 1; r <= last; ++r) {
        double m = std::fabs(a.at(r, j));
        if (m > magnitude) {
            magnitude = m;
            pivot = r;
        }
    }
    return magnitude == 0.0 ? -1 : pivot;
}

void swapRows(AugmentedMatrix& a, int r1, int r2)
{
    double* p1 = a.row(r1);
    double* p2 = a.row(r2);
    for (int c = 0; c < a.columns(); ++c)
        std::swap(p1[c], p2[c]);
}

// The panel's updates of one row's columns [c0, c1): for every step k of the panel that
// applies to the row, in order, x[c] = x[c] - f(k) * row k[c]. `factors` holds the row's
// factor of each step, `rows` the steps' pivot rows; steps that were skipped (zero column)
// are not in the lists.
//
// The kernels below do exactly that, four rows at a time; the vector types only change how
// many columns one instruction handles, never the operations an element receives.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define ODE_VECTOR_KERNEL 1
#define ODE_INLINE inline __attribute__((always_inline))
typedef double v4d __attribute__((vector_size(32)));
typedef double v2d __attribute__((vector_size(16)));
#else
#define ODE_INLINE inline
#endif

struct TrailingJob {
    int steps = 0;               // the panel's applied steps
    const double* const* pivots; // the pivot row of each step
    int c0 = 0, c1 = 0;          // the columns
};

ODE_INLINE void updateRowScalar(double* x, const double* f, const TrailingJob& job, int steps)
{
    for (int k = 0; k < steps; ++k) {
        const double fk = f[k];
        const double* pk = job.pivots[k];
        for (int c = job.c0; c < job.c1; ++c)
            x[c] = x[c] - fk * pk[c];
    }
}

#ifdef ODE_VECTOR_KERNEL
// Four rows, all with every step of the job: registers hold a 4 x 8 tile while the steps run.
template <typename V> ODE_INLINE void updateFourRows(double* const* x, const double* const* f, const TrailingJob& job)
{
    constexpr int w = sizeof(V) / sizeof(double);
    constexpr int tile = 8;
    int c = job.c0;
    for (; c + tile <= job.c1; c += tile) {
        V acc[4][tile / w];
        for (int i = 0; i < 4; ++i)
            for (int t = 0; t < tile / w; ++t)
                __builtin_memcpy(&acc[i][t], x[i] + c + t * w, sizeof(V));
        for (int k = 0; k < job.steps; ++k) {
            const double* pk = job.pivots[k] + c;
            V p[tile / w];
            for (int t = 0; t < tile / w; ++t)
                __builtin_memcpy(&p[t], pk + t * w, sizeof(V));
            for (int i = 0; i < 4; ++i) {
                const V fk = V{} + f[i][k];
                for (int t = 0; t < tile / w; ++t)
                    acc[i][t] = acc[i][t] - fk * p[t];
            }
        }
        for (int i = 0; i < 4; ++i)
            for (int t = 0; t < tile / w; ++t)
                __builtin_memcpy(x[i] + c + t * w, &acc[i][t], sizeof(V));
    }
    if (c < job.c1) {
        TrailingJob rest = job;
        rest.c0 = c;
        for (int i = 0; i < 4; ++i)
            updateRowScalar(x[i], f[i], rest, job.steps);
    }
}
#endif

// Rows [r0, r1) of the trailing columns, each receiving every step of the panel.
template <typename V>
ODE_INLINE void updateBlockImpl(AugmentedMatrix& a, const std::vector<double>& factors, int r0, int r1,
                                const TrailingJob& job)
{
    int r = r0;
#ifdef ODE_VECTOR_KERNEL
    for (; r + 4 <= r1; r += 4) {
        double* x[4];
        const double* f[4];
        for (int i = 0; i < 4; ++i) {
            x[i] = a.row(r + i);
            f[i] = factors.data() + static_cast<size_t>(r + i) * kPanel;
        }
        updateFourRows<V>(x, f, job);
    }
#endif
    for (; r < r1; ++r)
        updateRowScalar(a.row(r), factors.data() + static_cast<size_t>(r) * kPanel, job, job.steps);
}

#ifdef ODE_VECTOR_KERNEL
__attribute__((target("avx2"))) void updateBlockAvx2(AugmentedMatrix& a, const std::vector<double>& factors, int r0,
                                                     int r1, const TrailingJob& job)
{
    updateBlockImpl<v4d>(a, factors, r0, r1, job);
}

void updateBlockSse2(AugmentedMatrix& a, const std::vector<double>& factors, int r0, int r1, const TrailingJob& job)
{
    updateBlockImpl<v2d>(a, factors, r0, r1, job);
}

bool& wideVectors()
{
    static bool wide = __builtin_cpu_supports("avx2");
    return wide;
}
bool haveAvx2() { return wideVectors(); }
#endif

void updateBlock(AugmentedMatrix& a, const std::vector<double>& factors, int r0, int r1, const TrailingJob& job)
{
#ifdef ODE_VECTOR_KERNEL
    if (haveAvx2())
        updateBlockAvx2(a, factors, r0, r1, job);
    else
        updateBlockSse2(a, factors, r0, r1, job);
#else
    updateBlockImpl<double>(a, factors, r0, r1, job);
#endif
}

// The trailing update of a panel: rows [r0, r1) of the columns [job.c0, job.c1), in column
// blocks, rows in runs between looks at the cancel flag; false when it was stopped.
bool updateRowsInBlocks(AugmentedMatrix& a, const std::vector<double>& factors, TrailingJob job, int r0, int r1,
                        const Progress& progress)
{
    const int c1 = job.c1;
    for (int c0 = job.c0; c0 < c1; c0 += kColumnBlock) {
        job.c0 = c0;
        job.c1 = std::min(c0 + kColumnBlock, c1);
        for (int r = r0; r < r1; r += kRowsBetweenChecks) {
            if (progress.cancelled())
                return false;
            updateBlock(a, factors, r, std::min(r + kRowsBetweenChecks, r1), job);
        }
    }
    return true;
}

// Rows are independent in the trailing update: each receives the panel's steps in order
// whoever does it, so a large one is shared among the processor's cores, each taking a run of
// rows, with the same result to the bit. Only this thread reports; the others stop at the flag.
bool updateTrailing(AugmentedMatrix& a, const std::vector<double>& factors, const TrailingJob& job, int r0, int r1,
                    const Progress& progress)
{
    const double work = static_cast<double>(job.steps) * (r1 - r0) * (job.c1 - job.c0);
    const int cores = static_cast<int>(std::min(std::thread::hardware_concurrency(), kMostEliminationThreads));
    const int threads = std::clamp(static_cast<int>(work / kWorkPerThread), 1, std::max(cores, 1));
    if (threads == 1)
        return updateRowsInBlocks(a, factors, job, r0, r1, progress);
    // Runs of whole groups of four rows, so that every thread keeps to the four-row kernel. A
    // thread the system will not start leaves its run to this one.
    const int share = ((r1 - r0) / threads + 3) / 4 * 4;
    // (Both lists have their room before any thread starts: nothing below throws while one runs.)
    std::vector<std::pair<int, int>> mine;
    mine.reserve(static_cast<size_t>(threads));
    mine.emplace_back(r0, std::min(r0 + share, r1));
    std::vector<std::thread> others;
    others.reserve(static_cast<size_t>(threads - 1));
    for (int t = 1; t < threads; ++t) {
        const int from = std::min(r0 + t * share, r1), to = t + 1 == threads ? r1 : std::min(from + share, r1);
        try {
            others.emplace_back([&, from, to] { updateRowsInBlocks(a, factors, job, from, to, progress); });
        } catch (...) { // no thread (std::system_error), or no memory for its state
            mine.emplace_back(from, to);
        }
    }
    bool done = true;
    for (const auto& [from, to] : mine)
        done = done && updateRowsInBlocks(a, factors, job, from, to, progress);
    for (std::thread& t : others)
        t.join();
    return done && !progress.cancelled();
}

} // namespace

bool UseWideVectors(bool wanted)
{
#ifdef ODE_VECTOR_KERNEL
    wideVectors() = wanted && __builtin_cpu_supports("avx2");
    return wideVectors();
#else
    (void)wanted;
    return false;
#endif
}

void EquilibrateRows(AugmentedMatrix& a, std::vector<int>* shifts)
{
    const int n = a.unknowns();
    if (shifts)
        shifts->assign(static_cast<size_t>(n), 0);
    for (int r = 0; r < n; ++r) {
        double* row = a.row(r);
        double largest = 0;
        for (int c = 0; c < n; ++c)
            largest = std::fmax(largest, std::fabs(row[c]));
        if (!(largest > 0) || !std::isfinite(largest) || !std::isfinite(row[n]))
            continue;
        const int shift = -std::ilogb(largest);
        if (shifts)
            (*shifts)[static_cast<size_t>(r)] = shift;
        if (shift != 0)
            ScaleByPowerOfTwo(row, row + n + 1, shift);
    }
}

void ScaleByPowerOfTwo(double* begin, double* end, int shift)
{
    if (shift >= std::numeric_limits<double>::min_exponent - 1 && shift < std::numeric_limits<double>::max_exponent) {
        const double factor = std::ldexp(1.0, shift);
        for (double* p = begin; p != end; ++p)
            *p *= factor;
    } else {
        for (double* p = begin; p != end; ++p)
            *p = std::ldexp(*p, shift);
    }
}

double UnknownsOneNorm(const AugmentedMatrix& a)
{
    const int n = a.unknowns();
    std::vector<double> sums(static_cast<size_t>(n), 0.0);
    for (int r = 0; r < n; ++r) {
        const double* row = a.row(r);
        for (int c = 0; c < n; ++c)
            sums[static_cast<size_t>(c)] += std::fabs(row[c]);
    }
    double largest = 0;
    for (double s : sums)
        largest = std::fmax(largest, s);
    return largest;
}

namespace {

// x = U^-1 x, U the upper triangle of `a` (its diagonal nonzero).
void solveUpper(const AugmentedMatrix& a, std::vector<double>& x)
{
    const int n = a.unknowns();
    for (int r = n - 1; r >= 0; --r) {
        const double* row = a.row(r);
        double s = x[static_cast<size_t>(r)];
        for (int c = r + 1; c < n; ++c)
            s -= row[c] * x[static_cast<size_t>(c)];
        x[static_cast<size_t>(r)] = s / row[r];
    }
}

// x = U^-T x: column by column of U, so rows are still read along their length.
void solveUpperTransposed(const AugmentedMatrix& a, std::vector<double>& x)
{
    const int n = a.unknowns();
    for (int r = 0; r < n; ++r) {
        const double* row = a.row(r);
        const double v = x[static_cast<size_t>(r)] / row[r];
        x[static_cast<size_t>(r)] = v;
        for (int c = r + 1; c < n; ++c)
            x[static_cast<size_t>(c)] -= row[c] * v;
    }
}

double oneNorm(const std::vector<double>& x)
{
    double s = 0;
    for (double v : x)
        s += std::fabs(v);
    return s;
}

} // namespace

double TriangleInverseNormEstimate(const AugmentedMatrix& eliminated)
{
    const int n = eliminated.unknowns();
    if (n == 0)
        return 0;
    for (int r = 0; r < n; ++r)
        if (eliminated.at(r, r) == 0.0)
            return std::numeric_limits<double>::infinity();
    const size_t size = static_cast<size_t>(n);
    std::vector<double> x(size, 1.0 / n), y, z(size);
    double estimate = 0;
    for (int iteration = 0; iteration < 5; ++iteration) {
        y = x;
        solveUpper(eliminated, y);
        const double norm = oneNorm(y);
        if (iteration > 0 && norm <= estimate)
            break;
        estimate = norm;
        for (size_t k = 0; k < size; ++k)
            z[k] = y[k] < 0 ? -1.0 : 1.0;
        solveUpperTransposed(eliminated, z); // the gradient of ||U^-1 x||_1 at x
        size_t best = 0;
        double along = 0;
        for (size_t k = 0; k < size; ++k) {
            if (std::fabs(z[k]) > std::fabs(z[best]))
                best = k;
            along += z[k] * x[k];
        }
        if (iteration > 0 && std::fabs(z[best]) <= along)
            break; // no unit vector promises more
        std::fill(x.begin(), x.end(), 0.0);
        x[best] = 1;
    }
    // Higham's alternating vector catches the matrices Hager's iteration underestimates.
    std::vector<double> alt(size);
    for (size_t k = 0; k < size; ++k)
        alt[k] = (k % 2 ? -1.0 : 1.0) * (1 + static_cast<double>(k) / std::max<size_t>(size - 1, 1));
    solveUpper(eliminated, alt);
    return std::fmax(estimate, 2 * oneNorm(alt) / (3 * static_cast<double>(n)));
}

namespace {

// The plain loop; with `factors`, each step's multipliers are kept where the step made zeros
// and each step's pivot row is recorded.
EliminationOutcome eliminateUnblocked(AugmentedMatrix& a, std::vector<double>& coef, Factorisation* factors)
{
    const int n = a.unknowns();
    const int last = n - 1; // N
    const int cols = a.columns();
    coef.assign(static_cast<size_t>(n), 0.0);

    for (int j = 0; j < last; ++j) {
        const int pivot = pivotRow(a, j, last);
        if (factors)
            factors->pivots[static_cast<size_t>(j)] = pivot < 0 ? j : pivot;
        if (pivot < 0)
            continue; // a zero column: back substitution reports the singular system
        if (pivot != j)
            swapRows(a, j, pivot);
        const double* pj = a.row(j);
        const double diag = pj[j];
        for (int r = j + 1; r <= last; ++r) {
            double* pr = a.row(r);
            const double f = pr[j] / diag;
            for (int c = j; c < cols; ++c)
                pr[c] = pr[c] - f * pj[c];
            if (factors)
                pr[j] = f;
        }
    }
    return backSubstitute(a, coef);
}

} // namespace

EliminationOutcome EliminateUnblocked(AugmentedMatrix& a, std::vector<double>& coef)
{
    return eliminateUnblocked(a, coef, nullptr);
}

// Panel by panel: the steps j0 ... j1-1 run on the panel's columns [j0, j1) as in the plain
// loop, keeping each row's factor of each step (the factors move with their rows when rows
// are swapped). Then the columns right of the panel receive those steps: first the panel's
// own rows, in row order, since row k must hold its final values before it updates the rows
// below; then every row below the panel, in blocks. Each element sees the steps in
// increasing order, as in the plain loop.
EliminationOutcome Eliminate(AugmentedMatrix& a, std::vector<double>& coef, const Progress& progress,
                             Factorisation* kept)
{
    const int n = a.unknowns();
    const int last = n - 1;
    const int cols = a.columns();
    if (kept) {
        kept->pivots.resize(static_cast<size_t>(n));
        std::iota(kept->pivots.begin(), kept->pivots.end(), 0);
    }
    if (n < 2 * kPanel)
        return eliminateUnblocked(a, coef, kept);
    coef.assign(static_cast<size_t>(n), 0.0);

    std::vector<double> factors(static_cast<size_t>(n) * kPanel, 0.0); // row r's factor of panel step k
    std::vector<int> applied;                                          // the panel's steps that ran
    std::vector<const double*> pivots;
    for (int j0 = 0; j0 < last; j0 += kPanel) {
        const int j1 = std::min(j0 + kPanel, last);
        applied.clear();
        for (int j = j0; j < j1; ++j) {
            // A step walks down a column, a row (a page or more) apart each: on a large matrix the
            // panel's steps take a good part of a second, so each looks at the flag too.
            if (progress.cancelled())
                return EliminationOutcome::Cancelled;
            const int pivot = pivotRow(a, j, last);
            if (kept)
                kept->pivots[static_cast<size_t>(j)] = pivot < 0 ? j : pivot;
            if (pivot < 0)
                continue;
            if (pivot != j) {
                swapRows(a, j, pivot);
                const auto row = [&](int r) { return factors.begin() + static_cast<long>(r) * kPanel; };
                std::swap_ranges(row(j), row(j) + static_cast<long>(applied.size()), row(pivot));
            }
            const double* pj = a.row(j);
            const double diag = pj[j];
            const int k = static_cast<int>(applied.size());
            for (int r = j + 1; r <= last; ++r) {
                double* pr = a.row(r);
                const double f = pr[j] / diag;
                factors[static_cast<size_t>(r) * kPanel + k] = f;
                for (int c = j; c < j1; ++c)
                    pr[c] = pr[c] - f * pj[c];
                if (kept) // column j is done with: nothing below reads it again
                    pr[j] = f;
            }
            applied.push_back(j);
        }
        if (applied.empty() || j1 >= cols)
            continue;
        pivots.clear();
        for (int j : applied)
            pivots.push_back(a.row(j));
        // The factors were stored at the index of their step among the applied ones; a row
        // inside the panel receives only the steps above it.
        for (int r = j0 + 1; r < j1; ++r) {
            int steps = 0;
            while (steps < static_cast<int>(applied.size()) && applied[static_cast<size_t>(steps)] < r)
                ++steps;
            TrailingJob job{steps, pivots.data(), j1, cols};
            updateRowScalar(a.row(r), factors.data() + static_cast<size_t>(r) * kPanel, job, steps);
        }
        if (!updateTrailing(a, factors, {static_cast<int>(applied.size()), pivots.data(), j1, cols}, j1, last + 1,
                            progress))
            return EliminationOutcome::Cancelled;
        // The work left is about the cube of the rows left.
        const double left = static_cast<double>(last - j1) / last;
        progress.eliminated(1 - left * left * left);
    }
    return backSubstitute(a, coef);
}

void SolveFactored(const AugmentedMatrix& lu, const Factorisation& f, std::vector<double>& x)
{
    const int n = lu.unknowns();
    for (int j = 0; j < n; ++j) {
        const int p = f.pivots[static_cast<size_t>(j)];
        if (p != j)
            std::swap(x[static_cast<size_t>(j)], x[static_cast<size_t>(p)]);
    }
    for (int r = 1; r < n; ++r) {
        const double* row = lu.row(r);
        double s = x[static_cast<size_t>(r)];
        for (int c = 0; c < r; ++c)
            s -= row[c] * x[static_cast<size_t>(c)];
        x[static_cast<size_t>(r)] = s;
    }
    solveUpper(lu, x);
}

double RoundingSign(int row)
{
    uint32_t h = static_cast<uint32_t>(row) * 2654435761u;
    h ^= h >> 15;
    h *= 2246822519u;
    h ^= h >> 13;
    return (h & 1) ? -1.0 : 1.0;
}

double ProductsRounding(const double* row, const double* x, int n)
{
    // The sum would take them as all rounding the same way: a corner layer's condition of 3000
    // terms of up to 1E2 summing to 1 then made the readout's estimate a hundred times its error.
    double largest = 0;
    for (int c = 0; c < n; ++c)
        largest = std::fmax(largest, std::fabs(row[c] * x[c]));
    if (!(largest > 0) || !std::isfinite(largest))
        return largest;
    double squares = 0;
    for (int c = 0; c < n; ++c) {
        const double q = row[c] * x[c] / largest;
        squares += q * q;
    }
    return largest * std::sqrt(squares);
}

namespace {

// x without its part along v (v scaled to a largest entry of 1).
void Project(std::vector<double>& x, const std::vector<double>& v)
{
    if (v.empty())
        return;
    double along = 0, squares = 0;
    for (size_t c = 0; c < x.size(); ++c) {
        along += x[c] * v[c];
        squares += v[c] * v[c];
    }
    const double share = along / squares;
    for (size_t c = 0; c < x.size(); ++c)
        x[c] -= share * v[c];
}

// How much the matrix shrinks v (scaled to a largest entry of 1): |A v| over the largest row
// sum, |A v| with the products summed in extended precision where the machine has it.
double Shrinking(const AugmentedMatrix& original, const std::vector<double>& v)
{
    const int n = original.unknowns();
    double rowSums = 0, image = 0;
    for (int r = 0; r < n; ++r) {
        const double* row = original.row(r);
        long double s = 0;
        double sum = 0;
        for (int c = 0; c < n; ++c) {
            s += static_cast<long double>(row[c]) * v[static_cast<size_t>(c)];
            sum += std::fabs(row[c]);
        }
        rowSums = std::fmax(rowSums, sum);
        image = std::fmax(image, std::fabs(static_cast<double>(s)));
    }
    return rowSums > 0 ? image / rowSums : 0.0;
}

// Three steps of inverse iteration with the factors, from a start whose entries take every row's
// own sign (times `sign`) and three sizes in turn, each result kept away from `away` (when given)
// and scaled to a largest entry of 1; false where a step is not finite.
bool InverseIteration(const AugmentedMatrix& lu, const Factorisation& factors, const std::vector<double>* away,
                      double sign, std::vector<double>& v)
{
    const int n = lu.unknowns();
    v.resize(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r)
        v[static_cast<size_t>(r)] = sign * RoundingSign(r) * (1 + 0.5 * (r % 3));
    for (int pass = 0; pass < 3; ++pass) {
        SolveFactored(lu, factors, v);
        if (away)
            Project(v, *away);
        double largest = 0;
        for (double x : v)
            largest = std::fmax(largest, std::fabs(x));
        if (!(largest > 0) || !std::isfinite(largest))
            return false;
        for (double& x : v)
            x /= largest;
    }
    return true;
}

// The direction the unknowns' matrix shrinks most, v, by inverse iteration; true where the
// matrix is singular to working precision along it and along it alone: it shrinks v below
// kSingularToWorkingPrecision and no direction away from v below kApartFromSingular. A matrix
// whose directions shrink by ever smaller factors, with no one apart (a Hilbert matrix), is
// merely ill-conditioned: its solution stands as eliminated.
bool SingularDirection(const AugmentedMatrix& original, const AugmentedMatrix& lu, const Factorisation& factors,
                       std::vector<double>& v)
{
    std::vector<double> next;
    return InverseIteration(lu, factors, nullptr, 1, v) && Shrinking(original, v) <= kSingularToWorkingPrecision &&
           InverseIteration(lu, factors, &v, -1, next) && Shrinking(original, next) >= kApartFromSingular;
}

// Whether x meets every row to kMetToWorkingPrecision of the size of its terms.
bool MeetsItsRows(const AugmentedMatrix& a, const std::vector<double>& x)
{
    const int n = a.unknowns();
    double residual = 0, terms = 0;
    for (int r = 0; r < n; ++r) {
        const double* row = a.row(r);
        long double s = row[n];
        double size = std::fabs(row[n]);
        for (int c = 0; c < n; ++c) {
            s -= static_cast<long double>(row[c]) * x[static_cast<size_t>(c)];
            size += std::fabs(row[c] * x[static_cast<size_t>(c)]);
        }
        residual = std::fmax(residual, std::fabs(static_cast<double>(s)));
        terms = std::fmax(terms, size);
    }
    return residual <= kMetToWorkingPrecision * terms;
}

} // namespace

EliminationOutcome EliminateRefined(AugmentedMatrix& a, std::vector<double>& coef, double& rounding,
                                    const Progress& progress, int conditionRows, std::vector<double>* nullDirection)
{
    rounding = 0;
    if (nullDirection)
        nullDirection->clear();
    const int n = a.unknowns();
    AugmentedMatrix original;
    try {
        original = a;
    } catch (const std::bad_alloc&) {
        return Eliminate(a, coef, progress); // no room for the copy: the solution unrefined, unjudged
    }
    Factorisation factors;
    const EliminationOutcome outcome = Eliminate(a, coef, progress, &factors);
    if (outcome != EliminationOutcome::Solved)
        return outcome;
    // Where the conditions leave a direction free, every solve below is taken without it.
    std::vector<double> freeDirection, found;
    if (nullDirection && SingularDirection(original, a, factors, found)) {
        std::vector<double> projected = coef;
        Project(projected, found);
        if (MeetsItsRows(original, projected)) {
            coef = std::move(projected);
            freeDirection = std::move(found);
            *nullDirection = freeDirection;
        }
    }
    std::vector<double> delta(static_cast<size_t>(n));
    for (int step = 0; step < 2; ++step) {
        // The residual in extended precision where the machine has it: its rounding then stays
        // below the solution's, so the correction measures the solution's own error.
        for (int r = 0; r < n; ++r) {
            const double* row = original.row(r);
            long double s = row[n];
            for (int c = 0; c < n; ++c)
                s -= static_cast<long double>(row[c]) * coef[static_cast<size_t>(c)];
            delta[static_cast<size_t>(r)] = static_cast<double>(s);
        }
        SolveFactored(a, factors, delta);
        Project(delta, freeDirection);
        double size = 0;
        for (int c = 0; c < n; ++c) {
            coef[static_cast<size_t>(c)] += delta[static_cast<size_t>(c)];
            size += std::fabs(delta[static_cast<size_t>(c)]);
        }
        if (!std::isfinite(size)) {
            rounding = std::numeric_limits<double>::infinity();
            return EliminationOutcome::ArithmeticFault;
        }
        rounding = size;
    }
    // The data rounded: each right-hand side, and each condition's entries, moved by a unit in the
    // last place, with every sign alike and with alternating signs (which of the two the
    // solution is more sensitive to depends on the problem; the larger answer is taken); a
    // condition's products together as rounding errs (ProductsRounding). And the equation's rows
    // rounded, each row's products as rounding errs and the rows each their own way
    // (RoundingSign): what the operator's own rounding moves. A system whose variables differ in
    // size by orders (z = y' across a layer) has its error there, not in its conditions' data.
    std::vector<double> same(static_cast<size_t>(n)), alternating(static_cast<size_t>(n)),
        operatorRows(static_cast<size_t>(n), 0.0);
    constexpr double unit = std::numeric_limits<double>::epsilon() / 2;
    for (int r = 0; r < n; ++r) {
        const double* row = original.row(r);
        double v = std::fabs(row[n]);
        if (r >= n - conditionRows)
            v += ProductsRounding(row, coef.data(), n);
        else
            operatorRows[static_cast<size_t>(r)] = RoundingSign(r) * unit * ProductsRounding(row, coef.data(), n);
        same[static_cast<size_t>(r)] = unit * v;
        alternating[static_cast<size_t>(r)] = r % 2 ? -unit * v : unit * v;
    }
    SolveFactored(a, factors, same);
    SolveFactored(a, factors, alternating);
    SolveFactored(a, factors, operatorRows);
    Project(same, freeDirection);
    Project(alternating, freeDirection);
    Project(operatorRows, freeDirection);
    double sameSize = 0, alternatingSize = 0, operatorSize = 0;
    for (int c = 0; c < n; ++c) {
        sameSize += std::fabs(same[static_cast<size_t>(c)]);
        alternatingSize += std::fabs(alternating[static_cast<size_t>(c)]);
        operatorSize += std::fabs(operatorRows[static_cast<size_t>(c)]);
    }
    if (std::isfinite(sameSize) && std::isfinite(alternatingSize))
        rounding = std::fmax(rounding, std::fmax(sameSize, alternatingSize));
    if (std::isfinite(operatorSize))
        rounding = std::fmax(rounding, operatorSize);
    return outcome;
}

} // namespace ode
