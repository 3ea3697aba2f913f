// The problem files' records, as the run-time's Write and Print make them and its Input reads
// them: written byte for byte, read back by the input rules, and a wrong or cut record a message
// that sticks.
#include "common/NumberFormat.h"
#include "common/TextRecords.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using ode::RecordReader;
using ode::RecordWriter;

// The problem file of the linear form's default problem with one constant a=2.37 and a second
// condition y=0 at 1, and the kinds of its items (n a number, t a text, b a boolean).
const std::string kExampleProblem = "\"Pldif\",2,\"x\",\"y\",\"x*x*y''+x*y'+(x*x-1)*y=0\"\r\n"
                                    " 0            y'=0.5\r\n"
                                    " 1            y=0\r\n"
                                    " 1 \r\n"
                                    "a=2.37\r\n";
const std::string kExampleKinds = "tntttntntnt";

TEST(TextRecords, AreWrittenInTheRunTimesFormsAndPrintZones)
{
    const std::pair<std::function<void(RecordWriter&)>, std::string> rows[] = {
        {[](RecordWriter& w) {
             w.writeLine({"Pldif", 2, "x", "y", "x*x*y''+x*y'+(x*x-1)*y=0"});
             w.printLine({0.0, "y'=0.5"});
             w.printLine({1.0, "y=0"});
             w.printLine({1});
             w.printLine({"a=2.37"});
         },
         kExampleProblem},
        {[](RecordWriter& w) {
             w.writeLine({0, "x", -5.0, 1.5e-7, 0.5, true, false, "a \"q\""});
         },
         "0,\"x\",-5,1.5E-07,0.5,#TRUE#,#FALSE#,\"a \"q\"\"\r\n"},
        // Print zones are fourteen columns wide: an item of exactly one zone is followed at once
        // by the next, one past it by the zone after.
        {[](RecordWriter& w) {
             w.printLine({"12345678901234", "x"});
             w.printLine({"123456789012345", "x"});
             w.printLine({-0.25, 1e-5, "t"});
             w.printLine({"*"});
         },
         "12345678901234x\r\n"
         "123456789012345             x\r\n"
         "-.25           1E-05        t\r\n"
         "*\r\n"},
    };
    for (const auto& [write, text] : rows) {
        RecordWriter w;
        write(w);
        EXPECT_EQ(w.text(), text);
    }
}

// Reads the items `kinds` names in turn, numbers with every digit, until one fails; a reader that
// failed stays failed.
std::vector<std::string> ReadItems(RecordReader& r, const std::string& kinds)
{
    std::vector<std::string> items;
    for (char kind : kinds) {
        double number = 0;
        bool boolean = false;
        std::string text;
        if (!(kind == 'n' ? r.readNumber(number) : kind == 'b' ? r.readBoolean(boolean) : r.readText(text))) {
            EXPECT_FALSE(r.readText(text)) << "a failed reader stays failed";
            break;
        }
        items.push_back(kind == 'n'   ? ode::FormatShortest(number)
                        : kind == 'b' ? (boolean ? "#TRUE#" : "#FALSE#")
                                      : text);
    }
    return items;
}

TEST(TextRecords, AreReadByTheInputRulesOrStopWithAMessage)
{
    struct Row {
        std::string text, kinds;
        std::vector<std::string> items;
        std::string error; // "": every item read, to the end
    };
    const Row rows[] = {
        {kExampleProblem,
         kExampleKinds,
         {"Pldif", "2", "x", "y", "x*x*y''+x*y'+(x*x-1)*y=0", "0", "y'=0.5", "1", "y=0", "1", "a=2.37"},
         ""},
        // Quotes keep commas, blanks around an unquoted text go, a line ends a text, D is an
        // exponent, and an empty item is an empty text.
        {"0,\"a, b\" , plain text ,-.25,#TRUE#\r\n"
         "  \"*\"\r\n"
         " 1.5E-07  rest of line\n"
         "1D2,\r\n",
         "nttnbtntnt",
         {"0", "a, b", "plain text", "-0.25", "#TRUE#", "*", "1.5e-07", "rest of line", "100", ""},
         ""},
        {"abc\r\n", "n", {}, "Line 1: a number was expected, not \"abc\"."},
        {"1\r\n", "b", {}, "Line 1: #TRUE# or #FALSE# was expected, not \"1\"."},
        {"1\r\n", "nn", {"1"}, "The file ends early (line 2)."},
        {"\"unterminated\r\n", "t", {}, "Line 1: a quoted text has no closing quote."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        RecordReader r(row.text);
        EXPECT_EQ(ReadItems(r, row.kinds), row.items);
        EXPECT_EQ(r.error(), row.error);
        if (row.error.empty()) {
            EXPECT_TRUE(r.atEnd());
        }
    }
}

// A file cut anywhere either reads to the end or stops with a message; it never reads past
// its end or crashes.
TEST(TextRecords, FilesCutShortAtEveryPositionFailCleanly)
{
    for (size_t cut = 0; cut < kExampleProblem.size(); ++cut) {
        RecordReader r(kExampleProblem.substr(0, cut));
        const size_t read = ReadItems(r, kExampleKinds).size();
        if (read < kExampleKinds.size()) {
            EXPECT_FALSE(r.error().empty()) << "cut at " << cut;
        }
        if (cut < kExampleProblem.rfind("a=2.37")) {
            EXPECT_LT(read, kExampleKinds.size()) << "cut at " << cut << " read a whole record";
        }
    }
}

} // namespace
