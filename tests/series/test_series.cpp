#include "series/Series.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

using ode::SeriesKind;
using ode::SeriesView;

SeriesView view(SeriesKind kind, const std::vector<double>& c, double center, double period = 0)
{
    SeriesView v;
    v.kind = kind;
    v.coef = c.data();
    v.degree = static_cast<int>(c.size()) - 1;
    v.center = center;
    v.period = period;
    return v;
}

TEST(PowerSeries, AtTheCentreTheDerivativeIsFactorialTimesCoefficient)
{
    const std::vector<double> c = {1.5, -2, 0.25, 3, -0.5, 7};
    const SeriesView s = view(SeriesKind::Power, c, 0.75);
    for (int d = 0; d <= 8; ++d) {
        double expected = d < static_cast<int>(c.size()) ? ode::Factorials()[d] * c[d] : 0.0;
        EXPECT_EQ(ode::SeriesDerivative(s, d, 0.75), expected) << "order " << d;
    }
    const std::vector<double> cubic = {1, 2, 3, 4};
    for (double x : {-3.0, 0.0, 2.5})
        EXPECT_EQ(ode::SeriesDerivative(view(SeriesKind::Power, cubic, 0), 5, x), 0.0);
}

TEST(PowerSeries, HighDegreesUseTheRunningProductBeyondOneHundredSeventy)
{
    // Degree 200: the third derivative needs k!/(k-3)! for k up to 200, far past 170!.
    std::vector<double> c(201);
    for (size_t k = 0; k < c.size(); ++k)
        c[k] = std::pow(0.5, static_cast<double>(k)) / (1.0 + static_cast<double>(k));
    const SeriesView s = view(SeriesKind::Power, c, 0.1);
    const double x = 0.6, t = x - 0.1;
    long double direct = 0;
    for (int k = 3; k <= 200; ++k)
        direct += static_cast<long double>(k) * (k - 1) * (k - 2) * c[static_cast<size_t>(k)] *
                  std::pow(static_cast<long double>(t), k - 3);
    double got = ode::SeriesDerivative(s, 3, x);
    EXPECT_TRUE(std::isfinite(got));
    EXPECT_NEAR(got, static_cast<double>(direct), 1e-12 * std::fabs(static_cast<double>(direct)));
}

TEST(TrigSeries, ConstantsAndTheFirstHarmonics)
{
    const std::vector<double> one = {2.5};
    for (int d = 0; d <= 4; ++d)
        EXPECT_EQ(ode::SeriesDerivative(view(SeriesKind::Trigonometric, one, 0, 3), d, 1.3), d == 0 ? 2.5 : 0.0);

    // Period 2 pi, centre 0: y' (0) = c1 + 2 c3 + 3 c5.
    const std::vector<double> c = {0.5, 1, -2, 3, 0.25, -4};
    const SeriesView s = view(SeriesKind::Trigonometric, c, 0, ode::TwoPi());
    EXPECT_NEAR(ode::SeriesDerivative(s, 1, 0.0), 1 + 2 * 3 + 3 * -4, 1e-13);
    // N = 5 (odd): c5 multiplies sin 3t alone.
    const double x = 0.7;
    double expected =
        0.5 + std::sin(x) - 2 * std::cos(x) + 3 * std::sin(2 * x) + 0.25 * std::cos(2 * x) - 4 * std::sin(3 * x);
    EXPECT_NEAR(ode::SeriesDerivative(s, 0, x), expected, 1e-13);

    // Two terms: y''' = -c1 w^3 cos t.
    const std::vector<double> two = {1, 1.5};
    const double period = 4, w = ode::TwoPi() / period;
    const SeriesView s2 = view(SeriesKind::Trigonometric, two, 0.5, period);
    EXPECT_NEAR(ode::SeriesDerivative(s2, 3, 1.2), -1.5 * w * w * w * std::cos(w * 0.7), 1e-13);
}

// Each derivative against a central difference of the one below, at random points, for both
// families, orders 1 to 6.
TEST(SeriesDerivatives, AgreeWithFiniteDifferencesOfTheOrderBelow)
{
    std::mt19937_64 gen(11);
    std::uniform_real_distribution<double> u(-1, 1);
    for (SeriesKind kind : {SeriesKind::Power, SeriesKind::Trigonometric}) {
        for (int degree : {3, 8, 13}) {
            std::vector<double> c(static_cast<size_t>(degree) + 1);
            for (double& v : c)
                v = u(gen);
            const SeriesView s = view(kind, c, 0.2, 2.5);
            for (int trial = 0; trial < 20; ++trial) {
                const double x = u(gen);
                const double h = 1e-4;
                for (int d = 1; d <= 6; ++d) {
                    double fd =
                        (ode::SeriesDerivative(s, d - 1, x + h) - ode::SeriesDerivative(s, d - 1, x - h)) / (2 * h);
                    double exact = ode::SeriesDerivative(s, d, x);
                    double scale = 1 + std::fabs(exact) + std::fabs(ode::SeriesDerivative(s, d + 1, x));
                    EXPECT_NEAR(fd, exact, 1e-5 * scale) << (kind == SeriesKind::Power ? "power" : "trig")
                                                         << " N=" << degree << " d=" << d << " x=" << x;
                }
            }
        }
    }
}

TEST(SeriesDerivatives, AllOrdersInOnePassAreBitForBitTheSingleCalls)
{
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> uniform(-2.0, 2.0);
    struct Case {
        SeriesKind kind;
        int degree, upTo;
        double center, period;
    };
    const Case cases[] = {
        {SeriesKind::Power, 0, 2, 0.5, 0},          {SeriesKind::Power, 1, 2, 0.5, 0},
        {SeriesKind::Power, 2, 3, -1, 0},           {SeriesKind::Power, 22, 2, 2, 0},
        {SeriesKind::Power, 200, 2, 0, 0},          {SeriesKind::Power, 300, 5, 1.25, 0},
        {SeriesKind::Power, 40, 1, 0, 0},           {SeriesKind::Power, 40, 0, 0, 0},
        {SeriesKind::Trigonometric, 21, 3, 0.3, 6}, {SeriesKind::Trigonometric, 8, 2, 0, 1.5},
    };
    for (const Case& c : cases) {
        std::vector<double> coef(static_cast<size_t>(c.degree) + 1);
        for (double& a : coef)
            a = uniform(random) / (1 + 0.1 * static_cast<double>(&a - coef.data()));
        const SeriesView s = view(c.kind, coef, c.center, c.period);
        for (double x : {c.center, c.center + 0.7, c.center - 1.9, 1e-3, -0.0}) {
            std::vector<double> all(static_cast<size_t>(c.upTo) + 1, 99.0);
            ode::SeriesDerivatives(s, c.upTo, x, all.data());
            for (int d = 0; d <= c.upTo; ++d) {
                const double one = ode::SeriesDerivative(s, d, x);
                EXPECT_EQ(std::memcmp(&one, &all[static_cast<size_t>(d)], sizeof one), 0)
                    << "degree " << c.degree << " order " << d << " x=" << x << ": " << one << " vs " << all[d];
            }
        }
    }
}

TEST(Factorials, AreExactWhereDoublesAreAndFiniteUpTo170)
{
    const auto& f = ode::Factorials();
    EXPECT_EQ(f[0], 1);
    EXPECT_EQ(f[10], 3628800);
    EXPECT_EQ(f[20], 2432902008176640000.0);
    EXPECT_TRUE(std::isfinite(f[170]));
    EXPECT_GT(f[170], 7e306);
}

} // namespace
