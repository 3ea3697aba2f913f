#include "collocation/Ultraspherical.h"

#include "collocation/Elimination.h"
#include "common/Limits.h"
#include "common/Power.h"
#include "equations/BoxChecks.h"
#include "script/ScriptErrors.h"
#include "series/ChebyshevSeries.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>

namespace ode {

namespace {

constexpr double kUnit = std::numeric_limits<double>::epsilon();
// A pivot this small against the largest is a rank the data do not have (the banded systems of
// well-posed problems keep their smallest pivots above 1E-6 of the largest: condition ~6E3).
constexpr double kSingularPivot = 1e-13;
// The largest noise a sampled coefficient may carry from its own evaluation, relative to its
// largest Chebyshev coefficient (an argument of 1000 in a sine costs about 1E-13).
constexpr double kSampleNoise = 1e-12;
// What the data's rounding may move in a solution, relative to its size, before the system is
// taken for singular (well-posed problems stay below 1E-11, a corner layer of 1E-5 included).
constexpr double kSingularShare = 1e-9;

double SumAbs(const std::vector<double>& v)
{
    double s = 0;
    for (double x : v)
        s += std::fabs(x);
    return s;
}

// Multiplication by s in the basis C(l) (l = 0: the Chebyshev polynomials T): a tridiagonal
// band from s C(l)j = ((j + 1) C(l)(j+1) + (j + 2l - 1) C(l)(j-1)) / (2 (j + l)), s T0 = T1.
BandMatrix MultiplicationByS(int lambda, int size)
{
    BandMatrix x(size, 1, 1);
    for (int j = 0; j < size; ++j) {
        double up, down;
        if (lambda == 0) {
            up = j == 0 ? 1.0 : 0.5;
            down = 0.5;
        } else {
            up = (j + 1.0) / (2.0 * (j + lambda));
            down = (j + 2.0 * lambda - 1) / (2.0 * (j + lambda));
        }
        if (j + 1 < size)
            x.at(j + 1, j) = up;
        if (j >= 1)
            x.at(j - 1, j) = down;
    }
    return x;
}

// y + s x, into a band wide enough for both.
BandMatrix AddScaled(const BandMatrix& y, double s, const BandMatrix& x)
{
    BandMatrix out(y.size, std::max(y.lower, x.lower), std::max(y.upper, x.upper));
    for (int r = 0; r < y.size; ++r) {
        for (int c = std::max(0, r - y.lower); c <= std::min(y.size - 1, r + y.upper); ++c)
            out.at(r, c) += y.v[y.index(r, c)];
        for (int c = std::max(0, r - x.lower); c <= std::min(x.size - 1, r + x.upper); ++c)
            out.at(r, c) += s * x.v[x.index(r, c)];
    }
    return out;
}

void AddToDiagonal(BandMatrix& m, double a)
{
    for (int r = 0; r < m.size; ++r)
        m.at(r, r) += a;
}

// Multiplication by a(s) = sum a_j Tj(s) in the basis C(l): Clenshaw's recurrence with the
// matrix of multiplication by s, b_j = a_j I + 2 X b_(j+1) - b_(j+2), the operator
// a_0 I + X b_1 - b_2.
BandMatrix MultiplicationOperator(const std::vector<double>& a, int lambda, int size, const Progress& progress)
{
    BandMatrix result(size, 0, 0);
    if (a.size() == 1) {
        AddToDiagonal(result, a[0]);
        return result;
    }
    const BandMatrix x = MultiplicationByS(lambda, size);
    BandMatrix next(size, 0, 0), after(size, 0, 0); // b_(j+1), b_(j+2)
    for (size_t j = a.size() - 1; j >= 1; --j) {
        if (progress.cancelled())
            return BandMatrix{};
        BandMatrix b = BandProduct(x, next);
        for (double& v : b.v)
            v *= 2;
        b = AddScaled(b, -1.0, after);
        AddToDiagonal(b, a[j]);
        after = std::move(next);
        next = std::move(b);
    }
    result = AddScaled(BandProduct(x, next), -1.0, after);
    AddToDiagonal(result, a[0]);
    return result;
}

// Conversion from C(l) to C(l+1) (from T to C(1) for l = 0).
BandMatrix Conversion(int lambda, int size)
{
    BandMatrix s(size, 0, 2);
    for (int r = 0; r < size; ++r) {
        const double here = lambda == 0 ? (r == 0 ? 1.0 : 0.5) : lambda / (lambda + static_cast<double>(r));
        const double two = lambda == 0 ? -0.5 : -lambda / (lambda + r + 2.0);
        s.at(r, r) = here;
        if (r + 2 < size)
            s.at(r, r + 2) = two;
    }
    return s;
}

// The k-th derivative from T to C(k), times scale^k: one diagonal, d^k/ds^k Tj =
// 2^(k-1) (k-1)! j C(k)(j-k).
BandMatrix Differentiation(int k, double scale, int size)
{
    BandMatrix d(size, 0, k);
    double factor = Power(scale, k);
    for (int i = 1; i < k; ++i)
        factor *= 2.0 * i;
    for (int j = k; j < size; ++j)
        d.at(j - k, j) = factor * j;
    return d;
}

} // namespace

std::vector<double> ChebyshevCoefficientsAtZeros(const std::vector<double>& values)
{
    const int m = static_cast<int>(values.size());
    std::vector<double> coef(values.size(), 0.0);
    if (m == 0)
        return coef;
    // cos(pi k (2i + 1) / (2m)) from a table of cos(pi q / (2m)), q taken modulo 4m. The sums
    // are kept in extended precision: a coefficient such as eps + x^2 with eps = 1E-3 must keep
    // eps to its last digits, and a double sum of m terms of size 1 would lose a few of them.
    const int period = 4 * m;
    // The tables are kept, one a size: the automatic degree resolves the same few sizes for
    // every coefficient at every degree, and the extended cosines cost more than the sums.
    thread_local std::map<int, std::vector<long double>> tables;
    std::vector<long double>& table = tables[m];
    if (table.empty()) {
        table.resize(static_cast<size_t>(period));
        const long double pi = 3.141592653589793238462643383279502884L;
        for (int q = 0; q < period; ++q)
            table[static_cast<size_t>(q)] = std::cos(pi * q / (2.0L * m));
    }
    for (int k = 0; k < m; ++k) {
        long double s = 0;
        int q = k % period;
        const int step = (2 * k) % period;
        for (int i = 0; i < m; ++i) {
            s += values[static_cast<size_t>(i)] * table[static_cast<size_t>(q)];
            q += step;
            if (q >= period)
                q -= period;
        }
        coef[static_cast<size_t>(k)] = static_cast<double>(s * 2 / m);
    }
    coef[0] /= 2; // exact: a power of two
    return coef;
}

bool ResolveChebyshev(const std::function<bool(double t, double& value)>& sample, int maxPoints,
                      std::vector<double>& coef)
{
    coef.clear();
    double previousTail = -1;
    for (int m = 17; m <= maxPoints; m = 2 * m - 1) {
        std::vector<double> values(static_cast<size_t>(m));
        for (int i = 0; i < m; ++i) {
            const double t = ChebyshevPoint(i, m);
            if (!sample(t, values[static_cast<size_t>(i)]) || !std::isfinite(values[static_cast<size_t>(i)]))
                return false;
        }
        std::vector<double> c = ChebyshevCoefficientsAtZeros(values);
        double largest = 0;
        for (double v : c)
            largest = std::fmax(largest, std::fabs(v));
        if (largest == 0)
            return true;
        double tail = 0;
        for (size_t k = 3 * c.size() / 4; k < c.size(); ++k)
            tail = std::fmax(tail, std::fabs(c[k]));
        // Resolved: the tail at rounding level, or at the level of the function's own evaluation
        // (sin(60 x) is computed to about 60 units, so its tail stops at 1E-14) where doubling the
        // samples no longer lowers it.
        const bool rounding = tail <= 4 * kUnit * largest;
        const bool noise = previousTail >= 0 && tail > previousTail / 2 && tail <= kSampleNoise * largest;
        previousTail = tail;
        if (!rounding && !noise)
            continue;
        const double floor = rounding ? kUnit * largest : 2 * tail;
        size_t keep = c.size();
        while (keep > 1 && std::fabs(c[keep - 1]) <= floor)
            --keep;
        c.resize(keep);
        coef = std::move(c);
        return true;
    }
    return false;
}

bool ResolveText(script::ScriptHost& host, const std::string& name, double a, double b, const std::string& text,
                 std::vector<double>& coef)
{
    const double middle = (a + b) / 2, half = (b - a) / 2;
    // A number alone (a constant coefficient, as in most equations typed) has one value at every
    // point: it is evaluated once and that value sampled, the variable still set at each point.
    const bool number = IsNumberText(text);
    std::optional<double> once;
    if (!ResolveChebyshev(
            [&](double t, double& value) {
                if (!host.assignExact(name, middle + t * half))
                    return false;
                if (once) {
                    value = *once;
                    return true;
                }
                if (!host.evaluate(text, value))
                    return false;
                if (number)
                    once = value;
                return true;
            },
            kBandedSamplePoints, coef))
        return false;
    double largest = 0;
    for (double v : coef)
        largest = std::fmax(largest, std::fabs(v));
    return largest == 0 || (largest >= 1e-200 && largest <= 1e200);
}

BandMatrix::BandMatrix(int size_, int lower_, int upper_)
    : size(size_), lower(std::min(lower_, std::max(0, size_ - 1))), upper(std::min(upper_, std::max(0, size_ - 1))),
      v(static_cast<size_t>(size_) * (lower + upper + 1), 0.0)
{
}

BandMatrix BandProduct(const BandMatrix& a, const BandMatrix& b)
{
    BandMatrix out(a.size, a.lower + b.lower, a.upper + b.upper);
    const int last = a.size - 1;
    for (int r = 0; r < a.size; ++r) {
        double* row = out.v.data() + out.index(r, r); // column c at row[c - r]
        for (int k = std::max(0, r - a.lower); k <= std::min(last, r + a.upper); ++k) {
            const double ark = a.v[a.index(r, k)];
            if (ark == 0)
                continue;
            const double* brow = b.v.data() + b.index(k, k);
            for (int c = std::max(0, k - b.lower); c <= std::min(last, k + b.upper); ++c)
                row[c - r] += ark * brow[c - k];
        }
    }
    return out;
}

int UltrasphericalSize(const std::vector<std::vector<double>>& coefficients, int N)
{
    size_t widest = 1;
    for (const auto& a : coefficients)
        widest = std::max(widest, a.size());
    const int n = static_cast<int>(coefficients.size()) - 1;
    return N + 1 + 2 * static_cast<int>(widest) + 2 * n + 4;
}

int UltrasphericalBandWidth(const std::vector<std::vector<double>>& coefficients)
{
    // M_k[a] spans m - 1 either side, D_k k more above, each of the n - k conversions 2 more.
    const int n = static_cast<int>(coefficients.size()) - 1;
    int below = 0, above = 0;
    for (int k = 0; k <= n; ++k) {
        const int m = static_cast<int>(coefficients[static_cast<size_t>(k)].size());
        if (m == 0)
            continue;
        below = std::max(below, m - 1);
        above = std::max(above, m - 1 + k + 2 * (n - k));
    }
    return (below + n) + std::max(0, above - n) + 1;
}

BandMatrix UltrasphericalOperator(const std::vector<std::vector<double>>& coefficients, double scale, int size,
                                  const Progress& progress)
{
    const int n = static_cast<int>(coefficients.size()) - 1;
    BandMatrix op(size, 0, 0);
    for (int k = 0; k <= n; ++k) {
        const std::vector<double>& a = coefficients[static_cast<size_t>(k)];
        if (a.empty())
            continue;
        BandMatrix term = MultiplicationOperator(a, k, size, progress);
        if (progress.cancelled())
            return BandMatrix{};
        if (k > 0)
            term = BandProduct(term, Differentiation(k, scale, size));
        for (int l = k; l < n; ++l)
            term = BandProduct(Conversion(l, size), term);
        op = AddScaled(op, 1.0, term);
    }
    return op;
}

std::vector<double> ConvertToUltraspherical(std::vector<double> coef, int n, int count)
{
    coef.resize(static_cast<size_t>(count + 2 * n + 2), 0.0);
    for (int l = 0; l < n; ++l) {
        const size_t size = coef.size();
        for (size_t r = 0; r < size; ++r) {
            const double two = r + 2 < size ? coef[r + 2] : 0.0;
            if (l == 0)
                coef[r] = r == 0 ? coef[r] - two / 2 : (coef[r] - two) / 2;
            else
                coef[r] = l / (l + static_cast<double>(r)) * coef[r] - l / (l + r + 2.0) * two;
        }
    }
    coef.resize(static_cast<size_t>(count));
    return coef;
}

AlmostBandedSystem::AlmostBandedSystem(int unknowns_, int dense_, int lower_, int upper_)
    : unknowns(unknowns_), dense(dense_), lower(lower_), upper(upper_),
      denseRows(static_cast<size_t>(dense_) * unknowns_, 0.0),
      band(static_cast<size_t>(unknowns_ - dense_) * (lower_ + upper_ + 1), 0.0), rhs(static_cast<size_t>(unknowns_), 0.0)
{
}

bool AlmostBandedSystem::Fits(int unknowns, int dense, int lower, int upper)
{
    // As AlmostBandedQr lays them out, besides the system itself.
    const double l = std::max(lower, dense),
                 perRow = (lower + upper + 1) + dense + (2 * l + upper + 2) + dense + (l + 1);
    const double bytes = static_cast<double>(unknowns) * perRow * sizeof(double);
    const unsigned long long memory = PhysicalMemory();
    return memory == 0 || bytes <= kLargestMatrixShare * static_cast<double>(memory);
}

double AlmostBandedSystem::bandGet(int r, int c) const
{
    if (c - r < -lower || c - r > upper || c < 0 || c >= unknowns)
        return 0;
    return band[static_cast<size_t>(r - dense) * bandWidth() + (c - r + lower)];
}

void AlmostBandedSystem::equilibrate()
{
    auto scaleRow = [](double* begin, double* end, double& rhs) {
        double largest = 0;
        for (double* p = begin; p != end; ++p)
            largest = std::fmax(largest, std::fabs(*p));
        if (largest == 0 || !std::isfinite(largest))
            return;
        const int shift = -std::ilogb(largest); // largest 2^shift in [1, 2)
        ScaleByPowerOfTwo(begin, end, shift);
        ScaleByPowerOfTwo(&rhs, &rhs + 1, shift);
    };
    for (int r = 0; r < dense; ++r)
        scaleRow(denseRow(r), denseRow(r) + unknowns, rhs[static_cast<size_t>(r)]);
    for (int r = dense; r < unknowns; ++r) {
        double* row = band.data() + static_cast<size_t>(r - dense) * bandWidth();
        scaleRow(row, row + bandWidth(), rhs[static_cast<size_t>(r)]);
    }
}

bool AlmostBandedSystem::allFinite() const
{
    auto finite = [](const std::vector<double>& v) {
        return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
    };
    return finite(denseRows) && finite(band) && finite(rhs);
}

namespace {

// Householder QR of an almost banded system. Row i's entries are kept explicitly in a window
// of columns up to whi[i]; beyond it the row is alpha_i times the dense rows (the fill the
// conditions bring in stays in their span, so it is carried as `dense` numbers a row).
class AlmostBandedQr {
public:
    explicit AlmostBandedQr(const AlmostBandedSystem& s)
        : m_s(s), m_n(s.unknowns), m_k(s.dense), m_l(std::max(s.lower, s.dense)), m_w(2 * m_l + s.upper + 2),
          m_buf(static_cast<size_t>(m_n) * m_w, 0.0), m_whi(static_cast<size_t>(m_n), 0),
          m_alpha(static_cast<size_t>(m_n) * m_k, 0.0), m_u(static_cast<size_t>(m_n) * (m_l + 1), 0.0),
          m_tau(static_cast<size_t>(m_n), 0.0), m_work(static_cast<size_t>(m_w), 0.0),
          m_wAlpha(static_cast<size_t>(m_k), 0.0)
    {
        for (int i = 0; i < m_k; ++i)
            m_alpha[static_cast<size_t>(i) * m_k + i] = 1;
        for (int i = m_k; i < m_n; ++i) {
            double* row = rowAt(i);
            const int from = std::max(0, i - s.lower), to = std::min(m_n - 1, i + s.upper);
            for (int c = from; c <= to; ++c)
                row[c] = s.band[static_cast<size_t>(i - m_k) * s.bandWidth() + (c - i + s.lower)];
            m_whi[static_cast<size_t>(i)] = to + 1;
        }
    }

    BandedOutcome factor(const Progress& progress)
    {
        const int every = std::max(256, m_n / 50);
        for (int j = 0; j < m_n; ++j) {
            if (j % every == 0 && j > 0) {
                if (progress.cancelled())
                    return BandedOutcome::Cancelled;
                progress.eliminated(static_cast<double>(j) / m_n);
            }
            const int e = std::min(m_n - 1, j + m_l);
            int h = j + 1;
            for (int i = j; i <= e; ++i)
                h = std::max(h, m_whi[static_cast<size_t>(i)]);
            for (int i = j; i <= e; ++i)
                extend(i, h);
            double norm2 = 0;
            for (int i = j + 1; i <= e; ++i)
                norm2 += rowAt(i)[j] * rowAt(i)[j];
            const double x0 = rowAt(j)[j];
            double* u = m_u.data() + static_cast<size_t>(j) * (m_l + 1);
            if (norm2 == 0) {
                if (x0 == 0)
                    return BandedOutcome::Singular;
                m_tau[static_cast<size_t>(j)] = 0;
                continue;
            }
            const double beta = -std::copysign(std::sqrt(x0 * x0 + norm2), x0);
            const double tau = (beta - x0) / beta, toU = 1 / (x0 - beta);
            m_tau[static_cast<size_t>(j)] = tau;
            u[0] = 1;
            for (int i = j + 1; i <= e; ++i)
                u[i - j] = rowAt(i)[j] * toU;
            // w = u^T A over the columns j+1 ... h-1 and the rows' multiples of the dense rows.
            double* w = m_work.data(); // w[c - j - 1]
            const int cols = h - j - 1;
            std::fill(w, w + cols, 0.0);
            std::fill(m_wAlpha.begin(), m_wAlpha.end(), 0.0);
            for (int i = j; i <= e; ++i) {
                const double ui = u[i - j];
                const double* row = rowAt(i) + j + 1;
                for (int c = 0; c < cols; ++c)
                    w[c] += ui * row[c];
                const double* alpha = m_alpha.data() + static_cast<size_t>(i) * m_k;
                for (int k = 0; k < m_k; ++k)
                    m_wAlpha[static_cast<size_t>(k)] += ui * alpha[k];
            }
            for (int i = j; i <= e; ++i) {
                const double f = tau * u[i - j];
                double* row = rowAt(i) + j + 1;
                for (int c = 0; c < cols; ++c)
                    row[c] -= f * w[c];
                double* alpha = m_alpha.data() + static_cast<size_t>(i) * m_k;
                for (int k = 0; k < m_k; ++k)
                    alpha[k] -= f * m_wAlpha[static_cast<size_t>(k)];
                if (i > j)
                    rowAt(i)[j] = 0;
            }
            rowAt(j)[j] = beta;
        }
        // A pivot at rounding level of the largest is a singular system that rounding has made
        // look regular (two conditions alike give 1E-16 where an elimination gives an exact 0):
        // said as singular, so that the caller's exact elimination can say what it is.
        double largest = 0;
        for (int j = 0; j < m_n; ++j) {
            if (!std::isfinite(rowAt(j)[j]))
                return BandedOutcome::NotFinite;
            largest = std::fmax(largest, std::fabs(rowAt(j)[j]));
        }
        for (int j = 0; j < m_n; ++j)
            if (!(std::fabs(rowAt(j)[j]) > kSingularPivot * largest))
                return BandedOutcome::Singular;
        return BandedOutcome::Solved;
    }

    // x = A^-1 b with the factors.
    void solve(std::vector<double>& b) const
    {
        for (int j = 0; j < m_n; ++j) {
            const double tau = m_tau[static_cast<size_t>(j)];
            if (tau == 0)
                continue;
            const int e = std::min(m_n - 1, j + m_l);
            const double* u = m_u.data() + static_cast<size_t>(j) * (m_l + 1);
            double w = 0;
            for (int i = j; i <= e; ++i)
                w += u[i - j] * b[static_cast<size_t>(i)];
            w *= tau;
            for (int i = j; i <= e; ++i)
                b[static_cast<size_t>(i)] -= w * u[i - j];
        }
        // Back substitution; suffix[k * (n + 1) + c] = sum over c' >= c of dense row k at c' times x(c').
        std::vector<double> suffix(static_cast<size_t>(m_k) * (m_n + 1), 0.0);
        for (int j = m_n - 1; j >= 0; --j) {
            const double* row = rowAt(j);
            const int h = std::max(j + 1, m_whi[static_cast<size_t>(j)]);
            double s = b[static_cast<size_t>(j)];
            for (int c = j + 1; c < h; ++c)
                s -= row[c] * b[static_cast<size_t>(c)];
            const double* alpha = m_alpha.data() + static_cast<size_t>(j) * m_k;
            for (int k = 0; k < m_k; ++k)
                s -= alpha[k] * suffix[static_cast<size_t>(k) * (m_n + 1) + h];
            const double x = s / row[j];
            b[static_cast<size_t>(j)] = x;
            for (int k = 0; k < m_k; ++k) {
                double* suf = suffix.data() + static_cast<size_t>(k) * (m_n + 1);
                suf[j] = suf[j + 1] + m_s.denseRows[static_cast<size_t>(k) * m_n + j] * x;
            }
        }
    }

private:
    // Row i's entries by absolute column: valid for columns i - L ... i - L + W - 1.
    double* rowAt(int i) { return m_buf.data() + static_cast<size_t>(i) * m_w + m_l - i; }
    const double* rowAt(int i) const { return m_buf.data() + static_cast<size_t>(i) * m_w + m_l - i; }

    // Makes row i's explicit window reach column h (exclusive) from its multiples of the dense rows.
    void extend(int i, int h)
    {
        int& whi = m_whi[static_cast<size_t>(i)];
        if (whi >= h)
            return;
        double* row = rowAt(i);
        const double* alpha = m_alpha.data() + static_cast<size_t>(i) * m_k;
        for (int c = whi; c < h; ++c) {
            double s = 0;
            for (int k = 0; k < m_k; ++k)
                s += alpha[k] * m_s.denseRows[static_cast<size_t>(k) * m_n + c];
            row[c] = s;
        }
        whi = h;
    }

    const AlmostBandedSystem& m_s;
    int m_n, m_k, m_l, m_w;
    std::vector<double> m_buf;
    std::vector<int> m_whi;
    std::vector<double> m_alpha, m_u, m_tau, m_work, m_wAlpha;
};

// b - A x in extended precision, row by row.
std::vector<double> Residual(const AlmostBandedSystem& s, const std::vector<double>& x, const std::vector<double>& b)
{
    std::vector<double> r(static_cast<size_t>(s.unknowns));
    for (int i = 0; i < s.unknowns; ++i) {
        long double sum = b[static_cast<size_t>(i)];
        if (i < s.dense) {
            const double* row = s.denseRows.data() + static_cast<size_t>(i) * s.unknowns;
            for (int c = 0; c < s.unknowns; ++c)
                sum -= static_cast<long double>(row[c]) * x[static_cast<size_t>(c)];
        } else {
            const double* row = s.band.data() + static_cast<size_t>(i - s.dense) * s.bandWidth();
            for (int c = std::max(0, i - s.lower); c <= std::min(s.unknowns - 1, i + s.upper); ++c)
                sum -= static_cast<long double>(row[c - i + s.lower]) * x[static_cast<size_t>(c)];
        }
        r[static_cast<size_t>(i)] = static_cast<double>(sum);
    }
    return r;
}

} // namespace

BandedOutcome SolveAlmostBanded(const AlmostBandedSystem& system, std::vector<double>& x, double& rounding,
                                const Progress& progress, BandedSolve how)
{
    rounding = 0;
    x.clear();
    if (!system.allFinite())
        return BandedOutcome::NotFinite;
    AlmostBandedQr qr(system);
    const BandedOutcome outcome = qr.factor(progress);
    if (outcome != BandedOutcome::Solved)
        return outcome;
    x = system.rhs;
    qr.solve(x);
    if (how == BandedSolve::Plain) {
        bool finite = true;
        for (double v : x)
            finite = finite && std::isfinite(v);
        if (!finite)
            x.clear();
        return finite ? BandedOutcome::Solved : BandedOutcome::NotFinite;
    }
    for (int step = 0; step < 2; ++step) {
        std::vector<double> delta = Residual(system, x, system.rhs);
        qr.solve(delta);
        for (size_t c = 0; c < x.size(); ++c)
            x[c] += delta[c];
        rounding = SumAbs(delta);
        if (!std::isfinite(rounding)) {
            x.clear();
            return BandedOutcome::NotFinite;
        }
    }
    // The data's rounding: half a unit in the last place of every right-hand side and of every
    // condition's entries (their products together as rounding errs, ProductsRounding), every
    // sign alike and alternating.
    const int n = system.unknowns;
    std::vector<double> same(static_cast<size_t>(n)), alternating(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r) {
        double v = std::fabs(system.rhs[static_cast<size_t>(r)]);
        if (r < system.dense)
            v += ProductsRounding(system.denseRows.data() + static_cast<size_t>(r) * n, x.data(), n);
        same[static_cast<size_t>(r)] = kUnit / 2 * v;
        // (a system's interleaved equations alternate row by row of each equation)
        const int group = system.stride == 1 || r < system.dense ? r : (r - system.dense) / system.stride;
        alternating[static_cast<size_t>(r)] = group % 2 ? -kUnit / 2 * v : kUnit / 2 * v;
    }
    qr.solve(same);
    qr.solve(alternating);
    const double data = std::fmax(SumAbs(same), SumAbs(alternating));
    // The band's rows rounded too, each row's products as rounding errs and the rows each their
    // own way (RoundingSign), as EliminateRefined does: what the operator's own rounding moves.
    // Not part of the test for a singular system below, which judges by the data alone.
    std::vector<double> probe(static_cast<size_t>(n), 0.0);
    for (int r = system.dense; r < n; ++r) {
        // Row r keeps columns r - lower ... r + upper side by side (those in the matrix).
        const int from = std::max(0, r - system.lower), to = std::min(n - 1, r + system.upper);
        const double* row = system.band.data() + static_cast<size_t>(r - system.dense) * system.bandWidth() +
                            (from - r + system.lower);
        probe[static_cast<size_t>(r)] =
            RoundingSign(r) * kUnit / 2 * ProductsRounding(row, x.data() + from, to - from + 1);
    }
    qr.solve(probe);
    const double operatorRounding = SumAbs(probe);
    // A solution that the data's own rounding moves in its ninth digit is a singular system's
    // (QR without pivoting need not show the rank it lacks as a small pivot: two equal
    // conditions left a pivot of 1E-8): said as singular, for an exact elimination to judge.
    if (!(data <= kSingularShare * SumAbs(x))) {
        x.clear();
        return BandedOutcome::Singular;
    }
    rounding = std::fmax(rounding, data);
    if (std::isfinite(operatorRounding))
        rounding = std::fmax(rounding, operatorRounding);
    return BandedOutcome::Solved;
}

bool BandedFailureStands(int unknowns) { return unknowns > kMaxCollocationAutoDegree + 1; }

Termination BandedTermination(BandedOutcome outcome, script::ScriptHost& host)
{
    switch (outcome) {
    case BandedOutcome::Solved:
        return Termination::Solved;
    case BandedOutcome::Cancelled:
        return Termination::Cancelled;
    case BandedOutcome::Singular:
        return Termination::LinearlyDependent;
    case BandedOutcome::NotFinite:
        break;
    }
    host.raise(script::ErrOverflow);
    host.trap();
    return Termination::ArithmeticFault;
}

} // namespace ode
