#pragma once
// x^y as the program computes it on every platform. Powers fill the equally spaced method's
// matrices (u^0 ... u^N at every grid point) and the expression engine's "^", so a power that
// rounds differently moves the listed digits of every ill-conditioned solve.
//
// With the GNU C library the power is its pow, whose results the program's pinned outputs are.
// Elsewhere an integer power is rounded correctly (a double-double product by repeated squaring)
// where the run times' own pow can be far off (MinGW-w64's is off by up to 37 units in the last
// place for integer exponents, and differs from glibc's in five of six cases): glibc's pow is
// correctly rounded for all but about one integer power in a thousand, so the two platforms
// then agree on nearly every power. A non-integer exponent is the run time's pow everywhere.

#include <cmath>

namespace ode {

// x^k for an integer k, correctly rounded; std::pow(x, k) where the result or its working
// would leave the range in which a double-double carries its digits (near overflow or
// underflow) and for x zero, infinite or not a number.
double CorrectlyRoundedIntegerPower(double x, long k);

inline double Power(double x, double y)
{
#if defined(__GLIBC__)
    return std::pow(x, y);
#else
    if (y == std::floor(y) && std::fabs(y) <= 1073741824.0)
        return CorrectlyRoundedIntegerPower(x, static_cast<long>(y));
    return std::pow(x, y);
#endif
}

} // namespace ode
