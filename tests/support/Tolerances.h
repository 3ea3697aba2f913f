#pragma once
// The tolerances the tests compare solutions with, by what they stand for, and the one
// close-enough comparison that names both numbers and the tolerance when it fails.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace ode::test {

// Relative agreement of two computations of the same double: the last digit or two.
constexpr double kRounding = 1e-13;
// A collocation solution against the exact one, between the grid points, at the examples'
// degrees (10 to 25) where the series converges.
constexpr double kCollocation = 1e-6;
// A residual the Newton iteration was asked to bring below its default bound, .01.
constexpr double kDefaultBound = 0.01;

// |actual - expected| <= tolerance * max(1, |expected|): absolute near 0, relative above 1.
inline ::testing::AssertionResult Close(double actual, double expected, double tolerance)
{
    const double scale = std::fmax(1.0, std::fabs(expected));
    if (std::fabs(actual - expected) <= tolerance * scale)
        return ::testing::AssertionSuccess();
    std::ostringstream s;
    s.precision(17);
    s << actual << " is not within " << tolerance << " (scaled by " << scale << ") of " << expected;
    return ::testing::AssertionFailure() << s.str();
}

} // namespace ode::test
