#pragma once
// The split of a linear equation or condition text into one coefficient text per derivative
// order and a right-hand side.
//
// The left side of "=" is read as a sequence of terms, each a coefficient, one joining
// character (normally "*"), the dependent variable's name and as many apostrophes as the
// derivative's order; the first term may omit coefficient and joiner, and a term with
// coefficient 1 or -1 may be written as its sign followed by the name. The right side stays
// as typed. Example: "x*x*y''+x*y'+(x*x-1)*y=0" with y and order 2 gives
// order 2 "x*x", order 1 "+x", order 0 "+(x*x-1)", right-hand side "0".

#include <optional>
#include <string>
#include <vector>

namespace ode {

struct SplitResult {
    // texts[k] for k = 0 ... n is the coefficient of the k-th derivative ("0" where no term
    // stands); texts[n+1] is the right-hand side.
    std::vector<std::string> texts;
    // Set when the text cannot be split: no "=", a term above order n, or a name standing
    // second after a character other than a sign.
    std::optional<std::string> problem;
};

// Splits `text` for a dependent variable `depVarName` and order n. Names are matched without
// regard to case.
SplitResult SplitLinearText(const std::string& text, const std::string& depVarName, int n);

// ExtractDECoefficients: the equation's coefficient texts (DECoefText(0 ... n+1)).
SplitResult ExtractDECoefficients(const std::string& equation, const std::string& depVarName, int n);

// ExtractBCCoefficients: row i-1 holds condition i's coefficient texts (BCCoefText(i, 0 ... n+1)).
std::vector<SplitResult> ExtractBCCoefficients(const std::vector<std::string>& conditions,
                                               const std::string& depVarName, int n);

} // namespace ode
