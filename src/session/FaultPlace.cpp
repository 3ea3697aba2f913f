#include "session/FaultPlace.h"

#include "common/Utf8.h"
#include "script/Parser.h"

#include <algorithm>
#include <cctype>

namespace ode {

namespace {

bool WordCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The column (from 1) of `word` standing whole in `text`, in any case; 0 when it does not.
int WordColumn(const std::string& text, const std::string& word)
{
    if (word.empty())
        return 0;
    const auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
        return s;
    };
    const std::string t = lower(text), w = lower(word);
    for (size_t at = t.find(w); at != std::string::npos; at = t.find(w, at + 1)) {
        const size_t end = at + w.size();
        if ((at == 0 || !WordCharacter(t[at - 1])) && (end == t.size() || !WordCharacter(t[end])))
            return static_cast<int>(at) + 1;
    }
    return 0;
}

// The name an error description names: Type mismatch: 'sinn' (not the ")" of "Expected ')'").
std::string NamedWord(const std::string& description)
{
    const size_t open = description.find('\'');
    const size_t close = open == std::string::npos ? open : description.find('\'', open + 1);
    if (close == std::string::npos || close == open + 1)
        return {};
    const std::string word = description.substr(open + 1, close - open - 1);
    return std::all_of(word.begin(), word.end(), WordCharacter) ? word : std::string();
}

// The column where `text` stops parsing, 0 when it parses. A derivative's marks become
// letters of the same count, so that y'' reads as a name and the columns stay the user's.
int SyntaxColumn(const TextPlace& place)
{
    if (place.kind == TextPlace::Kind::Constant) {
        const script::Program p = script::ParseStatements(place.text);
        return p.errorNumber ? std::max(p.errorColumn, 1) : 0;
    }
    std::string text = place.text;
    std::replace(text.begin(), text.end(), '\'', '_');
    const size_t equals = text.find('=');
    const std::string sides[2] = {text.substr(0, equals), equals == std::string::npos ? "" : text.substr(equals + 1)};
    const size_t offsets[2] = {0, equals + 1};
    for (int side = 0; side < 2; ++side) {
        if (side == 1 && equals == std::string::npos)
            break;
        const script::Program p = script::ParseExpression(sides[side]);
        if (p.errorNumber)
            return static_cast<int>(offsets[side]) + std::max(p.errorColumn, 1);
    }
    return 0;
}

} // namespace

std::optional<PlacedFault> LocateFault(const script::ScriptError& error, const std::vector<TextPlace>& places)
{
    const std::string word = NamedWord(error.description);
    for (const TextPlace& place : places)
        if (const int column = WordColumn(place.text, word))
            return PlacedFault{place, column};
    if (!word.empty())
        return std::nullopt;
    for (const TextPlace& place : places)
        if (const int column = SyntaxColumn(place))
            return PlacedFault{place, column};
    return std::nullopt;
}

std::string FaultPlaceLine(const PlacedFault& fault)
{
    const TextPlace& p = fault.place;
    std::string where;
    switch (p.kind) {
    case TextPlace::Kind::Constant:
        where = "constant " + std::to_string(p.index);
        break;
    case TextPlace::Kind::Equation:
        where = p.only ? "the equation" : "equation " + std::to_string(p.index);
        break;
    case TextPlace::Kind::Condition:
        where = "condition " + std::to_string(p.index);
        break;
    }
    return "In " + where + ", at column " + std::to_string(fault.column) + ": " + Excerpt(p.text);
}

} // namespace ode
