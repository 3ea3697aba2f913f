// Forward differentiation through the engine: values equal to the plain evaluation's, and
// partial derivatives equal to the closed forms, for every operator and function a nonlinear
// equation is written with.

#include "script/ScriptHost.h"
#include "support/Tolerances.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using ode::script::Class1;
using ode::script::ScriptHost;

constexpr double y0v = 0.7, y1v = -0.3, y2v = 1.9, xv = 1.3;

struct PartialsCase {
    const char* text;
    double d0, d1, d2; // d/dY0, d/dY1, d/dY2 at the point
    bool exact = true;
};

void PrintTo(const PartialsCase& c, std::ostream* out) { *out << c.text; }

class Partials : public testing::TestWithParam<PartialsCase> {
protected:
    std::shared_ptr<Class1> shared;
    std::vector<std::string> messages;
    ScriptHost host{shared, [this](const std::string& m) { messages.push_back(m); }};
    void SetUp() override
    {
        host.prepare();
        ASSERT_TRUE(host.assignExact("Y0", y0v));
        ASSERT_TRUE(host.assignExact("Y1", y1v));
        ASSERT_TRUE(host.assignExact("Y2", y2v));
        ASSERT_TRUE(host.assignExact("x", xv));
        ASSERT_TRUE(host.execute("k=3"));
    }
};

TEST_P(Partials, ValueAsPlainEvaluationAndPartialsAsTheClosedForm)
{
    const PartialsCase& c = GetParam();
    double plain = 0, value = 0, d[3] = {9, 9, 9};
    bool exact = false;
    ASSERT_TRUE(host.evaluate(c.text, plain)) << c.text;
    ASSERT_TRUE(host.evaluateWithPartials(c.text, {"Y0", "Y1", "Y2"}, value, d, exact)) << c.text;
    EXPECT_EQ(value, plain) << c.text; // the same operations, bit for bit
    EXPECT_EQ(exact, c.exact) << c.text;
    if (!c.exact)
        return;
    const double expected[3] = {c.d0, c.d1, c.d2};
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(ode::test::Close(d[k], expected[k], 1e-14)) << c.text << " d/dY" << k << " " << d[k];
}

const double s = std::sin(y0v), co = std::cos(y0v);

INSTANTIATE_TEST_SUITE_P(
    Rules, Partials,
    testing::Values(PartialsCase{"Y2-2*Y0^3", -6 * y0v* y0v, 0, 1}, PartialsCase{"Y2+x*Y1*Y0-k", xv* y1v, xv* y0v, 1},
                    PartialsCase{"Y1/Y0", -y1v / (y0v * y0v), 1 / y0v, 0}, PartialsCase{"-Y0+(+Y1)", -1, 1, 0},
                    PartialsCase{"Y0^Y2", y2v* std::pow(y0v, y2v - 1), 0, std::pow(y0v, y2v) * std::log(y0v)},
                    PartialsCase{"2^Y1", 0, std::pow(2, y1v) * std::log(2.0), 0},
                    PartialsCase{"sin(Y0)*cos(Y1)", co* std::cos(y1v), -s* std::sin(y1v), 0},
                    PartialsCase{"tan(Y0)+atn(Y1)", 1 / (co * co), 1 / (1 + y1v * y1v), 0},
                    PartialsCase{"exp(Y0)+log(Y2)+sqr(Y2)", std::exp(y0v), 0, 1 / y2v + 0.5 / std::sqrt(y2v)},
                    PartialsCase{"abs(Y1)+cdbl(Y0)", 1, -1, 0},
                    PartialsCase{"sinh(Y0)+cosh(Y1)+tanh(Y2)", std::cosh(y0v), std::sinh(y1v),
                                 1 - std::tanh(y2v) * std::tanh(y2v)},
                    PartialsCase{"asin(Y0)+acos(Y1)+atanh(Y1)", 1 / std::sqrt(1 - y0v * y0v),
                                 -1 / std::sqrt(1 - y1v * y1v) + 1 / (1 - y1v * y1v), 0},
                    PartialsCase{"asinh(Y0)+acosh(Y2)", 1 / std::sqrt(y0v* y0v + 1), 0, 1 / std::sqrt(y2v* y2v - 1)},
                    // Flat pieces: rounding, signs, comparisons and logic.
                    PartialsCase{"int(Y0)+fix(Y1)+sgn(Y2)+round(Y2)+(Y0>Y1)+(Y0 mod 2)+(Y2\\1)", 0, 0, 0},
                    PartialsCase{"pi*Y0+e", std::atan(1.0) * 4, 0, 0},
                    // A text made of a variable cannot be differentiated: said, not guessed.
                    PartialsCase{"len(cstr(Y0))+cdbl(cstr(Y1))", 0, 0, 0, false},
                    PartialsCase{"Y0 & \"\"", 0, 0, 0, false}));

TEST(PartialsEngine, ErrorsAreTheEvaluationsOwnAndExactAssignmentsKeepEveryDigit)
{
    std::shared_ptr<Class1> shared;
    std::vector<std::string> messages;
    ScriptHost host{shared, [&](const std::string& m) { messages.push_back(m); }};
    host.prepare();
    const double third = 1.0 / 3.0;
    ASSERT_TRUE(host.assignExact("Y0", third));
    double v = 0, d[1] = {0};
    bool exact = false;
    ASSERT_TRUE(host.evaluateWithPartials("Y0", {"Y0"}, v, d, exact));
    EXPECT_EQ(v, third); // the statement would have kept 15 digits
    EXPECT_EQ(d[0], 1.0);
    // The division by zero is raised as plain evaluation raises it.
    ASSERT_TRUE(host.assignExact("Y0", 0));
    EXPECT_FALSE(host.evaluateWithPartials("1/Y0", {"Y0"}, v, d, exact));
    const ode::script::ScriptError withPartials = host.fault();
    EXPECT_FALSE(host.evaluate("1/Y0", v));
    EXPECT_EQ(withPartials.number, ode::script::ErrDivisionByZero);
    EXPECT_EQ(withPartials.number, host.fault().number);
    EXPECT_EQ(withPartials.column, host.fault().column);
}

} // namespace
