#pragma once
// Texts as they leave the program for a person: a message quotes at most a short excerpt of an
// item, and nothing printed on a terminal carries a raw control character. The program's texts
// are bytes; where they are read as characters they are read as UTF-8, and a byte that does not
// belong to a valid UTF-8 sequence counts as one character of its own.

#include <cstddef>
#include <string>
#include <string_view>

namespace ode {

// The most characters of an item a message quotes; a longer item is cut and ends in "...".
constexpr size_t kLongestExcerpt = 80;

// The length in bytes of the valid UTF-8 sequence starting at `at` (1 for ASCII), or 0 when the
// bytes there are not one (a stray continuation byte, an overlong or surrogate form, a sequence
// cut short by the end of the text).
size_t Utf8SequenceLength(std::string_view text, size_t at);

// True when every byte of `text` belongs to a valid UTF-8 sequence.
bool IsValidUtf8(std::string_view text);

// `text` itself when it has at most `most` characters, otherwise its first `most` characters
// followed by "..." (a UTF-8 sequence is never cut in two).
std::string Excerpt(std::string_view text, size_t most = kLongestExcerpt);

// `text` made safe to print on a terminal: control characters other than line feed and tab
// (C0, DEL, and C1 written in UTF-8) become "\xHH" (C1: "\u00HH"), and so does every byte that is
// not part of valid UTF-8; everything else, backslashes included, is kept as it is.
std::string TerminalSafe(std::string_view text);

} // namespace ode
