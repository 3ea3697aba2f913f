#pragma once
// The six kinds of problem, in the chooser's order, and the magic word that opens each kind's
// problem file.

#include "common/Limits.h"

#include <array>
#include <optional>
#include <string_view>

namespace ode {

enum class ProblemKind {
    LinearPower,     // frmPldif, "Pldif"
    LinearTrig,      // frmTldif, "Tldif"
    NonlinearPower,  // frmPndif, "Pndif"
    NonlinearTrig,   // frmTndif, "Tndif"
    LinearSystem,    // frmSldif, "Sldif"
    NonlinearSystem, // frmSndif, "Sndif"
};

inline constexpr std::array<ProblemKind, 6> kProblemKinds = {
    ProblemKind::LinearPower,   ProblemKind::LinearTrig,   ProblemKind::NonlinearPower,
    ProblemKind::NonlinearTrig, ProblemKind::LinearSystem, ProblemKind::NonlinearSystem,
};

constexpr bool IsSystem(ProblemKind k) { return k == ProblemKind::LinearSystem || k == ProblemKind::NonlinearSystem; }
constexpr bool IsNonlinear(ProblemKind k)
{
    return k == ProblemKind::NonlinearPower || k == ProblemKind::NonlinearTrig || k == ProblemKind::NonlinearSystem;
}
// Power series (every kind but the two trigonometric single equations).
constexpr bool IsPowerSeries(ProblemKind k) { return k != ProblemKind::LinearTrig && k != ProblemKind::NonlinearTrig; }

// What a kind solves with besides the equally spaced method, for the forms and the command line
// alike. The accurate method (Chebyshev polynomials at Chebyshev points) is for the power-series
// kinds: a trigonometric series is spectral already. The degree grows by itself in the accurate
// method or for a trigonometric series, where the coefficients' tail tells when to stop. The
// continuation sweeps a nonlinear power-series problem in the accurate method.
constexpr bool TakesAccurateMethod(ProblemKind k) { return IsPowerSeries(k); }
constexpr bool DegreeGrows(ProblemKind k, bool accurate) { return !IsPowerSeries(k) || accurate; }
constexpr bool TakesContinuation(ProblemKind k, bool accurate)
{
    return accurate && IsNonlinear(k) && IsPowerSeries(k);
}

// The automatic degree's limit where nothing says otherwise: a linear equation's power series
// and a linear system grow in the banded form, a nonlinear equation's power series by Newton's
// dense passes up to about 4000 unknowns, every other kind by dense collocation or Newton.
constexpr int DefaultAutoDegreeLimit(ProblemKind k)
{
    return k == ProblemKind::LinearPower || k == ProblemKind::LinearSystem ? kDefaultBandedAutoDegreeLimit
           : k == ProblemKind::NonlinearPower                              ? kDefaultNewtonAutoDegreeLimit
                                                                           : kDefaultAutoDegreeLimit;
}

// The first item of the kind's problem file: "Pldif", "Tldif", "Pndif", "Tndif", "Sldif", "Sndif".
const char* MagicWord(ProblemKind kind);
// The kind a magic word opens; none for any other text.
std::optional<ProblemKind> KindOfMagicWord(std::string_view word);

} // namespace ode
