#pragma once
// Collocation solver of a system of linear equations in several dependent variables, one
// power series per variable. Unknowns are ordered variable by variable (powers 0 ... its
// degree); rows are the equations at the grid points, equation by equation, then the
// conditions in order. The conditions are shared out as extra degrees so that the system is
// square.

#include "script/ScriptHost.h"

#include <optional>
#include <string>
#include <vector>

namespace ode {

// The numbers of a linear system, as ReadInputs takes them from the boxes.
struct SystemInputs {
    int lastVar = 0; // number of equations minus 1
    int numBC = 0;
    int degree = 0; // m: the degree typed (and the number of grid intervals)
    double xlower = 0, xupper = 0, xcenter = 0;
    std::string indepVarName;
    std::vector<std::string> depVarNames; // 0 ... lastVar
    std::vector<std::string> equations;   // 0 ... lastVar
    std::vector<std::string> bcText;      // condition b at b-1
    std::vector<double> bcPoint;
    std::vector<std::string> constants;
};

struct OrdersAndDegrees {
    std::vector<int> varOrder; // highest derivative of each variable over all equations
    int maxOrder = 0, sumOrder = 0;
    int degree = 0;             // the grid's intervals: the typed degree, at least maxOrder + 2
    std::vector<int> varDegree; // degree of each variable's series
    int maxDegree = 0;
    int numUnknowns = 0;
    // Column of coefficient 0 of variable j.
    int offset(int j) const;
};

// FindOrdersAndDegrees: orders by a plain search for name + k apostrophes (k = 9 ... 1) in the
// texts as typed; the conditions shared out in sweeps from the highest order down, variables
// of equal order in index order.
OrdersAndDegrees FindOrdersAndDegrees(const std::vector<std::string>& equations,
                                      const std::vector<std::string>& depVarNames, int degree, int numBC);

// One text split across the variables in list order: coef[j][q] the coefficient text of the
// q-th derivative of variable j (q = 0 ... sumOrder), rhs the right side.
struct SystemSplit {
    std::vector<std::vector<std::string>> coef;
    std::string rhs = "0";
    std::optional<std::string> problem; // no "=" in the text
};
SystemSplit SplitSystemText(const std::string& text, const std::vector<std::string>& depVarNames, int sumOrder);

// The problem of a split, or a term whose derivative order is above its variable's order in
// the equations (it would be ignored): a message fragment such as "has no \"=\"".
std::optional<std::string> CheckSystemSplit(const SystemSplit& split, const OrdersAndDegrees& od,
                                            const std::vector<std::string>& names);

struct SystemSolution {
    bool solved = false;
    std::vector<std::vector<double>> coef; // coef[j][p], p = 0 ... varDegree(j)
    std::vector<std::string> lstCoeff;     // the listing, or the singular system's line
};

// SolveSystem: constants already run in `host`. Engine errors and arithmetic faults show
// their messages through the host and leave no solution.
SystemSolution SolveSystem(const SystemInputs& in, const OrdersAndDegrees& od, const std::vector<SystemSplit>& de,
                           const std::vector<SystemSplit>& bc, script::ScriptHost& host);

// VarDerivative: derivative `order` of variable j's series at x.
double VarDerivative(const std::vector<double>& coef, double center, int order, double x);

// ListBCErrors: "B.C. #b=error" for each condition. False when the engine failed.
bool SystemBCErrors(const SystemInputs& in, const OrdersAndDegrees& od, const std::vector<SystemSplit>& bc,
                    const std::vector<std::vector<double>>& coef, script::ScriptHost& host,
                    std::vector<std::string>& lines);

// Evaluate: "name=value" for each variable (lstValue) and "D.E. #e=residual" (lstDError).
bool SystemEvaluate(const SystemInputs& in, const OrdersAndDegrees& od, const std::vector<SystemSplit>& de,
                    const std::vector<std::vector<double>>& coef, double x, int order, script::ScriptHost& host,
                    std::vector<std::string>& values, std::vector<std::string>& residuals);

} // namespace ode
