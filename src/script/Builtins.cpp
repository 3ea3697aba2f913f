#include "script/Builtins.h"

#include "common/NumberFormat.h"
#include "common/Power.h"
#include "common/Text.h"
#include "script/ScriptErrors.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>

namespace ode::script {

namespace {

[[noreturn]] void raise(int number) { throw ScriptException{number, {}}; }

// Integer-like rank of a value in arithmetic: 0 Integer (also Empty and Boolean), 1 Long,
// 2 Double (also numeric strings).
int rank(const Value& v)
{
    switch (v.type) {
    case Type::Empty:
    case Type::Integer:
    case Type::Boolean:
        return 0;
    case Type::Long:
        return 1;
    default:
        return 2;
    }
}

int64_t wholeOf(const Value& v) { return v.type == Type::Empty ? 0 : v.i; }

// Rounds halves to even and checks the Long range, as \, Mod and the logical operators do.
int32_t toLongRounded(const Value& v)
{
    if (rank(v) < 2)
        return static_cast<int32_t>(wholeOf(v));
    double r = RoundHalfEven(AsDouble(v));
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        raise(ErrOverflow);
    return static_cast<int32_t>(r);
}

Value integerResult(int64_t r, int resultRank)
{
    if (resultRank == 0)
        return Value::whole(r);
    if (r >= INT32_MIN && r <= INT32_MAX)
        return Value::longValue(static_cast<int32_t>(r));
    return Value::dbl(static_cast<double>(r));
}

double arg(const Value* args, int count, int k) { return k < count ? AsDouble(args[k]) : 0.0; }

Value sameKind(const Value& v, double r)
{
    // Functions such as Int, Fix, Abs and Round keep whole-number types where they can.
    if (rank(v) < 2 && r >= INT32_MIN && r <= INT32_MAX)
        return v.type == Type::Long ? Value::longValue(static_cast<int32_t>(r)) : Value::whole(static_cast<int64_t>(r));
    return Value::dbl(r);
}

Value fAbs(BuiltinContext&, const Value* a, int n) { return sameKind(a[0], std::fabs(arg(a, n, 0))); }
Value fSgn(BuiltinContext&, const Value* a, int n)
{
    double x = arg(a, n, 0);
    return Value::integer(x > 0 ? 1 : (x < 0 ? -1 : 0));
}
Value fAtn(BuiltinContext&, const Value* a, int n) { return Value::dbl(std::atan(arg(a, n, 0))); }
Value fCos(BuiltinContext&, const Value* a, int n) { return Value::dbl(std::cos(arg(a, n, 0))); }
Value fSin(BuiltinContext&, const Value* a, int n) { return Value::dbl(std::sin(arg(a, n, 0))); }
Value fTan(BuiltinContext&, const Value* a, int n) { return Value::dbl(std::tan(arg(a, n, 0))); }
Value fExp(BuiltinContext&, const Value* a, int n) { return Value::dbl(CheckedExp(arg(a, n, 0))); }
Value fLog(BuiltinContext&, const Value* a, int n) { return Value::dbl(CheckedLog(arg(a, n, 0))); }
Value fSqr(BuiltinContext&, const Value* a, int n) { return Value::dbl(CheckedSqr(arg(a, n, 0))); }
Value fInt(BuiltinContext&, const Value* a, int n) { return sameKind(a[0], std::floor(arg(a, n, 0))); }
Value fFix(BuiltinContext&, const Value* a, int n) { return sameKind(a[0], std::trunc(arg(a, n, 0))); }

Value fRound(BuiltinContext&, const Value* a, int n)
{
    double x = arg(a, n, 0);
    double places = n > 1 ? RoundHalfEven(AsDouble(a[1])) : 0.0;
    if (places < 0)
        raise(ErrInvalidCall);
    if (places == 0)
        return sameKind(a[0], RoundHalfEven(x));
    if (places > 15)
        return Value::dbl(x);
    double scale = Power(10.0, places);
    double scaled = x * scale;
    if (!std::isfinite(scaled))
        return Value::dbl(x);
    return Value::dbl(RoundHalfEven(scaled) / scale);
}

Value fCInt(BuiltinContext&, const Value* a, int n)
{
    double r = RoundHalfEven(arg(a, n, 0));
    if (!(r >= -32768.0 && r <= 32767.0))
        raise(ErrOverflow);
    return Value::integer(static_cast<int32_t>(r));
}
Value fCLng(BuiltinContext&, const Value* a, int n)
{
    double r = RoundHalfEven(arg(a, n, 0));
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        raise(ErrOverflow);
    return Value::longValue(static_cast<int32_t>(r));
}
Value fCDbl(BuiltinContext&, const Value* a, int n) { return Value::dbl(arg(a, n, 0)); }
Value fCBool(BuiltinContext&, const Value* a, int)
{
    if (a[0].type == Type::String) {
        std::string s = a[0].s;
        s = AsciiLower(s);
        if (s == "true")
            return Value::boolean(true);
        if (s == "false")
            return Value::boolean(false);
    }
    return Value::boolean(AsDouble(a[0]) != 0.0);
}
Value fCStr(BuiltinContext&, const Value* a, int) { return Value::string(ToText(a[0])); }

Value fIsNumeric(BuiltinContext&, const Value* a, int)
{
    double d;
    return Value::boolean(a[0].type != Type::String || ParseNumericString(a[0].s, d));
}
Value fIsEmpty(BuiltinContext&, const Value* a, int) { return Value::boolean(a[0].type == Type::Empty); }
Value fLen(BuiltinContext&, const Value* a, int) { return Value::longValue(static_cast<int32_t>(ToText(a[0]).size())); }

size_t lengthArg(const Value& v)
{
    double d = RoundHalfEven(AsDouble(v));
    if (d < 0)
        raise(ErrInvalidCall);
    return d > 1e9 ? static_cast<size_t>(1e9) : static_cast<size_t>(d);
}
Value fLeft(BuiltinContext&, const Value* a, int)
{
    std::string s = ToText(a[0]);
    return Value::string(s.substr(0, std::min(s.size(), lengthArg(a[1]))));
}
Value fRight(BuiltinContext&, const Value* a, int)
{
    std::string s = ToText(a[0]);
    size_t k = std::min(s.size(), lengthArg(a[1]));
    return Value::string(s.substr(s.size() - k));
}
Value fMid(BuiltinContext&, const Value* a, int n)
{
    std::string s = ToText(a[0]);
    double start = RoundHalfEven(AsDouble(a[1]));
    if (start < 1)
        raise(ErrInvalidCall);
    size_t from = start > 1e9 ? s.size() : static_cast<size_t>(start) - 1;
    if (from >= s.size())
        return Value::string({});
    size_t len = n > 2 ? lengthArg(a[2]) : s.size();
    return Value::string(s.substr(from, len));
}
Value fUCase(BuiltinContext&, const Value* a, int) { return Value::string(AsciiUpper(ToText(a[0]))); }
Value fLCase(BuiltinContext&, const Value* a, int) { return Value::string(AsciiLower(ToText(a[0]))); }
Value trimmed(const Value& v, bool left, bool right)
{
    std::string s = ToText(v);
    size_t b = 0, e = s.size();
    if (left)
        while (b < e && s[b] == ' ')
            ++b;
    if (right)
        while (e > b && s[e - 1] == ' ')
            --e;
    return Value::string(s.substr(b, e - b));
}
Value fTrim(BuiltinContext&, const Value* a, int) { return trimmed(a[0], true, true); }
Value fLTrim(BuiltinContext&, const Value* a, int) { return trimmed(a[0], true, false); }
Value fRTrim(BuiltinContext&, const Value* a, int) { return trimmed(a[0], false, true); }

Value fRnd(BuiltinContext& c, const Value* a, int n)
{
    double x = n > 0 ? AsDouble(a[0]) : 1.0;
    if (x == 0.0)
        return Value::dbl(*c.lastRandom);
    if (x < 0.0) {
        // A negative argument gives the same number every time for the same argument.
        std::mt19937_64 g(std::hash<double>{}(x));
        *c.lastRandom = std::generate_canonical<double, 53>(g);
        return Value::dbl(*c.lastRandom);
    }
    *c.lastRandom = std::generate_canonical<double, 53>(*c.random);
    return Value::dbl(*c.lastRandom);
}
Value fRandomize(BuiltinContext& c, const Value* a, int n)
{
    uint64_t seed = n > 0 ? std::hash<double>{}(AsDouble(a[0]))
                          : static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    c.random->seed(seed);
    return {};
}

const Builtin kBuiltins[] = {
    {"abs", 1, 1, fAbs},
    {"atn", 1, 1, fAtn},
    {"cbool", 1, 1, fCBool},
    {"cdbl", 1, 1, fCDbl},
    {"cint", 1, 1, fCInt},
    {"clng", 1, 1, fCLng},
    {"cos", 1, 1, fCos},
    {"cstr", 1, 1, fCStr},
    {"exp", 1, 1, fExp},
    {"fix", 1, 1, fFix},
    {"int", 1, 1, fInt},
    {"isempty", 1, 1, fIsEmpty},
    {"isnumeric", 1, 1, fIsNumeric},
    {"lcase", 1, 1, fLCase},
    {"left", 2, 2, fLeft},
    {"len", 1, 1, fLen},
    {"log", 1, 1, fLog},
    {"ltrim", 1, 1, fLTrim},
    {"mid", 2, 3, fMid},
    {"randomize", 0, 1, fRandomize},
    {"right", 2, 2, fRight},
    {"rnd", 0, 1, fRnd},
    {"round", 1, 2, fRound},
    {"rtrim", 1, 1, fRTrim},
    {"sgn", 1, 1, fSgn},
    {"sin", 1, 1, fSin},
    {"sqr", 1, 1, fSqr},
    {"tan", 1, 1, fTan},
    {"trim", 1, 1, fTrim},
    {"ucase", 1, 1, fUCase},
};

} // namespace

const Builtin* FindBuiltin(std::string_view lowerName)
{
    for (const Builtin& b : kBuiltins)
        if (lowerName == b.name)
            return &b;
    return nullptr;
}

double CheckedResult(double r)
{
    if (!std::isfinite(r))
        raise(ErrOverflow);
    return r;
}

double CheckedDivide(double a, double b)
{
    if (b == 0.0)
        raise(a == 0.0 ? ErrOverflow : ErrDivisionByZero);
    return CheckedResult(a / b);
}

double CheckedSqr(double x)
{
    if (x < 0.0)
        raise(ErrInvalidCall);
    return std::sqrt(x);
}

double CheckedLog(double x)
{
    if (!(x > 0.0))
        raise(ErrInvalidCall);
    return std::log(x);
}

double CheckedExp(double x) { return CheckedResult(std::exp(x)); }

Value Negate(const Value& v)
{
    switch (v.type) {
    case Type::Empty:
        return Value::integer(0);
    case Type::Boolean:
    case Type::Integer:
        return Value::whole(-static_cast<int64_t>(v.i));
    case Type::Long:
        return integerResult(-static_cast<int64_t>(v.i), 1);
    case Type::Double:
        return Value::dbl(-v.d);
    case Type::String:
        return Value::dbl(-AsDouble(v));
    }
    return {};
}

Value Arithmetic(char op, const Value& a, const Value& b)
{
    if (op == '+' && (a.type == Type::String || b.type == Type::String)) {
        // "+" joins two texts (and a text with Empty); a text with a number adds.
        if ((a.type == Type::String || a.type == Type::Empty) && (b.type == Type::String || b.type == Type::Empty))
            return Value::string(a.s + b.s);
    }
    switch (op) {
    case '/':
        return Value::dbl(CheckedDivide(AsDouble(a), AsDouble(b)));
    case '^': {
        double x = AsDouble(a), y = AsDouble(b);
        if (x < 0.0 && y != std::floor(y))
            raise(ErrInvalidCall);
        if (x == 0.0 && y < 0.0)
            raise(ErrInvalidCall);
        return Value::dbl(CheckedResult(Power(x, y)));
    }
    case '\\':
    case 'M': {
        int resultRank = std::max(rank(a), rank(b)) == 0 ? 0 : 1;
        int64_t x = toLongRounded(a), y = toLongRounded(b);
        if (y == 0)
            raise(ErrDivisionByZero);
        return integerResult(op == '\\' ? x / y : x % y, resultRank);
    }
    default:
        break;
    }
    int r = std::max(rank(a), rank(b));
    if (r < 2) {
        int64_t x = wholeOf(a), y = wholeOf(b);
        int64_t v = op == '+' ? x + y : op == '-' ? x - y : x * y;
        return integerResult(v, r);
    }
    double x = AsDouble(a), y = AsDouble(b);
    double v = op == '+' ? x + y : op == '-' ? x - y : x * y;
    return Value::dbl(CheckedResult(v));
}

Value Concatenate(const Value& a, const Value& b) { return Value::string(ToText(a) + ToText(b)); }

Value Compare(char op, const Value& a, const Value& b)
{
    int c = 0;
    bool as = a.type == Type::String, bs = b.type == Type::String;
    if (as && bs) {
        c = a.s.compare(b.s);
    } else if (as || bs) {
        const Value& text = as ? a : b;
        const Value& other = as ? b : a;
        double d = 0.0;
        if (other.type == Type::Empty) {
            c = as ? a.s.compare("") : std::string().compare(b.s);
        } else if (ParseNumericString(text.s, d)) {
            double x = as ? d : AsDouble(a), y = as ? AsDouble(b) : d;
            c = x < y ? -1 : (x > y ? 1 : 0);
        } else {
            c = as ? 1 : -1; // a number sorts before a text
        }
    } else {
        double x = AsDouble(a), y = AsDouble(b);
        c = x < y ? -1 : (x > y ? 1 : 0);
    }
    bool r = false;
    switch (op) {
    case '=':
        r = c == 0;
        break;
    case '#':
        r = c != 0;
        break;
    case '<':
        r = c < 0;
        break;
    case '>':
        r = c > 0;
        break;
    case 'l':
        r = c <= 0;
        break;
    case 'g':
        r = c >= 0;
        break;
    }
    return Value::boolean(r);
}

Value Logical(char op, const Value& a, const Value& b)
{
    int32_t x = toLongRounded(a), y = toLongRounded(b);
    int32_t v = 0;
    switch (op) {
    case '&':
        v = x & y;
        break;
    case '|':
        v = x | y;
        break;
    case '^':
        v = x ^ y;
        break;
    case 'e':
        v = ~(x ^ y);
        break;
    case 'i':
        v = ~x | y;
        break;
    }
    if (a.type == Type::Boolean && b.type == Type::Boolean)
        return Value::boolean(v != 0);
    return integerResult(v, std::max(rank(a), rank(b)) == 0 ? 0 : 1);
}

Value LogicalNot(const Value& v)
{
    if (v.type == Type::Boolean)
        return Value::boolean(v.i == 0);
    int32_t x = toLongRounded(v);
    return integerResult(~x, rank(v) == 0 ? 0 : 1);
}

} // namespace ode::script
