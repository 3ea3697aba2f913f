#include "single/SingleProblem.h"

#include "common/NumberFormat.h"
#include "common/Utf8.h"
#include "equations/BoxChecks.h"

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
