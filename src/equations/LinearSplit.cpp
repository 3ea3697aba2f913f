#include "equations/LinearSplit.h"

#include "common/Text.h"
#include "common/Utf8.h"

namespace ode {

SplitResult SplitLinearText(const std::string& text, const std::string& depVarName, int n)
{
    SplitResult r;
    r.texts.assign(static_cast<size_t>(n) + 2, "0");
    size_t eq = text.find('=');
    if (eq == std::string::npos) {
        r.problem = "has no \"=\"";
        return r;
    }
    r.texts[static_cast<size_t>(n) + 1] = text.substr(eq + 1);
    std::string rest;
    for (char c : AsciiLower(text.substr(0, eq)))
        if (c != ' ')
            rest += c;
    const std::string name = AsciiLower(depVarName);
    const size_t len = name.size();
    if (len == 0)
        return r;

    size_t from = 0; // 0-based scan position in `rest`
    for (;;) {
        size_t pos = rest.find(name, from);
        if (pos == std::string::npos)
            return r;
        bool badBefore = pos > 0 && (IsDigit(rest[pos - 1]) || IsLowerLetter(rest[pos - 1]));
        size_t after = pos + len;
        bool badAfter =
            after < rest.size() && (IsDigit(rest[after]) || IsLowerLetter(rest[after]) || rest[after] == '(');
        if (badBefore || badAfter) {
            from = pos + len;
            continue;
        }
        std::string coefficient;
        if (pos == 0) {
            coefficient = "1";
        } else if (pos == 1) {
            if (rest[0] == '+')
                coefficient = "1";
            else if (rest[0] == '-')
                coefficient = "-1";
            else {
                r.problem = "has a term \"" + Excerpt(rest.substr(0, pos + len)) +
                            "\" without a coefficient; write it as coefficient*" + depVarName;
                return r;
            }
        } else {
            coefficient = rest.substr(0, pos - 1); // the joining character is dropped
        }
        rest = rest.substr(after);
        size_t k = 0;
        while (k < rest.size() && rest[k] == '\'')
            ++k;
        rest = rest.substr(k);
        if (k > static_cast<size_t>(n)) {
            r.problem = "has a derivative of order " + std::to_string(k) + ", above the order " + std::to_string(n);
            return r;
        }
        r.texts[k] = coefficient;
        from = 0;
    }
}

SplitResult ExtractDECoefficients(const std::string& equation, const std::string& depVarName, int n)
{
    return SplitLinearText(equation, depVarName, n);
}

std::vector<SplitResult> ExtractBCCoefficients(const std::vector<std::string>& conditions,
                                               const std::string& depVarName, int n)
{
    std::vector<SplitResult> rows;
    rows.reserve(conditions.size());
    for (const std::string& c : conditions)
        rows.push_back(SplitLinearText(c, depVarName, n));
    return rows;
}

} // namespace ode
