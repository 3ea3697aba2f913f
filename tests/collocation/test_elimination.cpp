#include "collocation/Elimination.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <thread>

namespace {

using ode::AugmentedMatrix;
using ode::EliminationOutcome;

// The system of n unknowns whose entry (r, c) is f(r, c), the right-hand side's at c = n.
AugmentedMatrix Filled(int n, const std::function<double(int r, int c)>& f)
{
    AugmentedMatrix a(n);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c <= n; ++c)
            a.at(r, c) = f(r, c);
    return a;
}

TEST(Elimination, SmallSystemsEndAsKnown)
{
    using Outcome = EliminationOutcome;
    const struct {
        const char* what;
        std::vector<std::vector<double>> rows;
        Outcome outcome;
        std::vector<double> coef = {};     // when given, the unknowns
        std::vector<double> firstRow = {}; // when given, the pivot row afterwards
    } cases[] = {
        {"identity", {{1, 0, 0, 4}, {0, 1, 0, -2}, {0, 0, 1, 0.5}}, Outcome::Solved, {4, -2, 0.5}},
        // Rows 1 and 2 both hold magnitude 2 in column 0: the upper one becomes the pivot row.
        {"tied pivots", {{0, 1, 1, 1}, {2, 1, 0, 3}, {-2, 0, 3, -1}}, Outcome::Solved, {}, {2, 1, 0, 3}},
        // A zero column tells a dependent system from an inconsistent one by what remains.
        {"zero column", {{1, 0, 2}, {3, 0, 6}}, Outcome::LinearlyDependent},
        {"zero column, zero remainder", {{1, 0, 1}, {2, 0, 2}}, Outcome::LinearlyDependent},
        {"zero column, inconsistent", {{1, 0, 1}, {2, 0, 3}}, Outcome::Inconsistent},
        {"all zero", {{0, 0, 0}, {0, 0, 0}}, Outcome::LinearlyDependent},
        {"zero matrix, nonzero right-hand side", {{0, 0, 0}, {0, 0, 1}}, Outcome::Inconsistent},
        {"a tiny pivot is used", {{1e-300, 1}}, Outcome::Solved, {1e300}},
        {"overflow is a fault", {{1e-300, 1e10}}, Outcome::ArithmeticFault},
        {"huge below tiny", {{1e-300, 1, 1}, {1e300, 1e300, 1}}, Outcome::Solved},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AugmentedMatrix a = Filled(static_cast<int>(c.rows.size()), [&](int r, int k) {
            return c.rows[static_cast<size_t>(r)][static_cast<size_t>(k)];
        });
        std::vector<double> coef;
        ASSERT_EQ(ode::Eliminate(a, coef), c.outcome);
        for (size_t k = 0; k < c.coef.size(); ++k)
            EXPECT_DOUBLE_EQ(coef.at(k), c.coef[k]) << k;
        for (size_t k = 0; k < c.firstRow.size(); ++k)
            EXPECT_EQ(a.at(0, static_cast<int>(k)), c.firstRow[k]) << k;
    }
}

// Bit patterns, so that -0 and +0 and the payload of a NaN count too.
bool sameBits(double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; }

// How many of the numbers differ in any bit.
int differentBits(const std::vector<double>& x, const std::vector<double>& y)
{
    int different = x.size() == y.size() ? 0 : 1;
    for (size_t k = 0; k < std::min(x.size(), y.size()); ++k)
        different += !sameBits(x[k], y[k]);
    return different;
}

// How many entries of the two matrices differ in any bit, from row and column `from` on.
int differentBits(const AugmentedMatrix& x, const AugmentedMatrix& y, int from = 0)
{
    int different = 0;
    for (int r = from; r < x.unknowns(); ++r)
        for (int c = from; c < x.columns(); ++c)
            different += !sameBits(x.at(r, c), y.at(r, c));
    return different;
}

double uniform(std::mt19937_64& g) { return std::uniform_real_distribution<double>(-1, 1)(g); }

// The panelled, vectorised elimination against the one-step-at-a-time loop: every element of
// the matrix afterwards (the residues below the diagonal too), every unknown and the outcome,
// at sizes around the panel and block widths, on matrices with the awkward cases: pivot ties,
// zero columns inside and across panels, tiny and huge entries, dependent and inconsistent
// systems, overflow.
TEST(Elimination, PanelledEliminationIsBitIdenticalToThePlainLoop)
{
    struct Shape {
        const char* name;
        // The entry (r, c), the entries before it in row order already filled.
        double (*entry)(const AugmentedMatrix&, int r, int c, std::mt19937_64&);
    };
    const Shape shapes[] = {
        {"random", [](const AugmentedMatrix&, int, int, std::mt19937_64& g) { return uniform(g); }},
        {"ties and small integers",
         [](const AugmentedMatrix&, int, int, std::mt19937_64& g) {
             return static_cast<double>(std::uniform_int_distribution<int>(-2, 2)(g));
         }},
        {"zero columns",
         [](const AugmentedMatrix& a, int, int c, std::mt19937_64& g) {
             return (c % 37 == 5 || c == 47 || c == 48) && c < a.unknowns() ? 0.0 : uniform(g);
         }},
        {"dependent rows", [](const AugmentedMatrix& a, int r, int c,
                              std::mt19937_64& g) { return r % 50 == 49 ? 2 * a.at(r - 1, c) : uniform(g); }},
        // Collocation-like rows: powers of equally spaced points, badly conditioned.
        {"powers of a grid",
         [](const AugmentedMatrix& a, int r, int c, std::mt19937_64&) {
             const int n = a.unknowns();
             return c == n ? r : std::pow(-1.0 + 2.0 * r / (n - 1), c);
         }},
        {"overflow",
         [](const AugmentedMatrix&, int r, int c, std::mt19937_64& g) {
             return uniform(g) * (r == 70 ? 1e300 : c == 3 ? 1e-300 : 1.0);
         }},
    };
    const bool wide = ode::UseWideVectors(true);
    for (bool useWide : {false, true}) {
        if (useWide && !wide)
            continue;
        ode::UseWideVectors(useWide);
        for (int n : {96, 97, 143, 200, 301, 530}) {
            // Under the sanitizers (looking for memory faults, not new bits) the largest size,
            // most of the time, is left to the plain run.
            if (n > 400 && std::getenv("ODESERIES_SANITIZED"))
                continue;
            for (const Shape& shape : shapes) {
                SCOPED_TRACE(std::string(shape.name) + " n=" + std::to_string(n) + (useWide ? " 256-bit" : " 128-bit"));
                std::mt19937_64 gen(static_cast<uint64_t>(n));
                AugmentedMatrix panelled(n);
                for (int r = 0; r < n; ++r)
                    for (int c = 0; c <= n; ++c)
                        panelled.at(r, c) = shape.entry(panelled, r, c, gen);
                AugmentedMatrix plain = panelled;
                std::vector<double> coef, expected;
                const EliminationOutcome got = ode::Eliminate(panelled, coef);
                EXPECT_EQ(got, ode::EliminateUnblocked(plain, expected));
                EXPECT_EQ(differentBits(coef, expected), 0);
                EXPECT_EQ(differentBits(panelled, plain), 0);
            }
        }
    }
    ode::UseWideVectors(wide);
}

// Watching an elimination (a flag never set, a callback) changes no bit of it; the callback
// hears the fraction done after each panel, rising to 1, and nothing when the system is too
// small for panels.
TEST(Elimination, WatchingChangesNoBitAndReportsTheFractionDone)
{
    std::mt19937_64 gen(5);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int n : {40, 95, 96, 97, 300, 700}) {
        SCOPED_TRACE("n=" + std::to_string(n));
        AugmentedMatrix watched = Filled(n, [&](int, int) { return u(gen); }), plain = watched;
        std::atomic<bool> stop{false};
        std::vector<double> fractions;
        const ode::ProgressCallback callback = [&](const ode::ProgressInfo& info) {
            fractions.push_back(info.fraction);
        };
        std::vector<double> coef, expected;
        ASSERT_EQ(ode::Eliminate(watched, coef, ode::Progress(&stop, &callback)), EliminationOutcome::Solved);
        ASSERT_EQ(ode::Eliminate(plain, expected), EliminationOutcome::Solved);
        EXPECT_EQ(differentBits(coef, expected), 0);
        const size_t panels = n < 96 ? 0 : static_cast<size_t>((n - 1 + 47) / 48);
        ASSERT_EQ(fractions.size(), panels);
        for (size_t k = 1; k < fractions.size(); ++k)
            EXPECT_GT(fractions[k], fractions[k - 1]);
        if (!fractions.empty()) {
            EXPECT_GT(fractions.front(), 0);
            EXPECT_EQ(fractions.back(), 1);
        }
    }
}

// Another thread asks a large elimination to stop a tenth of a second in: it ends Cancelled at
// once (the bound here is loose so that a sanitizer build never fails it; the latency itself
// is measured by bench_elimination). A flag set before the start stops it before the first
// panel's steps reach the columns to its right.
TEST(Elimination, StopsSoonWhenAnotherThreadAsks)
{
    const int n = 4001;
    AugmentedMatrix a = Filled(n, [&](int r, int c) { return r == c ? n : 1.0 / (1 + r + 2 * c); });
    const AugmentedMatrix source = a;
    std::atomic<bool> stop{false};
    const ode::Progress progress(&stop, nullptr);
    std::chrono::steady_clock::time_point asked;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        asked = std::chrono::steady_clock::now();
        stop = true;
    });
    std::vector<double> coef;
    const EliminationOutcome outcome = ode::Eliminate(a, coef, progress);
    const auto returned = std::chrono::steady_clock::now();
    stopper.join();
    ASSERT_EQ(outcome, EliminationOutcome::Cancelled);
    EXPECT_LT(std::chrono::duration<double>(returned - asked).count(), 1.0);

    a = source;
    EXPECT_EQ(ode::Eliminate(a, coef, progress), EliminationOutcome::Cancelled);
    EXPECT_EQ(differentBits(a, source, 48), 0) << "rows below the first panel: untouched";
}

// Row equilibration multiplies each row by a power of two, so every entry keeps its digits and the
// largest of the unknowns' columns lands in [1, 2); rows it cannot judge stay as they are.
// A condition's products round each their own way: four of size 1 move its value by 2, not 4;
// products near the largest double or the smallest keep their size (no square overflows or
// underflows).
TEST(Elimination, ProductsRoundAsRoundingErrs)
{
    const struct {
        std::vector<double> row, x;
        double size;
    } cases[] = {
        {{1, -1, 1, -1}, {1, 1, 1, 1}, 2},
        {{3, 0, 0}, {2, 5, 7}, 6},
        {{1e300, 1e300}, {1e5, 1e5}, std::sqrt(2.0) * 1e305},
        {{1e-300, 1e-300}, {1e-20, 1e-20}, std::sqrt(2.0) * 1e-320},
        {{0, 0}, {1, 2}, 0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(ode::ProductsRounding(c.row.data(), c.x.data(), static_cast<int>(c.row.size())), c.size,
                    1e-15 * c.size)
            << c.size;
}

TEST(Elimination, EquilibrationScalesEachRowByAPowerOfTwo)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* what;
        std::vector<double> row, scaled; // unknowns, then the right-hand side
    } cases[] = {
        {"large collocation row", {3e12, -1e12, 5}, {3e12 / 0x1p41, -1e12 / 0x1p41, 5 / 0x1p41}},
        {"small row", {1e-9, 0.5e-9, 1}, {1e-9 * 0x1p30, 0.5e-9 * 0x1p30, 0x1p30}},
        {"already in [1, 2)", {1.5, -1, 7}, {1.5, -1, 7}},
        {"the right-hand side does not count", {0.25, 0, 1e6}, {1, 0, 4e6}},
        {"zero row", {0, 0, 3}, {0, 0, 3}},
        {"not finite", {inf, 1, 1}, {inf, 1, 1}},
        {"right-hand side not finite", {8, 1, inf}, {8, 1, inf}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AugmentedMatrix a(2);
        for (int k = 0; k < 3; ++k)
            a.at(0, k) = c.row[static_cast<size_t>(k)];
        a.at(1, 1) = 1;
        ode::EquilibrateRows(a);
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(a.at(0, k), c.scaled[static_cast<size_t>(k)]) << k;
    }
}

// Systems with known solutions (x_j = 1 + j/n, the right-hand sides A x in extended precision,
// then rounded). The condition estimate against the exact 1-norm of U^-1 (its columns solved one
// by one, so only below the panels' sizes, where it is cheap): never above it (each of Hager's values is ||U^-1 x|| for
// a unit x) and, on these matrices, within a factor 3 below. Keeping the factors changes nothing of the elimination
// (panelled and plain sizes alike), and the refined solve is not worse than the plain one (where
// the right-hand sides' rounding rules, as in Hilbert's matrices, neither can do better), with
// its measured rounding within a factor 100 of the error it leaves (floored at the rounding of
// the sum).
TEST(Elimination, TheInverseNormEstimateAndTheRefinedSolveAgainstKnownSolutions)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<double> uniform(-1, 1);
    const auto hilbert = [](int r, int c) { return 1.0 / (r + c + 1); };
    const struct {
        const char* what;
        int n;
        std::function<double(int, int)> entry;
    } cases[] = {
        {"diagonal 5", 5, [](int r, int c) { return r == c ? 1.0 / (r + 1) : 0.0; }},
        {"Hilbert 8", 8, hilbert},
        {"Hilbert 11", 11, hilbert},
        {"random 60", 60, [&](int, int) { return uniform(random); }},
        {"random 150 (panels)", 150, [&](int, int) { return uniform(random); }},
        {"graded 40", 40, [](int r, int c) { return std::pow(10.0, -r / 5.0) * (r == c ? 3 : 1.0 / (1 + r + c)); }},
        {"graded 120 (panels)", 120,
         [](int r, int c) { return std::pow(2.0, -r / 4.0) * (r == c ? 3 : 1.0 / (1 + r + c)); }},
        {"bidiagonal 30", 30, [](int r, int c) { return r == c       ? 1.0
                                                        : c == r + 1 ? -2.0
                                                                     : 0.0; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<double> exact(static_cast<size_t>(c.n));
        for (int j = 0; j < c.n; ++j)
            exact[static_cast<size_t>(j)] = 1 + static_cast<double>(j) / c.n;
        AugmentedMatrix a = Filled(c.n, [&](int r, int k) { return k < c.n ? c.entry(r, k) : 0.0; });
        for (int r = 0; r < c.n; ++r) {
            long double b = 0;
            for (int k = 0; k < c.n; ++k)
                b += static_cast<long double>(a.at(r, k)) * exact[static_cast<size_t>(k)];
            a.at(r, c.n) = static_cast<double>(b);
        }
        AugmentedMatrix plain = a, kept = a, refined = a;
        std::vector<double> x, y, z;
        ode::Factorisation factors;
        ASSERT_EQ(ode::Eliminate(plain, x), EliminationOutcome::Solved);
        ASSERT_EQ(ode::Eliminate(kept, y, {}, &factors), EliminationOutcome::Solved);
        EXPECT_EQ(differentBits(x, y), 0);
        int upper = 0; // the upper triangle and the right-hand sides
        for (int r = 0; r < c.n; ++r)
            for (int k = r; k <= c.n; ++k)
                upper += !sameBits(plain.at(r, k), kept.at(r, k));
        EXPECT_EQ(upper, 0);

        if (c.n < 96) {
            double norm = 0; // the largest column sum of U^-1
            for (int j = 0; j < c.n; ++j) {
                std::vector<double> column(static_cast<size_t>(c.n), 0.0);
                column[static_cast<size_t>(j)] = 1;
                double sum = 0;
                for (int r = c.n - 1; r >= 0; --r) {
                    double v = column[static_cast<size_t>(r)];
                    for (int k = r + 1; k < c.n; ++k)
                        v -= plain.at(r, k) * column[static_cast<size_t>(k)];
                    column[static_cast<size_t>(r)] = v / plain.at(r, r);
                    sum += std::fabs(column[static_cast<size_t>(r)]);
                }
                norm = std::fmax(norm, sum);
            }
            const double estimate = ode::TriangleInverseNormEstimate(plain);
            EXPECT_LE(estimate, norm * (1 + 1e-12));
            EXPECT_GE(estimate, norm / 3);
        }

        double rounding = 0;
        ASSERT_EQ(ode::EliminateRefined(refined, z, rounding), EliminationOutcome::Solved);
        double plainError = 0, refinedError = 0, size = 0;
        for (int j = 0; j < c.n; ++j) {
            plainError += std::fabs(x[static_cast<size_t>(j)] - exact[static_cast<size_t>(j)]);
            refinedError += std::fabs(z[static_cast<size_t>(j)] - exact[static_cast<size_t>(j)]);
            size += exact[static_cast<size_t>(j)];
        }
        EXPECT_LE(refinedError, 1.1 * plainError);
        const double floored = std::fmax(refinedError, 2.2e-16 * size);
        EXPECT_LE(rounding, 100 * floored) << "error " << refinedError;
        EXPECT_LE(refinedError, 100 * rounding) << "error " << refinedError;

        // None of these is singular along one direction apart (Hilbert's are ill-conditioned
        // throughout): asked for, no free direction is found and the solve is the same to the bit.
        AugmentedMatrix asked = a;
        std::vector<double> w, free = {1};
        double askedRounding = 0;
        ASSERT_EQ(ode::EliminateRefined(asked, w, askedRounding, {}, 0, &free), EliminationOutcome::Solved);
        EXPECT_TRUE(free.empty());
        EXPECT_EQ(differentBits(w, z), 0);
        EXPECT_TRUE(sameBits(askedRounding, rounding));
    }
    AugmentedMatrix singular(2);
    singular.at(0, 0) = 1;
    EXPECT_TRUE(std::isinf(ode::TriangleInverseNormEstimate(singular)));
    EXPECT_EQ(ode::UnknownsOneNorm(Filled(3, [](int r, int c) { return r == 1 ? -c : 1.0; })), 4);
}

} // namespace
