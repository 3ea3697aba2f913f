#pragma once
// The boxes of the systems forms (frmSldif linear, frmSndif nonlinear) as texts, and the checks
// Solve applies to them before anything is read.

#include <optional>
#include <string>
#include <vector>

namespace ode {

struct SystemTexts {
    std::string numDE = "2";         // txtNumDE
    std::string numBC = "3";         // txtNumBC
    std::string indepVarName = "x";  // txtIndepVarNam
    std::string depVarNames = "y,z"; // txtDepVarNams: names separated by commas
    std::string terms = "10";        // txtTerms: approximate degree
    std::string expansion = "0";     // txtExpansion
    std::string xlower = "-1", xupper = "1";
    // txtEquation(0 ... LastVar), txtBC(1 ... NumBC) and txtXeval: a fresh form's problem, whose
    // later boxes take these while the names are the default ones (a fresh form solves as it
    // stands: y'' - y + x z' = 2x^2, -y + z' = 0, y(0) = 0, y'(0) = 1, z(0) = 1), copies of the first
    // beyond them.
    std::vector<std::string> equations = {"y''-y+x*z'=2*x^2", "-y+z'=0"};
    std::vector<std::string> bcText = {"y=0", "y'=1", "z=1"};
    std::vector<std::string> bcPoint = {"0", "0", "0"};
    std::vector<std::string> constants;
    std::string xestimation = "0", derNum = "0";
    // frmSndif
    std::string errorD = ".01", errorC = ".01", maxcy = "10";
    std::string approximation = "2 - Random coefficients";
};

// The names of txtDepVarNams: cut at every ",", blanks kept.
std::vector<std::string> SplitNames(const std::string& text);

// The items of frmSndif's cboApproximation.
extern const char* const kSystemApproximationItems[4];

// Every check the systems forms apply to their boxes: the first refusal, or nothing.
std::optional<std::string> CheckSystemTexts(const SystemTexts& t, bool nonlinear);

} // namespace ode
