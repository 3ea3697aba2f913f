#include "nonlinear/NonlinearProblem.h"

#include "common/NumberFormat.h"
#include "common/ProblemKind.h"
#include "common/Text.h"
#include "script/Translation.h"

namespace ode {

const char* const kApproximationItems[5] = {
    "0 - Zero coefficients", "1 - Unit coefficients",     "2 - Random coefficients",
    "3 - Series from file",  "4 - Current approximation",
};

NonlinearTexts DefaultNonlinearTexts(SeriesKind kind)
{
    NonlinearTexts t;
    static_cast<LinearTexts&>(t) = DefaultLinearTexts(kind);
    t.equation = kind == SeriesKind::Power ? "y''-2*y^3=0" : "exp(x)*y''-y*y'+y=exp(x)";
    t.bcText = {"y'+y^2=0"};
    t.bcPoint = {"3"};
    t.xlower = "1";
    t.xupper = "3";
    t.expansion = "*";
    t.terms = kind == SeriesKind::Power ? "22" : "23";
    t.period = "*";
    return t;
}

const char* NonlinearMagic(SeriesKind kind)
{
    return MagicWord(kind == SeriesKind::Power ? ProblemKind::NonlinearPower : ProblemKind::NonlinearTrig);
}

NonlinearInputs ReadNonlinearInputs(const NonlinearTexts& texts, SeriesKind kind, double pi)
{
    NonlinearInputs in;
    static_cast<LinearInputs&>(in) = ReadLinearInputs(texts, kind, pi);
    if (kind == SeriesKind::Trigonometric) {
        in.period = texts.period == "*" ? pi + pi : ParseNumber(texts.period);
        in.omega = 2 * pi / in.period;
    }
    in.errorBoundDE = ParseNumber(texts.errorD);
    in.errorBoundCoef = ParseNumber(texts.errorC);
    in.maxIterations = static_cast<int>(ParseWholeNumber(texts.maxcy));
    return in;
}

bool CheckNonlinearOrderText(const std::string& text) { return CheckOrderText(text) && ParseWholeNumber(text) <= 9; }

bool CheckErrorBoundText(const std::string& text) { return ParseNumber(text) > 0; }

std::optional<std::string> CheckNonlinearTexts(const NonlinearTexts& t, SeriesKind kind)
{
    if (!CheckNonlinearOrderText(t.order))
        return "The order must be a whole number from 1 to 9.";
    if (!IsValidName(t.indepVarName) || !IsValidName(t.depVarName))
        return "Variable names must be a letter followed by letters and digits.";
    const int n = static_cast<int>(ParseWholeNumber(t.order));
    if (!CheckEquationText(t.equation, t.depVarName, n))
        return "The differential equation must hold \"=\" and " + t.depVarName +
               std::string(static_cast<size_t>(n), '\'') + ".";
    if (static_cast<int>(t.bcText.size()) < n || static_cast<int>(t.bcPoint.size()) < n)
        return "The problem needs " + std::to_string(n) + " boundary conditions.";
    if (!CheckIntervalTexts(t.xlower, t.xupper))
        return "The upper end of the interval must be greater than the lower end.";
    if (!CheckCentreText(t.expansion))
        return "The center of expansion must be a number or \"*\".";
    if (!CheckTermsText(t.terms, n, kind))
        return kind == SeriesKind::Power ? "The degree of the solution must be greater than the order."
                                         : "The number of terms must be at least the order plus 2.";
    if (kind == SeriesKind::Trigonometric && !CheckCentreText(t.period))
        return "The period must be a number or \"*\".";
    if (!CheckErrorBoundText(t.errorD) || !CheckErrorBoundText(t.errorC))
        return "Error bounds must be greater than 0.";
    return std::nullopt;
}

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

} // namespace ode
