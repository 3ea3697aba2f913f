#pragma once
// A solution in Chebyshev polynomials on its interval [a, b]:
// y(x) = c0 T0(s) + ... + cN TN(s) with s = (2x - a - b) / (b - a). Values and derivatives come
// from the coefficients directly (Clenshaw's recurrence); the power series about a centre is
// derived from them, and a power series turns into one by interpolation.

#include <vector>

namespace ode {

struct ChebyshevSeries {
    double a = -1, b = 1;     // the interval
    std::vector<double> coef; // c0 ... cN (c0 not halved)
};

// The i-th of the m collocation points on [-1, 1]: cos(pi (2i + 1) / (2m)), a zero of Tm.
double ChebyshevPoint(int i, int m);

// The Chebyshev series of degree `degree` on [a, b] that interpolates the power series `power`
// about `centre` (the same polynomial when its degree is not above `degree`).
ChebyshevSeries PowerToChebyshev(const std::vector<double>& power, double centre, double a, double b, int degree);

// last + w (last - before), coefficient by coefficient (the shorter one's missing coefficients
// 0), on last's interval: a continuation's secant prediction of the next solution.
ChebyshevSeries Extrapolated(const ChebyshevSeries& last, const ChebyshevSeries& before, double w);

// The coefficients of d/ds of the series (one degree less; at least one coefficient).
std::vector<double> ChebyshevDerivativeCoefficients(const std::vector<double>& c);

// c0 T0(t) + ... + cN TN(t) by Clenshaw's recurrence, t in [-1, 1].
double ChebyshevSum(const std::vector<double>& c, double t);

// The derivative of order `derivative` (0: the value) at x, by Clenshaw's recurrence on the
// derivative's coefficients, scaled by (2 / (b - a))^derivative.
double ChebyshevDerivative(const ChebyshevSeries& s, int derivative, double x);

// The power series about `centre` with the same values: coefficient k is y^(k)(centre) / k!,
// taken stably (StablePowerForm, which also says how far the coefficients and their sum are true).
std::vector<double> ChebyshevToPower(const ChebyshevSeries& s, double centre);

// The derivatives of a series up to an order, prepared once for evaluating at many points
// (the residuals at every collocation point, the plot); each value is bit for bit what
// ChebyshevDerivative gives.
class ChebyshevDerivativeTable {
public:
    ChebyshevDerivativeTable(const ChebyshevSeries& s, int upTo);
    double operator()(int derivative, double x) const;
    int upTo() const { return static_cast<int>(m_coef.size()) - 1; }

private:
    double m_a, m_b;
    std::vector<std::vector<double>> m_coef; // d^k/ds^k, unscaled
    std::vector<double> m_factor;            // (2 / (b - a))^k
};

} // namespace ode
