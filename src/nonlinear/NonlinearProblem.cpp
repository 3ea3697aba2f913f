#include "nonlinear/NonlinearProblem.h"

#include "common/NumberFormat.h"
#include "common/ProblemKind.h"
#include "common/Utf8.h"
#include "equations/BoxChecks.h"
#include "equations/LinearSplit.h"

namespace ode {

const char* const kApproximationItems[5] = {
    "0 - Zero coefficients", "1 - Unit coefficients",     "2 - Random coefficients",
    "3 - Series from file",  "4 - Current approximation",
};

NonlinearTexts DefaultNonlinearTexts(SeriesKind kind)
{
    NonlinearTexts t;
    static_cast<SingleTexts&>(t) = DefaultSingleTexts(kind);
    t.equation = kind == SeriesKind::Power ? "y''-2*y^3=0" : "exp(x)*y''-y*y'+y=exp(x)";
    // y'' = 2 y^3 with y(1) = 1 and y'(3) + y(3)^2 = 0: y = 1/x (the second condition is what a
    // fresh form of order 2 shows beside the first).
    t.bcText = {"y'+y^2=0", "y=1"};
    t.bcPoint = {"3", "1"};
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
    static_cast<SingleInputs&>(in) = ReadSingleInputs(texts, kind, pi);
    if (kind == SeriesKind::Trigonometric) {
        in.period = texts.period == "*" ? pi + pi : ParseNumber(texts.period);
        in.omega = 2 * pi / in.period;
    }
    in.errorBoundDE = ParseNumber(texts.errorD);
    in.errorBoundCoef = ParseNumber(texts.errorC);
    in.maxIterations = static_cast<int>(ParseWholeNumber(texts.maxcy));
    return in;
}

std::optional<std::string> CheckNonlinearTexts(const NonlinearTexts& t, SeriesKind kind)
{
    if (!CheckNonlinearOrderText(t.order))
        return "The order must be a whole number from 1 to 9.";
    if (!IsValidName(t.indepVarName) || !IsValidName(t.depVarName))
        return "Variable names must be a letter followed by letters and digits.";
    if (!NamesAreDistinct(t.indepVarName, {t.depVarName}))
        return "The dependent variable needs a name of its own, not the independent variable's.";
    const int n = static_cast<int>(ParseWholeNumber(t.order));
    if (!CheckEquationText(t.equation, t.depVarName, n))
        return "The differential equation must hold \"=\" and " + Excerpt(t.depVarName) +
               std::string(static_cast<size_t>(n), '\'') + ".";
    if (static_cast<int>(t.bcText.size()) < n || static_cast<int>(t.bcPoint.size()) < n)
        return "The problem needs " + std::to_string(n) + " boundary conditions.";
    if (auto refusal = CheckSeriesTexts(t, n, kind))
        return refusal;
    if (!CheckErrorBoundText(t.errorD) || !CheckErrorBoundText(t.errorC))
        return "Error bounds must be greater than 0.";
    return std::nullopt;
}

} // namespace ode
