// Forward differentiation through the engine's expressions: every node carries its value,
// computed exactly as the plain evaluation computes it, and the node's derivatives with
// respect to the chosen variables, from the rules of calculus for each operator and function.

#include "common/Power.h"
#include "common/Text.h"
#include "script/Builtins.h"
#include "script/Engine.h"
#include "script/Lexer.h"

#include <cmath>
#include <cstring>

namespace ode::script {

struct DualValue {
    Value v;
    double d[Engine::kMaxPartials];
    bool active = false; // some derivative may be nonzero
};

struct PartialSeeds {
    std::vector<Value*> slots; // the variables, in the order of the partials
    bool exact = true;
};

namespace {

using Dual = DualValue;

bool IsNumber(const Value& v) { return v.type != Type::String; }

// A derivative-free value (a constant, a flat function).
Dual Flat(Value v)
{
    Dual r;
    r.v = std::move(v);
    std::memset(r.d, 0, sizeof r.d);
    return r;
}

// r.d = fa * a.d + fb * b.d.
void Combine(Dual& r, double fa, const Dual& a, double fb, const Dual& b, int count)
{
    r.active = a.active || b.active;
    for (int k = 0; k < count; ++k)
        r.d[k] = (a.active ? fa * a.d[k] : 0.0) + (b.active ? fb * b.d[k] : 0.0);
}

void Scale(Dual& r, double f, const Dual& a, int count)
{
    r.active = a.active;
    for (int k = 0; k < count; ++k)
        r.d[k] = a.active ? f * a.d[k] : 0.0;
}

// The derivative of a built-in of one number at x; false for the ones that are not smooth
// functions of a number (texts) and true with 0 for the flat ones (rounding, sign, random).
bool BuiltinSlope(std::string_view name, double x, double& slope)
{
    static constexpr std::string_view flat[] = {"cbool", "cint", "clng",      "fix",     "int",       "round",
                                                "sgn",   "rnd",  "randomize", "isempty", "isnumeric", "len"};
    for (std::string_view f : flat)
        if (name == f) {
            slope = 0;
            return true;
        }
    if (name == "abs")
        slope = x > 0 ? 1.0 : x < 0 ? -1.0 : 0.0;
    else if (name == "atn")
        slope = 1 / (1 + x * x);
    else if (name == "cdbl")
        slope = 1;
    else if (name == "cos")
        slope = -std::sin(x);
    else if (name == "sin")
        slope = std::cos(x);
    else if (name == "tan")
        slope = 1 / (std::cos(x) * std::cos(x));
    else if (name == "exp")
        slope = std::exp(x);
    else if (name == "log")
        slope = 1 / x;
    else if (name == "sqr")
        slope = 0.5 / std::sqrt(x);
    else
        return false;
    return true;
}

} // namespace

bool Engine::assignExactNumber(std::string_view name, double x)
{
    std::string key(name);
    if (const auto found = m_exactSlots.find(key); found != m_exactSlots.end()) {
        *found->second = Value::dbl(x);
        return true;
    }
    if (!IsPlainName(name))
        return false;
    Binding b = bind(NameRef{{}, key});
    if (b.kind != Binding::Kind::Variable)
        return false;
    *b.variable = Value::dbl(x);
    if (m_exactSlots.size() >= kMaxExactSlots)
        m_exactSlots.clear();
    m_exactSlots.emplace(std::move(key), b.variable);
    return true;
}

bool Engine::evalWithPartials(std::string_view text, const std::vector<std::string>& names, Value& result,
                              double* partials, bool& exact)
{
    m_error = ScriptError{};
    exact = true;
    if (names.size() > static_cast<size_t>(kMaxPartials))
        return fail(ErrOutOfStack, ErrorDescription(ErrOutOfStack), 0, 0);
    PartialSeeds seeds;
    for (const std::string& name : names)
        seeds.slots.push_back(variableSlot(AsciiLower(name)));
    const bool ok = evaluateExpression(text, [&](const Compiled& c) {
        Dual r = evalDual(c, c.program.root, seeds);
        result = std::move(r.v);
        for (size_t k = 0; k < names.size(); ++k)
            partials[k] = r.active ? r.d[k] : 0.0;
    });
    if (!ok)
        return false;
    exact = seeds.exact;
    return true;
}

DualValue Engine::evalDual(const Compiled& c, int index, PartialSeeds& seeds)
{
    const Node& n = c.program.nodes[index];
    const int count = static_cast<int>(seeds.slots.size());
    try {
        switch (n.op) {
        case Op::Const:
            return Flat(n.value);
        case Op::Name: {
            const Binding& b = c.bindings[n.name];
            if (b.kind == Binding::Kind::Variable) {
                Dual r = Flat(*b.variable);
                for (int k = 0; k < count; ++k)
                    if (seeds.slots[static_cast<size_t>(k)] == b.variable) {
                        r.d[k] = 1;
                        r.active = true;
                    }
                return r;
            }
            if (b.kind == Binding::Kind::Property)
                return Flat(Value::dbl(*b.property));
            return callDual(c, n, seeds);
        }
        case Op::Call:
            return callDual(c, n, seeds);
        case Op::Neg: {
            Dual a = evalDual(c, n.a, seeds);
            Dual r = Flat(Negate(a.v));
            Scale(r, -1, a, count);
            return r;
        }
        case Op::Pos:
            return evalDual(c, n.a, seeds);
        case Op::Not:
            return Flat(LogicalNot(evalDual(c, n.a, seeds).v));
        default:
            break;
        }
        const Dual a = evalDual(c, n.a, seeds);
        const Dual b = evalDual(c, n.b, seeds);
        Dual r = Flat(binary(n.op, a.v, b.v));
        const bool smooth = n.op == Op::Add || n.op == Op::Sub || n.op == Op::Mul || n.op == Op::Div || n.op == Op::Pow;
        if (!smooth || !(a.active || b.active))
            return r; // comparisons, logic, \ and Mod are flat; & makes a text
        if (!IsNumber(a.v) || !IsNumber(b.v) || !IsNumber(r.v)) {
            seeds.exact = false; // "+" joining texts, or a number read from a text
            return r;
        }
        const double x = AsDouble(a.v), y = AsDouble(b.v), z = AsDouble(r.v);
        switch (n.op) {
        case Op::Add:
            Combine(r, 1, a, 1, b, count);
            break;
        case Op::Sub:
            Combine(r, 1, a, -1, b, count);
            break;
        case Op::Mul:
            Combine(r, y, a, x, b, count);
            break;
        case Op::Div:
            Combine(r, 1 / y, a, -x / (y * y), b, count);
            break;
        default: // Pow: d(x^y) = y x^(y-1) dx + x^y log(x) dy
            Combine(r, y == 0 ? 0.0 : y * Power(x, y - 1), a, b.active ? z * std::log(x) : 0.0, b, count);
            break;
        }
        return r;
    } catch (ScriptException& e) {
        if (e.column < 0) {
            e.column = n.column;
            m_error.line = n.line;
        }
        throw;
    }
}

DualValue Engine::callDual(const Compiled& c, const Node& n, PartialSeeds& seeds)
{
    checkArity(c, n);
    const Binding& b = c.bindings[n.name];
    const int count = static_cast<int>(seeds.slots.size());
    const bool function = b.kind == Binding::Kind::Builtin || b.kind == Binding::Kind::HostFunction;
    std::vector<Dual> args;
    std::vector<Value> values;
    if (function)
        for (int k = 0; k < n.argCount; ++k) {
            args.push_back(evalDual(c, c.program.args[n.firstArg + k], seeds));
            values.push_back(args.back().v);
        }
    Dual r = Flat(invoke(c, n, values.data()));
    if (b.kind == Binding::Kind::Variable) {
        for (int k = 0; k < count; ++k)
            if (seeds.slots[static_cast<size_t>(k)] == b.variable) {
                r.d[k] = 1;
                r.active = true;
            }
        return r;
    }
    bool anyActive = false;
    for (const Dual& a : args)
        anyActive = anyActive || a.active;
    if (!anyActive)
        return r;
    if (b.kind == Binding::Kind::Builtin) {
        double slope = 0;
        const std::string_view name = b.builtin->name;
        const bool oneNumber = n.argCount == 1 && IsNumber(values[0]) && IsNumber(r.v);
        if (oneNumber && BuiltinSlope(name, AsDouble(values[0]), slope))
            Scale(r, slope, args[0], count);
        else if (!(name == "round" || name == "rnd" || name == "len" || name == "isnumeric" || name == "isempty"))
            seeds.exact = false; // a text function, or Round's digits
        return r;
    }
    // A host function: each argument's share from the object's own derivative.
    std::memset(r.d, 0, sizeof r.d);
    for (int a = 0; a < n.argCount; ++a) {
        if (!args[static_cast<size_t>(a)].active)
            continue;
        double slope = 0;
        if (!b.object->partial(b.id, values.data(), n.argCount, a, slope)) {
            seeds.exact = false;
            continue;
        }
        r.active = true;
        for (int k = 0; k < count; ++k)
            r.d[k] += slope * args[static_cast<size_t>(a)].d[k];
    }
    return r;
}

} // namespace ode::script
