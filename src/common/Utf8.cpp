#include "common/Utf8.h"

#include <cstdio>

namespace ode {

size_t Utf8SequenceLength(std::string_view text, size_t at)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the second byte's range (narrower after E0, ED, F0, F4)
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // overlong
        if (lead == 0xED)
            high = 0x9F; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90; // overlong
        if (lead == 0xF4)
            high = 0x8F; // above U+10FFFF
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    if (byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (size_t k = 2; k < length; ++k)
        if (byte(at + k) < 0x80 || byte(at + k) > 0xBF)
            return 0;
    return length;
}

bool IsValidUtf8(std::string_view text)
{
    for (size_t at = 0; at < text.size();) {
        const size_t n = Utf8SequenceLength(text, at);
        if (n == 0)
            return false;
        at += n;
    }
    return true;
}

std::string Excerpt(std::string_view text, size_t most)
{
    size_t at = 0, characters = 0;
    while (at < text.size() && characters < most) {
        const size_t n = Utf8SequenceLength(text, at);
        at += n == 0 ? 1 : n;
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
    char escape[8];
    for (size_t at = 0; at < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        const size_t n = Utf8SequenceLength(text, at);
        if (n == 0 || ((c < 0x20 || c == 0x7F) && c != '\n' && c != '\t')) {
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            out += escape;
            ++at;
            continue;
        }
        if (n == 2 && c == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0) { // C1: U+0080 to U+009F
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned char>(text[at + 1]));
            out += escape;
        } else {
            out.append(text.substr(at, n));
        }
        at += n;
    }
    return out;
}

} // namespace ode
