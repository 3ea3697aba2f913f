#include "script/Engine.h"

#include "common/NumberFormat.h"
#include "common/Text.h"
#include "script/Builtins.h"

#include <chrono>
#include <cmath>

namespace ode::script {

Engine::Engine() : m_random(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())) {}

Engine::~Engine() = default;

void Engine::addObject(const std::string& name, std::shared_ptr<HostObject> object, bool addMembers)
{
    if (addMembers)
        m_memberObjects.push_back(object.get());
    m_objects[AsciiLower(name)] = Added{std::move(object), addMembers};
    // Names already linked may now mean a member: compile afresh.
    m_statements.clear();
    m_expressions.clear();
    m_exactSlots.clear();
}

Value* Engine::variableSlot(const std::string& lowerName)
{
    auto it = m_variables.find(lowerName);
    if (it != m_variables.end())
        return it->second;
    m_storage.emplace_back();
    Value* slot = &m_storage.back();
    m_variables.emplace(lowerName, slot);
    return slot;
}

Engine::Binding Engine::bind(const NameRef& ref)
{
    Binding b;
    std::string lower = AsciiLower(ref.name);
    auto fromObject = [&](HostObject* obj) {
        HostObject::Member m = obj->findMember(lower);
        if (m.kind == HostObject::Member::Kind::Property) {
            b.kind = Binding::Kind::Property;
            b.property = obj->property(m.id);
            return true;
        }
        if (m.kind == HostObject::Member::Kind::Function) {
            b.kind = Binding::Kind::HostFunction;
            b.object = obj;
            b.id = m.id;
            b.arity = m.arity;
            return true;
        }
        return false;
    };
    if (!ref.qualifier.empty()) {
        auto it = m_objects.find(AsciiLower(ref.qualifier));
        if (it != m_objects.end() && fromObject(it->second.object.get()))
            return b;
        // An unknown object or member: the call fails when it runs.
        b.kind = Binding::Kind::Object;
        return b;
    }
    for (HostObject* obj : m_memberObjects)
        if (fromObject(obj))
            return b;
    if (const Builtin* builtin = FindBuiltin(lower)) {
        b.kind = Binding::Kind::Builtin;
        b.builtin = builtin;
        return b;
    }
    if (m_objects.count(lower)) {
        b.kind = Binding::Kind::Object;
        return b;
    }
    b.kind = Binding::Kind::Variable;
    b.variable = variableSlot(lower);
    return b;
}

const Engine::Compiled& Engine::compile(std::string_view text, bool expression)
{
    auto& cache = expression ? m_expressions : m_statements;
    std::string key(text);
    auto it = cache.find(key);
    if (it != cache.end())
        return *it->second;
    if (cachedTexts() >= MaxCachedTexts) {
        m_statements.clear();
        m_expressions.clear();
    }
    auto c = std::make_unique<Compiled>();
    c->program = expression ? ParseExpression(text) : ParseStatements(text);
    if (c->program.errorNumber == 0) {
        c->bindings.reserve(c->program.names.size());
        for (const NameRef& ref : c->program.names)
            c->bindings.push_back(bind(ref));
    }
    return *cache.emplace(std::move(key), std::move(c)).first->second;
}

bool Engine::fail(int number, const std::string& description, int line, int column)
{
    m_error.number = number;
    m_error.description = description;
    m_error.line = line;
    m_error.column = column;
    if (m_onError)
        m_onError(m_error);
    return false;
}

// "name=number" (as the host writes it for every point) runs without the cache: the number is
// read by the lexer exactly as a compiled statement would read it.
bool Engine::tryAssignLiteral(std::string_view text)
{
    size_t eq = text.find('=');
    if (eq == std::string_view::npos || eq == 0 || text.size() - eq > 40)
        return false;
    for (size_t k = eq + 1; k < text.size(); ++k) {
        char ch = text[k];
        if (!((ch >= '0' && ch <= '9') || ch == '.' || ch == 'E' || ch == 'e' || ch == '+' || ch == '-' || ch == ' '))
            return false;
    }
    LexResult lex = Lex(text);
    const auto& t = lex.tokens;
    if (lex.errorNumber != 0 || t.size() < 4 || t[0].kind != Tok::Name || t[1].kind != Tok::Eq)
        return false;
    size_t k = 2;
    bool negative = false;
    if (t[k].kind == Tok::Minus) {
        negative = true;
        ++k;
    }
    if (t[k].kind != Tok::Number || t[k + 1].kind != Tok::End)
        return false;
    Binding b = bind(NameRef{{}, t[0].text});
    if (b.kind != Binding::Kind::Variable && b.kind != Binding::Kind::Property)
        return false;
    Value v = negative ? Negate(t[k].value) : t[k].value;
    if (b.kind == Binding::Kind::Variable)
        *b.variable = std::move(v);
    else
        *b.property = AsDouble(v);
    return true;
}

namespace {

// The value of the literal FormatSigned(|x|) writes, as the lexer reads it: from 15
// significant digits; a whole number below 1E15 is an integer literal (Integer, Long, or
// Double above the Long range), anything else a Double. Only for 1E-300 < |x| < 1E300, where
// neither the rounding nor the reading can leave the range.
Value statementLiteral(double magnitude)
{
    const double r = RoundToSignificant(magnitude, 15);
    if (r < 1e15 && r == std::floor(r))
        return r > 2147483647.0 ? Value::dbl(r) : Value::whole(static_cast<int64_t>(r));
    return Value::dbl(r);
}

} // namespace

bool Engine::assignStatementNumber(std::string_view name, double x)
{
    const double magnitude = std::fabs(x);
    if (!(x == 0.0 || (magnitude > 1e-300 && magnitude < 1e300)) || !IsPlainName(name))
        return false;
    Binding b = bind(NameRef{{}, std::string(name)});
    if (b.kind != Binding::Kind::Variable && b.kind != Binding::Kind::Property)
        return false;
    m_error = ScriptError{};
    // FormatSigned writes " 0" for either zero; a negative number as "-" and its magnitude,
    // which the statement negates.
    Value v = x == 0.0 ? Value::whole(0) : statementLiteral(magnitude);
    if (std::signbit(x) && x != 0.0)
        v = Negate(v);
    if (b.kind == Binding::Kind::Variable)
        *b.variable = std::move(v);
    else
        *b.property = AsDouble(v);
    return true;
}

bool Engine::executeStatement(std::string_view text)
{
    m_error = ScriptError{};
    if (tryAssignLiteral(text))
        return true;
    const Compiled& c = compile(text, false);
    const Program& p = c.program;
    if (p.errorNumber != 0)
        return fail(p.errorNumber, ErrorDescription(p.errorNumber), p.errorLine, p.errorColumn);
    try {
        run(c);
    } catch (const ScriptException& e) {
        return fail(e.number, ErrorDescription(e.number, e.name), m_error.line, e.column >= 0 ? e.column : 0);
    }
    return true;
}

bool Engine::eval(std::string_view text, Value& result)
{
    m_error = ScriptError{};
    return evaluateExpression(text, [&](const Compiled& c) { result = evalNode(c, c.program.root); });
}

void Engine::run(const Compiled& c)
{
    for (const Statement& st : c.program.statements) {
        m_error.line = st.line;
        switch (st.kind) {
        case Statement::Kind::Declare:
            break; // the names were created when the text was linked
        case Statement::Kind::Assign:
            assign(c, st.target, evalNode(c, st.expr));
            break;
        case Statement::Kind::Call:
            call(c, c.program.nodes[st.expr]);
            break;
        }
    }
}

void Engine::assign(const Compiled& c, int nameIndex, Value value)
{
    const Binding& b = c.bindings[nameIndex];
    switch (b.kind) {
    case Binding::Kind::Variable:
        *b.variable = std::move(value);
        return;
    case Binding::Kind::Property:
        *b.property = AsDouble(value);
        return;
    default:
        throw ScriptException{ErrIllegalAssignment, c.program.names[nameIndex].name};
    }
}

void Engine::checkArity(const Compiled& c, const Node& n) const
{
    const Binding& b = c.bindings[n.name];
    if (b.kind == Binding::Kind::Builtin && (n.argCount < b.builtin->minArgs || n.argCount > b.builtin->maxArgs))
        throw ScriptException{ErrWrongArguments, {}, n.column};
    if (b.kind == Binding::Kind::HostFunction && n.argCount != b.arity)
        throw ScriptException{ErrWrongArguments, {}, n.column};
}

Value Engine::invoke(const Compiled& c, const Node& n, const Value* args)
{
    const Binding& b = c.bindings[n.name];
    const std::string& name = c.program.names[n.name].name;
    switch (b.kind) {
    case Binding::Kind::Builtin: {
        BuiltinContext ctx{&m_random, &m_lastRandom};
        try {
            return b.builtin->fn(ctx, args, n.argCount);
        } catch (ScriptException& e) {
            e.column = n.column;
            throw;
        }
    }
    case Binding::Kind::HostFunction:
        return b.object->call(b.id, args, n.argCount);
    case Binding::Kind::Property:
        if (n.argCount == 0)
            return Value::dbl(*b.property);
        throw ScriptException{ErrTypeMismatch, name, n.column};
    case Binding::Kind::Variable:
        if (n.op == Op::Name)
            return *b.variable;
        throw ScriptException{ErrTypeMismatch, name, n.column};
    case Binding::Kind::Object:
        throw ScriptException{ErrTypeMismatch, name, n.column};
    }
    return {};
}

Value Engine::call(const Compiled& c, const Node& n)
{
    checkArity(c, n);
    Value argsBuf[4];
    std::vector<Value> argsVec;
    Value* args = argsBuf;
    if (n.argCount > 4) {
        argsVec.resize(n.argCount);
        args = argsVec.data();
    }
    const Binding::Kind kind = c.bindings[n.name].kind;
    // Only functions evaluate their arguments (a variable or property refuses them first).
    if (kind == Binding::Kind::Builtin || kind == Binding::Kind::HostFunction)
        for (int k = 0; k < n.argCount; ++k)
            args[k] = evalNode(c, c.program.args[n.firstArg + k]);
    return invoke(c, n, args);
}

namespace {

// A binary operator under the Variant rules.
Value ApplyBinary(Op op, const Value& a, const Value& b)
{
    switch (op) {
    case Op::Add:
        return Arithmetic('+', a, b);
    case Op::Sub:
        return Arithmetic('-', a, b);
    case Op::Mul:
        return Arithmetic('*', a, b);
    case Op::Div:
        return Arithmetic('/', a, b);
    case Op::IntDiv:
        return Arithmetic('\\', a, b);
    case Op::Mod:
        return Arithmetic('M', a, b);
    case Op::Pow:
        return Arithmetic('^', a, b);
    case Op::Concat:
        return Concatenate(a, b);
    case Op::Eq:
        return Compare('=', a, b);
    case Op::Ne:
        return Compare('#', a, b);
    case Op::Lt:
        return Compare('<', a, b);
    case Op::Gt:
        return Compare('>', a, b);
    case Op::Le:
        return Compare('l', a, b);
    case Op::Ge:
        return Compare('g', a, b);
    case Op::And:
        return Logical('&', a, b);
    case Op::Or:
        return Logical('|', a, b);
    case Op::Xor:
        return Logical('^', a, b);
    case Op::Eqv:
        return Logical('e', a, b);
    case Op::Imp:
        return Logical('i', a, b);
    case Op::Is:
        throw ScriptException{ErrObjectRequired, {}};
    default:
        return {};
    }
}

} // namespace

Value Engine::binary(Op op, const Value& a, const Value& b)
{
    if (a.type == Type::Double && b.type == Type::Double) {
        // The common case of the solvers' texts, without the Variant rules.
        switch (op) {
        case Op::Add:
            return Value::dbl(CheckedResult(a.d + b.d));
        case Op::Sub:
            return Value::dbl(CheckedResult(a.d - b.d));
        case Op::Mul:
            return Value::dbl(CheckedResult(a.d * b.d));
        case Op::Div:
            return Value::dbl(CheckedDivide(a.d, b.d));
        default:
            break;
        }
    }
    return ApplyBinary(op, a, b);
}

Value Engine::evalNode(const Compiled& c, int index)
{
    const Node& n = c.program.nodes[index];
    try {
        switch (n.op) {
        case Op::Const:
            return n.value;
        case Op::Name: {
            const Binding& b = c.bindings[n.name];
            if (b.kind == Binding::Kind::Variable)
                return *b.variable;
            if (b.kind == Binding::Kind::Property)
                return Value::dbl(*b.property);
            // A function named without arguments is called with none.
            return call(c, n);
        }
        case Op::Call:
            return call(c, n);
        case Op::Neg:
            return Negate(evalNode(c, n.a));
        case Op::Pos:
            return evalNode(c, n.a);
        case Op::Not:
            return LogicalNot(evalNode(c, n.a));
        default:
            break;
        }
        // The left operand first: it decides which error shows and the order of Rnd's draws.
        const Value a = evalNode(c, n.a);
        const Value b = evalNode(c, n.b);
        return binary(n.op, a, b);
    } catch (ScriptException& e) {
        if (e.column < 0) {
            e.column = n.column;
            m_error.line = n.line;
        }
        throw;
    }
}

} // namespace ode::script
