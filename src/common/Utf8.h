#pragma once
// Texts as bytes and as characters. The program's texts are bytes; where they are read as
// characters they are read as UTF-8, and each ill-formed piece (a stray continuation byte, a
// sequence cut short, an overlong form, a surrogate, a code point above U+10FFFF, a byte that
// never starts a sequence) counts as one character, U+FFFD, as the JSON writer replaces it.
//
// What leaves the program for a person or another program goes through here: a message quotes
// at most a short excerpt of an item, nothing printed on a terminal carries a raw control
// character, and no export writes the characters that could change how a line reads.

#include <cstddef>
#include <string>
#include <string_view>

namespace ode {

// The most characters of an item a message quotes; a longer item is cut and ends in "...".
constexpr size_t kLongestExcerpt = 80;

// The character at the front of `text`: its code point and the bytes it takes, or, for an
// ill-formed piece, `valid` false and the bytes of its longest well-formed beginning (at least
// one), which is what one U+FFFD stands for. `text` must not be empty.
struct Utf8Character {
    char32_t code = 0;
    size_t length = 1;
    bool valid = false;
};
Utf8Character DecodeUtf8(std::string_view text);

// Calls `f(code point, its bytes)` for each character of ValidUtf8(text): an ill-formed piece
// is passed as U+FFFD with that character's bytes.
template <typename F> void ForEachUtf8Character(std::string_view text, F f)
{
    while (!text.empty()) {
        const Utf8Character c = DecodeUtf8(text);
        if (c.valid)
            f(c.code, text.substr(0, c.length));
        else
            f(char32_t(0xFFFD), std::string_view("\xEF\xBF\xBD"));
        text.remove_prefix(c.length);
    }
}

// True when every byte of `text` belongs to a well-formed UTF-8 sequence.
bool IsValidUtf8(std::string_view text);

// `text` with every ill-formed piece replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);

// The characters no export and no terminal gets as they are: the C0 controls (line breaks
// included), DEL, the C1 controls, U+2028 and U+2029 (line and paragraph separators), and the
// bidirectional embeddings, overrides and isolates (U+202A-U+202E, U+2066-U+2069) that make a
// line read in another order than it runs.
bool IsKeptOut(char32_t c);

// `text` itself when it has at most `most` characters, otherwise its first `most` characters
// followed by "..." (a UTF-8 sequence is never cut in two).
std::string Excerpt(std::string_view text, size_t most = kLongestExcerpt);

// `text` made safe to print on a terminal: every kept-out character other than line feed and tab
// is written as "\xHH" (below U+0080) or "\uHHHH", and so is each byte of an ill-formed piece;
// everything else, backslashes included, is kept as it is.
std::string TerminalSafe(std::string_view text);

} // namespace ode
