#pragma once
// What an export may hold of the user's texts and names. A text (an equation, a condition, a
// constant, a file name) leaves the program only as data: in a string literal or JSON string
// that reads back as the text, or in a comment that shows it as it is, or not at all. A name
// becomes an identifier only through its checked form, never as typed.
//
// One rule for bytes that are not UTF-8, in every export and in JSON: each piece that is not
// part of a well-formed UTF-8 sequence becomes U+FFFD (the JSON writer's own replacement, so
// the texts agree everywhere).

#include "common/Utf8.h"
#include "output/Exports.h"

#include <optional>
#include <string>
#include <string_view>

namespace ode {

// The checked form of a name: a valid name (a letter, then letters and digits) as it is; any
// other as "v_" followed by its ASCII letters and digits, every other byte as "_" and two
// uppercase hex digits. One name, one form, and the form of an invalid name is never a valid name.
std::string CheckedName(const std::string& name);

// The inside of a Python "..." literal whose value is ValidUtf8(text): backslash, quote and every
// kept-out character escaped (NUL as well).
std::string PythonStringBody(std::string_view text);

// ValidUtf8(text) when it can stand in a comment of `language` as it is (C, Octave and LaTeX:
// no kept-out character; C also no "*/", "/*" or the trigraph "??/"); nothing otherwise.
std::optional<std::string> CommentText(std::string_view text, ExportKind language);

// A JSON text (valid UTF-8) with each kept-out character that JSON allows unescaped (DEL, the C1
// controls, U+2028 ...) written as a \u escape; the C0 controls are escaped by the JSON writer.
std::string JsonEscapeKeptOut(std::string_view json);

// A CSV field (RFC 4180): quoted, with its quotes doubled, when it holds a comma, a quote or a
// line break.
std::string CsvField(const std::string& text);

} // namespace ode
