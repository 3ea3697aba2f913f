#pragma once
// A single linear equation as its form holds it: the texts of the boxes, and the numbers
// ReadInputs takes from them. Power-series problems ("Pldif") and trigonometric ones
// ("Tldif") share the layout; the trigonometric form adds the period and counts terms instead
// of giving the degree.

#include "equations/BoxChecks.h"
#include "series/Series.h"

#include <optional>
#include <string>
#include <vector>

namespace ode {

// The boxes of frmPldif / frmTldif (condition k is element k-1).
struct LinearTexts {
    std::string order;                  // txtOrder
    std::string indepVarName;           // txtIndepVarNam
    std::string depVarName;             // txtDepVarNam
    std::string equation;               // txtEquation
    std::vector<std::string> bcText;    // txtBC(1 ... n)
    std::vector<std::string> bcPoint;   // txtXeval(1 ... n)
    std::string xlower, xupper;         // txtXlower, txtXupper
    std::string expansion;              // txtExpansion: a number or "*"
    std::string terms;                  // txtTerms: degree (power) or number of terms (trig)
    std::string period = "*";           // txtPeriod (trigonometric form only)
    std::vector<std::string> constants; // cboConstants' entries in list order
    std::string xestimation = "0";      // txtXestimation
    std::string derNum = "0";           // txtDerNum
};

// The texts a fresh form shows.
LinearTexts DefaultLinearTexts(SeriesKind kind);

// The numbers of a problem, as ReadInputs reads them from the boxes.
struct LinearInputs {
    SeriesKind kind = SeriesKind::Power;
    int order = 0;        // n (= NumBC)
    int seriesDegree = 0; // N: the degree, or the number of terms minus one
    double xlower = 0, xupper = 0, xcenter = 0;
    double period = 0; // trigonometric: the number, or 2 Pi for "*"
    std::string indepVarName, depVarName, equation;
    std::vector<std::string> bcText;
    std::vector<double> bcPoint;
    std::vector<std::string> constants;
};

// ReadInputs (without running the constants, which needs an engine). `pi` is the form's Pi.
LinearInputs ReadLinearInputs(const LinearTexts& texts, SeriesKind kind, double pi);

// The magic word of a kind's problem file: "Pldif" or "Tldif".
const char* LinearMagic(SeriesKind kind);

// Every check a form applies before and at Solve, for a problem that did not come through the
// boxes (the command line): the first refusal as a message, or nothing when all pass.
std::optional<std::string> CheckLinearTexts(const LinearTexts& texts, SeriesKind kind);

// The checks every single-equation kind makes of the series boxes, for order n: interval,
// centre, degree or number of terms, period. The first refusal, or nothing.
std::optional<std::string> CheckSeriesTexts(const LinearTexts& texts, int n, SeriesKind kind);

} // namespace ode
