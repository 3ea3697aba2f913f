#include "common/TextRecords.h"

#include <gtest/gtest.h>

namespace {

using ode::RecordReader;
using ode::RecordWriter;

// The problem file of the linear form's default problem with one constant a=2.37 and a second
// condition y=0 at 1.
const char* const kExampleProblem = "\"Pldif\",2,\"x\",\"y\",\"x*x*y''+x*y'+(x*x-1)*y=0\"\r\n"
                                    " 0            y'=0.5\r\n"
                                    " 1            y=0\r\n"
                                    " 1 \r\n"
                                    "a=2.37\r\n";

std::string writeExample()
{
    RecordWriter w;
    w.writeLine({"Pldif", 2, "x", "y", "x*x*y''+x*y'+(x*x-1)*y=0"});
    w.printLine({0.0, "y'=0.5"});
    w.printLine({1.0, "y=0"});
    w.printLine({1});
    w.printLine({"a=2.37"});
    return w.text();
}

TEST(TextRecords, ExampleProblemFileIsWrittenByteForByte)
{
    std::string text = writeExample();
    EXPECT_EQ(text, kExampleProblem);
    // The condition text starts in column 15.
    size_t line2 = text.find("\r\n") + 2;
    EXPECT_EQ(text.substr(line2 + 14, 6), "y'=0.5");
}

TEST(TextRecords, ExampleProblemFileReadsBack)
{
    RecordReader r(kExampleProblem);
    std::string magic, indep, dep, equation, bc1, bc2, constant;
    double order = 0, p1 = -1, p2 = -1, count = 0;
    ASSERT_TRUE(r.readText(magic) && r.readNumber(order) && r.readText(indep) && r.readText(dep) &&
                r.readText(equation) && r.readNumber(p1) && r.readText(bc1) && r.readNumber(p2) && r.readText(bc2) &&
                r.readNumber(count) && r.readText(constant))
        << r.error();
    EXPECT_EQ(magic, "Pldif");
    EXPECT_EQ(order, 2);
    EXPECT_EQ(indep, "x");
    EXPECT_EQ(dep, "y");
    EXPECT_EQ(equation, "x*x*y''+x*y'+(x*x-1)*y=0");
    EXPECT_EQ(p1, 0);
    EXPECT_EQ(bc1, "y'=0.5");
    EXPECT_EQ(p2, 1);
    EXPECT_EQ(bc2, "y=0");
    EXPECT_EQ(count, 1);
    EXPECT_EQ(constant, "a=2.37");
    EXPECT_TRUE(r.atEnd());
}

TEST(TextRecords, WrittenItemsFollowTheRunTimesForms)
{
    RecordWriter w;
    w.writeLine({0, "x", -5.0, 1.5e-7, 0.5, true, false, "a \"q\""});
    EXPECT_EQ(w.text(), "0,\"x\",-5,1.5E-07,0.5,#TRUE#,#FALSE#,\"a \"q\"\"\r\n");
}

TEST(TextRecords, PrintZonesAreFourteenColumnsWide)
{
    RecordWriter w;
    w.printLine({"12345678901234", "x"});  // exactly one zone: the next starts at once
    w.printLine({"123456789012345", "x"}); // past it: the zone after
    w.printLine({-0.25, 1e-5, "t"});
    w.printLine({"*"});
    EXPECT_EQ(w.text(), "12345678901234x\r\n"
                        "123456789012345             x\r\n"
                        "-.25           1E-05        t\r\n"
                        "*\r\n");
}

TEST(TextRecords, ReaderFollowsTheInputRules)
{
    RecordReader r("0,\"a, b\" , plain text ,-.25,#TRUE#\r\n"
                   "  \"*\"\r\n"
                   " 1.5E-07  rest of line\n"
                   "1D2,\r\n");
    double n = 1, m = 0, k = 0, d = 0;
    std::string quoted, plain, star, rest, empty = "x";
    bool b = false;
    ASSERT_TRUE(r.readNumber(n) && r.readText(quoted) && r.readText(plain) && r.readNumber(m) && r.readBoolean(b) &&
                r.readText(star) && r.readNumber(k) && r.readText(rest) && r.readNumber(d) && r.readText(empty))
        << r.error();
    EXPECT_EQ(n, 0);
    EXPECT_EQ(quoted, "a, b");
    EXPECT_EQ(plain, "plain text");
    EXPECT_EQ(m, -0.25);
    EXPECT_TRUE(b);
    EXPECT_EQ(star, "*");
    EXPECT_EQ(k, 1.5e-7);
    EXPECT_EQ(rest, "rest of line");
    EXPECT_EQ(d, 100);
    EXPECT_EQ(empty, "");
    EXPECT_TRUE(r.atEnd());
}

TEST(TextRecords, WrongKindsAndEarlyEndsAreErrorsThatStick)
{
    {
        RecordReader r("abc\r\n");
        double n = 7;
        EXPECT_FALSE(r.readNumber(n));
        EXPECT_EQ(r.error(), "Line 1: a number was expected, not \"abc\".");
        std::string t;
        EXPECT_FALSE(r.readText(t)) << "a failed reader stays failed";
    }
    {
        RecordReader r("1\r\n");
        bool b;
        EXPECT_FALSE(r.readBoolean(b));
        EXPECT_NE(r.error().find("#TRUE# or #FALSE#"), std::string::npos);
    }
    {
        RecordReader r("1\r\n");
        double a, b;
        EXPECT_TRUE(r.readNumber(a));
        EXPECT_FALSE(r.readNumber(b));
        EXPECT_EQ(r.error(), "The file ends early (line 2).");
    }
    {
        RecordReader r("\"unterminated\r\n");
        std::string t;
        EXPECT_FALSE(r.readText(t));
    }
}

// A file cut anywhere either reads to the end or stops with a message; it never reads past
// its end or crashes.
TEST(TextRecords, FilesCutShortAtEveryPositionFailCleanly)
{
    const std::string full = kExampleProblem;
    for (size_t cut = 0; cut < full.size(); ++cut) {
        RecordReader r(full.substr(0, cut));
        std::string magic, indep, dep, equation, bc1, bc2, constant;
        double order = 0, p1 = 0, p2 = 0, count = 0;
        bool ok = r.readText(magic) && r.readNumber(order) && r.readText(indep) && r.readText(dep) &&
                  r.readText(equation) && r.readNumber(p1) && r.readText(bc1) && r.readNumber(p2) && r.readText(bc2) &&
                  r.readNumber(count) && r.readText(constant);
        if (!ok) {
            EXPECT_FALSE(r.error().empty()) << "cut at " << cut;
        }
        if (cut < full.rfind("a=2.37")) {
            EXPECT_FALSE(ok) << "cut at " << cut << " read a whole record";
        }
    }
}

} // namespace
