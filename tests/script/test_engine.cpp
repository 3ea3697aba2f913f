#include "common/NumberFormat.h"
#include "script/Class1.h"
#include "script/Engine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>

namespace {

using ode::script::Class1;
using ode::script::Engine;
using ode::script::ScriptError;
using ode::script::Type;
using ode::script::Value;

double evalNumber(Engine& engine, const std::string& text)
{
    Value v;
    EXPECT_TRUE(engine.eval(text, v)) << text << ": " << engine.error().description;
    return AsDouble(v);
}

TEST(Engine, StatementsAssignDeclareAndChain)
{
    Engine engine;
    ASSERT_TRUE(engine.executeStatement("a = 2 : b = a * 3"));
    EXPECT_EQ(evalNumber(engine, "b"), 6);
    ASSERT_TRUE(engine.executeStatement("Dim c, d"));
    Value v;
    ASSERT_TRUE(engine.eval("c", v));
    EXPECT_EQ(v.type, Type::Empty);
    ASSERT_TRUE(engine.executeStatement("Public p::p = 1\r\nq = p + 1"));
    EXPECT_EQ(evalNumber(engine, "Q"), 2) << "names are case-insensitive";
    ASSERT_TRUE(engine.executeStatement("Randomize"));
    ASSERT_TRUE(engine.executeStatement(""));
    ASSERT_TRUE(engine.executeStatement("x = 1 ' comment"));
    // Eval compares where a statement assigns.
    ASSERT_TRUE(engine.eval("a = 2", v));
    EXPECT_EQ(v.type, Type::Boolean);
    EXPECT_EQ(evalNumber(engine, "a"), 2);
}

TEST(Engine, StatementErrorsCarryNumberAndPlace)
{
    struct Case {
        const char* text;
        int number;
        const char* description;
        int line;
        int column;
    };
    const Case cases[] = {
        {"x = (1 + 2", 1006, "Expected ')'", 1, 10},
        {"x = 1 2", 1025, "Expected end of statement", 1, 6},
        {"Dim 1", 1010, "Expected identifier", 1, 4},
        {"1 = x", 1024, "Expected statement", 1, 0},
        {"x = \"abc", 1033, "Unterminated string constant", 1, 4},
        {"x = 1 @", 1032, "Invalid character", 1, 6},
        {"Sin = 1", 501, "Illegal assignment: 'Sin'", 1, 0},
        {"a = 1\ny = 1/0", 11, "Division by zero", 2, 5},
        {"y = Sinn(1)", 13, "Type mismatch: 'Sinn'", 1, 4},
        {"h = \"text\"", 13, "Type mismatch", 1, 0},
    };
    for (const Case& c : cases) {
        Engine engine;
        engine.addObject("sh", std::make_shared<Class1>(), true);
        EXPECT_FALSE(engine.executeStatement(c.text)) << c.text;
        EXPECT_EQ(engine.error().number, c.number) << c.text;
        EXPECT_EQ(engine.error().description, c.description) << c.text;
        EXPECT_EQ(engine.error().line, c.line) << c.text;
        if (c.number > 1000) {
            EXPECT_EQ(engine.error().column, c.column) << c.text;
        }
    }
}

TEST(Engine, ErrorHandlerSeesEveryErrorAndSuccessClearsIt)
{
    Engine engine;
    std::vector<int> seen;
    engine.setErrorHandler([&seen](const ScriptError& e) { seen.push_back(e.number); });
    Value v;
    EXPECT_FALSE(engine.eval("1/0", v));
    EXPECT_FALSE(engine.eval("Sqr(-1)", v));
    EXPECT_FALSE(engine.executeStatement("x ="));
    EXPECT_EQ(seen, (std::vector<int>{11, 5, 1002}));
    EXPECT_TRUE(engine.eval("1", v));
    EXPECT_EQ(engine.error().number, 0);
}

TEST(Engine, SharedObjectMembersAreSharedBetweenEngines)
{
    auto shared = std::make_shared<Class1>();
    Engine first, second;
    first.addObject("sh", shared, true);
    second.addObject("sh", shared, true);
    ASSERT_TRUE(first.executeStatement("e = Exp(1)"));
    EXPECT_EQ(shared->e, std::exp(1.0));
    EXPECT_EQ(evalNumber(second, "E"), std::exp(1.0));
    shared->h = 0.000005;
    ASSERT_TRUE(second.executeStatement("Y2 = 3: YS=Y2:Y2=YS+h"));
    EXPECT_EQ(evalNumber(second, "Y2"), 3.000005);
    EXPECT_EQ(evalNumber(first, "Y2"), 0) << "ordinary variables belong to one engine";
    EXPECT_EQ(evalNumber(first, "sh.Tanh(0) + sh.h"), 0.000005) << "qualified members";
    Value v;
    EXPECT_FALSE(first.eval("sh.Missing(1)", v));
    EXPECT_EQ(first.error().number, 13);
    // A name given its value exactly before an object's member took it is the member's after.
    Engine late;
    ASSERT_TRUE(late.assignExactNumber("h", 1));
    late.addObject("sh", shared, true);
    EXPECT_FALSE(late.assignExactNumber("h", 2)) << "h is the shared object's property now";
    EXPECT_EQ(evalNumber(late, "h"), 0.000005);
}

// The host writes name & "=" & FormatSigned(x) for every point, and the solvers assign without
// text where they can: every x must give the variable exactly what that statement gives it
// (subtype and every bit), which is x rounded to 15 significant digits, as the same text gives
// inside a longer expression. Where the shortcut declines, the statement runs and says what
// happens.
TEST(Engine, AssignedNumbersAreWhatTheirStatementGives)
{
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> xs = {0.0,   -0.0,   1,      -1,         0.5,          32767,
                              32768, -32768, -32769, 2147483647, 2147483648.0, -2147483648.0};
    xs.insert(xs.end(), {999999999999999.0, 1e15, 123456789012345.67, 0.1 + 0.2, 1e-300, 1.0000001e-300, -9.99e299});
    xs.insert(xs.end(), {1e300, 1.7976931348623157e308, 4.9e-324, 2.2250738585072014e-308, inf, -inf, nan});
    std::mt19937_64 gen(11);
    std::uniform_real_distribution<double> m(-10, 10);
    for (int range : {20, 310}) {
        std::uniform_int_distribution<int> e(-range, range);
        for (int i = 0; i < 20000; ++i)
            xs.push_back(m(gen) * std::pow(10.0, e(gen)));
    }
    std::uniform_int_distribution<int> whole(-3000000, 3000000);
    for (int i = 0; i < 2000; ++i)
        xs.push_back(whole(gen));

    Engine direct, text;
    for (double x : xs) {
        const std::string statement = "y=" + ode::FormatSigned(x);
        const bool shortcut = direct.assignStatementNumber("y", x);
        const bool ranDirect = shortcut || direct.executeStatement(statement);
        const bool ranText = text.executeStatement(statement);
        ASSERT_EQ(ranDirect, ranText) << statement;
        if (!ranText) {
            EXPECT_EQ(direct.error().number, text.error().number) << statement;
            continue;
        }
        Value a, b;
        ASSERT_TRUE(direct.eval("y", a));
        ASSERT_TRUE(text.eval("y", b));
        ASSERT_EQ(a.type, b.type) << statement;
        const double da = AsDouble(a), db = AsDouble(b);
        ASSERT_EQ(std::memcmp(&da, &db, sizeof da), 0) << statement;
        ASSERT_EQ(db, ode::RoundTo15Digits(x)) << statement;
        // "+ 0" defeats the literal shortcut: the text through the compiled path.
        ASSERT_TRUE(text.executeStatement(statement + " + 0")) << statement;
        ASSERT_EQ(evalNumber(text, "y"), db) << statement;
    }
    EXPECT_LT(text.cachedTexts(), Engine::MaxCachedTexts + 1) << "the cache stays bounded";
    ASSERT_TRUE(text.executeStatement("n= 2"));
    Value v;
    ASSERT_TRUE(text.eval("n", v));
    EXPECT_EQ(v.type, Type::Integer) << "a whole number keeps the literal's subtype";
    // Names the shortcut leaves to the statement: a keyword, a builtin, a name with a blank.
    EXPECT_FALSE(direct.assignStatementNumber("mod", 1));
    EXPECT_FALSE(direct.assignStatementNumber("sin", 1));
    EXPECT_FALSE(direct.assignStatementNumber(" y", 1));
}

TEST(Engine, RandomNumbersFollowTheSeed)
{
    Engine a, b;
    a.seedRandom(42);
    b.seedRandom(42);
    double x = evalNumber(a, "Rnd"), y = evalNumber(b, "Rnd()");
    EXPECT_EQ(x, y);
    EXPECT_GE(x, 0.0);
    EXPECT_LT(x, 1.0);
    EXPECT_EQ(evalNumber(a, "Rnd(0)"), x) << "Rnd(0) repeats the last number";
}

} // namespace
