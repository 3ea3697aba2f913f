#pragma once
// The accurate method's Newton iteration, for a single nonlinear equation and a system alike:
// the unknowns are the Chebyshev coefficients on the interval, in one block per dependent
// variable, collocated at Chebyshev points with the conditions at their points. Newton's
// iteration on them takes the partial derivatives of each residual with respect to each
// variable and derivative exactly, by forward differentiation in the engine; each step is
// damped (halved until the residuals fall, Armijo's rule) and the iteration stops when both the
// last correction and every residual are within their bounds, after which it goes on while the
// corrections still halve, so the digits it shows are the ones the degree can give.

#include "collocation/Chebyshev.h"
#include "script/ScriptHost.h"
#include "session/Progress.h"
#include "session/Termination.h"

#include <algorithm>
#include <string>
#include <vector>

namespace ode {

// The shape of an accurate Newton problem: the unknowns in blocks, one per dependent variable
// (the engine's names of its value and each derivative, its order and degree, its first
// column), and the rows, each a residual text at a point.
struct ChebyshevNewtonShape {
    struct Block {
        std::vector<std::string> names; // names[k]: the k-th derivative (k = 0 ... order)
        int order = 0, degree = 0, offset = 0;
    };
    struct Row {
        double x = 0;
        int residual = 0; // index of its text
    };
    std::vector<Block> blocks;
    std::vector<Row> rows; // as many as unknowns
    std::string indepVarName;
    double a = -1, b = 1; // the interval of every block's Chebyshev series
    double errorBoundDE = 0, errorBoundCoef = 0;
    int maxIterations = 0;
    // After the bounds are met the passes go on while the corrections halve, to the digits the
    // degree gives. Without (a continuation's or homotopy's step on the way) the run stops at
    // the bounds, or sooner: once a full step leaves a simplified correction within the
    // coefficients' bound.
    bool polish = true;
    // Taken from each row's residual (a homotopy's share of its start's residuals); none when empty.
    std::vector<double> offset;
    // Each step's length judged by the Newton correction it leaves (error-oriented damping,
    // invariant under the rows' scaling) in place of the fall of the residuals' squares.
    bool errorOriented = false;
    // Finding its way (RunChebyshevNewtonFindingItsWay) ends with the homotopy; without, after the
    // start moved to meet the conditions.
    bool homotopy = true;
    // The last `conditions` rows are the conditions, one per order of the blocks in all (0: not
    // said; a start is then never made to meet them).
    int conditions = 0;
    int unknowns() const;
};

// How an accurate Newton iteration went, pass by pass.
struct NewtonRunReport : SolveEnd {
    std::vector<NewtonPassNorms> passes;
    std::vector<double> correction; // the last pass's corrections, Chebyshev coefficients
    // The partials came by differences because a residual uses something the engine cannot
    // differentiate (a text function of the variables), or names too many variables.
    bool differencedPartials = false;
    // Solved with the corrections at rounding level while the residual stayed above its bound
    // (a bound tighter than the rounding of the equation's terms).
    bool stalled = false;
    // Stopped: the pass whose result the coefficients hold, the one with the smallest largest
    // residual; 0 when no pass had finished (the coefficients are as they started).
    int shownPass = 0;
    // The passes that eliminated; the others took chord steps (kChordStepsFromUnknowns).
    int eliminations = 0;
    // Newton's iteration from the start did not converge and a homotopy from it did: its steps
    // (RunChebyshevHomotopy); 0 when none was made.
    int homotopySteps = 0;
    // Newton's iteration from the start with residual-led steps did not converge and the
    // error-oriented one from the same start did (RunChebyshevNewtonFindingItsWay).
    bool errorOriented = false;
    // ... from the start moved in each block's lowest coefficients to meet the conditions.
    bool startMeetsConditions = false;
    // A loose run met on its simplified correction: that correction's size, sum |d_j| (what is
    // left to correct, where `correction` is the step taken); -1 otherwise.
    double remaining = -1;
};

// The problem-wide fields of a shape from a single equation's or a system's inputs, which
// name them alike: the independent variable, the interval, the bounds and the passes.
template <typename Inputs> void SetShapeProblem(ChebyshevNewtonShape& shape, const Inputs& in)
{
    shape.indepVarName = in.indepVarName;
    shape.a = in.xlower;
    shape.b = in.xupper;
    shape.errorBoundDE = in.errorBoundDE;
    shape.errorBoundCoef = in.errorBoundCoef;
    shape.maxIterations = in.maxIterations;
    shape.polish = in.polish;
    shape.homotopy = in.homotopy;
}

// Whether Newton's iteration on this many unknowns fits the memory: the pass's matrix and the
// next one's. Callers ask before a start that is costly to make (O(N^2) to convert).
bool NewtonMatricesFit(int unknowns);

// The iteration on `coef` (updated in place, laid out by the blocks' offsets), at most
// kMaxNewtonPasses passes whatever the shape's limit. Constants must already have run in
// `host`; engine failures show their messages. Stopped through `progress` (asked between rows,
// elimination blocks and step halvings), it ends Cancelled with the best pass's result.
NewtonRunReport RunChebyshevNewton(const ChebyshevNewtonShape& shape, const std::vector<std::string>& expr,
                                   std::vector<double>& coef, script::ScriptHost& host, const Progress& progress = {});

// Where Newton's iteration from `coef` does not converge: the homotopy from it. With F the
// rows' residuals and c0 the start, F(c) - (1 - t) F(c0) = 0 is solved for t from 0 (where c0
// solves it) up to 1 (the problem itself), each step by Newton's iteration from the last
// step's solution to the continuation's loose bounds (kContinuationStepBound); a step that
// fails is halved, down to 1/1024; the first step is a quarter, and after a step that solved
// the next one doubles. What the start misses, conditions and equation alike, is thus taken
// away a share at a time: a zero start of y'' = 5 sinh(5 y), y(0) = 0, y(1) = 1 moves the
// right end from 0 to 1. At t = 1 the iteration runs with the shape's own bounds. The result
// is that last iteration's, with `homotopySteps` set, or, where a step could not be made, the
// NoConvergence of the step that failed (coef then the last step's solution).
NewtonRunReport RunChebyshevHomotopy(const ChebyshevNewtonShape& shape, const std::vector<std::string>& expr,
                                     std::vector<double>& coef, script::ScriptHost& host,
                                     const Progress& progress = {});

// The accurate method's way to a solution from a start far from it: Newton's iteration as the
// shape asks; where it does not converge (and did not stop or fail), the
// error-oriented iteration from the same start; where that does not either and the start
// misses its conditions, the error-oriented iteration from the start moved in each block's
// lowest coefficients to meet them; then the homotopy from the start. The report and `coef`
// are those of the first that converged, with `errorOriented`, `startMeetsConditions` or
// `homotopySteps` saying which it was; where none did, the plain
// iteration's (a stop on the way gives the stopped attempt's report and coefficients, its flags
// saying which attempt it was; a stop before that attempt finished a pass, the plain
// iteration's last iterate, Cancelled).
NewtonRunReport RunChebyshevNewtonFindingItsWay(const ChebyshevNewtonShape& shape, const std::vector<std::string>& expr,
                                                std::vector<double>& coef, script::ScriptHost& host,
                                                const Progress& progress = {});

// How Newton's iteration is asked to solve one degree: finding its way or plainly, and with at
// most `passes` passes (0: the problem's own limit stands).
struct NewtonAttempt {
    bool findWay = true;
    int passes = 0;
    bool homotopy = true; // finding its way, the homotopy last

    int passesWithin(int maxIterations) const { return passes > 0 ? std::min(passes, maxIterations) : maxIterations; }
};
// A degree the automatic degree grew from a coarser solution is solved from that solution first
// (plainly, with few passes), and where that fails from the problem's own start, finding its way
// only where a pass is cheap (kPassesFromCoarserDegree and the bounds beside it say why).
NewtonAttempt GrownDegreeFromCoarser();
NewtonAttempt GrownDegreeFromTheStart(int degree);

// The residual of row r at `coef`, as the iteration computes it. False on an engine error.
bool ShapeResidual(const ChebyshevNewtonShape& shape, const std::vector<std::string>& expr,
                   const std::vector<double>& coef, int r, script::ScriptHost& host, double& value);

// What the iteration leaves in the coefficients, for the readout: the last pass's correction,
// sum |delta c_j| over every block, times the square of its ratio to the pass before (at most 1).
// While Newton's iteration still squares its error, the error left after a correction d is
// about d^3 / d_before^2; once the corrections stop falling they are rounding, and the last one
// is what rounding leaves. 0 before any pass. A loose run met on its simplified correction
// gives that correction's size (`remaining`), which is what is left.
double RemainingCorrection(const NewtonRunReport& result);

// max |v_j| (0 for an empty vector).
double LargestMagnitude(const std::vector<double>& v);

// The pass listing: "PASS 1: CORRECTION 1.5E+00  RESIDUAL 2.3E-01  STEP 1", one line a pass,
// then how the iteration ended.
std::vector<std::string> NewtonPassLines(const NewtonRunReport& result);

} // namespace ode
