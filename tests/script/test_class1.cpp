#include "common/NumberFormat.h"
#include "script/ScriptHost.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using ode::script::Class1;
using ode::script::ScriptHost;

struct Class1Case {
    const char* expr;
    const char* shown; // FormatNumber of the value
    friend void PrintTo(const Class1Case& c, std::ostream* os) { *os << c.expr; }
};

class Class1Test : public testing::TestWithParam<Class1Case> {
protected:
    std::shared_ptr<Class1> shared;
    std::vector<std::string> messages;
    ScriptHost host{shared, [this](const std::string& m) { messages.push_back(m); }};
    void SetUp() override { host.prepare(); }
};

TEST_P(Class1Test, FollowsItsFormulasAndReturnsZeroOnError)
{
    double v = -99;
    ASSERT_TRUE(host.evaluate(GetParam().expr, v)) << GetParam().expr;
    EXPECT_EQ(ode::FormatNumber(v), GetParam().shown) << GetParam().expr;
    EXPECT_TRUE(messages.empty()) << "the functions never show anything";
}

INSTANTIATE_TEST_SUITE_P(
    Values, Class1Test,
    testing::Values(Class1Case{"Asin(1)", "1.5707963267949"}, Class1Case{"Asin(-1)", "-1.5707963267949"},
                    Class1Case{"Acos(-1)", "3.14159265358979"}, Class1Case{"Acos(1)", "0"},
                    Class1Case{"Asin(0.5)", "0.523598775598299"}, Class1Case{"Acos(0.5)", "1.0471975511966"},
                    Class1Case{"Asin(1.5)", "0"}, Class1Case{"Acos(-2)", "0"}, Class1Case{"Acosh(0.5)", "0"},
                    Class1Case{"Acosh(-1)", "0"}, Class1Case{"Acosh(2)", "1.31695789692482"},
                    Class1Case{"Tanh(0)", "0"}, Class1Case{"Tanh(1)", "0.761594155955765"},
                    Class1Case{"Tanh(800)", "0"}, Class1Case{"Tanh(-800)", "0"},
                    Class1Case{"Atanh(0.5)", "0.549306144334055"}, Class1Case{"Atanh(1)", "0"},
                    Class1Case{"Atanh(-1)", "0"}, Class1Case{"Atanh(2)", "0"}, Class1Case{"Sinh(1)", "1.1752011936438"},
                    Class1Case{"Cosh(1)", "1.54308063481524"}, Class1Case{"Sinh(710)", "0"},
                    Class1Case{"Cosh(-710)", "0"}, Class1Case{"Asinh(1)", "0.881373587019543"},
                    Class1Case{"Asinh(1E200)", "0"}, Class1Case{"Asinh(\"x\")", "0"}, Class1Case{"Asin(Empty)", "0"},
                    Class1Case{"1 + Asin(2)", "1"}));

TEST(Class1Errors, TheLastTrappedErrorIsRecorded)
{
    Class1 c;
    EXPECT_EQ(c.lastErrorNumber(), 0);
    c.Atanh(ode::script::Value::dbl(1));
    EXPECT_EQ(c.lastErrorNumber(), 11);
    c.Acosh(ode::script::Value::dbl(0.5));
    EXPECT_EQ(c.lastErrorNumber(), 5);
    c.Sinh(ode::script::Value::dbl(1000));
    EXPECT_EQ(c.lastErrorNumber(), 6);
    c.Asin(ode::script::Value::string("abc"));
    EXPECT_EQ(c.lastErrorNumber(), 13);
}

TEST(Class1Errors, AsinNeedsHalfpiFromTheFormsLoad)
{
    Class1 c; // before any form has run "halfpi = Atn(1) * 2"
    EXPECT_EQ(c.Asin(ode::script::Value::dbl(1)), 0.0);
    c.halfpi = std::atan(1.0) * 2;
    EXPECT_EQ(c.Asin(ode::script::Value::dbl(1)), c.halfpi);
}

} // namespace
