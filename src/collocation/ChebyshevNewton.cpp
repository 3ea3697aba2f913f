#include "collocation/ChebyshevNewton.h"

#include "collocation/Elimination.h"
#include "collocation/NewtonLoop.h"
#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "script/ScriptErrors.h"
#include "session/Listing.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace ode {

namespace {

struct Failure {};
struct Stopped {}; // the caller asked the iteration to stop

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr int kHalvings = 10;    // the shortest step tried is 1/1024 of Newton's
constexpr double kArmijo = 1e-4; // the fall a step must bring, relative to its length
constexpr int kPolishPasses = 6; // at most this many passes after the bounds are met
// A chord step is taken where the simplified correction is at most this share of the step before.
// Where it is not and that step was within kRoundingFloor roundings of the coefficients, the
// corrections are the rounding of the residuals (near 1E-11 where a shock's terms reach 1E+3),
// which no pass reduces: the iteration has reached rounding level.
constexpr double kChordContraction = 0.25;
constexpr double kRoundingFloor = 64;
constexpr double kEpsilon = std::numeric_limits<double>::epsilon();
constexpr int kConditionPasses = 8;      // a start made to meet its conditions: at most this many passes
constexpr double kConditionsMet = 1e-13; // and the conditions' residuals it must reach
constexpr size_t kKeptBasisBytes = size_t{32} << 20; // the rows' basis tables kept up to this size

// The residuals of all rows: the largest (what the bounds and the listing speak of) and the
// sum of squares (what a damped step must reduce: Newton's direction always lowers it).
struct ResidualNorms {
    double largest = 0, squares = 0;
    void add(double f)
    {
        largest = std::fmax(largest, std::fabs(f));
        squares += f * f;
    }
    static ResidualNorms Infinite() { return {kInfinity, kInfinity}; }
};

// v[k] = sum over p = 0 ... degree, in that order, of coef[p] t[p width + k]: a series' value
// and derivatives at a point from its basis table. The sums run side by side, each in a
// register (a sum alone waits on its last addition at every term).
template <size_t W> void SeriesAndDerivativesOf(const double* coef, int degree, const double* t, double* v)
{
    double sum[W] = {};
    for (int p = 0; p <= degree; ++p, t += W)
        for (size_t k = 0; k < W; ++k)
            sum[k] += coef[p] * t[k];
    for (size_t k = 0; k < W; ++k)
        v[k] = sum[k];
}

void SeriesAndDerivatives(const double* coef, int degree, const double* t, size_t width, double* v)
{
    switch (width) {
    case 1:
        return SeriesAndDerivativesOf<1>(coef, degree, t, v);
    case 2:
        return SeriesAndDerivativesOf<2>(coef, degree, t, v);
    case 3:
        return SeriesAndDerivativesOf<3>(coef, degree, t, v);
    case 4:
        return SeriesAndDerivativesOf<4>(coef, degree, t, v);
    case 5:
        return SeriesAndDerivativesOf<5>(coef, degree, t, v);
    default:
        std::fill(v, v + width, 0.0);
        for (int p = 0; p <= degree; ++p, t += width)
            for (size_t k = 0; k < width; ++k)
                v[k] += coef[p] * t[k];
    }
}

// The iteration's state for one problem: the names, the basis tables and values of the
// point last set.
class ChebyshevNewton {
public:
    ChebyshevNewton(const ChebyshevNewtonShape& shape, const std::vector<std::string>& expr, script::ScriptHost& host)
        : shape(shape), expr(expr), host(host), scale(2 / (shape.b - shape.a))
    {
        for (const ChebyshevNewtonShape::Block& block : shape.blocks) {
            firstPartial.push_back(names.size());
            names.insert(names.end(), block.names.begin(), block.names.end());
        }
        basis.resize(shape.blocks.size());
        table.resize(shape.blocks.size());
        values.resize(shape.blocks.size());
        partials.assign(names.size(), 0.0);
        size_t perRow = 0;
        for (const ChebyshevNewtonShape::Block& block : shape.blocks) {
            blockStart.push_back(perRow);
            perRow += static_cast<size_t>(block.degree + 1) * static_cast<size_t>(block.order + 1);
        }
        if (perRow * shape.rows.size() * sizeof(double) <= kKeptBasisBytes)
            rowBasis.resize(shape.rows.size());
    }

    const ChebyshevNewtonShape& shape;
    const std::vector<std::string>& expr;
    script::ScriptHost& host;
    const double scale;
    std::vector<std::string> names;   // every block's names, block after block
    std::vector<size_t> firstPartial; // where each block's names start in `names`
    std::vector<std::vector<double>> basis, values;
    // Every pass and every trial step evaluates each row at its point again: the basis tables
    // of the rows' points are kept (where they fit in kKeptBasisBytes), one per row, every
    // block's after the block before, and `table` points at each block's for the point set.
    std::vector<std::vector<double>> rowBasis;
    std::vector<size_t> blockStart;
    std::vector<const double*> table;
    std::vector<double> partials;
    bool differenced = false;
    Progress progress; // asked between rows

    void checkStop() const
    {
        if (progress.cancelled())
            throw Stopped{};
    }

    void check(bool ok)
    {
        if (!ok)
            throw Failure{};
    }

    // x and every block's value and derivatives at x, from the coefficients c, unrounded; r is
    // the row whose point x is (its basis tables are kept), or -1.
    void setPoint(const std::vector<double>& c, double x, int r = -1)
    {
        const double s = (2 * x - shape.a - shape.b) / (shape.b - shape.a);
        std::vector<double>* kept = r >= 0 && !rowBasis.empty() ? &rowBasis[static_cast<size_t>(r)] : nullptr;
        const bool building = kept && kept->empty();
        for (size_t j = 0; j < shape.blocks.size(); ++j) {
            const ChebyshevNewtonShape::Block& block = shape.blocks[j];
            if (!kept || building) {
                ChebyshevBasisDerivatives(block.order, block.degree, s, basis[j]);
                if (building)
                    kept->insert(kept->end(), basis[j].begin(), basis[j].end());
            }
            table[j] = kept && !building ? kept->data() + blockStart[j] : basis[j].data();
            const size_t width = static_cast<size_t>(block.order) + 1;
            std::vector<double>& v = values[j];
            v.resize(width);
            SeriesAndDerivatives(c.data() + block.offset, block.degree, table[j], width, v.data());
            double power = 1;
            for (size_t k = 0; k < width; ++k, power *= scale) {
                v[k] *= power;
                check(host.assignExact(block.names[k], v[k]));
            }
        }
        check(host.assignExact(shape.indepVarName, x));
    }

    void setRow(const std::vector<double>& c, int r) { setPoint(c, shape.rows[static_cast<size_t>(r)].x, r); }

    double offset(int r) const { return shape.offset.empty() ? 0.0 : shape.offset[static_cast<size_t>(r)]; }

    double residual(int r)
    {
        double v = 0;
        check(host.evaluate(expr[static_cast<size_t>(shape.rows[static_cast<size_t>(r)].residual)], v));
        return v - offset(r);
    }

    // The residual of row r at the point set, and its partials with respect to every name.
    double residualAndPartials(int r)
    {
        const std::string& text = expr[static_cast<size_t>(shape.rows[static_cast<size_t>(r)].residual)];
        double v = 0;
        bool exact = names.size() <= static_cast<size_t>(script::Engine::kMaxPartials);
        if (exact) {
            check(host.evaluateWithPartials(text, names, v, partials.data(), exact));
            if (exact)
                return v - offset(r);
        } else {
            check(host.evaluate(text, v));
        }
        // Something in the text has no derivative the engine knows: central differences,
        // each step near the cube root of the rounding unit of its value.
        differenced = true;
        for (size_t j = 0; j < shape.blocks.size(); ++j)
            for (size_t k = 0; k < values[j].size(); ++k) {
                const std::string& name = shape.blocks[j].names[k];
                const double y = values[j][k], h = 6e-6 * std::fmax(1.0, std::fabs(y));
                double plus = 0, minus = 0;
                check(host.assignExact(name, y + h));
                check(host.evaluate(text, plus));
                check(host.assignExact(name, y - h));
                check(host.evaluate(text, minus));
                check(host.assignExact(name, y));
                partials[firstPartial[j] + k] = (plus - minus) / (2 * h);
            }
        return v - offset(r);
    }

    // The Newton system at c; returns the residuals' norms.
    ResidualNorms assemble(const std::vector<double>& c, AugmentedMatrix& a)
    {
        ResidualNorms norms;
        const int N = shape.unknowns();
        for (int r = 0; r < static_cast<int>(shape.rows.size()); ++r) {
            checkStop();
            setRow(c, r);
            const double f = residualAndPartials(r);
            double* row = a.row(r);
            for (size_t j = 0; j < shape.blocks.size(); ++j) {
                const ChebyshevNewtonShape::Block& block = shape.blocks[j];
                ChebyshevRowFromBasis(row + block.offset, block.order, block.degree, scale,
                                      partials.data() + firstPartial[j], table[j]);
            }
            row[N] = -f;
            norms.add(f);
        }
        return norms;
    }

    // Every row's residual at c, into f; false where a text cannot be evaluated there or a
    // residual is not finite.
    bool residuals(const std::vector<double>& c, std::vector<double>& f)
    {
        f.resize(shape.rows.size());
        try {
            for (int r = 0; r < static_cast<int>(shape.rows.size()); ++r) {
                checkStop();
                setRow(c, r);
                f[static_cast<size_t>(r)] = residual(r);
                if (!std::isfinite(f[static_cast<size_t>(r)]))
                    return false;
            }
        } catch (const Failure&) {
            return false;
        }
        return true;
    }

    // Moves the lowest coefficients of each block, as many as its order, so that the last
    // `conditions` rows (the conditions, one per order in all) are met, by Newton's iteration on
    // those coefficients alone. False, c unchanged, where the orders do not match the count,
    // the small system is singular, a text fails or the conditions are not met in a few passes.
    bool meetConditions(std::vector<double>& c, int conditions)
    {
        std::vector<size_t> moved; // the columns moved: each block's lowest
        for (const ChebyshevNewtonShape::Block& block : shape.blocks)
            for (int k = 0; k < block.order && k <= block.degree; ++k)
                moved.push_back(static_cast<size_t>(block.offset + k));
        const int rows = static_cast<int>(shape.rows.size());
        if (conditions < 1 || static_cast<int>(moved.size()) != conditions || conditions > rows)
            return false;
        const std::vector<double> start = c;
        std::vector<double> full(c.size() + 1), delta;
        try {
            for (int pass = 0; pass < kConditionPasses; ++pass) {
                AugmentedMatrix small(conditions);
                double largest = 0;
                for (int i = 0; i < conditions; ++i) {
                    const int r = rows - conditions + i;
                    setRow(c, r);
                    const double f = residualAndPartials(r);
                    check(std::isfinite(f));
                    largest = std::fmax(largest, std::fabs(f));
                    std::fill(full.begin(), full.end(), 0.0);
                    for (size_t j = 0; j < shape.blocks.size(); ++j) {
                        const ChebyshevNewtonShape::Block& block = shape.blocks[j];
                        ChebyshevRowFromBasis(full.data() + block.offset, block.order, block.degree, scale,
                                              partials.data() + firstPartial[j], table[j]);
                    }
                    for (int k = 0; k < conditions; ++k)
                        small.at(i, k) = full[moved[static_cast<size_t>(k)]];
                    small.at(i, conditions) = -f;
                }
                if (largest <= kConditionsMet)
                    return true;
                if (Eliminate(small, delta) != EliminationOutcome::Solved)
                    break;
                for (int k = 0; k < conditions; ++k)
                    c[moved[static_cast<size_t>(k)]] += delta[static_cast<size_t>(k)];
            }
        } catch (const Failure&) {
        }
        c = start;
        return false;
    }

    // The residuals' norms at c; infinite where the texts cannot be evaluated there.
    ResidualNorms residualNorms(const std::vector<double>& c)
    {
        ResidualNorms norms;
        try {
            for (int r = 0; r < static_cast<int>(shape.rows.size()); ++r) {
                checkStop();
                setRow(c, r);
                const double f = residual(r);
                if (!std::isfinite(f))
                    return ResidualNorms::Infinite();
                norms.add(f);
            }
        } catch (const Failure&) {
            return ResidualNorms::Infinite();
        }
        return norms;
    }
};

// Damped step from c along delta: the first of 1, 1/2, ... 1/1024 whose sum of squared
// residuals falls by Armijo's rule (at least 2e-4 of the step's share of it), else the one
// of them with the smallest sum. Returns the step's norms; c is moved. The full step is
// tried by assembling the next Newton system there (`next`, its norms in `nextNorms`), so a
// pass that takes it costs one assembly, as an undamped pass does; `nextReady` tells whether
// `next` belongs to the point c was moved to. A stop request leaves by Stopped, c unmoved.
NewtonPassNorms DampedStep(ChebyshevNewton& newton, std::vector<double>& c, const std::vector<double>& delta,
                           const ResidualNorms& before, AugmentedMatrix& next, ResidualNorms& nextNorms,
                           bool& nextReady)
{
    NewtonPassNorms best{0, kInfinity, 0};
    double bestSquares = kInfinity;
    std::vector<double> trial(c.size()), bestTrial;
    double lambda = 1;
    nextReady = false;
    bool fullStepAssembled = false;
    const bool wasQuiet = newton.host.quiet();
    newton.host.setQuiet(true);
    for (int k = 0; k <= kHalvings; ++k, lambda /= 2) {
        newton.checkStop();
        for (size_t j = 0; j < c.size(); ++j)
            trial[j] = c[j] + lambda * delta[j];
        ResidualNorms norms;
        if (k == 0) {
            try {
                norms = newton.assemble(trial, next);
                fullStepAssembled = std::isfinite(norms.squares);
            } catch (const Failure&) {
                norms = ResidualNorms::Infinite();
            }
            if (!std::isfinite(norms.squares))
                norms = ResidualNorms::Infinite();
        } else {
            norms = newton.residualNorms(trial);
        }
        if (norms.squares < bestSquares) {
            bestSquares = norms.squares;
            best = {lambda * LargestMagnitude(delta), norms.largest, lambda};
            bestTrial = trial;
            nextReady = k == 0 && fullStepAssembled;
            if (nextReady)
                nextNorms = norms;
        }
        if (norms.squares <= (1 - 2 * kArmijo * lambda) * before.squares)
            break;
    }
    newton.host.setQuiet(wasQuiet);
    if (!bestTrial.empty())
        c = std::move(bestTrial);
    return best;
}

double RootMeanSquare(const std::vector<double>& v)
{
    double squares = 0;
    for (double x : v)
        squares += x * x;
    return v.empty() ? 0.0 : std::sqrt(squares / static_cast<double>(v.size()));
}

// Error-oriented damping (Deuflhard's NLEQ-ERR): a step's length is judged by the simplified
// Newton correction at the trial point, J(c)^-1 F(c + lambda delta), solved with the factors
// of the pass's own matrix, not by the residuals. The test and the predicted lengths are
// invariant under any scaling of the rows, which is what a collocation needs: its rows grow
// with the degree and a layer's rows outweigh the rest by orders of magnitude, so the sum of
// squared residuals can fall along directions that lead nowhere (steps of 1/1024 pass after
// pass) while the corrections say plainly how far the linear model can be trusted.
class ErrorOrientedSteps {
public:
    // The step from c along delta (the Newton correction of the factored matrix `lu`, whose
    // rows were multiplied by 2^shifts): the first length, predicted from the last pass's
    // contraction, is cut to the one the trial's simplified correction predicts until the
    // corrections contract (restricted monotonicity test), and raised once where that
    // prediction is four times longer. False when no length above kShortest contracts; c is
    // then unmoved. A stop request leaves by Stopped.
    bool step(ChebyshevNewton& newton, std::vector<double>& c, const std::vector<double>& delta,
              const AugmentedMatrix& lu, const Factorisation& factors, const std::vector<int>& shifts,
              NewtonPassNorms& norms)
    {
        const double size = RootMeanSquare(delta);
        double lambda = 1;
        if (!m_lastDelta.empty()) {
            std::vector<double> difference(delta.size());
            for (size_t j = 0; j < delta.size(); ++j)
                difference[j] = m_simplified[j] - delta[j];
            const double denominator = RootMeanSquare(difference) * size;
            if (denominator > 0)
                lambda =
                    std::fmin(1.0, RootMeanSquare(m_lastDelta) * RootMeanSquare(m_simplified) / denominator * m_lambda);
        } else {
            lambda = kFirst;
        }
        std::vector<double> trial(c.size()), f, simplified;
        const bool wasQuiet = newton.host.quiet();
        newton.host.setQuiet(true);
        bool raised = false;
        double largest = 0;
        for (;;) {
            newton.checkStop();
            if (!(lambda >= kShortest)) {
                newton.host.setQuiet(wasQuiet);
                return false;
            }
            for (size_t j = 0; j < c.size(); ++j)
                trial[j] = c[j] + lambda * delta[j];
            if (!newton.residuals(trial, f)) {
                lambda /= 2; // no value there: a shorter step
                continue;
            }
            simplified.resize(f.size());
            largest = 0;
            for (size_t r = 0; r < f.size(); ++r) {
                largest = std::fmax(largest, std::fabs(f[r]));
                simplified[r] = -std::ldexp(f[r], shifts[r]);
            }
            SolveFactored(lu, factors, simplified);
            std::vector<double> gap(delta.size());
            for (size_t j = 0; j < delta.size(); ++j)
                gap[j] = simplified[j] - (1 - lambda) * delta[j];
            const double theta = size > 0 ? RootMeanSquare(simplified) / size : 0.0;
            const double gapSize = RootMeanSquare(gap);
            const double predicted = gapSize > 0 ? 0.5 * size * lambda * lambda / gapSize : 1.0;
            if (!std::isfinite(theta) || theta > 1 - lambda / 4) {
                lambda = std::isfinite(predicted) ? std::fmin(predicted, lambda / 2) : lambda / 2;
                continue;
            }
            const double next = std::fmin(1.0, predicted);
            if (!raised && next >= 4 * lambda) {
                raised = true;
                lambda = next;
                continue;
            }
            break;
        }
        newton.host.setQuiet(wasQuiet);
        c = trial;
        norms = {lambda * LargestMagnitude(delta), largest, lambda};
        m_lambda = lambda;
        m_lastDelta = delta;
        m_simplified = simplified;
        return true;
    }
    // The last step's simplified correction, J(c)^-1 F(c + lambda delta) (empty before a step).
    const std::vector<double>& lastSimplified() const { return m_simplified; }

private:
    static constexpr double kFirst = 1;             // the first pass's trial length
    static constexpr double kShortest = 1.0 / (1 << kHalvings); // as the residual-led halvings' shortest
    double m_lambda = 1;
    std::vector<double> m_lastDelta, m_simplified;
};

} // namespace

double LargestMagnitude(const std::vector<double>& v)
{
    double largest = 0;
    for (double x : v)
        largest = std::fmax(largest, std::fabs(x));
    return largest;
}

int ChebyshevNewtonShape::unknowns() const
{
    int n = 0;
    for (const Block& block : blocks)
        n += block.degree + 1;
    return n;
}

bool NewtonMatricesFit(int unknowns) { return AugmentedMatrix::Fits(unknowns, 2); }

NewtonRunReport RunChebyshevNewton(const ChebyshevNewtonShape& shape, const std::vector<std::string>& expr,
                                   std::vector<double>& c, script::ScriptHost& host, const Progress& progress)
{
    NewtonRunReport result;
    const int N = shape.unknowns();
    ChebyshevNewton newton(shape, expr, host);
    const bool wasQuiet = host.quiet(); // a damped step's trials are quiet, then as before
    // The best result of a finished pass, by its largest residual: what a stopped iteration shows.
    std::vector<double> best, bestCorrection;
    double bestResidual = 0;
    auto fault = [&](Termination t) {
        result.termination = t;
        result.error = host.fault();
        host.trap();
        result.differencedPartials = newton.differenced;
        return result;
    };
    bool met = false;
    double previousCorrection = kInfinity;
    int polish = 0;
    result.termination = Termination::NoConvergence;
    if (!NewtonMatricesFit(N))
        throw std::bad_alloc();
    try {
        AugmentedMatrix a(N), next(N);
        ErrorOrientedSteps errorOriented;
        Factorisation factors;
        std::vector<int> shifts;
        ResidualNorms before;
        bool ready = false; // `next` is the Newton system at c
        // Large systems: a pass whose simplified correction contracts well enough is taken with
        // the factors it was found with instead of a new elimination (below).
        const bool chords = !shape.errorOriented && N >= kChordStepsFromUnknowns;
        std::vector<double> chord; // that correction, for the next pass; empty: it eliminates
        const int passes = std::min(shape.maxIterations, kMaxNewtonPasses);
        for (int pass = 1; pass <= passes; ++pass) {
            newton.progress = progress.atPass(pass);
            std::vector<double> delta;
            // The factors are kept for the simplified corrections: the error-oriented steps',
            // a loose run's stop and the chord steps (below).
            const bool keepFactors = shape.errorOriented || !shape.polish || chords;
            if (!chord.empty()) {
                delta = std::move(chord);
                chord.clear();
            } else {
                if (ready)
                    std::swap(a, next);
                else
                    before = newton.assemble(c, a); // every entry of every row is written
                if (!a.allFinite()) {
                    host.raise(script::ErrOverflow);
                    return fault(Termination::ArithmeticFault);
                }
                // The collocation rows grow like N^(2n), the conditions' do not.
                EquilibrateRows(a, keepFactors ? &shifts : nullptr);
                const EliminationOutcome outcome =
                    Eliminate(a, delta, newton.progress, keepFactors ? &factors : nullptr);
                ++result.eliminations;
                if (outcome == EliminationOutcome::Cancelled)
                    throw Stopped{};
                if (outcome == EliminationOutcome::LinearlyDependent || outcome == EliminationOutcome::Inconsistent) {
                    result.termination = outcome == EliminationOutcome::LinearlyDependent
                                             ? Termination::LinearlyDependent
                                             : Termination::Inconsistent;
                    break;
                }
                if (outcome == EliminationOutcome::ArithmeticFault) {
                    host.raise(script::ErrOverflow);
                    return fault(Termination::ArithmeticFault);
                }
            }
            const std::vector<double> old = c;
            ResidualNorms nextNorms;
            NewtonPassNorms norms;
            if (!shape.errorOriented) {
                norms = DampedStep(newton, c, delta, before, next, nextNorms, ready);
            } else if (!errorOriented.step(newton, c, delta, a, factors, shifts, norms)) {
                break; // no step contracts: Newton's linear model is not to be trusted here
            }
            // A loose run (a step on a continuation's or a homotopy's way, whose bounds only
            // have to bring the next step well inside Newton's reach) is met once the full step
            // it took leaves a simplified correction, J(c_old)^-1 F(c_new) from this pass's
            // factors, within the coefficients' bound: that is how far c_new is from the
            // solution, to first order, where the pass's own correction says how far c_old was,
            // so the pass that would only confirm it is saved. The test does not depend on how
            // the rows are scaled, as the residuals' bound does.
            //
            // The same simplified correction is the next pass's chord step, J(c_old)^-1 F(c_new)
            // with the factors at hand: where it is at most kChordContraction of the step just
            // taken, Newton's linear model has hardly changed and the chord iteration goes on
            // contracting at least that fast, so the O(N^3) elimination is saved for O(N^2).
            bool closeEnough = false;
            double remaining = 0;
            if ((!shape.polish || chords) && norms.step == 1) {
                std::vector<double> simplified;
                if (shape.errorOriented) {
                    simplified = errorOriented.lastSimplified();
                } else if (ready) {
                    simplified.resize(static_cast<size_t>(N));
                    for (int r = 0; r < N; ++r)
                        simplified[static_cast<size_t>(r)] = std::ldexp(next.at(r, N), shifts[static_cast<size_t>(r)]);
                    SolveFactored(a, factors, simplified);
                }
                if (!shape.polish) {
                    closeEnough = !simplified.empty() && LargestMagnitude(simplified) <= shape.errorBoundCoef;
                    for (double d : simplified)
                        remaining += std::fabs(d);
                }
                if (chords && ready && LargestMagnitude(simplified) <= kChordContraction * norms.correction)
                    chord = std::move(simplified);
            }
            if (ready)
                before = nextNorms;
            if (!std::isfinite(norms.residual)) {
                result.passes.push_back(norms);
                break; // no step along Newton's direction can be evaluated
            }
            result.correction.resize(c.size());
            for (size_t j = 0; j < c.size(); ++j)
                result.correction[j] = c[j] - old[j];
            result.passes.push_back(norms);
            if (result.shownPass == 0 || norms.residual < bestResidual) {
                bestResidual = norms.residual;
                result.shownPass = pass;
                best = c;
                bestCorrection = result.correction;
            }
            // A step that took no chord after it (its simplified correction did not contract, or
            // the residuals had to damp it: at that level they no longer follow it) within
            // kRoundingFloor roundings of the coefficients was rounding, too.
            const double unit = kEpsilon * LargestMagnitude(c);
            const bool floor = chords && chord.empty() && norms.correction / norms.step <= kRoundingFloor * unit;
            const bool rounding = norms.correction <= 4 * unit || floor;
            if (!met && rounding && norms.residual > shape.errorBoundDE && !closeEnough) {
                // Nothing is left to correct, yet the residual stays above its bound: the bound is
                // tighter than the rounding of the equation's terms (Troesch's 10 sinh(10 y) reaches
                // 1E+5, its residuals stay near 1E-11). The coefficients are the collocation's
                // solution to working precision, which no pass improves; the readout says how
                // accurate they are.
                result.stalled = true;
                result.termination = Termination::Solved;
                break;
            }
            if (!met) {
                met = closeEnough || (norms.correction <= shape.errorBoundCoef && norms.residual <= shape.errorBoundDE);
                if (met)
                    result.termination = Termination::Solved;
                if (closeEnough)
                    result.remaining = remaining;
                if (met && !shape.polish)
                    break;
            } else if (++polish >= kPolishPasses || norms.correction > previousCorrection / 2 || rounding) {
                break; // the corrections stopped halving: the digits are what the degree gives
            }
            if (met && norms.correction == 0)
                break;
            previousCorrection = norms.correction;
        }
    } catch (const Failure&) {
        host.setQuiet(wasQuiet);
        return fault(Termination::ScriptError);
    } catch (const Stopped&) {
        host.setQuiet(wasQuiet);
        result.termination = Termination::Cancelled;
        if (result.shownPass > 0) {
            c = best;
            result.correction = bestCorrection;
        }
        result.differencedPartials = newton.differenced;
        return result;
    }
    result.shownPass = 0;
    result.differencedPartials = newton.differenced;
    return result;
}

NewtonRunReport RunChebyshevHomotopy(const ChebyshevNewtonShape& shape, const std::vector<std::string>& expr,
                                     std::vector<double>& coef, script::ScriptHost& host, const Progress& progress)
{
    NewtonRunReport failed;
    failed.termination = Termination::NoConvergence;
    const int rows = static_cast<int>(shape.rows.size());
    std::vector<double> start(static_cast<size_t>(rows));
    {
        script::ScriptHost::QuietScope quiet(host);
        for (int r = 0; r < rows; ++r)
            if (!ShapeResidual(shape, expr, coef, r, host, start[static_cast<size_t>(r)]) ||
                !std::isfinite(start[static_cast<size_t>(r)]))
                return failed;
    }
    ChebyshevNewtonShape step = shape;
    step.errorBoundDE = std::fmax(shape.errorBoundDE, kContinuationStepBound);
    step.errorBoundCoef = std::fmax(shape.errorBoundCoef, kContinuationStepBound);
    step.polish = false;
    // A step Newton does not settle in a dozen passes is too long: halved, it costs less than
    // the passes it would go on to spend.
    step.maxIterations = std::min(shape.maxIterations, kHomotopyStepPasses);
    step.offset.resize(static_cast<size_t>(rows));
    double t = 0, length = 0.25;
    int steps = 0;
    while (t < 1) {
        if (progress.cancelled()) {
            failed.termination = Termination::Cancelled;
            return failed;
        }
        const double next = std::fmin(1.0, t + length);
        for (int r = 0; r < rows; ++r)
            step.offset[static_cast<size_t>(r)] = (1 - next) * start[static_cast<size_t>(r)];
        std::vector<double> trial = coef;
        NewtonRunReport report;
        {
            script::ScriptHost::QuietScope quiet(host); // a failed step is only a shorter one
            report = RunChebyshevNewton(step, expr, trial, host, progress);
        }
        if (report.termination == Termination::Cancelled) {
            failed.termination = Termination::Cancelled;
            return failed;
        }
        if (report.solved()) {
            coef = std::move(trial);
            t = next;
            ++steps;
            length = std::fmin(2 * length, 1.0);
        } else if ((length /= 2) < 1.0 / 1024) {
            failed.passes = report.passes;
            return failed;
        }
    }
    NewtonRunReport result = RunChebyshevNewton(shape, expr, coef, host, progress);
    result.homotopySteps = steps;
    return result;
}

NewtonRunReport RunChebyshevNewtonFindingItsWay(const ChebyshevNewtonShape& shape, const std::vector<std::string>& expr,
                                                std::vector<double>& coef, script::ScriptHost& host,
                                                const Progress& progress)
{
    const std::vector<double> start = coef;
    NewtonRunReport plain = RunChebyshevNewton(shape, expr, coef, host, progress);
    if (plain.termination != Termination::NoConvergence || progress.cancelled())
        return plain;
    const std::vector<double> plainCoef = coef;
    // A later attempt stopped before it finished a pass has nothing to show: the plain
    // iteration's last iterate stands, stopped.
    auto stoppedBeforeAPass = [&](const NewtonRunReport& later) {
        if (later.termination != Termination::Cancelled || later.shownPass > 0)
            return false;
        coef = plainCoef;
        return true;
    };
    auto plainStopped = [&] {
        NewtonRunReport stopped = plain;
        stopped.termination = Termination::Cancelled;
        stopped.shownPass = static_cast<int>(plain.passes.size());
        return stopped;
    };
    ChebyshevNewtonShape errorOriented = shape;
    errorOriented.errorOriented = true;
    coef = start;
    NewtonRunReport found;
    {
        script::ScriptHost::QuietScope quiet(host); // an engine error there only ends this attempt
        found = RunChebyshevNewton(errorOriented, expr, coef, host, progress);
    }
    if (stoppedBeforeAPass(found))
        return plainStopped();
    if (found.solved() || found.termination == Termination::Cancelled) {
        found.errorOriented = true; // a stop there shows this attempt's passes, named as such
        return found;
    }
    // From the start made to meet the conditions, where it did not.
    coef = start;
    bool moved = false;
    if (shape.conditions > 0) {
        script::ScriptHost::QuietScope quiet(host);
        ChebyshevNewton newton(errorOriented, expr, host);
        moved = newton.meetConditions(coef, shape.conditions) && coef != start;
    }
    if (moved) {
        {
            script::ScriptHost::QuietScope quiet(host);
            found = RunChebyshevNewton(errorOriented, expr, coef, host, progress);
        }
        if (stoppedBeforeAPass(found))
            return plainStopped();
        if (found.solved() || found.termination == Termination::Cancelled) {
            found.errorOriented = true;
            found.startMeetsConditions = true;
            return found;
        }
        coef = start;
    }
    if (!shape.homotopy) {
        coef = plainCoef;
        return plain;
    }
    found = RunChebyshevHomotopy(shape, expr, coef, host, progress);
    if (stoppedBeforeAPass(found))
        return plainStopped();
    if (found.solved() || found.termination == Termination::Cancelled)
        return found;
    coef = plainCoef;
    return plain;
}

NewtonAttempt GrownDegreeFromCoarser() { return {false, kPassesFromCoarserDegree}; }

NewtonAttempt GrownDegreeFromTheStart(int degree)
{
    const bool cheap = degree <= kLastGrownDegreeFindingItsWay;
    return {cheap, cheap ? 0 : kPassesFromTheStartAtAGrownDegree};
}

bool ShapeResidual(const ChebyshevNewtonShape& shape, const std::vector<std::string>& expr,
                   const std::vector<double>& coef, int r, script::ScriptHost& host, double& value)
{
    ChebyshevNewton newton(shape, expr, host);
    try {
        newton.setPoint(coef, shape.rows[static_cast<size_t>(r)].x);
        value = newton.residual(r);
    } catch (const Failure&) {
        return false;
    }
    return true;
}

double RemainingCorrection(const NewtonRunReport& result)
{
    if (result.remaining >= 0)
        return result.remaining;
    double size = 0;
    for (double d : result.correction)
        size += std::fabs(d);
    const size_t passes = result.passes.size();
    if (passes >= 2 && result.passes[passes - 2].correction > 0) {
        const double ratio = result.passes[passes - 1].correction / result.passes[passes - 2].correction;
        size *= std::fmin(1.0, ratio * ratio);
    }
    return size;
}

std::vector<std::string> NewtonPassLines(const NewtonRunReport& result)
{
    std::vector<std::string> lines;
    if (result.homotopySteps > 0)
        lines.push_back("NEWTON'S ITERATION FROM THE START DID NOT CONVERGE: A HOMOTOPY FROM THE START REACHED THE "
                        "PROBLEM IN " +
                        std::to_string(result.homotopySteps) + (result.homotopySteps == 1 ? " STEP" : " STEPS") +
                        ", THEN:");
    // A later attempt says which it is; "DID" once it converged (it may have been stopped).
    const bool did = result.termination == Termination::Solved;
    if (result.startMeetsConditions)
        lines.push_back(std::string("NEWTON'S ITERATION FROM THE START DID NOT CONVERGE; THE START, MOVED IN ITS "
                                    "LOWEST COEFFICIENTS TO MEET THE CONDITIONS, WITH STEPS THAT LOWER ITS "
                                    "CORRECTIONS") +
                        (did ? " DID:" : ":"));
    else if (result.errorOriented)
        lines.push_back(std::string("NEWTON'S ITERATION FROM THE START DID NOT CONVERGE WITH STEPS THAT LOWER THE "
                                    "RESIDUALS; WITH STEPS THAT LOWER ITS CORRECTIONS") +
                        (did ? " IT DID:" : ":"));
    for (size_t k = 0; k < result.passes.size(); ++k) {
        const NewtonPassNorms& p = result.passes[k];
        lines.push_back("PASS " + std::to_string(k + 1) + ": CORRECTION " + FormatNumber(p.correction) + "  RESIDUAL " +
                        FormatNumber(p.residual) + "  STEP " + FormatNumber(p.step));
    }
    const std::string count = std::to_string(result.passes.size()) + (result.passes.size() == 1 ? " PASS" : " PASSES");
    switch (result.termination) {
    case Termination::Solved:
        if (result.stalled)
            lines.push_back("CONVERGED AFTER " + count + " TO ROUNDING LEVEL: THE RESIDUAL " +
                            FormatNumber(result.passes.back().residual) +
                            " IS THE ROUNDING OF THE EQUATION'S TERMS, ABOVE ITS BOUND");
        else
            lines.push_back("CONVERGED AFTER " + count);
        break;
    case Termination::NoConvergence:
        lines.push_back("NOT CONVERGED AFTER " + count);
        break;
    case Termination::LinearlyDependent:
        lines.push_back("STOPPED: LINEARLY DEPENDENT SYSTEM");
        break;
    case Termination::Inconsistent:
        lines.push_back("STOPPED: INCONSISTENT SYSTEM");
        break;
    case Termination::Cancelled:
        lines.push_back(NewtonStoppedLine(result.shownPass));
        break;
    default:
        lines.push_back("STOPPED BY AN ERROR");
        break;
    }
    if (result.differencedPartials)
        lines.push_back("PARTIAL DERIVATIVES BY DIFFERENCES: THE EQUATION USES A TEXT FUNCTION");
    return lines;
}

} // namespace ode
