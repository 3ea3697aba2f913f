#include "common/ProblemKind.h"

namespace ode {

const char* MagicWord(ProblemKind kind)
{
    switch (kind) {
    case ProblemKind::LinearPower:
        return "Pldif";
    case ProblemKind::LinearTrig:
        return "Tldif";
    case ProblemKind::NonlinearPower:
        return "Pndif";
    case ProblemKind::NonlinearTrig:
        return "Tndif";
    case ProblemKind::LinearSystem:
        return "Sldif";
    case ProblemKind::NonlinearSystem:
        return "Sndif";
    }
    return "";
}

std::optional<ProblemKind> KindOfMagicWord(std::string_view word)
{
    for (ProblemKind k : kProblemKinds)
        if (word == MagicWord(k))
            return k;
    return std::nullopt;
}

} // namespace ode
