#include "common/NumberFormat.h"
#include "common/Text.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace ode {

namespace {

// x (finite, non-zero) as at most 15 significant digits: digits without trailing zeros and
// the decimal exponent of the first digit (x = 0.d1d2... * 10^(exp10+1)).
struct Digits15 {
    bool negative = false;
    char digits[16] = {};
    int count = 0;
    int exp10 = 0;
};

Digits15 decompose(double x)
{
    Digits15 d;
    d.negative = std::signbit(x);
    char buf[40];
    // to_chars is locale independent and correctly rounded (halves to even on the exact
    // binary value, as the run time's 15-digit conversion does).
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific, 14);
    *res.ptr = '\0';
    // buf: d.ddddddddddddddde[+-]xx
    d.digits[0] = buf[0];
    int n = 1;
    for (const char* p = buf + 2; *p && *p != 'e'; ++p)
        d.digits[n++] = *p;
    while (n > 1 && d.digits[n - 1] == '0')
        --n;
    d.count = n;
    d.digits[n] = '\0';
    const char* e = std::strchr(buf, 'e');
    d.exp10 = std::atoi(e + 1);
    return d;
}

std::string exponentForm(const Digits15& d)
{
    std::string s;
    s += d.digits[0];
    if (d.count > 1) {
        s += '.';
        s.append(d.digits + 1, d.count - 1);
    }
    s += 'E';
    s += d.exp10 < 0 ? '-' : '+';
    int e = std::abs(d.exp10);
    if (e < 10)
        s += '0';
    s += std::to_string(e);
    return s;
}

// Plain positional form; `leadingZero` puts "0" before the point when |x| < 1.
std::string fixedForm(const Digits15& d, bool leadingZero)
{
    std::string s;
    if (d.exp10 >= 0) {
        for (int i = 0; i <= d.exp10; ++i)
            s += i < d.count ? d.digits[i] : '0';
        if (d.count > d.exp10 + 1) {
            s += '.';
            s.append(d.digits + d.exp10 + 1, d.count - d.exp10 - 1);
        }
    } else {
        if (leadingZero)
            s += '0';
        s += '.';
        s.append(static_cast<size_t>(-d.exp10 - 1), '0');
        s.append(d.digits, d.count);
    }
    return s;
}

const char* nonFinite(double x)
{
    if (std::isnan(x))
        return "-1.#IND";
    return x > 0 ? "1.#INF" : "-1.#INF";
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

} // namespace

namespace {

// Reads a decimal number at s[i] into `norm` (the form from_chars reads) and advances i.
// False when no mantissa digit stands there. An exponent letter without digits ends the
// number before it when `lenient`, and makes the text no number otherwise.
bool scanDecimal(std::string_view s, size_t& i, bool dExponent, bool lenient, std::string& norm)
{
    norm.clear();
    size_t j = i;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
        if (s[j] == '-')
            norm += '-';
        ++j;
    }
    size_t digits = 0;
    while (j < s.size() && IsDigit(s[j])) {
        norm += s[j++];
        ++digits;
    }
    if (j < s.size() && s[j] == '.') {
        norm += '.';
        ++j;
        while (j < s.size() && IsDigit(s[j])) {
            norm += s[j++];
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    const bool letter = j < s.size() && (s[j] == 'E' || s[j] == 'e' || (dExponent && (s[j] == 'D' || s[j] == 'd')));
    if (letter) {
        size_t k = j + 1;
        std::string exp = "e";
        if (k < s.size() && (s[k] == '+' || s[k] == '-'))
            exp += s[k++];
        size_t expDigits = 0;
        while (k < s.size() && IsDigit(s[k])) {
            exp += s[k++];
            ++expDigits;
        }
        if (expDigits > 0) {
            norm += exp;
            j = k;
        } else if (!lenient) {
            return false;
        }
    }
    i = j;
    return true;
}

} // namespace

double ParseNumber(std::string_view text)
{
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (!isBlank(c))
            s += c;
    size_t i = 0;
    std::string norm;
    if (!scanDecimal(s, i, true, true, norm))
        return 0.0;
    double value = 0.0;
    auto res = std::from_chars(norm.data(), norm.data() + norm.size(), value);
    if (res.ec != std::errc())
        return 0.0; // beyond the double range, or vanishing below it
    return value == 0.0 ? 0.0 : value;
}

bool ParseNumberText(std::string_view text, double& out, bool dExponent)
{
    size_t b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    const std::string_view t = text.substr(b, e - b);
    size_t i = 0;
    std::string norm;
    if (!scanDecimal(t, i, dExponent, false, norm) || i != t.size())
        return false;
    auto res = std::from_chars(norm.data(), norm.data() + norm.size(), out);
    return res.ec == std::errc();
}

double RoundHalfEven(double x)
{
    if (!std::isfinite(x))
        return x;
    double f = std::floor(x);
    double diff = x - f;
    if (diff > 0.5)
        return f + 1.0;
    if (diff < 0.5)
        return f;
    return std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
}

long ParseWholeNumber(std::string_view text)
{
    double r = RoundHalfEven(ParseNumber(text));
    if (r > 2147483647.0)
        return 2147483647L;
    if (r < -2147483647.0)
        return -2147483647L;
    return static_cast<long>(r);
}

double RoundTo15Digits(double x)
{
    if (!std::isfinite(x) || x == 0.0)
        return x;
    char buf[40];
    auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 14);
    double y = 0.0;
    std::from_chars(buf, res.ptr, y);
    return y;
}

double RoundToSignificant(double x, int digits)
{
    if (!std::isfinite(x) || x == 0.0 || digits < 1 || digits > 17)
        return x;
    char buf[48];
    auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, digits - 1);
    double y = 0.0;
    std::from_chars(buf, res.ptr, y);
    return y;
}

std::string FormatSignedSingle(float x) { return FormatSigned(RoundToSignificant(static_cast<double>(x), 7)); }

std::string FormatNumber(double x)
{
    if (!std::isfinite(x))
        return nonFinite(x);
    if (x == 0.0)
        return "0";
    Digits15 d = decompose(x);
    std::string body = (d.exp10 < -4 || d.exp10 >= 15) ? exponentForm(d) : fixedForm(d, true);
    return d.negative ? "-" + body : body;
}

std::string FormatSigned(double x)
{
    if (!std::isfinite(x))
        return nonFinite(x);
    if (x == 0.0)
        return " 0";
    Digits15 d = decompose(x);
    std::string body = (d.exp10 < -4 || d.exp10 >= 15) ? exponentForm(d) : fixedForm(d, false);
    return (d.negative ? "-" : " ") + body;
}

std::string FormatScriptNumber(double x)
{
    if (!std::isfinite(x))
        return nonFinite(x);
    if (x == 0.0)
        return "0";
    Digits15 d = decompose(x);
    bool exponent = d.exp10 >= 15 || (d.exp10 < 0 && d.count - 1 - d.exp10 > 15);
    std::string body = exponent ? exponentForm(d) : fixedForm(d, true);
    return d.negative ? "-" + body : body;
}

std::string FormatShortest(double x)
{
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, x).ptr;
    return std::string(buffer, end);
}

} // namespace ode
