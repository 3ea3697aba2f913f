#include "output/ExportText.h"

#include "common/Text.h"
#include "common/Utf8.h"
#include "equations/BoxChecks.h"

namespace ode {

namespace {

const char kHex[] = "0123456789abcdef";

std::string HexEscape(char kind, char32_t c, int digits)
{
    std::string out = {'\\', kind};
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += kHex[(c >> shift) & 0xF];
    return out;
}

} // namespace

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
    ForEachUtf8Character(text, [&](char32_t c, std::string_view bytes) {
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
    ForEachUtf8Character(text, [&](char32_t c, std::string_view) { fits = fits && !IsKeptOut(c); });
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
