#include "script/Lexer.h"

#include "common/Text.h"
#include "script/ScriptErrors.h"

#include <charconv>
#include <cmath>
#include <unordered_map>

namespace ode::script {

namespace {

const std::unordered_map<std::string, Tok>& keywords()
{
    static const std::unordered_map<std::string, Tok> table = {
        {"mod", Tok::Mod},
        {"not", Tok::Not},
        {"and", Tok::And},
        {"or", Tok::Or},
        {"xor", Tok::Xor},
        {"eqv", Tok::Eqv},
        {"imp", Tok::Imp},
        {"is", Tok::Is},
        {"dim", Tok::Dim},
        {"public", Tok::Public},
        {"true", Tok::True},
        {"false", Tok::False},
        {"empty", Tok::Empty},
        // Words of the full language that the engine does not run; they are never names.
        {"null", Tok::Reserved},
        {"nothing", Tok::Reserved},
        {"if", Tok::Reserved},
        {"then", Tok::Reserved},
        {"else", Tok::Reserved},
        {"elseif", Tok::Reserved},
        {"end", Tok::Reserved},
        {"sub", Tok::Reserved},
        {"function", Tok::Reserved},
        {"call", Tok::Reserved},
        {"const", Tok::Reserved},
        {"private", Tok::Reserved},
        {"redim", Tok::Reserved},
        {"set", Tok::Reserved},
        {"let", Tok::Reserved},
        {"get", Tok::Reserved},
        {"for", Tok::Reserved},
        {"next", Tok::Reserved},
        {"while", Tok::Reserved},
        {"wend", Tok::Reserved},
        {"do", Tok::Reserved},
        {"loop", Tok::Reserved},
        {"until", Tok::Reserved},
        {"select", Tok::Reserved},
        {"case", Tok::Reserved},
        {"with", Tok::Reserved},
        {"each", Tok::Reserved},
        {"in", Tok::Reserved},
        {"to", Tok::Reserved},
        {"step", Tok::Reserved},
        {"new", Tok::Reserved},
        {"class", Tok::Reserved},
        {"exit", Tok::Reserved},
        {"on", Tok::Reserved},
        {"error", Tok::Reserved},
        {"resume", Tok::Reserved},
        {"goto", Tok::Reserved},
        {"option", Tok::Reserved},
        {"explicit", Tok::Reserved},
        {"property", Tok::Reserved},
        {"erase", Tok::Reserved},
        {"me", Tok::Reserved},
        {"rem", Tok::Reserved},
        {"byval", Tok::Reserved},
        {"byref", Tok::Reserved},
        {"default", Tok::Reserved},
        {"preserve", Tok::Reserved},
        {"stop", Tok::Reserved},
        {"execute", Tok::Reserved},
        {"executeglobal", Tok::Reserved},
    };
    return table;
}

// An integer literal is Integer when it fits 16 bits, Long for 32 bits, Double beyond.
Value decimalLiteral(std::string_view digits, bool isDouble, bool& ok)
{
    double d = 0.0;
    auto res = std::from_chars(digits.data(), digits.data() + digits.size(), d);
    ok = res.ec == std::errc() && std::isfinite(d);
    if (!ok) {
        // A literal that underflows to zero is still a number.
        if (res.ec == std::errc::result_out_of_range && digits.find_first_of("eE") != std::string_view::npos) {
            size_t e = digits.find_first_of("eE");
            if (e + 1 < digits.size() && digits[e + 1] == '-') {
                ok = true;
                return Value::dbl(0.0);
            }
        }
        return {};
    }
    if (isDouble || d > 2147483647.0)
        return Value::dbl(d);
    return Value::whole(static_cast<int64_t>(d));
}

} // namespace

bool IsPlainName(std::string_view text)
{
    if (text.empty() || text.size() > MaxNameLength || !IsLetter(text[0]))
        return false;
    for (char c : text)
        if (!IsLetter(c) && !IsDigit(c) && c != '_')
            return false;
    return keywords().find(AsciiLower(text)) == keywords().end();
}

namespace {

// The scanner's state over one text: the position, the line and where it starts, and the
// result so far. Each token kind has its reader; a reader that finds a fault records it and
// returns false, which ends the scan.
struct Scanner {
    std::string_view text;
    size_t n = 0, i = 0, lineStart = 0;
    int line = 1;
    LexResult r;

    void fail(int number, size_t at)
    {
        r.errorNumber = number;
        r.errorLine = line;
        r.errorColumn = static_cast<int>(at - lineStart);
    }

    // A decimal literal: digits, a fraction, an exponent (Integer, Long or Double).
    bool decimalNumber(Token& t)
    {
        size_t b = i;
        bool isDouble = false;
        while (i < n && IsDigit(text[i]))
            ++i;
        if (i < n && text[i] == '.') {
            isDouble = true;
            ++i;
            while (i < n && IsDigit(text[i]))
                ++i;
        }
        if (i < n && (text[i] == 'e' || text[i] == 'E')) {
            size_t j = i + 1;
            if (j < n && (text[j] == '+' || text[j] == '-'))
                ++j;
            if (j < n && IsDigit(text[j])) {
                isDouble = true;
                while (j < n && IsDigit(text[j]))
                    ++j;
                i = j;
            }
        }
        std::string digits(text.substr(b, i - b));
        if (!digits.empty() && digits.back() == '.')
            digits.pop_back();
        if (digits.front() == '.')
            digits.insert(digits.begin(), '0');
        bool ok = false;
        t.value = decimalLiteral(digits, isDouble, ok);
        if (!ok) {
            fail(ErrInvalidNumber, b);
            return false;
        }
        t.kind = Tok::Number;
        return true;
    }

    // &H... or &O...: a hexadecimal or octal literal, Long with a trailing "&".
    bool radixNumber(Token& t)
    {
        int base = (text[i + 1] == 'H' || text[i + 1] == 'h') ? 16 : 8;
        size_t b = i + 2, j = b;
        auto isBaseDigit = [base](char ch) {
            if (base == 8)
                return ch >= '0' && ch <= '7';
            return IsDigit(ch) || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
        };
        while (j < n && isBaseDigit(text[j]))
            ++j;
        if (j == b) {
            fail(ErrSyntax, i);
            return false;
        }
        uint64_t v = 0;
        auto res = std::from_chars(text.data() + b, text.data() + j, v, base);
        bool forceLong = j < n && text[j] == '&';
        if (res.ec != std::errc() || v > 0xFFFFFFFFull) {
            fail(ErrInvalidNumber, i);
            return false;
        }
        if (!forceLong && v <= 0xFFFF)
            t.value = Value::integer(static_cast<int16_t>(static_cast<uint16_t>(v)));
        else
            t.value = Value::longValue(static_cast<int32_t>(static_cast<uint32_t>(v)));
        i = forceLong ? j + 1 : j;
        t.kind = Tok::Number;
        return true;
    }

    // A string literal, "" standing for one quote; it may not run past the line.
    bool stringLiteral(Token& t)
    {
        std::string s;
        size_t j = i + 1;
        bool closed = false;
        while (j < n && text[j] != '\n' && text[j] != '\r') {
            if (text[j] == '"') {
                if (j + 1 < n && text[j + 1] == '"') {
                    s += '"';
                    j += 2;
                    continue;
                }
                closed = true;
                ++j;
                break;
            }
            s += text[j++];
        }
        if (!closed) {
            fail(ErrUnterminatedString, i);
            return false;
        }
        i = j;
        t.kind = Tok::String;
        t.value = Value::string(std::move(s));
        return true;
    }

    // A name or a keyword.
    bool nameOrKeyword(Token& t)
    {
        size_t b = i;
        while (i < n && (IsLetter(text[i]) || IsDigit(text[i]) || text[i] == '_'))
            ++i;
        if (i - b > MaxNameLength) {
            fail(ErrIdentifierTooLong, b);
            return false;
        }
        t.text = std::string(text.substr(b, i - b));
        auto kw = keywords().find(AsciiLower(t.text));
        t.kind = kw == keywords().end() ? Tok::Name : kw->second;
        return true;
    }

    // An operator or punctuation mark of one or two characters.
    bool punctuation(Token& t, char c)
    {
        Tok kind = Tok::End;
        size_t len = 1;
        switch (c) {
        case ':':
            kind = Tok::Colon;
            break;
        case '(':
            kind = Tok::LParen;
            break;
        case ')':
            kind = Tok::RParen;
            break;
        case ',':
            kind = Tok::Comma;
            break;
        case '.':
            kind = Tok::Dot;
            break;
        case '+':
            kind = Tok::Plus;
            break;
        case '-':
            kind = Tok::Minus;
            break;
        case '*':
            kind = Tok::Star;
            break;
        case '/':
            kind = Tok::Slash;
            break;
        case '\\':
            kind = Tok::Backslash;
            break;
        case '^':
            kind = Tok::Caret;
            break;
        case '&':
            kind = Tok::Ampersand;
            break;
        case '=':
            kind = Tok::Eq;
            break;
        case '<':
            if (i + 1 < n && text[i + 1] == '>') {
                kind = Tok::Ne;
                len = 2;
            } else if (i + 1 < n && text[i + 1] == '=') {
                kind = Tok::Le;
                len = 2;
            } else
                kind = Tok::Lt;
            break;
        case '>':
            if (i + 1 < n && text[i + 1] == '=') {
                kind = Tok::Ge;
                len = 2;
            } else
                kind = Tok::Gt;
            break;
        default:
            break;
        }
        if (kind == Tok::End) {
            fail(ErrInvalidCharacter, i);
            return false;
        }
        t.kind = kind;
        i += len;
        return true;
    }
};

} // namespace

LexResult Lex(std::string_view text)
{
    Scanner sc;
    sc.text = text;
    sc.n = text.size();
    size_t& i = sc.i;
    const size_t n = sc.n;
    while (i < n) {
        char c = text[i];
        if (c == ' ' || c == '\t') {
            ++i;
            continue;
        }
        Token t;
        t.offset = static_cast<int>(i);
        t.line = sc.line;
        t.column = static_cast<int>(i - sc.lineStart);
        if (c == '\'') { // comment up to the line end
            while (i < n && text[i] != '\n' && text[i] != '\r')
                ++i;
            continue;
        }
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n')
                ++i;
            ++i;
            t.kind = Tok::Newline;
            sc.r.tokens.push_back(std::move(t));
            ++sc.line;
            sc.lineStart = i;
            continue;
        }
        bool ok;
        if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(text[i + 1])))
            ok = sc.decimalNumber(t);
        else if (c == '&' && i + 1 < n &&
                 (text[i + 1] == 'H' || text[i + 1] == 'h' || text[i + 1] == 'O' || text[i + 1] == 'o'))
            ok = sc.radixNumber(t);
        else if (c == '"')
            ok = sc.stringLiteral(t);
        else if (IsLetter(c))
            ok = sc.nameOrKeyword(t);
        else
            ok = sc.punctuation(t, c);
        if (!ok)
            break;
        sc.r.tokens.push_back(std::move(t));
    }
    Token end;
    end.kind = Tok::End;
    end.offset = static_cast<int>(n);
    end.line = sc.line;
    end.column = static_cast<int>(n - sc.lineStart);
    sc.r.tokens.push_back(std::move(end));
    return std::move(sc.r);
}

} // namespace ode::script
