#include "common/Utf8.h"

#include <cstdio>

namespace ode {

Utf8Character DecodeUtf8(std::string_view text)
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

bool IsValidUtf8(std::string_view text)
{
    for (; !text.empty(); text.remove_prefix(DecodeUtf8(text).length))
        if (!DecodeUtf8(text).valid)
            return false;
    return true;
}

std::string ValidUtf8(std::string_view text)
{
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const Utf8Character c = DecodeUtf8(text);
        out += c.valid ? text.substr(0, c.length) : kReplacement;
        text.remove_prefix(c.length);
    }
    return out;
}

bool IsKeptOut(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

std::string Excerpt(std::string_view text, size_t most)
{
    size_t at = 0, characters = 0;
    while (at < text.size() && characters < most) {
        at += DecodeUtf8(text.substr(at)).length;
        ++characters;
    }
    if (at >= text.size())
        return std::string(text);
    return std::string(text.substr(0, at)) + "...";
}

std::string TerminalSafe(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    char escape[12];
    while (!text.empty()) {
        const Utf8Character c = DecodeUtf8(text);
        if (!c.valid) {
            for (size_t k = 0; k < c.length; ++k) {
                std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(text[k]));
                out += escape;
            }
        } else if (IsKeptOut(c.code) && c.code != '\n' && c.code != '\t') {
            std::snprintf(escape, sizeof escape, c.code < 0x80 ? "\\x%02X" : "\\u%04X", static_cast<unsigned>(c.code));
            out += escape;
        } else {
            out += text.substr(0, c.length);
        }
        text.remove_prefix(c.length);
    }
    return out;
}

} // namespace ode
