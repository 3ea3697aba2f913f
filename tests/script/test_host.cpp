#include "common/NumberFormat.h"
#include "script/Constants.h"
#include "script/ScriptHost.h"

#include <gtest/gtest.h>

namespace {

using ode::script::Class1;
using ode::script::ConstantList;
using ode::script::ScriptHost;

struct HostFixture : testing::Test {
    std::shared_ptr<Class1> shared;
    std::vector<std::string> messages;
    ScriptHost host{shared, [this](const std::string& m) { messages.push_back(m); }};
    void SetUp() override { host.prepare(); }

    std::string shown(const std::string& text)
    {
        double v = 0;
        EXPECT_TRUE(host.evaluate(text, v)) << text;
        return ode::FormatNumber(v);
    }

    // What a solve shows when evaluating `text` at x fails: the engine's Error event message
    // and the trap's message together.
    std::vector<std::string> failureAt(const std::string& text, double x)
    {
        messages.clear();
        double v = 0;
        EXPECT_TRUE(host.assignVariable("x", x));
        EXPECT_FALSE(host.evaluate(text, v)) << text;
        host.trap();
        return messages;
    }
};

TEST_F(HostFixture, PreparedEngineKnowsTheConstantsAndExtensionFunctions)
{
    EXPECT_EQ(shown("pi"), "3.14159265358979");
    EXPECT_EQ(shown("halfpi"), "1.5707963267949");
    EXPECT_EQ(shown("e"), "2.71828182845905");
    EXPECT_EQ(shown("Asinh(1)"), "0.881373587019543");
    EXPECT_EQ(host.Pi, shared->pi);
    EXPECT_EQ(host.HalfPi, shared->halfpi);
    EXPECT_EQ(host.EulerE, shared->e);
    EXPECT_EQ(shared->h, 0.0) << "h is set by the nonlinear forms only";
}

TEST_F(HostFixture, SecondFormSharesTheExtensionObject)
{
    ScriptHost plot(shared, {});
    plot.prepare();
    EXPECT_EQ(&plot.extension(), &host.extension());
    ASSERT_TRUE(host.execute("h = 0.25"));
    double v = 0;
    ASSERT_TRUE(plot.evaluate("h", v));
    EXPECT_EQ(v, 0.25);
}

TEST_F(HostFixture, AssignWritesTheSignedNumberStatement)
{
    ASSERT_TRUE(host.assignVariable("x", 0.1 + 0.2));
    EXPECT_EQ(shown("x"), "0.3");
    double v = 0;
    ASSERT_TRUE(host.evaluate("x", v));
    EXPECT_EQ(v, 0.3) << "rounded to 15 digits as the statement text carries it";
    ASSERT_TRUE(host.assignVariable("x", -0.25));
    EXPECT_EQ(shown("x*x-1"), "-0.9375");
}

TEST_F(HostFixture, EachFailureShowsExactlyOneMessage)
{
    EXPECT_EQ(failureAt("1/(x-1)", 1), std::vector<std::string>{"division by zero"});
    EXPECT_EQ(host.scriptErrorNumber(), 11);
    EXPECT_EQ(failureAt("Sqr(x)", -1), std::vector<std::string>{"Invalid procedure call or argument"});
    EXPECT_EQ(failureAt("Exp(1000*x)", 1), std::vector<std::string>{"overflow"});
    EXPECT_EQ(failureAt("Sinn(x)", 1), std::vector<std::string>{"Type mismatch: 'Sinn'"});
    EXPECT_EQ(failureAt("x +", 1), std::vector<std::string>{"Syntax error"});
    EXPECT_EQ(failureAt("\"abc\"", 1), std::vector<std::string>{"Type mismatch"})
        << "a result that is not a number is refused visibly";
    double v = 0;
    ASSERT_TRUE(host.evaluate("\"2.5\"", v)) << "a numeric text converts";
    EXPECT_EQ(v, 2.5);
    ASSERT_TRUE(host.evaluate("", v));
    EXPECT_EQ(v, 0) << "an empty result counts as 0";
}

TEST(TrapMessages, MapTheFourNumbers)
{
    EXPECT_EQ(ode::script::TrapMessage(5).value_or(""), "Invalid procedure call or argument");
    EXPECT_EQ(ode::script::TrapMessage(-2147352319).value_or(""), "Invalid procedure call or argument");
    EXPECT_EQ(ode::script::TrapMessage(6).value_or(""), "overflow");
    EXPECT_EQ(ode::script::TrapMessage(11).value_or(""), "division by zero");
    EXPECT_FALSE(ode::script::TrapMessage(13));
    EXPECT_FALSE(ode::script::TrapMessage(1002));
}

TEST(ConstantsList, AddReplacesByNameAndIgnoresBadEntries)
{
    ConstantList list;
    EXPECT_EQ(list.add("a=2"), ConstantList::AddResult::Added);
    EXPECT_EQ(list.add("b=a*2"), ConstantList::AddResult::Added);
    EXPECT_EQ(list.add("a=3"), ConstantList::AddResult::Replaced);
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"b=a*2", "a=3"}));
    EXPECT_EQ(list.add("A=4"), ConstantList::AddResult::Added) << "names compare exactly";
    for (const char* bad : {"2a=1", "a b=1", "abc", "=5", "a_b=1", "a.b=2"})
        EXPECT_EQ(list.add(bad), ConstantList::AddResult::Ignored) << bad;
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.add("c2=x=1"), ConstantList::AddResult::Added) << "the name ends at the first =";
}

TEST(ConstantsList, RemoveGivesTheZeroingStatement)
{
    ConstantList list;
    list.add("a=3");
    list.add("rate=0.5");
    EXPECT_FALSE(list.remove(-1));
    EXPECT_FALSE(list.remove(2));
    EXPECT_EQ(list.remove(0).value_or(""), "a=0");
    EXPECT_EQ(list.entries(), std::vector<std::string>{"rate=0.5"});
}

TEST(ConstantsList, HoldsAtMostOneHundredAndOneEntries)
{
    ConstantList list;
    for (int i = 0; i < 101; ++i)
        ASSERT_EQ(list.add("c" + std::to_string(i) + "=1"), ConstantList::AddResult::Added);
    EXPECT_EQ(list.add("extra=1"), ConstantList::AddResult::Full);
    EXPECT_EQ(list.add("c5=2"), ConstantList::AddResult::Replaced) << "replacing still works when full";
    EXPECT_EQ(list.count(), 101);
}

TEST_F(HostFixture, ConstantsRunInOrderAndARemovedOneReadsZero)
{
    ConstantList list;
    list.add("a=2.37");
    list.add("b=a*2");
    ASSERT_TRUE(host.executeConstants(list.entries()));
    EXPECT_EQ(shown("b"), "4.74");
    auto zeroing = list.remove(0);
    ASSERT_TRUE(zeroing);
    ASSERT_TRUE(host.execute(*zeroing));
    EXPECT_EQ(shown("a*10+1"), "1") << "an equation that still uses a sees 0";
    list.add("bad=1/0");
    messages.clear();
    EXPECT_FALSE(host.executeConstants(list.entries()));
    host.trap();
    EXPECT_EQ(messages, std::vector<std::string>{"division by zero"});
}

} // namespace
