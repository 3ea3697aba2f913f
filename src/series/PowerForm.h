#pragma once
// The power series about a centre of a solution found in Chebyshev polynomials, taken stably.
//
// The coefficient a_k of (x - C)^k is y^(k)(C) / k!; differentiating the Chebyshev series k times
// multiplies its rounding by about N^2 each time, so above degree 50 or so that way gives
// coefficients without a single right digit. Here they come from Cauchy's integral instead:
// a_k r^k is the k-th Fourier coefficient of y on the circle |z - C| = r, which the discrete
// Fourier transform of the series' values at M >= N + 1 points on the circle gives exactly
// (the series is a polynomial of degree N) but for rounding, about eps * max|y| on the circle.
// Each coefficient takes the circle, out of a range of radii, on which its error bound
// eps * max|y| / r^k is smallest; a coefficient no larger than its bound has no digit and is
// written as 0. The Chebyshev coefficients below rounding level are left out first: their noise
// would grow like the polynomials off the interval and carries nothing of the solution. So the
// coefficients are the Taylor coefficients of the solution as far as the Chebyshev series'
// digits determine them, and exactly (to rounding) those of the polynomial kept: their sum is
// the solution on the interval to `accuracy`, whatever the single high coefficients are.

#include "series/ChebyshevSeries.h"

#include <vector>

namespace ode {

struct PowerForm {
    std::vector<double> coef;  // a_0 ... a_N about the centre (0 where a coefficient has no digit)
    // Each coefficient's rounding bound: how far it may be from the coefficient of the polynomial
    // kept (the Chebyshev series without its tail at rounding level).
    std::vector<double> error;
    // How far the solution's own Taylor coefficient may be from a_k: what the rounding of the
    // Chebyshev coefficients (eps times the largest, in every one) and the tail beyond those kept
    // (falling on at the rate seen where they end) leave of it, by the same Cauchy bound on the
    // best circle.
    std::vector<double> uncertainty;
    // The radius of convergence about the centre, estimated from the decay of the coefficients
    // that are the solution's own (root test, relative to the solution's size, on those the
    // Chebyshev series' digits determine: the last one); `radiusAtLeast` when the estimates still
    // rise over their last third, as they do for a solution without singularities. With fewer
    // than three coefficients determined: infinite for a polynomial of a few terms (eight at most
    // after the rounding tail), NaN (unknown) for any other series.
    double radius = 0;
    bool radiusAtLeast = false;
    // How far the power series is from the Chebyshev series on the interval, relative to the
    // largest |y| there (the largest difference at 201 equally spaced points, both ends included).
    double accuracy = 0;
    // When the whole sum is far off (a series not resolved, or one reaching past its radius of
    // convergence), the degree it is cut at: where its partial sums come closest to the solution,
    // the coefficients above it 0. -1 for a series kept whole.
    int cut = -1;
};

// The stable power form of `s` about `centre` (any point; the interval's midpoint is the
// natural one). Every coefficient and bound is finite. The last sixteen forms made on a thread
// are kept and given again for the same series and centre: a solve lists its coefficients and
// then reads its readout from the same form.
PowerForm StablePowerForm(const ChebyshevSeries& s, double centre);

// Forget the forms kept (a benchmark's solves then each pay for theirs, as a first solve does).
void ForgetPowerForms();

} // namespace ode
