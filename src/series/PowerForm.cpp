#include "series/PowerForm.h"

#include "common/Power.h"
#include "series/Series.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <deque>
#include <limits>
#include <utility>

namespace ode {

namespace {

using Complex = std::complex<double>;
constexpr double kEps = 2.220446049250313e-16;
constexpr double kInf = std::numeric_limits<double>::infinity();

// Clenshaw's recurrence for c0 T0(t) + ... + c(n-1) T(n-1)(t) at four complex points t at once
// (their recurrences are independent, so they run side by side instead of waiting on each other),
// in real and imaginary parts: std::complex's product checks for infinities at every step, which
// costs ten times the arithmetic here.
void ClenshawAt4(const std::vector<double>& c, size_t n, const Complex* t, Complex* out)
{
    double tr[4], ti[4], b1r[4] = {}, b1i[4] = {}, b2r[4] = {}, b2i[4] = {};
    for (int p = 0; p < 4; ++p) {
        tr[p] = t[p].real();
        ti[p] = t[p].imag();
    }
    for (size_t k = n; k-- > 1;) {
        const double ck = c[k];
        for (int p = 0; p < 4; ++p) {
            const double b0r = 2 * (tr[p] * b1r[p] - ti[p] * b1i[p]) - b2r[p] + ck;
            const double b0i = 2 * (tr[p] * b1i[p] + ti[p] * b1r[p]) - b2i[p];
            b2r[p] = b1r[p];
            b2i[p] = b1i[p];
            b1r[p] = b0r;
            b1i[p] = b0i;
        }
    }
    for (int p = 0; p < 4; ++p)
        out[p] = {c[0] + tr[p] * b1r[p] - ti[p] * b1i[p] - b2r[p], tr[p] * b1i[p] + ti[p] * b1r[p] - b2i[p]};
}

// x_k <- sum over m of x_m exp(-2 pi i k m / M) for M = x.size(), in place, where the x_m are
// symmetric (x_(M-m) the conjugate of x_m, so that the x_k are real): all of them by the iterative
// radix-2 transform when M is a power of two, else the first `wanted` directly, each from the upper
// half's points. The twiddles come from the tables of cos and sin of 2 pi m / M.
void Fourier(std::vector<Complex>& x, const std::vector<double>& cosine, const std::vector<double>& sine, size_t wanted)
{
    const size_t M = x.size();
    if (M & (M - 1)) {
        std::vector<double> sums(std::min(wanted, M));
        for (size_t k = 0; k < sums.size(); ++k) {
            // x_0 + (-1)^k x_(M/2) + twice the real part of x_m exp(-2 pi i k m / M) over the rest
            double sum = 0;
            for (size_t m = 1, q = k; m < M / 2; ++m) {
                sum += x[m].real() * cosine[q] + x[m].imag() * sine[q];
                q += k;
                if (q >= M)
                    q -= M;
            }
            sums[k] = x[0].real() + (k % 2 ? -x[M / 2].real() : x[M / 2].real()) + 2 * sum;
        }
        for (size_t k = 0; k < sums.size(); ++k)
            x[k] = sums[k];
        return;
    }
    for (size_t i = 1, j = 0; i < M; ++i) {
        size_t bit = M >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(x[i], x[j]);
    }
    for (size_t length = 2; length <= M; length <<= 1) {
        const size_t half = length / 2, step = M / length;
        for (size_t start = 0; start < M; start += length)
            for (size_t k = 0; k < half; ++k) {
                const Complex w(cosine[k * step], -sine[k * step]);
                const Complex u = x[start + k], v = x[start + k + half] * w;
                x[start + k] = u + v;
                x[start + k + half] = u - v;
            }
    }
}

// |t + sqrt(t^2 - 1)| on the branch where it is at least 1: |Tj(t)| is at most its j-th power.
double Bernstein(Complex t)
{
    const Complex w = std::sqrt(t * t - 1.0);
    return std::max(std::abs(t + w), std::abs(t - w));
}

// |c0| + |c1| rho + ... + |c(n-1)| rho^(n-1): what the sum at a point of that ellipse can round
// against (infinite when it overflows).
double SizeOnEllipse(const std::vector<double>& c, size_t n, double rho)
{
    double sum = 0;
    for (size_t k = n; k-- > 0;)
        sum = sum * rho + std::fabs(c[k]);
    return sum;
}

// The radius of convergence from the root test |a_k|^(-1/k) over the last third of the
// coefficients the Chebyshev series determines (ten times above what its rounding leaves of
// them; at least three of them, else infinite for a polynomial of a few terms, else unknown).
void EstimateRadius(PowerForm& f, const std::vector<double>& logDetermined, bool resolved, double size)
{
    // |a_k| r^k is about the solution's size on the circle of radius r: the estimates are taken
    // relative to the size on the interval, so that they do not depend on the solution's scale.
    std::vector<double> estimates;
    for (size_t k = 1; k < f.coef.size(); ++k)
        if (f.coef[k] != 0 && size > 0 && std::log(std::fabs(f.coef[k])) > logDetermined[k] + std::log(10.0))
            estimates.push_back(Power(std::fabs(f.coef[k]) / size, -1.0 / static_cast<double>(k)));
    if (estimates.size() < 3) {
        // A series of a few terms (eight at most, after the rounding tail) is a polynomial, which
        // has no singularity; of any other too little is known to tell.
        f.radius = resolved ? kInf : std::numeric_limits<double>::quiet_NaN();
        f.radiusAtLeast = false;
        return;
    }
    // The estimates tend to the radius; rising ones (a solution without singularities, or one
    // approached from below) give a floor, falling ones a value near it.
    const size_t from = estimates.size() - std::max<size_t>(3, estimates.size() / 3);
    f.radius = estimates.back();
    f.radiusAtLeast = estimates.back() > 1.02 * estimates[from];
}

} // namespace

static PowerForm MakeStablePowerForm(const ChebyshevSeries& s, double centre)
{
    PowerForm f;
    const size_t size = s.coef.size();
    f.coef.assign(size, 0.0);
    f.error.assign(size, 0.0);
    f.radius = kInf;
    if (size == 0)
        return f;
    double scale = 0;
    for (double c : s.coef)
        scale = std::fmax(scale, std::fabs(c));
    if (!std::isfinite(scale)) {
        f.error.assign(size, std::numeric_limits<double>::max());
        f.accuracy = kInf;
        return f;
    }

    // Leave out the tail from where it stops falling at rounding level: the first coefficient,
    // below 1000 eps of the largest, from which the envelope (the largest |c| from there on)
    // falls less than tenfold over the next 3 to 20 coefficients (N/20 between; the noise of a
    // solve at degree 4000 still falls a hundredfold over thousands of coefficients). That is the floor the
    // solver's rounding left, and off the interval, where the circles run, it would grow like
    // the polynomials; what lies above it is the solution's own, however small (a
    // well-conditioned solve gives coefficients far below eps of the largest, and they count).
    std::vector<double> envelope(size);
    for (size_t j = size; j-- > 0;)
        envelope[j] = std::fmax(std::fabs(s.coef[j]), j + 1 < size ? envelope[j + 1] : 0.0);
    const size_t window = std::min<size_t>(20, std::max<size_t>(3, size / 20));
    size_t n = size;
    for (size_t j = 1; j < size; ++j) {
        if (envelope[j] > 1000 * kEps * scale)
            continue;
        const double later = envelope[std::min(j + window, size - 1)];
        if (envelope[j] == 0 || later >= 0.1 * envelope[j]) {
            n = j;
            break;
        }
    }
    const double level = n < size ? envelope[n] : 0.0;

    // How fast the coefficients fall where they are cut: the tail beyond is taken to go on
    // falling at that rate from the chop's level (or, for a series not resolved to rounding,
    // from its last coefficient).
    std::vector<double> kept(n);
    for (size_t j = n; j-- > 0;)
        kept[j] = std::fmax(std::fabs(s.coef[j]), j + 1 < n ? kept[j + 1] : 0.0);
    const size_t w = std::max<size_t>(1, n / 4);
    double fall = n > w && kept[n - 1] > 0 ? Power(kept[n - 1 - w] / kept[n - 1], 1.0 / static_cast<double>(w)) : 1.0;
    fall = std::fmax(fall, 1.001);
    const double tailStart = n < size ? level : std::fabs(s.coef[n - 1]);

    // M points on each circle: at least n (fewer would fold a_(k+M) r^M into a_k) and even (the
    // lower half mirrors the upper). The sums at the points cost most; the transform of a power
    // of two is cheap, a direct one costs about a quarter of the sums: a power of two where it is
    // within a third above n, else n itself.
    const double h = (s.b - s.a) / 2;
    size_t M = 8;
    while (M < n)
        M *= 2;
    if (4 * n <= 3 * M)
        M = std::max<size_t>(8, n + n % 2);
    std::vector<double> cosine(M), sine(M);
    for (size_t m = 0; m < M; ++m) {
        const double angle = 2 * 3.14159265358979323846 * static_cast<double>(m) / static_cast<double>(M);
        cosine[m] = std::cos(angle);
        sine[m] = std::sin(angle);
    }
    std::vector<double> logBound(size, kInf);
    // What the Chebyshev coefficients' own rounding (about eps * scale each) leaves of the
    // solution's Taylor coefficients: the same Cauchy bound with that noise in every coefficient
    // kept. A coefficient well above it is the solution's own; the radius is read from those.
    std::vector<double> logDetermined(size, kInf);
    std::vector<Complex> values(M), t(M / 2 + 1);
    for (int i = 0; i <= 8; ++i) {
        const double r = h * std::ldexp(1.0, i - 4);
        // The points of the upper half of the circle (the lower half is its mirror) and the
        // largest ellipse they reach, which bounds what the sum there can round against.
        double rho = 1;
        for (size_t m = 0; m <= M / 2; ++m) {
            t[m] = Complex(2 * (centre + r * cosine[m]) - s.a - s.b, 2 * r * sine[m]) / (s.b - s.a);
            rho = std::fmax(rho, Bernstein(t[m]));
        }
        // What the values can be off by on this circle: the rounding of a sum of n terms of
        // these sizes.
        const double E = kEps * static_cast<double>(n + 1) * SizeOnEllipse(s.coef, n, rho);
        if (!std::isfinite(E) || E == 0)
            continue;
        const double logE = std::log(E), logR = std::log(r);
        double noise = 0; // 1 + rho + ... + rho^(n-1)
        for (size_t j = 0; j < n; ++j)
            noise = noise * rho + 1;
        // and the tail beyond the coefficients kept, falling at the rate seen: unbounded on a
        // circle that reaches as far as that rate allows
        const double tail = rho < fall ? tailStart * Power(rho, static_cast<double>(n)) / (1 - rho / fall) : kInf;
        const double logNoise = std::log(kEps * scale * noise + tail);
        for (size_t k = 0; k < size; ++k)
            logDetermined[k] = std::fmin(logDetermined[k], logNoise - static_cast<double>(k) * logR);
        // The values are summed only on a circle that gives some coefficient a smaller bound
        // than the circles before (a large circle only helps the high coefficients, a small one
        // the low ones; at high degree most circles help none).
        bool helps = false;
        for (size_t k = 0; k < n && !helps; ++k)
            helps = logE - static_cast<double>(k) * logR < logBound[k];
        if (!helps)
            continue;
        bool finite = true;
        for (size_t first = 0; first <= M / 2; first += 4) {
            Complex at[4], value[4];
            for (size_t p = 0; p < 4; ++p)
                at[p] = t[std::min(first + p, M / 2)];
            ClenshawAt4(s.coef, n, at, value);
            for (size_t p = 0; p < 4 && first + p <= M / 2; ++p) {
                const size_t m = first + p;
                values[m] = value[p];
                if (m > 0 && m < M / 2)
                    values[M - m] = std::conj(value[p]);
                finite = finite && std::isfinite(value[p].real()) && std::isfinite(value[p].imag());
            }
        }
        if (!finite)
            continue;
        // The Fourier coefficients of the values: a_k r^k (real, the values being symmetric
        // about the real axis).
        Fourier(values, cosine, sine, n);
        for (size_t k = 0; k < n; ++k) {
            const double bound = logE - static_cast<double>(k) * logR;
            if (bound >= logBound[k])
                continue;
            logBound[k] = bound;
            const double a = values[k].real() / static_cast<double>(M) * std::exp(-static_cast<double>(k) * logR);
            f.coef[k] = std::isfinite(a) ? a : 0.0;
        }
    }
    f.uncertainty.resize(size);
    for (size_t k = 0; k < size; ++k) {
        const double u = std::exp(logDetermined[k]);
        f.uncertainty[k] = std::isfinite(u) ? u : std::numeric_limits<double>::max();
        const double bound = k < n ? std::exp(logBound[k]) : 0.0;
        f.error[k] = std::isfinite(bound) ? bound : std::numeric_limits<double>::max();
        if (!(std::fabs(f.coef[k]) > f.error[k]))
            f.coef[k] = 0; // no digit of it is known
    }


    // The power series against the Chebyshev series on the interval. A series whose whole sum
    // is far off (one not resolved, or reaching past its radius of convergence) is cut where its
    // partial sums come closest, its higher coefficients 0.
    constexpr int kPoints = 201;
    std::vector<double> xs(kPoints), ys(kPoints);
    double largest = 0;
    for (int i = 0; i < kPoints; ++i) {
        xs[i] = s.a + (s.b - s.a) * i / (kPoints - 1.0);
        ys[i] = ChebyshevDerivative(s, 0, xs[i]);
        largest = std::fmax(largest, std::fabs(ys[i]));
    }
    auto relative = [largest](double worst) { return largest > 0 ? worst / largest : worst; };
    // Past the last coefficient with a digit the sums do not change (the form's high
    // coefficients of a series it cannot represent are all 0): neither loop goes there.
    auto used = [](const std::vector<double>& coef) {
        size_t n = coef.size();
        while (n > 1 && coef[n - 1] == 0)
            --n;
        return n;
    };
    auto accuracyOf = [&](const std::vector<double>& coef) {
        SeriesView view;
        view.coef = coef.data();
        view.degree = static_cast<int>(used(coef)) - 1;
        view.center = centre;
        double worst = 0;
        for (int i = 0; i < kPoints; ++i) {
            const double off = std::fabs(PowerValue(view, xs[i]) - ys[i]);
            worst = std::isnan(off) ? kInf : std::fmax(worst, off); // fmax would pass over a NaN
        }
        return std::isfinite(worst) ? relative(worst) : kInf;
    };
    EstimateRadius(f, logDetermined, n <= 8, largest);
    f.accuracy = accuracyOf(f.coef);
    std::vector<double> sum(kPoints, 0.0), power(kPoints, 1.0);
    double best = kInf;
    size_t bestCut = size - 1;
    for (size_t k = 0, end = used(f.coef); k < end; ++k) {
        double worst = 0;
        for (int i = 0; i < kPoints; ++i) {
            if (f.coef[k] != 0)
                sum[i] += f.coef[k] * power[i];
            power[i] *= xs[i] - centre;
            const double off = std::fabs(sum[i] - ys[i]);
            worst = std::isnan(off) ? kInf : std::fmax(worst, off); // fmax would pass over a NaN
        }
        if (!std::isfinite(worst))
            break;
        if (relative(worst) < best) {
            best = relative(worst);
            bestCut = k;
        }
    }
    if (best < 0.5 * f.accuracy) {
        std::vector<double> cut = f.coef;
        std::fill(cut.begin() + static_cast<long>(bestCut) + 1, cut.end(), 0.0);
        const double shorter = accuracyOf(cut);
        if (shorter < f.accuracy) {
            f.coef = std::move(cut);
            f.accuracy = shorter;
            f.cut = static_cast<int>(bestCut);
        }
    }
    return f;
}

namespace {

struct Made {
    ChebyshevSeries series;
    double centre;
    PowerForm form;
};

std::deque<Made>& Kept()
{
    thread_local std::deque<Made> made;
    return made;
}

} // namespace

void ForgetPowerForms()
{
    Kept().clear();
}

PowerForm StablePowerForm(const ChebyshevSeries& s, double centre)
{
    // A solve asks for the same form more than once (the coefficients it lists, then the
    // readout of the report written from them): the last few forms made on this thread are kept.
    std::deque<Made>& made = Kept();
    for (const Made& m : made)
        if (m.centre == centre && m.series.a == s.a && m.series.b == s.b && m.series.coef == s.coef)
            return m.form;
    PowerForm f = MakeStablePowerForm(s, centre);
    made.push_front({s, centre, f});
    if (made.size() > 16) // a system of a few variables, each with its Newton correction
        made.pop_back();
    return f;
}

} // namespace ode
