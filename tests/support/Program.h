#pragma once
// The program the command-line tests run, and what the run they belong to can do. The same
// compiled tests run twice: against the program, and (environment ODESERIES_PROGRAM and
// ODESERIES_SANITIZED, set by CTest) against its instrumented twin, which draws no pictures.

#include <cstdlib>
#include <string>

namespace ode::test {

// The path of the program under test.
inline std::string Program()
{
    const char* instrumented = std::getenv("ODESERIES_PROGRAM");
    return instrumented && *instrumented ? instrumented : ODESERIES_EXECUTABLE;
}

// True in the run under the sanitizers, where everything is several times slower.
inline bool Sanitized()
{
    const char* flag = std::getenv("ODESERIES_SANITIZED");
    return flag && *flag;
}

// Whether the program draws pictures: it needs the window library, which is neither built
// without the windows nor loaded by the instrumented twin.
inline bool ProgramDrawsPictures() { return ODESERIES_WINDOWS && !Sanitized(); }

} // namespace ode::test
