#include "single/SingleProblem.h"

#include "common/NumberFormat.h"
#include "common/Utf8.h"
#include "equations/BoxChecks.h"

#include <algorithm>
#include <cmath>

namespace ode {

SingleTexts DefaultSingleTexts(SeriesKind kind)
{
    SingleTexts t;
    t.order = "2";
    t.indepVarName = "x";
    t.depVarName = "y";
    t.bcText = {"y'=0.5"};
    t.bcPoint = {"0"};
    t.xlower = "-5";
    t.xupper = "5";
    if (kind == SeriesKind::Power) {
        t.equation = "x*x*y''+x*y'+(x*x-1)*y=0";
        t.expansion = "0";
        t.terms = "23";
    } else {
        t.equation = "y''+2*y'+4*y=8+2*sin(x)-12*cos(2*x)-3*cos(x)";
        t.expansion = "*";
        t.terms = "15";
        t.period = "*";
    }
    return t;
}

std::string DefaultConditionText(const std::string& depVarName, const std::string& first, int k)
{
    // The derivative the first condition names: the variable, its apostrophes, then "=".
    int named = -1;
    std::string text = first;
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    if (!depVarName.empty() && text.compare(0, depVarName.size(), depVarName) == 0) {
        size_t at = depVarName.size();
        while (at < text.size() && text[at] == '\'')
            ++at;
        if (at < text.size() && text[at] == '=')
            named = static_cast<int>(at - depVarName.size());
    }
    int order = 0;
    for (int left = k - 1;; ++order)
        if (order != named && --left == 0)
            break;
    return depVarName + std::string(static_cast<size_t>(order), '\'') + "=0";
}

std::pair<std::string, std::string> FreshCondition(const SingleTexts& defaults, const std::string& depVarName,
                                                   const std::string& first, const std::string& firstPoint, int k)
{
    const size_t at = static_cast<size_t>(k - 1);
    if (depVarName == defaults.depVarName && at < defaults.bcText.size() && at < defaults.bcPoint.size())
        return {defaults.bcText[at], defaults.bcPoint[at]};
    return {DefaultConditionText(depVarName, first, k), firstPoint};
}

SingleInputs ReadSingleInputs(const SingleTexts& texts, SeriesKind kind, double pi)
{
    SingleInputs in;
    in.kind = kind;
    in.order = static_cast<int>(ParseWholeNumber(texts.order));
    long terms = ParseWholeNumber(texts.terms);
    if (kind == SeriesKind::Power) {
        in.seriesDegree = static_cast<int>(terms);
    } else {
        // Clamped like ParseWholeNumber, so that no box text can overflow the conversion.
        const double degree = RoundHalfEven(ParseNumber(texts.terms) - 1);
        in.seriesDegree = static_cast<int>(std::fmax(-2147483647.0, std::fmin(degree, 2147483647.0)));
        in.period = texts.period == "*" ? 2 * pi : ParseNumber(texts.period);
    }
    in.xlower = ParseNumber(texts.xlower);
    in.xupper = ParseNumber(texts.xupper);
    in.xcenter = texts.expansion == "*" ? (in.xlower + in.xupper) / 2 : ParseNumber(texts.expansion);
    in.indepVarName = texts.indepVarName;
    in.depVarName = texts.depVarName;
    in.equation = texts.equation;
    for (int k = 0; k < in.order; ++k) {
        size_t i = static_cast<size_t>(k);
        in.bcText.push_back(i < texts.bcText.size() ? texts.bcText[i] : std::string());
        in.bcPoint.push_back(i < texts.bcPoint.size() ? ParseNumber(texts.bcPoint[i]) : 0.0);
    }
    in.constants = texts.constants;
    return in;
}

std::optional<std::string> CheckSeriesTexts(const SingleTexts& t, int n, SeriesKind kind)
{
    if (!CheckIntervalTexts(t.xlower, t.xupper))
        return "The upper end of the interval must be greater than the lower end.";
    if (!CheckCentreText(t.expansion))
        return "The center of expansion must be a number or \"*\".";
    if (auto tooLarge = LargestDegreeRefusal(t.terms, kind))
        return tooLarge;
    if (!CheckTermsText(t.terms, n, kind))
        return kind == SeriesKind::Power ? "The degree of the solution must be greater than the order."
                                         : "The number of terms must be at least the order plus 2.";
    if (kind == SeriesKind::Trigonometric && !CheckCentreText(t.period))
        return "The period must be a number or \"*\".";
    return std::nullopt;
}

} // namespace ode
