#include "common/Power.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Exact powers rounded to the nearest double (by rational arithmetic). The first three are
// powers that glibc's pow rounds the other way; the rest it rounds correctly.
TEST(Power, IntegerPowersAreCorrectlyRounded)
{
    struct Case {
        double x;
        long k;
        double rounded;
    };
    const Case cases[] = {
        {0x1.3bec48782cba4p+1, 90, 0x1.3d0f9f649a247p+117},
        {-0x1.48a3c8129e216p+0, 30, 0x1.c11a05dedeae6p+10},
        {-0x1.014862c8347a0p-2, 111, -0x1.bdd9c7803a097p-222},
        {0.1, 7, 0x1.ad7f29abcaf4bp-24},
        {-1.1, -33, -0x1.60b8945320ab3p-5},
        {3.0, 40, 0x1.517168a4523fdp+63},
        {0x1.fffffffffffffp-1, 1000000, 0x1.ffffffff0bdc0p-1},
        {1.5, -700, 0x1.70afa8eee60e1p-410},
        {-2.5, 1, -2.5},
        {7.0, 0, 1.0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ode::CorrectlyRoundedIntegerPower(c.x, c.k), c.rounded) << c.x << "^" << c.k;
}

// Outside the range a double-double covers, and at zero, infinity and NaN, the power is the run
// time's, with its signs and special values.
TEST(Power, EdgesAreTheRunTimesPower)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double cases[][2] = {{0.0, 3},    {-0.0, 3},    {-0.0, -3}, {0.0, -2},   {inf, -1},   {-inf, 3},
                               {10.0, 400}, {-10.0, 401}, {0.1, 400}, {0.5, 1074}, {0.5, 1030}, {1e-300, -2}};
    for (const auto& c : cases) {
        const double ours = ode::CorrectlyRoundedIntegerPower(c[0], static_cast<long>(c[1]));
        const double theirs = std::pow(c[0], c[1]);
        EXPECT_TRUE(ours == theirs && std::signbit(ours) == std::signbit(theirs)) << c[0] << "^" << c[1];
    }
    EXPECT_TRUE(std::isnan(ode::CorrectlyRoundedIntegerPower(std::nan(""), 2)));
    EXPECT_EQ(ode::CorrectlyRoundedIntegerPower(std::nan(""), 0), 1.0);
}

} // namespace
