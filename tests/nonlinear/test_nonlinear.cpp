#include "common/FileIO.h"
#include "common/NumberFormat.h"
#include "linear/LinearSession.h"
#include "nonlinear/NonlinearSession.h"

#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <filesystem>

namespace {

using ode::NonlinearSession;
using ode::SeriesKind;

TEST(InitialApproximation, FollowsTheChoice)
{
    std::mt19937_64 random(5);
    std::vector<double> c = {7, 8};
    ode::ApplyInitialApproximation(0, 3, c, random);
    EXPECT_EQ(c, (std::vector<double>{0, 0, 0, 0}));
    ode::ApplyInitialApproximation(1, 2, c, random);
    EXPECT_EQ(c, (std::vector<double>{1, 1, 1}));
    c = {3, 4, 5};
    ode::ApplyInitialApproximation(4, 4, c, random);
    EXPECT_EQ(c, (std::vector<double>{3, 4, 5, 0, 0}));
    ode::ApplyInitialApproximation(4, 1, c, random);
    EXPECT_EQ(c, (std::vector<double>{3, 4}));
    ode::ApplyInitialApproximation(3, 9, c, random);
    EXPECT_EQ(c, (std::vector<double>{3, 4})) << "a loaded series stays as it is";
    ode::ApplyInitialApproximation(7, 9, c, random);
    EXPECT_EQ(c.size(), 2u);
    ode::ApplyInitialApproximation(2, 1000, c, random);
    std::vector<double> first = c;
    for (double a : c) {
        EXPECT_GT(a, -0.5);
        EXPECT_LE(a, 0.5);
    }
    ode::ApplyInitialApproximation(2, 1000, c, random);
    EXPECT_NE(c, first) << "every solve draws afresh";
}

struct Session {
    std::shared_ptr<ode::script::Class1> shared;
    std::vector<std::string> messages;
    NonlinearSession s;
    explicit Session(SeriesKind kind = SeriesKind::Power)
        : s(kind, shared, [this](const std::string& m) { messages.push_back(m); })
    {
        s.seedRandom(11);
    }
    void reciprocal(const char* approximation)
    {
        s.boxes.bcText = {"y=1", "y'+y^2=0"};
        s.boxes.bcPoint = {"1", "3"};
        s.boxes.approximation = approximation;
        s.boxes.errorD = "1E-6";
        s.boxes.errorC = "1E-8";
        s.boxes.maxcy = "30";
    }
};

TEST(Newton, ConvergesToTheReciprocalFromZeroOrUnitCoefficients)
{
    for (const char* start : {"0 - Zero coefficients", "1 - Unit coefficients", "2 - Random coefficients"}) {
        Session n;
        n.reciprocal(start);
        ASSERT_TRUE(n.s.solve()) << start << ": " << (n.s.lstCoeff().empty() ? "" : n.s.lstCoeff().back());
        for (double x : {1.0, 1.5, 2.2, 3.0})
            EXPECT_NEAR(ode::SeriesDerivative(n.s.series(), 0, x), 1 / x, 1e-6) << start << " at " << x;
        EXPECT_TRUE(n.s.lastReport().end.solved());
        const auto& list = n.s.lstCoeff();
        EXPECT_EQ(list[0], "COEFFICIENTS:   ( LAST CORRECTION: )");
        EXPECT_EQ(list[1].rfind("y(0)=0.5", 0), 0u);
        EXPECT_NE(list[1].find("      ( "), std::string::npos);
        EXPECT_EQ(list[24], "");
        EXPECT_EQ(list[25], "VALUE OF D.E. AT GRID POINTS:");
        EXPECT_EQ(list[27].rfind("D.E. ( x =1)=", 0), 0u);
        EXPECT_EQ(list[28].rfind("D.E. ( x =1.1)=", 0), 0u);
        EXPECT_EQ(list.size(), 1u + 23 + 3 + 21 + 3 + 2);
        EXPECT_EQ(n.s.lstBCError().size(), 2u);
        EXPECT_EQ(n.s.lstBCError()[0].rfind("B.C. #1=", 0), 0u);
    }
}

TEST(Newton, NoConvergenceListsTheBestResultsAndTheProblem)
{
    Session n;
    n.reciprocal("0 - Zero coefficients");
    n.s.boxes.maxcy = "2";
    n.s.boxes.errorC = "1E-30";
    EXPECT_FALSE(n.s.solve());
    const auto& list = n.s.lstCoeff();
    EXPECT_EQ(list.front(), "NO CONVERGENCE.  BEST RESULTS WERE:");
    EXPECT_EQ(list[list.size() - 2], "PROBLEMS ENCOUNTERED:");
    EXPECT_EQ(list.back(), "-CONVERGENCE PROBLEMS.");
    EXPECT_EQ(n.s.lastReport().passes, 2);
    EXPECT_TRUE(n.s.lstBCError().empty());
    // MaxIterations 0 still makes one pass.
    n.s.boxes.maxcy = "0";
    n.s.boxes.approximation = "0";
    EXPECT_FALSE(n.s.solve());
    EXPECT_EQ(n.s.lastReport().passes, 1);
    // The coefficients survive: the current approximation continues from them.
    const std::vector<double> kept = n.s.coef();
    n.s.boxes.approximation = "4 - Current approximation";
    n.s.boxes.maxcy = "30";
    n.s.boxes.errorC = "1E-8";
    EXPECT_TRUE(n.s.solve());
    EXPECT_NE(n.s.coef(), kept);
}

TEST(Newton, ASingularMatrixListsOnlyTheProblem)
{
    Session n;
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
    Session n;
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

TEST(Newton, TrigonometricSolutionIsFound)
{
    // y' + y^2 = cos x + sin^2 x has the periodic solution sin x: c1 = 1.
    Session n(SeriesKind::Trigonometric);
    n.s.boxes.order = "1";
    n.s.boxes.equation = "y'+y^2=cos(x)+sin(x)^2";
    n.s.boxes.bcText = {"y=0"};
    n.s.boxes.bcPoint = {"0"};
    n.s.boxes.xlower = "0";
    n.s.boxes.xupper = "3";
    n.s.boxes.expansion = "0";
    n.s.boxes.terms = "7";
    n.s.boxes.approximation = "0";
    n.s.boxes.errorD = "1E-9";
    n.s.boxes.errorC = "1E-9";
    ASSERT_TRUE(n.s.solve());
    const std::vector<double>& c = n.s.coef();
    for (size_t k = 0; k < c.size(); ++k)
        EXPECT_NEAR(c[k], k == 1 ? 1.0 : 0.0, 1e-7) << k;
    EXPECT_EQ(n.s.lstCoeff()[0], "COEFFICIENTS:                 LAST CORRECTION:");
    EXPECT_EQ(n.s.lstCoeff()[1].find(" ( "), std::string::npos);
}

TEST(NonlinearFiles, SaveOpenAndTheSeriesFromAFile)
{
    namespace fs = std::filesystem;
    const ode::test::ScratchFolder scratch("nonlinear-files");
    const fs::path& dir = scratch.path;
    const std::string file = (dir / "recip").string();
    Session a;
    a.reciprocal("1");
    ASSERT_TRUE(a.s.solve());
    ASSERT_TRUE(a.s.save(file));
    std::string text, error;
    ASSERT_TRUE(ode::ReadWholeFile(file + ".str", text, error));
    EXPECT_EQ(text.substr(0, text.find("\r\n")), "\"Pndif\",2,1E-06,1E-08,30,\"x\",\"y\",\"y''-2*y^3=0\"");
    EXPECT_NE(text.find(" 1            y=1\r\n 3            y'+y^2=0\r\n 0 \r\n"), std::string::npos);

    Session b;
    ASSERT_TRUE(b.s.open(file));
    EXPECT_TRUE(b.s.solved());
    EXPECT_EQ(b.s.boxes.errorD, "1E-06");
    EXPECT_EQ(b.s.boxes.maxcy, "30");
    EXPECT_EQ(b.s.boxes.expansion, "2");
    EXPECT_EQ(b.s.lstCoeff()[0], "EXPANSION COEFFICIENTS:");
    EXPECT_EQ(b.s.lstBCError().size(), 2u);

    // A linear problem file is another kind.
    std::shared_ptr<ode::script::Class1> shared;
    std::vector<std::string> seen;
    ode::LinearSession linear(SeriesKind::Power, shared, [&](const std::string& m) { seen.push_back(m); });
    EXPECT_FALSE(linear.open(file));
    EXPECT_EQ(seen, std::vector<std::string>{"Incompatible file"});

    // The saved series starts another solve.
    Session c;
    c.reciprocal("3 - Series from file");
    c.s.boxes.terms = "5";
    ASSERT_TRUE(c.s.loadSeries(file));
    EXPECT_EQ(c.s.boxes.terms, "22");
    EXPECT_EQ(c.s.boxes.expansion, "2");
    ASSERT_EQ(c.s.coef().size(), a.s.coef().size());
    for (size_t k = 0; k < a.s.coef().size(); ++k)
        EXPECT_EQ(c.s.coef()[k], ode::RoundTo15Digits(a.s.coef()[k])) << "the file keeps 15 digits";
    ASSERT_TRUE(c.s.solve());
    EXPECT_LE(c.s.lastReport().passes, 2);

    // Refusals fall back to random coefficients.
    ode::LinearSession unsolved(SeriesKind::Power, shared, {});
    ASSERT_TRUE(unsolved.save(file + "-unsolved"));
    EXPECT_FALSE(c.s.loadSeries(file + "-unsolved"));
    EXPECT_EQ(c.messages.back(), "No coefficients in file");
    EXPECT_EQ(c.s.boxes.approximation, "2 Random coefficients");
    ode::LinearSession trig(SeriesKind::Trigonometric, shared, {});
    ASSERT_TRUE(trig.save(file + "-trig"));
    EXPECT_FALSE(c.s.loadSeries(file + "-trig"));
    EXPECT_EQ(c.messages.back(), "Series is trigonometric");
    ASSERT_TRUE(ode::WriteFilesAtomically({{file + "-multi", "1,\"x\",0,1\r\n"}}, error));
    EXPECT_FALSE(c.s.loadSeries(file + "-multi"));
    EXPECT_EQ(c.messages.back(), "Series is multivariable");
}

TEST(NonlinearReport, ThirtyCharacterLabels)
{
    Session a;
    a.reciprocal("1");
    ASSERT_TRUE(a.s.solve());
    const auto lines = a.s.report();
    auto has = [&](const std::string& l) { return std::find(lines.begin(), lines.end(), l) != lines.end(); };
    EXPECT_TRUE(has("                        ORDER: 2 "));
    EXPECT_TRUE(has("          DEGREE OF EXPANSION: 22 "));
    EXPECT_TRUE(has("   MAXIMUM ERROR IN DE & BC'S: 1E-06 "));
    EXPECT_TRUE(has("MAXIMUM ERROR IN COEFFICIENTS: 1E-08 "));
    EXPECT_TRUE(has("      MAXIMUM # OF ITERATIONS: 30 "));
    EXPECT_TRUE(has("             INTERVAL STUDIED: [ 1 , 3 ]"));
    EXPECT_TRUE(has("          CENTER OF EXPANSION: 2 "));
    EXPECT_EQ(lines[lines.size() - 24], "EXPANSION COEFFICIENTS:");
}

} // namespace
