#pragma once
// The nonlinear kinds' translation of derivative marks: a dependent variable's name followed
// by k apostrophes becomes an engine variable (Yk for a single equation, name & k in a
// system), so that an equation or condition text becomes a residual expression the engine
// evaluates.

#include <optional>
#include <string>
#include <vector>

namespace ode {

// TranslateDerivatives: lower case; the name followed by k apostrophes becomes Yk (k = n ... 1);
// the name alone becomes Y0 unless it is part of a longer word or a call. Names compare
// without regard to case.
std::string TranslateDerivatives(const std::string& text, const std::string& depVarName, int n);

// The replacement both translations make, in a lower-cased text: the name followed by k
// apostrophes becomes prefix & k (k = maxOrder ... 1), the name alone prefix & "0" outside
// longer words and calls.
std::string ReplaceDerivativeNames(std::string loweredText, const std::string& depVarName, int maxOrder,
                                   const std::string& prefix);

// PrepareExpressions: the equation and each condition as residual texts, "L-(R)" ("L" when R
// is exactly "0"), translated. Element 0 the equation, element l condition l. A text with
// a derivative above the order is refused with a message.
std::optional<std::string> PrepareExpressions(const std::string& equation, const std::vector<std::string>& conditions,
                                              const std::string& depVarName, int n,
                                              std::vector<std::string>& residualExpr);

// DeclareVariables' statements: "public y0", "public y1", ... for every variable and order.
std::vector<std::string> DeclarationStatements(const std::vector<std::string>& names, const std::vector<int>& varOrder);

// TranslateDerivatives for systems: lower case, then per variable name + k apostrophes becomes
// name & k (k = its order ... 1) and the name alone name & "0" (outside longer words).
std::string TranslateSystemText(const std::string& text, const std::vector<std::string>& names,
                                const std::vector<int>& varOrder);

} // namespace ode
