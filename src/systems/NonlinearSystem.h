#pragma once
// Newton iteration for a system of nonlinear equations in several dependent variables, one
// power series per variable, on the grid and unknown ordering of the linear systems. The
// script variables of variable y are y0 (its value), y1 (y'), y2 (y'') ...

#include "equations/Derivatives.h"
#include "systems/LinearSystem.h"

#include <random>

namespace ode {

struct NonlinearSystemInputs : SystemInputs {
    double errorBoundDE = 0, errorBoundCoef = 0;
    int maxIterations = 0;
};

struct SystemNewtonResult {
    bool solved = false, dependence = false, inconsistence = false, convergence = false;
    bool beep = false, failed = false;
    int passes = 0;
    std::vector<std::string> lstCoeff;
};

// SolveSystem of the nonlinear systems from `coef` (N values, variable-major; updated in place).
SystemNewtonResult SolveNonlinearSystem(const NonlinearSystemInputs& in, const OrdersAndDegrees& od,
                                        const std::vector<std::string>& equationExpr,
                                        const std::vector<std::string>& conditionExpr, std::vector<double>& coef,
                                        script::ScriptHost& host);

// Sets the point x: the independent variable and every variable's value and derivatives.
bool SetSystemPoint(const SystemInputs& in, const OrdersAndDegrees& od, const std::vector<double>& coef, double x,
                    script::ScriptHost& host);

// The coefficient rows of a variable-major vector.
std::vector<std::vector<double>> SplitByVariable(const std::vector<double>& coef, const OrdersAndDegrees& od);

} // namespace ode
