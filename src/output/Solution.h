#pragma once
// A solution that stands, described apart from the form or session that found it: the
// problem (kind, names, equations, conditions, interval, centre or period, constants) and,
// for each dependent variable, its series. What the exports write, in one shape for all six
// kinds. Values come from the same evaluators as Evaluate, so what an export holds is what
// the window shows.

#include "common/ProblemKind.h"
#include "plot/PlotGeometry.h"
#include "series/ChebyshevSeries.h"
#include "series/Series.h"
#include "session/SolveReport.h"

#include <optional>
#include <string>
#include <vector>

namespace ode {

class ProblemSession;
class SystemSession;

struct SolvedVariable {
    std::string name;
    int order = 0;                            // the highest derivative the equations hold
    std::vector<double> coef;                 // power series about the centre, or trigonometric coefficients
    std::optional<ChebyshevSeries> chebyshev; // the accurate method's solution, which Evaluate uses
};

struct SolvedCondition {
    std::string text;
    double point = 0;
    std::optional<double> residual; // left side minus right side, as the conditions' list shows it
};

struct Solution {
    ProblemKind kind = ProblemKind::LinearPower;
    SeriesKind series = SeriesKind::Power;
    std::string indepVarName;
    std::vector<std::string> equations;
    std::vector<SolvedCondition> conditions;
    std::vector<std::string> constants;
    double xlower = 0, xupper = 0;
    double centre = 0;            // power series
    double period = 0;            // trigonometric series
    std::string periodText = "*"; // the period as typed: "*" for 2 Pi
    int degree = 0;               // the degree the form shows (a system's typed degree m; terms - 1)
    bool accurate = false;        // found by Chebyshev collocation
    std::vector<SolvedVariable> variables;
    // The solve's numbers (its ending, readout, passes and residuals), and the lists as the
    // form shows them.
    SolveReport report;
    std::vector<std::string> lstCoeff, lstBCError, lstPasses, lstChebyshev;
};

// The derivative of order `derivative` (0: the value) of variable `j` at x, as Evaluate
// computes it.
double VariableDerivative(const Solution& s, size_t j, int derivative, double x);

// The solution standing in a session, or nothing when none stands.
std::optional<Solution> DescribeSolution(const ProblemSession& session);
std::optional<Solution> DescribeSolution(const SystemSession& session);

// What the plot window and the pictures draw of a solution: each variable's series, laid out one
// after another, and the accurate method's Chebyshev series, which the curves are drawn from.
plot::PlotSource PlotSourceOf(const Solution& s);

// How the method is named in the exports: "equally spaced" or "Chebyshev".
const char* MethodName(const Solution& s);

} // namespace ode
