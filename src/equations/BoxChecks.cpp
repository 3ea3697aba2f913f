#include "equations/BoxChecks.h"

#include "common/NumberFormat.h"
#include "common/Text.h"
#include "common/Utf8.h"

#include <cmath>

namespace ode {

bool IsNumberText(const std::string& text)
{
    double ignored = 0;
    return ParseNumberText(text, ignored, true);
}

bool CheckOrderText(const std::string& text)
{
    if (!IsNumberText(text))
        return false;
    double v = ParseNumber(text);
    return v > 0 && v <= 10 && RoundHalfEven(v) >= 1;
}

bool CheckTermsText(const std::string& text, int order, SeriesKind kind)
{
    if (!IsNumberText(text))
        return false;
    double v = ParseNumber(text);
    if (LargestDegreeRefusal(text, kind))
        return false;
    return kind == SeriesKind::Power ? v > order : v >= order + 2;
}

std::optional<std::string> LargestDegreeRefusal(const std::string& text, SeriesKind kind)
{
    const double v = ParseNumber(text);
    if (kind == SeriesKind::Power && v > kLargestDegree)
        return "The degree can be at most " + FormatNumber(kLargestDegree) + ".";
    if (kind == SeriesKind::Trigonometric && v > kLargestDegree + 1)
        return "The number of terms can be at most " + FormatNumber(kLargestDegree + 1) + ".";
    return std::nullopt;
}

bool CheckCentreText(const std::string& text) { return text == "*" || IsNumberText(text); }

bool CheckIntervalTexts(const std::string& lower, const std::string& upper)
{
    return IsNumberText(lower) && IsNumberText(upper) && ParseNumber(upper) > ParseNumber(lower);
}

bool CheckNonlinearOrderText(const std::string& text) { return CheckOrderText(text) && ParseWholeNumber(text) <= 9; }

bool CheckErrorBoundText(const std::string& text) { return IsNumberText(text) && ParseNumber(text) > 0; }

bool CheckToleranceText(const std::string& text) { return IsNumberText(text) && CheckTolerance(ParseNumber(text)); }

bool CheckContinuationStepsText(const std::string& text)
{
    return IsNumberText(text) && CheckContinuationSteps(ParseNumber(text));
}

bool CheckDerivativeOrderText(const std::string& text)
{
    double v = 0;
    return ParseNumberText(text, v, true) && v >= 0 && v == std::floor(v);
}

bool CheckEquationText(const std::string& text, const std::string& depVarName, int n)
{
    if (text.empty() || text.find('=') == std::string::npos)
        return false;
    return text.find(depVarName + std::string(static_cast<size_t>(n < 0 ? 0 : n), '\'')) != std::string::npos;
}

bool CheckConditionText(const std::string& text) { return !text.empty(); }

std::optional<std::string> FileTextRefusal(const std::string& what, const std::string& text, TextItemForm form)
{
    const std::optional<char> c = UnwritableCharacter(text, form);
    if (!c)
        return std::nullopt;
    if (*c != '"')
        return what + " cannot hold a line break (the character " + (*c == '\r' ? "CR" : "LF") +
               "): the problem file has no way to keep it.";
    if (form == TextItemForm::Quoted)
        return what + " cannot hold the character \": the problem file writes it between quotes and cannot keep "
                      "a \" inside them.";
    return what + " cannot hold the character \" together with a comma, a \" at its start or a blank at either "
                  "end: the problem file would write it between quotes and cannot keep a \" inside them.";
}

bool CheckMaxDegree(double value)
{
    return value >= kMinAutoDegree && value <= kMaxAutoDegree && value == std::floor(value);
}

bool CheckMaxDegreeText(const std::string& text) { return IsNumberText(text) && CheckMaxDegree(ParseNumber(text)); }

bool CheckContinuationSteps(double value)
{
    return value >= 1 && value <= kMaxContinuationSteps && value == std::floor(value);
}

bool IsValidName(const std::string& text)
{
    if (text.empty() || !IsLetter(text[0]))
        return false;
    for (size_t k = 1; k < text.size(); ++k)
        if (!IsLetter(text[k]) && !IsDigit(text[k]))
            return false;
    return true;
}

bool NamesAreDistinct(const std::string& independent, const std::vector<std::string>& dependent)
{
    std::vector<std::string> seen = {AsciiLower(independent)};
    for (const std::string& name : dependent) {
        const std::string lower = AsciiLower(name);
        for (const std::string& other : seen)
            if (other == lower)
                return false;
        seen.push_back(lower);
    }
    return true;
}

std::optional<std::string> NamesRefusal(const std::string& independent, const std::vector<std::string>& dependent)
{
    if (!IsValidName(independent) || dependent.empty())
        return NameRule();
    for (const std::string& name : dependent)
        if (!IsValidName(name))
            return NameRule();
    if (!NamesAreDistinct(independent, dependent))
        return std::string("Each variable needs a name of its own.");
    return std::nullopt;
}

std::string OrderRule(bool nonlinear)
{
    return nonlinear ? "The order must be a whole number from 1 to 9."
                     : "The order must be a whole number from 1 to 10.";
}

std::string NameRule() { return "A name starts with a letter and has only letters and digits."; }

std::string TermsRule(int order, SeriesKind kind)
{
    if (kind == SeriesKind::Power)
        return "The degree must be above the order (" + std::to_string(order) + ") and at most " +
               FormatNumber(kLargestDegree) + ", a fraction rounded to a whole number; or auto.";
    return "The number of terms must be at least the order + 2 (" + std::to_string(order + 2) + ") and at most " +
           FormatNumber(kLargestDegree + 1) + ", a fraction rounded to a whole number; or auto.";
}

bool CheckSystemDegreeText(const std::string& text)
{
    return IsNumberText(text) && ParseNumber(text) >= 1 && !LargestDegreeRefusal(text, SeriesKind::Power);
}

std::string SystemDegreeRule()
{
    return "The degree must be at least 1 and at most " + FormatNumber(kLargestDegree) +
           ", a fraction rounded to a whole number; or auto.";
}

std::string CentreRule() { return "The centre of expansion is a number, or * for the middle of the interval."; }

std::string PeriodRule() { return "The period is a number, or * for 2 Pi."; }

std::string EquationRule(const std::string& depVarName, int order)
{
    return "The equation needs an = and its highest derivative, " + Excerpt(depVarName) +
           std::string(static_cast<size_t>(order < 0 ? 0 : order), '\'') + ".";
}

std::string ConditionRule() { return "The condition must not be empty."; }

std::string ErrorBoundRule() { return "An error bound must be a number above 0."; }

std::string ToleranceRule()
{
    return "The tolerance is a number above 0 and below 1 (" + FormatNumber(kDefaultTolerance) + " by default).";
}

std::string MaxDegreeRule()
{
    return "The largest degree must be a whole number from " + std::to_string(kMinAutoDegree) + " to " +
           std::to_string(kMaxAutoDegree) + ".";
}

std::string ContinuationStepsRule()
{
    return "The steps must be a whole number from 1 to " + std::to_string(kMaxContinuationSteps) + ".";
}

std::string IntervalRule(const std::string& lower, const std::string& upper)
{
    for (const auto& [text, which] : {std::pair{lower, "lower"}, std::pair{upper, "upper"}})
        if (!IsNumberText(text))
            return std::string("The ") + which + " end must be a number.";
    return CheckIntervalTexts(lower, upper) ? "" : "The upper end must be above the lower end.";
}

std::string PointRule() { return "The point must be a number."; }

std::string DerivativeOrderRule() { return "Which derivative: a whole number, 0 for the function itself."; }

} // namespace ode
