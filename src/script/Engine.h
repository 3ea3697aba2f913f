#pragma once
// The expression engine: the program's texts (coefficients, right-hand sides, conditions,
// constants, the solvers' own statements) in the expression language's syntax.
//
// Stages: Lex (Lexer.h) -> Parse (Parser.h) -> link names to this engine's variables and host
// members -> evaluate. Compiled texts are cached per engine, so a text evaluated at every
// grid point is parsed once. The engine has no loops, no object creation and no file, shell
// or network access: whatever the user types ends in a value or an error.

#include "script/Parser.h"
#include "script/ScriptErrors.h"
#include "script/Value.h"

#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ode::script {

// An object whose members the engine can reach by name (Class1 is the one the program adds).
class HostObject {
public:
    struct Member {
        enum class Kind { None, Property, Function } kind = Kind::None;
        int id = -1;
        int arity = 0; // functions
    };
    virtual ~HostObject() = default;
    // The member named `lowerName` (names are case-insensitive).
    virtual Member findMember(std::string_view lowerName) const = 0;
    // Storage of a numeric property; assignments convert to a double.
    virtual double* property(int id) = 0;
    virtual Value call(int id, const Value* args, int count) = 0;
    // The derivative of function `id` at `args` with respect to argument `arg`, into `d`;
    // false when the object does not know it.
    virtual bool partial(int /*id*/, const Value* /*args*/, int /*count*/, int /*arg*/, double& /*d*/) { return false; }
};

// A value with its partial derivatives, and the variables they are taken for (Partials.cpp).
struct DualValue;
struct PartialSeeds;

class Engine {
public:
    using ErrorHandler = std::function<void(const ScriptError&)>;

    Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;
    ~Engine();

    // Makes `object` reachable as `name`; with `addMembers` its members are global names too.
    void addObject(const std::string& name, std::shared_ptr<HostObject> object, bool addMembers);

    // Runs the statements of `text`: assignments, Dim/Public declarations, calls, several
    // separated by ":" or line breaks. Returns false on an error (see error()).
    bool executeStatement(std::string_view text);

    // Assigns to `name` exactly what the statement `name=` & FormatSigned(x) assigns (the
    // number read back from its 15 digits, typed as that literal would be: Integer, Long or
    // Double), without writing or reading any text. Declines (false, nothing changed) where
    // only the statement can tell what happens: x not finite or near the ends of the range,
    // or a name that is not a plain variable or property; the caller then runs the text.
    bool assignStatementNumber(std::string_view name, double x);

    // Evaluates the expression `text` ("=" compares). Returns false on an error.
    bool eval(std::string_view text, Value& result);

    // Gives the plain variable `name` the Double x as it is, without the statement's rounding
    // to 15 digits (the accurate method's points and values). Declines for any other name.
    bool assignExactNumber(std::string_view name, double x);

    // Evaluates `text` as eval does and, by forward differentiation through the expression,
    // its partial derivatives with respect to the plain variables `names` (at most
    // kMaxPartials) into `partials`. The comparisons, logical operators and the functions
    // that round count as flat. `exact` turns false when a derivative passes through
    // something the engine cannot differentiate (a text function of a variable, a host
    // function without its derivative): those partials are then not to be trusted.
    static constexpr int kMaxPartials = 16;
    bool evalWithPartials(std::string_view text, const std::vector<std::string>& names, Value& result, double* partials,
                          bool& exact);

    // The last call's error; number 0 after a call that succeeded.
    const ScriptError& error() const { return m_error; }

    // Called at every error, as the control's Error event is.
    void setErrorHandler(ErrorHandler handler) { m_onError = std::move(handler); }

    // Seeds Rnd's generator (tests and the command line); otherwise it is seeded from the clock.
    void seedRandom(uint64_t seed) { m_random.seed(seed); }

    // Number of compiled texts held in the cache.
    size_t cachedTexts() const { return m_statements.size() + m_expressions.size(); }

    // Upper bound of the cache; past it the cache starts afresh.
    static constexpr size_t MaxCachedTexts = 20000;

private:
    struct Binding {
        enum class Kind { Variable, Property, HostFunction, Builtin, Object } kind = Kind::Variable;
        Value* variable = nullptr;
        double* property = nullptr;
        HostObject* object = nullptr;
        int id = -1;
        int arity = 0;
        const struct Builtin* builtin = nullptr;
    };
    struct Compiled {
        Program program;
        std::vector<Binding> bindings; // one per Program::names entry
    };

    const Compiled& compile(std::string_view text, bool expression);
    Binding bind(const NameRef& ref);
    Value* variableSlot(const std::string& lowerName);
    bool tryAssignLiteral(std::string_view text);

    Value evalNode(const Compiled& c, int node);
    // A binary operator's value: Doubles directly, anything else under the Variant rules.
    static Value binary(Op op, const Value& a, const Value& b);
    // The forward-differentiating evaluation (Partials.cpp).
    DualValue evalDual(const Compiled& c, int node, PartialSeeds& seeds);
    DualValue callDual(const Compiled& c, const Node& n, PartialSeeds& seeds);
    Value call(const Compiled& c, const Node& n);
    // A call's parts: the argument count checked before any argument is evaluated, then the
    // function, property or variable applied to the arguments' values.
    void checkArity(const Compiled& c, const Node& n) const;
    Value invoke(const Compiled& c, const Node& n, const Value* args);
    void assign(const Compiled& c, int nameIndex, Value value);
    void run(const Compiled& c);

    bool fail(int number, const std::string& description, int line, int column);
    // `text` compiled as an expression and handed to `body`, under the engine's failures: a
    // syntax error, or a run-time error `body` raises, ends in fail() with its number and place.
    template <typename Body> bool evaluateExpression(std::string_view text, Body&& body)
    {
        const Compiled& c = compile(text, true);
        const Program& p = c.program;
        if (p.errorNumber != 0)
            return fail(p.errorNumber, ErrorDescription(p.errorNumber), p.errorLine, p.errorColumn);
        try {
            m_error.line = 1;
            body(c);
        } catch (const ScriptException& e) {
            return fail(e.number, ErrorDescription(e.number, e.name), m_error.line, e.column >= 0 ? e.column : 0);
        }
        return true;
    }

    std::unordered_map<std::string, Value*> m_variables; // lower-case names
    std::deque<Value> m_storage;                         // stable addresses for bindings
    // The plain variables assignExactNumber found, by the name as given: the accurate method
    // assigns the same few at every point. Forgotten when an object's members may take a name.
    std::unordered_map<std::string, Value*> m_exactSlots;
    static constexpr size_t kMaxExactSlots = 64;
    struct Added {
        std::shared_ptr<HostObject> object;
        bool members;
    };
    std::unordered_map<std::string, Added> m_objects;
    std::vector<HostObject*> m_memberObjects;
    std::unordered_map<std::string, std::unique_ptr<Compiled>> m_statements;
    std::unordered_map<std::string, std::unique_ptr<Compiled>> m_expressions;
    ScriptError m_error;
    ErrorHandler m_onError;
    std::mt19937_64 m_random;
    double m_lastRandom = 0.0;
};

} // namespace ode::script
