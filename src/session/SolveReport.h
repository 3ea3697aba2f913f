#pragma once
// What a solve found, as numbers: how it ended, each dependent variable's series in the basis it
// was found in, the accurate method's readout, the Newton iteration's passes, and the residuals
// at the grid points and at the conditions. The lists, the printed report, the files, the
// exports and the plot are written from this value; nothing reads a displayed line back.

#include "series/ChebyshevSeries.h"
#include "series/Series.h"
#include "session/Termination.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ode {

// The accurate method's readout: whether the tail of the Chebyshev coefficients fell within the
// tolerance, at which degree, and the error the last terms stand for (EstimatedError).
struct AccuracyReadout {
    enum class Verdict {
        Converged,
        NotConverged,
        Stopped, // the automatic degree was stopped; the best degree finished is shown
    };
    Verdict verdict = Verdict::Converged;
    bool grown = false;   // found by the automatic degree, not at the degree typed
    bool terms = false;   // a trigonometric series, counted in terms (degree + 1)
    int degree = 0;       // the degree of the solution shown
    int lastTried = 0;    // the automatic degree's last degree tried, when it did not converge
    double estimatedError = 0;
    // The error a "CONVERGED" verdict allows: the tolerance times the solution's size (0 where
    // the verdict is not judged by it: a trigonometric series, a readout read from a file).
    double allowed = 0;
    // A continuation that could not pass a value: "name=value" where its solution stands, and
    // "name=to" where it was to end. The verdict is then NotConverged.
    std::string sweepReached, sweepEnd;
    // The conditions do not fix the solution: the one of least size is shown.
    bool notUnique = false;
};

// The readout's one line: "CONVERGED AT DEGREE 64: ESTIMATED ERROR 3.1E-15", "NOT CONVERGED AT
// DEGREE 30: ESTIMATED ERROR ..." (a typed degree), "NOT CONVERGED BY DEGREE 1000: ESTIMATED ERROR
// 2.1E-06; THE BEST SOLUTION (DEGREE 512) IS SHOWN" (the automatic degree), or "STOPPED BY THE USER:
// THE BEST SOLUTION FOUND SO FAR (DEGREE 512) IS SHOWN"; a trigonometric series says "AT 33 TERMS".
// A continuation stopped short of its end: "NOT CONVERGED: THE CONTINUATION STOPPED AT
// lambda=3.51 SHORT OF lambda=4; THE SOLUTION THERE (DEGREE 40) HAS ESTIMATED ERROR 1.2E-15".
// A solution the conditions do not fix adds "; THE CONDITIONS DO NOT FIX THE SOLUTION TO WORKING
// PRECISION: THE ONE WITH THE SMALLEST COEFFICIENTS IS SHOWN".
std::string ReadoutLine(const AccuracyReadout& readout);

// The power series about the centre of an accurate solution, as the readout's second line states
// it: the radius of convergence estimated from its coefficients, and how close its sum comes to
// the Chebyshev series on the interval (the worst variable's, for a system).
struct PowerSeriesReadout {
    double centre = 0;
    double radius = 0;          // infinite when no singularity shows, NaN when too little is known
    bool radiusAtLeast = false; // the estimates still grew: the radius is at least this
    double accuracy = 0;        // relative to the solution's largest value on the interval
    double tolerance = 0;       // the accurate method's tolerance, which the accuracy is judged by
    int cut = -1;               // the lowest degree a variable's series is cut at (-1: none is)
};

// "POWER SERIES ABOUT 0: RADIUS OF CONVERGENCE ABOUT 1.5; ON THE INTERVAL IT IS ACCURATE TO
// 6.7E-16" (two significant digits; "ABOVE 4.1" while the estimates grow, "UNBOUNDED" when no
// singularity shows, "UNKNOWN" when too few coefficients are determined); above the tolerance it adds ", NOT TO THE TOLERANCE" (with "; CUT AT DEGREE
// 12" for a series cut short) and ": EVALUATE AND THE PLOT USE THE CHEBYSHEV SERIES".
std::string PowerSeriesLine(const PowerSeriesReadout& readout);

// The readout of the power series that every variable's Chebyshev series gives about `centre`
// (StablePowerForm): the smallest radius, the worst accuracy.
PowerSeriesReadout PowerSeriesReadoutOf(const std::vector<ChebyshevSeries>& series, double centre, double tolerance);

// The equally spaced method's check of itself: its residuals at the grid points are zero by
// construction, so the equation is tried at the midpoints between them, where nothing forced it.
struct GridCheck {
    double residual = 0; // the largest |left side - right side| at the midpoints
    double terms = 0;    // the largest size of the equation's terms there (the sum of their |values|)
    int points = 0;      // the midpoints tried
    bool powerSeries = true;
    bool system = false; // the worst of a system's equations
    bool opened = false; // of a series opened from its file, not solved
    double relative() const { return terms > 0 ? residual / terms : residual; }
};

// The check itself: the equation(s) tried by `termsAt(x, residual, terms)` at the midpoints of the
// `intervals` equal intervals of [a, b]; nothing when there is no interval or `termsAt` fails.
std::optional<GridCheck> CheckBetweenGridPoints(double a, double b, int intervals, bool powerSeries, bool system,
                                                const std::function<bool(double, double&, double&)>& termsAt);

// "BETWEEN THE GRID POINTS THE EQUATION IS MET TO 3.1E-09 OF ITS TERMS" (two significant digits;
// a system's "THE EQUATIONS ARE MET TO ... OF THEIR TERMS"),
// adding "; CHEBYSHEV POINTS MAY DO BETTER" (a trigonometric series: "; MORE TERMS MAY DO BETTER")
// when that is above kGridCheckSuggestion.
std::string GridCheckLine(const GridCheck& check);

// Evaluate at a point outside the interval the series was found on: "x=10 IS OUTSIDE THE
// INTERVAL [0,6]: THE SERIES IS NOT THE SOLUTION THERE" (the independent variable's name); ""
// inside it, ends included.
std::string OutsideIntervalLine(const std::string& indepVarName, double x, double a, double b);

// One pass of the accurate Newton iteration: the largest correction applied, the largest residual
// after it, and the step's damping factor (1 for a full Newton step).
struct NewtonPassNorms {
    double correction = 0;
    double residual = 0;
    double step = 1;
};

// How a kind lists its coefficients: the linear kinds as an expansion (a single equation and a
// system name a singular system each in their own words), the Newton iteration each coefficient
// with its last correction (the trigonometric series in columns of its own).
enum class ListStyle { Expansion, SystemExpansion, NewtonPower, NewtonTrigonometric };

struct SolveReport {
    SolveEnd end;          // how the solve ended (Solved for a solution opened from a file)
    bool standing = false; // a solution stands: Evaluate, the plot and the exports use it
    bool opened = false;   // the solution was read from a file, not found by a solve
    ListStyle style = ListStyle::Expansion;
    SeriesKind kind = SeriesKind::Power;
    double centre = 0;     // the power series' centre
    double period = 0;     // the trigonometric series' period
    // Each dependent variable's coefficients, in order: powers of x - centre, or the
    // trigonometric series' a0, a1, b1, ...: the solution that stands, or the best result a
    // Newton iteration lists when it did not converge or was stopped; empty otherwise.
    std::vector<std::vector<double>> series;
    // The accurate method's solution, one series a variable (Evaluate and the plot use it).
    std::vector<ChebyshevSeries> chebyshev;
    std::optional<AccuracyReadout> readout;
    std::optional<PowerSeriesReadout> powerSeries; // an accurate solution that stands
    std::optional<GridCheck> gridCheck;            // an equally spaced solution that stands
    // The Newton iteration: passes finished, the pass shown when it was stopped (0: none had
    // finished), the accurate method's norms pass by pass, and the last corrections of the
    // coefficients listed.
    int passes = 0, shownPass = 0;
    std::vector<NewtonPassNorms> passNorms;
    std::vector<double> correction;
    // The equations' residuals at the grid points (for a system, equation by equation at each
    // point) and the conditions' residuals (left side minus right side), in order.
    std::vector<double> gridX, gridResidual;
    std::vector<double> conditionResiduals;
};

// A Newton iteration's result (a single equation's or a system's, which name their numbers
// alike) into the report: its passes, the pass shown, the last corrections and the grid
// residuals; and, when it lists a best result that does not stand (no convergence, or stopped
// after a pass), those coefficients and the conditions' residuals with them.
template <typename NewtonResult>
void TakeNewtonNumbers(const NewtonResult& n, bool standing, std::vector<std::vector<double>> listed,
                       SolveReport& r)
{
    r.passes = n.passes;
    r.shownPass = n.shownPass;
    r.correction = n.correction;
    r.gridX = n.gridX;
    r.gridResidual = n.gridResidual;
    const bool best = n.termination == Termination::NoConvergence ||
                      (n.termination == Termination::Cancelled && n.shownPass > 0);
    if (!standing && best) {
        r.series = std::move(listed);
        r.conditionResiduals = n.conditionResidual;
    }
}

} // namespace ode
