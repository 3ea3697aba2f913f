#pragma once
// A single equation as its form holds it, linear or nonlinear: the texts of the boxes every
// single-equation form has, and the numbers ReadInputs takes from them. Power-series problems
// and trigonometric ones share the layout; the trigonometric forms add the period and count
// terms instead of giving the degree.

#include "equations/BoxChecks.h"
#include "series/Series.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ode {

// The boxes every single-equation form has (condition k is element k-1).
struct SingleTexts {
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
SingleTexts DefaultSingleTexts(SeriesKind kind);

// What a fresh form writes in condition k (2 ... order) beside its first condition `first`, at
// the first condition's point: the derivatives of the first condition's point not named yet,
// each set to 0, in the order y, y', y'' ... ("y=0" beside the default "y'=0.5"), so that the
// conditions of a fresh form are never the same condition twice. A first condition that does
// not start with the variable and its apostrophes counts as naming none.
std::string DefaultConditionText(const std::string& depVarName, const std::string& first, int k);

// Condition k (2 ... order) of a fresh form, text and point: the kind's own default when its
// defaults hold one and the variable keeps its default name, else DefaultConditionText at the
// first condition's point.
std::pair<std::string, std::string> FreshCondition(const SingleTexts& defaults, const std::string& depVarName,
                                                   const std::string& first, const std::string& firstPoint, int k);

// The numbers of a problem, as ReadInputs reads them from the boxes.
struct SingleInputs {
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
SingleInputs ReadSingleInputs(const SingleTexts& texts, SeriesKind kind, double pi);

// The checks every single-equation kind makes of the series boxes, for order n: interval,
// centre, degree or number of terms, period. The first refusal, or nothing.
std::optional<std::string> CheckSeriesTexts(const SingleTexts& texts, int n, SeriesKind kind);

} // namespace ode
