#include "series/ChebyshevSeries.h"

#include "series/PowerForm.h"

#include <algorithm>
#include <cmath>

namespace ode {

namespace {

double sOf(const ChebyshevSeries& s, double x) { return (2 * x - s.a - s.b) / (s.b - s.a); }

// Clenshaw's recurrence for c0 T0(t) + ... + cN TN(t).
double clenshaw(const std::vector<double>& c, double t)
{
    double b1 = 0, b2 = 0;
    for (size_t k = c.size(); k-- > 1;) {
        const double b0 = 2 * t * b1 - b2 + c[k];
        b2 = b1;
        b1 = b0;
    }
    return (c.empty() ? 0.0 : c[0]) + t * b1 - b2;
}

} // namespace

double ChebyshevPoint(int i, int m) { return std::cos(3.14159265358979323846 * (2 * i + 1) / (2 * m)); }

ChebyshevSeries PowerToChebyshev(const std::vector<double>& power, double centre, double a, double b, int degree)
{
    // Interpolation at the N+1 zeros of T(N+1): exact, but for rounding, for a power series of
    // degree N or less; a longer one is cut to its interpolant.
    ChebyshevSeries s;
    s.a = a;
    s.b = b;
    const int m = degree + 1;
    s.coef.assign(static_cast<size_t>(m), 0.0);
    for (int i = 0; i < m; ++i) {
        const double t = ChebyshevPoint(i, m), x = (a + b) / 2 + t * (b - a) / 2;
        double y = 0;
        for (size_t k = power.size(); k-- > 0;)
            y = y * (x - centre) + power[k];
        // T_j(t) by the recurrence, accumulated into every coefficient.
        double previous = 1, current = t;
        s.coef[0] += y;
        for (int j = 1; j < m; ++j) {
            s.coef[static_cast<size_t>(j)] += y * current;
            const double next = 2 * t * current - previous;
            previous = current;
            current = next;
        }
    }
    s.coef[0] /= m;
    for (int j = 1; j < m; ++j)
        s.coef[static_cast<size_t>(j)] *= 2.0 / m;
    return s;
}

double ChebyshevSum(const std::vector<double>& c, double t) { return clenshaw(c, t); }

std::vector<double> ChebyshevDerivativeCoefficients(const std::vector<double>& c)
{
    const int N = static_cast<int>(c.size()) - 1;
    if (N < 1)
        return {0.0};
    std::vector<double> d(static_cast<size_t>(N) + 1, 0.0); // d[N] stays 0
    for (int k = N; k >= 1; --k)
        d[static_cast<size_t>(k) - 1] =
            (k + 1 <= N ? d[static_cast<size_t>(k) + 1] : 0.0) + 2 * k * c[static_cast<size_t>(k)];
    d[0] /= 2;
    d.pop_back();
    return d;
}

double ChebyshevDerivative(const ChebyshevSeries& s, int derivative, double x)
{
    std::vector<double> c = s.coef;
    const double scale = 2 / (s.b - s.a);
    double factor = 1;
    for (int k = 0; k < derivative; ++k) {
        c = ChebyshevDerivativeCoefficients(c);
        factor *= scale;
    }
    return factor * clenshaw(c, sOf(s, x));
}

std::vector<double> ChebyshevToPower(const ChebyshevSeries& s, double centre)
{
    return StablePowerForm(s, centre).coef;
}

ChebyshevDerivativeTable::ChebyshevDerivativeTable(const ChebyshevSeries& s, int upTo) : m_a(s.a), m_b(s.b)
{
    // As ChebyshevDerivative takes them: the coefficients differentiated k times, the factor
    // multiplied up one scale at a time.
    const double scale = 2 / (s.b - s.a);
    std::vector<double> c = s.coef;
    double factor = 1;
    for (int k = 0; k <= upTo; ++k) {
        m_coef.push_back(c);
        m_factor.push_back(factor);
        c = ChebyshevDerivativeCoefficients(c);
        factor *= scale;
    }
}

double ChebyshevDerivativeTable::operator()(int derivative, double x) const
{
    const size_t k = static_cast<size_t>(derivative);
    const double t = (2 * x - m_a - m_b) / (m_b - m_a);
    return m_factor[k] * clenshaw(m_coef[k], t);
}

ChebyshevSeries Extrapolated(const ChebyshevSeries& last, const ChebyshevSeries& before, double w)
{
    ChebyshevSeries s = last;
    s.coef.resize(std::max(last.coef.size(), before.coef.size()), 0.0);
    for (size_t k = 0; k < s.coef.size(); ++k) {
        const double b = k < before.coef.size() ? before.coef[k] : 0.0;
        s.coef[k] += w * (s.coef[k] - b);
    }
    return s;
}

} // namespace ode
