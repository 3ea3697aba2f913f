#pragma once
// The two series families and their derivatives of any order.
//
// Power series of degree N about C:   y(x) = c0 + c1 (x-C) + ... + cN (x-C)^N.
// Trigonometric series with N+1 coefficients, period P and centre C, t = 2pi (x-C) / P:
//   y(x) = c0 + c1 sin t + c2 cos t + c3 sin 2t + c4 cos 2t + ...
// coefficient k >= 1 belongs to harmonic (k+1)/2, a sine for odd k and a cosine for even k;
// when N is odd the last coefficient multiplies a sine alone.
//
// Every evaluator makes one pass over the coefficients (Horner form for power series, the
// argument of harmonic j accumulated by adding t j times for trigonometric ones) and
// allocates nothing.

#include <array>

namespace ode {

enum class SeriesKind { Trigonometric = 0, Power = 1 };

// Fact(k) = k! for k = 0 ... 170, built as Fact(k) = k * Fact(k-1).
const std::array<double, 171>& Factorials();

// A solved series: coefficients c0 ... cN (`coef` points at c0; `degree` is N).
struct SeriesView {
    SeriesKind kind = SeriesKind::Power;
    const double* coef = nullptr;
    int degree = 0;
    double center = 0.0;
    double period = 0.0; // trigonometric series only
};

// The derivative of order `derOrder` (0: the value) of the series at x. `derOrder` must be
// 0 or more; an order above N gives 0 for a power series.
double SeriesDerivative(const SeriesView& s, int derOrder, double x);

// out[0 ... upTo] = SeriesDerivative(s, k, x) for k = 0 ... upTo, each bit for bit what that
// call returns. A power series' value and first two derivatives come from one pass whose three
// Horner chains are independent, so they run side by side instead of one after another.
void SeriesDerivatives(const SeriesView& s, int upTo, double x, double* out);

double PowerValue(const SeriesView& s, double x);
double PowerFirstDerivative(const SeriesView& s, double x);
double PowerSecondDerivative(const SeriesView& s, double x);
double PowerHigherDerivative(const SeriesView& s, int d, double x);

double TrigValue(const SeriesView& s, double x);
double TrigFirstDerivative(const SeriesView& s, double x);
double TrigSecondDerivative(const SeriesView& s, double x);
double TrigHigherDerivative(const SeriesView& s, int d, double x);

// 2 pi, as the run time computes it: 8 * Atn(1).
double TwoPi();

} // namespace ode
