#include "equations/SystemText.h"

#include "common/Text.h"
#include "common/Utf8.h"

#include <algorithm>

namespace ode {

int OrdersAndDegrees::offset(int j) const
{
    int off = 0;
    for (int k = 0; k < j; ++k)
        off += varDegree[static_cast<size_t>(k)] + 1;
    return off;
}

OrdersAndDegrees FindOrdersAndDegrees(const std::vector<std::string>& equations, const std::vector<std::string>& names,
                                      int degree, int numBC, bool byOwnOrder)
{
    OrdersAndDegrees od;
    const size_t vars = names.size();
    od.varOrder.assign(vars, 0);
    // Names and equations are compared without regard to case, as everywhere else.
    std::vector<std::string> lowered;
    for (const std::string& eq : equations)
        lowered.push_back(AsciiLower(eq));
    for (size_t j = 0; j < vars; ++j)
        for (const std::string& eq : lowered)
            for (int k = 9; k >= 1; --k)
                if (eq.find(AsciiLower(names[j]) + std::string(static_cast<size_t>(k), '\'')) != std::string::npos) {
                    if (k > od.varOrder[j])
                        od.varOrder[j] = k;
                    break;
                }
    for (int o : od.varOrder) {
        od.sumOrder += o;
        od.maxOrder = std::max(od.maxOrder, o);
    }
    od.degree = std::max(degree, od.maxOrder + 2);
    od.varDegree.assign(vars, od.degree);
    od.maxDegree = od.degree;
    int left = numBC;
    if (byOwnOrder && numBC == od.sumOrder) {
        for (size_t j = 0; j < vars; ++j) {
            od.varDegree[j] += od.varOrder[j];
            od.maxDegree = std::max(od.maxDegree, od.varDegree[j]);
        }
        left = 0;
    }
    while (left > 0 && vars > 0) {
        for (int q = od.maxOrder; q >= 0 && left > 0; --q)
            for (size_t j = 0; j < vars && left > 0; ++j)
                if (od.varOrder[j] == q) {
                    ++od.varDegree[j];
                    od.maxDegree = std::max(od.maxDegree, od.varDegree[j]);
                    --left;
                }
    }
    od.numUnknowns = static_cast<int>(vars) * (od.degree + 1) + numBC;
    return od;
}

namespace {

// The first place from `from` on where the lower-case `name` stands in the lower-case `text` as a
// name of its own: not inside a longer name or number, not a function's name before "(".
size_t FindWholeName(const std::string& text, const std::string& name, size_t from)
{
    for (size_t pos = name.empty() ? std::string::npos : text.find(name, from); pos != std::string::npos;
         pos = text.find(name, pos + name.size())) {
        const size_t after = pos + name.size();
        const bool badBefore = pos > 0 && (IsDigit(text[pos - 1]) || IsLowerLetter(text[pos - 1]));
        const bool badAfter =
            after < text.size() && (IsDigit(text[after]) || IsLowerLetter(text[after]) || text[after] == '(');
        if (!badBefore && !badAfter)
            return pos;
    }
    return std::string::npos;
}

} // namespace

SystemSplit SplitSystemText(const std::string& text, const std::vector<std::string>& names, int sumOrder)
{
    SystemSplit r;
    r.coef.assign(names.size(), std::vector<std::string>(static_cast<size_t>(sumOrder) + 1, "0"));
    const size_t eq = text.find('=');
    if (eq == std::string::npos) {
        r.problem = "has no \"=\"";
        return r;
    }
    r.rhs = text.substr(eq + 1);
    std::string rest;
    for (char c : AsciiLower(text.substr(0, eq)))
        if (c != ' ')
            rest += c;
    for (size_t j = 0; j < names.size(); ++j) {
        // The name is matched without regard to case against the lower-cased left side;
        // messages show it as the user typed it.
        const std::string name = AsciiLower(names[j]);
        const size_t len = name.size();
        if (len == 0)
            continue;
        for (;;) {
            const size_t pos = FindWholeName(rest, name, 0);
            if (pos == std::string::npos)
                break;
            const size_t after = pos + len;
            std::string coefficient;
            if (pos == 0)
                coefficient = "1";
            else if (pos == 1 && (rest[0] == '+' || rest[0] == '-'))
                coefficient = rest[0] == '-' ? "-1" : "1";
            else if (pos == 1) {
                r.problem = "has a term \"" + Excerpt(rest.substr(0, after)) +
                            "\" without a coefficient; write it as coefficient*" + names[j];
                return r;
            } else
                coefficient = rest.substr(0, pos - 1);
            rest = rest.substr(after);
            size_t k = 0;
            while (k < rest.size() && rest[k] == '\'')
                ++k;
            rest = rest.substr(k);
            if (k > static_cast<size_t>(sumOrder)) {
                r.problem = "has a derivative of " + Excerpt(names[j]) + " of order " + std::to_string(k) +
                            ", above the orders the equations give";
                return r;
            }
            r.coef[j][k] = coefficient;
        }
    }
    return r;
}

std::optional<std::string> CheckSystemSplit(const SystemSplit& split, const OrdersAndDegrees& od,
                                            const std::vector<std::string>& names)
{
    if (split.problem)
        return split.problem;
    // The split takes a variable's coefficient as all the text before it, so a term of a later
    // variable written first ("z'-y=0") would become the coefficient of y: refused, not misread.
    for (size_t j = 0; j < split.coef.size(); ++j)
        for (const std::string& coefficient : split.coef[j]) {
            if (coefficient == "0")
                continue;
            const std::string text = AsciiLower(coefficient);
            for (const std::string& other : names)
                if (FindWholeName(text, AsciiLower(other), 0) != std::string::npos)
                    return "names " + Excerpt(other) + " in the coefficient of " + Excerpt(names[j]) +
                           ": write its terms in the order of the variables, each as coefficient*variable";
        }
    for (size_t j = 0; j < split.coef.size(); ++j)
        for (size_t q = static_cast<size_t>(od.varOrder[j]) + 1; q < split.coef[j].size(); ++q)
            if (split.coef[j][q] != "0")
                return "has a derivative of " + Excerpt(names[j]) + " of order " + std::to_string(q) +
                       ", above its order " + std::to_string(od.varOrder[j]) + " in the equations";
    return std::nullopt;
}

} // namespace ode
