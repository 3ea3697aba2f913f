#pragma once
// The texts of a system of equations in several dependent variables: the order of each
// variable and the degrees of their series, and the split of a linear equation or condition
// into one coefficient text per variable and derivative order.

#include <optional>
#include <string>
#include <vector>

namespace ode {

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

// FindOrdersAndDegrees: orders by a search for name + k apostrophes (k = 9 ... 1) in the
// texts, without regard to case; the conditions shared out in sweeps from the highest order
// down, variables of equal order in index order. With `byOwnOrder` (the accurate method), where
// the conditions number the orders' sum, each variable gets as many extra degrees as its own
// order instead: a variable of order 4 beside one of order 2 needs 4 of six conditions' degrees,
// where the sweeps give it 3 and the system is singular.
OrdersAndDegrees FindOrdersAndDegrees(const std::vector<std::string>& equations,
                                      const std::vector<std::string>& depVarNames, int degree, int numBC,
                                      bool byOwnOrder = false);

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

} // namespace ode
