// The accurate method's file beside a problem pair: written to every digit, read back the
// same, refused with a reason when damaged; and the sessions' Save and Open around it.

#include "collocation/AccurateFile.h"
#include "common/FileIO.h"
#include "linear/LinearSession.h"
#include "nonlinear/NonlinearSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <unistd.h>

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
    EXPECT_TRUE(back.autoDegree);
    EXPECT_EQ(back.maxDegree, 512);
    EXPECT_EQ(back.tolerance, 3e-14);
    ASSERT_EQ(back.solution.size(), 2u);
    EXPECT_EQ(back.solution[0].a, -1.5);
    EXPECT_EQ(back.solution[1].b, 2.25);
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

struct Folder {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("odeseries-acc-" + std::to_string(::getpid()));
    Folder() { std::filesystem::create_directories(dir); }
    ~Folder() { std::filesystem::remove_all(dir); }
    std::string operator/(const char* name) const { return (dir / name).string(); }
};

std::string Read(const std::string& path)
{
    std::string text, error;
    EXPECT_TRUE(ReadWholeFile(path, text, error)) << error;
    return text;
}

TEST(AccurateFile, ASolutionSavedInTheAccurateMethodReopensInItToEveryDigit)
{
    Folder folder;
    const std::string path = folder / "reciprocal";
    std::shared_ptr<script::Class1> shared;
    std::vector<std::string> messages;
    auto sink = [&](const std::string& m) { messages.push_back(m); };
    NonlinearSession first(SeriesKind::Power, shared, sink);
    first.boxes.bcText = {"y=1", "y'+y^2=0"};
    first.boxes.bcPoint = {"1", "3"};
    first.boxes.errorD = "1E-9";
    first.boxes.errorC = "1E-9";
    first.boxes.maxcy = "40";
    first.boxes.approximation = "1 - Unit coefficients";
    first.method = ProblemSession::Method::Chebyshev;
    first.maxDegree = 300;
    ASSERT_TRUE(first.solve());
    ASSERT_TRUE(first.save(path));
    // The pair is what the equally spaced method writes for these boxes and coefficients.
    std::string error;
    ASSERT_TRUE(SaveNonlinearProblem(folder / "plain", SeriesKind::Power, first.boxes, true, first.coef(), error));
    EXPECT_EQ(Read(path), Read(folder / "plain"));
    EXPECT_EQ(Read(path + ".str"), Read(folder / "plain.str"));

    NonlinearSession second(SeriesKind::Power, shared, sink);
    ASSERT_TRUE(second.open(path));
    EXPECT_EQ(second.method, ProblemSession::Method::Chebyshev);
    EXPECT_EQ(second.maxDegree, 300);
    ASSERT_TRUE(second.chebyshev());
    EXPECT_EQ(second.chebyshev()->coef, first.chebyshev()->coef);
    EXPECT_EQ(second.lstChebyshev(), first.lstChebyshev());
    for (ProblemSession* s : {static_cast<ProblemSession*>(&first), static_cast<ProblemSession*>(&second)}) {
        s->texts().xestimation = "2.5";
        s->texts().derNum = "2";
        ASSERT_TRUE(s->evaluate());
    }
    EXPECT_EQ(second.lblValue(), first.lblValue());
    EXPECT_EQ(second.lstDError(), first.lstDError());

    // Saved again in the equally spaced method: the accurate file goes, and it reopens so.
    second.method = ProblemSession::Method::EquallySpaced;
    ASSERT_TRUE(second.save(path));
    EXPECT_FALSE(std::filesystem::exists(path + ".acc"));
    NonlinearSession third(SeriesKind::Power, shared, sink);
    ASSERT_TRUE(third.open(path));
    EXPECT_EQ(third.method, ProblemSession::Method::EquallySpaced);
    EXPECT_FALSE(third.chebyshev());
    EXPECT_TRUE(messages.empty());
}

TEST(AccurateFile, ADamagedOrUnfittingFileIsSaidAndTheProblemStillOpens)
{
    Folder folder;
    const std::string path = folder / "airy";
    std::filesystem::copy_file(std::string(ODESERIES_EXAMPLES) + "/airy-solved", path);
    std::filesystem::copy_file(std::string(ODESERIES_EXAMPLES) + "/airy-solved.str", path + ".str");
    std::shared_ptr<script::Class1> shared;
    std::vector<std::string> messages;
    LinearSession s(SeriesKind::Power, shared, [&](const std::string& m) { messages.push_back(m); });
    std::string error;
    ASSERT_TRUE(WriteFilesAtomically({{path + ".acc", "ODE Series accurate method 1\nmethod magic\n"}}, error));
    ASSERT_TRUE(s.open(path));
    EXPECT_TRUE(s.solved());
    EXPECT_EQ(s.method, ProblemSession::Method::EquallySpaced);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "The file " + path + ".acc cannot be read: line 2: unknown method \"magic\". " +
                               "The problem opens in the equally spaced method.");
    // A solution of another degree: the method is chosen, the power series stands.
    messages.clear();
    ASSERT_TRUE(WriteFilesAtomically(
        {{path + ".acc", AccurateFileText({false, 1000, 1e-13, "", {ChebyshevSeries{-5, 5, {1, 2, 3}}}})}}, error));
    ASSERT_TRUE(s.open(path));
    EXPECT_EQ(s.method, ProblemSession::Method::Chebyshev);
    EXPECT_FALSE(s.chebyshev());
    EXPECT_TRUE(s.solved());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("does not fit the problem's interval and degree"), std::string::npos);
    // One saved with another problem file (a constant changed since, a file copied from another
    // problem): said, and the problem opens with its own series.
    messages.clear();
    ASSERT_TRUE(WriteFilesAtomically(
        {{path + ".acc", AccurateFileText({false,
                                           1000,
                                           1e-13,
                                           ProblemFingerprint("\"Pldif\",2,\"x\",\"y\",\"y''+y=0\"\r\n"),
                                           {ChebyshevSeries{-5, 5, std::vector<double>(41, 0.0)}}})}},
        error));
    ASSERT_TRUE(s.open(path));
    EXPECT_EQ(s.method, ProblemSession::Method::EquallySpaced);
    EXPECT_FALSE(s.chebyshev());
    EXPECT_TRUE(s.solved());
    EXPECT_EQ(messages, std::vector<std::string>{"The file " + path + ".acc was saved with another problem than " +
                                                 path + ".str; the problem opens in the equally spaced method."});
}

} // namespace
