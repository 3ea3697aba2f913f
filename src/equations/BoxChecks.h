#pragma once
// The checks of single boxes that every form applies: names, orders, degrees and numbers of
// terms, centres and periods, intervals, error bounds, equation and condition texts. Each
// says only whether the text is accepted; the form decides what a refusal shows. A number box
// takes a whole text that is a number (IsNumberText), never its leading digits: "3O" is no
// degree 3, "6x" no interval end 6.

#include "common/Limits.h"
#include "common/TextRecords.h"
#include "series/Series.h"

#include <optional>
#include <string>
#include <vector>

namespace ode {

bool CheckOrderText(const std::string& text); // a number > 0 and <= 10 that rounds to 1 or more
// degree > n; terms >= n+2; neither above kLargestDegree (+1 for terms)
bool CheckTermsText(const std::string& text, int order, SeriesKind kind);
// The refusal of a degree or number of terms above the largest, or nothing.
std::optional<std::string> LargestDegreeRefusal(const std::string& text, SeriesKind kind);
bool CheckCentreText(const std::string& text);                               // "*" or a number (also txtPeriod)
bool CheckIntervalTexts(const std::string& lower, const std::string& upper); // numbers, upper > lower

// A number as a whole box text (blanks around it allowed): sign, digits, point, exponent.
bool IsNumberText(const std::string& text);

// The order box of the nonlinear forms: 1 to 9 (the derivative variables stop at Y9).
bool CheckNonlinearOrderText(const std::string& text);
// An error bound: a number above 0.
bool CheckErrorBoundText(const std::string& text);
// The automatic degree's tolerance: a number above 0 and below 1 (CheckTolerance).
bool CheckToleranceText(const std::string& text);
// A continuation's number of steps as typed (CheckContinuationSteps).
bool CheckContinuationStepsText(const std::string& text);
// Which derivative Evaluate shows: a whole number, 0 or more.
bool CheckDerivativeOrderText(const std::string& text);

// The form's check of txtEquation: not empty, holds "=", and holds the name followed by n
// apostrophes (a plain case-sensitive search in the text as typed).
bool CheckEquationText(const std::string& text, const std::string& depVarName, int n);

// The form's check of a txtBC box: not empty.
bool CheckConditionText(const std::string& text);

// The refusal of a text that a problem file line of `form` could not give back as typed, naming
// the character ("The equation cannot hold the character \": ..."), or nothing. `what` names the
// text as the message starts ("The equation", "Condition 2", "The constant k").
std::optional<std::string> FileTextRefusal(const std::string& what, const std::string& text, TextItemForm form);

// A variable name as the forms accept it: a letter A-Z or a-z, then letters and digits.
bool IsValidName(const std::string& text);

// The automatic degree's limit: a whole number from kMinAutoDegree to kMaxAutoDegree.
bool CheckMaxDegree(double value);
bool CheckMaxDegreeText(const std::string& text);
// A continuation's number of steps: a whole number from 1 to kMaxContinuationSteps.
bool CheckContinuationSteps(double value);

// The dependent variables' names against the independent one and each other: true when no two
// are the same name (the language does not tell case apart, so "X" is "x").
bool NamesAreDistinct(const std::string& independent, const std::vector<std::string>& dependent);

// What every kind asks of the names before a solution may stand (when a pair is opened and
// when it is solved): each a valid name, and no two alike. The refusal in the words of
// NameRule, or nothing when the names are fine.
std::optional<std::string> NamesRefusal(const std::string& independent, const std::vector<std::string>& dependent);

// The rules as a window says them when a box refuses its text (one line each).
std::string OrderRule(bool nonlinear);
std::string NameRule();
std::string TermsRule(int order, SeriesKind kind);
// A system's degree box: a number of 1 or more, at most kLargestDegree (rounded when it is read).
bool CheckSystemDegreeText(const std::string& text);
std::string SystemDegreeRule();
std::string CentreRule();
std::string PeriodRule();
std::string EquationRule(const std::string& depVarName, int order);
std::string ConditionRule();
std::string ErrorBoundRule();
std::string MaxDegreeRule();
// The automatic degree's tolerance box: CheckTolerance of its number.
std::string ToleranceRule();
std::string ContinuationStepsRule();
// The interval: that an end must be a number ("The upper end must be a number."), else that the
// upper end must be above the lower one; "" when all is well.
std::string IntervalRule(const std::string& lower, const std::string& upper);
// A point box (a condition's point, the evaluation point, a continuation's ends): a number.
std::string PointRule();
std::string DerivativeOrderRule();

} // namespace ode
