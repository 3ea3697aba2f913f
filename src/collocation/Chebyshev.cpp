#include "collocation/Chebyshev.h"

#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "common/Power.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <new>

namespace ode {

void ChebyshevBasisDerivatives(int n, int N, double t, std::vector<double>& d)
{
    const size_t width = static_cast<size_t>(n) + 1;
    d.resize(static_cast<size_t>(N + 1) * width); // every entry is written below
    double* row0 = d.data();
    std::fill(row0, row0 + width, 0.0);
    row0[0] = 1;
    if (N < 1)
        return;
    double* row1 = row0 + width;
    std::fill(row1, row1 + width, 0.0);
    row1[0] = t;
    if (n >= 1)
        row1[1] = 1;
    for (int j = 1; j < N; ++j) {
        const double* prev = d.data() + static_cast<size_t>(j - 1) * width;
        const double* cur = prev + width;
        double* next = const_cast<double*>(cur) + width;
        next[0] = 2 * t * cur[0] - prev[0];
        for (size_t k = 1; k < width; ++k)
            next[k] = 2 * t * cur[k] + 2 * static_cast<double>(k) * cur[k - 1] - prev[k];
    }
}

void ChebyshevRowFromBasis(double* row, int n, int N, double scale, const double* p, const double* d)
{
    const size_t width = static_cast<size_t>(n) + 1;
    double factor[16];
    std::vector<double> many;
    double* f = factor;
    if (width > 16) {
        many.resize(width);
        f = many.data();
    }
    double power = 1;
    for (size_t k = 0; k < width; ++k, power *= scale)
        f[k] = p[k] * power;
    for (int j = 0; j <= N; ++j) {
        const double* dj = d + static_cast<size_t>(j) * width;
        double sum = 0;
        for (size_t k = 0; k < width; ++k)
            sum += f[k] * dj[k];
        row[j] = sum;
    }
}

double ChebyshevTail(const std::vector<double>& coef)
{
    double scale = 0, tail = 0;
    for (size_t k = 0; k < coef.size(); ++k) {
        scale = std::fmax(scale, std::fabs(coef[k]));
        if (k + 8 >= coef.size())
            tail = std::fmax(tail, std::fabs(coef[k]));
    }
    return scale > 0 ? tail / scale : 0.0;
}

double LastTerms(const std::vector<double>& coef)
{
    double scale = 0, last = 0;
    for (size_t k = 0; k < coef.size(); ++k) {
        scale = std::fmax(scale, std::fabs(coef[k]));
        if (k + 2 >= coef.size())
            last = std::fmax(last, std::fabs(coef[k]));
    }
    return scale > 0 ? last / scale : 0.0;
}

double EstimatedError(double tail, double scale, int degree)
{
    // Never below what rounding leaves in a sum of N+1 terms of this scale.
    return std::fmax(8 * tail, 2.220446049250313e-16 * (degree + 1)) * scale;
}

double AccurateEstimatedError(double tail, double scale, int degree, double rounding)
{
    const double typicalSum = 2.220446049250313e-16 * std::sqrt(degree + 1.0) * scale;
    return std::fmax(std::fmax(8 * tail * scale, typicalSum), rounding);
}

double SolutionSize(const std::vector<double>& coef)
{
    double size = 0;
    for (double c : coef) {
        if (!std::isfinite(c))
            return 0; // nothing is within a tolerance of it
        size = std::fmax(size, std::fabs(c));
    }
    for (int i = 0; i <= 200; ++i) {
        const double value = std::fabs(ChebyshevSum(coef, std::cos(3.14159265358979323846 * i / 200)));
        if (!std::isfinite(value))
            return 0;
        size = std::fmax(size, value);
    }
    return size;
}

AccuracyReadout FixedDegreeReadout(const std::vector<ChebyshevSeries>& series, double tolerance, double rounding)
{
    double tail = 0, last = 0, scale = 0;
    int degree = 0;
    for (const ChebyshevSeries& s : series) {
        tail = std::fmax(tail, ChebyshevTail(s.coef));
        last = std::fmax(last, LastTerms(s.coef));
        for (double c : s.coef)
            scale = std::fmax(scale, std::fabs(c));
        degree = std::max(degree, static_cast<int>(s.coef.size()) - 1);
    }
    AccuracyReadout r;
    r.degree = degree;
    r.estimatedError = AccurateEstimatedError(last, scale, degree, rounding);
    double size = 0;
    for (const ChebyshevSeries& s : series)
        size = std::fmax(size, SolutionSize(s.coef));
    r.allowed = tolerance * size;
    r.verdict = tail <= tolerance && r.estimatedError <= r.allowed ? AccuracyReadout::Verdict::Converged
                                                                   : AccuracyReadout::Verdict::NotConverged;
    return r;
}

int NextChebyshevDegree(const std::vector<double>& coef, double tolerance, bool* capped)
{
    const int N = static_cast<int>(coef.size()) - 1;
    if (capped)
        *capped = true;
    if (N < 8)
        return 2 * std::max(N, 1);
    // The envelope: the largest |c| from k on, relative to the largest of all.
    std::vector<double> envelope(coef.size());
    double scale = 0;
    for (size_t k = coef.size(); k-- > 0;) {
        envelope[k] = std::fmax(std::fabs(coef[k]), k + 1 < coef.size() ? envelope[k + 1] : 0.0);
        scale = std::fmax(scale, std::fabs(coef[k]));
    }
    if (!(scale > 0))
        return 2 * N;
    for (double& e : envelope)
        e /= scale;
    // The rate the envelope falls at over the last quarter (at least six coefficients, so that a
    // series of odd or even polynomials alone is read by its pairs), and over the quarter before.
    const int width = std::max(6, N / 4);
    const int k2 = N - 1, k1 = k2 - width, k0 = std::max(0, k1 - width);
    auto rate = [&](int from, int to) {
        return envelope[to] > 0 ? std::log(envelope[from] / envelope[to]) / (to - from) : 0.0;
    };
    const double late = rate(k1, k2), early = rate(k0, k1);
    // Falling less than tenfold over the last quarter: not resolved yet, the degree doubles.
    if (late * width < std::log(10.0))
        return 2 * N;
    // The growth stops where the last eight are below the tolerance and the last two below the
    // tolerance over what they stand for (TruncationFactor, at least 8): the degree that puts the
    // first of the eight, and the first of the two, where the envelope reaches that level, in
    // this series when it is there already, else where the late rate takes it; a rate that grows
    // (a solution without singularities near the interval: the coefficients fall ever faster) is
    // taken to grow on at the pace seen.
    auto degreeWhere = [&](double level, int following) {
        for (int k = 0; k <= k2; ++k) // (the last one alone may be a 0 of a parity)
            if (envelope[k] <= level)
                return k + following;
        const double needed = std::log(envelope[k2] / level);
        double steps = needed / late;
        if (late > early && early > 0) {
            const double growth = (late - early) / width; // per coefficient
            steps = 2 * needed / (late + std::sqrt(late * late + 2 * growth * needed)); // the root of
            // late s + growth s^2 / 2 = needed, in the form that keeps its digits for a small growth
        }
        return k2 + static_cast<int>(std::ceil(1.15 * steps - 1e-6)) + following;
    };
    const int predicted = std::max(degreeWhere(tolerance, 7), degreeWhere(tolerance / TruncationFactor(coef), 1));
    // A prediction from a series that has only begun to fall is rough: at most half as far again;
    // one that falls at a steady rate may be followed further.
    const bool steady = early > 0 && std::fabs(late - early) <= 0.25 * early;
    const int cap = envelope[k2] > 1e-4 ? N + N / 2 : steady ? 3 * N : 2 * N;
    if (capped)
        *capped = predicted > cap;
    return std::clamp(predicted, N + 4, cap);
}

double TruncationFactor(const std::vector<double>& coef)
{
    // The envelope at the start of the last quarter (at least eight coefficients) against the
    // last two.
    const int N = static_cast<int>(coef.size()) - 1, width = std::max(8, N / 4), from = N - 1 - width;
    if (from < 0)
        return 8;
    double early = 0;
    for (int k = from; k < N - 1; ++k)
        early = std::fmax(early, std::fabs(coef[static_cast<size_t>(k)]));
    const double late = std::fmax(std::fabs(coef[static_cast<size_t>(N) - 1]), std::fabs(coef[static_cast<size_t>(N)]));
    if (!(late > 0) || !(early > late))
        return 8;
    return std::fmax(8, 1 / -std::expm1(-std::log(early / late) / width));
}

int LookAheadDegree(const std::vector<double>& coef, double tolerance, int first)
{
    const int N = static_cast<int>(coef.size()) - 1;
    std::vector<double> envelope(coef.size()); // the largest |c| from k on
    for (int k = N; k >= 0; --k)
        envelope[static_cast<size_t>(k)] =
            std::fmax(std::fabs(coef[static_cast<size_t>(k)]), k < N ? envelope[static_cast<size_t>(k) + 1] : 0.0);
    const double scale = N >= 0 ? envelope[0] : 0.0;
    // The smallest degree whose last two coefficients are below `bound` times the scale.
    auto degreeBelow = [&](double bound) {
        int degree = N;
        while (degree >= 2 && envelope[static_cast<size_t>(degree) - 2] <= bound * scale)
            --degree;
        return degree;
    };
    int degree = degreeBelow(tolerance / 8);
    // The solver's last coefficients carry the ones beyond them folded back (its points alias
    // them): about 1 / (1 - q^2) times the probe's where the series falls by q a term there, and
    // that twice over (the layer eps = 1E-3 at degree 172: three times).
    if (degree >= 9 && envelope[static_cast<size_t>(degree) - 1] > 0) {
        const double q =
            Power(envelope[static_cast<size_t>(degree) - 1] / envelope[static_cast<size_t>(degree) - 9], 0.125);
        const double alias = 1 / (1 - std::fmin(q * q, 0.99));
        degree = degreeBelow(tolerance / (8 * alias * alias));
    }
    return std::max(first, degree);
}

AutoDegreeSolution GrowChebyshevDegree(int first, int maxDegree, double tolerance,
                                       const std::function<ChebyshevSolution(int degree, const Progress&)>& solveAt,
                                       bool terms, const Progress& progress, const ProbeSolver& probe,
                                       bool retryFromTheStart, const LooseDegrees& loosely)
{
    AutoDegreeSolution result;
    AccuracyReadout readout;
    readout.grown = true;
    readout.terms = terms;
    double bestTail = -1, previousTail = -1;
    // The verdict's size of a degree's solution (SolutionSize), the last one made kept.
    int sizedDegree = -1;
    double sized = 0;
    auto sizeAt = [&](int degree, const std::vector<double>& coef) {
        if (sizedDegree != degree) {
            sized = SolutionSize(coef);
            sizedDegree = degree;
        }
        return sized;
    };
    int previousTried = 0;
    ChebyshevSolution previousSolved; // the degree solved before, and its estimate
    double previousEstimate = 0;
    bool pastRounding = false; // the one degree beyond a stop for rounding has been tried
    int degree = first;
    maxDegree = std::min(maxDegree, kMaxAutoDegree);
    int lookedAhead = -1; // the degree a converged probe asked for
    // The degree to solve is the one the degree before's decay predicts to be enough (not one a
    // cap on the growth, or the limit, chose short of it): it is solved to the full bounds.
    bool predicted = false;
    int probedAt = 0;
    for (double probeTail = -1; probe && !terms;) {
        const int at = std::min(probedAt == 0 ? std::max(degree, kFirstProbeDegree) : degree, maxDegree);
        std::optional<ChebyshevSolution> p = probe(at, progress.atDegree(at));
        if (progress.cancelled() || (p && p->termination == Termination::Cancelled)) {
            result.stopped = true;
            result.best.termination = Termination::Cancelled;
            result.degree = at;
            return result;
        }
        if (!p) { // not a degree for probes (the solver's own is as cheap there): on from here
            previousTail = probeTail;
            previousTried = probedAt;
            break;
        }
        if (!p->solved()) { // the solver grows from the start instead, and says what fails
            degree = first;
            break;
        }
        const double tail = ChebyshevTail(p->series.coef);
        if (tail <= tolerance) {
            degree = lookedAhead = LookAheadDegree(p->series.coef, tolerance, first);
            break;
        }
        // Rounding noise, or the limit: the solver judges that itself, from the start.
        if ((probeTail >= 0 && tail > 0.5 * probeTail && std::fmin(tail, probeTail) < 1e-11) || at >= maxDegree) {
            degree = first;
            break;
        }
        probeTail = tail;
        probedAt = at;
        degree = std::max(at + 1, NextChebyshevDegree(p->series.coef, tolerance));
    }
    for (;;) {
        const int tried = std::min(degree, maxDegree);
        ChebyshevSolution s;
        // After a degree whose series is still far from resolved, the next one is solved only to a
        // thousandth of what that degree left cut off: its own truncation is then the larger part
        // of its error, and it is the start of the degree after it. Where its tail comes within
        // ten times that looseness the tail cannot tell whether the degree is the last one, and
        // it is solved again, from there, to the full bounds.
        const double tailBefore = previousTail >= 0 ? previousTail : loosely.tailBefore;
        const double loose = loosely.solveAt && !terms && !(predicted && tried == degree) &&
                                     tailBefore > kLooselySolvedAbove
                                 ? kLooseShare * tailBefore
                                 : 0.0;
        try {
            s = loose > 0 ? loosely.solveAt(tried, loose, progress.atDegree(tried))
                          : solveAt(tried, progress.atDegree(tried));
            if (loose > 0 && s.solved() && !progress.cancelled() && ChebyshevTail(s.series.coef) <= 10 * loose)
                s = solveAt(tried, progress.atDegree(tried));
        } catch (const std::bad_alloc&) {
            if (bestTail < 0)
                throw;
            break; // no room for this degree: the best one found stands, not converged
        }
        if (progress.cancelled() && !s.solved())
            s.termination = Termination::Cancelled;
        if (s.termination == Termination::Cancelled) {
            // Stopped: the best degree finished stands, if there is one.
            result.stopped = true;
            if (bestTail < 0) {
                result.best = std::move(s);
                result.degree = tried;
            } else {
                readout.verdict = AccuracyReadout::Verdict::Stopped;
                readout.degree = result.degree;
                result.readout = readout;
            }
            return result;
        }
        if (!s.solved()) {
            if (retryFromTheStart && bestTail < 0 && s.termination == Termination::NoConvergence && tried < maxDegree &&
                tried < kLastRetriedFirstDegree) {
                // a finer degree may hold the layer
                degree = std::max(tried + 1, std::min(2 * tried, kLastRetriedFirstDegree));
                continue;
            }
            if (bestTail < 0) { // nothing better to show: the failure is the result
                result.best = std::move(s);
                result.degree = tried;
                return result;
            }
            result.unsolvedDegree = s.termination == Termination::NoConvergence;
            break;
        }
        const double tail = ChebyshevTail(s.series.coef);
        double scale = 0;
        for (double c : s.series.coef)
            scale = std::fmax(scale, std::fabs(c));
        // Rounding noise: the tail stopped falling once the best of it is already below 1E-11 (the
        // noise of an equally spaced grid grows with the terms, so the best one counts).
        // (Only where the last eight are new ones: a few degrees more leave a slowly falling tail
        // nearly as it was.)
        const bool plateau = previousTail >= 0 && tried >= previousTried + 8 && tail > 0.5 * previousTail &&
                             std::fmin(tail, bestTail) < 1e-11;
        const double estimate = terms ? EstimatedError(LastTerms(s.series.coef), scale, tried)
                                      : AccurateEstimatedError(LastTerms(s.series.coef), scale, tried, s.rounding);
        // After the one degree tried beyond a stop for rounding, a smaller estimate is better too.
        if (bestTail < 0 || tail < bestTail || (pastRounding && estimate < result.estimatedError)) {
            bestTail = bestTail < 0 ? tail : std::fmin(bestTail, tail);
            result.best = s;
            result.degree = tried;
            result.estimatedError = estimate;
        }
        // The last two terms, times what they stand for, within the tolerance: the series is no
        // longer cut short. Where the tail is below the tolerance while they are not, a higher
        // degree settles it; where a probe saw the coefficients fall on past this degree, they
        // decide alone.
        const bool cutWithin = TruncationFactor(s.series.coef) * LastTerms(s.series.coef) <= tolerance;
        const bool stillCut = !terms && !plateau && tried < maxDegree && !cutWithin;
        const bool confirmed = tried == lookedAhead && cutWithin;
        // What the degree before moved by, against what it said of itself: a solution whose
        // coefficients fall fast while it does not meet the equation between the solver's points
        // (a coefficient with a kink, sqrt|x|) says 1E-14 at every degree and moves by 1E-8 from
        // one to the next. Then neither estimate is to be believed: the move is the error's size.
        // Only where the degree before had its last coefficients a thousandth of its largest or
        // less: one whose last are as large as its first said nothing of itself, and its move to
        // a resolved degree is its own error (sin(15710x) moves by 78 from degree 4320, where
        // its series has not begun to fall, to 8640, which is right to 2E-12).
        double moved = 0;
        if (!terms && previousSolved.variable == s.variable && !previousSolved.series.coef.empty() &&
            previousTail <= 1e-3) {
            const std::vector<double>& a = previousSolved.series.coef;
            for (size_t k = 0; k < std::max(a.size(), s.series.coef.size()); ++k)
                moved += std::fabs((k < a.size() ? a[k] : 0.0) - (k < s.series.coef.size() ? s.series.coef[k] : 0.0));
            if (!(moved > 100 * previousEstimate))
                moved = 0;
        }
        previousSolved.series.coef = s.series.coef;
        previousSolved.variable = s.variable;
        previousEstimate = estimate;
        auto size = [&] { return sizeAt(tried, s.series.coef); };
        if (moved > 0 && (confirmed || (tail <= tolerance && !stillCut) || plateau)) {
            result.estimatedError = std::fmax(result.estimatedError, moved);
            // (A series still cut off at the limit has not converged: below.)
            result.converged = (cutWithin || plateau) && result.estimatedError <= tolerance * size();
            break;
        }
        if (confirmed || (tail <= tolerance && !stillCut) || plateau) {
            // Rounding the tail does not show (an ill-conditioned discretisation) is no convergence;
            // a higher degree would only add to it. But what looks like rounding may be a layer the
            // degree does not resolve yet, which a quarter more degree settles: that one is tried,
            // once, and the better of the two stands. Not where the series is resolved: its
            // rounding is then the problem's own (its data's, say), which no degree takes away.
            if (!terms && !cutWithin && !pastRounding && estimate > tolerance * size() && tried < maxDegree) {
                pastRounding = true;
                previousTail = tail;
                previousTried = tried;
                degree = std::max(tried + 4, tried + tried / 4);
                predicted = true;
                continue;
            }
            // At the limit the growth stops whether or not the series is still cut off there; one
            // that is has not converged, however small its last two terms (a collocation's last
            // coefficients fall away: the interior corner at degree 4096 ends in 9E-15 where its
            // envelope falls 0.75 % a term from 2E-11, and its error is 9E-11).
            result.converged =
                terms ||
                ((cutWithin || plateau) &&
                 (pastRounding ? result.estimatedError <= tolerance * sizeAt(result.degree, result.best.series.coef)
                               : estimate <= tolerance * size()));
            break;
        }
        previousTail = tail;
        previousTried = tried;
        if (tried >= maxDegree)
            break;
        bool capped = true;
        degree = terms ? 2 * tried : std::max(tried + 1, NextChebyshevDegree(s.series.coef, tolerance, &capped));
        if (!terms && degree < maxDegree && degree >= kLimitAtOnceFrom * maxDegree)
            degree = maxDegree;
        predicted = !capped;
    }
    readout.verdict = result.converged ? AccuracyReadout::Verdict::Converged : AccuracyReadout::Verdict::NotConverged;
    readout.degree = result.degree;
    if (!terms)
        readout.allowed = tolerance * sizeAt(result.degree, result.best.series.coef);
    readout.lastTried = std::min(degree, maxDegree);
    if (!result.converged && !terms && !result.best.series.coef.empty()) {
        // A series the growth could not resolve has more beyond its last terms than eight times
        // them: the sum of the terms cut off, at the rate its envelope falls (a shock of width
        // 1E-3 at degree 1000 falls 0.8 % a term: 127 times its last terms, which alone said
        // 160 times less than its error).
        const std::vector<double>& c = result.best.series.coef;
        double scale = 0;
        for (double v : c)
            scale = std::fmax(scale, std::fabs(v));
        result.estimatedError = std::fmax(result.estimatedError, TruncationFactor(c) * LastTerms(c) * scale);
    }
    readout.estimatedError = result.estimatedError;
    result.readout = readout;
    return result;
}

std::vector<std::string> ChebyshevCoefficientLines(const std::string& depVarName, const ChebyshevSeries& s)
{
    std::vector<std::string> lines = {"CHEBYSHEV COEFFICIENTS ON [" + FormatNumber(s.a) + "," + FormatNumber(s.b) +
                                      "]:"};
    for (size_t k = 0; k < s.coef.size(); ++k)
        lines.push_back(depVarName + "(" + std::to_string(k) + ")=" + FormatNumber(s.coef[k]));
    return lines;
}

} // namespace ode
