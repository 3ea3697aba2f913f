#include "linear/Elimination.h"

#include <cmath>
#include <utility>

namespace ode {

bool AugmentedMatrix::allFinite() const
{
    for (double v : m_data)
        if (!std::isfinite(v))
            return false;
    return true;
}

EliminationOutcome Eliminate(AugmentedMatrix& a, std::vector<double>& coef)
{
    const int n = a.unknowns();
    const int last = n - 1; // N
    const int rhs = n;      // column N+1
    const int cols = a.columns();
    coef.assign(static_cast<size_t>(n), 0.0);

    for (int j = 0; j < last; ++j) {
        double magnitude = std::fabs(a.at(j, j));
        int pivot = j;
        for (int r = j + 1; r <= last; ++r) {
            double m = std::fabs(a.at(r, j));
            if (m > magnitude) {
                magnitude = m;
                pivot = r;
            }
        }
        if (magnitude == 0.0)
            continue; // a zero column: back substitution reports the singular system
        if (pivot != j) {
            double* pj = a.row(j);
            double* pp = a.row(pivot);
            for (int c = 0; c < cols; ++c)
                std::swap(pj[c], pp[c]);
        }
        const double* pj = a.row(j);
        const double diag = pj[j];
        for (int r = j + 1; r <= last; ++r) {
            double* pr = a.row(r);
            const double f = pr[j] / diag;
            for (int c = j; c < cols; ++c)
                pr[c] = pr[c] - f * pj[c];
        }
    }

    int singularRow = -1;
    for (int m = last; m >= 0; --m) {
        const double* pm = a.row(m);
        double s = 0.0;
        for (int c = m + 1; c <= last; ++c)
            s = s + pm[c] * coef[c];
        if (pm[m] == 0.0) {
            singularRow = m;
            break;
        }
        coef[m] = (pm[rhs] - s) / pm[m];
    }

    if (!a.allFinite())
        return EliminationOutcome::ArithmeticFault;
    for (double c : coef)
        if (!std::isfinite(c))
            return EliminationOutcome::ArithmeticFault;
    if (singularRow < 0)
        return EliminationOutcome::Solved;
    const double* pm = a.row(singularRow);
    double t = 0.0;
    for (int c = singularRow; c <= last; ++c)
        t = t + coef[c] * pm[c];
    return t == pm[rhs] ? EliminationOutcome::LinearlyDependent : EliminationOutcome::Inconsistent;
}

} // namespace ode
