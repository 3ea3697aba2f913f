#pragma once
// The workflow of a single nonlinear problem form without its widgets: Solve (Newton
// iteration from the chosen initial approximation), Evaluate, Open, Save, the series from a
// file, and the report. The coefficients survive every solve: they are the "current
// approximation" of the next one.

#include "nonlinear/NewtonSolver.h"
#include "nonlinear/NonlinearChebyshev.h"
#include "nonlinear/NonlinearFiles.h"
#include "script/ScriptHost.h"
#include "session/Continuation.h"
#include "single/ProblemSession.h"

#include <memory>
#include <optional>
#include <random>

namespace ode {

class NonlinearSession : public ProblemSession {
public:
    NonlinearSession(SeriesKind kind, std::shared_ptr<script::Class1>& shared, script::ScriptHost::MessageSink sink);

    SeriesKind kind() const override { return m_kind; }
    ProblemKind problemKind() const override
    {
        return m_kind == SeriesKind::Power ? ProblemKind::NonlinearPower : ProblemKind::NonlinearTrig;
    }
    SingleTexts& texts() override { return boxes; }
    const SingleTexts& texts() const override { return boxes; }
    NonlinearTexts boxes;

    const NonlinearInputs& inputs() const override { return m_inputs; }
    bool beepAfterSolve() const override { return m_result.beep(); }
    SeriesView series() const override { return NonlinearSeries(m_inputs, m_coef); }

    bool save(const std::string& path) override;
    std::string problemFileText() const override;
    std::vector<std::string> report() override;

    // "3 - Series from file": loads `path`'s coefficients; on success the boxes' degree (or
    // terms and period) and centre show the series. On refusal the message is shown and the
    // choice falls back to "2 Random coefficients".
    bool loadSeries(const std::string& path);

    void seedRandom(uint64_t seed) { m_random.seed(seed); }

    // The accurate method's continuation (session/Continuation.h).
    Continuation continuation;

private:
    bool openProblem(const std::string& path) override;
    SolveReport describe() const override;
    bool residualLinesAt(double x, std::vector<std::string>& lines) override;
    bool termsAt(double x, double& residual, double& terms) override;
    bool solveProblem() override;
    bool solveChebyshev();
    // The accurate method's continuation in `sweep` (session/Continuation.h).
    bool sweepChebyshev(const Continuation& sweep, int choice);
    // An accurate solve as it stands (a sweep's step, or the solve a layer sweep follows): its
    // result, readout and degree; stand() shows it again, true when a solution stands.
    struct Standing {
        ChebyshevNewtonResult accurate;
        std::optional<AccuracyReadout> readout;
        std::string terms;
        int degree = 0;
    };
    Standing standing() const;
    bool stand(const Standing& kept);
    // `findWay`: where Newton's iteration does not converge from the start, it finds its way
    // (RunChebyshevNewtonFindingItsWay; a continuation's later steps halve their step instead).
    // Without `show` (a continuation's step on the way) a solution found is kept as the start of
    // the next step, and nothing is listed; a failure is listed all the same.
    bool solveChebyshevFrom(int choice, const Progress& progress, bool findWay = true, bool show = true);
    // The lists, the solution and the current approximation from m_accurate, the accurate
    // iteration's result; true when a solution stands.
    bool showAccurate();
    bool solveTrigonometricAuto();
    // The accurate method's start at degree N: the last accurate solution (choice 4, on the
    // same interval), else the chosen initial approximation as power coefficients, turned into
    // Chebyshev coefficients.
    ChebyshevSeries chebyshevStart(int choice, int N);
    void listConditionResiduals();
    bool prepare();

    SeriesKind m_kind;
    std::mt19937_64 m_random;
    NonlinearInputs m_inputs;
    std::vector<std::string> m_residualExpr;
    NewtonResult m_result;
    ChebyshevNewtonResult m_accurate;
    // The last accurate iteration's coefficients: the "current approximation" of the next.
    std::optional<ChebyshevSeries> m_lastChebyshev;
    int m_firstAutoDegree = 0; // a continuation step's automatic degree starts here (0: from 16)
    bool m_unsolvedDegree = false; // the last automatic degree ended at a degree without a solution
};

} // namespace ode
