#pragma once
// The engine's values: the Variant subtypes that the program's texts meet.

#include <cstdint>
#include <string>

namespace ode::script {

enum class Type : uint8_t { Empty, Integer, Long, Double, String, Boolean };

struct Value {
    Type type = Type::Empty;
    int32_t i = 0;  // Integer (16-bit range), Long, Boolean (-1 / 0)
    double d = 0.0; // Double
    std::string s;  // String

    static Value integer(int32_t v)
    {
        Value r;
        r.type = Type::Integer;
        r.i = v;
        return r;
    }
    static Value longValue(int32_t v)
    {
        Value r;
        r.type = Type::Long;
        r.i = v;
        return r;
    }
    static Value dbl(double v)
    {
        Value r;
        r.type = Type::Double;
        r.d = v;
        return r;
    }
    static Value boolean(bool b)
    {
        Value r;
        r.type = Type::Boolean;
        r.i = b ? -1 : 0;
        return r;
    }
    static Value string(std::string v)
    {
        Value r;
        r.type = Type::String;
        r.s = std::move(v);
        return r;
    }
    // The narrowest of Integer, Long and Double that holds the whole number `v`.
    static Value whole(int64_t v);

    bool isNumeric() const { return type != Type::String; }
};

// Numeric value of `v` as arithmetic sees it: Empty 0, True -1, a numeric string its number.
// Throws ScriptException(13) for a string that is not a number.
double AsDouble(const Value& v);

// Text of `v` as "&" and CStr make it: Empty "", True "True", numbers by FormatScriptNumber.
std::string ToText(const Value& v);

// True when `s` reads as a number (blanks around it allowed, sign, digits, point, exponent,
// &H hexadecimal); `out` receives it.
bool ParseNumericString(const std::string& s, double& out);

} // namespace ode::script
