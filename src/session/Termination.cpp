#include "session/Termination.h"

namespace ode {

const char* TerminationName(Termination t)
{
    switch (t) {
    case Termination::Solved:
        return "Solved";
    case Termination::LinearlyDependent:
        return "LinearlyDependent";
    case Termination::Inconsistent:
        return "Inconsistent";
    case Termination::NoConvergence:
        return "NoConvergence";
    case Termination::ScriptError:
        return "ScriptError";
    case Termination::ArithmeticFault:
        return "ArithmeticFault";
    case Termination::Refused:
        return "Refused";
    }
    return "?";
}

} // namespace ode
