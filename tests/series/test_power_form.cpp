// The power series about the centre of a Chebyshev series, against functions whose Taylor
// coefficients are known, at degrees where repeated differentiation has no digit left.
#include "series/PowerForm.h"
#include "series/Series.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace ode;
using Function = std::function<long double(long double)>;

// The interpolant of degree N at the zeros of T(N+1), computed in long double: the Chebyshev
// series a solver would give, with its tail at rounding level once the function is resolved.
ChebyshevSeries Interpolant(const Function& f, double a, double b, int N)
{
    const int m = N + 1;
    const long double pi = 3.141592653589793238462643383279502884L;
    std::vector<long double> c(static_cast<size_t>(m), 0.0L);
    for (int i = 0; i < m; ++i) {
        const long double theta = pi * (2 * i + 1) / (2.0L * m), t = std::cos(theta);
        const long double y = f((a + b) / 2.0L + t * (b - a) / 2.0L);
        for (int j = 0; j < m; ++j)
            c[static_cast<size_t>(j)] += y * std::cos(j * theta);
    }
    ChebyshevSeries s;
    s.a = a;
    s.b = b;
    for (int j = 0; j < m; ++j)
        s.coef.push_back(static_cast<double>(c[static_cast<size_t>(j)] * (j == 0 ? 1.0L : 2.0L) / m));
    return s;
}

// Ai by its Taylor series (y'' = x y): a(k+3) = a(k) / ((k+2)(k+3)).
std::vector<long double> AiryTaylor(int K)
{
    std::vector<long double> t(static_cast<size_t>(K) + 1, 0.0L);
    t[0] = 0.355028053887817239260063186004L;
    t[1] = -0.258819403792806798405183560189L;
    for (int k = 0; k + 3 <= K; ++k)
        t[static_cast<size_t>(k) + 3] = t[static_cast<size_t>(k)] / ((k + 2.0L) * (k + 3.0L));
    return t;
}

long double SumTaylor(const std::vector<long double>& t, long double x)
{
    long double y = 0;
    for (size_t k = t.size(); k-- > 0;)
        y = y * x + t[k];
    return y;
}

struct Known {
    const char* what;
    Function f;
    double a, b, centre;
    std::vector<int> degrees;
    std::function<long double(int k)> taylor; // a_k about the centre
    double radius;                            // about the centre; 0: none within reach (entire)
    bool representable;                       // the power series converges on the whole interval
    // How close the sum comes to the solution on the interval: on a wide one the values on the
    // circles are large (sinh 10 on the circle through +-10i for sin on [-10, 10]), and their
    // rounding, divided by r^k, is what the coefficients can know.
    double accuracy = 1e-12;
};

std::vector<Known> KnownFunctions()
{
    const std::vector<long double> airy = AiryTaylor(400);
    std::vector<long double> j1(401, 0.0L);
    for (int m = 0; 2 * m + 1 <= 400; ++m)
        j1[static_cast<size_t>(2 * m + 1)] =
            (m % 2 ? -1.0L : 1.0L) / (std::ldexp(1.0L, 2 * m + 1) * std::tgamma(m + 1.0L) * std::tgamma(m + 2.0L));
    auto fact = [](int k) { return std::tgamma(k + 1.0L); };
    return {
        {"exp on [0, 1] about 0.5", [](long double x) { return std::exp(x); }, 0, 1, 0.5, {20, 200, 1000},
         [fact](int k) { return std::exp(0.5L) / fact(k); }, 0, true},
        {"sin on [-10, 10] about 0", [](long double x) { return std::sin(x); }, -10, 10, 0, {64, 500},
         [fact](int k) { return k % 2 ? ((k / 2) % 2 ? -1.0L : 1.0L) / fact(k) : 0.0L; }, 0, true, 1e-9},
        {"1/(x-1.5) on [-1, 1] about 0", [](long double x) { return 1 / (x - 1.5L); }, -1, 1, 0, {100, 1000},
         [](int k) { return -1 / std::pow(1.5L, k + 1); }, 1.5, true},
        {"Ai on [-2, 2] about 0", [airy](long double x) { return SumTaylor(airy, x); }, -2, 2, 0, {50, 80, 200},
         [airy](int k) { return airy[static_cast<size_t>(k)]; }, 0, true},
        {"J1 on [-4, 4] about 0", [j1](long double x) { return SumTaylor(j1, x); }, -4, 4, 0, {60, 300},
         [j1](int k) { return j1[static_cast<size_t>(k)]; }, 0, true},
        {"1/(1+25x^2) on [-1, 1] about 0", [](long double x) { return 1 / (1 + 25 * x * x); }, -1, 1, 0, {200},
         [](int k) { return k % 2 ? 0.0L : ((k / 2) % 2 ? -1.0L : 1.0L) * std::pow(25.0L, k / 2); }, 0.2, false},
    };
}

// Every coefficient finite and within what the Chebyshev series' digits leave of the Taylor
// coefficient (where repeated differentiation gave no digit at all from degree 60 on), at least
// five of those that matter on the interval right to 1E-5; the series summed on the interval as
// close to the solution as its accuracy says; the radius of convergence where there is one.
TEST(PowerForm, KnownTaylorCoefficients)
{
    for (const Known& c : KnownFunctions()) {
        long double largest = 0;
        for (int i = 0; i <= 200; ++i)
            largest = std::max(largest, std::fabs(c.f(c.a + (c.b - c.a) * i / 200.0L)));
        const double h = (c.b - c.a) / 2;
        for (int N : c.degrees) {
            const std::string what = std::string(c.what) + " at degree " + std::to_string(N);
            const ChebyshevSeries s = Interpolant(c.f, c.a, c.b, N);
            const PowerForm p = StablePowerForm(s, c.centre);
            ASSERT_EQ(p.coef.size(), static_cast<size_t>(N) + 1) << what;
            int checked = 0;
            for (int k = 0; k <= N; ++k) {
                const double a = p.coef[static_cast<size_t>(k)], e = p.error[static_cast<size_t>(k)];
                ASSERT_TRUE(std::isfinite(a) && std::isfinite(e) && e >= 0) << what << ", k = " << k;
                const long double exact = c.taylor(k);
                const double u = p.uncertainty[static_cast<size_t>(k)];
                // Within what the Chebyshev series' digits leave of it (and the rounding), for
                // every coefficient of a function the series holds to rounding on its circles.
                if (c.representable)
                    EXPECT_LE(std::fabs(a - static_cast<double>(exact)), 2 * (e + u)) << what << ", k = " << k;
                checked += c.representable && std::fabs(a - exact) <= 1e-5L * std::fabs(exact) &&
                           std::fabs(exact) * std::pow(static_cast<long double>(h), k) >= 1e-6L * largest;
            }
            double worst = 0;
            SeriesView v;
            v.coef = p.coef.data();
            v.degree = N;
            v.center = c.centre;
            for (int i = 0; i <= 200; ++i) {
                const long double x = c.a + (c.b - c.a) * i / 200.0L;
                worst = std::max(worst, static_cast<double>(std::fabs(PowerValue(v, static_cast<double>(x)) - c.f(x))));
            }
            EXPECT_LE(worst, (p.accuracy + 1e-14) * 1.01 * static_cast<double>(largest)) << what;
            if (c.representable) {
                EXPECT_GE(checked, 5) << what;
                EXPECT_LT(p.accuracy, c.accuracy) << what;
            } else {
                EXPECT_GT(p.accuracy, 1e-3) << what << ": a power series about 0 cannot reach x = 1";
            }
            if (c.radius > 0) {
                EXPECT_FALSE(p.radiusAtLeast) << what;
                EXPECT_NEAR(p.radius, c.radius, 0.1 * c.radius) << what;
            } else {
                EXPECT_GT(p.radius, h) << what << ": no singularity near the interval";
            }
        }
    }
}

// The issue that started this: Airy at degree 80 summed as a power series at x = 2.
TEST(PowerForm, AiryAtDegreeEightySumsToItsValueAtTheEnd)
{
    const std::vector<long double> airy = AiryTaylor(400);
    const ChebyshevSeries s = Interpolant([&](long double x) { return SumTaylor(airy, x); }, -2, 2, 80);
    const PowerForm p = StablePowerForm(s, 0);
    SeriesView v;
    v.coef = p.coef.data();
    v.degree = 80;
    EXPECT_NEAR(PowerValue(v, 2), 0.0349241304232743791, 5e-14);
    const PowerForm offCentre = StablePowerForm(s, 1); // any centre in the interval
    v.coef = offCentre.coef.data();
    v.center = 1;
    EXPECT_NEAR(PowerValue(v, -2), static_cast<double>(SumTaylor(airy, -2)), 1e-13);
}

// What a solve at degree 4000 leaves: the solution's coefficients, then a noise tail that still
// falls slowly (1E-18 to 1E-22 over thousands of coefficients). It must be left out, or its
// growth on the circles makes the power series wrong by 1E+21 (sin on [-10, 10] about 7); and
// the radius must not depend on the solution's scale.
TEST(PowerForm, SlowNoiseAndScale)
{
    ChebyshevSeries s = Interpolant([](long double x) { return std::sin(x); }, -10, 10, 60);
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> sign(-1, 1);
    for (int j = 61; j <= 4000; ++j)
        s.coef.push_back(sign(random) * 1e-18 * std::pow(1e-4, (j - 61) / 3939.0));
    for (double centre : {0.0, 7.0, -10.0}) {
        const PowerForm p = StablePowerForm(s, centre);
        EXPECT_LT(p.accuracy, 1e-4) << "about " << centre; // the cancellation of sin's series over 20, not 1E+21
        EXPECT_TRUE(p.radiusAtLeast) << "about " << centre << ": sin has no singularity";
    }
    const ChebyshevSeries pole = Interpolant([](long double x) { return 1 / (x - 1.5L); }, -1, 1, 100);
    for (double scale : {1e-100, 1e-10, 1.0, 1e10, 1e100}) {
        ChebyshevSeries scaled = pole;
        for (double& c : scaled.coef)
            c *= scale;
        const PowerForm p = StablePowerForm(scaled, 0);
        EXPECT_NEAR(p.radius, 1.5, 0.15) << scale;
        EXPECT_FALSE(p.radiusAtLeast) << scale;
        EXPECT_LT(p.accuracy, 1e-12) << scale;
    }
}

TEST(PowerForm, ZeroAndConstantSeries)
{
    ChebyshevSeries zero;
    zero.coef = {0, 0, 0};
    const PowerForm z = StablePowerForm(zero, 0);
    EXPECT_EQ(z.coef, std::vector<double>({0, 0, 0}));
    EXPECT_EQ(z.accuracy, 0);
    ChebyshevSeries line;
    line.a = 0;
    line.b = 2;
    line.coef = {3, 1}; // 3 + (x - 1)
    const PowerForm l = StablePowerForm(line, 1);
    EXPECT_NEAR(l.coef[0], 3, 1e-15);
    EXPECT_NEAR(l.coef[1], 1, 1e-15);
    EXPECT_TRUE(std::isinf(l.radius));
}

} // namespace
