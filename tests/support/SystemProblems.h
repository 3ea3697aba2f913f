#pragma once
// Problems the systems' tests share.

#include "systems/SystemSession.h"

#include <string>
#include <utility>
#include <vector>

namespace ode::test {

// y' + z = 0, z' + 2yz = 0, y(0) = z(0) = 1 on [0, 1], degree 10, bounds 1E-9, from zero
// coefficients: y = 1/(1+x), z = 1/(1+x)^2.
inline void ReciprocalSystem(SystemTexts& b)
{
    b.numDE = "2";
    b.numBC = "2";
    b.depVarNames = "y,z";
    b.equations = {"y'+z=0", "z'+2*y*z=0"};
    b.bcText = {"y=1", "z=1"};
    b.bcPoint = {"0", "0"};
    b.xlower = "0";
    b.xupper = "1";
    b.expansion = "0";
    b.terms = "10";
    b.errorD = "1E-9";
    b.errorC = "1E-9";
    b.maxcy = "20";
    b.approximation = "0 - Zero coefficients";
}

// Two variables y and z of x on [lower, upper]: the equations, each condition at its point, the
// degree typed, about 0.
inline void TwoVariableSystem(SystemTexts& b, std::vector<std::string> equations, std::vector<std::string> bcText,
                              std::vector<std::string> bcPoint, const std::string& lower, const std::string& upper,
                              const std::string& degree)
{
    b.numDE = "2";
    b.numBC = std::to_string(bcText.size());
    b.depVarNames = "y,z";
    b.equations = std::move(equations);
    b.bcText = std::move(bcText);
    b.bcPoint = std::move(bcPoint);
    b.xlower = lower;
    b.xupper = upper;
    b.expansion = "0";
    b.terms = degree;
}

} // namespace ode::test
