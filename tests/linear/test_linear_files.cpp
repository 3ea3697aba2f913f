#include "common/FileIO.h"
#include "linear/LinearFiles.h"
#include "linear/LinearProblems.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using ode::SeriesKind;
using ode::test::Linear;
using ode::test::ReadText;

struct Folder : ode::test::ScratchFolder {
    Folder() : ScratchFolder("files") {}
    std::string read(const std::string& name) const { return ReadText(file(name)); }
    void write(const std::string& name, const std::string& content) const
    {
        std::string error;
        ASSERT_TRUE(ode::WriteFilesAtomically({{file(name), content}}, error));
    }
};

// The form's default problem with its conditions and a constant.
void defaultProblem(ode::LinearSession& s)
{
    s.boxes.bcText = {"y'=0.5", "y=0"};
    s.boxes.bcPoint = {"0", "1"};
    s.boxes.constants = {"a=2.37"};
}

// A name that already ends in .str gets a second one for the problem file; texts with commas
// are quoted, and come back as they were.
TEST(LinearFiles, UnsolvedDefaultProblemIsWrittenByteForByte)
{
    Folder dir;
    Linear a;
    defaultProblem(a.s);
    a.s.boxes.bcText[1] = "y=Round(0.4, 0)";
    a.s.boxes.constants = {"a=2.37", "m=Round(1.25, 1)"};
    ASSERT_TRUE(a.s.save(dir.file("p.str")));
    EXPECT_EQ(dir.read("p.str"), "0,\"x\",-5,5\r\n 0 \r\n1,\"*\",23,#FALSE#\r\n");
    EXPECT_EQ(dir.read("p.str.str"), "\"Pldif\",2,\"x\",\"y\",\"x*x*y''+x*y'+(x*x-1)*y=0\"\r\n"
                                     " 0            y'=0.5\r\n"
                                     " 1            \"y=Round(0.4, 0)\"\r\n"
                                     " 2 \r\n"
                                     "a=2.37\r\n"
                                     "\"m=Round(1.25, 1)\"\r\n");
    Linear b;
    ASSERT_TRUE(b.s.open(dir.file("p.str")));
    EXPECT_FALSE(b.s.solved());
    EXPECT_TRUE(b.s.lstCoeff().empty());
    EXPECT_EQ(b.s.boxes.bcText, a.s.boxes.bcText);
    EXPECT_EQ(b.s.boxes.constants, a.s.boxes.constants);
}

TEST(LinearFiles, SolvedProblemReopensWithItsSolutionStanding)
{
    Folder dir;
    Linear a;
    defaultProblem(a.s);
    a.s.boxes.expansion = "*";
    a.s.boxes.xlower = "-1";
    a.s.boxes.xupper = "2";
    ASSERT_TRUE(a.s.solve());
    ASSERT_TRUE(a.s.save(dir.file("solved")));
    std::string series = dir.read("solved");
    EXPECT_EQ(series.rfind("0,\"x\",-1,2\r\n*\r\n1,\"*\",23,#TRUE#\r\n", 0), 0u) << "the centre \"*\" is kept";
    EXPECT_EQ(std::count(series.begin(), series.end(), '\n'), 3 + 24) << "24 coefficient lines";

    Linear b;
    ASSERT_TRUE(b.s.open(dir.file("solved")));
    EXPECT_TRUE(b.s.solved());
    EXPECT_EQ(b.s.boxes.expansion, "0.5") << "the midpoint comes back as a number";
    EXPECT_EQ(b.s.lstCoeff().size(), 25u);
    EXPECT_EQ(b.s.lstCoeff(), a.s.lstCoeff()) << "coefficients survive at 15 digits as listed";
    EXPECT_EQ(b.s.lstBCError().size(), 8u);
    b.s.boxes.xestimation = "0.3";
    EXPECT_TRUE(b.s.evaluate()) << "Evaluate works at once after Open";
}

TEST(LinearFiles, TrigonometricPairAndTheOtherFamilysSeries)
{
    Folder dir;
    Linear t(SeriesKind::Trigonometric);
    t.s.boxes.bcText = {"y=1", "y'=-6"};
    t.s.boxes.bcPoint = {"0", "0"};
    t.s.boxes.period = "6.5";
    ASSERT_TRUE(t.s.solve());
    ASSERT_TRUE(t.s.save(dir.file("trig")));
    EXPECT_EQ(dir.read("trig").rfind("0,\"x\",-5,5\r\n*\r\n0\r\n 6.5 \r\n15,#TRUE#\r\n", 0), 0u);
    EXPECT_EQ(dir.read("trig.str").rfind("\"Tldif\",2,", 0), 0u);

    Linear again(SeriesKind::Trigonometric);
    ASSERT_TRUE(again.s.open(dir.file("trig")));
    EXPECT_TRUE(again.s.solved());
    EXPECT_EQ(again.s.boxes.period, "6.5");
    EXPECT_EQ(again.s.boxes.terms, "15");
    EXPECT_EQ(again.s.lstCoeff(), t.s.lstCoeff());

    // A power-series form refuses the trigonometric problem file...
    Linear p;
    EXPECT_FALSE(p.s.open(dir.file("trig")));
    EXPECT_EQ(p.messages, std::vector<std::string>{"Incompatible file"});
    // ...and a series file of the other family loads the texts unsolved.
    dir.write("mixed", dir.read("trig"));
    dir.write("mixed.str", ode::LinearProblemFileText(SeriesKind::Power, p.s.boxes));
    ASSERT_TRUE(p.s.open(dir.file("mixed"))) << p.messages.back();
    EXPECT_FALSE(p.s.solved());
    EXPECT_TRUE(p.s.lstCoeff().empty());
}

// Saving into a missing folder fails visibly; a missing, short or damaged file changes nothing.
TEST(LinearFiles, MissingShortAndDamagedFilesChangeNothing)
{
    Folder dir;
    Linear a;
    defaultProblem(a.s);
    ASSERT_TRUE(a.s.solve());
    EXPECT_FALSE(a.s.save(dir.file("no/such/folder/p")));
    ASSERT_EQ(a.messages.size(), 1u);
    EXPECT_NE(a.messages[0].find("cannot be written"), std::string::npos);
    ASSERT_TRUE(a.s.save(dir.file("good")));
    const std::string series = dir.read("good"), problem = dir.read("good.str");

    Linear b;
    b.s.boxes.equation = "y''=1";
    EXPECT_FALSE(b.s.open(dir.file("absent")));
    ASSERT_EQ(b.messages.size(), 1u);
    EXPECT_NE(b.messages[0].find("absent"), std::string::npos);
    EXPECT_EQ(b.s.boxes.equation, "y''=1") << "nothing changed";

    // Every cut of either file is refused with a message, or (when the cut only drops
    // trailing blanks or line ends) opens whole.
    for (size_t cut = 0; cut < problem.size(); ++cut) {
        dir.write("cut", series);
        dir.write("cut.str", problem.substr(0, cut));
        Linear c;
        c.s.boxes.equation = "y''=1";
        if (!c.s.open(dir.file("cut"))) {
            ASSERT_EQ(c.messages.size(), 1u) << cut;
            EXPECT_EQ(c.s.boxes.equation, "y''=1") << cut << ": nothing changed";
        }
    }
    for (size_t cut = 0; cut < series.size(); cut += 7) {
        dir.write("cut", series.substr(0, cut));
        dir.write("cut.str", problem);
        Linear c;
        if (!c.s.open(dir.file("cut"))) {
            EXPECT_EQ(c.messages.size(), 1u) << cut;
        }
    }
    dir.write("bad", "0,\"x\",-5,5\r\n 0 \r\n1,\"*\",abc,#TRUE#\r\n");
    dir.write("bad.str", problem);
    Linear d;
    EXPECT_FALSE(d.s.open(dir.file("bad")));
    EXPECT_NE(d.messages.at(0).find("a number was expected"), std::string::npos);
}

} // namespace
