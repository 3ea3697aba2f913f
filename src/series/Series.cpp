#include "series/Series.h"

#include "common/Power.h"

#include <cmath>

namespace ode {

const std::array<double, 171>& Factorials()
{
    static const std::array<double, 171> table = [] {
        std::array<double, 171> f{};
        f[0] = 1.0;
        for (int k = 1; k <= 170; ++k)
            f[k] = k * f[k - 1];
        return f;
    }();
    return table;
}

double TwoPi() { return 8.0 * std::atan(1.0); }

double PowerValue(const SeriesView& s, double x)
{
    const double t = x - s.center;
    double sum = 0.0;
    for (int k = s.degree; k >= 0; --k)
        sum = t * sum + s.coef[k];
    return sum;
}

double PowerFirstDerivative(const SeriesView& s, double x)
{
    const double t = x - s.center;
    double sum = 0.0;
    for (int k = s.degree; k >= 1; --k)
        sum = k * s.coef[k] + t * sum;
    return sum;
}

double PowerSecondDerivative(const SeriesView& s, double x)
{
    const double t = x - s.center;
    double sum = 0.0;
    for (int k = s.degree; k >= 2; --k)
        sum = static_cast<double>((k - 1) * k) * s.coef[k] + t * sum;
    return sum;
}

double PowerHigherDerivative(const SeriesView& s, int d, double x)
{
    const double t = x - s.center;
    const int n = s.degree;
    double sum = 0.0;
    if (n <= 170) {
        const auto& fact = Factorials();
        for (int k = n; k >= d; --k)
            sum = (fact[k] / fact[k - d]) * s.coef[k] + t * sum;
        return sum;
    }
    // Above 170! the factor k!/(k-d)! is carried as a running product.
    double f = 1.0;
    for (int i = n + 2 - d; i <= n + 1; ++i)
        f = f * i;
    for (int k = n; k >= d; --k) {
        f = f / (k + 1) * (k + 1 - d);
        sum = f * s.coef[k] + t * sum;
    }
    return sum;
}

namespace {

// Calls `pair(j, a, k)` for each sine/cosine pair (coefficients k, k+1) of harmonic j, and
// `lone(j, a)` for the last sine when N is odd; a is the accumulated argument j*t.
template <typename Pair, typename Lone> void forHarmonics(const SeriesView& s, double t, Pair pair, Lone lone)
{
    double a = 0.0;
    int j = 0;
    int k = 1;
    for (; k <= s.degree - 1; k += 2) {
        a = a + t;
        ++j;
        pair(j, a, k);
    }
    if (s.degree % 2 == 1) {
        a = a + t;
        ++j;
        lone(j, a);
    }
}

double trigArgument(const SeriesView& s, double x) { return TwoPi() * (x - s.center) / s.period; }

} // namespace

double TrigValue(const SeriesView& s, double x)
{
    const double* c = s.coef;
    double sum = c[0];
    forHarmonics(
        s, trigArgument(s, x), [&](int, double a, int k) { sum = sum + std::sin(a) * c[k] + std::cos(a) * c[k + 1]; },
        [&](int, double a) { sum = sum + std::sin(a) * c[s.degree]; });
    return sum;
}

double TrigFirstDerivative(const SeriesView& s, double x)
{
    const double* c = s.coef;
    double sum = 0.0;
    forHarmonics(
        s, trigArgument(s, x),
        [&](int j, double a, int k) { sum = sum + j * (c[k] * std::cos(a) - c[k + 1] * std::sin(a)); },
        [&](int j, double a) { sum = sum + j * c[s.degree] * std::cos(a); });
    return sum * (TwoPi() / s.period);
}

double TrigSecondDerivative(const SeriesView& s, double x)
{
    const double* c = s.coef;
    double sum = 0.0;
    forHarmonics(
        s, trigArgument(s, x),
        [&](int j, double a, int k) {
            sum = sum - static_cast<double>(j * j) * (c[k] * std::sin(a) + c[k + 1] * std::cos(a));
        },
        [&](int j, double a) { sum = sum - static_cast<double>(j * j) * c[s.degree] * std::sin(a); });
    return sum * Power(TwoPi() / s.period, 2.0);
}

double TrigHigherDerivative(const SeriesView& s, int d, double x)
{
    const double* c = s.coef;
    const bool even = d % 2 == 0;
    double sum = 0.0;
    forHarmonics(
        s, trigArgument(s, x),
        [&](int j, double a, int k) {
            double term =
                even ? c[k] * std::sin(a) + c[k + 1] * std::cos(a) : c[k] * std::cos(a) - c[k + 1] * std::sin(a);
            sum = sum + Power(static_cast<double>(j), d) * term;
        },
        [&](int j, double a) {
            sum = sum + Power(static_cast<double>(j), d) * c[s.degree] * (even ? std::sin(a) : std::cos(a));
        });
    if (d % 4 == 2 || d % 4 == 3)
        sum = -sum;
    return sum * Power(TwoPi() / s.period, static_cast<double>(d));
}

double SeriesDerivative(const SeriesView& s, int derOrder, double x)
{
    if (s.kind == SeriesKind::Power) {
        switch (derOrder) {
        case 0:
            return PowerValue(s, x);
        case 1:
            return PowerFirstDerivative(s, x);
        case 2:
            return PowerSecondDerivative(s, x);
        default:
            return PowerHigherDerivative(s, derOrder, x);
        }
    }
    switch (derOrder) {
    case 0:
        return TrigValue(s, x);
    case 1:
        return TrigFirstDerivative(s, x);
    case 2:
        return TrigSecondDerivative(s, x);
    default:
        return TrigHigherDerivative(s, derOrder, x);
    }
}

void SeriesDerivatives(const SeriesView& s, int upTo, double x, double* out)
{
    if (s.kind != SeriesKind::Power || upTo < 2) {
        for (int k = 0; k <= upTo; ++k)
            out[k] = SeriesDerivative(s, k, x);
        return;
    }
    // The three loops of PowerValue, PowerFirstDerivative and PowerSecondDerivative, with the
    // same operations in the same order; only their iterations are interleaved.
    const double t = x - s.center;
    const double* c = s.coef;
    double value = 0.0, first = 0.0, second = 0.0;
    int k = s.degree;
    for (; k >= 2; --k) {
        value = t * value + c[k];
        first = k * c[k] + t * first;
        second = static_cast<double>((k - 1) * k) * c[k] + t * second;
    }
    if (k == 1) {
        value = t * value + c[1];
        first = 1 * c[1] + t * first;
        k = 0;
    }
    if (k == 0)
        value = t * value + c[0];
    out[0] = value;
    out[1] = first;
    out[2] = second;
    for (int d = 3; d <= upTo; ++d)
        out[d] = PowerHigherDerivative(s, d, x);
}

} // namespace ode
