// The accurate method's file beside a problem pair: written to every digit, read back the
// same, refused with a reason when damaged; and the sessions' Save and Open around it.

#include "collocation/AccurateFile.h"
#include "common/FileIO.h"
#include "linear/LinearSession.h"
#include "nonlinear/NonlinearProblems.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

namespace {

using namespace ode;

TEST(AccurateFile, EveryDigitReadsBack)
{
    AccurateSettings s;
    s.autoDegree = true;
    s.maxDegree = 512;
    s.tolerance = 3e-14;
    s.solution = {ChebyshevSeries{-1.5, 2.25, {1.0 / 3, -2.0 / 7, 1e-300, -0.0, 5e-17}},
                  ChebyshevSeries{-1.5, 2.25, {0.25}}};
    const std::string text = AccurateFileText(s);
    EXPECT_EQ(text, "ODE Series accurate method 1\r\nmethod chebyshev\r\nautomatic-degree yes\r\nmax-degree 512\r\n"
                    "tolerance 3e-14\r\ninterval -1.5 2.25\r\ncoefficients 5\r\n0.3333333333333333\r\n"
                    "-0.2857142857142857\r\n1e-300\r\n-0\r\n5e-17\r\ncoefficients 1\r\n0.25\r\n");
    AccurateSettings back;
    std::string why;
    ASSERT_TRUE(ReadAccurateFile(text, back, why)) << why;
    EXPECT_EQ(std::make_tuple(back.autoDegree, back.maxDegree, back.tolerance), std::make_tuple(true, 512, 3e-14));
    ASSERT_EQ(back.solution.size(), 2u);
    EXPECT_EQ(std::make_pair(back.solution[0].a, back.solution[1].b), std::make_pair(-1.5, 2.25));
    EXPECT_EQ(back.solution[0].coef, s.solution[0].coef); // bit for bit
    EXPECT_EQ(back.solution[1].coef, s.solution[1].coef);
    // Without a solution the settings alone; LF line ends read as well as CR LF.
    s.solution.clear();
    std::string lf = AccurateFileText(s);
    lf.erase(std::remove(lf.begin(), lf.end(), '\r'), lf.end());
    ASSERT_TRUE(ReadAccurateFile(lf, back, why)) << why;
    EXPECT_TRUE(back.solution.empty());
}

TEST(AccurateFile, DamageIsRefusedWithItsLine)
{
    const std::string head = "ODE Series accurate method 1\nmethod chebyshev\nautomatic-degree no\nmax-degree 64\n";
    const struct {
        std::string text;
        const char* why;
    } cases[] = {
        {"", "line 1: this is not an accurate method file."},
        {"ODE Series accurate method 2\n", "line 1: this is not an accurate method file."},
        {"ODE Series accurate method 1\nmethod magic\n", "line 2: unknown method \"magic\"."},
        {"ODE Series accurate method 1\nmethod chebyshev\nautomatic-degree maybe\n",
         "line 3: automatic-degree is yes or no."},
        {head.substr(0, head.size() - 3) + "1.5\n",
         "line 4: the maximum degree must be a whole number from 2 to 100000."},
        {head, "line 5: \"tolerance\" expected."},
        {head + "tolerance -1\n", "line 5: the tolerance must be a number above 0 and below 1."},
        {head + "tolerance 1\n", "line 5: the tolerance must be a number above 0 and below 1."},
        {head + "tolerance 1e-13\ninterval 3 1\n", "line 6: the interval must be two numbers, the lower first."},
        {head + "tolerance 1e-13\ninterval 1 3\ncoefficients 3\n0.5\nabc\n", "line 9: a coefficient must be a number."},
        {head + "tolerance 1e-13\ninterval 1 3\ncoefficients 3\n0.5\n",
         "line 9: the file ends before its 3 coefficients."},
        {head + "tolerance 1e-13\ninterval 1 3\ncoefficients 1e9\n",
         "line 7: the number of coefficients must be a whole number from 1 to 100001."},
    };
    for (const auto& c : cases) {
        AccurateSettings s;
        s.maxDegree = 7;
        std::string why;
        EXPECT_FALSE(ReadAccurateFile(c.text, s, why)) << c.text;
        EXPECT_EQ(why, c.why) << c.text;
        EXPECT_EQ(s.maxDegree, 7) << "a refused file changes nothing";
    }
}

TEST(AccurateFile, ASolutionSavedInTheAccurateMethodReopensInItToEveryDigit)
{
    const test::ScratchFolder folder("acc");
    const std::string path = folder.file("reciprocal");
    test::Nonlinear a, b, c;
    NonlinearSession &first = a.s, &second = b.s, &third = c.s;
    static_cast<NonlinearTexts&>(first.boxes) = test::Reciprocal();
    first.boxes.approximation = "1 - Unit coefficients";
    first.method = ProblemSession::Method::Chebyshev;
    first.maxDegree = 300;
    ASSERT_TRUE(first.solve());
    ASSERT_TRUE(first.save(path));
    // The pair is what the equally spaced method writes for these boxes and coefficients.
    std::string error;
    ASSERT_TRUE(SaveNonlinearProblem(folder.file("plain"), SeriesKind::Power, first.boxes, true, first.coef(), error));
    EXPECT_EQ(test::ReadText(path), test::ReadText(folder.file("plain")));
    EXPECT_EQ(test::ReadText(path + ".str"), test::ReadText(folder.file("plain.str")));

    ASSERT_TRUE(second.open(path));
    EXPECT_EQ(std::make_pair(second.method, second.maxDegree), std::make_pair(ProblemSession::Method::Chebyshev, 300));
    ASSERT_TRUE(second.chebyshev());
    EXPECT_EQ(second.chebyshev()->coef, first.chebyshev()->coef);
    EXPECT_EQ(second.lstChebyshev(), first.lstChebyshev());
    for (NonlinearSession* s : {&first, &second}) {
        s->boxes.xestimation = "2.5";
        s->boxes.derNum = "2";
        ASSERT_TRUE(s->evaluate());
    }
    EXPECT_EQ(second.lblValue(), first.lblValue());
    EXPECT_EQ(second.lstDError(), first.lstDError());

    // Saved again in the equally spaced method: the accurate file goes, and it reopens so.
    second.method = ProblemSession::Method::EquallySpaced;
    ASSERT_TRUE(second.save(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".acc"));
    ASSERT_TRUE(third.open(path));
    EXPECT_EQ(third.method, ProblemSession::Method::EquallySpaced);
    EXPECT_FALSE(third.chebyshev());
    EXPECT_EQ(a.messages.size() + b.messages.size() + c.messages.size(), 0u);
}

TEST(AccurateFile, ADamagedOrUnfittingFileIsSaidAndTheProblemStillOpens)
{
    const test::ScratchFolder folder("acc");
    const std::string path = folder.file("airy");
    std::filesystem::copy_file(std::string(ODESERIES_EXAMPLES) + "/airy-solved", path);
    std::filesystem::copy_file(std::string(ODESERIES_EXAMPLES) + "/airy-solved.str", path + ".str");
    const std::string other = ProblemFingerprint("\"Pldif\",2,\"x\",\"y\",\"y''+y=0\"\r\n"); // another problem's
    const struct {
        const char* what;
        std::string acc;
        ProblemSession::Method method;
        std::string message;
    } cases[] = {
        {"damaged", "ODE Series accurate method 1\nmethod magic\n", ProblemSession::Method::EquallySpaced,
         "The file " + path + ".acc cannot be read: line 2: unknown method \"magic\". " +
             "The problem opens in the equally spaced method."},
        // The method is chosen; the power series stands.
        {"a solution of another degree",
         AccurateFileText({false, 1000, 1e-13, "", {ChebyshevSeries{-5, 5, {1, 2, 3}}}}),
         ProblemSession::Method::Chebyshev,
         "The Chebyshev solution in " + path +
             ".acc does not fit the problem's interval and degree; the power series stands."},
        // A constant changed since, or a file copied from another problem.
        {"saved with another problem file",
         AccurateFileText({false, 1000, 1e-13, other, {ChebyshevSeries{-5, 5, std::vector<double>(41, 0.0)}}}),
         ProblemSession::Method::EquallySpaced,
         "The file " + path + ".acc was saved with another problem than " + path +
             ".str; the problem opens in the equally spaced method."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> messages;
        std::shared_ptr<script::Class1> shared;
        LinearSession s(SeriesKind::Power, shared, [&](const std::string& m) { messages.push_back(m); });
        std::string error;
        ASSERT_TRUE(WriteFilesAtomically({{path + ".acc", c.acc}}, error));
        ASSERT_TRUE(s.open(path));
        EXPECT_TRUE(s.solved());
        EXPECT_FALSE(s.chebyshev());
        EXPECT_EQ(s.method, c.method);
        EXPECT_EQ(messages, std::vector<std::string>{c.message});
    }
}

} // namespace
