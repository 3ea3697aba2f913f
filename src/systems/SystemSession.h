#pragma once
// The workflow of the systems forms (frmSldif linear, frmSndif nonlinear) without their
// widgets: the boxes, Solve, Evaluate, Open, Save All, Save Separately and the report.

#include "session/Session.h"
#include "systems/NonlinearSystem.h"

#include <memory>
#include <random>

namespace ode {

struct SystemTexts {
    std::string numDE = "2";         // txtNumDE
    std::string numBC = "3";         // txtNumBC
    std::string indepVarName = "x";  // txtIndepVarNam
    std::string depVarNames = "y,z"; // txtDepVarNams: names separated by commas
    std::string terms = "10";        // txtTerms: approximate degree
    std::string expansion = "0";     // txtExpansion
    std::string xlower = "-1", xupper = "1";
    std::vector<std::string> equations = {"y''-y+x*z'=2*x^2"}; // txtEquation(0 ... LastVar)
    std::vector<std::string> bcText = {"y=0"};                 // txtBC(1 ... NumBC) at 0 ...
    std::vector<std::string> bcPoint = {"0"};                  // txtXeval
    std::vector<std::string> constants;
    std::string xestimation = "0", derNum = "0";
    // frmSndif
    std::string errorD = ".01", errorC = ".01", maxcy = "10";
    std::string approximation = "2 - Random coefficients";
};

// Where "AMAT.MAT" goes when the current folder is not writable: the per-user data folder
// (XDG_DATA_HOME or ~/.local/share/odeseries; %LOCALAPPDATA%\ODE Series on Windows).
std::string UserScratchPath();

// The names of txtDepVarNams: cut at every ",", blanks kept.
std::vector<std::string> SplitNames(const std::string& text);

// The items of frmSndif's cboApproximation.
extern const char* const kSystemApproximationItems[4];

// Every check the systems forms apply to their boxes: the first refusal, or nothing.
std::optional<std::string> CheckSystemTexts(const SystemTexts& t, bool nonlinear);

class SystemSession : public Session {
public:
    SystemSession(bool nonlinear, std::shared_ptr<script::Class1>& shared, script::ScriptHost::MessageSink sink);

    bool nonlinear() const { return m_nonlinear; }
    SystemTexts boxes;

    const std::vector<std::string>& lstValue() const { return m_lstValue; }
    const SystemInputs& inputs() const { return m_inputs; }
    const OrdersAndDegrees& orders() const { return m_od; }
    // coef(): all coefficients, variable-major (coefficient p of variable j at od.offset(j) + p).

    const SystemNewtonResult& lastResult() const { return m_newton; }
    bool beepAfterSolve() const override { return m_nonlinear && m_newton.beep; }

    void clearResults() override;
    bool solve() override;
    bool evaluate() override;
    bool open(const std::string& path) override;
    bool save(const std::string& path) override;
    // Save Separately: NAME_y, NAME_z ... one single-variable series file each.
    bool saveSeparately(const std::string& path);
    std::vector<std::string> report() override;

    void seedRandom(uint64_t seed) { m_random.seed(seed); }
    // Where "AMAT.MAT" is written: the current folder, or a per-user folder when that is not writable.
    std::string scratchPath = "AMAT.MAT";

private:
    bool readInputs();
    bool prepare();
    std::vector<std::string> coefficientLines() const;

    bool m_nonlinear;
    std::mt19937_64 m_random;
    NonlinearSystemInputs m_inputs;
    OrdersAndDegrees m_od;
    std::vector<SystemSplit> m_de, m_bc;
    std::vector<std::string> m_eqExpr, m_bcExpr;
    std::vector<int> m_coefDegrees; // the degrees m_coef is laid out with
    SystemNewtonResult m_newton;
    std::vector<std::string> m_lstValue;
};

} // namespace ode
