#include "common/Power.h"

namespace ode {

namespace {

// A double-double: the value hi + lo with |lo| at most half a unit in the last place of hi.
struct Double2 {
    double hi = 0;
    double lo = 0;
};

// The exact product a * b as p + e (Dekker's split; no fused multiply-add is assumed).
void exactProduct(double a, double b, double& p, double& e)
{
    constexpr double split = 134217729.0; // 2^27 + 1
    p = a * b;
    double t = split * a;
    const double ah = t - (t - a), al = a - ah;
    t = split * b;
    const double bh = t - (t - b), bl = b - bh;
    e = ((ah * bh - p) + ah * bl + al * bh) + al * bl;
}

Double2 times(const Double2& x, const Double2& y)
{
    double p = 0, e = 0;
    exactProduct(x.hi, y.hi, p, e);
    e = e + (x.hi * y.lo + x.lo * y.hi);
    const double s = p + e;
    return {s, e - (s - p)};
}

// 1 / x, the quotient's first part corrected once by its exact remainder.
Double2 reciprocal(const Double2& x)
{
    const double q = 1.0 / x.hi;
    double p = 0, e = 0;
    exactProduct(q, x.hi, p, e);
    const double remainder = ((1.0 - p) - e) - q * x.lo;
    const double correction = remainder / x.hi;
    const double s = q + correction;
    return {s, correction - (s - q)};
}

// Where a double-double keeps about 106 bits: its low part stays a normal number and no
// product on the way overflows.
bool inRange(double v) { return std::isfinite(v) && std::fabs(v) >= 0x1p-900 && std::fabs(v) <= 0x1p+1000; }

} // namespace

double CorrectlyRoundedIntegerPower(double x, long k)
{
    if (k == 0)
        return 1.0;
    if (x == 0.0 || !std::isfinite(x))
        return std::pow(x, static_cast<double>(k));
    // Each product adds at most a few units of 2^-104 of relative error: after the 60 or so
    // that a 31-bit exponent takes, the double nearest to hi + lo is the correctly rounded power
    // except where the exact power lies within 2^-90 of a half-way point.
    Double2 result{1.0, 0.0}, base{x, 0.0};
    for (unsigned long n = k < 0 ? 0UL - static_cast<unsigned long>(k) : static_cast<unsigned long>(k);;) {
        if (n & 1) {
            result = times(result, base);
            if (!inRange(result.hi))
                return std::pow(x, static_cast<double>(k));
        }
        n >>= 1;
        if (n == 0)
            break;
        base = times(base, base);
        if (!inRange(base.hi))
            return std::pow(x, static_cast<double>(k));
    }
    if (k < 0)
        result = reciprocal(result);
    return inRange(result.hi) ? result.hi : std::pow(x, static_cast<double>(k));
}

} // namespace ode
