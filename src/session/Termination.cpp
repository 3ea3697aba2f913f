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
    case Termination::Cancelled:
        return "Cancelled";
    }
    return "?";
}

std::string StoppedLine(const std::string& whatStands)
{
    return "STOPPED BY THE USER: " + (whatStands.empty() ? std::string("NO SOLUTION WAS FOUND YET") : whatStands);
}

} // namespace ode
