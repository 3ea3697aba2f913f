// The banded form of the accurate method: a function's Chebyshev coefficients from samples, the
// operators in the ultraspherical bases, and the almost banded solve, each against an
// independent computation.

#include "collocation/Elimination.h"
#include "collocation/Ultraspherical.h"
#include "series/ChebyshevSeries.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>

namespace {

using namespace ode;

// sum g_r C(l)_r(s) by the three-term recurrence (l = 0: the Chebyshev polynomials).
double UltrasphericalSum(const std::vector<double>& g, int lambda, double s)
{
    double previous = 1, current = lambda == 0 ? s : 2 * lambda * s, sum = g.empty() ? 0 : g[0];
    for (size_t r = 1; r < g.size(); ++r) {
        sum += g[r] * current;
        const double k = static_cast<double>(r);
        const double next = lambda == 0 ? 2 * s * current - previous
                                        : (2 * (k + lambda) * s * current - (k + 2 * lambda - 1) * previous) / (k + 1);
        previous = current;
        current = next;
    }
    return sum;
}

TEST(Ultraspherical, SampledFunctionsGiveTheirChebyshevCoefficients)
{
    std::vector<double> c;
    // exp(s) = I0(1) + 2 sum Ik(1) Tk(s)
    ASSERT_TRUE(ResolveChebyshev([](double s, double& v) { return v = std::exp(s), true; }, 2049, c));
    const double bessel[] = {1.2660658777520082, 0.5651591039924850, 0.1357476697670383, 0.0221684249243319,
                             0.0027371202210468};
    for (int k = 0; k < 5; ++k)
        EXPECT_NEAR(c[k], k == 0 ? bessel[0] : 2 * bessel[k], 4e-16) << k;
    EXPECT_LE(c.size(), 17u);
    // A polynomial keeps exactly its own coefficients, the noise above them dropped; the small
    // constant of 1E-3 + s^2 keeps its digits (a double sum of the samples loses some).
    ASSERT_TRUE(ResolveChebyshev([](double s, double& v) { return v = 1e-3 + s * s, true; }, 2049, c));
    ASSERT_EQ(c.size(), 3u);
    EXPECT_NEAR(c[0], 0.501, 1e-18);
    EXPECT_NEAR(c[1], 0, 1e-16);
    EXPECT_NEAR(c[2], 0.5, 1e-17);
    ASSERT_TRUE(ResolveChebyshev([](double, double& v) { return v = 0, true; }, 2049, c));
    EXPECT_TRUE(c.empty()) << "a zero coefficient is no term";
    // Not smooth, failing or not finite: not resolved, so the collocation takes over.
    EXPECT_FALSE(ResolveChebyshev([](double s, double& v) { return v = std::fabs(s), true; }, 2049, c));
    EXPECT_FALSE(ResolveChebyshev([](double s, double& v) { return v = 1, s < 0.9; }, 2049, c));
    EXPECT_FALSE(ResolveChebyshev([](double s, double& v) { return v = 1 / (s - std::cos(M_PI / 34)), true; }, 2049, c));
    EXPECT_TRUE(c.empty());
}

// L y written in C(n) coefficients by the operator, summed at points, against the coefficients
// times y's derivatives there; orders 1 to 4 on [1, 4] (scale 2/3), and f's conversion alike.
TEST(Ultraspherical, TheOperatorIsTheEquationInTheHighestBasis)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> uniform(-1, 1);
    ChebyshevSeries y;
    y.a = 1;
    y.b = 4;
    for (int j = 0; j <= 24; ++j)
        y.coef.push_back(uniform(random) / (1 + j));
    const std::vector<std::vector<double>> coefficientSets[] = {
        {{0.5, -1, 0.25}, {2}},                                     // (0.5 - s + 0.25 T2) y + 2 y'
        {{1, 0, 0, 0.5}, {}, {3, 0.5}},                             // ... y + (3 + s/2) y''
        {{}, {0.1, 0.2, 0.3, 0.4}, {1, 0, 1e-3}, {-2, 1}},          // order 3, no y term
        {{0.3}, {0, 1}, {}, {}, {1.5, 0.25, -0.125, 0.0625, 0.01}}, // order 4
    };
    for (const auto& coefficients : coefficientSets) {
        // Degree 40 holds every row of L y (its degree is at most 24 + 4) and of f.
        const int n = static_cast<int>(coefficients.size()) - 1, N = 40;
        SCOPED_TRACE(n);
        std::vector<double> padded = y.coef;
        padded.resize(N + 1, 0.0);
        const BandMatrix op = UltrasphericalOperator(coefficients, 2.0 / 3, UltrasphericalSize(coefficients, N));
        std::vector<double> g(static_cast<size_t>(N + 1 - n), 0.0);
        for (int r = 0; r + n <= N; ++r)
            for (int c = 0; c <= N; ++c)
                g[static_cast<size_t>(r)] += op.get(r, c) * padded[static_cast<size_t>(c)];
        const std::vector<double> f = ConvertToUltraspherical(y.coef, n, N + 1 - n);
        for (double s = -1; s <= 1; s += 0.125) {
            const double x = 2.5 + 1.5 * s;
            double expected = 0;
            for (int k = 0; k <= n; ++k) {
                ChebyshevSeries a{-1, 1, coefficients[static_cast<size_t>(k)]};
                if (!a.coef.empty())
                    expected += ChebyshevDerivative(a, 0, s) * ChebyshevDerivative(y, k, x);
            }
            EXPECT_NEAR(UltrasphericalSum(g, n, s), expected, 1e-12 * (1 + std::fabs(expected))) << s;
            EXPECT_NEAR(UltrasphericalSum(f, n, s), ChebyshevDerivative(y, 0, x), 1e-13) << s;
        }
    }
}

// Random almost banded systems against the dense elimination; a zero column, a value that is
// not finite and a stop request each end as they should.
TEST(Ultraspherical, TheAlmostBandedSolveAgreesWithTheDenseOne)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<double> uniform(-1, 1);
    const struct {
        int unknowns, dense, lower, upper;
    } shapes[] = {{40, 2, 4, 6}, {200, 3, 5, 4}, {301, 4, 6, 0}, {7, 1, 2, 3}};
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.unknowns);
        AlmostBandedSystem s(shape.unknowns, shape.dense, shape.lower, shape.upper);
        AugmentedMatrix a(shape.unknowns);
        for (int r = 0; r < shape.unknowns; ++r) {
            for (int c = 0; c < shape.unknowns; ++c) {
                double v = 0;
                if (r < shape.dense)
                    v = s.denseRow(r)[c] = uniform(random);
                else if (c - r >= -shape.lower && c - r <= shape.upper)
                    v = s.bandAt(r, c) = uniform(random) + (c == r ? 3 : 0);
                a.row(r)[c] = v;
            }
            s.rhs[static_cast<size_t>(r)] = a.row(r)[shape.unknowns] = uniform(random);
        }
        std::vector<double> banded, dense;
        double rounding = -1;
        ASSERT_EQ(SolveAlmostBanded(s, banded, rounding), BandedOutcome::Solved);
        ASSERT_EQ(Eliminate(a, dense), EliminationOutcome::Solved);
        for (int c = 0; c < shape.unknowns; ++c)
            EXPECT_NEAR(banded[static_cast<size_t>(c)], dense[static_cast<size_t>(c)], 1e-11) << c;
        EXPECT_GT(rounding, 0);
        EXPECT_LT(rounding, 1e-10);

        AlmostBandedSystem singular = s;
        for (int r = 0; r < shape.unknowns; ++r) {
            if (r < shape.dense)
                singular.denseRow(r)[2] = 0;
            else if (2 - r >= -shape.lower && 2 - r <= shape.upper)
                singular.bandAt(r, 2) = 0;
        }
        EXPECT_EQ(SolveAlmostBanded(singular, banded, rounding), BandedOutcome::Singular);
        AlmostBandedSystem infinite = s;
        infinite.rhs.back() = INFINITY;
        EXPECT_EQ(SolveAlmostBanded(infinite, banded, rounding), BandedOutcome::NotFinite);
    }
    AlmostBandedSystem big(20000, 2, 3, 3);
    for (int r = 2; r < 20000; ++r)
        big.bandAt(r, r) = 1;
    big.denseRow(0)[0] = big.denseRow(1)[1] = 1;
    std::atomic<bool> stop{true};
    std::vector<double> x;
    double rounding = 0;
    EXPECT_EQ(SolveAlmostBanded(big, x, rounding, Progress(&stop, nullptr)), BandedOutcome::Cancelled);
}

} // namespace
