#pragma once
// The coefficient-decay picture users read as the accurate method's convergence check:
// log10 |ck| against k for the Chebyshev coefficients, with the level the automatic degree
// aims for. A series that has converged falls to that level and flattens into rounding noise.

#include <utility>
#include <vector>

namespace ode::plot {

struct DecayPicture {
    std::vector<std::pair<double, double>> points; // (k, log10 |ck|); a zero at the floor
    double ymin = -17, ymax = 1;                   // whole decades, the floor at ymin
    double kmax = 1;                               // the last index (at least 1)
    double target = -13;                           // log10 of tolerance times the largest |ck|
};

// The picture's axis titles: the coefficient's index across, log10 of its size up.
inline constexpr const char* kDecayIndexTitle = "index k";
inline constexpr const char* kDecayValueTitle = "log10 |ck|";

// The picture of `coef` (c0 ... cN) for the relative `tolerance`.
DecayPicture CoefficientDecay(const std::vector<double>& coef, double tolerance);

} // namespace ode::plot
