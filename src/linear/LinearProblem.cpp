#include "linear/LinearProblem.h"

#include "common/NumberFormat.h"
#include "common/ProblemKind.h"
#include "common/Utf8.h"
#include "equations/BoxChecks.h"
#include "equations/LinearSplit.h"

#include <cmath>

namespace ode {

const char* LinearMagic(SeriesKind kind)
{
    return MagicWord(kind == SeriesKind::Power ? ProblemKind::LinearPower : ProblemKind::LinearTrig);
}

std::optional<std::string> CheckLinearTexts(const SingleTexts& t, SeriesKind kind)
{
    if (!CheckOrderText(t.order))
        return "The order must be a whole number from 1 to 10.";
    int n = static_cast<int>(ParseWholeNumber(t.order));
    if (!IsValidName(t.indepVarName))
        return "The name of the independent variable must be a letter followed by letters and digits.";
    if (!IsValidName(t.depVarName))
        return "The name of the dependent variable must be a letter followed by letters and digits.";
    if (!NamesAreDistinct(t.indepVarName, {t.depVarName}))
        return "The dependent variable needs a name of its own, not the independent variable's.";
    if (!CheckEquationText(t.equation, t.depVarName, n))
        return "The differential equation must hold \"=\" and " + Excerpt(t.depVarName) +
               std::string(static_cast<size_t>(n), '\'') + ".";
    if (static_cast<int>(t.bcText.size()) < n || static_cast<int>(t.bcPoint.size()) < n)
        return "The problem needs " + std::to_string(n) + " boundary conditions.";
    for (int k = 0; k < n; ++k)
        if (!CheckConditionText(t.bcText[static_cast<size_t>(k)]))
            return "Boundary condition " + std::to_string(k + 1) + " is empty.";
    return CheckSeriesTexts(t, n, kind);
}

} // namespace ode
