#pragma once
// Character tests and case folding for equation texts, names and numbers. Everything the
// program reads is matched in ASCII: names, keywords and the derivative marks never depend
// on the process's locale.

#include <string>
#include <string_view>

namespace ode {

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsLowerLetter(char c) { return c >= 'a' && c <= 'z'; }
constexpr bool IsUpperLetter(char c) { return c >= 'A' && c <= 'Z'; }
constexpr bool IsLetter(char c) { return IsLowerLetter(c) || IsUpperLetter(c); }
constexpr bool IsLetterOrDigit(char c) { return IsLetter(c) || IsDigit(c); }

constexpr char LowerChar(char c) { return IsUpperLetter(c) ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char UpperChar(char c) { return IsLowerLetter(c) ? static_cast<char>(c - 'a' + 'A') : c; }

// `s` with A-Z turned into a-z; every other byte as it is.
inline std::string AsciiLower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = LowerChar(c);
    return out;
}

// `s` with a-z turned into A-Z; every other byte as it is.
inline std::string AsciiUpper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = UpperChar(c);
    return out;
}

} // namespace ode
