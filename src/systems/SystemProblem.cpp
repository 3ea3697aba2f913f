#include "systems/SystemProblem.h"

#include "common/NumberFormat.h"
#include "equations/BoxChecks.h"

namespace ode {

const char* const kSystemApproximationItems[4] = {"0 - Zero coefficients", "1 - Unit coefficients",
                                                  "2 - Random coefficients", "3 - Current approximation"};

std::vector<std::string> SplitNames(const std::string& text)
{
    std::vector<std::string> names;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        names.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return names;
        start = comma + 1;
    }
}

std::optional<std::string> CheckSystemTexts(const SystemTexts& t, bool nonlinear)
{
    const double numDE = ParseNumber(t.numDE), numBC = ParseNumber(t.numBC);
    if (!(numDE > 0 && numDE <= 10) || RoundHalfEven(numDE) < 1)
        return "The number of differential equations must be from 1 to 10.";
    if (!(numBC > 0 && numBC <= 10) || RoundHalfEven(numBC) < 1)
        return "The number of boundary conditions must be from 1 to 10.";
    if (!IsValidName(t.indepVarName))
        return "The independent variable must be a letter followed by letters and digits.";
    const auto names = SplitNames(t.depVarNames);
    if (static_cast<long>(names.size()) != ParseWholeNumber(t.numDE))
        return "Give one dependent variable for each equation, separated by commas.";
    for (const auto& n : names)
        if (!IsValidName(n))
            return "Each dependent variable must be a letter followed by letters and digits.";
    if (!NamesAreDistinct(t.indepVarName, names))
        return "Each variable needs a name of its own: no two dependent variables, and none of them and the "
               "independent variable, may have the same name.";
    if (static_cast<long>(t.equations.size()) < ParseWholeNumber(t.numDE))
        return "The system needs " + std::to_string(ParseWholeNumber(t.numDE)) + " equations.";
    for (size_t e = 0; e < static_cast<size_t>(ParseWholeNumber(t.numDE)); ++e)
        if (t.equations[e].empty() || t.equations[e].find('=') == std::string::npos)
            return "Differential equation " + std::to_string(e + 1) + " must hold \"=\".";
    if (static_cast<long>(t.bcText.size()) < ParseWholeNumber(t.numBC) ||
        static_cast<long>(t.bcPoint.size()) < ParseWholeNumber(t.numBC))
        return "The system needs " + std::to_string(ParseWholeNumber(t.numBC)) + " boundary conditions.";
    if (auto tooLarge = LargestDegreeRefusal(t.terms, SeriesKind::Power))
        return tooLarge;
    if (!CheckSystemDegreeText(t.terms))
        return "The degree must be at least 1.";
    if (!CheckCentreText(t.expansion))
        return "The center of expansion must be a number or \"*\".";
    if (!CheckIntervalTexts(t.xlower, t.xupper))
        return "The upper end of the interval must be greater than the lower end.";
    if (nonlinear && (ParseNumber(t.errorD) <= 0 || ParseNumber(t.errorC) <= 0))
        return "Error bounds must be greater than 0.";
    return std::nullopt;
}

} // namespace ode
