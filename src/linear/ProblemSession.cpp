#include "linear/ProblemSession.h"

namespace ode {

void ProblemSession::clearResults()
{
    Session::clearResults();
    m_lblValue.clear();
}

} // namespace ode
