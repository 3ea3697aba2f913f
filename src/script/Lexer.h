#pragma once
// First stage of the engine: the text as a list of tokens with their places.

#include "script/Value.h"

#include <string>
#include <string_view>
#include <vector>

namespace ode::script {

enum class Tok : uint8_t {
    End,     // end of the text
    Newline, // line break: ends a statement like ":"
    Colon,
    Number, // literal: `value` holds it, typed as its digits say
    String, // literal: `value` holds it
    Name,   // identifier: `text` holds it as typed
    LParen,
    RParen,
    Comma,
    Dot,
    Plus,
    Minus,
    Star,
    Slash,
    Backslash,
    Caret,
    Ampersand,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    // keywords
    Mod,
    Not,
    And,
    Or,
    Xor,
    Eqv,
    Imp,
    Is,
    Dim,
    Public,
    True,
    False,
    Empty,
    Reserved, // a word of the language that cannot be a name here (If, Sub, Null, ...)
};

struct Token {
    Tok kind = Tok::End;
    int offset = 0; // in the whole text
    int line = 1;   // from 1
    int column = 0; // from 0
    std::string text;
    Value value;
};

struct LexResult {
    std::vector<Token> tokens; // always ends with Tok::End
    int errorNumber = 0;       // a lexical error stops the scan
    int errorLine = 1;
    int errorColumn = 0;
};

// Names may be at most this long.
constexpr size_t MaxNameLength = 255;

LexResult Lex(std::string_view text);

// True when `text` lexes as one plain name: a letter, then letters, digits and "_", not
// longer than names may be, and not a word of the language.
bool IsPlainName(std::string_view text);

} // namespace ode::script
