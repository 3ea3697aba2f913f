// The equally spaced method for a single nonlinear equation. The lists' and the report's whole
// texts are pinned by the command line's cases (NonlinearFromUnitCoefficients,
// NonlinearTwoPassesDoNotConverge, NonlinearTrigonometric, NonlinearStoredSolution).
#include "common/FileIO.h"
#include "common/NumberFormat.h"
#include "linear/LinearSession.h"
#include "nonlinear/NonlinearProblems.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using ode::SeriesKind;
using ode::test::Nonlinear;

TEST(InitialApproximation, FollowsTheChoice)
{
    const struct {
        int choice, degree;
        std::vector<double> before, after;
    } cases[] = {
        {0, 3, {7, 8}, {0, 0, 0, 0}},
        {1, 2, {7, 8}, {1, 1, 1}},
        {4, 4, {3, 4, 5}, {3, 4, 5, 0, 0}}, // the current approximation, padded or cut
        {4, 1, {3, 4, 5}, {3, 4}},
        {3, 9, {3, 4}, {3, 4}}, // a loaded series stays as it is
        {7, 9, {3, 4}, {3, 4}},
    };
    std::mt19937_64 random(5);
    for (const auto& c : cases) {
        std::vector<double> coef = c.before;
        ode::ApplyInitialApproximation(c.choice, c.degree, coef, random);
        EXPECT_EQ(coef, c.after) << c.choice << " " << c.degree;
    }
    std::vector<double> first, second;
    ode::ApplyInitialApproximation(2, 1000, first, random);
    EXPECT_TRUE(std::all_of(first.begin(), first.end(), [](double a) { return a > -0.5 && a <= 0.5; }));
    ode::ApplyInitialApproximation(2, 1000, second, random);
    EXPECT_EQ(second.size(), 1001u);
    EXPECT_NE(first, second) << "every solve draws afresh";
}

TEST(Newton, ConvergesToTheReciprocalFromZeroUnitOrRandomCoefficients)
{
    for (const char* start : {"0 - Zero coefficients", "1 - Unit coefficients", "2 - Random coefficients"}) {
        Nonlinear n;
        n.reciprocal(start);
        ASSERT_TRUE(n.s.solve()) << start << ": " << (n.s.lstCoeff().empty() ? "" : n.s.lstCoeff().back());
        for (double x : {1.0, 1.5, 2.2, 3.0})
            EXPECT_NEAR(ode::SeriesDerivative(n.s.series(), 0, x), 1 / x, 1e-6) << start << " at " << x;
    }
}

TEST(Newton, NoConvergenceKeepsItsPassesAndTheCoefficientsForTheCurrentApproximation)
{
    Nonlinear n;
    n.reciprocal("0 - Zero coefficients");
    n.s.boxes.maxcy = "2";
    n.s.boxes.errorC = "1E-30";
    EXPECT_FALSE(n.s.solve());
    EXPECT_EQ(n.s.lastReport().passes, 2);
    // MaxIterations 0 still makes one pass.
    n.s.boxes.maxcy = "0";
    n.s.boxes.approximation = "0";
    EXPECT_FALSE(n.s.solve());
    EXPECT_EQ(n.s.lastReport().passes, 1);
    const std::vector<double> kept = n.s.coef();
    n.s.boxes.approximation = "4 - Current approximation";
    n.s.boxes.maxcy = "30";
    n.s.boxes.errorC = "1E-8";
    EXPECT_TRUE(n.s.solve());
    EXPECT_NE(n.s.coef(), kept);
}

TEST(Newton, ASingularMatrixListsOnlyTheProblem)
{
    Nonlinear n;
    n.s.boxes.order = "1";
    n.s.boxes.equation = "y'-y'=0"; // no partial derivative anywhere: a zero matrix
    n.s.boxes.bcText = {"y^2=1"};
    n.s.boxes.bcPoint = {"1"};
    n.s.boxes.approximation = "0";
    n.s.boxes.terms = "4";
    EXPECT_FALSE(n.s.solve());
    const auto& list = n.s.lstCoeff();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], "PROBLEMS ENCOUNTERED:");
    EXPECT_TRUE(list[1] == "-POSSIBLE LINEAR DEPENDENCE PROBLEMS." || list[1] == "-POSSIBLE INCONSISTENCE PROBLEMS.");
}

TEST(Newton, RuntimeErrorsEndTheSolveWithTheirMessage)
{
    Nonlinear n;
    n.reciprocal("1");
    n.s.boxes.equation = "y''-2*y^3+1/(x-2)=0";
    EXPECT_FALSE(n.s.solve());
    EXPECT_EQ(n.messages, std::vector<std::string>{"division by zero"});
    EXPECT_TRUE(n.s.lstCoeff().empty());
    n.messages.clear();
    n.s.boxes.equation = "y'''=0";
    EXPECT_FALSE(n.s.solve());
    EXPECT_EQ(n.messages.size(), 1u);
}

TEST(NonlinearFiles, SaveOpenAndTheSeriesFromAFile)
{
    const ode::test::ScratchFolder dir("nonlinear-files");
    const std::string file = dir.file("recip");
    Nonlinear a;
    a.reciprocal("1");
    ASSERT_TRUE(a.s.solve());
    ASSERT_TRUE(a.s.save(file));
    const std::string text = ode::test::ReadText(file + ".str");
    EXPECT_EQ(text.substr(0, text.find("\r\n")), "\"Pndif\",2,1E-06,1E-08,30,\"x\",\"y\",\"y''-2*y^3=0\"");
    EXPECT_NE(text.find(" 1            y=1\r\n 3            y'+y^2=0\r\n 0 \r\n"), std::string::npos);

    Nonlinear b;
    ASSERT_TRUE(b.s.open(file));
    EXPECT_TRUE(b.s.solved());
    EXPECT_EQ(std::vector<std::string>({b.s.boxes.errorD, b.s.boxes.maxcy, b.s.boxes.expansion}),
              std::vector<std::string>({"1E-06", "30", "2"}));
    EXPECT_EQ(b.s.lstBCError().size(), 2u);

    // A linear form refuses the nonlinear kind.
    std::vector<std::string> seen;
    ode::LinearSession linear(SeriesKind::Power, b.shared, [&](const std::string& m) { seen.push_back(m); });
    EXPECT_FALSE(linear.open(file));
    EXPECT_EQ(seen, std::vector<std::string>{"Incompatible file"});

    // The saved series starts another solve, from its 15 digits.
    Nonlinear c;
    c.reciprocal("3 - Series from file");
    c.s.boxes.terms = "5";
    ASSERT_TRUE(c.s.loadSeries(file));
    EXPECT_EQ(std::make_pair(c.s.boxes.terms, c.s.boxes.expansion),
              std::make_pair(std::string("22"), std::string("2")));
    ASSERT_EQ(c.s.coef().size(), a.s.coef().size());
    for (size_t k = 0; k < a.s.coef().size(); ++k)
        EXPECT_EQ(c.s.coef()[k], ode::RoundTo15Digits(a.s.coef()[k])) << k;
    ASSERT_TRUE(c.s.solve());
    EXPECT_LE(c.s.lastReport().passes, 2);

    // Refusals fall back to random coefficients.
    ode::LinearSession unsolved(SeriesKind::Power, c.shared, {}), trig(SeriesKind::Trigonometric, c.shared, {});
    ASSERT_TRUE(unsolved.save(file + "-unsolved"));
    ASSERT_TRUE(trig.save(file + "-trig"));
    EXPECT_FALSE(c.s.loadSeries(file + "-unsolved"));
    EXPECT_EQ(c.messages.back(), "No coefficients in file");
    EXPECT_EQ(c.s.boxes.approximation, "2 Random coefficients");
    EXPECT_FALSE(c.s.loadSeries(file + "-trig"));
    EXPECT_EQ(c.messages.back(), "Series is trigonometric");
}

} // namespace
