#include "script/Value.h"

#include "common/NumberFormat.h"
#include "script/ScriptErrors.h"

#include <charconv>

namespace ode::script {

Value Value::whole(int64_t v)
{
    if (v >= -32768 && v <= 32767)
        return integer(static_cast<int32_t>(v));
    if (v >= INT32_MIN && v <= INT32_MAX)
        return longValue(static_cast<int32_t>(v));
    return dbl(static_cast<double>(v));
}

bool ParseNumericString(const std::string& s, double& out)
{
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    if (b == e)
        return false;
    size_t i = b;
    bool negative = false;
    if (s[i] == '+' || s[i] == '-') {
        negative = s[i] == '-';
        ++i;
        while (i < e && s[i] == ' ')
            ++i;
    }
    if (i + 1 < e && s[i] == '&' && (s[i + 1] == 'H' || s[i + 1] == 'h')) {
        uint64_t v = 0;
        auto res = std::from_chars(s.data() + i + 2, s.data() + e, v, 16);
        if (res.ec != std::errc() || res.ptr != s.data() + e || i + 2 == e)
            return false;
        out = negative ? -static_cast<double>(v) : static_cast<double>(v);
        return true;
    }
    // The engine's numbers take no D exponent.
    if (!ParseNumberText(std::string_view(s).substr(i, e - i), out, false) || s[i] == '+' || s[i] == '-')
        return false;
    if (negative)
        out = -out;
    return true;
}

double AsDouble(const Value& v)
{
    switch (v.type) {
    case Type::Empty:
        return 0.0;
    case Type::Integer:
    case Type::Long:
    case Type::Boolean:
        return v.i;
    case Type::Double:
        return v.d;
    case Type::String: {
        double d = 0.0;
        if (!ParseNumericString(v.s, d))
            throw ScriptException{ErrTypeMismatch, {}};
        return d;
    }
    }
    return 0.0;
}

std::string ToText(const Value& v)
{
    switch (v.type) {
    case Type::Empty:
        return {};
    case Type::Integer:
    case Type::Long:
        return std::to_string(v.i);
    case Type::Boolean:
        return v.i ? "True" : "False";
    case Type::Double:
        return FormatScriptNumber(v.d);
    case Type::String:
        return v.s;
    }
    return {};
}

} // namespace ode::script
