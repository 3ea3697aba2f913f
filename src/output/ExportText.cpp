#include "output/ExportText.h"

#include "common/Text.h"
#include "equations/BoxChecks.h"

namespace ode {

namespace {

// One step of decoding: the code point at the front of `text` and the bytes it takes, or (for
// an ill-formed piece) `valid` false and the bytes of its longest well-formed beginning (at
// least one), which is what one U+FFFD stands for.
struct Step {
    char32_t c = 0;
    size_t length = 1;
    bool valid = false;
};

Step DecodeFront(std::string_view text)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char b0 = byte(0);
    if (b0 < 0x80)
        return {b0, 1, true};
    size_t length = 0;
    char32_t c = 0;
    unsigned char low = 0x80, high = 0xBF; // the second byte's range
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        c = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        c = b0 & 0x0F;
        low = b0 == 0xE0 ? 0xA0 : 0x80;  // no overlong form
        high = b0 == 0xED ? 0x9F : 0xBF; // no surrogate
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        c = b0 & 0x07;
        low = b0 == 0xF0 ? 0x90 : 0x80;
        high = b0 == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
    } else {
        return {};
    }
    for (size_t i = 1; i < length; ++i) {
        if (i >= text.size())
            return {0, i, false};
        const unsigned char b = byte(i);
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF))
            return {0, i, false};
        c = (c << 6) | (b & 0x3F);
    }
    return {c, length, true};
}

// Calls `f(code point, its bytes)` for each character of ValidUtf8(text).
template <typename F> void ForEachCharacter(std::string_view text, F f)
{
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    while (!text.empty()) {
        const Step s = DecodeFront(text);
        if (s.valid)
            f(s.c, text.substr(0, s.length));
        else
            f(char32_t(0xFFFD), kReplacement);
        text.remove_prefix(s.length);
    }
}

const char kHex[] = "0123456789abcdef";

std::string HexEscape(char kind, char32_t c, int digits)
{
    std::string out = {'\\', kind};
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += kHex[(c >> shift) & 0xF];
    return out;
}

} // namespace

std::string ValidUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    ForEachCharacter(text, [&](char32_t, std::string_view bytes) { out += bytes; });
    return out;
}

bool IsKeptOut(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

std::string CheckedName(const std::string& name)
{
    if (IsValidName(name))
        return name;
    static const char kUpperHex[] = "0123456789ABCDEF";
    std::string out = "v_";
    for (const char ch : name) {
        const auto b = static_cast<unsigned char>(ch);
        if (IsLetterOrDigit(ch)) {
            out += ch;
        } else {
            out += '_';
            out += kUpperHex[b >> 4];
            out += kUpperHex[b & 0xF];
        }
    }
    return out;
}

std::string PythonStringBody(std::string_view text)
{
    std::string out;
    ForEachCharacter(text, [&](char32_t c, std::string_view bytes) {
        if (c == '\\' || c == '"')
            out += {'\\', static_cast<char>(c)};
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (IsKeptOut(c))
            out += c <= 0xFF ? HexEscape('x', c, 2) : HexEscape('u', c, 4);
        else
            out += bytes;
    });
    return out;
}

std::optional<std::string> CommentText(std::string_view text, ExportKind language)
{
    bool fits = true;
    ForEachCharacter(text, [&](char32_t c, std::string_view) { fits = fits && !IsKeptOut(c); });
    if (!fits)
        return std::nullopt;
    std::string out = ValidUtf8(text);
    // In C a comment ends at "*/", "/*" inside one is a warning, and "??/" at a line's end is
    // a backslash that joins the next line.
    if (language == ExportKind::C && (out.find("*/") != std::string::npos || out.find("/*") != std::string::npos ||
                                      out.find("?\?/") != std::string::npos))
        return std::nullopt;
    return out;
}

std::string JsonEscapeKeptOut(std::string_view json)
{
    // The text is valid UTF-8, so the kept-out characters above U+007E are these byte patterns:
    // 7F; C2 80-9F; E2 80 A8-AE; E2 81 A6-A9. A text without 7F, C2 or E2 (most) is as it was.
    std::string out;
    size_t done = 0;
    for (size_t i = json.find_first_of("\x7F\xC2\xE2"); i != std::string_view::npos;
         i = json.find_first_of("\x7F\xC2\xE2", i + 1)) {
        const auto at = [&](size_t k) { return k < json.size() ? static_cast<unsigned char>(json[k]) : 0; };
        char32_t c = 0;
        size_t length = 0;
        if (at(i) == 0x7F) {
            c = 0x7F;
            length = 1;
        } else if (at(i) == 0xC2 && at(i + 1) >= 0x80 && at(i + 1) <= 0x9F) {
            c = at(i + 1);
            length = 2;
        } else if (at(i) == 0xE2 && (at(i + 1) == 0x80 || at(i + 1) == 0x81)) {
            c = 0x2000 | ((at(i + 1) & 0x3F) << 6) | (at(i + 2) & 0x3F);
            length = IsKeptOut(c) ? 3 : 0;
        }
        if (length == 0)
            continue;
        out.append(json, done, i - done);
        out += HexEscape('u', c, 4);
        done = i + length;
        i += length - 1;
    }
    if (done == 0)
        return std::string(json);
    out.append(json, done, std::string_view::npos);
    return out;
}

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

} // namespace ode
