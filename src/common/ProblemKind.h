#pragma once
// The six kinds of problem, in the chooser's order, and the magic word that opens each kind's
// problem file.

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

// The first item of the kind's problem file: "Pldif", "Tldif", "Pndif", "Tndif", "Sldif", "Sndif".
const char* MagicWord(ProblemKind kind);
// The kind a magic word opens; none for any other text.
std::optional<ProblemKind> KindOfMagicWord(std::string_view word);

} // namespace ode
