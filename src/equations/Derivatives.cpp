#include "equations/Derivatives.h"

#include "common/Text.h"

namespace ode {

std::string ReplaceDerivativeNames(std::string t, const std::string& depVarName, int maxOrder,
                                   const std::string& prefix)
{
    const std::string name = AsciiLower(depVarName);
    if (name.empty())
        return t;
    for (int k = maxOrder; k >= 1; --k) {
        const std::string target = name + std::string(static_cast<size_t>(k), '\'');
        const std::string replacement = prefix + std::to_string(k);
        size_t pos = t.find(target);
        while (pos != std::string::npos) {
            t.replace(pos, target.size(), replacement);
            pos = t.find(target, pos + 2);
        }
    }
    const std::string value = prefix + "0";
    size_t pos = t.find(name);
    while (pos != std::string::npos) {
        const bool before = pos > 0 && IsLetterOrDigit(t[pos - 1]);
        const size_t after = pos + name.size();
        const bool afterBad = after < t.size() && (IsLetterOrDigit(t[after]) || t[after] == '(');
        if (before || afterBad) {
            pos = t.find(name, pos + 1);
            continue;
        }
        t.replace(pos, name.size(), value);
        pos = t.find(name, pos + value.size());
    }
    return t;
}

std::string TranslateDerivatives(const std::string& text, const std::string& depVarName, int n)
{
    return ReplaceDerivativeNames(AsciiLower(text), depVarName, n, "Y");
}

std::optional<std::string> PrepareExpressions(const std::string& equation, const std::vector<std::string>& conditions,
                                              const std::string& depVarName, int n,
                                              std::vector<std::string>& residualExpr)
{
    residualExpr.assign(static_cast<size_t>(n) + 1, std::string());
    auto residual = [&](const std::string& text, std::string& out) {
        const size_t eq = text.find('=');
        std::string r = text;
        if (eq != std::string::npos) {
            const std::string left = text.substr(0, eq), right = text.substr(eq + 1);
            r = right == "0" ? left : left + "-(" + right + ")";
        }
        out = TranslateDerivatives(r, depVarName, n);
        // An apostrophe left over is a derivative above the order (the engine would read it
        // as the start of a comment).
        return out.find('\'') == std::string::npos;
    };
    if (!residual(equation, residualExpr[0]))
        return "The differential equation has a derivative of an order above " + std::to_string(n) + ".";
    for (int l = 1; l <= n; ++l) {
        const std::string& text =
            static_cast<size_t>(l - 1) < conditions.size() ? conditions[static_cast<size_t>(l - 1)] : std::string();
        if (!residual(text, residualExpr[static_cast<size_t>(l)]))
            return "Boundary condition " + std::to_string(l) + " has a derivative of an order above " +
                   std::to_string(n) + ".";
    }
    return std::nullopt;
}

std::vector<std::string> DeclarationStatements(const std::vector<std::string>& names, const std::vector<int>& varOrder)
{
    std::vector<std::string> out;
    for (size_t j = 0; j < names.size(); ++j)
        for (int k = 0; k <= varOrder[j]; ++k)
            out.push_back("public " + names[j] + std::to_string(k));
    return out;
}

std::string TranslateSystemText(const std::string& text, const std::vector<std::string>& names,
                                const std::vector<int>& varOrder)
{
    std::string t = AsciiLower(text);
    for (size_t j = 0; j < names.size(); ++j)
        t = ReplaceDerivativeNames(t, names[j], varOrder[j], AsciiLower(names[j]));
    return t;
}

} // namespace ode
