#pragma once
// The bounds of what a problem file, a box or a command-line option may ask of a solve, each
// stated once here, with the reason for it. The forms' rules, the options and the file readers
// all ask these constants; a solve given more (by a caller that skipped the checks, or by a
// file that keeps a larger number) does at most this much.
//
// Times are of one core of the development machine (AMD EPYC, 2.1 GHz), RelWithDebInfo build.

namespace ode {

// The highest degree a solve accepts and a file may store (100001 terms for a trigonometric
// series): the files have always had this bound; beyond it the collocation matrix alone would
// need more than 80 GB.
constexpr double kLargestDegree = 100000;

// The highest degree the automatic degree may grow to (its limit box, --max-degree, NAME.acc):
// the largest degree. The banded form of a linear equation (below) solves degree 100 000 in
// about 0.3 s. The dense collocation of the other kinds is O(N^3) in time and O(N^2) in
// memory: 0.19 s and 13 MB at degree 1000, 1.4 s and 37 MB at 2000, 8.4 s and 130 MB at 4000,
// about a minute and 510 MB at 8000; a limit above a few thousand there is the user's own
// choice, with the Stop button in reach, and a degree the machine has no memory for ends the
// growth with the best degree found.
constexpr int kMaxAutoDegree = 100000;
// Where a linear equation's power series cannot take the banded form (a coefficient that is not
// smooth), its automatic degree stops here whatever the limit says: the growth to 4000 (16, 32
// ... 2048, then 4000) costs about ten seconds of collocation.
constexpr int kMaxCollocationAutoDegree = 4000;
// From this degree on, a linear equation whose coefficients and right-hand side are smooth (each
// resolved by at most kBandedSamplePoints Chebyshev coefficients) is solved in the banded
// (ultraspherical) form of the accurate method, O(N) instead of the collocation's O(N^3): the
// collocation took 25 ms at degree 512 and grows eightfold a doubling, the banded form takes
// under a millisecond there. Below it the collocation stays, whose results users have always
// seen; the two agree to rounding once a solution has converged.
constexpr int kBandedFromDegree = 512;
constexpr int kBandedSamplePoints = 2049;
// The automatic degree's first probe of the banded form. A probe costs about the same few
// microseconds a degree whatever it finds (building the operator, then the O(N) solve), and a
// converged one lands on the smallest degree its coefficients allow however far above it it was
// taken: a probe at 16 resolves almost nothing (sin on [-10, 10], Airy on [-5, 5] and the layers
// still rise there), so the ladder 16, 24, 41 cost sin a seventh of its whole solve where 32, 41
// costs a ninth. 32 is where a series still unresolved at 16 went next (the degree doubles), so
// the layers climb through the same degrees as before and land where they did.
constexpr int kFirstProbeDegree = 32;
// The widest band the banded form takes (about 60 Chebyshev coefficients in the widest
// coefficient): its cost grows with the square of the width, O(N w^2) to solve and O(N m^2) to
// build the multiplication operators; at this width degree 100 000 still takes about a second,
// and a coefficient of 982 terms (1/(1 + 400 x^2)) took minutes to build at degree 8000.
constexpr int kBandedWidth = 128;
// Where Newton's iteration finds no solution at the automatic degree's first degree, the next
// degrees (twice as high each) are tried from the same start up to this one before the growth
// gives up: a layer the degree cannot hold can leave the collocation's equations without a
// solution near the start where a finer degree has one (eps y'' + y' + y^2 = 0, eps = 1E-3,
// from zero: nothing at 16 and 32, converged at 64). Each failed degree costs its passes (the
// finer ones find their way without the homotopy, which the first tried): a problem without a
// solution (Bratu's beyond its turning point, 40 passes a way) takes 0.19 s to fail at
// 16 ... 128, where it took 0.05 s at 16 alone.
constexpr int kLastRetriedFirstDegree = 128;
// A degree grown from a coarser one starts Newton's iteration from the coarser solution: close
// enough, it converges in a few passes (3 to 14 on the examples and the layers), so it gets this
// many at most; beyond them that start is not to be trusted. The degree is then solved from the
// problem's own start (a coarser solution that missed a layer can lead Newton astray: the corner
// layer eps y'' - y y' - y = 0, eps = 1E-4, converges from zero in 8 passes at degree 576 and 30
// at 1000; Carrier's problem at eps = 5E-3 needs the error-oriented steps from zero at degree 32),
// finding its way up to kLastGrownDegreeFindingItsWay, above it with plain Newton and twice as
// many passes at most: a pass of the dense collocation costs about 0.1 s at degree 512, where
// every way failing took 45 s (eps y'' + y y' - y = 0 on a shock its coarser degrees had placed
// wrongly).
constexpr int kPassesFromCoarserDegree = 30;
constexpr int kPassesFromTheStartAtAGrownDegree = 2 * kPassesFromCoarserDegree;
constexpr int kLastGrownDegreeFindingItsWay = 256;
// From this many unknowns the accurate Newton iteration takes chord steps (the factors of an
// earlier pass) where they contract well: there a pass's elimination costs many times its
// assembly. Below, every pass eliminates anew, as the smaller problems always have.
constexpr int kChordStepsFromUnknowns = 1024;
// The lowest limit of the automatic degree: degree 2 is the least a first-order problem needs
// besides its condition.
constexpr int kMinAutoDegree = 2;

// The automatic degree's defaults, where a box, an option or a file does not say: it grows up to
// degree 1000 (a second or two for a linear equation), and stops when the last coefficients are
// below 1E-13 of the largest, a few hundred times the rounding of a double, which is as close as
// the coefficients of a well-conditioned problem come.
constexpr int kDefaultAutoDegreeLimit = 1000;
// A linear equation's power series grows in the banded form, whose whole growth to degree
// 100 000 takes about a second: its default limit is the largest degree.
constexpr int kDefaultBandedAutoDegreeLimit = 100000;
// A single nonlinear equation's power series: Newton's dense passes eliminate 4097 unknowns in
// about 2.3 s on two cores (268 MB for the pass's matrix and the next one's), and a degree
// grown from a converged coarser one takes one or two eliminations, its other passes chord
// steps. Shocks and corners of width 1E-3 need degrees near 4000 (eps y'' + y y' - y = 0 with
// its shock at 1/3: 4096, about 12 s in all); a limit of 1000 left them NOT CONVERGED. A system's
// unknowns are its variables' together: it keeps kDefaultAutoDegreeLimit a variable.
constexpr int kDefaultNewtonAutoDegreeLimit = 4096;
constexpr double kDefaultTolerance = 1e-13;
// The tolerance is relative: the tail of the coefficients to the largest coefficient, the
// estimated error to the solution's size (SolutionSize: its largest value or coefficient); above
// 0 and below 1.
constexpr bool CheckTolerance(double tolerance) { return tolerance > 0 && tolerance < 1; }

// The most Newton passes a solve makes, whatever its iteration limit says (the files and the
// box keep any number they hold). Newton's iteration converges quadratically once it is near a
// solution, within a dozen passes on every example; the damped one gains at least 1/1024 of a
// step a pass. A thousand passes at the examples' degrees take a tenth of a second, while the
// 2147483647 a box of 1E308 reads as would never end.
constexpr int kMaxNewtonPasses = 1000;

// The most steps of a continuation (each a Newton iteration from the last step's solution):
// a thousand steps of the Bratu demo take about a second, and a finer sweep than that gains
// nothing.
constexpr int kMaxContinuationSteps = 1000;
// The bounds a continuation's steps on the way are solved to (three digits), where the problem's ask for more
// (its Newton bounds and the automatic degree's tolerance): a step only has to start the next
// one well inside its region of convergence, and Newton's iteration squares its error a pass,
// so the last step pays a pass or two for what the others save.
constexpr double kContinuationStepBound = 1e-3;
// Where the accurate method's automatic degree finds no converged solution, it sweeps a user
// constant that weighs a highest derivative (session/Continuation.h) from 1 down to its value,
// if the value is at most this in size: a layer parameter. Larger ones make no layer a sweep
// from 1 would ease. Three steps a decade: the gas-dynamics shock eps y^2 y'' + ... at
// eps = 1E-2 is reached in 6 steps and 0.3 s; with two a decade its steps had to be halved, with
// four it took twice as long.
constexpr double kLargestLayerParameter = 0.1;
// Nor below this: a layer that thin needs a degree beyond any a sweep could afford (a shock of
// width 1E-3 needs several thousand), and a sweep to a value near the smallest double would not
// know how many steps to take.
constexpr double kSmallestLayerParameter = 1e-12;
constexpr int kLayerSweepStepsPerDecade = 3;
// The most Newton passes a homotopy step makes (collocation/ChebyshevNewton.h): from a good
// start Newton's iteration meets the steps' loose bounds in a few passes; a step that needs
// more is halved instead.
constexpr int kHomotopyStepPasses = 12;

// The most intervals of an exported grid of values (--export-grid, the export window's grid
// box): a million intervals take 4 s for an accurate solution of degree 512 and 40 s for a
// trigonometric series of 1024 terms, and a file of 50 to 100 MB.
constexpr int kMaxGridIntervals = 1000000;

// The plot window's largest step between the points a curve is drawn through, in pixels: a
// coarser polygon no longer follows the curve.
constexpr int kMaxPlotStep = 80;

// The largest share of the machine's memory one collocation matrix may take: a Newton pass holds
// two at once, and the machine must keep working. Beyond it a solve ends at once with "There is
// not enough memory to solve this problem at this degree." instead of being ended by the system
// when the pages are touched (memory is promised freely and only counted when used): on 24 GB
// that is degree 39000 or so; at degree 100000 the matrix alone would take 80 GB.
constexpr double kLargestMatrixShare = 0.5;

// The machine's physical memory in bytes, 0 when it cannot be told.
unsigned long long PhysicalMemory();

// The equally spaced method's check between its grid points suggests the other method (or more
// terms) when the equation is met there only to more than this fraction of its terms: a solution
// that good at the midpoints has about that many digits, fewer than a user of a double expects.
constexpr double kGridCheckSuggestion = 1e-8;

} // namespace ode
