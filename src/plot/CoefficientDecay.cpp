#include "plot/CoefficientDecay.h"

#include <algorithm>
#include <cmath>

namespace ode::plot {

DecayPicture CoefficientDecay(const std::vector<double>& coef, double tolerance)
{
    DecayPicture p;
    double largest = 0, smallest = 0;
    bool any = false;
    for (double c : coef) {
        if (c == 0 || !std::isfinite(c))
            continue;
        const double l = std::log10(std::fabs(c));
        largest = any ? std::max(largest, l) : l;
        smallest = any ? std::min(smallest, l) : l;
        any = true;
    }
    if (!any) {
        p.kmax = std::max(1.0, static_cast<double>(coef.size()) - 1);
        return p;
    }
    p.target = largest + std::log10(tolerance);
    p.ymax = std::ceil(largest + 0.01);
    // Down to the smallest coefficient or the target, whichever is lower, and one decade more.
    p.ymin = std::floor(std::min(smallest, p.target)) - 1;
    p.ymin = std::max(p.ymin, p.ymax - 330); // subnormal coefficients do not squash the rest
    for (size_t k = 0; k < coef.size(); ++k) {
        const double c = coef[k];
        const double y = c == 0 || !std::isfinite(c) ? p.ymin : std::max(p.ymin, std::log10(std::fabs(c)));
        p.points.push_back({static_cast<double>(k), y});
    }
    p.kmax = std::max(1.0, static_cast<double>(coef.size()) - 1);
    return p;
}

} // namespace ode::plot
