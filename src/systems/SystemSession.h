#pragma once
// The workflow of the systems forms (frmSldif linear, frmSndif nonlinear) without their
// widgets: the boxes, Solve, Evaluate, Open, Save All, Save Separately and the report.

#include "session/Continuation.h"
#include "session/Session.h"
#include "systems/NonlinearSystem.h"
#include "systems/SystemProblem.h"

#include <memory>
#include <random>

namespace ode {

class SystemSession : public Session {
public:
    SystemSession(bool nonlinear, std::shared_ptr<script::Class1>& shared, script::ScriptHost::MessageSink sink);

    bool nonlinear() const { return m_nonlinear; }
    SystemTexts boxes;

    const std::vector<std::string>& lstValue() const { return m_lstValue; }
    const SystemInputs& inputs() const { return m_inputs; }
    const OrdersAndDegrees& orders() const { return m_od; }
    // coef(): all coefficients, variable-major (coefficient p of variable j at od.offset(j) + p).

    bool beepAfterSolve() const override { return m_nonlinear && m_newton.beep(); }

    void clearResults() override;
    bool evaluate() override;
    bool save(const std::string& path) override;
    // Save Separately: NAME_y, NAME_z ... one single-variable series file each.
    bool saveSeparately(const std::string& path);
    std::vector<std::string> report() override;
    std::vector<TextPlace> textPlaces() const override;

    void seedRandom(uint64_t seed) { m_random.seed(seed); }

    // The nonlinear systems' continuation in the accurate method (session/Continuation.h).
    Continuation continuation;
    // Each variable's Chebyshev coefficients, when the accurate method found the solution.
    const std::vector<std::string>& lstChebyshev() const { return m_lstChebyshev; }
    const std::vector<ChebyshevSeries>& chebyshev() const { return m_chebyshev; }
    // The nonlinear systems' accurate passes with their correction and residual norms.
    const std::vector<std::string>& lstPasses() const { return m_lstPasses; }
    // Where "AMAT.MAT" is written: the current folder, or a per-user folder when that is not writable.
    std::string scratchPath = "AMAT.MAT";

private:
    bool openProblem(const std::string& path) override;
    SolveReport describe() const override;
    std::optional<GridCheck> checkBetweenGridPoints() override;
    bool solveProblem() override;
    // Without `show` (an automatic degree's probe) a solution keeps its series only: no power
    // form, no lists.
    bool solveChebyshev(const Progress& progress, bool show = true);
    // The automatic degree from `first` (0: from 16, or the orders + 2), a nonlinear system's
    // first degree starting from m_lastChebyshev when `first` is given (a continuation's step).
    bool solveAutoDegree(int first, const Progress& progress);
    // A nonlinear system's continuation with the automatic degree, each step's growth going on
    // from the degree and the solution of the last (the user's, or the layer parameter's).
    bool sweepAutoDegree(const Continuation& sweep);
    // A nonlinear accurate solve as it stands (a sweep's step, or the solve a layer sweep
    // follows): its result, readout and degree; stand() shows it again, true when a solution stands.
    struct Standing {
        SystemChebyshevResult accurate;
        std::optional<AccuracyReadout> readout;
        int degree = 0;
        std::string terms;
    };
    Standing standing() const;
    bool stand(const Standing& kept);
    bool startCoefficients(int choice);
    bool solveNonlinearAccurate(int choice, const Progress& progress);
    bool solveNonlinearChebyshev(const std::vector<ChebyshevSeries>& start, const Progress& progress,
                                 NewtonAttempt attempt = {});
    // The lists and the solution from an accurate result (the last one, or one kept to be shown
    // again); true when a solution stands.
    bool showLinearChebyshev(const ChebyshevSystemSolution& s);
    bool showNonlinearChebyshev(const SystemChebyshevResult& r);
    void listChebyshev();
    void openAccurateFile(const std::string& path);
    // Evaluate's point for the accurate solution: x and every variable's derivatives, unrounded.
    bool setChebyshevPoint(double x);
    bool readInputs();
    bool prepare();
    // The variables' orders and degrees at `degree`, as the method shares the conditions out.
    OrdersAndDegrees ordersAndDegrees(int degree) const;
    std::vector<std::string> coefficientLines() const;

    bool m_nonlinear;
    std::mt19937_64 m_random;
    NonlinearSystemInputs m_inputs;
    OrdersAndDegrees m_od;
    std::vector<SystemSplit> m_de, m_bc;
    std::vector<std::string> m_eqExpr, m_bcExpr;
    std::vector<int> m_coefDegrees; // the degrees m_coef is laid out with
    SystemNewtonResult m_newton;
    ChebyshevSystemSolution m_linearAccurate; // the last accurate solve's result
    SystemChebyshevResult m_accurate;
    std::vector<std::string> m_lstValue;
    std::vector<ChebyshevSeries> m_chebyshev;
    std::vector<std::string> m_lstChebyshev, m_lstPasses;
    std::vector<ChebyshevSeries> m_lastChebyshev; // the current approximation of the next accurate solve
    bool m_unsolvedDegree = false;                // the last automatic degree ended at a degree without a solution
};

} // namespace ode
