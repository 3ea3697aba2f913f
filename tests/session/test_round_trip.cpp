// Texts that come back: whatever a problem file can hold is saved and reopened exactly as typed,
// in every kind; what it cannot hold (a quote where the file writes quotes around the text, a
// line break) is refused with a message naming the character, before anything is written.
#include "nonlinear/NonlinearFiles.h"
#include "support/Scratch.h"
#include "systems/SystemFiles.h"

#include "SessionTools.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>

namespace {

using namespace ode;
namespace fs = std::filesystem;
using ode::test::Made;
using ode::test::Open;

enum class Field { Equation, Condition, Constant };

struct Text {
    const char* name;
    Field field;
    std::string text;
    // Whether each form keeps it: the single equations' files and the systems' files quote
    // different fields.
    bool singleKeeps, systemKeeps;
};

std::ostream& operator<<(std::ostream& out, const Text& t) { return out << t.name; }

using namespace std::string_literals;

const Text kTexts[] = {
    {"ConditionWithQuotes", Field::Condition, "y=Len(\"a\")-1", true, false},
    {"ConditionWithTripleQuotes", Field::Condition, "y=0*Len(\"\"\"\")", true, false},
    {"ConditionWithComma", Field::Condition, "y=Round(0.5, 0)", true, true},
    {"ConditionWithQuoteAndComma", Field::Condition, "y=Len(\"a,b\")-3", false, false},
    {"ConditionStartingWithQuote", Field::Condition, "\"y\"", false, false},
    {"ConditionWithLeadingBlank", Field::Condition, "  y=0", true, true},
    {"ConditionWithTrailingBlanks", Field::Condition, "y=0  ", true, true},
    {"ConditionWithTabs", Field::Condition, "\ty=0\t", true, true},
    {"ConditionEmpty", Field::Condition, "", true, true},
    {"ConditionWithLineFeed", Field::Condition, "y=0\ny=1", false, false},
    {"ConditionWithCarriageReturn", Field::Condition, "y=0\r", false, false},
    {"ConditionWithUtf8AndLatin1", Field::Condition, "y=0 ' \xc3\xa9 \xe9 $ % \\N */", true, true},
    {"ConditionWithNul", Field::Condition, "y=0 '\0x"s, true, true},
    {"EquationWithQuotes", Field::Equation, "y''+y=0*Len(\"a\")", false, true},
    {"EquationWithComma", Field::Equation, "y''+y=0*Round(1.5, 0)", true, true},
    {"EquationWithQuoteAndComma", Field::Equation, "y''+y=0*Len(\"a,b\")", false, false},
    {"EquationWithBackslashesAndPercent", Field::Equation, "y''+y=0*(7\\2)+0*1E-300 ' % \\N \\input{x}", true, true},
    {"EquationWithLineFeed", Field::Equation, "y''+y=0\n", false, false},
    {"ConstantWithQuotes", Field::Constant, "k=\"ab\"", true, true},
    {"ConstantWithQuotesAndComma", Field::Constant, "k=\"a,b\"", false, false},
    {"ConstantWithComma", Field::Constant, "k=Round(2.5, 0)", true, true},
    {"ConstantWithTrailingBlank", Field::Constant, "k=2 ", true, true},
    {"ConstantWithCarriageReturn", Field::Constant, "k=2\r", false, false},
};

// The text of `field` in the session's boxes: of a single equation, a second-order problem, so
// the equation, the first condition and one constant.
std::string& In(Session& session, Field field)
{
    if (auto* system = dynamic_cast<SystemSession*>(&session)) {
        SystemTexts& b = system->boxes;
        b.constants.resize(1, "a=1");
        return field == Field::Equation    ? b.equations.at(0)
               : field == Field::Condition ? b.bcText.at(0)
                                           : b.constants[0];
    }
    SingleTexts& b = static_cast<ProblemSession&>(session).texts();
    b.order = "2";
    b.indepVarName = "x";
    b.depVarName = "y";
    b.bcText.resize(2, "y=0");
    b.bcPoint.resize(2, "0");
    b.constants.resize(1, "a=1");
    return field == Field::Equation ? b.equation : field == Field::Condition ? b.bcText[0] : b.constants[0];
}

class TextsRoundTrip : public ::testing::TestWithParam<Text> {};

// Saves the text into its field in a fresh session of each kind and opens the pair in another
// one: the text comes back as it was, or the save is refused, before anything is written, with
// a message naming the character.
TEST_P(TextsRoundTrip, inEveryKindComeBackOrAreRefusedBeforeWriting)
{
    const Text& t = GetParam();
    for (ProblemKind kind : kProblemKinds) {
        SCOPED_TRACE(MagicWord(kind));
        const ode::test::ScratchFolder folder("roundtrip");
        const std::string path = (folder.path / "problem").string();
        Made writer, reader;
        In(Open(writer, kind), t.field) = t.text;
        const bool saved = writer.session->save(path);
        if (IsSystem(kind) ? t.systemKeeps : t.singleKeeps) {
            ASSERT_TRUE(saved) << "refused: " << writer.lastMessage();
            EXPECT_EQ(In(Open(reader, kind, path), t.field), t.text);
            continue;
        }
        ASSERT_FALSE(saved) << "saved a text it cannot give back";
        EXPECT_TRUE(fs::is_empty(folder.path)) << "a refused save wrote something";
        const std::string message = writer.lastMessage();
        const bool lineBreak = t.text.find_first_of("\r\n") != std::string::npos;
        EXPECT_NE(message.find(lineBreak ? "line break (the character " : "the character \""), std::string::npos)
            << message;
        EXPECT_NE(message.find("problem file"), std::string::npos) << message;
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, TextsRoundTrip, ::testing::ValuesIn(kTexts),
                         [](const auto& info) { return std::string(info.param.name); });

// The refusal says which text and which character, in the words the windows show too (those of
// a quote are among the rules in the windows' words). (A condition's quotes and blanks, which
// pass, are ConditionWithQuotes and ConditionWithLeadingBlank above, through the same check.)
TEST(TextsRoundTrip, theRefusalNamesTheTextAndTheCharacter)
{
    EXPECT_EQ(FileTextRefusal("The constant k", "k=1\n", TextItemForm::AsNeeded).value_or(""),
              "The constant k cannot hold a line break (the character LF): the problem file has no way to keep it.");
}

// A coefficient the series file could not give back (an overflowed power series) refuses the
// save of every kind, and the pair there before stays as it was.
TEST(TextsRoundTrip, ASeriesThatIsNotFiniteIsNotSavedOverAGoodPair)
{
    const ode::test::ScratchFolder folder("roundtrip");
    const std::string path = (folder.path / "kept").string();
    std::string error;
    ASSERT_TRUE(WriteFilesAtomically({{path, "good series"}, {path + ".str", "good problem"}}, error));
    const std::vector<double> coef = {1, std::numeric_limits<double>::infinity(), std::nan("")};
    SystemTexts system;
    const SystemInputs in;
    const OrdersAndDegrees od;
    const std::function<bool()> saves[] = {
        [&] { return SaveLinearProblem(path, SeriesKind::Power, SingleTexts(), true, coef, error); },
        [&] { return SaveNonlinearProblem(path, SeriesKind::Power, NonlinearTexts(), true, coef, error); },
        [&] { return SaveSystemProblem(path, false, system, in, od, true, coef, error); },
        [&] { return SaveSystemSeparately(path, system, {"y"}, od, true, coef, error); },
    };
    for (const auto& save : saves) {
        error.clear();
        EXPECT_FALSE(save());
        EXPECT_EQ(error.rfind("The solution cannot be saved: its series holds a coefficient that is not a finite", 0),
                  0u)
            << error;
        std::string text;
        ASSERT_TRUE(ReadWholeFile(path, text, error));
        EXPECT_EQ(text, "good series");
        EXPECT_FALSE(fs::exists(path + "_y"));
    }
}

} // namespace
