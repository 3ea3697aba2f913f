// Texts on their way to a person: excerpts that never cut a character, and terminal output in
// which no control character survives raw. (Which texts are valid UTF-8 is the exports' table.)
#include "cli/TerminalOutput.h"
#include "common/Utf8.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace ode;
using namespace std::string_literals;

TEST(Utf8, ExcerptsStopAtEightyCharactersWithoutCuttingOne)
{
    EXPECT_EQ(Excerpt("short"), "short");
    EXPECT_EQ(Excerpt(std::string(80, 'a')), std::string(80, 'a'));
    EXPECT_EQ(Excerpt(std::string(30 << 20, 'a')), std::string(80, 'a') + "...");
    std::string accents;
    for (int i = 0; i < 100; ++i)
        accents += "\xc3\xa9";
    EXPECT_EQ(Excerpt(accents), accents.substr(0, 160) + "...");
    EXPECT_EQ(Excerpt("\xe9\xe9\xe9", 2), "\xe9\xe9...");
}

TEST(Utf8, TerminalSafeTextsKeepNoControlCharacter)
{
    const struct {
        std::string text, safe;
    } rows[] = {
        {"y''+y=0 ' 7\\2 % $ \xc3\xa9\tend\n", "y''+y=0 ' 7\\2 % $ \xc3\xa9\tend\n"},
        {"\x1b]0;owned\x07\x1b[2J", "\\x1B]0;owned\\x07\\x1B[2J"},
        {"a\rb\0c\x7f"s, "a\\x0Db\\x00c\\x7F"},
        {"csi \xc2\x9b"
         "31m nel \xc2\x85",
         "csi \\u009B31m nel \\u0085"},
        {"latin-1 \xe9 and \x9b", "latin-1 \\xE9 and \\x9B"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(TerminalSafe(r.text), r.safe);
}

// Lines are filtered whole, so a character split over two writes or a flush is kept intact.
TEST(Utf8, TheTerminalFilterKeepsCharactersSplitOverWrites)
{
    std::ostringstream target;
    {
        cli::TerminalSafeBuffer buffer(target.rdbuf());
        std::ostream out(&buffer);
        out << "caf\xc3" << std::flush;
        EXPECT_EQ(target.str(), "caf");
        out << "\xa9 \x1b[31m" << std::flush;
        EXPECT_EQ(target.str(), "caf\xc3\xa9 \\x1B[31m");
        out << "red\n"
            << "no line end \x1b";
    }
    EXPECT_EQ(target.str(), "caf\xc3\xa9 \\x1B[31mred\nno line end \\x1B");
}

} // namespace
